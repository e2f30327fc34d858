#include "print/CKvListPageSetupDlg.h"

#include "core/CKvDb.h"
#include "core/KvFormat.h"
#include "print/KvPageSetupParts.h"
#include "ui/KvAppServices.h"
#include "ui/KvObjectNames.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
constexpr int kTitle = 1000;
constexpr int kHead = 1001;
constexpr int kFoot = 1002;
constexpr int kRows = 1060;
}  // namespace

CKvListPageSetupDlg::CKvListPageSetupDlg(const KvListPrintTarget& target, QWidget* parent)
    : CKvDlg(0, parent), m_target(target) {
  setObjectName(QStringLiteral("dlg_listpagesetup"));
  setWindowTitle(QStringLiteral("打印页面设置"));
  KvListPrintTarget load = m_target;
  if (m_target.printSet) {
    m_set = *m_target.printSet;
    load.printSet = &m_set;
  }
  KvLoadListPageFormat(load, &m_format);
  m_readFormat = m_format;
  m_readSet = m_set;

  auto* texts = new QGroupBox(QStringLiteral("标题与页眉页脚"), this);
  m_title = KvPageTextEdit(texts, kTitle);
  m_head = KvPageTextEdit(texts, kHead);
  m_foot = KvPageTextEdit(texts, kFoot);
  auto* textLayout = new QFormLayout(texts);
  textLayout->addRow(QStringLiteral("标题(&I)："), m_title);
  textLayout->addRow(QStringLiteral("页眉(&E)："), m_head);
  textLayout->addRow(QStringLiteral("页脚(&O)："), m_foot);

  auto* fonts = KvFontButtonsGroup(this, m_fontSamples, [this](int role) { chooseFont(role); });

  m_page = new KvPageSetupControls(this);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(texts);
  layout->addWidget(fonts);
  layout->addWidget(m_page);
  if (m_target.printSet) {
    m_rows = KvSetControlId(new QSpinBox(this), kRows);
    m_rows->setRange(0, 9999);
    m_rows->setAlignment(Qt::AlignRight);
    auto* rowsLabel = new QLabel(QStringLiteral("每页行数(&N)："), this);
    rowsLabel->setBuddy(m_rows);
    auto* rowsLine = new QHBoxLayout;
    rowsLine->addWidget(rowsLabel);
    rowsLine->addWidget(m_rows);
    rowsLine->addWidget(new QLabel(QStringLiteral("（0：排满一页）"), this));
    rowsLine->addStretch();
    layout->addLayout(rowsLine);
  }
  KvAddOkCancelRow(this, layout);
}

void CKvListPageSetupDlg::OnInitDialog() {
  CKvDlg::OnInitDialog();
  m_title->setText(m_format.Title);
  m_head->setText(m_format.Head);
  m_foot->setText(m_format.Foot);
  m_page->SetPage(m_format.PaperWidth, m_format.PaperLength, m_format.IsLandscape(),
                  m_format.Left, m_format.Top, m_format.Right, m_format.Bottom);
  if (m_rows)
    m_rows->setValue(m_format.Rows);
  showFonts();
}

void CKvListPageSetupDlg::showFonts() {
  for (int role = 0; role < CKvPageFormat::FontCount; ++role)
    KvShowFontSample(m_fontSamples[role], m_format.Fonts[role], m_format.FontColors[role]);
}

void CKvListPageSetupDlg::chooseFont(int role) {
  if (KvChooseFont(this, &m_format.Fonts[role], &m_format.FontColors[role]))
    showFonts();
}

bool CKvListPageSetupDlg::SaveData() {
  if (!m_page->CheckPage())
    return false;
  CKvPageFormat format = m_format;
  format.Title = m_title->text();
  format.Head = m_head->text();
  format.Foot = m_foot->text();
  format.PaperWidth = m_page->PaperWidth();
  format.PaperLength = m_page->PaperLength();
  format.Orientation = m_page->IsLandscape() ? 1 : 0;
  format.Left = m_page->Left();
  format.Top = m_page->Top();
  format.Right = m_page->Right();
  format.Bottom = m_page->Bottom();
  if (m_rows)
    format.Rows = m_rows->value();

  CKvDb* db = m_target.db;
  CKvPrintSet set = m_set;
  if (m_target.printSet)
    format.PutPrintSet(&set);
  const QString mode = QString::fromLatin1(KV_LIST_PRINTSET_MODE);
  const auto asRead = [&] {
    KvListPrintTarget load = m_target;
    CKvPrintSet storedSet;
    load.printSet = m_target.printSet ? &storedSet : nullptr;
    CKvPageFormat stored;
    return KvLoadListPageFormat(load, &stored) && stored.StoredRows() == m_readFormat.StoredRows() &&
           (!m_target.printSet || storedSet.SamePageAndFonts(m_readSet));
  };
  QStringList tables = {QStringLiteral("SysCsTab")};
  if (m_target.printSet)
    tables << QStringLiteral("KVPAGESET") << QStringLiteral("KVFONT");
  if (!KvSavePageSetupAsRead(db, tables, asRead, [&] {
        return format.SaveChanges(db, m_target.formId, m_readFormat) &&
               (!m_target.printSet || set.SaveChanges(db, m_target.formId, mode, m_readSet));
      }))
    return false;

  m_format = format;
  if (m_target.printSet) {
    m_set = set;
    *m_target.printSet = set;
  }
  KvAppServiceLog(KV_LOG_PAGE_SETUP,
                  KvFormat(QStringLiteral("页面设置“%s”"),
                           format.Title.isEmpty() ? m_target.title : format.Title));
  return true;
}
