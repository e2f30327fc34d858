#include "school/CXxDjFrmView.h"

#include "app/CKvApp.h"
#include "core/CKvDb.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "core/KvNumber.h"
#include "school/CCost.h"
#include "school/CPc.h"
#include "school/CXxDataType.h"
#include "school/CXxDjDoc2.h"
#include "school/CXxDjListView.h"
#include "school/CXxStdListDlg.h"
#include "school/KvStdPicker.h"
#include "ui/CKvEdit.h"
#include "ui/KvComboHelpers.h"
#include "ui/KvCommands.h"
#include "ui/KvModal.h"
#include "ui/KvObjectNames.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace {
// An amount field's integer digits (its decimals are the store's, CPc::kAmountDecimals).
constexpr int kAmountDigits = 10;

bool isDigits(const QString& text) {
  return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= '0' && c.unicode() <= '9'; });
}
}  // namespace

CXxDjFrmView::CXxDjFrmView(CXxDjDoc2* pDoc, QWidget* parent) : CKvCardFrmView(IDD, pDoc, parent) {
  QWidget* form = Form();
  // The settings stand above the card, in the space its top inset leaves.
  auto* settings = new QGroupBox(QStringLiteral("环境参数设置"), form);
  m_pSettings = settings;
  auto* row = new QHBoxLayout(settings);
  row->setContentsMargins(8, 2, 8, 4);
  m_pRows = KvSetControlId(new QComboBox(settings), IDC_ROWS);
  m_pMode = KvSetControlId(new QComboBox(settings), IDC_MODE);
  m_pAfter = KvSetControlId(new QCheckBox(QStringLiteral("保存单据后立即打印"), settings), IDC_PRINT_AFTER);
  row->addWidget(new QLabel(QStringLiteral("一张单据最多可开"), settings));
  row->addWidget(m_pRows);
  row->addWidget(new QLabel(QStringLiteral("个费用项目"), settings));
  row->addSpacing(16);
  row->addWidget(new QLabel(QStringLiteral("单据打印模式："), settings));
  row->addWidget(m_pMode);
  row->addSpacing(16);
  row->addWidget(m_pAfter);
  settings->move(10, 4);
  settings->adjustSize();

  m_pStudent = KvSetControlId(new CKvEdit(form), IDC_STUDENT);
  m_pPick = KvSetControlId(new QPushButton(QStringLiteral("&B"), form), IDC_PICK);
  m_pTerm = KvSetControlId(new CKvEdit(form), IDC_TERM);
  m_pNumber = KvSetControlId(new CKvEdit(form), IDC_NUMBER);
  m_pOk = KvSetControlId(new QPushButton(QStringLiteral("&S.确认"), form), KV_IDOK);
  m_pCancel = KvSetControlId(new QPushButton(QStringLiteral("&X.取消"), form), KV_IDCANCEL);
  m_pPrint = KvSetControlId(new QPushButton(QStringLiteral("&P.打印"), form), IDC_PRINT);
  KvSetControlId(new QPushButton(QStringLiteral("默认按扭"), form), KV_CMD_ENTER);
  m_pPick->setFixedWidth(m_pPick->fontMetrics().horizontalAdvance(QStringLiteral("B")) + 16);
  m_pTerm->setFixedWidth(m_pTerm->fontMetrics().horizontalAdvance(QStringLiteral("00")) + 16);
  for (QPushButton* button : {m_pOk, m_pCancel, m_pPrint})
    button->resize(button->sizeHint());
  // The controls over the card keep one height, which fits a row.
  for (QWidget* edit : {m_pStudent, m_pTerm, m_pNumber})
    edit->resize(edit->width(), edit->sizeHint().height());
  m_pPick->setFixedHeight(m_pStudent->height());
  for (int i = 0; i < kSlots; ++i) {
    m_pMemo[i] = KvSetControlId(new CKvEdit(form), IDC_LINE0 + 3 * i);
    m_pItem[i] = KvSetControlId(new QComboBox(form), IDC_LINE0 + 3 * i + 1);
    m_pAmount[i] = KvSetControlId(new CKvEdit(form), IDC_LINE0 + 3 * i + 2);
    for (QWidget* control : {static_cast<QWidget*>(m_pMemo[i]), static_cast<QWidget*>(m_pItem[i]),
                             static_cast<QWidget*>(m_pAmount[i])})
      control->resize(control->width(), control->sizeHint().height());
    for (CKvEdit* edit : {m_pMemo[i], m_pAmount[i]})
      connect(edit, &QLineEdit::textEdited, this, [this] {
        RefreshRecord();
        UpdateListState();
      });
    connect(m_pItem[i], &QComboBox::activated, this, [this] {
      RefreshRecord();
      UpdateListState();
    });
  }
  // Only the operator's typing changes the student; the name the edit shows
  // once it loses the focus does not.
  connect(m_pStudent, &QLineEdit::textEdited, this, [this](const QString& text) { onStudentEdited(text); });
  m_pStudent->installEventFilter(this);
  connect(m_pPick, &QPushButton::clicked, this, [this] { pickStudent(); });
  connect(m_pPrint, &QPushButton::clicked, this, [this] { OnPrint(); });
  connect(m_pRows, &QComboBox::activated, this, [this] { onRowsChosen(); });
  // The fields go into the document as the operator changes them: the
  // modified query only reads it.
  const auto taken = [this] {
    ExchangeRecord(true);
    UpdateListState();
  };
  connect(m_pMode, &QComboBox::activated, this, taken);
  connect(m_pAfter, &QCheckBox::clicked, this, taken);
  for (CKvEdit* edit : {m_pNumber, m_pTerm})
    connect(edit, &QLineEdit::textEdited, this, taken);
}

