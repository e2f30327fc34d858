#include "app/CKvOperation.h"

#include "app/CKvApp.h"
#include "app/CKvDataType.h"
#include "app/CKvDwRec.h"
#include "app/KvAppQuery.h"
#include "core/CKvDb.h"
#include "core/KvBeforeTransaction.h"
#include "core/KvDate.h"
#include "core/KvDbBackend.h"
#include "core/KvDbTransaction.h"
#include "core/KvMessage.h"
#include "core/KvSqlTranslator.h"
#include "core/KvSystemInfo.h"
#include "core/KvWidth.h"

#include <unistd.h>

#include <algorithm>
#include <limits>
#include <memory>

namespace {

// Widths of the log's text columns.
constexpr int kNoteCut = 230;
constexpr int kNoteWidth = 240;
constexpr int kLabelWidth = 20;
constexpr int kNameWidth = 240;

bool isLogOn() {
  CKvApp* app = KvGetApp();
  return app && app->GetDataFile().IsLogOn();
}

// The condition that finds a work period before its number is known.
QString periodCondition(const CKvOperation& task, CKvDb* pDb) {
  return QStringLiteral("nThreadID=%1 And sT1='%2' And sComputer='%3'")
      .arg(QString::number(task.nThreadID), pDb->QuoteText(task.sT1),
           pDb->QuoteText(task.sComputer, kNameWidth));
}

// The highest period number ever given, kept in the data file's own
// switches (SysCsTab Cs 0, CsN 2) so that a period deleted with its
// entries never gives its number again.
const QString kLastTaskWhere = QStringLiteral("Where Cs=0 And CsN=2");

// The highest number in the first column, 0 for no row or NULL (a text
// that is no number counts as 0 too); false when unreadable.
bool highestIn(CKvDb* pDb, const QString& sql, qint64* pnHighest) {
  const std::unique_ptr<KvDbCursor> cursor = KvAppSelect(pDb, sql);
  if (!cursor || cursor->columnCount() < 1)
    return false;
  *pnHighest = 0;
  for (; !cursor->atEnd(); cursor->next())
    *pnHighest = std::max(*pnHighest, cursor->text(0).trimmed().toLongLong());
  return true;
}

bool storeLastGivenTask(CKvDb* pDb, qint64 nTask) {
  return pDb->Execute(QStringLiteral("Delete From SysCsTab ") + kLastTaskWhere) &&
         pDb->Execute(QStringLiteral("Insert Into SysCsTab(Cs,CsN,CsNa,CsVal,LPO) "
                                     "Values(0,2,'最大工作期号','%1','')")
                          .arg(nTask));
}

// The application's period was begun but not registered: the log was off
// at the login, or its registration did not commit (another station held
// KvTask). It registers before its next entry with the log on.
bool g_bUnregistered = false;
// A registration is running: the transactions it begins go on.
bool g_bRegistering = false;

void setUnregistered(bool unregistered);

// Registers the application's unregistered period outside any transaction
// of the connection, then writes what its login could not: the entry
// "操作员：%s 开始工作" at the login's time and the operator's label. False
// while it stays unregistered (the failure has been shown).
bool registerLate(CKvDb* pDb) {
  CKvApp* app = KvGetApp();
  if (!g_bUnregistered)
    return true;
  if (!app || !pDb || pDb != app->GetDb() || pDb->TransactionDepth() > 0)
    return false;
  CKvOperation& task = app->GetTask();
  // An application that never logged in began no period to register.
  if (task.sT1.isEmpty())
    return true;
  g_bRegistering = true;
  CKvOperation::RegisterTask(task, pDb);
  g_bRegistering = false;
  if (task.nTask == 0)
    return false;
  setUnregistered(false);
  const QString who = CKvOperation::OperatorLabel();
  CKvOperation::InsertLogRow(task.nTask, who, task.sT1, 0, QStringLiteral("操作员：%1 开始工作").arg(who), pDb);
  CKvOperation::AddLogOperator(who, pDb);
  return true;
}

// While the period is unregistered, the application's connection registers
// it before a transaction begins: the entries written inside then carry it,
// and a write that could not carry it is refused with the lock's message.
void setUnregistered(bool unregistered) {
  g_bUnregistered = unregistered;
  KvSetBeforeTransaction(unregistered ? KvBeforeTransactionFn([](CKvDb& db) {
    CKvApp* app = KvGetApp();
    return g_bRegistering || !app || &db != app->GetDb() || !isLogOn() || registerLate(&db);
  })
                                      : KvBeforeTransactionFn());
}

}  // namespace

CKvOperation::CKvOperation(int nCode, const QString& detail) { WriteLog(nCode, detail); }

CKvOperation::CKvOperation(int nModule, int nOp, const QString& detail) {
  WriteLog(nModule * 100 + nOp, detail);
}

