#include "school/CXxDjListView.h"

#include "app/CKvApp.h"
#include "core/CKvDb.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "school/CPc.h"
#include "school/CXxDataType.h"
#include "school/CXxDjDoc2.h"
#include "school/CXxDjFrmView.h"
#include "ui/CKvCommandRegistry.h"
#include "ui/KvCommands.h"

#include <algorithm>

#include <QAction>
#include <QItemSelectionModel>
#include <QMenu>
#include <QSignalBlocker>
#include <QTreeView>

const QString CXxDjListView::kNewRow = QStringLiteral("新单");

namespace {
enum Column { kNumber = 0, kStudent, kPhone, kMaker, kReviewer };

bool hasRight(const char* item) { return KvHasRight(CXxDataType::kModule, QString::fromLatin1(item)); }

QAction* findAction(QMenu* popup, int id) {
  for (QAction* action : popup->actions())
    if (KvActionCommandId(action) == id)
      return action;
  return nullptr;
}
}  // namespace

CXxDjListView::CXxDjListView(CXxDjDoc2* pDoc, QWidget* parent) : CKvListView(parent), m_pDoc(pDoc) {}

CXxDjFrmView* CXxDjListView::form() const { return m_pDoc->FindView<CXxDjFrmView>(); }

int CXxDjListView::GetNewState() const {
  const QList<int> rows = GetSelectedRows();
  if (rows.size() != 1)
    return -1;
  return GetItemText(rows.first(), kNumber) == kNewRow ? 1 : 0;
}

void CXxDjListView::SelectNumber(const QString& number, bool bNotLess) {
  // The selection is dropped without a load in between.
  {
    const QSignalBlocker blocker(DetailsView()->selectionModel());
    DetailsView()->selectionModel()->clearSelection();
  }
  FindAndSelect(number, bNotLess);
}

void CXxDjListView::initialUpdate() {
  CKvListView::initialUpdate();
  SetExStyle(GetExStyle() | LVS_EX_FULLROWSELECT);
}

void CXxDjListView::GetColumns(QList<int>* widths, QStringList* captions) const {
  // The number column also holds the row's icon.
  const int number = std::max(60, fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 28);
  *widths = {number, 60, 80, 30, 30};
  *captions = {QStringLiteral("单号"), QStringLiteral("学生"), QStringLiteral("电话"), QStringLiteral("制作"),
               QStringLiteral("复核")};
}

void CXxDjListView::GetIconIds(QList<int>* ids) const { *ids = {674, 701, 675, 676}; }

void CXxDjListView::Fill() {
  QList<CPc> receipts;
  // The students' names and telephones come with the receipts.
  QList<QPair<QString, QString>> students;
  CPc::DayTally tally;
  // A day that could not be read (the read has told why) leaves the list
  // as it was: its receipts are not gone.
  m_bListRead = CPc::SelectDayReceipts(m_pDoc->m_strDay, &receipts, &students, m_pDoc->m_pDb, &tally) >= 0;
  if (!m_bListRead)
    return;
  DeleteAllItems();
  m_tally = tally;
  if (hasRight("06")) {
    CPc row;
    row.DH = kNewRow;
    receipts.append(row);
  }
  for (int i = 0; i < receipts.size(); ++i) {
    const CPc& receipt = receipts.at(i);
    const QPair<QString, QString> student = receipt.STD.isEmpty() ? QPair<QString, QString>() : students.value(i);
    addReceiptRow(receipt, student.first, student.second);
  }
}

void CXxDjListView::addReceiptRow(const CPc& receipt, const QString& name, const QString& tel) {
  const int icon = (receipt.Opr1.isEmpty() ? 0 : 1) + (receipt.LPR > 0 ? 2 : 0);
  AddRow({receipt.DH, name, tel, receipt.Opr0, receipt.Opr1}, icon);
}