CXxDjDoc2* CXxDjFrmView::GetDjDoc() const { return static_cast<CXxDjDoc2*>(GetDocument()); }

CXxDjListView* CXxDjFrmView::list() const { return GetDjDoc()->FindView<CXxDjListView>(); }

void CXxDjFrmView::initialUpdate() {
  CKvCardFrmView::initialUpdate();
  for (QComboBox* combo : {m_pRows, m_pMode}) {
    KvSetComboExtendedUi(combo);
    combo->clear();
  }
  for (int n = 1; n <= kSlots; ++n)
    m_pRows->addItem(QString::number(n));
  m_pMode->addItems({QStringLiteral("全格式"), QStringLiteral("一般套打"), QStringLiteral("自定位套打")});
  m_pMode->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  m_pSettings->adjustSize();
  m_pRows->setEnabled(KvHasRightCode(QStringLiteral("0080")));
  m_pStudent->SetInputType(QStringLiteral("MDBSTRING"), 30);
  m_pTerm->SetInputType(QStringLiteral("STRING DIGIT"), 2);
  m_pNumber->SetInputType(QStringLiteral("STRING DIGIT"), 5);
  QList<CCost> items;
  CCost::SelectAll(&items, GetDjDoc()->m_pDb);
  for (int i = 0; i < kSlots; ++i) {
    m_pMemo[i]->SetInputType(QStringLiteral("MDBSTRING"), 60);
    m_pAmount[i]->SetInputType(QStringLiteral("NUMBER"), kAmountDigits, CPc::kAmountDecimals);
    KvSetComboExtendedUi(m_pItem[i]);
    m_pItem[i]->clear();
    for (const CCost& item : items)
      m_pItem[i]->addItem(KvFormat(QStringLiteral("%s %s"), item.KNO, item.NA), item.KNO);
    for (QWidget* control : {static_cast<QWidget*>(m_pMemo[i]), static_cast<QWidget*>(m_pItem[i]),
                             static_cast<QWidget*>(m_pAmount[i])})
      control->setFont(font());
  }
  m_nRowIndex = CXxDjDoc2::ReceiptRows() - 1;
  // The settings show the document's before any load takes them back in.
  ExchangeRecord(false);
  // The last row of the list: the new receipt, or the day's last one.
  if (CXxDjListView* pList = list()) {
    const int count = pList->GetItemCount();
    if (count > 0)
      pList->SelectNumber(pList->GetItemText(count - 1, 0));
    else
      pList->OnSelChange();
  }
  ShowRecord();
}