CKvOperation::~CKvOperation() = default;

bool CKvOperation::RegisterPendingTask() {
  CKvApp* app = KvGetApp();
  return !g_bUnregistered || !app || !isLogOn() || registerLate(app->GetDb());
}

void CKvOperation::Clear() {
  nTask = 0;
  nThreadID = 0;
  sT1.clear();
  sT2.clear();
  sComputer.clear();
  sUser.clear();
}

QString CKvOperation::NowText() { return KvNowText(QStringLiteral("%Y%m%d%H%M%S")); }

QString CKvOperation::OperatorLabel() {
  CKvApp* app = KvGetApp();
  if (!app)
    return QString();
  const CKvDataFile& file = app->GetDataFile();
  return QStringLiteral("%1(%2)").arg(file.GetOperatorName(), file.GetOperatorCode());
}

void CKvOperation::BeginWork() {
  CKvApp* app = KvGetApp();
  if (!app)
    return;
  // The record is the session's whether the log takes rows or not: a log
  // switched on later registers it then, with its login's start.
  sComputer = KvComputerName();
  sUser = KvUserName();
  nThreadID = static_cast<int>(::gettid());
  sT1 = NowText();
  sT2 = sT1;
  nTask = 0;
  if (!isLogOn()) {
    setUnregistered(true);
    return;
  }
  CKvDb* pDb = app->GetDb();
  const QString who = OperatorLabel();
  RegisterTask(*this, pDb);
  // A period whose registration did not commit writes nothing now (each
  // write would wait out the same lock): its next entry registers it.
  setUnregistered(nTask == 0);
  if (nTask == 0)
    return;
  InsertLogRow(nTask, who, NowText(), 0, QStringLiteral("操作员：%1 开始工作").arg(who), pDb);
  AddLogOperator(who, pDb);
}

void CKvOperation::EndWork() {
  CKvApp* app = KvGetApp();
  CKvDb* pDb = app ? app->GetDb() : nullptr;
  // Nothing is written while the log is off, not even the period.
  const bool registered = pDb && pDb->IsOpen() && isLogOn() && registerLate(pDb);
  setUnregistered(false);
  if (!registered)
    return;
  const QString condition = periodCondition(*this, pDb);
  int count = 0;
  if (KvAppSelectInt(pDb, QStringLiteral("Select Count(*) From KvTask Where ") + condition,
                     QString(), &count) &&
      count > 0)
    pDb->Execute(QStringLiteral("Update KvTask Set sT2='%1' Where %2").arg(NowText(), condition));
  const QString who = OperatorLabel();
  InsertLogRow(nTask, who, NowText(), 1, QStringLiteral("操作员：%1 结束工作").arg(who), pDb);
}

void CKvOperation::WriteLog(int nCode, const QString& detail) {
  CKvApp* app = KvGetApp();
  if (!app || !app->GetDb()->IsOpen())
    return;
  // An entry is never written under no period.
  if (isLogOn() && !registerLate(app->GetDb()))
    return;
  InsertLogRow(app->GetTask().nTask, OperatorLabel(), NowText(), nCode, detail, app->GetDb());
}

QString CKvOperation::MakeNote(int nCode, const QString& note, const QString& unitCode) {
  QString text = note.isEmpty() ? GetOperationName(nCode) : note;
  if (KvTextWidth(text) > kNoteCut)
    text = KvLeftByWidth(text, kNoteCut) + QStringLiteral("...");
  if (!unitCode.isEmpty())
    text = QStringLiteral("<%1>%2").arg(unitCode, text);
  return KvLeftByWidth(text, kNoteWidth);
}

bool CKvOperation::InsertLogRow(int nTask, const QString& sOp, const QString& sT, int nCode,
                                const QString& note, CKvDb* pDb) {
  if (!isLogOn() || !pDb)
    return false;
  // Kept prepared: a save that logs sends the row's values only.
  return pDb->ExecuteKept(QStringLiteral("Insert Into KvLog(nTask,sOp,sT,nTaskID,sNote) ") + LogRowSelect(),
                          [&](KvDbStatement& statement) {
                            int p = 0;
                            BindLogRow(statement, &p, nTask, sOp, sT, nCode, note, pDb->GetKind());
                          });
}

QString CKvOperation::LogRowSelect() {
  return QStringLiteral("Select CAST(? AS INTEGER),CAST(? AS VARCHAR(20)),CAST(? AS VARCHAR(14)),"
                        "CAST(? AS INTEGER),CAST(? AS VARCHAR(240))");
}

