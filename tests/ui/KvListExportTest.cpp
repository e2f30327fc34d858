// List export: the column kinds, the three writers' files read back, the
// file dialog's workflow, and failures that must leave old files alone.

#include "ui/KvListExport.h"

#include "KvExportTestRows.h"
#include "KvUiTestSupport.h"
#include "core/CKvDb.h"
#include "core/CKvRecordset.h"
#include "core/KvMessage.h"
#include "core/KvRegistry.h"
#include "support/KvTestEnv.h"
#include "ui/CKvSaveAsDlg.h"
#include "ui/KvAppServices.h"
#include "ui/KvExportColumnKind.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>

namespace {

QByteArray readAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

// One member of a workbook (a zip file), as unzip gives it.
QString workbookPart(const QString& path, const QString& member) {
  QProcess unzip;
  unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), path, member});
  if (!unzip.waitForFinished(30000))
    return QString();
  return QString::fromUtf8(unzip.readAllStandardOutput());
}

// Records the operation log while it lives.
class ScopedLogRecorder {
 public:
  ScopedLogRecorder()
      : m_previous(KvSetLogService([this](int code, const QString& detail) {
          entries += QString::number(code) + u':' + detail;
        })) {}
  ~ScopedLogRecorder() { KvSetLogService(std::move(m_previous)); }
  QStringList entries;

 private:
  KvLogFn m_previous;
};

// Answers the save-as dialog with `path`, then with each of `later` in turn
// (the last one again after that; an empty one cancels); counts how often it
// was shown.
class ScopedSaveAsAnswer {
 public:
  explicit ScopedSaveAsAnswer(const QString& first, const QStringList& later = {})
      : m_exec([this, answers = QStringList{first} + later](QDialog* dialog) {
          const QString& path = answers.at(std::min(shown++, int(answers.size()) - 1));
          auto* saveAs = qobject_cast<CKvSaveAsDlg*>(dialog);
          if (!saveAs)
            return int(QDialog::Rejected);
          proposed = saveAs->selectedFiles().value(0);
          filter = saveAs->selectedNameFilter();
          if (path.isEmpty())
            return int(QDialog::Rejected);
          saveAs->selectFile(path);
          return int(QDialog::Accepted);
        }) {}
  int shown = 0;
  QString proposed;
  QString filter;

 private:
  KvScopedDialogExec m_exec;
};

// A class list: codes, names, amounts with separators and decimals, a
// left-aligned number column, a cell with a quote, a tab and a line break.
KvExportTestRows classList() {
  KvExportTestRows rows;
  rows.AddColumn(QStringLiteral("编号"), Qt::AlignRight);
  rows.AddColumn(QStringLiteral("姓名"));
  rows.AddColumn(QStringLiteral("金额(元)"), Qt::AlignRight);
  rows.AddColumn(QStringLiteral("人数"), Qt::AlignRight);
  rows.AddColumn(QStringLiteral("备注"));
  rows.AddRow({QStringLiteral("0012"), QStringLiteral("O'Brien"), QStringLiteral("1,200"),
               QStringLiteral("3"), QStringLiteral("第一\t行\n二")});
  rows.AddRow({QStringLiteral("0034"), QStringLiteral("李 明  "), QStringLiteral("3.5"),
               QStringLiteral("12"), QString()});
  return rows;
}

class KvListExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    KvRegDeleteTree(KvRegRoot::CurrentUser, QStringLiteral("Software\\zrvsoft\\kvqy"));
  }
  QString path(const QString& name) const { return m_dir.path() + u'/' + name; }

  QTemporaryDir m_dir;
  KvMessageRecorder m_messages;
};

}  // namespace

