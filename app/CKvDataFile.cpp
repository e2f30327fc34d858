#include "app/CKvDataFile.h"

#include "app/CKvApp.h"
#include "app/CKvDwRec.h"
#include "app/KvAppQuery.h"
#include "app/KvOperatorStore.h"
#include "core/CKvCsRec.h"
#include "core/CKvQuery.h"
#include "core/KvConst.h"
#include "core/KvDbBackend.h"
#include "core/KvDbTransaction.h"
#include "core/KvFolders.h"
#include "core/KvMdbPassword.h"
#include "core/KvMessage.h"
#include "core/KvNumber.h"
#include "core/KvText.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

namespace {
// The log switch (parameter row 0/0), on when it is not stored or the
// parameter table is of a format without printer profiles.
int readLogSwitch(CKvDb* db) {
  int width = 0;
  if (!db->GetColumnWidth(QStringLiteral("SysCsTab"), QStringLiteral("LPO"), &width))
    return 1;
  CKvCsRec logSwitch(db);
  return logSwitch.Load(0, 0) > 0 ? KvStrToInt(logSwitch.CsVal, 1) : 1;
}

// The earliest year a data file may be named after.
constexpr int kFirstYear = 1990;
// Characters of a server database name before its year: the extension and
// a four-character set number.
constexpr int kSetNumberLength = 4;

QString dataFileExt() {
  const CKvApp* app = KvGetApp();
  if (app && !app->GetDataFileExt().isEmpty())
    return app->GetDataFileExt();
  return QString::fromLatin1(kv::kDataFileExt);
}

bool yearNamed() {
  const CKvApp* app = KvGetApp();
  return app ? app->IsYearNamed() : true;
}

// Whether the file at the path is an SQLite database marked as the
// program's data file (its header: the SQLite magic and the application id).
bool isProgramDataFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return false;
  const QByteArray header = file.read(100);
  if (header.size() < 100 || !header.startsWith(QByteArrayLiteral("SQLite format 3\0")))
    return false;
  return qFromBigEndian<qint32>(header.constData() + 68) == kKvSqliteApplicationId;
}

// The name's part after its last path separator.
QString fileNamePart(const QString& path) {
  const qsizetype slash = qMax(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
  return path.mid(slash + 1);
}
}  // namespace

CKvDataFile::CKvDataFile() { Reset(); }

CKvDataFile::CKvDataFile(int nKind) {
  Reset();
  SetKind(nKind);
}

CKvDataFile::CKvDataFile(const CKvDataFile& other) { CopyFrom(other); }

CKvDataFile& CKvDataFile::operator=(const CKvDataFile& other) {
  if (this != &other)
    CopyFrom(other);
  return *this;
}

CKvDataFile::~CKvDataFile() = default;

void CKvDataFile::CopyFrom(const CKvDataFile& other) {
  m_strRootDir = other.m_strRootDir;
  if (m_db.GetKind() != other.m_db.GetKind()) {
    m_db.Close();
    m_db.SetKind(other.m_db.GetKind());
  }
  m_nKind = other.m_nKind;
  m_nServerBackend = other.m_nServerBackend;
  m_info = other.m_info;
  m_strValidatedPath = other.m_strValidatedPath;
  m_strFileName = other.m_strFileName;
  m_strNA = other.m_strNA;
  m_strKJ = other.m_strKJ;
  m_nYear = other.m_nYear;
  m_nMonth = other.m_nMonth;
  m_strOperatorCode = other.m_strOperatorCode;
  m_strOperatorName = other.m_strOperatorName;
  m_strAN = other.m_strAN;
  m_strOperatorPassword = other.m_strOperatorPassword;
  m_strRights = other.m_strRights;
  m_strJT = other.m_strJT;
  m_strT1 = other.m_strT1;
  m_strT13 = other.m_strT13;
  m_nLogOn = other.m_nLogOn;
  m_bRememberPassword = other.m_bRememberPassword;
}

