#include "app/KvProgramImage.h"

#include "app/CKvApp.h"
#include "app/KvAppQuery.h"
#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/CKvRecordset.h"
#include "core/KvDate.h"
#include "core/KvDbBackend.h"
#include "core/KvDbTransaction.h"
#include "core/KvMessage.h"
#include "core/KvPath.h"
#include "core/KvRegistry.h"
#include "core/KvText.h"
#include "ui/KvAppServices.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QSysInfo>

#include <netdb.h>
#include <sys/socket.h>

namespace {

int editionCode() { return KvGetApp() ? KvGetApp()->GetEditionCode() : 0; }
int formatVersion() { return KvGetApp() ? KvGetApp()->GetFormatVersion() : 10; }
int revision() { return KvGetApp() ? KvGetApp()->GetRevision() : 9; }

QString thisRowWhere() {
  return QStringLiteral("Where Flag=%1 And Ver=%2").arg(editionCode()).arg(formatVersion());
}

// The host name of an address, or the address when it has none.
QString hostNameOf(const QString& address) {
  const QByteArray text = address.toLatin1();
  addrinfo hints{};
  hints.ai_flags = AI_NUMERICHOST;
  addrinfo* info = nullptr;
  if (getaddrinfo(text.constData(), nullptr, &hints, &info) != 0)
    return address;
  char host[NI_MAXHOST] = {};
  const bool named =
      getnameinfo(info->ai_addr, info->ai_addrlen, host, sizeof host, nullptr, 0, NI_NAMEREQD) == 0;
  freeaddrinfo(info);
  return named ? QString::fromLatin1(host) : address;
}

// Host names are equal ignoring case; a name without a domain equals the
// same name with one.
bool sameHost(const QString& a, const QString& b) {
  if (a.isEmpty() || b.isEmpty())
    return false;
  if (KvEqualsIgnoreCase(a, b))
    return true;
  return KvEqualsIgnoreCase(a.section(u'.', 0, 0), b.section(u'.', 0, 0)) &&
         (!a.contains(u'.') || !b.contains(u'.'));
}

bool isLoopback(const QString& address) {
  return address.startsWith(QStringLiteral("127.")) || address == u"::1" ||
         address.startsWith(QStringLiteral("::ffff:127."));
}

// A role that may not make tables in the server's database (a clerk's, in
// the maintenance database since PostgreSQL 15) leaves the image unpublished
// rather than send a statement the server refuses and logs.
bool mayMakeTables(CKvDb* pDb) {
  return pDb->GetKind() == 0 ||
         pDb->GetLong(QStringLiteral("Select CASE WHEN has_schema_privilege(current_schema(),'CREATE') "
                                     "THEN 1 ELSE 0 END")) == 1;
}

}  // namespace

QString KvUpdateTableName() { return QStringLiteral("ZRVProgram"); }

bool KvCreateUpdateTable(CKvDb* pDb, bool bReport) {
  return pDb && pDb->Execute(QStringLiteral("Create Table %1(Flag INT,Ver INT,Ver1 INT,")
                                     .arg(KvUpdateTableName()) +
                                 QStringLiteral("LastWriteTime Char(14),Prg Image)"),
                             QString(), 128, bReport);
}

int KvReadImageRows(CKvDb* pDb, const QString& where, const QString& order,
                    QList<KvProgramImage>* pList, KvProgramImage* pFirst) {
  if (pList)
    pList->clear();
  if (!pDb)
    return 0;
  CKvQuery query(3, 0, 1, pDb);
  if (!query.Open(QStringLiteral("SELECT Flag,Ver,Ver1,rtrim(LastWriteTime) From %1 %2 %3")
                      .arg(KvUpdateTableName(), where, order)))
    return 0;
  int count = 0;
  for (; !query.IsEOF(); query.MoveNext()) {
    KvProgramImage image;
    image.Flag = query.GetLong(0);
    image.Ver = query.GetLong(1);
    image.Ver1 = query.GetLong(2);
    image.LastWriteTime = query.GetText(0);
    ++count;
    if (pList) {
      pList->append(image);
    } else {
      if (pFirst)
        *pFirst = image;
      break;
    }
  }
  return count;
}

int KvFindProgramImage(CKvDb* pDb, KvProgramImage* pImage) {
  return KvReadImageRows(pDb, thisRowWhere(), QString(), nullptr, pImage);
}

bool KvIsServerMachine(CKvDb* pDb, QString* pName) {
  const QString local = QSysInfo::machineHostName();
  if (pName)
    *pName = QString();
  if (!pDb)
    return false;
  if (pDb->GetKind() == 0) {
    if (pName)
      *pName = local;
    return true;
  }
  const std::unique_ptr<KvDbCursor> row =
      KvAppSelect(pDb, QStringLiteral("Select host(inet_server_addr())"));
  if (!row || row->atEnd())
    return false;
  // No server address: the connection came through a local socket.
  const QString address = KvDbTrimRight(row->text(0));
  const bool viaThisComputer = address.isEmpty() || isLoopback(address);
  const QString name = viaThisComputer ? local : hostNameOf(address);
  if (pName)
    *pName = name;
  return viaThisComputer || sameHost(name, local);
}