TEST(KvExportColumnKindTest, NumbersOnlyInRightAlignedColumnsWithoutCodes) {
  KvExportTestRows rows;
  rows.AddColumn(QStringLiteral("代码"), Qt::AlignRight);
  rows.AddColumn(QStringLiteral("金额"), Qt::AlignRight);
  rows.AddColumn(QStringLiteral("左"), Qt::AlignLeft);
  rows.AddColumn(QStringLiteral("零"), Qt::AlignRight);
  rows.AddColumn(QStringLiteral("证件"), Qt::AlignRight);
  rows.AddColumn(QStringLiteral("横线"), Qt::AlignRight);
  rows.AddColumn(QStringLiteral("整数"), Qt::AlignRight);
  rows.AddRow({QStringLiteral("0012"), QStringLiteral("1,200"), QStringLiteral("5"),
               QStringLiteral("0.50"), QStringLiteral("1234567890123456"), QStringLiteral("-"),
               QStringLiteral("-7")});
  rows.AddRow({QStringLiteral("0034"), QStringLiteral("3.5"), QStringLiteral("6"),
               QStringLiteral("0"), QStringLiteral("12"), QStringLiteral("4"),
               QStringLiteral("2,000,000   ")});
  rows.AddRow({QString(), QStringLiteral("2.125000"), QString(), QString(), QString(), QString(),
               QString()});

  EXPECT_EQ(KvExportColumnKind(rows, 0).kind, KvExportColumn::Text);
  EXPECT_EQ(KvExportColumnKind(rows, 0).width, 4);
  const KvExportColumn amounts = KvExportColumnKind(rows, 1);
  EXPECT_EQ(amounts.kind, KvExportColumn::Decimal);
  EXPECT_EQ(amounts.decimals, 3);
  EXPECT_EQ(KvExportColumnKind(rows, 2).kind, KvExportColumn::Text);
  EXPECT_EQ(KvExportColumnKind(rows, 2).width, 2);
  // "0.50" and "0" are numbers, not codes.
  EXPECT_EQ(KvExportColumnKind(rows, 3).kind, KvExportColumn::Decimal);
  EXPECT_EQ(KvExportColumnKind(rows, 3).decimals, 1);
  // Sixteen digits are more than a number keeps; a lone "-" is no number.
  EXPECT_EQ(KvExportColumnKind(rows, 4).kind, KvExportColumn::Text);
  EXPECT_EQ(KvExportColumnKind(rows, 4).width, 16);
  EXPECT_EQ(KvExportColumnKind(rows, 5).kind, KvExportColumn::Text);
  EXPECT_EQ(KvExportColumnKind(rows, 6).kind, KvExportColumn::Integer);
}

