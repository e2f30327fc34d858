#include "school/CXxDjDoc2.h"

#include "app/CKvApp.h"
#include "app/CKvOperation.h"
#include "app/KvAppFrame.h"
#include "core/CKvDb.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "core/KvNumber.h"
#include "forms/KvCardCommands.h"
#include "print/CKvPrintForm.h"
#include "school/CCost.h"
#include "school/CXxDataType.h"
#include "school/CXxDjOpenDlg.h"
#include "school/KvSchoolSql.h"
#include "ui/CMdiClient.h"
#include "ui/KvCommands.h"
#include "ui/KvModal.h"

#include <QDate>

#include <cmath>

namespace {
// A read the print needs failed: nothing was printed (a lost connection has
// told its own loss). Always false.
bool tellUnread(CKvDb* pDb) {
  if (!pDb->FailsAsLost())
    KvMessageBox(QStringLiteral("读取收据数据时出错，收据未打印！"), KV_MB_OK | KV_MB_ICONSTOP);
  return false;
}

// The receipt is printed but its count and log row were not stored, and
// nothing has said why since `shown` (KvMessageCount). Always false.
bool tellUncounted(CKvDb* pDb, unsigned shown) {
  if (KvMessageCount() == shown && !pDb->FailsAsLost())
    KvMessageBox(QStringLiteral("收据已打印，但打印次数未能保存！"), KV_MB_OK | KV_MB_ICONSTOP);
  return false;
}
// The positioned receipt layout of the print forms.
constexpr int kReceiptForm = 4181;
}  // namespace

CXxDjDoc2::CXxDjDoc2() = default;

int CXxDjDoc2::ReceiptRows() { return CXxDataType::ReceiptRowsRef(); }

void CXxDjDoc2::OnCloseDocument() {
  QStringList& args = OpenArgs();
  if (args.size() >= 3) {
    args[0] = m_strDay;
    args[1] = QString::number(m_nPrintMode);
    args[2] = QString::number(m_nPrintAfterSave);
    for (int i = 0; i < m_lines.size() && 3 + i < args.size(); ++i)
      args[3 + i] = m_lines.at(i).COST;
  }
  CKvCardDoc::OnCloseDocument();
}

void CXxDjDoc2::LoadOpenArgs() {
  SetInsets(10, 80, 10, 50);
  // The card takes four fifths of the work area when there is one.
  if (CMdiClient* pArea = KvGetMdiClient()) {
    const QSize area = pArea->size();
    if (area.width() * 4 / 5 > 15 && area.height() > 0)
      m_layout.CardSize = QSize(area.width() * 4 / 5 - 15, area.height() * 4 / 5);
  }
  const int n = ReceiptRows();
  QStringList& args = OpenArgs();
  if (args.size() != n + 3) {
    args = QStringList(n + 3, QString());
    const int year = KvGetApp() ? KvGetApp()->GetDataFile().GetYear() : QDate::currentDate().year();
    args[0] = KvFormat(QStringLiteral("%d%s"), year, QDate::currentDate().toString(QStringLiteral("MMdd")));
    args[1] = QStringLiteral("2");
    args[2] = QStringLiteral("0");
    QList<CCost> items;
    CCost::SelectAll(&items, m_pDb);
    for (int i = 0; i < n && i < items.size(); ++i)
      args[3 + i] = items.at(i).KNO;
  }
  m_student.Set(m_pDb, QString());
  ResizeLines(n);
  m_strDay = args.at(0);
  m_nPrintMode = KvStrToInt(args.at(1));
  m_nPrintAfterSave = KvStrToInt(args.at(2));
  for (int i = 0; i < n; ++i)
    m_lines[i].COST = args.at(3 + i);
  m_strTitle = QStringLiteral("收费收据");
}

