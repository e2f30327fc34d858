// The templ file: export and import round trips on every kind with the
// questions about templates the module has, the folders the file dialogs
// open on, no temporary file left behind, the import message only when
// templates were written, all or nothing when a layout table cannot be
// written, and a damaged file: cut short at every length, every byte
// inverted and 2,000 seeded mutations each either refused with the
// bad-file message and the data file unchanged, or imported as templates
// that keep to the layout ranges.

#include "KvTemplateListTestSupport.h"
#include "core/CKvRecordset.h"
#include "core/KvArchive.h"
#include "core/KvRegistry.h"
#include "ui/KvCommands.h"
#include "ui/KvDataFileRefusalRow.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <random>
#include <tuple>

namespace {

QString setting(const QString& name) {
  QString value;
  KvRegReadString(KvRegRoot::CurrentUser, KvGetRegKeyPath(), name, &value);
  return value;
}

QStringList messageTexts(const KvMessageRecorder& recorder) {
  QStringList texts;
  for (const auto& message : recorder.messages())
    texts << message.text;
  return texts;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

}  // namespace

class KvTemplFileTest : public KvTemplateListTest {
 protected:
  void SetUp() override {
    KvTemplateListTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    // Temporary files of the program go to a folder the test watches.
    m_tempFolder = homeFile(QStringLiteral("tmp-templ"));
    QDir(m_tempFolder).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(m_tempFolder));
    m_oldTemp = qgetenv("TMPDIR");
    qputenv("TMPDIR", m_tempFolder.toLocal8Bit());
    // A module whose table hook must not run for the temporary data file.
    m_pTables = new KvShellTestModule(40);
    m_app.AddDataType(m_pTables);
  }
  void TearDown() override {
    qputenv("TMPDIR", m_oldTemp);
    // The exports go: the next kind's export would be asked to replace them.
    for (const char* name : {"out.xxdtempl", "one.xxdtempl", "old.xxdtempl"})
      QFile::remove(homeFile(QString::fromLatin1(name)));
    KvTemplateListTest::TearDown();
  }
  bool tempFolderEmpty() const {
    const QStringList left =
        QDir(m_tempFolder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    EXPECT_TRUE(left.isEmpty()) << left.join(u' ').toStdString();
    return left.isEmpty();
  }
  // A file in this test binary's own folder.
  static QString homeFile(const QString& name) {
    return QDir(qEnvironmentVariable("KV_TEST_HOME")).filePath(name);
  }

  QString m_tempFolder;
  QByteArray m_oldTemp;
  KvShellTestModule* m_pTables = nullptr;
  KvFileDialogAnswer m_files;
  KvScopedDialogExec m_exec{[this](QDialog* dialog) { return m_files.run(dialog); }};
};

TEST_P(KvTemplFileTest, ExportAndImportRoundTripAsksAboutKnownTypesAndLeavesNoTemporaryFile) {
  ASSERT_TRUE(store(300, 0, QStringLiteral("收费表"), 0, 201));
  ASSERT_TRUE(store(300, 5, QStringLiteral("复件_甲"), 1, 205));
  list().Refill();
  select({{300, 0}, {300, 5}, {300, 1}});

  KvMessageRecorder recorder;
  const QString path = homeFile(QStringLiteral("out.xxdtempl"));
  m_files.path = path;
  list().ExecuteCmd(KV_CMD_EXPORT_STRUCTURE);
  EXPECT_EQ(messageTexts(recorder), QStringList{QStringLiteral("已成功地将文档结构卸出到文件：%1！").arg(path)});
  EXPECT_TRUE(QFile::exists(path));
  EXPECT_TRUE(tempFolderEmpty());
  EXPECT_EQ(setting(QStringLiteral("TemplExportPos")), path);
  // The first export opens in the home folder with the entity's name.
  const QString entity = m_app.GetDataFile().GetEntityName();
  EXPECT_EQ(m_files.openedOn, QDir::homePath() + QStringLiteral("/%1文档结构.xxdtempl").arg(entity));

  // The data file moves on: the copy goes, the type is renamed.
  ASSERT_TRUE(KvDeleteForms(300, 5, appDb()));
  ASSERT_TRUE(store(300, 0, QStringLiteral("改名"), 0, 299));
  list().Refill();

  // The known type is replaced in place (Yes); the missing copy comes back
  // under its own number.
  recorder.clear();
  recorder.script({KV_IDYES});
  list().ExecuteCmd(KV_CMD_IMPORT_STRUCTURE);
  EXPECT_EQ(m_files.openedOn, QDir::homePath() + QStringLiteral("/%1文档结构.xxdtempl").arg(entity));
  EXPECT_EQ(messageTexts(recorder),
            (QStringList{QStringLiteral("收费表\n\n　　已存在，覆盖吗？"),
                         QStringLiteral("已成功地从文件：%1中载入文档结构！").arg(path)}));
  KvStoredTemplate read;
  ASSERT_EQ(read.Load(appDb(), 300, 0), 1);
  EXPECT_EQ(read.entry.sFna, QStringLiteral("收费表"));
  EXPECT_EQ(read.entry.nOpen, 0);
  EXPECT_EQ(read.print.PageLeft, 201);
  EXPECT_EQ(read.entry.headNotes, KvSampleTemplate(QString()).entry.headNotes);
  ASSERT_EQ(read.Load(appDb(), 300, 5), 1);
  EXPECT_EQ(read.entry.sFna, QStringLiteral("复件_甲"));
  EXPECT_EQ(read.print.PageLeft, 205);
  EXPECT_GE(list().FindRow(300, 5), 0);
  EXPECT_TRUE(tempFolderEmpty());
  EXPECT_EQ(setting(QStringLiteral("TemplImportPos")), path);

  // No makes copies one above the template's last type; Cancel skips, and
  // with nothing written there is no word of success.
  recorder.clear();
  recorder.script({KV_IDNO, KV_IDNO});
  list().ExecuteCmd(KV_CMD_IMPORT_STRUCTURE);
  EXPECT_EQ(m_files.openedOn, path);
  ASSERT_EQ(read.Load(appDb(), 300, 6), 1);
  EXPECT_EQ(read.entry.sFna, QStringLiteral("收费表"));
  EXPECT_EQ(read.entry.nOpen, 1);
  ASSERT_EQ(read.Load(appDb(), 300, 7), 1);
  EXPECT_EQ(read.entry.sFna, QStringLiteral("复件_甲"));
  EXPECT_GE(list().FindRow(300, 7), 0);

  const QStringList before = KvTemplateRows(appDb());
  recorder.clear();
  recorder.script({KV_IDCANCEL, KV_IDCANCEL});
  list().ExecuteCmd(KV_CMD_IMPORT_STRUCTURE);
  EXPECT_EQ(recorder.messages().size(), 2);
  EXPECT_EQ(KvTemplateRows(appDb()), before);
  EXPECT_TRUE(tempFolderEmpty());
  // The modules were not asked to make their tables in a temporary file.
  EXPECT_EQ(m_pTables->createCalls, 0);
}

TEST_P(KvTemplFileTest, AnExportOfTypesNeverStoredWritesNoFile) {
  select({{300, 1}});
  KvMessageRecorder recorder;
  m_files.path = homeFile(QStringLiteral("none.xxdtempl"));
  list().ExecuteCmd(KV_CMD_EXPORT_STRUCTURE);
  EXPECT_EQ(messageTexts(recorder), QStringList{QStringLiteral("没有卸出文档结构！")});
  EXPECT_FALSE(QFile::exists(m_files.path));
  EXPECT_TRUE(tempFolderEmpty());
  // The next export opens in the folder of the last one, with a new name.
  list().ExecuteCmd(KV_CMD_EXPORT_STRUCTURE);
  EXPECT_EQ(m_files.openedOn,
            homeFile(QStringLiteral("%1文档结构.xxdtempl").arg(m_app.GetDataFile().GetEntityName())));
  // A cancelled dialog does nothing at all.
  recorder.clear();
  m_files.path.clear();
  list().ExecuteCmd(KV_CMD_EXPORT_STRUCTURE);
  EXPECT_TRUE(recorder.messages().isEmpty());
}

// The open data file is refused before any question, the file dialog asks
// again, no success is said; another existing file is replaced after 是.
TEST_P(KvTemplFileTest, AnExportNamedAsTheOpenDataFileIsRefused) {
  ASSERT_TRUE(store(300, 0, QStringLiteral("收费表")));
  list().Refill();
  select({{300, 0}});
  if (kind() == 0) {
    KvDataFileRefusalRow row(appDb()->GetDatabaseName(true), true, false);
    list().ExecuteCmd(KV_CMD_EXPORT_STRUCTURE);
    row.Check(2);
    EXPECT_TRUE(row.questionLeftToProgram);
    EXPECT_TRUE(tempFolderEmpty());
  }
  m_files.path = homeFile(QStringLiteral("old.xxdtempl"));
  ASSERT_TRUE(writeFile(m_files.path, "old"));
  KvMessageRecorder recorder;
  recorder.script({KV_IDYES});
  list().ExecuteCmd(KV_CMD_EXPORT_STRUCTURE);
  EXPECT_EQ(messageTexts(recorder).value(0), QStringLiteral("文件“%1”已经存在，要替换它吗？").arg(m_files.path));
  EXPECT_GT(QFileInfo(m_files.path).size(), 3);
}

TEST_P(KvTemplFileTest, AnImportIntoARenamedLayoutTableChangesNothing) {
  ASSERT_TRUE(store(300, 5, QStringLiteral("复件_甲")));
  list().Refill();
  select({{300, 5}});
  KvMessageRecorder recorder;
  m_files.path = homeFile(QStringLiteral("one.xxdtempl"));
  list().ExecuteCmd(KV_CMD_EXPORT_STRUCTURE);
  ASSERT_TRUE(KvDeleteForms(300, 5, appDb()));
  list().Refill();
  ASSERT_TRUE(appDb()->Execute(QStringLiteral("Alter Table KvFormFormula Rename To KvFormFormulaX")));
  const QStringList before = KvTemplateRows(appDb());

  recorder.clear();
  list().ExecuteCmd(KV_CMD_IMPORT_STRUCTURE);
  EXPECT_EQ(KvTemplateRows(appDb()), before);
  // The refused statement is reported; success is not.
  const QStringList texts = messageTexts(recorder);
  ASSERT_FALSE(texts.isEmpty());
  EXPECT_FALSE(texts.last().startsWith(QStringLiteral("已成功")));
  EXPECT_TRUE(tempFolderEmpty());
}

TEST_P(KvTemplFileTest, FilesOfOtherYearsImportAndFilesOfOtherKindsAreRefused) {
  // An archive of the template tables alone, made in another year: year and
  // identifier are not compared.
  KvTestDb source(0);
  KV_CREATE_TEST_DB(source);
  ASSERT_TRUE(m_app.CreateSystemTables(&source.db()) && m_app.CreateCommonTables(&source.db()));
  ASSERT_TRUE(KvSampleTemplate(QStringLiteral("旧年")).Write(&source.db(), 300, 9, 1));
  KvArchiveHeader header;
  header.signature = QString::fromLatin1(kKvArchiveSignature);
  header.identifier = QStringLiteral("other");
  header.year = 1999;
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  ASSERT_TRUE(KvWriteArchive(source.db(), header, &buffer));
  m_files.path = homeFile(QStringLiteral("old.xxdtempl"));
  ASSERT_TRUE(writeFile(m_files.path, bytes));
  KvMessageRecorder recorder;
  list().ExecuteCmd(KV_CMD_IMPORT_STRUCTURE);
  EXPECT_EQ(messageTexts(recorder),
            QStringList{QStringLiteral("已成功地从文件：%1中载入文档结构！").arg(m_files.path)});
  EXPECT_GE(list().FindRow(300, 9), 0);

  const QStringList before = KvTemplateRows(appDb());
  const QString bad = QStringLiteral("文件“%1”不是有效的文档结构文件！").arg(m_files.path);
  // Another signature, an empty file, text.
  header.signature = QStringLiteral("NotOurs01");
  QByteArray foreign;
  QBuffer other(&foreign);
  other.open(QIODevice::WriteOnly);
  ASSERT_TRUE(KvWriteArchive(source.db(), header, &other));
  for (const QByteArray& content : {foreign, QByteArray(), QByteArray("Create Table x")}) {
    ASSERT_TRUE(writeFile(m_files.path, content));
    recorder.clear();
    list().ExecuteCmd(KV_CMD_IMPORT_STRUCTURE);
    EXPECT_EQ(messageTexts(recorder), QStringList{bad});
    EXPECT_EQ(KvTemplateRows(appDb()), before);
  }
  // A template numbered above, then below, the range the program gives, and
  // one whose head or a field's row lies outside the sheet's ranges: the
  // file refused, nothing stored.
  header.signature = QString::fromLatin1(kKvArchiveSignature);
  const KvStoredTemplate sound = KvSampleTemplate(QStringLiteral("越界"));
  KvStoredTemplate highHead = sound, lowField = sound;
  highHead.entry.nTopNum = 0x40000001;
  lowField.entry.headNotes.first().nRow = 0x7FFFFFFF;
  const QString numbered = QStringLiteral("文档模板(300-%1)的序号不在0至99999之间，不能载入！");
  const std::tuple<int, KvStoredTemplate, QString> refused[] = {
      {2147483647, sound, numbered.arg(2147483647)}, {-1, sound, numbered.arg(-1)}, {8, highHead, bad}, {8, lowField, bad}};
  for (const auto& [nForm, stored, refusal] : refused) {
    QBuffer out;
    ASSERT_TRUE(stored.Write(&source.db(), 300, nForm, 1) && out.open(QIODevice::WriteOnly) &&
                KvWriteArchive(source.db(), header, &out) && writeFile(m_files.path, out.data()) && KvDeleteForms(300, nForm, &source.db()));
    recorder.clear();
    list().ExecuteCmd(KV_CMD_IMPORT_STRUCTURE);
    EXPECT_EQ(messageTexts(recorder), QStringList{refusal});
    EXPECT_EQ(KvTemplateRows(appDb()), before);
  }
  EXPECT_TRUE(tempFolderEmpty());
}

KV_DB_KIND_TEST_SUITE(KvTemplFileTest);

// A small templ file damaged in every way the reader must survive.
class KvTemplFileDamageTest : public KvTemplFileTest {
 protected:
  void SetUp() override {
    KvTemplFileTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    // The file holds the template tables alone: two templates, one of them
    // a type the module has.
    KvTestDb source(0);
    KV_CREATE_TEST_DB(source);
    CKvDb& db = source.db();
    for (const char* sql :
         {"Create Table KvFormList(nFlag Long,nForm Long,sFna Char(200),nOpen Long,nTopNum Long)",
          "Create Table KvFormFormula(nFlag Long,nForm Long,nCol Long,nType Long,nFact Long,"
          "nLess Long,nMore Long,sFormula Char(200))",
          "Create Table KvFormTopWord(nFlag Long,nForm Long,nCol1 Long,nRow1 Long,nCol2 Long,"
          "nRow2 Long,sWords Char(100))",
          "Create Table KvFormHeadNote(nFlag Long,nForm Long,bIsTail Long,nRow Long,"
          "nColPecent Long,bIsUse Long,bIsSystem Long,sNote Char(20),sWords Char(200))"})
      ASSERT_TRUE(db.Execute(QString::fromUtf8(sql)));
    KvStoredTemplate one = KvSampleTemplate(QStringLiteral("复件_甲"));
    one.entry.SetKey(&db, 300, 6);
    one.entry.nOpen = 1;
    ASSERT_TRUE(one.entry.SaveLayout());
    one.entry.SetKey(&db, 300, 0);
    one.entry.nOpen = 0;
    ASSERT_TRUE(one.entry.SaveLayout());
    KvArchiveHeader header;
    header.signature = QString::fromLatin1(kKvArchiveSignature);
    QBuffer buffer(&m_archive);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(KvWriteArchive(db, header, &buffer));
    ASSERT_LT(m_archive.size(), 4096);

    // A test data file need not wait for the disk.
    ASSERT_TRUE(appDb()->Execute(QStringLiteral("PRAGMA synchronous=OFF")));
    ASSERT_TRUE(store(300, 0, QStringLiteral("收费表"), 0));
    list().Refill();
    m_before = KvTemplateRows(appDb());
    m_path = homeFile(QStringLiteral("damaged.xxdtempl"));
    m_files.path = m_path;
    m_bad = QStringLiteral("文件“%1”不是有效的文档结构文件！").arg(m_path);
  }