bool CXxDjListView::ShowSavedReceipt(const CPc& head, const QString& name, const QString& tel,
                                     const CPc::DayTally& before, int nLines) {
  const int last = GetItemCount() - 1;
  // A new receipt is neither reviewed nor printed: its icon is the one
  // "新单" shows.
  if (!(before == m_tally) || last < 0 || GetItemText(last, kNumber) != kNewRow || !head.Opr1.isEmpty() ||
      head.LPR > 0 || (last > 0 && GetItemText(last - 1, kNumber) >= head.DH))
    return false;
  m_tally.nLines += nLines;
  const QStringList texts = {head.DH, name, tel, head.Opr0, head.Opr1};
  for (int column = 0; column < texts.size(); ++column)
    SetItemText(last, column, texts.at(column));
  CPc row;
  row.DH = kNewRow;
  addReceiptRow(row, QString(), QString());
  return true;
}

void CXxDjListView::OnPrepareContextMenu(QMenu* popup) {
  const CKvCommandRegistry& registry = CKvCommandRegistry::Instance();
  if (QAction* del = findAction(popup, KV_CMD_DELETE)) {
    popup->insertAction(del, registry.CreateAction(KV_CMD_REVIEW, popup));
    popup->insertAction(del, registry.CreateAction(KV_CMD_UNREVIEW, popup));
  }
  if (QAction* cut = findAction(popup, KV_CMD_EDIT_CUT)) {
    popup->insertAction(cut, registry.CreateAction(KV_CMD_REFRESH, popup));
    popup->insertSeparator(cut);
  }
  for (int id : {KV_CMD_NEW, KV_CMD_MODIFY, KV_CMD_OPEN, KV_CMD_EDIT_CUT, KV_CMD_EDIT_COPY, KV_CMD_EDIT_PASTE})
    if (QAction* action = findAction(popup, id))
      popup->removeAction(action);
}

bool CXxDjListView::IsCmdAllowed(int id) {
  if (id != KV_CMD_DELETE && id != KV_CMD_REVIEW && id != KV_CMD_UNREVIEW)
    return CKvListView::IsCmdAllowed(id);
  const QList<int> rows = GetSelectedRows();
  if (rows.isEmpty())
    return false;
  if (!hasRight(id == KV_CMD_DELETE ? "06" : "07"))
    return false;
  if (rows.size() > 1)
    return id != KV_CMD_DELETE;
  const int row = rows.first();
  if (GetItemCount() > 1 && GetItemText(row, kNumber) == kNewRow)
    return false;
  const QString self = CPc::CurrentOperator();
  switch (id) {
    case KV_CMD_DELETE: return GetItemText(row, kMaker) == self;
    case KV_CMD_REVIEW: {
      if (!GetItemText(row, kReviewer).isEmpty())
        return false;
      QString reason;
      return !m_pDoc->HasUnsavedEdits(reason);
    }
    default: return GetItemText(row, kReviewer) == self;
  }
}

bool CXxDjListView::DeleteReceipt(const QString& number) {
  CKvDb* pDb = m_pDoc->m_pDb;
  KvDbTransaction transaction(*pDb, QStringLiteral("PC"));
  CPc scratch;
  return transaction.IsActive() && scratch.DeleteVoucher(-1, m_pDoc->m_strDay, number, pDb, &transaction) &&
         m_pDoc->WriteLog(KvFormat(QStringLiteral("删除第%s号收费收据"), number)) && transaction.Commit();
}

bool CXxDjListView::ReviewReceipt(const QString& number, bool bReview) {
  // Read and written under the PC lock, as the delete is: a review or a
  // delete another workstation commits meanwhile is seen, not overwritten.
  CKvDb* pDb = m_pDoc->m_pDb;
  KvDbTransaction transaction(*pDb, QStringLiteral("PC"));
  CPc scratch;
  bool changed = false;
  if (!transaction.IsActive() || !(bReview ? scratch.ReviewVoucher(-1, m_pDoc->m_strDay, number, pDb, &changed)
                                           : scratch.UnreviewVoucher(-1, m_pDoc->m_strDay, number, pDb, &transaction,
                                                                     &changed)))
    return false;
  // Only a review that changed a line is logged; one that changed nothing
  // (reviewed meanwhile) shows the stored reviewer at the list's refill.
  if (changed &&
      !m_pDoc->WriteLog(KvFormat(bReview ? QStringLiteral("复核：№%s") : QStringLiteral("取消复核：№%s"), number)))
    return false;
  return transaction.Commit();
}

