// Export of one unit's data: the unit file holds the unit's rows as common
// rows and names the unit; refusals (a unit with sub-units, a unit without
// rows) make nothing; a failed export leaves no file, final or working, and
// logs nothing.

#include "KvDataFileTestSupport.h"

#include "app/CKvApp.h"
#include "core/CKvDb.h"
#include "core/KvRegistry.h"
#include "datafile/KvDwExport.h"
#include "support/KvTestWorkers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>


namespace {

class KvDwExportTest : public KvDataFileDbTest {
 protected:
  void SetUp() override {
    KvDataFileDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    AddUnit(QStringLiteral("01"), QStringLiteral("一校"));
    AddUnit(QStringLiteral("0101"), QStringLiteral("一校分部"));
    AddUnit(QStringLiteral("02"), QStringLiteral("二校"));
    for (const auto& [hdo, v] : QList<std::pair<QString, int>>{{"", 1}, {"0101", 2}, {"0101", 3}, {"02", 4}})
      ASSERT_TRUE(pdb()->Execute(QStringLiteral("Insert Into TDW(HDO,V) Values('%1',%2)").arg(hdo).arg(v)));
    m_path = m_folder.path() + QStringLiteral("/2024.xxd");
  }
  QStringList ExportedRows(const QString& table, const QString& columns) {
    CKvDb file(0);
    if (!file.Open(m_path, CKvDbInfo(0)))
      return {QStringLiteral("<does not open>")};
    QStringList values[2];
    file.QueryTexts(QStringLiteral("Select %1 From %2 Order By 1").arg(columns, table), values, 2);
    QStringList rows;
    for (qsizetype i = 0; i < values[0].size(); ++i)
      rows.append(values[0][i] + u'|' + values[1][i]);
    return rows;
  }
  bool NoFile() const { return !QFile::exists(m_path) && !QFile::exists(m_path + QStringLiteral(".part")); }

  QTemporaryDir m_folder;
  QString m_path;
};

TEST_P(KvDwExportTest, TheUnitFileHoldsTheUnitsRowsAsCommonRows) {
  KvRegWriteString(KvRegRoot::CurrentUser, KvGetRegKeyPath(), QStringLiteral("KVDW_Export"), m_folder.path());
  KvScriptedAnswers answers;
  KvDialogSteps steps({[](QDialog* dialog) {
    dialog->accept();
    return dialog->result();
  }});
  EXPECT_FALSE(KvExportDw(QStringLiteral("01"), pdb(), nullptr)) << "01 has a sub-unit";
  EXPECT_TRUE(KvExportDw(QStringLiteral("0101"), pdb(), nullptr));
  EXPECT_EQ(answers.Stops(), QStringList{QStringLiteral("这不是一个末级单位！")});
  EXPECT_EQ(answers.texts.last(), QStringLiteral("数据文件：\n%1\n生成完毕！").arg(m_path));
  EXPECT_EQ(ExportedRows(QStringLiteral("TDW"), QStringLiteral("V,HDO")), (QStringList{"2|", "3|"}));
  EXPECT_EQ(ExportedRows(QStringLiteral("SysTab"), QStringLiteral("rtrim(NA),PY")), QStringList{"一校分部|2024"});
  EXPECT_FALSE(QFile::exists(m_path + QStringLiteral(".part")));
  EXPECT_EQ(LogNotes(27), QStringList{QStringLiteral("导出单位0101的数据")});
}

TEST_P(KvDwExportTest, AFailedExportLeavesNoFile) {
  for (int n = 1;; ++n) {
    KvScriptedAnswers answers;
    pdb()->FailNthStatement(n);
    const bool made = KvWriteDwFile(QStringLiteral("0101"), pdb(), m_path);
    const int sent = pdb()->GetStatementsSent();
    pdb()->FailNthStatement(0);
    if (sent < n) {
      EXPECT_TRUE(made);
      EXPECT_EQ(ExportedRows(QStringLiteral("TDW"), QStringLiteral("V,HDO")), (QStringList{"2|", "3|"}));
      break;
    }
    if (made) {
      // A refused read the copy did without: the file must still be whole.
      ASSERT_EQ(ExportedRows(QStringLiteral("TDW"), QStringLiteral("V,HDO")), (QStringList{"2|", "3|"})) << n;
      QFile::remove(m_path);
      continue;
    }
    ASSERT_TRUE(NoFile()) << "statement " << n;
  }
  EXPECT_TRUE(LogNotes(27).isEmpty());
}

constexpr char kHolderWorker[] = "KV_DW_EXPORT_HOLDER";

// The unit file would take the name of a data file in use: the open data
// file (reached through a link) or one another program holds. The export
// is refused (after the question when taken up meanwhile) and the file
// stays as it was. A table
// the program does not make is left out of a good export and named.
TEST_P(KvDwExportTest, AnExportNeverReplacesADataFileInUse) {
  KvHoldDataFileInWorker(kHolderWorker);
  if (kind() != 0)
    GTEST_SKIP() << "the presence lock is a lock on SQLite files";
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Create Table EXTRA(A Long)")));
  KvRegWriteString(KvRegRoot::CurrentUser, KvGetRegKeyPath(), QStringLiteral("KVDW_Export"), m_folder.path());
  // The folder is chosen; offered again after a refusal, it is cancelled.
  const auto exportOnce = [&] {
    KvDialogSteps steps({[](QDialog* dialog) {
                           dialog->accept();
                           return dialog->result();
                         },
                         [](QDialog* dialog) {
                           dialog->reject();
                           return dialog->result();
                         }});
    return KvExportDw(QStringLiteral("0101"), pdb(), nullptr);
  };
  const auto bytesOf = [](const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(does not open)");
  };
  // This program's data file (0), one another program holds (1) or takes up
  // while the question to delete it is read (2).
  for (const int held : {0, 1, 2}) {
    std::unique_ptr<KvTestWorkers> workers;
    const auto hold = [&] {
      workers = std::make_unique<KvTestWorkers>(kHolderWorker, QStringList{m_path});
      EXPECT_EQ(workers->FirstNotReady(), -1);
    };
    if (held == 0) {
      ASSERT_TRUE(QFile::link(pdb()->GetDatabaseName(true), m_path));
    } else {
      {
        CKvDb made(0);
        ASSERT_TRUE(made.CreateDatabase(m_path, CKvDbInfo(0)));
      }
      if (held == 1)
        hold();
    }
    const QByteArray before = bytesOf(m_path);
    KvScriptedAnswers answers({KV_IDYES});
    answers.onQuestion = hold;
    EXPECT_FALSE(exportOnce()) << held;
    EXPECT_EQ(answers.texts.last(), QStringLiteral("“%1”是正在使用的数据文件，不能删除或覆盖！").arg(m_path)) << held;
    EXPECT_EQ(answers.texts.size(), held == 2 ? 2 : 1) << held;
    EXPECT_EQ(bytesOf(m_path), before) << held;
    EXPECT_TRUE(LogNotes(27).isEmpty()) << held;
    workers.reset();
    ASSERT_TRUE(QFile::remove(m_path));
  }
  KvScriptedAnswers answers;
  EXPECT_TRUE(exportOnce());
  EXPECT_EQ(answers.texts, QStringList{QStringLiteral("数据文件：\n%1\n生成完毕！\n下列表未复制：EXTRA").arg(m_path)});
  EXPECT_EQ(ExportedRows(QStringLiteral("TDW"), QStringLiteral("V,HDO")), (QStringList{"2|", "3|"}));
}

KV_DB_KIND_TEST_SUITE(KvDwExportTest);

}  // namespace