void CXxDjFrmView::OnUpdate() {
  CKvCardFrmView::OnUpdate();
  CXxDjDoc2* pDoc = GetDjDoc();
  const int n = int(pDoc->m_lines.size());
  const int boxes = int(pDoc->m_layout.Fields.size());
  if (boxes != 3 * n + 25)
    return;
  for (int i = 0; i < n && i < kSlots; ++i) {
    MovePageRect(m_pMemo[i], 16 + 3 * i, 3, true);
    MovePageRect(m_pItem[i], 17 + 3 * i, 3, true);
    MovePageRect(m_pAmount[i], 18 + 3 * i, 3, true);
  }
  MovePageRect(m_pStudent, 1, 3, true);
  MovePageRect(m_pPick, 2, 0, false);
  MovePageRect(m_pTerm, 10, 3, false);
  MovePageRect(m_pNumber, 12, 3, true);
  const QRect review = pDoc->m_layout.PlaceFields(3 * n + 21);
  const int top = review.bottom() + review.height() / 2;
  OffsetPage(m_pOk, pDoc->m_layout.PlaceFields(14).left(), top);
  OffsetPage(m_pCancel, review.left(), top);
  OffsetPage(m_pPrint, pDoc->m_layout.PlaceFields(3 * n + 23).left(), top);
}

void CXxDjFrmView::ExchangeRecord(bool bSave) {
  CXxDjDoc2* pDoc = GetDjDoc();
  CPc& head = pDoc->m_head;
  const int n = std::min(int(pDoc->m_lines.size()), int(kSlots));
  if (bSave) {
    m_nRowIndex = m_pRows->currentIndex();
    pDoc->m_nPrintMode = m_pMode->currentIndex();
    pDoc->m_nPrintAfterSave = m_pAfter->isChecked() ? 1 : 0;
    if (m_pStudent->hasFocus())
      head.STD = m_pStudent->text();
    pDoc->m_strTerm = m_pTerm->text();
    head.DH = m_pNumber->text();
    for (int i = 0; i < n; ++i) {
      CPc& line = pDoc->m_lines[i];
      line.Mry = m_pMemo[i]->text();
      line.My = KvTextToDouble(m_pAmount[i]->text());
      line.COST = m_pItem[i]->currentIndex() < 0 ? QString() : m_pItem[i]->currentData().toString();
    }
    // An empty term is -1, which the save refuses.
    head.QC = pDoc->m_strTerm.trimmed().isEmpty() ? -1 : KvStrToInt(pDoc->m_strTerm) - 1;
    return;
  }
  for (int i = 0; i < n; ++i) {
    CPc& line = pDoc->m_lines[i];
    const int index = line.COST.isEmpty() ? -1 : m_pItem[i]->findData(line.COST);
    m_pItem[i]->setCurrentIndex(index);
    if (index < 0)
      line.COST.clear();
  }
  pDoc->m_strTerm = head.QC < 0 ? QString() : QString::number(head.QC + 1);
  m_pRows->setCurrentIndex(m_nRowIndex);
  m_pMode->setCurrentIndex(pDoc->m_nPrintMode);
  m_pAfter->setChecked(pDoc->m_nPrintAfterSave != 0);
  m_pStudent->setText(m_pStudent->hasFocus() ? head.STD : pDoc->m_student.NA);
  m_pTerm->setText(pDoc->m_strTerm);
  m_pNumber->setText(head.DH);
  for (int i = 0; i < n; ++i) {
    const CPc& line = pDoc->m_lines.at(i);
    m_pMemo[i]->setText(line.Mry);
    m_pAmount[i]->setText(QString::number(line.My, 'g', 15));
  }
}

void CXxDjFrmView::ShowRecord() {
  ExchangeRecord(false);
  // A receipt that could not be read is not shown: the document cleared it.
  if (!GetDjDoc()->Fill())
    ExchangeRecord(false);
  OnUpdate();
}