void CXxDjListView::OnDelete() {
  if (!IsCmdAllowed(KV_CMD_DELETE))
    return;
  const QString number = GetItemText(GetSelectedRows().first(), kNumber);
  if (KvMessageBox(KvFormat(QStringLiteral("真的要删除第%s号收费收据吗？"), number),
                   KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION) != KV_IDYES)
    return;
  if (!DeleteReceipt(number))
    return;
  Fill();
  SelectNumber(number, true);
}

void CXxDjListView::review(bool bReview) {
  const int id = bReview ? KV_CMD_REVIEW : KV_CMD_UNREVIEW;
  if (!IsCmdAllowed(id) || GetSelectedRows().isEmpty())
    return;
  QStringList numbers;
  GetSelectedTexts(&numbers);
  for (qsizetype i = numbers.size() - 1; i >= 0; --i)
    if (numbers.at(i) == kNewRow || !ReviewReceipt(numbers.at(i), bReview))
      numbers.removeAt(i);
  Fill();
  SelectTexts(numbers);
  if (numbers.isEmpty())
    OnSelChange();
}

void CXxDjListView::OnSelChange() {
  // The form's fields are in the document already (the form takes them in
  // as the operator types): the receipt read replaces them.
  CXxDjFrmView* pForm = form();
  CXxDjDoc2* pDoc = m_pDoc;
  pDoc->ClearLineValues();
  const int state = GetNewState();
  bool tooLong = false;
  if (state == 1) {
    pDoc->PrepareNewReceipt();
  } else if (state == 0) {
    const QString number = GetItemText(GetSelectedRows().first(), kNumber);
    const QString shown = pDoc->m_storedHead.DH;
    const int count = pDoc->LoadReceipt(number);
    // The receipt shown, read again by a refresh that fails, stays as it
    // was, with the card's edits.
    if (count < 0 && m_putBackShown && number == shown) {
      m_putBackShown();
      return;
    }
    tooLong = count > pDoc->m_lines.size();
  } else {
    pDoc->ClearReceipt();
    if (pDoc->m_storedHead.T.isEmpty())
      return;
  }
  if (pForm)
    pForm->ShowRecord();
  pDoc->KeepStored();
  // Said once the form shows the receipt read: whatever runs while the
  // message is up finds the form and the document alike.
  if (tooLong)
    KvMessageBox(QStringLiteral("当前单据记录太多，无法打开全部记录！"), KV_MB_OK | KV_MB_ICONINFORMATION);
}

void CXxDjListView::OnRefresh() {
  // The card's edits are in the document before it is kept.
  if (CXxDjFrmView* pForm = form())
    pForm->ExchangeRecord(true);
  m_putBackShown = m_pDoc->KeepFillState();
  CKvListView::OnRefresh();
  m_putBackShown = nullptr;
  // A refill drops the selection without telling; the form follows. A
  // list that could not be read kept its selection and its card.
  if (m_bListRead && GetSelectedRows().isEmpty())
    OnSelChange();
}

bool CXxDjListView::HandlesCmd(int id) const {
  return id == KV_CMD_REVIEW || id == KV_CMD_UNREVIEW || CKvListView::HandlesCmd(id);
}

void CXxDjListView::ExecuteCmd(int id) {
  if (id == KV_CMD_REVIEW || id == KV_CMD_UNREVIEW)
    review(id == KV_CMD_REVIEW);
  else
    CKvListView::ExecuteCmd(id);
}