  // Imports the bytes, answering Yes to every question: either the
  // bad-file message with nothing changed, or templates within the layout
  // ranges. The data file is put back afterwards.
  void check(const QByteArray& bytes, const std::string& what) {
    ASSERT_TRUE(writeFile(m_path, bytes)) << what;
    KvMessageRecorder recorder;
    recorder.script(QList<int>(8, KV_IDYES));
    list().ImportStructure(m_path);
    const QStringList texts = messageTexts(recorder);
    if (texts.contains(m_bad)) {
      ++m_refused;
      EXPECT_EQ(texts, QStringList{m_bad}) << what;
      EXPECT_EQ(KvTemplateRows(appDb()), m_before) << what;
    } else {
      ++m_imported;
      QStringList keys[2];
      appDb()->QueryTexts(QStringLiteral("Select nFlag,nForm From KvFormList"), keys, 2);
      for (qsizetype i = 0; i < keys[0].size(); ++i) {
        KvStoredTemplate stored;
        ASSERT_EQ(stored.Load(appDb(), keys[0].at(i).toInt(), keys[1].at(i).toInt()), 1) << what;
        EXPECT_TRUE(KvCheckTemplateLayout(stored.entry)) << what;
      }
      if (KvTemplateRows(appDb()) != m_before) {
        for (const char* table : {"KvFormList", "KvFormFormula", "KvFormTopWord", "KvFormHeadNote",
                                  "KVPAGESET", "KVFONT", "FIELDWIDTH"})
          ASSERT_TRUE(appDb()->Execute(QStringLiteral("Delete From ") + QLatin1String(table)));
        ASSERT_TRUE(store(300, 0, QStringLiteral("收费表"), 0));
        list().Refill();
      }
    }
    EXPECT_TRUE(tempFolderEmpty()) << what;
  }