bool CXxDjFrmView::IsReadOnly() {
  CXxDjDoc2* pDoc = GetDjDoc();
  const CPc& head = pDoc->m_head;
  CXxDjListView* pList = list();
  const int state = pList ? pList->GetNewState() : -1;
  // A receipt with more lines than the form shows is never saved from it:
  // its save would drop the lines not shown.
  const bool editable = KvHasRight(CXxDataType::kModule, QStringLiteral("06")) && state >= 0 &&
                        (state == 1 || (head.Opr1.isEmpty() && head.Opr0 == CPc::CurrentOperator())) &&
                        !pDoc->IsLongReceipt() && !pDoc->IsFillFailed();
  for (QWidget* control : {static_cast<QWidget*>(m_pStudent), static_cast<QWidget*>(m_pPick),
                           static_cast<QWidget*>(m_pTerm), static_cast<QWidget*>(m_pNumber),
                           static_cast<QWidget*>(m_pOk), static_cast<QWidget*>(m_pCancel)}) {
    control->setEnabled(editable);
    control->setVisible(editable);
  }
  const int n = int(pDoc->m_lines.size());
  for (int i = 0; i < kSlots; ++i)
    for (QWidget* control : {static_cast<QWidget*>(m_pMemo[i]), static_cast<QWidget*>(m_pItem[i]),
                             static_cast<QWidget*>(m_pAmount[i])}) {
      control->setEnabled(editable && i < n);
      control->setVisible(editable && i < n);
    }
  m_pPrint->setEnabled(state >= 0);
  return !editable;
}

bool CXxDjFrmView::IsModified(QString& reason) {
  reason.clear();
  const CXxDjDoc2* pDoc = GetDjDoc();
  const CPc& head = pDoc->m_head;
  const CPc& stored = pDoc->m_storedHead;
  if (head.STD != stored.STD || head.QC != stored.QC || head.DH != stored.DH)
    return true;
  for (int i = 0; i < pDoc->m_lines.size(); ++i) {
    const CPc& line = pDoc->m_lines.at(i);
    const CPc storedLine = pDoc->m_storedLines.value(i);
    if (line.Mry != storedLine.Mry || line.COST != storedLine.COST || std::fabs(line.My - storedLine.My) > 0.000001)
      return true;
  }
  return false;
}

bool CXxDjFrmView::SaveRecord(int n) {
  (void)n;
  return save(kPrintAfterSave);
}

void CXxDjFrmView::focusResult(const KvReceiptSaveResult& result) {
  const int line = std::clamp(result.nLine, 0, int(kSlots) - 1);
  switch (result.focus) {
    case KvReceiptSaveResult::kStudent: m_pStudent->setFocus(); break;
    case KvReceiptSaveResult::kTerm: m_pTerm->setFocus(); break;
    case KvReceiptSaveResult::kItem: m_pItem[line]->setFocus(); break;
    case KvReceiptSaveResult::kAmount: m_pAmount[line]->setFocus(); break;
    case KvReceiptSaveResult::kNone: break;
  }
}

bool CXxDjFrmView::amountsReadable() {
  const int n = std::min(int(GetDjDoc()->m_lines.size()), int(kSlots));
  for (int i = 0; i < n; ++i) {
    // Typing lets "-" and "." stand on the way to a number; the save reads
    // a number only.
    double amount = 0.0;
    const QString text = m_pAmount[i]->text();
    if (KvReadTypedNumber(text, kAmountDigits, CPc::kAmountDecimals, &amount))
      continue;
    KvMessageBox(QStringLiteral("输入的“%1”不能放入本栏！").arg(text), KV_MB_OK | KV_MB_ICONSTOP);
    m_pAmount[i]->setFocus();
    return false;
  }
  return true;
}

