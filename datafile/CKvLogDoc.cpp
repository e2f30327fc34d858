#include "datafile/CKvLogDoc.h"

#include "app/CKvApp.h"
#include "app/CKvDataType.h"
#include "app/CKvLogRec.h"
#include "app/CKvTaskLog.h"
#include "core/CKvDb.h"
#include "core/KvDate.h"
#include "core/KvMessage.h"
#include "core/KvNumber.h"
#include "core/KvSqlTranslator.h"
#include "ui/KvCommands.h"

#include <algorithm>

namespace {

// The operation "操作日志清理" of the log.
constexpr int kLogPurgeCode = 11;
const QString kAnyMarker = QStringLiteral("\x07*\x08");

// Parts of a 14-character time "YYYYMMDDhhmmss".
QString part(const QString& time, int from, int length) { return time.mid(from, length); }

}  // namespace

CKvLogDoc::CKvLogDoc() = default;

void CKvLogDoc::LoadOpenArgs() {
  QStringList& args = OpenArgs();
  if (args.size() != kArgCount) {
    args = QStringList(kArgCount);
    args[kDate] = KvNowText(QStringLiteral("%Y%m")) + QStringLiteral("  ");
  }
  m_nTask = KvStrToLong(args.at(kTask));
  m_strTitle = QStringLiteral("操作日志");
}

void CKvLogDoc::OnCloseDocument() {
  if (OpenArgs().size() == kArgCount)
    OpenArgs()[kTask] = QString::number(m_nTask);
  CKvDoc::OnCloseDocument();
}