TEST_F(KvListExportTest, TextFileHoldsTheCellsAsUtf8Lines) {
  const KvExportTestRows rows = classList();
  ASSERT_TRUE(KvListToText(rows, path(QStringLiteral("a.txt"))));
  EXPECT_EQ(readAll(path(QStringLiteral("a.txt"))),
            QStringLiteral("0012\tO'Brien\t1,200\t3\t第一 行 二\n0034\t李 明  \t3.5\t12\t").toUtf8());

  KvExportTestRows one;
  one.AddColumn(QStringLiteral("甲"));
  one.AddRow({QStringLiteral("只有一行")});
  ASSERT_TRUE(KvListToText(one, path(QStringLiteral("one.txt"))));
  EXPECT_EQ(readAll(path(QStringLiteral("one.txt"))), QStringLiteral("只有一行").toUtf8());
  // Nothing but the target is left in the folder.
  EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST_F(KvListExportTest, WorkbookHasTitleHeadersTextAndNumbersWithBorders) {
  const KvExportTestRows rows = classList();
  const QString file = path(QStringLiteral("班级.xlsx"));
  ASSERT_TRUE(KvListToExcel(rows, file, QStringLiteral("班级名单")));

  const QString sheet = workbookPart(file, QStringLiteral("xl/worksheets/sheet1.xml"));
  const QString strings = workbookPart(file, QStringLiteral("xl/sharedStrings.xml"));
  const QString styles = workbookPart(file, QStringLiteral("xl/styles.xml"));
  ASSERT_FALSE(sheet.isEmpty());
  EXPECT_TRUE(sheet.contains(QStringLiteral("<mergeCell ref=\"A1:E1\"/>")));
  for (const char* text : {"班级名单", "编号", "金额(元)", "0012", "0034", "O'Brien", "李 明"})
    EXPECT_TRUE(strings.contains(QStringLiteral("<t>%1</t>").arg(QString::fromUtf8(text))) ||
                strings.contains(QStringLiteral("<t xml:space=\"preserve\">%1</t>")
                                     .arg(QString::fromUtf8(text))))
        << text;
  // Trailing blanks are trimmed; numbers are numbers, not strings.
  EXPECT_FALSE(strings.contains(QStringLiteral("李 明  ")));
  EXPECT_FALSE(strings.contains(QStringLiteral("1,200")));
  EXPECT_TRUE(sheet.contains(QRegularExpression(QStringLiteral("<c r=\"C3\" s=\"\\d+\"><v>1200</v>"))));
  EXPECT_TRUE(sheet.contains(QRegularExpression(QStringLiteral("<c r=\"C4\" s=\"\\d+\"><v>3.5</v>"))));
  EXPECT_TRUE(sheet.contains(QRegularExpression(QStringLiteral("<c r=\"D4\" s=\"\\d+\"><v>12</v>"))));
  EXPECT_TRUE(sheet.contains(QRegularExpression(QStringLiteral("<c r=\"A3\" s=\"\\d+\" t=\"s\">"))));
  // Text cells take the text format, numbers a pattern with their decimals.
  EXPECT_TRUE(styles.contains(QStringLiteral("formatCode=\"@\"")));
  EXPECT_TRUE(styles.contains(QStringLiteral("formatCode=\"#,##0.0\"")));
  EXPECT_TRUE(styles.contains(QStringLiteral("formatCode=\"#,##0\"")));
  EXPECT_TRUE(styles.contains(QStringLiteral("<left style=\"thick\">")));
  EXPECT_TRUE(styles.contains(QStringLiteral("<bottom style=\"thick\">")));
  EXPECT_TRUE(styles.contains(QStringLiteral("<right style=\"thin\">")));
  EXPECT_FALSE(styles.contains(QStringLiteral("double")));
}

TEST_F(KvListExportTest, DataFileHoldsATableNamedAfterTheFile) {
  KvExportTestRows rows = classList();
  rows.AddColumn(QStringLiteral("姓名"));  // the same title twice
  rows.AddColumn(QString());              // no title
  const QString file = path(QStringLiteral("学生(名单).db"));
  ASSERT_TRUE(KvListToMdb(rows, file));
  // The file alone: its scratch database left no lock file behind.
  EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("学生(名单).db")});

  CKvDb db(0);
  ASSERT_TRUE(db.Open(file, CKvDbInfo(0)));  // no password needed
  const QString table = QStringLiteral("学生（名单）");
  EXPECT_TRUE(db.TableExists(table));
  QStringList lists[4];
  QList<int> widths;
  ASSERT_EQ(db.GetColumns(table, lists, &widths), 7);
  EXPECT_EQ(lists[0], QStringList({QStringLiteral("人数")}));
  EXPECT_EQ(lists[1], QStringList({QStringLiteral("金额（元）")}));
  EXPECT_EQ(lists[2], QStringList({QStringLiteral("编号"), QStringLiteral("姓名"), QStringLiteral("备注"),
                                   QStringLiteral("姓名_2"), QStringLiteral("列7")}));
  // The remark keeps its tab and line break: 4 + 1 + 2 + 1 + 2.
  EXPECT_EQ(widths, QList<int>({4, 7, 10, 2, 2}));

  CKvRecordset rs(&db);
  ASSERT_TRUE(rs.Open(QStringLiteral("Select * From \"学生（名单）\" Order By \"编号\"")));
  ASSERT_FALSE(rs.IsEOF());
  EXPECT_EQ(rs.GetText(QStringLiteral("编号")), QStringLiteral("0012"));
  EXPECT_EQ(rs.GetText(QStringLiteral("姓名")), QStringLiteral("O'Brien"));
  EXPECT_EQ(rs.GetDouble(QStringLiteral("金额（元）")), 1200.0);
  EXPECT_EQ(rs.GetLong(QStringLiteral("人数")), 3);
  rs.MoveNext();
  EXPECT_EQ(rs.GetText(QStringLiteral("姓名")), QStringLiteral("李 明"));
  EXPECT_EQ(rs.GetDouble(QStringLiteral("金额（元）")), 3.5);
  rs.MoveNext();
  EXPECT_TRUE(rs.IsEOF());
  EXPECT_TRUE(m_messages.messages().isEmpty()) << m_messages.last().toStdString();
}

