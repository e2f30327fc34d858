#include "datafile/KvNewDataFile.h"

#include "app/CKvApp.h"
#include "app/CKvDataType.h"
#include "app/CKvDwRec.h"
#include "app/CKvOperation.h"
#include "app/KvBackup.h"
#include "app/KvOperatorStore.h"
#include "core/CKvDb.h"
#include "core/CKvFileNameChecker.h"
#include "core/KvCopyTable.h"
#include "core/KvDbBackend.h"
#include "core/KvDbSnapshot.h"
#include "core/KvDbTransaction.h"
#include "core/KvLockOrder.h"
#include "core/KvMessage.h"
#include "core/KvPath.h"
#include "core/KvPresenceLock.h"
#include "core/KvRowsDigest.h"
#include "core/KvText.h"
#include "ui/CKvWaitWnd.h"

#include <QDate>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QWidget>

#include <optional>

namespace {
KvNewDataFile::ConnectionHook& connectionHook() {
  static KvNewDataFile::ConnectionHook hook;
  return hook;
}

bool isYearTitle(const QString& title) {
  if (title.size() != 4)
    return false;
  for (QChar c : title)
    if (!c.isDigit())
      return false;
  return true;
}

QString fourDigits(int n) { return QStringLiteral("%1").arg(n, 4, 10, QChar(u'0')); }

QString trimmedFolder(QString folder) {
  folder = KvSlashPath(folder.trimmed());
  while (folder.endsWith(u'/') && folder.size() > 1)
    folder.chop(1);
  return folder;
}

int ask(const QString& text) { return KvMessageBox(text, KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION); }
void stop(const QString& text) { KvMessageBox(text, KV_MB_OK | KV_MB_ICONSTOP); }
void inform(const QString& text) { KvMessageBox(text, KV_MB_OK | KV_MB_ICONINFORMATION); }

// A copy reads its source as one moment; when that cannot begin, nothing is
// copied.
QString unreadable(const QString& name) {
  return QStringLiteral("读取数据文件“%1”失败（别的工作站可能正在修改它），未创建新数据文件！").arg(name);
}
}  // namespace

KvNewDataFile::KvNewDataFile(int nKind, const CKvDbInfo& info) : m_nKind(nKind), m_info(info) {
  CKvApp* app = KvGetApp();
  m_strExt = app ? app->GetDataFileExt() : QStringLiteral("xxd");
}

KvNewDataFile::ConnectionHook KvNewDataFile::SetConnectionHook(ConnectionHook hook) {
  return std::exchange(connectionHook(), std::move(hook));
}

bool KvNewDataFile::openConnection(CKvDb* pDb, const QString& name, const CKvDbInfo& info, Role role) const {
  if (!pDb->Open(name, info))
    return false;
  if (connectionHook())
    connectionHook()(pDb, role);
  return true;
}

QString KvNewDataFile::TargetName(const QString& year) const {
  if (m_nKind == 0)
    return trimmedFolder(m_strLocation) + u'/' + year + u'.' + m_strExt;
  return (m_strExt + m_strLocation.trimmed() + year).toLower();
}

QString KvNewDataFile::workingName(const QString& name) const {
  return m_nKind == 0 ? name + QStringLiteral(".part") : name + QStringLiteral("_part");
}

QString KvNewDataFile::InitialLocation(const QString& currentName) const {
  if (m_nKind == 0) {
    const QFileInfo info(currentName);
    if (!currentName.isEmpty() && info.isDir())
      return currentName;
    return !currentName.isEmpty() && info.exists() ? KvFileDir(currentName) : QString();
  }
  if (!currentName.isEmpty())
    return currentName.mid(m_strExt.size(), 4);
  return NextSetNumber();
}

QString KvNewDataFile::maxServerName(const QString& prefix, int nLength) const {
  CKvDb master(m_nKind);
  if (!master.Open(QStringLiteral("master"), m_info))
    return QStringLiteral("!");
  CKvDb* pDb = &master;
  const QString sql = QStringLiteral("max(datname) From pg_database Where left(datname,%1)='%2' And length(datname)=%3")
                          .arg(prefix.size())
                          .arg(pDb->QuoteText(prefix))
                          .arg(nLength);
  return master.LookupText(sql);
}

