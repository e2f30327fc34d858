// Backups of the open data file: the settings and their defaults, when a
// scheduled backup is due, what the archive is called, and the two copies
// before a risky operation, after which the file is shared again.

#include "KvShellDbTest.h"
#include "app/KvBackup.h"
#include "app/KvUserSettings.h"
#include "core/KvDate.h"
#include "core/KvFolders.h"
#include "core/KvMessage.h"
#include "core/KvRegistry.h"
#include "support/KvTestEnv.h"

#include <QDate>
#include <QDir>
#include <QCoreApplication>
#include <QFile>
#include <QProcess>

#include <cstdio>

namespace {

void writeSetting(const QString& name, const QString& value) {
  KvRegWriteString(KvRegRoot::CurrentUser, KvGetRegKeyPath(), name, value);
}

void clearSettings() {
  for (const char* name : {"BakMode", "BakTime", "BakPath", "BackGround"})
    KvRegDeleteValue(KvRegRoot::CurrentUser, KvGetRegKeyPath(), QString::fromLatin1(name));
}

}  // namespace

TEST(KvBackupSettings, OnlyWhatDiffersFromTheDefaultsIsStored) {
  CKvApp app;
  clearSettings();
  int mode = -1;
  int time = -1;
  QString folder;
  KvReadBackupSettings(&mode, &time, &folder);
  EXPECT_EQ(mode, 1);
  EXPECT_EQ(time, 1);
  EXPECT_EQ(folder, KvDefaultBackupFolder());
  EXPECT_TRUE(folder.endsWith(QStringLiteral("/备份")));

  KvWriteBackupSettings(1, 1, KvDefaultBackupFolder() + u'/');
  QString value;
  for (const char* name : {"BakMode", "BakTime", "BakPath"})
    EXPECT_FALSE(KvRegReadString(KvRegRoot::CurrentUser, KvGetRegKeyPath(), QString::fromLatin1(name), &value));

  KvWriteBackupSettings(0, 2, QStringLiteral("/tmp/bak\\/"));
  KvReadBackupSettings(&mode, &time, &folder);
  EXPECT_EQ(mode, 0);
  EXPECT_EQ(time, 2);
  EXPECT_EQ(folder, QStringLiteral("/tmp/bak"));
  clearSettings();
}

TEST(KvBackupSettings, TheWallpaperIsAPageOrAPictureThatExists) {
  CKvApp app;
  clearSettings();
  QString path;
  // A network path is taken without looking.
  KvSetBackgroundPage(QStringLiteral(" \\\\server\\pics\\school.JPG\n"));
  EXPECT_EQ(KvGetBackgroundPage(&path), 2);
  EXPECT_EQ(path, QStringLiteral("\\\\server\\pics\\school.JPG"));
  KvSetBackgroundPage(QStringLiteral("//server/page.htm"));
  EXPECT_EQ(KvGetBackgroundPage(&path), 1);

  // A local file must exist.
  const QString page = QDir(KvTestHome()).filePath(QStringLiteral("notice.htm"));
  KvSetBackgroundPage(page);
  EXPECT_EQ(KvGetBackgroundPage(&path), 0);
  QFile file(page);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  EXPECT_EQ(KvGetBackgroundPage(&path), 1);
  EXPECT_EQ(path, page);
  // Only whole patterns of the picture filter make a picture.
  const QString odd = QDir(KvTestHome()).filePath(QStringLiteral("notice.jp"));
  QFile(page).copy(odd);
  KvSetBackgroundPage(odd);
  EXPECT_EQ(KvGetBackgroundPage(&path), 1);
  QFile::remove(page);
  QFile::remove(odd);
  clearSettings();
}

TEST(KvBackupSettings, ArchiveNamesHoldNoCharacterAFileNameCannot) {
  EXPECT_EQ(KvBackupArchivePath(QStringLiteral("/b/\\"), QStringLiteral("一中/初中:部*?\"<>|\\"),
                                QStringLiteral("20240301120000"), 2024, QStringLiteral("xxd")),
            QStringLiteral("/b/一中_初中_部_______20240301120000_2024_xxd.bak"));
}