TEST_F(KvListExportTest, ExportAsksForTheFileWritesItAndLogs) {
  ScopedLogRecorder log;
  KvListTitleFn previous = KvSetListTitleReader([](CKvDb*, int formId) {
    return formId == 7 ? QStringLiteral("学生名单") : QString();
  });
  const KvExportTestRows rows = classList();
  {
    ScopedSaveAsAnswer answer(path(QStringLiteral("x.XLSX")));
    ASSERT_TRUE(KvListExport(rows, QStringLiteral("列表"), 7));
    EXPECT_EQ(QFileInfo(answer.proposed).fileName(), QStringLiteral("学生名单.txt"));
    EXPECT_EQ(answer.filter, QStringLiteral("0 文本文件(*.txt)"));
  }
  EXPECT_FALSE(workbookPart(path(QStringLiteral("x.XLSX")), QStringLiteral("xl/sharedStrings.xml"))
                   .isEmpty());
  ASSERT_EQ(log.entries.size(), 1);
  EXPECT_EQ(log.entries[0],
            QStringLiteral("29:“学生名单”导出：“%1”").arg(path(QStringLiteral("x.XLSX"))));
  {
    // The folder and kind are remembered for the next export.
    ScopedSaveAsAnswer answer(path(QStringLiteral("y.db")));
    ASSERT_TRUE(KvListExport(rows, QStringLiteral("列表"), 0));
    EXPECT_EQ(answer.proposed, path(QStringLiteral("列表.xlsx")));
    EXPECT_EQ(answer.filter, QStringLiteral("1 Excel文件(*.xlsx)"));
  }
  EXPECT_TRUE(CKvDb(0).Open(path(QStringLiteral("y.db")), CKvDbInfo(0)));
  EXPECT_EQ(log.entries.size(), 2);
  EXPECT_TRUE(m_messages.messages().isEmpty()) << m_messages.last().toStdString();
  KvSetListTitleReader(std::move(previous));
}

TEST_F(KvListExportTest, ChangingTheTypeChangesAnOfferedExtension) {
  CKvSaveAsDlg dialog({0, 1, 2});
  auto* nameBox = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  ASSERT_NE(nameBox, nullptr);
  nameBox->setText(QStringLiteral("名单.txt"));
  emit dialog.filterSelected(CKvSaveAsDlg::KindFilter(2));
  EXPECT_EQ(nameBox->text(), QStringLiteral("名单.db"));
  EXPECT_EQ(dialog.m_nKind, 2);
  // A name without an offered extension keeps its own.
  nameBox->setText(QStringLiteral("名单.doc"));
  emit dialog.filterSelected(CKvSaveAsDlg::KindFilter(1));
  EXPECT_EQ(nameBox->text(), QStringLiteral("名单.doc"));
}

TEST_F(KvListExportTest, BadInputIsRefusedAndWritesNothing) {
  ScopedLogRecorder log;
  KvExportTestRows empty;
  empty.AddColumn(QStringLiteral("甲"));
  {
    ScopedSaveAsAnswer answer(path(QStringLiteral("e.txt")));
    EXPECT_FALSE(KvListExport(empty, QStringLiteral("空"), 0));
    EXPECT_EQ(answer.shown, 0);
    EXPECT_EQ(m_messages.last(), QStringLiteral("空文档！"));
  }
  const KvExportTestRows rows = classList();
  const struct {
    QString name;
    QString message;
  } cases[] = {
      {QStringLiteral("名单.doc"),
       QStringLiteral("“%1”，文件名不正确，没有带正确的扩展（类型）名！").arg(path(QStringLiteral("名单.doc")))},
      {QStringLiteral("名单"),
       QStringLiteral("“%1”，文件名不正确，没有带正确的扩展（类型）名！").arg(path(QStringLiteral("名单")))},
      {QStringLiteral(" .txt"), QStringLiteral("空文件名！")},
  };
  for (const auto& c : cases) {
    ScopedSaveAsAnswer answer(path(c.name));
    EXPECT_FALSE(KvListExport(rows, QStringLiteral("名单"), 0));
    EXPECT_EQ(m_messages.last(), c.message);
    EXPECT_EQ(m_messages.messages().last().icon(), unsigned(KV_MB_ICONSTOP));
  }
  ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("文件夹.txt")));
  {
    ScopedSaveAsAnswer answer(path(QStringLiteral("文件夹.txt")));
    EXPECT_FALSE(KvListExport(rows, QStringLiteral("名单"), 0));
    EXPECT_EQ(m_messages.last(), QStringLiteral("“%1”是文件夹！").arg(path(QStringLiteral("文件夹.txt"))));
  }
  {
    ScopedSaveAsAnswer cancelled{QString()};
    EXPECT_FALSE(KvListExport(rows, QStringLiteral("名单"), 0));
  }
  EXPECT_TRUE(log.entries.isEmpty());
  EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 0);
}