QString KvNewDataFile::ProposeYear() const {
  if (m_nMode == 1)
    return m_strYear;
  const QString thisYear = QString::number(QDate::currentDate().year());
  if (m_nKind == 0) {
    int latest = 0;
    const QDir dir(trimmedFolder(m_strLocation));
    if (!m_strLocation.trimmed().isEmpty())
      for (const QFileInfo& file : dir.entryInfoList({QStringLiteral("*.") + m_strExt}, QDir::Files))
        if (isYearTitle(file.completeBaseName()))
          latest = qMax(latest, file.completeBaseName().toInt());
    return latest > 0 ? QString::number(latest + 1) : thisYear;
  }
  const QString set = fourDigits(m_strLocation.trimmed().toInt());
  const QString latest = maxServerName(m_strExt + set, int(m_strExt.size()) + 8);
  if (latest == QStringLiteral("!"))
    return QString();
  return latest.isEmpty() ? thisYear : fourDigits(latest.right(4).toInt() + 1);
}

QString KvNewDataFile::NextSetNumber() const {
  QString latest = maxServerName(m_strExt, int(m_strExt.size()) + 8);
  if (latest == QStringLiteral("!") || latest.isEmpty())
    return QStringLiteral("0001");
  return fourDigits(latest.mid(m_strExt.size(), 4).toInt() + 1);
}

void KvNewDataFile::ListExamples(const QString& folder, QStringList* paths, QStringList* titles) {
  CKvApp* app = KvGetApp();
  const QString ext = app ? app->GetDataFileExt() : QStringLiteral("xxd");
  const QString format = QString::number(app ? app->GetFormatVersion() : 10);
  QDirIterator it(trimmedFolder(folder), QDir::Files, QDirIterator::Subdirectories);
  QStringList found;
  while (it.hasNext())
    found.append(it.next());
  found.sort();
  for (const QString& path : found) {
    const QFileInfo info(path);
    if (info.suffix().compare(ext, Qt::CaseInsensitive) != 0 || !isYearTitle(info.completeBaseName()))
      continue;
    CKvDb db(0);
    if (!db.Open(path, CKvDbInfo(0)) || !db.TableExists(QStringLiteral("SysTab")) ||
        !db.TableExists(QStringLiteral("SysCsTab")))
      continue;
    const QString stamp = db.LookupText(QStringLiteral("CSVAL From SysCsTab Where CS=9133 And CSN=1"));
    if (stamp.left(4).trimmed() != format)
      continue;
    const int year = db.LookupLong(QStringLiteral("max(PY) From SysTab"));
    const QString name = db.LookupText(QStringLiteral("max(NA) From SysTab")).trimmed();
    paths->append(path);
    titles->append(QStringLiteral("%1(%2)").arg(name).arg(year));
  }
}

bool KvNewDataFile::dropDatabase(const QString& name) const {
  CKvDb db(m_nKind);
  return db.DropDatabase(name, m_info);
}

bool KvNewDataFile::abandon(CKvDb* pNew, const QString& workName) const {
  pNew->Close();
  dropDatabase(workName);
  return false;
}

bool KvNewDataFile::copyAllTables(CKvDb* pSource, const QString& sourceName, CKvDb* pTarget, QString* error) {
  // The tables are read as one moment of the source: a write another
  // workstation commits meanwhile is in every table or in none (on a data
  // file it waits until the copy ends; on a server it goes on and is not
  // in the copy).
  KvDbSnapshot snapshot(*pSource);
  if (!snapshot.IsActive()) {
    *error = unreadable(sourceName);
    return false;
  }
  // A list that cannot be read is not an empty one: the copy would miss
  // every table.
  QStringList tables;
  QStringList made;
  if (pSource->ListUserTables(&tables) <= 0 || pTarget->ListUserTables(&made) <= 0)
    return false;
  for (const QString& table : tables) {
    // A table the program does not make (one made in the SQL console) has
    // no place in the new file: it is left out and named at the end.
    if (!made.contains(table, Qt::CaseInsensitive)) {
      m_skipped.append(table);
      continue;
    }
    // The new file keeps its own version stamp, that of its back end.
    const QString where = table.compare(QStringLiteral("SysCsTab"), Qt::CaseInsensitive) == 0
                              ? QStringLiteral("Where CS<>9133")
                              : QString();
    if (!KvCopyTableStrict(pSource, pTarget, table, error, where))
      return false;
  }
  return true;
}