bool KvOpenMaster(CKvDb* pDb, CKvDb** ppMaster, std::unique_ptr<CKvDb>* pSecond) {
  *ppMaster = nullptr;
  pSecond->reset();
  if (!pDb)
    return false;
  if (KvIsMaintenanceDatabase(pDb->GetDatabaseName(false))) {
    *ppMaster = pDb;
    return true;
  }
  auto second = std::make_unique<CKvDb>(pDb->GetKind());
  if (!second->Open(QStringLiteral("master"), pDb->GetConnectInfo())) {
    KvMessageBox(QStringLiteral("无法打开“master”数据库！"), KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  *ppMaster = second.get();
  *pSecond = std::move(second);
  return true;
}

int KvGetSoftUpMode() {
  QString value;
  if (!KvRegReadString(KvRegRoot::CurrentUser, KvGetRegKeyPath(), QStringLiteral("SoftUp"), &value))
    return 3;
  return value.trimmed().toInt();
}

QString KvUpdaterPath() { return KvFileDir(KvSlashPath(KvModuleFileName())) + QStringLiteral("/ZrvUp"); }

QString KvUpdaterParameters(int nReason) {
  const CKvApp* app = KvGetApp();
  return QStringLiteral("\n%1\n%2\n%3\n%4\n%5\n%6\n%7\n%8\n%9")
      .arg(KvFileDir(KvSlashPath(KvModuleFileName())), app ? app->GetProductKey() : QString(),
           app ? app->GetProductName() : QString(), KvGetDbKindLetter(),
           app ? app->GetProgramVersion() : QString(), KvGetVersionTag(),
           QString::number(revision()), QString::number(KvGetSoftUpMode()),
           QString::number(nReason));
}

bool CKvApp::StartUpdater(int nReason) {
  const QString updater = KvUpdaterPath();
  if (!QFileInfo(updater).isFile())
    return false;
  return QProcess::startDetached(updater, {KvUpdaterParameters(nReason)}, KvFileDir(updater));
}

bool KvStoreProgramImage(CKvDb* pDb, const QString& programPath) {
  if (!pDb)
    return false;
  const QString table = KvUpdateTableName();
  if (!pDb->TableExists(table) && (!mayMakeTables(pDb) || !KvCreateUpdateTable(pDb, false)))
    return false;
  const QString fileTime = KvFileTimeText(programPath);
  KvProgramImage image;
  if (KvFindProgramImage(pDb, &image) > 0 && image.Ver1 >= revision() &&
      image.LastWriteTime >= fileTime)
    return false;
  QFile file(programPath);
  if (fileTime.isEmpty() || !file.open(QIODevice::ReadOnly))
    return false;
  const QByteArray bytes = file.readAll();
  KvMessageBox(QStringLiteral("以当前软件更新数据库中软件，") + QStringLiteral("以备客户端更新。"),
               KV_MB_OK | KV_MB_ICONINFORMATION);

  KvDbTransaction transaction(*pDb);
  if (!transaction.IsActive() ||
      !pDb->Execute(QStringLiteral("Delete From %1 ").arg(table) + thisRowWhere()))
    return false;
  CKvRecordset rows(pDb);
  if (!rows.Open(QStringLiteral("Select Flag,Ver,Ver1,LastWriteTime,Prg From %1 ").arg(table) +
                 thisRowWhere()) ||
      !rows.AddNew())
    return false;
  const bool set = rows.SetLong(QStringLiteral("Flag"), editionCode()) &&
                   rows.SetLong(QStringLiteral("Ver"), formatVersion()) &&
                   rows.SetLong(QStringLiteral("Ver1"), revision()) &&
                   rows.SetText(QStringLiteral("LastWriteTime"), fileTime) &&
                   rows.SetBinary(QStringLiteral("Prg"), bytes);
  return set && rows.Update() && transaction.Commit();
}

void KvPublishProgramImage(CKvDb* pDb) {
  CKvDb* master = nullptr;
  std::unique_ptr<CKvDb> second;
  if (pDb && pDb->GetKind() != 0 && KvOpenMaster(pDb, &master, &second))
    KvStoreProgramImage(master, KvModuleFileName());
}

bool KvFetchProgramImage(CKvDb* pDb, const QString& programPath, const QString& targetPath) {
  if (!pDb || !pDb->TableExists(KvUpdateTableName()))
    return false;
  KvProgramImage image;
  if (KvFindProgramImage(pDb, &image) == 0)
    return false;
  if (image.Ver1 <= revision() && image.LastWriteTime <= KvFileTimeText(programPath))
    return false;
  KvMessageBox(QStringLiteral("当前软件的版本低，正在从服务器上更新软件！"),
               KV_MB_OK | KV_MB_ICONINFORMATION);
  CKvRecordset rows(pDb);
  QByteArray bytes;
  if (!rows.Open(QStringLiteral("Select Prg From %1 ").arg(KvUpdateTableName()) + thisRowWhere()) ||
      rows.IsEOF() || !rows.GetBinary(QStringLiteral("Prg"), &bytes) || bytes.isEmpty())
    return false;
  QSaveFile target(targetPath);
  return target.open(QIODevice::WriteOnly) && target.write(bytes) == bytes.size() &&
         target.commit();
}

bool KvUpdateClientProgram(CKvDb* pDb) {
  CKvApp* app = KvGetApp();
  // Without the update program a client would end into nothing.
  if (!app || !pDb || pDb->GetKind() == 0 || !QFileInfo(KvUpdaterPath()).isFile())
    return false;
  CKvDb* master = nullptr;
  std::unique_ptr<CKvDb> second;
  if (!KvOpenMaster(pDb, &master, &second))
    return false;
  const QString program = KvSlashPath(KvModuleFileName());
  const QString stem = KvFileDir(program) + u'/' + KvFileTitle(program);
  if (!KvFetchProgramImage(master, program, stem + QStringLiteral(".bak")) || !app->StartUpdater(1))
    return false;
  KvRequestQuit(0);
  return true;
}
