#include "forms/CKvPublicPage4.h"

#include "forms/CKvDoc.h"
#include "forms/CKvHeadFieldDlg.h"
#include "forms/KvFormEntry.h"
#include "ui/KvCommands.h"
#include "ui/KvModal.h"
#include "ui/KvObjectNames.h"

#include <QVBoxLayout>

namespace {
constexpr int kIcon = 628;
constexpr int kTextsPerRow = 7;
}  // namespace

CKvPublicPage4::CKvPublicPage4(CKvDoc* pDoc, KvFormEntry* pEntry, QWidget* parent)
    : CKvPublicPage(857, pDoc, pEntry, parent),
      m_pList(KvSetControlId(new CKvPublicPageList(this, kIcon, this), IDC_LIST)) {
  m_pList->ModifyStyle(CKvListCtrl::LVS_TYPEMASK, CKvListCtrl::LVS_REPORT);
  m_pList->SetExStyle(CKvListCtrl::LVS_EX_GRIDLINES | CKvListCtrl::LVS_EX_FULLROWSELECT);
  const int centre = CKvListCtrl::LVCFMT_CENTER;
  const int left = CKvListCtrl::LVCFMT_LEFT;
  m_pList->InitList();
  m_pList->SetPageColumns({QStringLiteral("字域提示"), QStringLiteral("显示内容"), QStringLiteral("头或尾"),
                           QStringLiteral("行次"), QStringLiteral("栏位置"), QStringLiteral("编辑框长度"),
                           QStringLiteral("套打吗")},
                          {100, 75, 50, 40, 50, 75, 50}, {left, left, left, centre, centre, centre, left});
  SetHelp(m_pList, QStringLiteral("表头（栏头之上）和表尾（合计之下）的字域，每个字域由提示和内容组成，"
                                  "按行次和栏位置（占表格宽度的百分比）排放。"
                                  "系统字域不能删除。右击可新增、修改、删除字域或取默认值。"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addWidget(m_pList);
}

QString CKvPublicPage4::Caption() const { return QStringLiteral("表头表尾属性"); }

void CKvPublicPage4::LoadControls() { Fill(); }

void CKvPublicPage4::Fill() {
  m_pList->DeleteAllItems();
  for (const KvHeadNote& note : Entry().headNotes)
    m_pList->AddRow({note.sNote, note.sWords,
                     note.bIsTail ? QStringLiteral("表尾") : QStringLiteral("表头"),
                     QString::number(note.nRow + 1), QStringLiteral("%1％").arg(note.Position()),
                     QString::number(note.EditLength()),
                     note.bIsUse ? QStringLiteral("套打") : QStringLiteral("不套打")},
                    0);
  m_pList->FitColumns();
}

bool CKvPublicPage4::IsListCmdEnabled(int id, bool bListRule) {
  const QList<int> rows = m_pList->GetSelectedRows();
  switch (id) {
    case KV_CMD_OPEN:
    case KV_CMD_MODIFY: return rows.size() == 1;
    case KV_CMD_DELETE:
      return rows.size() == 1 && Entry().headNotes.value(rows.first()).bIsSystem == 0;
    case KV_CMD_EDIT_CUT: return false;
    default: return bListRule;
  }
}

QList<int> CKvPublicPage4::HiddenMenuCommands() const { return {KV_CMD_OPEN, KV_CMD_EDIT_CUT}; }

void CKvPublicPage4::OnListNew() {
  CKvHeadFieldDlg dialog(this, Document(), &Entry(), true, -1);
  if (KvExecDialog(&dialog) != QDialog::Accepted)
    return;
  Fill();
  m_pList->SelectRows({m_pList->GetItemCount() - 1});
}

void CKvPublicPage4::OnListModify() {
  const QList<int> rows = m_pList->GetSelectedRows();
  if (rows.size() != 1)
    return;
  CKvHeadFieldDlg dialog(this, Document(), &Entry(), false, rows.first());
  if (KvExecDialog(&dialog) != QDialog::Accepted)
    return;
  Fill();
  m_pList->SelectRows({rows.first()});
}

void CKvPublicPage4::OnListDelete() {
  const QList<int> rows = m_pList->GetSelectedRows();
  if (rows.size() != 1)
    return;
  const int row = rows.first();
  if (row >= Entry().headNotes.size() || Entry().headNotes.at(row).bIsSystem != 0)
    return;
  Entry().headNotes.removeAt(row);
  m_pList->DeleteItem(row);
}

void CKvPublicPage4::OnListRestoreDefaults() {
  Entry().headNotes.clear();
  Document()->BuildHeadNotes(Entry());
  Fill();
}

void CKvPublicPage4::GetListCopyTexts(QStringList* texts) const {
  texts->clear();
  for (int row : m_pList->GetSelectedRows()) {
    const KvHeadNote note = Entry().headNotes.value(row);
    *texts << note.sNote << note.sWords << QString::number(note.bIsTail)
           << QString::number(note.nRow) << QString::number(note.nColPecent)
           << QString::number(note.bIsUse) << QString::number(note.bIsSystem);
  }
}

void CKvPublicPage4::OnListPaste(const QStringList& texts) {
  QList<int> pasted;
  for (int i = 0; i + kTextsPerRow <= texts.size(); i += kTextsPerRow) {
    const auto number = [&](int k) { return texts.at(i + k).trimmed().toInt(); };
    pasted.append(int(Entry().headNotes.size()));
    Entry().AddHeadNote(number(2), number(3), number(4), number(5), number(6), texts.at(i),
                        texts.at(i + 1));
  }
  Fill();
  m_pList->SelectRows(pasted);
}