bool KvNewDataFile::resetCopy(CKvDb* pNew) const {
  // A file made before a table existed (the months) has none to clear; a
  // list that cannot be read would leave the example's rows in them.
  QStringList tables;
  if (pNew->ListUserTables(&tables) <= 0)
    return false;
  QStringList cleared;
  for (const QString& table : KvGetApp()->GetClearedTables().split(u' ', Qt::SkipEmptyParts))
    if (tables.contains(table, Qt::CaseInsensitive))
      cleared.append(table);
  KvDbTransaction transaction(*pNew);
  return transaction.IsActive() && pNew->Execute(QStringLiteral("Update SysTab Set PY=%1").arg(m_strYear.toInt())) &&
         pNew->Execute(QStringLiteral("Update OPR Set PSD=''")) &&
         pNew->ClearTables(cleared.join(u' ')) && transaction.Commit();
}

QStringList KvNewDataFile::informationTables(CKvDb* pPrevious) {
  QList<int> numbers;
  QStringList captions;
  QStringList carried;
  KvGetApp()->GetCarryCatalogue(numbers, captions, carried);
  const QStringList carriedTables = carried.join(u' ').split(u' ', Qt::SkipEmptyParts);
  QStringList tables;
  if (pPrevious->ListUserTables(&tables) <= 0)
    return QStringList();
  QStringList information;
  for (const QString& table : tables)
    if (!KvIsLogTable(table) && !carriedTables.contains(table, Qt::CaseInsensitive))
      information.append(table);
  return information;
}

bool KvNewDataFile::copyInformation(CKvDb* pPrevious, CKvDb* pNew) {
  QString error;
  bool readable = false;
  bool copied = false;
  {
    // One moment of the previous year. What the copy took is kept as a
    // digest, to be compared under the carry's hold: a change made in
    // between (an operator added while the carry's question was open)
    // refuses the carry instead of missing from the new year.
    KvDbSnapshot snapshot(*pPrevious);
    readable = snapshot.IsActive();
    if (readable) {
      m_informationDigest = KvRowsDigest(pPrevious, informationTables(pPrevious));
      KvDbTransaction transaction(*pNew);
      copied = !m_informationDigest.isEmpty() && transaction.IsActive() &&
               KvCopyTableStrict(pPrevious, pNew, QStringLiteral("SysTab"), &error) &&
               pNew->Execute(QStringLiteral("Update SysTab Set PY=%1,MM=0").arg(m_strYear.toInt())) &&
               KvGetApp()->CarrySystemTables(pPrevious, pNew, &error) && transaction.Commit();
    }
  }
  // Told once the previous year is free again.
  if (!readable)
    stop(unreadable(pPrevious->GetDatabaseName(false)));
  else if (!copied)
    stop(QStringLiteral("复制上年度信息失败！\n%1").arg(error));
  return copied;
}