class KvBackupDb : public KvShellDbTest {
 protected:
  void SetUp() override {
    KvShellDbTest::SetUp();
    clearSettings();
    writeSetting(QStringLiteral("BakPath"), QDir(KvTestHome()).filePath(QStringLiteral("bak")));
  }
  void TearDown() override {
    KvSetBackupArchiveWriter(nullptr);
    clearSettings();
    QDir(QDir(KvTestHome()).filePath(QStringLiteral("bak"))).removeRecursively();
    KvShellDbTest::TearDown();
  }
  void installWriter(bool succeed = true) {
    KvSetBackupArchiveWriter([this, succeed](CKvDb*, const QString& path, QString*) {
      m_archives.append(path);
      return succeed;
    });
  }
  QString storedDate() {
    const QStringList dates = column(QStringLiteral(
        "Select rtrim(CsVal) From SysCsTab Where Cs=0 And CsN=1 And CsNa='最近一次数据备份时间'"));
    return dates.join(u',');
  }
  void storeDate(int daysAgo) {
    ASSERT_TRUE(appDb()->Execute(QStringLiteral("Delete From SysCsTab Where Cs=0 And CsN=1")));
    CKvCsRec row(appDb());
    row.Set(0, 1, QStringLiteral("最近一次数据备份时间"),
            QDate::currentDate().addDays(-daysAgo).toString(QStringLiteral("yyyyMMdd")));
    ASSERT_TRUE(row.Insert());
  }
  QString today() { return KvNowText(QStringLiteral("%Y%m%d")); }

  QStringList m_archives;
};

TEST_P(KvBackupDb, WithoutTheArchiveWriterAScheduledBackupDoesNothing) {
  KvMessageRecorder recorder;
  EXPECT_FALSE(KvScheduledBackup(true));
  EXPECT_TRUE(storedDate().isEmpty());
  EXPECT_TRUE(recorder.messages().isEmpty());
}

TEST_P(KvBackupDb, TheFirstRunOnlyNotesTheDayAndAWeekLaterItIsDue) {
  installWriter();
  KvMessageRecorder recorder;
  EXPECT_TRUE(KvScheduledBackup(true));
  EXPECT_EQ(storedDate(), today());
  EXPECT_TRUE(m_archives.isEmpty());
  EXPECT_TRUE(recorder.messages().isEmpty());

  storeDate(6);
  EXPECT_FALSE(KvScheduledBackup(true));
  EXPECT_TRUE(m_archives.isEmpty());

  storeDate(7);
  QString text;
  EXPECT_TRUE(KvScheduledBackup(true, &text));
  ASSERT_EQ(m_archives.size(), 1);
  EXPECT_EQ(text, QStringLiteral("按例执行备份成功，备件：\n") + m_archives.first());
  EXPECT_TRUE(m_archives.first().startsWith(QDir(KvTestHome()).filePath(QStringLiteral("bak/××单位"))));
  EXPECT_TRUE(m_archives.first().endsWith(QStringLiteral("_2024_xxd.bak")));
  EXPECT_TRUE(QDir(QDir(KvTestHome()).filePath(QStringLiteral("bak"))).exists());
  EXPECT_EQ(storedDate(), today());
  EXPECT_TRUE(recorder.messages().isEmpty());

  // Daily: one day is enough; monthly: 29 days are not.
  writeSetting(QStringLiteral("BakTime"), QStringLiteral("0"));
  storeDate(1);
  EXPECT_TRUE(KvScheduledBackup(true, &text));
  writeSetting(QStringLiteral("BakTime"), QStringLiteral("2"));
  storeDate(29);
  EXPECT_FALSE(KvScheduledBackup(true, &text));
  storeDate(30);
  EXPECT_TRUE(KvScheduledBackup(true, &text));
}

