#include "datafile/KvSqlConsole.h"

#include "app/CKvApp.h"
#include "app/CKvDwRec.h"
#include "app/CKvOperation.h"
#include "core/CKvDb.h"
#include "core/KvDbTransaction.h"
#include "core/KvMessage.h"
#include "core/KvPath.h"
#include "core/KvSqlStatements.h"
#include "core/KvWidth.h"

#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace {

// The operation "SQL语句" of the log.
constexpr int kLogSqlCode = 26;
// A log note is cut beyond this width, and the stored note beyond the
// column's (the unit code goes in front).
constexpr int kNoteCut = 230;
constexpr int kNoteColumn = 240;

const QString kControlRefused = QStringLiteral("SQL语句中不能含有事务控制语句！");

QString numberedPrefix(int index, int total) {
  return QStringLiteral("执行SQL语句(%1/%2)：").arg(index).arg(total);
}

// The text cut into pieces at most `width` wide, never inside a character.
QStringList piecesOf(const QString& text, int width) {
  QStringList pieces;
  QString rest = text;
  while (!rest.isEmpty()) {
    qsizetype length = KvIndexAtWidth(rest, width);
    if (length <= 0)
      length = rest.at(0).isHighSurrogate() && rest.size() > 1 ? 2 : 1;
    pieces.append(rest.left(length));
    rest.remove(0, length);
  }
  return pieces;
}

// The width a note may take so that neither the cut of long notes nor the
// column's width shortens it once the current unit's code is put in front.
int noteWidth() {
  const QString unit = KvGetCurrentDw().KNO;
  const int prefix = unit.isEmpty() ? 0 : KvTextWidth(QStringLiteral("<%1>").arg(unit));
  return qMin(kNoteCut, kNoteColumn - prefix);
}

// Runs the text in its transaction and commits when the operator says so.
bool runInTransaction(CKvDb* pDb, const QString& sql, const KvSqlCommitQuestion& ask) {
  KvDbTransaction transaction(*pDb);
  if (!transaction.IsActive())
    return false;
  int rows = 0;
  switch (pDb->ExecuteTyped(sql, &rows)) {
    case CKvDb::TypedRun::Done:
      break;
    case CKvDb::TypedRun::Failed:
      return false;
    case CKvDb::TypedRun::ControlRefused:
      transaction.Rollback();
      KvMessageBox(kControlRefused, KV_MB_OK | KV_MB_ICONSTOP);
      return false;
    case CKvDb::TypedRun::TransactionEnded:
      KvMessageBox(QStringLiteral("事务已被语句结束，所做修改已提交！"), KV_MB_OK | KV_MB_ICONSTOP);
      return false;
  }
  if (!ask(rows))
    return false;
  // Who ran what is kept with the work itself: the entries commit with it
  // or not at all.
  CKvApp* app = KvGetApp();
  if (app && app->GetDataFile().IsLogOn()) {
    const QString who = CKvOperation::OperatorLabel();
    const QString when = CKvOperation::NowText();
    for (const QString& note : KvSqlLogNotes(sql.trimmed(), noteWidth()))
      if (!CKvOperation::InsertLogRow(app->GetTask().nTask, who, when, kLogSqlCode, note, pDb))
        return false;
  }
  // Nobody else was on before the run; a workstation that came on while
  // the operator looked at the question may have saved on what it read.
  if (!pDb->NoOtherClientsNow()) {
    transaction.Rollback();
    KvMessageBox(QStringLiteral("SQL语句执行期间别的工作站登录了当前数据文件，所做修改已撤销，数据未被改动！"),
                 KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  // A commit that gave up waiting for a lock says so itself.
  const unsigned shown = KvMessageCount();
  if (transaction.Commit())
    return true;
  if (KvMessageCount() == shown)
    KvMessageBox(QStringLiteral("SQL语句提交失败，数据未被改动！"), KV_MB_OK | KV_MB_ICONSTOP);
  return false;
}

}  // namespace

bool KvHasTransactionControl(const QString& sql) {
  const QStringList statements = KvSplitSqlStatements(sql);
  return std::any_of(statements.begin(), statements.end(),
                     [](const QString& statement) { return KvIsTransactionControl(statement, false); });
}

QStringList KvSqlLogNotes(const QString& sql, int width) {
  const QString text = QString(sql).replace(u'\'', u'"');
  const QString single = QStringLiteral("执行SQL语句：") + text;
  if (KvTextWidth(single) <= width)
    return {single};
  // The numbered prefix grows with the count's digits: cut again until the
  // count the prefix was sized for holds.
  int total = 2;
  QStringList pieces;
  for (;;) {
    pieces = piecesOf(text, width - KvTextWidth(numberedPrefix(total, total)));
    if (pieces.size() <= total)
      break;
    total = int(pieces.size());
  }
  QStringList notes;
  for (int i = 0; i < pieces.size(); ++i)
    notes.append(numberedPrefix(i + 1, int(pieces.size())) + pieces.at(i));
  return notes;
}

bool KvRunSqlText(CKvDb* pDb, const QString& sql, const KvSqlCommitQuestion& ask) {
  if (!pDb || !pDb->IsOpenOrFailsAsLost() || !CKvOperation::RegisterPendingTask())
    return false;
  // The statements run on a connection of their own, closed with the run:
  // nothing they leave on a session outlives it, and the program's own
  // connection keeps its temporary objects, prepared statements and
  // settings as they were.
  CKvDb run;
  if (!run.OpenBeside(*pDb)) {
    QString text = QStringLiteral("无法打开数据库文件：\n") + pDb->GetDatabaseName(true);
    if (!run.GetServerError().isEmpty())
      text += u'\n' + run.GetServerError();
    KvMessageBox(text, KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  return runInTransaction(&run, sql, ask);
}

QString KvSqlControlRefusedText() { return kControlRefused; }

QString KvSqlRowsText(int nRows) {
  return nRows == 0 ? QStringLiteral("没有处理任何") : QStringLiteral("处理了%1条").arg(nRows);
}

bool KvReadSqlFile(const QString& path, QString* pText) {
  const QFileInfo info(path);
  if (!info.isFile() || !info.isReadable())
    return false;
  *pText = KvReadTextFile(path);
  return true;
}

bool KvWriteSqlFile(const QString& path, const QString& text) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly))
    return false;
  const QByteArray bytes = text.toUtf8();
  return file.write(bytes) == bytes.size() && file.commit();
}