KvNewDataFile::ExampleResult KvNewDataFile::useExample(CKvDb* pNew, const QString& workName, QString* error) {
  if (m_strExample.isEmpty())
    return ExampleResult::NotUsed;
  if (ask(QStringLiteral("想使用＜%1＞作为新建数据文件的模板吗？").arg(m_strExample)) != KV_IDYES)
    return ExampleResult::NotUsed;
  const QString failed = QStringLiteral("创建下列数据文件失败：\n%1！").arg(m_strNewName);
  if (m_nKind == 0) {
    // The copy goes beside the working file first and then takes its place
    // in one rename: a copy that cannot be made or put in place leaves the
    // new file as it is, without the template.
    const QString copyName = workName + QStringLiteral(".example");
    QFile::remove(copyName);
    bool copied = QFile::copy(m_strExample, copyName);
    if (copied) {
      pNew->Close();
      copied = KvPresenceLock::replaceDataFile(copyName, workName, true);
      if (!copied && !openConnection(pNew, workName, m_info, RoleNew)) {
        QFile::remove(copyName);
        *error = failed;
        return ExampleResult::Failed;
      }
    }
    if (!copied) {
      QFile::remove(copyName);
      inform(QStringLiteral("执行下列文件拷贝失败，模板未被使用！\n") +
             QStringLiteral("%1 --> %2").arg(m_strExample, m_strNewName));
      return ExampleResult::NotUsed;
    }
    // From here the new file holds the example's rows: a failure abandons it.
    if (!openConnection(pNew, workName, m_info, RoleNew) || !resetCopy(pNew)) {
      *error = failed;
      return ExampleResult::Failed;
    }
    return ExampleResult::Used;
  }
  CKvDb example(0);
  if (!openConnection(&example, m_strExample, CKvDbInfo(0), RoleSource)) {
    inform(QStringLiteral("打开模板数据文件“%1” 失败，").arg(m_strExample) + QStringLiteral("模板未被使用！"));
    return ExampleResult::NotUsed;
  }
  // A copy that stops part way leaves some of the example's tables in the
  // new database: it is abandoned, never completed with the defaults.
  if (!copyAllTables(&example, m_strExample, pNew, error) || !resetCopy(pNew)) {
    if (error->isEmpty())
      *error = failed;
    return ExampleResult::Failed;
  }
  return ExampleResult::Used;
}