void CKvDataFile::Reset() {
  m_nKind = 0;
  m_nServerBackend = 2;
  m_info = CKvDbInfo(0);
  m_strValidatedPath.clear();
  m_strFileName.clear();
  m_strNA.clear();
  m_strKJ.clear();
  m_nYear = 0;
  m_nMonth = 0;
  m_strOperatorCode.clear();
  m_strOperatorName.clear();
  m_strAN.clear();
  m_strOperatorPassword.clear();
  m_strRights.clear();
  m_strJT.clear();
  m_strT1.clear();
  m_strT13.clear();
  m_nLogOn = 1;
  m_bRememberPassword = false;
  m_strRootDir = KvDefaultDataFolder();
}

void CKvDataFile::SetKind(int nKind) {
  m_nKind = nKind;
  if (m_db.GetKind() != GetDbKind()) {
    m_db.Close();
    m_db.SetKind(GetDbKind());
  }
}

void CKvDataFile::SetServerBackend(int nBackend) {
  m_nServerBackend = nBackend == 1 ? 1 : 2;
  SetKind(m_nKind);
}

int CKvDataFile::GetDbKind() const { return m_nKind == 0 ? 0 : m_nServerBackend; }

bool CKvDataFile::ShowError(int nCode, bool bMessages) const {
  if (!bMessages)
    return false;
  QString text;
  if (m_nKind == 0) {
    switch (nCode) {
      case kNoFile: text = QStringLiteral("该文件不存在！"); break;
      case kEmptyName: text = QStringLiteral("文件名为空！"); break;
      case kNotDataFile: text = QStringLiteral("不是青禾苑账务数据文件！"); break;
      case kIsFolder: text = QStringLiteral("青禾苑账务数据文件不能是文件夹！"); break;
      case kReadOnly: text = QStringLiteral("青禾苑账务数据文件不能是只读文件！"); break;
      case kSystemFile: text = QStringLiteral("青禾苑账务数据文件不能是系统文件！"); break;
      case kHidden: text = QStringLiteral("青禾苑账务数据文件不能是隐藏文件！"); break;
      case kBadYearName: text = QStringLiteral("文件名不是由有效年度构成！"); break;
      case kNoSysTab: text = QStringLiteral("无环境信息！"); break;
      case kYearMismatch:
        text = QStringLiteral("文件名中的年度与实际账务年度不相符！\n") +
               QStringLiteral("文件名应当改为：“%1.%2”").arg(m_nYear).arg(dataFileExt());
        break;
      case kNoOperator: text = QStringLiteral("本账套无操作员！"); break;
      case kUnknownOperator: text = QStringLiteral("无此操作员！"); break;
      case kCannotOpen: text = QStringLiteral("无法打开此文件！"); break;
      default: text = QStringLiteral("无法识别的错误码！"); break;
    }
  } else if (m_nKind == 1) {
    switch (nCode) {
      case -1: text = QStringLiteral("数据库名长度不合适！"); break;
      case -2: text = WithServerReason(QStringLiteral("打开数据库失败！"), m_db); break;
      case -3: text = QStringLiteral("打开系统参数表失败！"); break;
      case -4: text = QStringLiteral("系统参数表中无记录！"); break;
      case -5: text = QStringLiteral("数据库名中的年度与系统参数表中的年度不符！\n"); break;
      case -6: text = QStringLiteral("打开操作员表失败！"); break;
      case -7: text = QStringLiteral("数据库中无操作员！"); break;
      case -8: text = QStringLiteral("无此操作员！"); break;
      default: text = QStringLiteral("无法识别的错误码！"); break;
    }
  } else {
    text = QStringLiteral("无法识别的数据库类型！");
  }
  KvMessageBox(text, KV_MB_OK | KV_MB_ICONSTOP);
  return false;
}

QString CKvDataFile::WithServerReason(const QString& text, const CKvDb& db) {
  const QString reason = db.GetServerError().trimmed();
  return reason.isEmpty() ? text : text + u'\n' + reason;
}