bool CXxDjFrmView::save(int nPrintMode) {
  CXxDjDoc2* pDoc = GetDjDoc();
  ExchangeRecord(true);
  CXxDjListView* pList = list();
  const int state = pList ? pList->GetNewState() : -1;
  if (state < 0) {
    KvMessageBox(QStringLiteral("单据列表框中无选择项！"), KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  if (IsReadOnly() || !amountsReadable())
    return false;
  const bool bNew = state == 1;
  QList<CPc> saved;
  CPc::DayTally dayBefore;
  // A replaced receipt must still be stored as the window loaded it.
  const auto asLoaded = [pDoc](const CPc& head, const QList<CPc>& lines) { return pDoc->IsShownAsStored(head, lines); };
  const KvReceiptSaveResult result = KvReceiptSave::Save(pDoc->m_head, pDoc->m_storedHead, pDoc->m_lines, bNew,
                                                         pDoc->m_pDb, &saved, &dayBefore, asLoaded);
  focusResult(result);
  if (!result.bSaved)
    return false;
  const QString number = pDoc->m_head.DH;
  // A new receipt's row comes from what the save read; the day is read
  // again when that could give other rows (another workstation wrote to
  // the day since the list was read).
  if (!bNew || !result.bStudentKnown ||
      !pList->ShowSavedReceipt(pDoc->m_head, result.strStudentName, result.strStudentTel, dayBefore,
                               int(saved.size())))
    pList->Fill();
  if (nPrintMode == kPrintAfterSave && pDoc->m_nPrintAfterSave)
    nPrintMode = pDoc->m_nPrintMode;
  const bool print = nPrintMode != kPrintAfterSave;
  if (bNew && !print) {
    // Nothing shows the saved receipt before the next new one, so it is
    // not loaded: its lines' items go to the form's lines as loading it
    // would have put them, and the next new receipt keeps them.
    for (int i = 0; i < saved.size() && i < pDoc->m_lines.size(); ++i)
      pDoc->m_lines[i].COST = saved.at(i).COST;
    ExchangeRecord(false);
  } else {
    pList->SelectNumber(number);
  }
  if (print)
    printStored(nPrintMode);
  if (bNew) {
    // The next new receipt takes the number the save read under its lock.
    pDoc->m_strNextNumber = result.strNextNumber;
    pList->SelectNumber(CXxDjListView::kNewRow);
    pDoc->m_strNextNumber.clear();
    m_pStudent->setFocus();
  } else {
    pDoc->KeepStored();
  }
  UpdateListState();
  return true;
}

void CXxDjFrmView::printStored(int nMode) {
  CXxDjDoc2* pDoc = GetDjDoc();
  CXxDjDoc2::StoredState state = CXxDjDoc2::kAsShown;
  const bool printed = pDoc->PrintReceipt(nMode, this, &state);
  // A receipt changed elsewhere is shown as it is stored now; after a print
  // the list shows the print, and a receipt deleted elsewhere leaves it.
  if (state == CXxDjDoc2::kTaken)
    ShowRecord();
  if (!printed && state != CXxDjDoc2::kGone)
    return;
  if (CXxDjListView* pList = list())
    pList->OnRefresh();
}

void CXxDjFrmView::OnPrint() {
  GetDjDoc()->m_nPrintMode = m_pMode->currentIndex();
  printInMode(GetDjDoc()->m_nPrintMode);
}

void CXxDjFrmView::printInMode(int nMode) {
  CXxDjListView* pList = list();
  const int state = pList ? pList->GetNewState() : -1;
  if (state < 0)
    return;
  // The paper shows what is stored: a new or changed receipt is saved
  // first, and a refused save prints nothing.
  QString reason;
  if (state == 1 || (!IsReadOnly() && IsModified(reason))) {
    save(nMode);
    return;
  }
  printStored(nMode);
}

void CXxDjFrmView::OnTabKey() {
  ExchangeRecord(true);
  QWidget* focus = focusWidget();
  const int id = focus ? KvControlId(focus) : -1;
  const int n = int(GetDjDoc()->m_lines.size());
  if (id == IDC_LINE0 - 1 + 3 * n) {
    m_pOk->setFocus();
    OnSaveCommand();
  } else if (id == IDC_PRINT) {
    OnPrint();
  } else if (id == IDC_NUMBER) {
    m_pMemo[0]->setFocus();
  } else if (id == IDC_STUDENT) {
    CStd& student = GetDjDoc()->m_student;
    student.Set(GetDjDoc()->m_pDb, GetDjDoc()->m_head.STD);
    QList<CStd> found;
    if (student.FindStudents(&found) == 1)
      m_pTerm->setFocus();
    else
      pickStudent();
  } else if (id == IDC_PICK) {
    pickStudent();
  } else {
    CKvCardFrmView::OnTabKey();
  }
}

void CXxDjFrmView::onStudentEdited(const QString& text) {
  CXxDjDoc2* pDoc = GetDjDoc();
  CPc& head = pDoc->m_head;
  const QString old = head.STD;
  ExchangeRecord(true);
  head.STD = text;
  if (head.STD == old)
    return;
  CStd& student = pDoc->m_student;
  student.Set(pDoc->m_pDb, text);
  QList<CStd> found;
  if (student.FindStudents(&found) == 1) {
    head.STD = student.KNO;
    QList<CPc> owed;
    head.QC = CPc::FindOutstandingTerm(student, &owed, pDoc->m_pDb);
    for (int i = 0; i < owed.size() && i < pDoc->m_lines.size(); ++i) {
      pDoc->m_lines[i].COST = owed.at(i).COST;
      pDoc->m_lines[i].My = owed.at(i).My;
    }
  }
  ShowRecord();
  UpdateListState();
}

void CXxDjFrmView::pickStudent() {
  CXxDjDoc2* pDoc = GetDjDoc();
  ExchangeRecord(true);
  const QString typed = pDoc->m_head.STD;
  QString code = typed;
  bool picked = false;
  if (isDigits(typed)) {
    picked = KvPickStdCode(this, pDoc->m_pDb, 1, code);
  } else {
    CXxStdListDlg dlg(typed, pDoc->m_pDb, this);
    picked = KvExecDialog(&dlg) == QDialog::Accepted;
    code = dlg.m_strCode;
  }
  if (!picked)
    return;
  m_pStudent->setFocus();
  m_pStudent->setText(code);
  onStudentEdited(code);
}

void CXxDjFrmView::onRowsChosen() {
  CXxDjDoc2* pDoc = GetDjDoc();
  ExchangeRecord(true);
  const int chosen = m_nRowIndex;
  if (CXxDataType::CheckParamChange(true, pDoc->m_pDb) != 0) {
    // Unreadable parameters change nothing: the combo shows the count again.
    m_nRowIndex = CXxDjDoc2::ReceiptRows() - 1;
    ExchangeRecord(false);
    return;
  }
  const int n = CXxDjDoc2::ReceiptRows();
  if (chosen == n - 1)
    return;
  // Lines typed on the form are never dropped: the rows cover the last one
  // holding a memo or an amount.
  int typed = 0;
  for (int i = 0; i < pDoc->m_lines.size(); ++i)
    if (!pDoc->m_lines.at(i).Mry.isEmpty() || std::fabs(pDoc->m_lines.at(i).My) > 0.000001)
      typed = i + 1;
  const QString tooLong = QStringLiteral("当前设置的开单项目数，或已开单据的项目数大于此数，不能作此修改！");
  const auto keepCount = [this, n] {
    m_nRowIndex = n - 1;
    ExchangeRecord(false);
  };
  const int longest = CPc::MaxReceiptLines(pDoc->m_pDb);
  bool accepted = false;
  if (longest >= 0) {
    if (chosen + 1 < std::max(longest, typed))
      KvMessageBox(tooLong, KV_MB_OK | KV_MB_ICONSTOP);
    else
      accepted = KvMessageBox(QStringLiteral("真的要修改此参数吗?"), KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION) == KV_IDYES;
  }
  if (!accepted) {
    keepCount();
    return;
  }
  // After the answer, under the locks of the tree and of PC: the stored
  // parameters, which the save writes whole and which the tree's writes
  // change under the STD lock, are still those in memory (a change in
  // flight is waited for), and the longest stored receipt again, as no
  // longer receipt is saved meanwhile.
  const unsigned shown = KvMessageCount();
  KvDbTransaction transaction(*pDoc->m_pDb, QStringLiteral("STD"));
  const int changed = transaction.IsActive() && pDoc->m_pDb->LockTable(QStringLiteral("PC"))
                          ? CXxDataType::StoredParamsChanged(pDoc->m_pDb)
                          : -1;
  if (changed > 0) {
    transaction.Rollback();
    CXxDataType::CheckParamChange(true, pDoc->m_pDb);
    keepCount();
    return;
  }
  const int stored = changed == 0 ? CPc::MaxReceiptLines(pDoc->m_pDb) : -1;
  if (stored >= 0 && chosen + 1 < stored) {
    transaction.Rollback();
    KvMessageBox(tooLong, KV_MB_OK | KV_MB_ICONSTOP);
    keepCount();
    return;
  }
  // Memory changes only with what is stored: a count kept only in memory
  // would make the next save find the parameters changed and end the
  // program.
  CXxDataType::ReceiptRowsRef() = chosen + 1;
  CXxDataType* pType = CXxDataType::Get();
  if (stored < 0 || !pType || !pType->SaveParams(pDoc->m_pDb) || !transaction.Commit()) {
    // Told after the rollback, and only when nothing on the way (the
    // connection's report of a failed statement or of a lock given up)
    // has told already.
    transaction.Rollback();
    CXxDataType::ReceiptRowsRef() = n;
    keepCount();
    if (KvMessageCount() == shown)
      KvMessageBox(QStringLiteral("收费单据行数未能保存！"), KV_MB_OK | KV_MB_ICONSTOP);
    return;
  }
  m_nRowIndex = CXxDjDoc2::ReceiptRows() - 1;
  pDoc->ResizeLines(CXxDjDoc2::ReceiptRows());
  ShowRecord();
}

void CXxDjFrmView::focusInEvent(QFocusEvent* event) {
  CKvCardFrmView::focusInEvent(event);
  // The form hands its focus to the student edit, where a receipt starts.
  if (m_pStudent->isVisible() && m_pStudent->isEnabled())
    m_pStudent->setFocus(event->reason());
}

bool CXxDjFrmView::eventFilter(QObject* watched, QEvent* event) {
  // The student edit shows the code while it is edited, the name otherwise.
  if (watched == m_pStudent) {
    CXxDjDoc2* pDoc = GetDjDoc();
    if (event->type() == QEvent::FocusIn)
      m_pStudent->setText(pDoc->m_head.STD);
    else if (event->type() == QEvent::FocusOut)
      m_pStudent->setText(pDoc->m_student.NA);
  }
  return CKvCardFrmView::eventFilter(watched, event);
}

bool CXxDjFrmView::HandlesCmd(int id) const {
  return id == KV_CMD_POSITIONED_PRINT || id == KV_CMD_REFRESH || CKvCardFrmView::HandlesCmd(id);
}

bool CXxDjFrmView::IsCmdEnabled(int id) {
  if (id == KV_CMD_FILE_PRINT || id == KV_CMD_OVERLAY_PRINT) {
    // A stored receipt shown; a changed one is saved before it prints.
    const CXxDjDoc2* pDoc = GetDjDoc();
    return list() && list()->GetNewState() == 0 && !pDoc->m_storedHead.DH.isEmpty() && pDoc->m_nLoadedLines > 0;
  }
  if (id == KV_CMD_POSITIONED_PRINT) {
    // Only a stored receipt as stored: other prints save first (OnPrint).
    QString reason;
    return list() && list()->GetNewState() == 0 && (GetDjDoc()->m_bReadOnly || !IsModified(reason));
  }
  if (id == KV_CMD_REFRESH)
    return true;
  return CKvCardFrmView::IsCmdEnabled(id);
}

void CXxDjFrmView::ExecuteCmd(int id) {
  // Print and overlay print of the receipt take the print button's way:
  // save first, print what is stored, count and log the printed job.
  if (id == KV_CMD_FILE_PRINT)
    printInMode(CXxDjDoc2::kFullFormat);
  else if (id == KV_CMD_OVERLAY_PRINT)
    printInMode(CXxDjDoc2::kOverlay);
  else if (id == KV_CMD_POSITIONED_PRINT)
    printStored(CXxDjDoc2::kPositioned);
  else if (id == KV_CMD_REFRESH) {
    // The list's refill selects the receipt again and reads it over the
    // card's unsaved edits.
    if (list() && GetDjDoc()->MayDiscardEdits())
      list()->OnRefresh();
  } else
    CKvCardFrmView::ExecuteCmd(id);
}