bool KvNewDataFile::Create(Field* pField) {
  Field unused;
  Field& field = pField ? *pField : unused;
  field = FieldNone;
  m_skipped.clear();
  CKvApp* app = KvGetApp();
  const int year = m_strYear.trimmed().toInt();
  if (year < 1900) {
    stop(QStringLiteral("年度有误！"));
    field = FieldYear;
    return false;
  }
  m_strYear = fourDigits(year);
  const QString previousYear = fourDigits(year - 1);
  if (m_nKind != 0) {
    const int set = m_strLocation.trimmed().toInt();
    if (set < 1) {
      stop(QStringLiteral("序号有误！"));
      field = FieldLocation;
      return false;
    }
    m_strLocation = fourDigits(set);
  }
  m_strNewName = TargetName(m_strYear);
  const QString previousName = TargetName(previousYear);
  const QString workName = workingName(m_strNewName);

  CKvDb probe(m_nKind);
  bool exists = false;
  bool previousExists = false;
  if (m_nKind == 0) {
    exists = QFileInfo::exists(m_strNewName);
    previousExists = QFileInfo::exists(previousName);
  } else {
    if (!probe.Open(QStringLiteral("master"), m_info)) {
      stop(QStringLiteral("无法连接到数据源：%1！").arg(m_info.m_strServer));
      return false;
    }
    exists = probe.DatabaseExists(m_strNewName);
    previousExists = probe.DatabaseExists(previousName);
    probe.Close();
  }
  if (exists) {
    stop(QStringLiteral("下列数据文件已存在：\n%1！").arg(m_strNewName));
    field = FieldYear;
    return false;
  }
  if (m_nMode != 1 && ask(QStringLiteral("真的要创建吗？")) != KV_IDYES)
    return false;

  const bool carryYear = m_nMode == 0 && previousExists;
  CKvDb previous(m_nKind);
  if (carryYear) {
    if (!openConnection(&previous, previousName, m_info, RolePrevious)) {
      stop(QStringLiteral("打开上年度数据文件“%1” 失败！").arg(previousName));
      field = FieldYear;
      return false;
    }
    KvOperatorStore store;
    if (store.Load(&previous, QStringLiteral("101")) <= 0) {
      stop(QStringLiteral("上年度数据文件“%1”无系统管理员！").arg(previousName));
      field = FieldYear;
      return false;
    }
    const QString stored = store.Operator().strPassword;
    const QString prompt = QStringLiteral("请录入%1年度系统管理员的口令：").arg(previousYear);
    if (!stored.isEmpty() && !(AskPassword && AskPassword(prompt, stored)))
      return false;
  }

  CKvWaitWnd wait;
  wait.Show();
  if (m_nKind == 0 && !CKvFileNameChecker().KvCreateFolder(trimmedFolder(m_strLocation))) {
    wait.Hide();
    stop(QStringLiteral("创建下列数据文件失败：\n%1！").arg(m_strNewName));
    field = FieldYear;
    return false;
  }
  // A working copy left by a creation that did not finish goes first (a
  // program that still holds it keeps it, and the creation stops).
  CKvDb created(m_nKind);
  const bool staleGone = m_nKind == 0 ? (!QFileInfo::exists(workName) || dropDatabase(workName))
                                      : (!created.Open(QStringLiteral("master"), m_info) ||
                                         !created.DatabaseExists(workName) || dropDatabase(workName));
  created.Close();
  if (!staleGone || !created.CreateDatabase(workName, m_info)) {
    wait.Hide();
    stop(QStringLiteral("创建下列数据文件失败：\n%1！").arg(m_strNewName));
    field = FieldYear;
    return false;
  }
  CKvDb* pNew = &created;
  if (connectionHook())
    connectionHook()(pNew, RoleNew);
  if (!app->CreateAllTables(pNew) || !pNew->Reopen()) {
    wait.Hide();
    stop(QStringLiteral("创建下列数据文件失败：\n%1！").arg(m_strNewName));
    return abandon(pNew, workName);
  }
  // An SQLite file was opened again.
  if (m_nKind == 0 && connectionHook())
    connectionHook()(pNew, RoleNew);

  bool renameAfterCarry = false;
  if (m_nMode == 1 || m_nMode == 2) {
    const int sourceKind = m_nMode == 2 ? m_nKind : m_nSourceKind;
    CKvDb source(sourceKind);
    if (!openConnection(&source, m_strSourceName, m_nMode == 1 && m_nKind == 0 ? m_sourceInfo : m_info,
                        RoleSource) ||
        !source.TableExists(QStringLiteral("SysTab"))) {
      wait.Hide();
      stop(QStringLiteral("打开源数据文件“%1” 失败！").arg(m_strSourceName));
      field = FieldLocation;
      return abandon(pNew, workName);
    }
    QString error;
    if (!copyAllTables(&source, m_strSourceName, pNew, &error) || (m_nMode == 2 && !resetCopy(pNew))) {
      wait.Hide();
      stop(error.isEmpty() ? QStringLiteral("创建下列数据文件失败：\n%1！").arg(m_strNewName) : error);
      return abandon(pNew, workName);
    }
  } else if (carryYear) {
    if (!copyInformation(&previous, pNew)) {
      wait.Hide();
      return abandon(pNew, workName);
    }
    renameAfterCarry = true;
  } else {
    QString error;
    const ExampleResult example = useExample(pNew, workName, &error);
    if (example == ExampleResult::Failed) {
      wait.Hide();
      stop(error);
      return abandon(pNew, workName);
    }
    if (example == ExampleResult::NotUsed && !app->InsertDefaultRows(pNew, year)) {
      wait.Hide();
      stop(QStringLiteral("创建下列数据文件失败：\n%1！").arg(m_strNewName));
      return abandon(pNew, workName);
    }
  }
  wait.Hide();

  if (renameAfterCarry) {
    const int answer = ask(QStringLiteral("年度文件“%1” 创建成功！\n\n要执行%2─→%3年数据结转吗？")
                               .arg(m_strNewName, previousYear, m_strYear));
    if (answer == KV_IDYES) {
      const CarryResult carried = carryForward(&previous, pNew);
      if (carried == CarryResult::Failed)
        return false;
      if (carried == CarryResult::Carried)
        renameAfterCarry = false;  // done by the carry, with MM
    }
  }
  if (renameAfterCarry || m_nMode != 0 || !carryYear) {
    pNew->Close();
    previous.Close();
    CKvDb renamer(m_nKind);
    if (!renamer.RenameDatabase(workName, m_strNewName, m_info, false)) {
      stop(QStringLiteral("创建下列数据文件失败：\n%1！").arg(m_strNewName));
      dropDatabase(workName);
      return false;
    }
  }

  const QString skipped = KvSkippedTablesLine(m_skipped);
  if (m_nMode == 1)
    inform(QStringLiteral("转换完毕！") + skipped);
  else if (m_nMode == 2)
    inform(QStringLiteral("数据文件“%1” 创建成功！").arg(m_strNewName) + skipped);
  else if (!carryYear)
    m_bOpenNow = ask(QStringLiteral("数据文件“%1” 创建成功！").arg(m_strNewName) +
                     (skipped.isEmpty() ? QString() : skipped + u'\n') +
                     QStringLiteral("要立即打开进行初始设置吗？")) == KV_IDYES;

  if (app->GetDb()->IsOpen())
    CKvOperation(5, QStringLiteral("建立数据文件：%1").arg(m_strNewName));
  return true;
}