bool CKvDataFile::Open(const QString& dataSource, const QString& name,
                       const QString& operatorCode, bool bMessages) {
  CKvDbInfo info(GetDbKind());
  if (m_nKind != 0) {
    info.m_strServer = dataSource;
    KvReadDbLogin(&info);
  }
  return OpenAndCheck(name, operatorCode, info, bMessages);
}

bool CKvDataFile::Reopen(bool bMessages) {
  return OpenAndCheck(m_strFileName, m_strOperatorCode, m_info, bMessages);
}

int CKvDataFile::CheckJetPath(QString* pPath, int* pYear, bool bMessages) const {
  const auto fail = [this, bMessages](int code) {
    ShowError(code, bMessages);
    return code;
  };
  QString path = pPath ? *pPath : QString();
  if (path.isEmpty())
    return fail(kEmptyName);
  // Only the file name decides about the extension: a "." in a folder name
  // says nothing about the file.
  const QString ext = dataFileExt();
  const QString name = fileNamePart(path);
  const qsizetype dot = name.lastIndexOf(u'.');
  if (dot < 0)
    path += u'.' + ext;
  else if (dot == name.size() - 1)
    path += ext;
  else if (!KvEqualsIgnoreCase(name.mid(dot + 1), ext))
    return kNotDataFile;

  const QFileInfo file(path);
  int code = 0;
  if (!file.exists())
    code = kNoFile;
  else if (file.isDir())
    code = kIsFolder;
  else if (!file.isWritable())
    code = kReadOnly;
  else if (file.isHidden())
    code = kHidden;
  if (code)
    return fail(code);

  int year = 0;
  if (yearNamed()) {
    year = YearOfTitle(path);
    if (year == 0)
      return fail(kBadYearName);
  }
  if (pYear)
    *pYear = year;
  if (pPath)
    *pPath = file.canonicalFilePath();
  return 0;
}

int CKvDataFile::YearOfTitle(const QString& name, bool bFile) {
  const QString title = bFile ? QFileInfo(name).completeBaseName() : name.right(4);
  bool ok = false;
  const int year = title.toInt(&ok);
  return ok && KvIsAllDigits(title) && year >= kFirstYear ? year : 0;
}

bool CKvDataFile::OpenAndCheck(const QString& name, const QString& operatorCode,
                               const CKvDbInfo& info, bool bMessages) {
  QString openName = name;
  int year = 0;
  if (m_nKind == 0) {
    if (CheckJetPath(&openName, &year, bMessages) != 0)
      return false;
  } else {
    const int length = int(dataFileExt().size()) + kSetNumberLength + (yearNamed() ? 4 : 0);
    if (name.size() != length)
      return ShowError(-1, bMessages);
    // The server keeps its database names in lower case.
    openName = KvLower(name);
    if (yearNamed())
      year = openName.mid(dataFileExt().size() + kSetNumberLength).toInt();
  }

  // A failed open leaves the descriptor's values as they were.
  const CKvDataFile before(*this);
  if (m_nKind == 0)
    m_strValidatedPath = openName;
  m_nYear = year;
  if (OpenCommon(openName, operatorCode, info, bMessages))
    return true;
  m_db.Close();
  CopyFrom(before);
  return false;
}

bool CKvDataFile::OpenCommon(const QString& name, const QString& operatorCode,
                             const CKvDbInfo& info, bool bMessages) {
  m_db.Close();
  m_db.SetKind(GetDbKind());
  if (!m_db.Open(name, info)) {
    if (m_nKind != 0)
      return ShowError(-2, bMessages);
    // A file that is not the program's data file, or one that does not open
    // (another program holds it, or its password check fails).
    return ShowError(isProgramDataFile(name) ? kCannotOpen : kNotDataFile, bMessages);
  }
  m_strOperatorCode = operatorCode;
  if (!ReadSysTab(nullptr, bMessages))
    return false;

  // Only an empty code takes the first operator; a code that is given must
  // be an operator of the file.
  KvOperator op;
  if (!operatorCode.isEmpty()) {
    KvOperatorStore store;
    const int found = store.Load(&m_db, operatorCode);
    if (found < 0)
      return ShowError(m_nKind == 0 ? kCannotOpen : -6, bMessages);
    if (found == 0)
      return ShowError(m_nKind == 0 ? kUnknownOperator : -8, bMessages);
    op = store.Operator();
  } else {
    QList<KvOperator> operators;
    const int count = KvOperatorStore::Fill(&operators, &m_db, true);
    if (count < 0)
      return ShowError(m_nKind == 0 ? kCannotOpen : -6, bMessages);
    if (count == 0)
      return ShowError(m_nKind == 0 ? kNoOperator : -7, bMessages);
    op = operators.first();
  }
  m_strOperatorCode = op.strCode;
  m_strOperatorName = op.strName;
  m_strOperatorPassword = op.strPassword;
  m_strFileName = name;
  m_info = info;
  return true;
}