bool CXxDjDoc2::PrepareOpen() {
  const int items = KvSchoolCount(m_pDb, QStringLiteral("Select Count(*) From COST"));
  // An unreadable count has been reported (or the loss of the connection
  // told): it is not an empty catalogue.
  if (items < 0)
    return false;
  if (items == 0) {
    KvMessageBox(QStringLiteral("未定义收费项目！"), KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  CXxDjOpenDlg dlg(m_pDb);
  dlg.m_strDate = m_strDay;
  if (KvExecDialog(&dlg) != QDialog::Accepted)
    return false;
  m_strDay = dlg.m_strDate;
  return true;
}

bool CXxDjDoc2::FillRows() {
  // The card draws the lines the form shows and totals every line read.
  const bool built =
      m_head.BuildReceiptLayout(&m_layout.Fields, m_lines + m_unshownLines, m_pDb, &m_operatorNames);
  return built && m_nLoadedLines >= 0;
}

void CXxDjDoc2::ClearFill() {
  ClearReceipt();
  ClearLineValues();
  // With no codes left the layout reads nothing.
  m_head.BuildReceiptLayout(&m_layout.Fields, m_lines, m_pDb, &m_operatorNames);
}

std::function<void()> CXxDjDoc2::KeepFillState() {
  return [this, head = m_head, storedHead = m_storedHead, student = m_student, lines = m_lines,
          storedLines = m_storedLines, term = m_strTerm, loaded = m_nLoadedLines, layout = m_layout,
          unshown = m_unshownLines] {
    m_head = head;
    m_storedHead = storedHead;
    m_student = student;
    m_lines = lines;
    m_storedLines = storedLines;
    m_strTerm = term;
    m_nLoadedLines = loaded;
    m_layout = layout;
    m_unshownLines = unshown;
  };
}

QString CXxDjDoc2::GetCardTitle(int nPage) {
  (void)nPage;
  return QStringLiteral("学校收费收据");
}

int CXxDjDoc2::GetTitleHeight(int nPage) {
  (void)nPage;
  return 2;
}

void CXxDjDoc2::AfterEdit(int nRow, int nColumn, const QString& text) {
  (void)nRow, (void)nColumn, (void)text;
  FillRows();
}

void CXxDjDoc2::ResizeLines(int n) {
  while (m_lines.size() > n)
    m_lines.removeLast();
  while (m_lines.size() < n)
    m_lines.append(CPc());
}

void CXxDjDoc2::ClearLineValues() {
  for (CPc& line : m_lines) {
    line.Mry.clear();
    line.My = 0.0;
  }
}

void CXxDjDoc2::PrepareNewReceipt() {
  m_head.Clear();
  m_student.Clear();
  m_head.T = m_strDay;
  m_head.DH = m_strNextNumber.isEmpty() ? CPc::NextVoucherNo(-1, m_strDay.left(4), m_pDb) : m_strNextNumber;
  m_strNextNumber.clear();
  m_head.F = -1;
  m_head.Opr0 = CPc::CurrentOperator();
  m_nLoadedLines = 0;
  m_unshownLines.clear();
}

int CXxDjDoc2::LoadReceipt(const QString& dh) {
  QList<CPc> lines;
  CPc head;
  const int count = head.SelectVoucherLines(-1, m_strDay, dh, &lines, m_pDb);
  // An unreadable receipt, or one deleted meanwhile, is not shown; the
  // next fill reports one that could not be read.
  if (count <= 0) {
    ClearReceipt();
    m_nLoadedLines = count < 0 ? -1 : 0;
    return count;
  }
  return takeReceipt(head, lines) ? count : -1;
}

bool CXxDjDoc2::takeReceipt(const CPc& head, const QList<CPc>& lines) {
  m_head = head;
  m_student.Clear();
  m_student.Set(m_pDb, m_head.STD);
  if (m_student.Load(0, -1) < 0) {
    ClearReceipt();
    m_nLoadedLines = -1;
    return false;
  }
  // Lines the receipt does not have keep their items, as a new receipt's.
  for (int i = 0; i < m_lines.size(); ++i) {
    const CPc line = lines.value(i);
    if (i < lines.size())
      m_lines[i].COST = line.COST;
    m_lines[i].Mry = line.Mry;
    m_lines[i].My = line.My;
  }
  m_nLoadedLines = int(lines.size());
  m_unshownLines = lines.mid(m_lines.size());
  return true;
}

bool CXxDjDoc2::IsShownAsStored(const CPc& head, const QList<CPc>& lines) const {
  const CPc& shown = m_storedHead;
  if (lines.size() != m_nLoadedLines || head.STD != shown.STD || head.QC != shown.QC || head.Opr0 != shown.Opr0 ||
      head.Opr1 != shown.Opr1)
    return false;
  for (int i = 0; i < lines.size() && i < m_storedLines.size(); ++i) {
    const CPc& line = lines.at(i);
    const CPc& kept = m_storedLines.at(i);
    if (line.COST != kept.COST || line.Mry != kept.Mry || std::fabs(line.My - kept.My) > 0.000001)
      return false;
  }
  return true;
}

void CXxDjDoc2::ClearReceipt() {
  m_head.Clear();
  m_student.Clear();
  m_nLoadedLines = 0;
  m_unshownLines.clear();
}

void CXxDjDoc2::KeepStored() {
  m_storedHead = m_head;
  m_storedLines = m_lines;
}

bool CXxDjDoc2::WriteLog(const QString& note) {
  CKvApp* app = KvGetApp();
  if (!app || !app->GetDataFile().IsLogOn())
    return true;
  return CKvOperation::InsertLogRow(app->GetTask().nTask, CKvOperation::OperatorLabel(),
                                    CKvOperation::NowText(), CXxDataType::kModule * 100 + 2, note, m_pDb);
}

bool CXxDjDoc2::PrintReceipt(int nMode, QWidget* parent, StoredState* pState) {
  StoredState unused = kAsShown;
  StoredState& state = pState ? *pState : unused;
  state = kAsShown;
  if (m_head.T.isEmpty() || m_head.DH.isEmpty())
    return false;
  // The paper shows the receipt as stored now: another workstation may
  // have changed or deleted it since the window read it.
  CPc stored;
  QList<CPc> lines;
  const int count = stored.SelectVoucherLines(-1, m_head.T, m_head.DH, &lines, m_pDb);
  if (count < 0)
    return tellUnread(m_pDb);
  if (count == 0) {
    state = kGone;
    KvMessageBox(QStringLiteral("该收据已不存在！"), KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  if (!IsShownAsStored(stored, lines)) {
    state = kTaken;
    const bool read = takeReceipt(stored, lines);
    KeepStored();
    if (!read)
      return tellUnread(m_pDb);
  }
  bool printed = false;
  QString note;
  if (nMode == kPositioned) {
    CPc head = m_head;
    CKvPrintForm form(m_pDb, kReceiptForm);
    QList<QPair<QString, QString>> macros;
    if (!form.IsLoaded() || !head.BuildReceiptMacros(m_pDb, &macros))
      return tellUnread(m_pDb);
    for (const auto& macro : std::as_const(macros))
      form.AddMacro(macro.first, macro.second);
    form.SetOwnerLogs(true);
    printed = form.Print(KV_CMD_FILE_PRINT_DIRECT, parent);
    note = KvFormat(QStringLiteral("自定位打印：№%s"), m_head.DH);
  } else {
    // The card of the stored receipt, its total over every stored line;
    // the window's card comes back after the print.
    const bool bOverlay = nMode == kOverlay;
    const KvTextBoxArray shown = m_layout.Fields;
    CPc head = m_head;
    const bool read = head.BuildReceiptLayout(&m_layout.Fields, lines, m_pDb, &m_operatorNames);
    if (read)
      printed = KvPrintCard(*this, KV_CMD_FILE_PRINT_DIRECT, bOverlay, nullptr, parent);
    m_layout.Fields = shown;
    if (!read)
      return tellUnread(m_pDb);
    note = KvFormat(bOverlay ? QStringLiteral("套打：№%s") : QStringLiteral("打印：№%s"), m_head.DH);
  }
  return printed && RecordPrint(note);
}

bool CXxDjDoc2::RecordPrint(const QString& note) {
  // The count first: a receipt deleted while it printed counts nothing and
  // leaves no log row. The count's and the log's statements, the begin and
  // the commit tell their own failures; one that said nothing (a closed
  // connection) is told here, as the paper is already printed.
  const unsigned shown = KvMessageCount();
  KvDbTransaction transaction(*m_pDb);
  if (!transaction.IsActive())
    return tellUncounted(m_pDb, shown);
  if (!CPc::IncPrintCount(m_head.F, m_head.T, m_head.DH, m_pDb) || !WriteLog(note))
    return false;
  return transaction.Commit() || tellUncounted(m_pDb, shown);
}
