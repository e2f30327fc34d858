// The templ file of the template list: the exported templates in a
// temporary data file, written as a backup archive; reading one restores
// the archive into a temporary data file first and imports from there.

#include "forms/CKvTemplateList.h"

#include "app/CKvApp.h"
#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvArchive.h"
#include "core/KvDataFileInUse.h"
#include "core/KvDate.h"
#include "core/KvMessage.h"
#include "core/KvPath.h"
#include "core/KvRegistry.h"
#include "forms/CFormDataType.h"
#include "forms/CKvDocTemplate.h"
#include "forms/KvStoredTemplate.h"
#include "ui/CKvWaitWnd.h"
#include "ui/KvModal.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

namespace {

const QString kExportPos = QStringLiteral("TemplExportPos");
const QString kImportPos = QStringLiteral("TemplImportPos");

QString readPosition(const QString& name) {
  QString value;
  KvRegReadString(KvRegRoot::CurrentUser, KvGetRegKeyPath(), name, &value);
  return value;
}

void writePosition(const QString& name, const QString& path) {
  KvRegWriteString(KvRegRoot::CurrentUser, KvGetRegKeyPath(), name, path);
}

void stop(const QString& text) { KvMessageBox(text, KV_MB_OK | KV_MB_ICONSTOP); }
void inform(const QString& text) { KvMessageBox(text, KV_MB_OK | KV_MB_ICONINFORMATION); }

// The data-file extension followed by "templ".
QString templExtension() {
  const CKvApp* app = KvGetApp();
  return (app ? app->GetDataFileExt() : QString()) + QStringLiteral("templ");
}

// "<folder>/<entity name>文档结构.<extension>".
QString defaultFileName(const QString& folder) {
  CKvApp* app = KvGetApp();
  const QString entity = app ? KvFileNameText(app->GetDataFile().GetEntityName()) : QString();
  return QStringLiteral("%1/%2文档结构.%3").arg(folder, entity, templExtension());
}

// Asks for the file through the modal seam; empty when cancelled.
QString askFile(QWidget* parent, bool bSave, const QString& initial) {
  const QString extension = templExtension();
  QFileDialog dialog(parent, bSave ? QStringLiteral("卸出文档结构") : QStringLiteral("载入文档结构"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(bSave ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(bSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  // Replacing a file is asked by the export, after its guard.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setDefaultSuffix(extension);
  dialog.setNameFilter(QStringLiteral("文档结构文件(*.%1)").arg(extension));
  const QFileInfo file(initial);
  dialog.setDirectory(file.absolutePath());
  dialog.selectFile(file.fileName());
  if (KvExecDialog(&dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return QString();
  return dialog.selectedFiles().first();
}

// The temporary data file of one export or import: an SQLite file alone in
// a temporary folder, written without waiting for the disk (nothing in it
// needs to survive a crash), holding the application's own tables: the
// system tables with the form layout tables, the print formats and the log.
// The modules' tables are left out: their creation hooks act on the running
// module too (the fee module takes its structure parameters from the data
// file it is given). Remove closes it and deletes the folder with
// everything in it.
class TempDataFile {
 public:
  bool Create() {
    const CKvApp* constApp = KvGetApp();
    if (!m_dir.isValid() || !constApp)
      return false;
    m_path = m_dir.filePath(QStringLiteral("FormTemplMDB.") + constApp->GetDataFileExt() +
                            QStringLiteral("tmp"));
    CKvApp* app = KvGetApp();
    return m_db.CreateDatabase(m_path, CKvDbInfo(0)) &&
           m_db.Execute(QStringLiteral("PRAGMA synchronous=OFF"), QString(), 128, false) &&
           app->CreateSystemTables(&m_db) && app->CreateCommonTables(&m_db);
  }
  bool Remove() {
    m_db.Close();
    return !m_dir.isValid() || m_dir.remove();
  }
  CKvDb* Db() { return &m_db; }
  const QString& Path() const { return m_path; }

 private:
  QTemporaryDir m_dir;
  QString m_path;
  CKvDb m_db{0};
};

// Writes the temporary data file as a backup archive; the file at `path`
// appears whole or not at all.
bool writeTemplFile(CKvDb* pDb, const QString& path) {
  CKvApp* app = KvGetApp();
  CKvDataFile& file = app->GetDataFile();
  KvArchiveHeader header;
  header.signature = QString::fromLatin1(kKvArchiveSignature);
  header.identifier = pDb->LookupText(QStringLiteral("max(AN) From SysTab"));
  header.databaseName = pDb->GetDatabaseName(true);
  header.edition = app->GetEditionCode();
  header.year = file.GetYear();
  header.entityName = file.GetEntityName();
  header.operatorText = QStringLiteral("%1(%2)").arg(file.GetOperatorName(), file.GetOperatorCode());
  header.timeText = KvNowText(QStringLiteral("%Y年%m月%d日%H时%M分"));

  QSaveFile out(path);
  if (!out.open(QIODevice::WriteOnly)) {
    stop(QStringLiteral("无效的文件名。"));
    return false;
  }
  if (!KvWriteArchive(*pDb, header, &out) || !out.commit()) {
    stop(QStringLiteral("保存文档失败。"));
    return false;
  }
  return true;
}

// Opens the templ file and reads its header: false when it cannot be read
// or is not this program's archive. Year and identifier code are not
// compared: templates travel between years.
bool openTemplFile(KvArchiveReader* reader, qint32* tables) {
  KvArchiveHeader header;
  return reader->ReadHeader(&header) && header.signature == QLatin1String(kKvArchiveSignature) &&
         reader->ReadTableCount(tables);
}

// Whether the whole file is sound as an archive, read without a database.
bool scanTemplFile(const QString& path) {
  QFile in(path);
  if (!in.open(QIODevice::ReadOnly))
    return false;
  KvArchiveReader reader(&in);
  qint32 tables = 0;
  return openTemplFile(&reader, &tables) && KvScanArchiveTables(reader, tables);
}

// Reads the whole templ file into the temporary data file, in one
// transaction, and checks every template it holds. False when the file is
// not one: its signature, any length, count, name or value, a table or
// column the data file does not have, or a template outside the layout
// ranges; or when a template's sequence number lies outside the range the
// program gives (*pRefusal then says which): stored as it is, it would
// stand where no copy may come, or make the next copy's number wrap round.
bool readTemplFile(const QString& path, CKvDb* pDb, QString* pRefusal) {
  QFile in(path);
  if (!in.open(QIODevice::ReadOnly))
    return false;
  KvArchiveReader reader(&in);
  qint32 tables = 0;
  if (!openTemplFile(&reader, &tables) || !KvRestoreArchiveTables(reader, tables, *pDb))
    return false;

  QStringList keys[2];
  pDb->QueryTexts(QStringLiteral("Select nFlag,nForm From KvFormList"), keys, 2);
  for (qsizetype i = 0; i < keys[0].size(); ++i) {
    bool flagRead = false, formRead = false;
    const int nFlag = keys[0].at(i).trimmed().toInt(&flagRead);
    const qint64 nForm = keys[1].at(i).trimmed().toLongLong(&formRead);
    if (!flagRead || !formRead)
      return false;
    if (nForm < 0 || nForm > kKvMaxTemplateNumber) {
      *pRefusal = QStringLiteral("文档模板(%1-%2)的序号不在0至%3之间，不能载入！")
                      .arg(nFlag)
                      .arg(nForm)
                      .arg(kKvMaxTemplateNumber);
      return false;
    }
    KvStoredTemplate stored;
    if (stored.Load(pDb, nFlag, int(nForm)) < 0 ||
        !KvCheckTemplateLayout(stored.entry))
      return false;
  }
  return true;
}

}  // namespace

void CKvTemplateList::OnExportStructure() {
  if (!KvGetApp() || !m_pDb || !m_pDb->IsOpen())
    return;
  const QString last = readPosition(kExportPos);
  const QString folder = last.isEmpty() ? QDir::homePath() : QFileInfo(last).absolutePath();
  // A data file in use is never replaced by the templ file: refused before
  // any question, the file dialog asks again; so it does after 否 to
  // replacing another existing file.
  QString path = defaultFileName(folder);
  for (;;) {
    path = askFile(this, true, path);
    if (path.isEmpty())
      return;
    if (KvMayReplaceFile(path))
      break;
  }
  ExportStructure(path);
}

void CKvTemplateList::OnImportStructure() {
  if (!KvGetApp() || !m_pDb || !m_pDb->IsOpen())
    return;
  QString initial = readPosition(kImportPos);
  if (initial.isEmpty())
    initial = defaultFileName(QDir::homePath());
  const QString path = askFile(this, false, initial);
  if (!path.isEmpty())
    ImportStructure(path);
}

void CKvTemplateList::ExportStructure(const QString& path) {
  if (!KvGetApp() || !m_pDb || !m_pDb->IsOpen())
    return;
  CKvWaitWnd wait;
  wait.Show(this);
  TempDataFile temp;
  if (!temp.Create()) {
    wait.Hide();
    stop(QStringLiteral("建立临时数据库“%1”失败！").arg(temp.Path()));
  } else if (ExportTemplates(m_pDb, temp.Db()) && writeTemplFile(temp.Db(), path)) {
    wait.Hide();
    inform(QStringLiteral("已成功地将文档结构卸出到文件：%1！").arg(path));
  }
  if (!temp.Remove())
    stop(QStringLiteral("删除临时数据库“%1”失败！").arg(temp.Path()));
  writePosition(kExportPos, path);
}

void CKvTemplateList::ImportStructure(const QString& path) {
  if (!KvGetApp() || !m_pDb || !m_pDb->IsOpen())
    return;
  writePosition(kImportPos, path);
  CKvWaitWnd wait;
  wait.Show(this);
  // A file that is not sound as an archive needs no temporary data file.
  if (!scanTemplFile(path)) {
    wait.Hide();
    stop(QStringLiteral("文件“%1”不是有效的文档结构文件！").arg(path));
    return;
  }
  TempDataFile temp;
  if (!temp.Create()) {
    wait.Hide();
    stop(QStringLiteral("建立临时数据库“%1”失败！").arg(temp.Path()));
  } else if (QString refusal; !readTemplFile(path, temp.Db(), &refusal)) {
    wait.Hide();
    stop(refusal.isEmpty() ? QStringLiteral("文件“%1”不是有效的文档结构文件！").arg(path) : refusal);
  } else if (ImportTemplates(temp.Db(), m_pDb)) {
    wait.Hide();
    inform(QStringLiteral("已成功地从文件：%1中载入文档结构！").arg(path));
  }
  if (!temp.Remove())
    stop(QStringLiteral("删除临时数据库“%1”失败！").arg(temp.Path()));
}

bool CKvTemplateList::ExportTemplates(CKvDb* pSource, CKvDb* pTarget) {
  int written = 0;
  QStringList keys;
  GetSelectedKeys(&keys);
  for (const QString& key : std::as_const(keys)) {
    const QStringList parts = key.split(u' ');
    const int nFlag = parts.value(0).toInt();
    const int nForm = parts.value(1).toInt();
    KvStoredTemplate stored;
    if (stored.Load(pSource, nFlag, nForm) > 0 &&
        stored.Write(pTarget, nFlag, nForm, stored.entry.nOpen))
      ++written;
  }
  if (written == 0) {
    stop(QStringLiteral("没有卸出文档结构！"));
    return false;
  }
  return true;
}

bool CKvTemplateList::ImportTemplates(CKvDb* pSource, CKvDb* pTarget) {
  CFormDataType* module = GetDataType();
  if (!module || !pSource || !pTarget)
    return false;
  QList<int> flags, forms;
  CKvQuery query(2, 0, 0, pSource);
  if (query.Open(QStringLiteral("SELECT nFlag,nForm FROM KvFormList Order by nFlag,nForm")))
    for (; !query.IsEOF(); query.MoveNext()) {
      flags.append(query.GetLong(0));
      forms.append(query.GetLong(1));
    }
  query.Close();
  if (flags.isEmpty()) {
    stop(QStringLiteral("没有可载入的文档结构！"));
    return false;
  }

  int written = 0;
  for (qsizetype i = 0; i < flags.size(); ++i) {
    const int nFlag = flags.at(i);
    KvStoredTemplate stored;
    if (stored.Load(pSource, nFlag, forms.at(i)) <= 0)
      continue;
    KvDocTypeEntry entry;
    CKvDocTemplate* pTemplate = nullptr;
    bool done = false;
    if (module->GetEntry(nFlag, forms.at(i), &entry, &pTemplate)) {
      const int answer = KvMessageBox(
          QStringLiteral("%1\n\n　　已存在，覆盖吗？").arg(ShownName(entry)), KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION);
      if (answer == KV_IDYES) {
        done = stored.Replace(pTarget, nFlag, forms.at(i), entry.bStored ? 1 : 0);
      } else if (answer == KV_IDNO) {
        if (!pTemplate->AllowsCopies()) {
          inform(QStringLiteral("%1\n\n　　系统不能产生该种文档模板的复件！").arg(ShownName(entry)));
          continue;
        }
        if (pTemplate->Entries().isEmpty()) {
          inform(QStringLiteral("%1\n\n　　文档模板异常！").arg(ShownName(entry)));
          continue;
        }
        int nCopy = 0;
        done = stored.WriteCopy(pTarget, nFlag, FirstCopyNumber(*pTemplate), &nCopy);
      } else {
        continue;
      }
    } else {
      done = stored.Write(pTarget, nFlag, forms.at(i), stored.entry.nOpen);
    }
    // The next template is asked about against what is stored now.
    Refill();
    if (done)
      ++written;
  }
  return written > 0;
}