TEST_P(KvBackupDb, SwitchedOffStopsScheduledRunsOnly) {
  installWriter();
  writeSetting(QStringLiteral("BakMode"), QStringLiteral("0"));
  storeDate(100);
  KvMessageRecorder recorder;
  EXPECT_FALSE(KvScheduledBackup(true));
  EXPECT_TRUE(m_archives.isEmpty());

  EXPECT_TRUE(KvScheduledBackup(false));
  ASSERT_EQ(m_archives.size(), 1);
  EXPECT_EQ(recorder.last(), QStringLiteral("执行此操作前，已为你作了一次数据备份，备件：\n") + m_archives.first());
  EXPECT_EQ(recorder.messages().last().icon(), unsigned(KV_MB_ICONINFORMATION));
  // An unscheduled backup leaves the date of the scheduled ones.
  EXPECT_NE(storedDate(), today());

  installWriter(false);
  storeDate(100);
  writeSetting(QStringLiteral("BakMode"), QStringLiteral("1"));
  EXPECT_FALSE(KvScheduledBackup(true));
  EXPECT_EQ(recorder.last(), QStringLiteral("按例执行备份失败！"));
  EXPECT_EQ(recorder.messages().last().icon(), unsigned(KV_MB_ICONSTOP));
  EXPECT_NE(storedDate(), today());
}

namespace {

// A second process stands for another user of the file: run as a worker it
// reports whether the data file opens there.
constexpr char kOpenWorker[] = "KV_TEST_OPEN_WORKER";

bool opensInAnotherProcess(const QString& path) {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  QProcess worker;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QString::fromLatin1(kOpenWorker), path);
  worker.setProcessEnvironment(environment);
  worker.start(QCoreApplication::applicationFilePath(),
               {QStringLiteral("--gtest_filter=%1.%2")
                    .arg(QString::fromUtf8(test->test_suite_name()), QString::fromUtf8(test->name()))});
  worker.waitForFinished(120000);
  return worker.readAllStandardOutput().contains("KV-OPENED 1");
}

}  // namespace

// A server database is never held exclusively: the data file only.
class KvBackupFileDb : public KvBackupDb {};

TEST_P(KvBackupFileDb, ARiskyOperationTakesTwoCopiesAndLeavesTheFileShared) {
  if (const QByteArray path = qgetenv(kOpenWorker); !path.isEmpty()) {
    CKvDb other;
    std::printf("KV-OPENED %d\n", other.Open(QString::fromUtf8(path), CKvDbInfo()) ? 1 : 0);
    std::fflush(stdout);
    return;
  }
  const QString path = appDb()->GetDatabaseName(true);
  // The worker sees an exclusive hold.
  ASSERT_TRUE(appDb()->ReopenMdbExclusive(true));
  EXPECT_FALSE(opensInAnotherProcess(path));
  ASSERT_TRUE(appDb()->Reopen());
  EXPECT_TRUE(opensInAnotherProcess(path));

  installWriter();
  KvMessageRecorder recorder;
  EXPECT_TRUE(KvBackupBeforeRiskyOp());
  ASSERT_GE(recorder.messages().size(), 2);
  const QString copied = recorder.texts().first();
  EXPECT_TRUE(copied.startsWith(QStringLiteral("执行操作前系统已将数据文件原样拷贝成：＜")));
  const QString copy = copied.section(u'＜', 1).section(u'＞', 0, 0);
  EXPECT_TRUE(QFile::exists(copy));
  QFile::remove(copy);
  EXPECT_EQ(m_archives.size(), 1);
  EXPECT_TRUE(appDb()->IsOpen());
  EXPECT_TRUE(opensInAnotherProcess(path));

  // One copy of two: the user decides, and the file is shared either way.
  installWriter(false);
  recorder.clear();
  recorder.script({KV_IDOK, KV_IDOK, KV_IDNO});
  EXPECT_FALSE(KvBackupBeforeRiskyOp());
  EXPECT_EQ(recorder.last(), QStringLiteral("两种数据备份方法中只成功了一种，继续吗？"));
  QFile::remove(recorder.texts().first().section(u'＜', 1).section(u'＞', 0, 0));
  EXPECT_TRUE(opensInAnotherProcess(path));
}

KV_DB_KIND_TEST_SUITE(KvBackupDb);
INSTANTIATE_TEST_SUITE_P(File, KvBackupFileDb, ::testing::Values(0), KvDbKindName);