KvNewDataFile::CarryResult KvNewDataFile::carryForward(CKvDb* pPrevious, CKvDb* pNew) {
  CKvApp* app = KvGetApp();
  const QString workName = workingName(m_strNewName);
  // Nothing carried: the new file may go, else it stays without the carry.
  const auto nothingCarried = [&]() {
    if (ask(QStringLiteral("新年度数据文件“%1”已经生成，要删除它吗？").arg(m_strNewName)) == KV_IDYES) {
      pPrevious->Close();
      abandon(pNew, workName);
      return CarryResult::Failed;
    }
    return CarryResult::Declined;
  };

  // The backup looks for other programs on the previous year; on a server
  // its safety copy ends and remakes this program's sessions there, so the
  // hold below begins only after it.
  if (!KvBackupBeforeRiskyOp(pPrevious))
    return nothingCarried();
  // An SQLite file is held for this connection alone until the end.
  if (!pPrevious->IsOpen() || !pPrevious->ReopenMdbExclusive(true))
    return nothingCarried();

  // The modules' checks read the previous year's parameters; the running
  // modules take those of the application's file again afterwards.
  struct ReloadModules {
    CKvApp* app;
    ~ReloadModules() {
      if (app->GetDb()->IsOpen())
        app->OpenModuleData(app->GetDb());
    }
  } reloadModules{app};
  CKvWaitWnd wait;
  wait.Show();
  const CKvDwRec savedUnit = KvGetCurrentDw();
  KvGetCurrentDw().Clear();
  struct RestoreUnit {
    const CKvDwRec& saved;
    ~RestoreUnit() { KvGetCurrentDw() = saved; }
  } restoreUnit{savedUnit};

  QList<int> numbers;
  QStringList captions;
  QStringList tables;
  app->GetCarryCatalogue(numbers, captions, tables);
  // The hold: one transaction of the previous year from the checks to its
  // MM 12, holding every table the carry and the information copy read,
  // and KvTask. Another workstation may read meanwhile; its login's
  // registration and its saves wait for the lock and give up, told, so
  // nothing it stores can miss the new year. The log's entries (KvLog,
  // KvLogOp) stay free. This program's own connection to the previous year
  // (when it is the open file) writes none of the held tables until the
  // commit: the carry's reads and writes run on pPrevious and pNew only.
  QStringList held;
  if (pPrevious->ListUserTables(&held) <= 0) {
    wait.Hide();
    stop(QStringLiteral("读取上年度数据文件“%1”失败，未结转任何数据！").arg(pPrevious->GetDatabaseName(false)));
    return nothingCarried();
  }
  held.removeIf([](const QString& table) { return KvIsLogTable(table); });
  held.append(QStringLiteral("KvTask"));
  const QString cameAndWent = QStringLiteral("结转期间别的工作站登录了上年度数据文件，未结转任何数据！");
  std::optional<KvDbTransaction> hold;
  // The checks run under the hold; a warning is asked with the hold ended,
  // and the checks run again under a new hold after the answer, until they
  // warn of nothing the operator has not agreed to.
  QString agreed;
  for (;;) {
    hold.emplace(*pPrevious);
    // The hold writes the carried mark itself.
    if (hold->IsActive())
      pPrevious->SkipCarriedCheck();
    if (!hold->IsActive() || !KvLockTablesInOrder(pPrevious, held)) {
      hold.reset();
      wait.Hide();
      return nothingCarried();
    }
    // Under the locks: nobody else on the previous year (one that came
    // after the backup's look is refused here), and the information as the
    // copy took it.
    if (!pPrevious->CheckOtherClients(false) ||
        KvRowsDigest(pPrevious, informationTables(pPrevious)) != m_informationDigest) {
      hold.reset();
      wait.Hide();
      stop(cameAndWent);
      return nothingCarried();
    }
    QString refused;
    QString warned;
    for (qsizetype i = 0; i < numbers.size(); ++i) {
      CKvDataType* pType = KvFindDataType(numbers.at(i) / 1000);
      if (!pType)
        continue;
      QString message;
      const int answer = pType->CheckCarryOver((numbers.at(i) / 100) % 10, numbers.at(i) % 100, captions.at(i),
                                               tables.at(i), pPrevious, pNew, message);
      if (answer == -1)
        refused += message + u'\n';
      else if (answer == 1)
        warned += message + u'\n';
    }
    if (refused.isEmpty() && (warned.isEmpty() || warned == agreed))
      break;
    hold.reset();
    wait.Hide();
    if (!refused.isEmpty()) {
      stop(QStringLiteral("%1不能执行结转！").arg(refused));
      return nothingCarried();
    }
    if (ask(warned + QStringLiteral("继续吗？")) != KV_IDYES)
      return nothingCarried();
    agreed = warned;
    wait.Show();
  }

  {
    KvDbTransaction transaction(*pNew);
    bool carried = transaction.IsActive();
    QString failedCaption;
    for (qsizetype i = 0; carried && i < numbers.size(); ++i) {
      CKvDataType* pType = KvFindDataType(numbers.at(i) / 1000);
      if (pType && !pType->CarryOver((numbers.at(i) / 100) % 10, numbers.at(i) % 100, pPrevious, pNew, 0)) {
        carried = false;
        failedCaption = captions.at(i);
      }
    }
    // Nobody can have written what the carry read: no second look for other
    // workstations here (one that came during the hold can only wait).
    if (!carried || !transaction.Commit()) {
      transaction.Rollback();
      hold.reset();
      wait.Hide();
      stop(QStringLiteral("“%1”结转失败，未结转任何数据！").arg(failedCaption));
      return nothingCarried();
    }
  }
  wait.Hide();

  // The new year takes its name and then the previous year is marked carried
  // (MM 12) in the hold, committed last: a program stopped in between leaves
  // a new year beside an unmarked previous one, never a marked year without
  // its successor.
  pNew->Close();
  CKvDb renamer(m_nKind);
  if (!renamer.RenameDatabase(workName, m_strNewName, m_info, false)) {
    hold.reset();
    pPrevious->Close();
    dropDatabase(workName);
    stop(QStringLiteral("创建下列数据文件失败：\n%1！").arg(m_strNewName));
    return CarryResult::Failed;
  }
  if (!pPrevious->Execute(QStringLiteral("Update SysTab Set MM=12")) || !hold->Commit()) {
    hold.reset();
    pPrevious->Close();
    // The new year goes again, under its working name first.
    if (renamer.RenameDatabase(m_strNewName, workName, m_info, false))
      dropDatabase(workName);
    stop(QStringLiteral("创建下列数据文件失败：\n%1！").arg(m_strNewName));
    return CarryResult::Failed;
  }
  hold.reset();
  const bool ownFile = app->GetDb()->IsOpen() &&
                       app->GetDb()->GetDatabaseName(true) == pPrevious->GetDatabaseName(true);
  pPrevious->Close();
  // The operator carried the year himself: his saves stay in it.
  if (ownFile) {
    app->GetDb()->SetCarriedBaseline(kKvCarriedMonth);
    app->GetDataFile().ReadSysTab(app->GetDb(), false);
  }
  inform(QStringLiteral("结转完毕！"));
  return CarryResult::Carried;
}