TEST_F(KvListExportTest, FailedWritesKeepOldFilesAndLogNothing) {
  ScopedLogRecorder log;
  const KvExportTestRows rows = classList();
  // A target below a plain file cannot be made, whoever runs the export.
  writeAll(path(QStringLiteral("plain")), "old");
  for (const QString& name : {QStringLiteral("plain/a.txt"), QStringLiteral("plain/a.xlsx"),
                              QStringLiteral("plain/a.db")}) {
    ScopedSaveAsAnswer answer(path(name));
    EXPECT_FALSE(KvListExport(rows, QStringLiteral("名单"), 0)) << name.toStdString();
    EXPECT_EQ(m_messages.last(), QStringLiteral("无法写入文件“%1”！").arg(path(name)));
  }
  EXPECT_EQ(readAll(path(QStringLiteral("plain"))), QByteArray("old"));

  // A cell longer than a workbook holds fails the export over an existing
  // workbook, which stays as it was.
  writeAll(path(QStringLiteral("old.xlsx")), "previous workbook");
  KvExportTestRows tooLong = rows;
  tooLong.AddRow({QStringLiteral("0056"), QString(32768, u'长')});
  {
    // The program asks before replacing it, after the dialog: 否 goes back.
    ScopedSaveAsAnswer answer(path(QStringLiteral("old.xlsx")), {QString()});
    EXPECT_FALSE(KvListExport(tooLong, QStringLiteral("名单"), 0));
    EXPECT_EQ(answer.shown, 2);
    EXPECT_EQ(m_messages.last(), QStringLiteral("文件“%1”已经存在，要替换它吗？").arg(path(QStringLiteral("old.xlsx"))));
  }
  m_messages.script({KV_IDYES});
  {
    ScopedSaveAsAnswer answer(path(QStringLiteral("old.xlsx")));
    EXPECT_FALSE(KvListExport(tooLong, QStringLiteral("名单"), 0));
  }
  EXPECT_EQ(m_messages.last(), QStringLiteral("无法写入文件“%1”！").arg(path(QStringLiteral("old.xlsx"))));
  EXPECT_EQ(readAll(path(QStringLiteral("old.xlsx"))), QByteArray("previous workbook"));
  {
    // A data file in use is never replaced: refused, the file dialog asks again.
    QTemporaryDir folder;
    const QString inUse = folder.path() + QStringLiteral("/在用.db");
    CKvDb open(0);
    ASSERT_TRUE(open.CreateDatabase(inUse, CKvDbInfo(0)));
    const QByteArray before = readAll(inUse);
    ScopedSaveAsAnswer answer(inUse, {QString()});
    EXPECT_FALSE(KvListExport(rows, QStringLiteral("名单"), 0));
    EXPECT_EQ(answer.shown, 2);
    EXPECT_EQ(m_messages.last(), QStringLiteral("“%1”是正在使用的数据文件，不能删除或覆盖！").arg(inUse));
    EXPECT_EQ(readAll(inUse), before);
  }
  EXPECT_TRUE(log.entries.isEmpty());
  // No temporary file is left behind.
  EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}
