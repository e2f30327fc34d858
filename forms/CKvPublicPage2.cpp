#include "forms/CKvPublicPage2.h"

#include "forms/CKvColumnDlg.h"
#include "forms/CKvDoc.h"
#include "forms/KvColumnDef.h"
#include "forms/KvColumnOrigins.h"
#include "forms/KvFormEntry.h"
#include "ui/KvCommands.h"
#include "ui/KvModal.h"
#include "ui/KvObjectNames.h"

#include <QVBoxLayout>

#include <algorithm>
#include <numeric>

namespace {
constexpr int kIcon = 626;
}  // namespace

CKvPublicPage2::CKvPublicPage2(CKvDoc* pDoc, KvFormEntry* pEntry, QWidget* parent)
    : CKvPublicPage(853, pDoc, pEntry, parent),
      m_pList(KvSetControlId(new CKvPublicPageList(this, kIcon, this), IDC_LIST)) {
  m_pList->ModifyStyle(CKvListCtrl::LVS_TYPEMASK,
                       CKvListCtrl::LVS_REPORT | CKvListCtrl::LVS_SINGLESEL);
  m_pList->SetExStyle(CKvListCtrl::LVS_EX_GRIDLINES | CKvListCtrl::LVS_EX_CHECKBOXES |
                      CKvListCtrl::LVS_EX_FULLROWSELECT);
  const int centre = CKvListCtrl::LVCFMT_CENTER;
  const int left = CKvListCtrl::LVCFMT_LEFT;
  m_pList->InitList();
  m_pList->SetPageColumns(
      {QStringLiteral("栏序"), QStringLiteral("栏名称"), QStringLiteral("栏公式"), QStringLiteral("栏类型"),
       QStringLiteral("值类型"), QStringLiteral("对齐方式"), QStringLiteral("显示宽度"),
       QStringLiteral("编辑宽度"), QStringLiteral("至少小数位"), QStringLiteral("至多小数位"),
       QStringLiteral("放缩因子"), QStringLiteral("合计栏"), QStringLiteral("折行"),
       QStringLiteral("允许简省格式")},
      {50, 100, 100, 50, 50, 60, 60, 60, 75, 75, 75, 70, 70, 70},
      {left, left, left, centre, centre, centre, centre, centre, centre, centre, centre, centre, centre,
       centre});
  SetHelp(m_pList, QStringLiteral("文档的各栏，一行一栏，按栏序排列。打勾的栏在表格中显示。"
                                  "右击可新增、修改、删除栏或取默认值。"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addWidget(m_pList);
}

QString CKvPublicPage2::Caption() const { return QStringLiteral("栏 属 性"); }

QStringList CKvPublicPage2::ScaleNames() {
  return {QStringLiteral("百万分之一"), QStringLiteral("十万分之一"), QStringLiteral("万分之一"),
          QStringLiteral("千分之一"),   QStringLiteral("百分之一"),   QStringLiteral("十分之一"),
          QStringLiteral("原数"),       QStringLiteral("十倍"),       QStringLiteral("百倍"),
          QStringLiteral("千倍"),       QStringLiteral("万倍"),       QStringLiteral("十万倍"),
          QStringLiteral("百万倍")};
}

QString CKvPublicPage2::ScaleName(int nExponent) { return ScaleNames().value(nExponent + 6); }

QString CKvPublicPage2::KindName(int nKind) {
  switch (nKind) {
    case 1: return QStringLiteral("公式栏");
    case 2: return QStringLiteral("运算栏");
    default: return QStringLiteral("固定栏");
  }
}

void CKvPublicPage2::LoadControls() { Fill(); }

void CKvPublicPage2::Fill() {
  KvFormEntry& entry = Entry();
  m_pList->DeleteAllItems();
  for (int i = 0; i < entry.formulas.size(); ++i) {
    KvFormula& formula = entry.formulas[i];
    KvColumnDef def;
    KvParseColumnDef(formula, def);
    const QString align = def.sAlign == u"LEFT"    ? QStringLiteral("居左")
                          : def.sAlign == u"RIGHT" ? QStringLiteral("居右")
                                                   : QStringLiteral("居中");
    const QString total = def.d3 == 1 ? QStringLiteral("√↓")
                          : def.d3 == 2 ? QStringLiteral("√→")
                                        : QString();
    m_pList->AddRow({QString::number(i + 1), def.sTitle, def.sFormula, KindName(def.d4),
                     def.IsNumber() ? QStringLiteral("数值") : QStringLiteral("文字"), align,
                     QString::number(formula.DisplayWidth()), QString::number(formula.EditWidth()),
                     QString::number(formula.nLess), QString::number(formula.nMore),
                     ScaleName(def.nScale), total, def.d2 ? QStringLiteral("√") : QString(),
                     def.d1 ? QStringLiteral("√") : QString()},
                    0);
    // The document may force a bound column shown or hidden.
    if (const int link = formula.Link(); link != 0) {
      const int mark = Document()->GetColumnMark(entry, i);
      if (mark == 1)
        formula.nType = link + 100;
      else if (mark == 0)
        formula.nType = link;
    }
    m_pList->SetCheckQuietly(i, formula.IsShown());
  }
  m_pList->FitColumns();
}

bool CKvPublicPage2::IsListCmdEnabled(int id, bool bListRule) {
  const QList<int> rows = m_pList->GetSelectedRows();
  switch (id) {
    case KV_CMD_MODIFY: return rows.size() == 1;
    case KV_CMD_DELETE:
      return rows.size() == 1 && Entry().formulas.value(rows.first()).Link() == 0;
    case KV_CMD_EDIT_CUT:
    case KV_CMD_EDIT_COPY:
    case KV_CMD_EDIT_PASTE: return false;
    default: return bListRule;
  }
}

QList<int> CKvPublicPage2::HiddenMenuCommands() const {
  return {KV_CMD_OPEN,          KV_CMD_EDIT_CUT,        KV_CMD_EDIT_COPY,
          KV_CMD_EDIT_PASTE,    KV_CMD_EDIT_SELECT_ALL, KV_CMD_INVERT_SELECTION};
}

void CKvPublicPage2::OnListNew() {
  const int row = m_pList->GetFirstSelected();
  if (row >= 0)
    editColumn(row, true);
}

void CKvPublicPage2::OnListModify() {
  const int row = m_pList->GetFirstSelected();
  if (row >= 0)
    editColumn(row, false);
}

QList<int> CKvPublicPage2::sameColumns(qsizetype n) {
  QList<int> origins(n);
  std::iota(origins.begin(), origins.end(), 0);
  return origins;
}

void CKvPublicPage2::editColumn(int nIndex, bool bNew) {
  const QList<KvFormula> before = Entry().formulas;
  CKvColumnDlg dialog(this, &Entry(), nIndex, bNew);
  if (KvExecDialog(&dialog) != QDialog::Accepted)
    return;
  // The dialog put a new column at nIndex, then moved the column to where
  // it was asked for.
  QList<int> origins = sameColumns(before.size());
  const int index = std::clamp(nIndex, 0, int(before.size()));
  if (bNew)
    origins.insert(index, -1);
  if (index < origins.size())
    origins.move(index, dialog.ResultIndex());
  KvFollowColumnHead(Entry(), before, origins);
  Fill();
  m_pList->SelectRows({dialog.ResultIndex()});
}

void CKvPublicPage2::OnListDelete() {
  const QList<int> rows = m_pList->GetSelectedRows();
  if (rows.size() != 1)
    return;
  const int row = rows.first();
  QList<KvFormula>& formulas = Entry().formulas;
  if (row >= formulas.size() || formulas.at(row).Link() != 0)
    return;
  const QList<KvFormula> before = formulas;
  formulas.removeAt(row);
  QList<int> origins = sameColumns(before.size());
  origins.removeAt(row);
  KvFollowColumnHead(Entry(), before, origins);
  Fill();
  m_pList->SelectRows({std::min(row, int(formulas.size()) - 1)});
}

void CKvPublicPage2::OnListRestoreDefaults() {
  const QList<KvFormula> before = Entry().formulas;
  Entry().formulas.clear();
  Document()->BuildColumns(Entry());
  KvFollowColumnHead(Entry(), before, KvColumnOrigins(before, Entry().formulas));
  Fill();
}

void CKvPublicPage2::OnListCheckChanged(int row, bool checked) {
  QList<KvFormula>& formulas = Entry().formulas;
  if (row < 0 || row >= formulas.size())
    return;
  const QList<KvFormula> before = formulas;
  KvFormula& formula = formulas[row];
  const int link = formula.Link();
  if (link != 0 && Document()->GetColumnMark(Entry(), row) != 2) {
    m_pList->SetCheckQuietly(row, formula.IsShown());
    return;
  }
  formula.nType = (checked ? 100 : 0) + link;
  KvFollowColumnHead(Entry(), before, sameColumns(before.size()));
}