void CKvDataFile::Close() {
  if (m_db.IsOpen())
    m_db.Close();
}

bool CKvDataFile::ReadSysTab(CKvDb* pDb, bool bMessages) {
  CKvDb* db = pDb ? pDb : &m_db;
  const bool file = m_nKind == 0;
  // Read quietly: the failure is told once, in this descriptor's words.
  std::unique_ptr<KvDbCursor> row =
      KvAppSelect(db, QStringLiteral("SELECT PY,MM,rtrim(NA),rtrim(KJ),rtrim(AN),rtrim(JT),"
                                     "rtrim(T1),rtrim(T13) FROM SYSTAB"));
  if (!row || row->columnCount() < 8)
    return ShowError(file ? kNoSysTab : -3, bMessages);
  if (row->atEnd())
    return ShowError(file ? kNoSysTab : -4, bMessages);

  if (!yearNamed()) {
    m_nYear = 0;
  } else if (row->integer(0) != m_nYear) {
    m_nYear = int(row->integer(0));
    return ShowError(file ? kYearMismatch : -5, bMessages);
  }
  m_nMonth = int(row->integer(1));
  // What this connection's saves take as their year's state from now on;
  // a carry since its reading stays refused (CKvDb::NoteCarriedMark).
  db->NoteCarriedMark(m_nMonth);
  m_strNA = KvDbTrimRight(row->text(2));
  m_strKJ = KvDbTrimRight(row->text(3));
  m_strAN = KvDbTrimRight(row->text(4));
  m_strJT = KvDbTrimRight(row->text(5));
  m_strT1 = KvDbTrimRight(row->text(6));
  m_strT13 = KvDbTrimRight(row->text(7));
  row.reset();

  m_nLogOn = readLogSwitch(db);
  return true;
}

bool CKvDataFile::WriteSysTab(CKvDb* pDb) {
  CKvDb* db = pDb ? pDb : &m_db;
  if (!db->IsOpen())
    return false;
  const auto q = [db](const QString& text) { return u'\'' + db->QuoteText(text) + u'\''; };
  KvDbTransaction transaction(*db);
  if (!transaction.IsActive() || !db->Execute(QStringLiteral("Delete From SysTab")))
    return false;
  if (!db->Execute(QStringLiteral("INSERT INTO SYSTAB(NA,KJ,PY,MM,AN,JT,T1,T13) VALUES(") +
                   q(m_strNA) + u',' + q(m_strKJ) + u',' + QString::number(m_nYear) + u',' +
                   QString::number(m_nMonth) + u',' + q(m_strAN) + u',' + q(m_strJT) + u',' +
                   q(m_strT1) + u',' + q(m_strT13) + u')'))
    return false;
  CKvCsRec logSwitch(db);
  if (!logSwitch.Delete(0, 0))
    return false;
  logSwitch.Set(0, 0, QStringLiteral("日志开关"), QString::number(m_nLogOn));
  if (!logSwitch.Insert())
    return false;
  return transaction.Commit();
}

CKvDataFile::ShownFields CKvDataFile::GetShownFields() const {
  return {m_strNA, m_strKJ, m_strT1, m_strAN, m_nLogOn};
}

