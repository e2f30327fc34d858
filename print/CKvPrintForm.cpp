#include "print/CKvPrintForm.h"

#include "core/KvPrinter.h"
#include "ui/KvAppServices.h"

#include <QPainter>

CKvPrintForm::CKvPrintForm(CKvDb* db, int layoutId) : m_layoutId(layoutId) {
  m_bLoaded = KvLoadPosFields(db ? db : KvAppServiceDb(), layoutId, &m_fields);
  nameAfterLayout();
}

CKvPrintForm::CKvPrintForm(int layoutId, const QList<KvPrintPosField>& fields)
    : m_layoutId(layoutId), m_fields(fields) {
  nameAfterLayout();
}

void CKvPrintForm::nameAfterLayout() {
  SetOwnerLogs(true);
  SetTitle(QString::number(m_layoutId));
  for (const KvPrintPosLayout& layout : KvPrintPosLayouts()) {
    if (layout.id == m_layoutId && !layout.caption.isEmpty())
      SetTitle(layout.caption);
  }
}

void CKvPrintForm::AddMacro(const QString& token, const QString& value) {
  if (token.isEmpty())
    return;
  for (auto& macro : m_macros) {
    if (macro.first == token) {
      macro.second = value;
      return;
    }
  }
  // Kept longest first; among tokens of one length, in the order added.
  auto at = m_macros.begin();
  while (at != m_macros.end() && at->first.size() >= token.size())
    ++at;
  m_macros.insert(at, {token, value});
}

QString CKvPrintForm::Expand(const QString& text) const {
  if (m_macros.isEmpty())
    return text;
  QString result;
  result.reserve(text.size());
  for (qsizetype i = 0; i < text.size();) {
    bool replaced = false;
    for (const auto& [token, value] : m_macros) {
      if (QStringView(text).mid(i).startsWith(token)) {
        result += value;
        i += token.size();
        replaced = true;
        break;
      }
    }
    if (!replaced)
      result += text.at(i++);
  }
  return result;
}

bool CKvPrintForm::Print(int command, QWidget* parent) { return Run(command, parent); }

KvPaperRequest CKvPrintForm::Paper() const { return KvPaperRequest(); }

int CKvPrintForm::PageCount(const KvPageMap& map) {
  (void)map;
  return 1;
}

void CKvPrintForm::PrintPage(QPainter& painter, const KvPageMap& map, int page) {
  (void)page;
  painter.setPen(Qt::black);
  const QSize paper = map.Paper();
  for (const KvPrintPosField& field : m_fields) {
    KvLogFont font = KvDefaultLogFont();
    font.faceName = field.face;
    font.height = field.height;
    font.weight = field.weight;
    font.italic = field.italic;
    font.underline = field.underline;
    painter.setFont(map.Font(font));
    const QRect area(map.Point(field.x, field.y),
                     QSize(qMax(1, map.X(paper.width() - field.x)),
                           qMax(1, map.Y(paper.height() - field.y))));
    painter.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     Expand(field.text));
  }
}