  QByteArray m_archive;
  QStringList m_before;
  QString m_path;
  QString m_bad;
  int m_refused = 0;
  int m_imported = 0;
};

TEST_P(KvTemplFileDamageTest, EveryCutIsRefused) {
  for (qsizetype size = 0; size < m_archive.size(); ++size)
    check(m_archive.left(size), "cut to " + std::to_string(size));
  EXPECT_EQ(m_imported, 0);
}

TEST_P(KvTemplFileDamageTest, EveryInvertedByteIsRefusedOrImportsSoundTemplates) {
  for (qsizetype at = 0; at < m_archive.size(); ++at) {
    QByteArray bytes = m_archive;
    bytes[at] = char(bytes.at(at) ^ 0xFF);
    check(bytes, "byte " + std::to_string(at) + " inverted");
  }
  EXPECT_GT(m_refused, 0);
}

TEST_P(KvTemplFileDamageTest, SeededMutationsAreRefusedOrImportSoundTemplates) {
  const quint32 base = 150211;
  for (quint32 n = 0; n < 2000; ++n) {
    const quint32 seed = base + n;
    std::mt19937 random(seed);
    QByteArray bytes = m_archive;
    const int changes = 1 + int(random() % 3);
    for (int c = 0; c < changes && !bytes.isEmpty(); ++c) {
      const qsizetype at = qsizetype(random() % quint32(bytes.size()));
      switch (random() % 4) {
        case 0: bytes[at] = char(random()); break;
        case 1: bytes.remove(at, 1 + qsizetype(random() % 8)); break;
        case 2: bytes.insert(at, QByteArray(1 + qsizetype(random() % 8), char(random()))); break;
        default: {
          const qint32 value = qint32(random() % 40) - 20;
          bytes.replace(at, qMin<qsizetype>(4, bytes.size() - at),
                        QByteArray(reinterpret_cast<const char*>(&value), 4));
          break;
        }
      }
    }
    check(bytes, "seed " + std::to_string(seed));
  }
  EXPECT_GT(m_refused, 0);
  EXPECT_GT(m_imported, 0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, KvTemplFileDamageTest, ::testing::Values(0), KvDbKindName);