void CKvOperation::BindLogRow(KvDbStatement& statement, int* p, int nTask, const QString& sOp, const QString& sT,
                              int nCode, const QString& note, int kind) {
  statement.bindInteger((*p)++, nTask);
  statement.bindText((*p)++, KvSqlTextValue(sOp, kind, kLabelWidth));
  statement.bindText((*p)++, KvSqlTextValue(sT, kind));
  statement.bindInteger((*p)++, nCode);
  statement.bindText((*p)++, KvSqlTextValue(MakeNote(nCode, note, KvGetCurrentDw().KNO), kind));
}

bool CKvOperation::IsLogOn() { return isLogOn(); }

bool CKvOperation::RegisterTask(CKvOperation& task, CKvDb* pDb) {
  if (!pDb)
    return true;
  int existing = 0;
  if (KvAppSelectInt(pDb,
                     QStringLiteral("Select Max(nTask) From KvTask Where ") +
                         periodCondition(task, pDb),
                     QString(), &existing) &&
      existing != 0) {
    task.nTask = existing;
    return true;
  }
  // The number is taken with the table held against the other stations,
  // so max + 1 cannot be taken twice; the count check stays as the last
  // guard. It is above every number ever given too: a period deleted while
  // its operator works on keeps its number in his later entries, which
  // must never fall into a new period, even before he writes one.
  // The number is the period's only once its row committed.
  KvDbTransaction transaction(*pDb);
  qint64 highest = 0;
  if (!transaction.IsActive() || !pDb->LockTable(QStringLiteral("KvTask")) || !HighestTaskNumber(pDb, &highest))
    return true;
  // The last number given (SysCsTab) belongs to the log: a session still
  // registers its period in a year carried since it opened.
  pDb->SkipCarriedCheck();
  // The column holds 32 bits: a number above them would wrap round onto
  // one already given.
  const qint64 number = highest + 1;
  if (number > std::numeric_limits<int>::max()) {
    transaction.Rollback();
    KvMessageBox(QStringLiteral("工作期号已用完，本次工作期不能登记！"), KV_MB_OK | KV_MB_ICONSTOP);
    return true;
  }
  if (!pDb->Execute(QStringLiteral("Insert into KvTask(nTask,nThreadID,sT1,sT2,sComputer,sUser) "
                                   "\t\tValues(%1,%2,'%3','%4','%5','%6')")
                        .arg(QString::number(number), QString::number(task.nThreadID),
                             pDb->QuoteText(task.sT1), pDb->QuoteText(task.sT2),
                             pDb->QuoteText(task.sComputer, kNameWidth),
                             pDb->QuoteText(task.sUser, kNameWidth)),
                    QString(), 1))
    return true;
  int count = 0;
  if (!KvAppSelectInt(pDb, QStringLiteral("Select Count(*) From KvTask Where nTask=%1").arg(number),
                      QString(), &count) ||
      count > 1 || !storeLastGivenTask(pDb, number) || !transaction.Commit())
    return true;
  task.nTask = int(number);
  return false;
}

bool CKvOperation::HighestTaskNumber(CKvDb* pDb, qint64* pnHighest) {
  qint64 task = 0;
  qint64 logged = 0;
  qint64 given = 0;
  if (!highestIn(pDb, QStringLiteral("Select Max(nTask) From KvTask"), &task) ||
      !highestIn(pDb, QStringLiteral("Select Max(nTask) From KvLog"), &logged) ||
      !highestIn(pDb, QStringLiteral("Select CsVal From SysCsTab ") + kLastTaskWhere, &given))
    return false;
  *pnHighest = std::max({task, logged, given});
  return true;
}

void CKvOperation::AddLogOperator(const QString& sOp, CKvDb* pDb) {
  if (!pDb)
    return;
  KvDbTransaction transaction(*pDb);
  if (!transaction.IsActive() || !pDb->LockTable(QStringLiteral("KvLogOp")))
    return;
  const QString label = pDb->QuoteText(sOp, kLabelWidth);
  if (!pDb->Execute(QStringLiteral("Insert Into KvLogOp(sOp) Values('%1')").arg(label), QString(), 1))
    return;
  int count = 0;
  if (!KvAppSelectInt(pDb, QStringLiteral("Select Count(*) From KvLogOp Where sOp='%1'").arg(label),
                      QString(), &count) ||
      count > 1)
    return;
  transaction.Commit();
}

QString CKvOperation::GetOperationName(int nCode) {
  CKvApp* app = KvGetApp();
  if (!app)
    return QString();
  const int module = nCode / 100;
  const int op = nCode % 100;
  QList<int> numbers;
  QStringList names;
  if (module == 0) {
    app->GetOperationNames(numbers, names);
  } else if (CKvDataType* pType = KvFindDataType(module)) {
    pType->GetModuleOperationNames(numbers, names);
  }
  const qsizetype at = numbers.indexOf(op);
  return at < 0 ? QString() : names.value(at);
}