bool CKvDataFile::WriteShownFields(CKvDb* pDb, const ShownFields& read, const ShownFields& typed,
                                   bool* pChanged) {
  *pChanged = false;
  if (!pDb || !pDb->IsOpen())
    return false;
  KvDbTransaction transaction(*pDb);
  if (!transaction.IsActive() || !pDb->LockTable(QStringLiteral("SYSTAB")) ||
      !pDb->LockTable(QStringLiteral("SysCsTab")))
    return false;
  // Under the locks: what is stored is still what the window read (a row
  // that no longer reads counts as changed).
  std::unique_ptr<KvDbCursor> row =
      KvAppSelect(pDb, QStringLiteral("SELECT rtrim(NA),rtrim(KJ),rtrim(T1),rtrim(AN) FROM SYSTAB"));
  if (!row || row->atEnd() || row->columnCount() < 4) {
    *pChanged = true;
    return false;
  }
  const ShownFields stored = {KvDbTrimRight(row->text(0)), KvDbTrimRight(row->text(1)),
                              KvDbTrimRight(row->text(2)), KvDbTrimRight(row->text(3)), readLogSwitch(pDb)};
  row.reset();
  if (stored != read) {
    *pChanged = true;
    return false;
  }
  const auto q = [pDb](const QString& text) { return u'\'' + pDb->QuoteText(text) + u'\''; };
  if (ShownFields{typed.NA, typed.KJ, typed.T1, typed.AN, read.nLogOn} != read &&
      !pDb->Execute(QStringLiteral("UPDATE SYSTAB SET NA=%1,KJ=%2,T1=%3,AN=%4")
                        .arg(q(typed.NA), q(typed.KJ), q(typed.T1), q(typed.AN))))
    return false;
  if (typed.nLogOn != read.nLogOn) {
    CKvCsRec logSwitch(pDb);
    if (!logSwitch.Delete(0, 0))
      return false;
    logSwitch.Set(0, 0, QStringLiteral("日志开关"), QString::number(typed.nLogOn));
    if (!logSwitch.Insert())
      return false;
  }
  return transaction.Commit();
}

bool CKvDataFile::LoadRights() {
  m_strRights.clear();
  if (!m_db.IsOpen())
    return true;
  CKvQuery query(0, 0, 1, &m_db);
  if (!query.Open(QStringLiteral("select rtrim(pwr) from pwr where opno = '") +
                  m_db.QuoteText(m_strOperatorCode) + u'\''))
    return false;
  for (; !query.IsEOF(); query.MoveNext())
    m_strRights += query.GetText(0) + u' ';
  return true;
}

void CKvDataFile::RereadSysTab(bool bReread) {
  if (bReread)
    ReadSysTab(nullptr, false);
}

int CKvDataFile::GetYear(bool bReread) {
  RereadSysTab(bReread);
  return m_nYear;
}

int CKvDataFile::GetMonth(bool bReread) {
  RereadSysTab(bReread);
  return m_nMonth;
}

QString CKvDataFile::GetEntityName(bool bReread) {
  RereadSysTab(bReread);
  const CKvDwRec& unit = KvGetCurrentDw();
  return unit.KNO.isEmpty() ? m_strNA : unit.NA;
}

QString CKvDataFile::GetManagerName(bool bReread) {
  RereadSysTab(bReread);
  const CKvDwRec& unit = KvGetCurrentDw();
  return unit.KNO.isEmpty() ? m_strKJ : unit.MGR;
}

QString CKvDataFile::GetAN(bool bReread) {
  RereadSysTab(bReread);
  return m_strAN;
}

QString CKvDataFile::GetT1(bool bReread) {
  RereadSysTab(bReread);
  return m_strT1;
}

QString CKvDataFile::GetT13(bool bReread) {
  RereadSysTab(bReread);
  return m_strT13;
}

void CKvDataFile::SetNames(const QString& na, const QString& kj, const QString& t1,
                           const QString& t13) {
  m_strNA = na;
  m_strKJ = kj;
  m_strT1 = t1;
  m_strT13 = t13;
}