bool CKvLogDoc::PrepareOpen() {
  CKvApp* app = KvGetApp();
  if (!app || !app->GetDataFile().IsLogOn()) {
    KvMessageBox(QStringLiteral("日志开关未打开！"), KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  return true;
}

void CKvLogDoc::InitFormEntry(KvFormEntry& entry) { entry.sFna = QStringLiteral("操作日志"); }

void CKvLogDoc::BuildColumns(KvFormEntry& entry) {
  // Widths count characters of the grid's font: a date or time column is
  // as wide as its digits and separators.
  entry.formulas.clear();
  entry.AddFormula(2, 404, 0, 0, QStringLiteral("年/STRING/MID"));
  entry.AddFormula(3, 202, 0, 0, QStringLiteral("月/STRING/MID"));
  entry.AddFormula(4, 202, 0, 0, QStringLiteral("日/STRING/MID"));
  entry.AddFormula(5, 1010, 0, 0, QStringLiteral("年月日/STRING/MID"));
  entry.AddFormula(6, 505, 0, 0, QStringLiteral("月日/STRING/MID"));
  entry.AddFormula(107, 808, 0, 0, QStringLiteral("时分秒/STRING/MID"));
  entry.AddFormula(8, 505, 0, 0, QStringLiteral("时分/STRING/MID"));
  entry.AddFormula(9, 202, 0, 0, QStringLiteral("时/STRING/MID"));
  entry.AddFormula(10, 202, 0, 0, QStringLiteral("分/STRING/MID"));
  entry.AddFormula(11, 202, 0, 0, QStringLiteral("秒/STRING/MID"));
  entry.AddFormula(120, 808, 0, 0, QStringLiteral("操作员/MDBSTRING/LEFT"));
  entry.AddFormula(21, 505, 0, 0, QStringLiteral("操作模块号/MDBSTRING/MID"));
  entry.AddFormula(122, 1010, 0, 0, QStringLiteral("操作模块/MDBSTRING/LEFT"));
  entry.AddFormula(123, 8080, 0, 0, QStringLiteral("操作内容/MDBSTRING/LEFT"));
  CKvDoc::BuildColumns(entry);
}

void CKvLogDoc::BuildHeadNotes(KvFormEntry& entry) {
  entry.headNotes.clear();
  entry.AddHeadNote(0, 0, 0, 0, 0, QStringLiteral("任务号"), QStringLiteral("任务号：#task_ID"));
  entry.AddHeadNote(0, 1, 0, 0, 0, QStringLiteral("线程号"), QStringLiteral("线程号：#thread_ID"));
  entry.AddHeadNote(0, 0, 70, 0, 0, QStringLiteral("机器名"), QStringLiteral("机器名：#computer"));
  entry.AddHeadNote(0, 1, 70, 0, 0, QStringLiteral("用户名"), QStringLiteral("用户名：#user"));
  entry.AddHeadNote(0, 0, 48, 1, 0, QStringLiteral("页码"), QString());
  entry.AddHeadNote(0, 0, 49, 1, 0, QStringLiteral("套打页码"), QString());
  entry.AddHeadNote(0, 1, 35, 1, 0, QStringLiteral("操作时间"), QStringLiteral("#op_time"));
  entry.AddHeadNote(1, 0, 0, 0, 0, QStringLiteral("主体名"), QStringLiteral("单位：#co_name"));
  entry.AddHeadNote(1, 0, 60, 0, 0, QStringLiteral("主管"), QStringLiteral("主管：#co_manager"));
  entry.AddHeadNote(1, 0, 80, 1, 0, QStringLiteral("制表员"), QStringLiteral("制表：#cur_opr_name"));
}

void CKvLogDoc::BuildPrintMacros() {
  const bool any = m_task.nTask != 0;
  AddMacroRow(QStringLiteral("任务号"), QStringLiteral("#task_ID"),
              any ? QString::number(m_task.nTask) : QString());
  AddMacroRow(QStringLiteral("线程号"), QStringLiteral("#thread_ID"),
              any ? QString::number(-m_task.nThreadID) : QString());
  AddMacroRow(QStringLiteral("机器名"), QStringLiteral("#computer"), m_task.sComputer);
  AddMacroRow(QStringLiteral("用户名"), QStringLiteral("#user"), m_task.sUser);
  const QString& t1 = m_task.sT1;
  const QString& t2 = m_task.sT2;
  QString time = QStringLiteral("%1年%2月%3日%4:%5:%6至")
                     .arg(part(t1, 0, 4), part(t1, 4, 2), part(t1, 6, 2), part(t1, 8, 2),
                          part(t1, 10, 2), part(t1, 12, 2));
  if (t2 > t1)
    time += QStringLiteral("%1:%2:%3").arg(part(t2, 8, 2), part(t2, 10, 2), part(t2, 12, 2));
  else
    time += QStringLiteral(" ?");
  AddMacroRow(QStringLiteral("操作时间"), QStringLiteral("#op_time"), time);
}

std::function<void()> CKvLogDoc::KeepFillState() {
  return [this, task = m_task] { m_task = task; };
}

bool CKvLogDoc::FillRows() {
  ClearRows();
  const bool read = loadEntries();
  // The head notes name the task shown.
  ResetMacros();
  return read;
}

bool CKvLogDoc::loadEntries() {
  QList<CKvOperation> tasks;
  const int found = CKvTaskLog::LoadTasks(QStringLiteral("Where nTask=%1").arg(m_nTask), QString(), &tasks, m_pDb);
  if (found <= 0) {
    m_task.Clear();
    return found == 0;
  }
  m_task = tasks.first();
  QList<CKvLogRec> rows;
  if (CKvTaskLog::LoadLog(m_nTask, &rows, m_pDb) < 0)
    return false;
  for (const CKvLogRec& log : std::as_const(rows)) {
    const QString& t = log.sT;
    const QString values[] = {
        part(t, 0, 4),
        part(t, 4, 2),
        part(t, 6, 2),
        QStringLiteral("%1.%2.%3").arg(part(t, 0, 4), part(t, 4, 2), part(t, 6, 2)),
        QStringLiteral("%1.%2").arg(part(t, 4, 2), part(t, 6, 2)),
        QStringLiteral("%1:%2:%3").arg(part(t, 8, 2), part(t, 10, 2), part(t, 12, 2)),
        QStringLiteral("%1:%2").arg(part(t, 8, 2), part(t, 10, 2)),
        part(t, 8, 2),
        part(t, 10, 2),
        part(t, 12, 2),
    };
    QStringList row = NewRow();
    const auto put = [&](int n, const QString& text) {
      const int cell = FindColumnFormula(n);
      if (cell >= 0 && cell < row.size())
        row[cell] = text;
    };
    for (int n = 2; n <= 11; ++n)
      put(n, values[n - 2]);
    put(20, log.sOp);
    put(21, QString::number(log.nTaskID));
    put(22, log.sOpName);
    put(23, log.sNote);
    AppendRow(row);
  }
  return true;
}

QString CKvLogDoc::GetCommandCaption(int nId, int& nFlag) {
  (void)nFlag;
  return nId == KV_CMD_DELETE ? QStringLiteral("删除") : QString();
}

int CKvLogDoc::LoadFilteredTasks(QList<CKvOperation>* pTasks) {
  pTasks->clear();
  const QStringList& args = OpenArgs();
  const int kind = m_pDb->GetKind();
  QStringList task;
  if (!args.value(kDate).isEmpty())
    task.append(QStringLiteral("sT1 Like '%1%2'")
                    .arg(KvQuoteLikePattern(args.value(kDate), kind), kAnyMarker));
  if (!args.value(kComputer).isEmpty())
    task.append(QStringLiteral("sComputer='%1'").arg(m_pDb->QuoteText(args.value(kComputer))));
  const QString taskWhere = task.isEmpty() ? QString() : QStringLiteral("Where ") + task.join(QStringLiteral(" And "));
  QList<CKvOperation> all;
  if (CKvTaskLog::LoadTasks(taskWhere, QStringLiteral("Order By nTask"), &all, m_pDb) < 0)
    return -1;

  QStringList log;
  if (!args.value(kOperator).isEmpty())
    log.append(QStringLiteral("sOp='%1'").arg(m_pDb->QuoteText(args.value(kOperator))));
  const QString operation = args.value(kOperation).section(u' ', 0, 0);
  if (!operation.isEmpty()) {
    log.append(QStringLiteral("nTaskID=%1").arg(KvStrToLong(operation)));
  } else if (!args.value(kModule).isEmpty()) {
    const int module = KvStrToLong(args.value(kModule));
    log.append(QStringLiteral("nTaskID>=%1 And nTaskID<%2").arg(module * 100).arg(module * 100 + 100));
  }
  QList<int> qualifying;
  const int found = log.isEmpty() ? -1
                                  : CKvTaskLog::LoadLogTasks(
                                        QStringLiteral("Where ") + log.join(QStringLiteral(" And ")),
                                        &qualifying, m_pDb);
  if (found == -2)
    return -1;
  for (const CKvOperation& one : std::as_const(all))
    if (found < 0 || qualifying.contains(one.nTask))
      pTasks->append(one);
  return int(pTasks->size());
}

int CKvLogDoc::DeleteTasks(const QList<int>& tasks, bool* pbSkipped) {
  CKvApp* app = KvGetApp();
  const int current = app ? app->GetTask().nTask : 0;
  *pbSkipped = false;
  // The log is the administrator's: the operator logged in now decides,
  // not the one who opened the window.
  if (!app || app->GetDataFile().GetOperatorCode() != u"101") {
    KvMessageBox(QStringLiteral("只有系统管理员才能删除日志！"), KV_MB_OK | KV_MB_ICONSTOP);
    return 0;
  }
  QString text = QStringLiteral("清除任务：");
  int deleted = 0;
  for (int task : tasks) {
    if (task == current) {
      *pbSkipped = true;
      continue;
    }
    if (!CKvTaskLog::DeleteTask(task, m_pDb))
      continue;
    text += QString::number(task) + u' ';
    ++deleted;
  }
  if (deleted > 0) {
    CKvOperation(kLogPurgeCode, text);
    CKvTaskLog::PurgeOpNames(m_pDb);
  }
  return deleted;
}
