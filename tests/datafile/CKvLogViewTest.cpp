// The operation-log window: the tasks the filters let through (values with
// quotes and wildcards taken literally), the entries of one selected task,
// the date filter cut back to what exists, deleting tasks but never the
// one being written, the operation-time macro, printing the entries.

#include "KvToolsTestSupport.h"
#include "KvDataFileTestSupport.h"

#include "core/KvFakePrinterCatalogue.h"
#include "datafile/CKvLogChildFrm.h"
#include "datafile/CKvLogDoc.h"
#include "datafile/CKvLogTaskList.h"
#include "datafile/CKvLogView.h"
#include "forms/CForthView.h"
#include "forms/CKvDocTemplate.h"
#include "print/KvPdfReadBack.h"
#include "print/KvPrintTestSupport.h"
#include "ui/KvCommands.h"

#include <QTreeView>

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDir>

namespace {

QString thisMonth() { return QDate::currentDate().toString(QStringLiteral("yyyyMM")); }

}  // namespace

class CKvLogViewTest : public KvToolsDbTest {
 protected:
  void SetUp() override {
    KvToolsDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    const QString month = thisMonth();
    const struct {
      int task;
      QString start, end, computer;
      QList<std::pair<QString, int>> entries;
    } tasks[] = {
        {1, QStringLiteral("20250105080000"), QStringLiteral("20250105090000"), QStringLiteral("PC-A"),
         {{QStringLiteral("王五(103)"), 0}, {QStringLiteral("王五(103)"), 1905}}},
        {2, QStringLiteral("20250312100000"), QStringLiteral("20250312100000"),
         QStringLiteral("O'Brien-PC"), {{QStringLiteral("王'五(104)"), 305}}},
        {3, month + QStringLiteral("01070000"), month + QStringLiteral("01080000"), QStringLiteral("PC-A"),
         {{QStringLiteral("管理员(101)"), 13}}},
    };
    for (const auto& t : tasks) {
      ASSERT_TRUE(pdb()->Execute(
          QStringLiteral("Insert Into KvTask(nTask,nThreadID,sT1,sT2,sComputer,sUser) "
                         "Values(%1,77,'%2','%3','%4','user')")
              .arg(QString::number(t.task), t.start, t.end, pdb()->QuoteText(t.computer))));
      int second = 1;
      for (const auto& [op, code] : t.entries) {
        const QString time = t.start.left(12) + QStringLiteral("%1").arg(second++, 2, 10, QLatin1Char('0'));
        ASSERT_TRUE(pdb()->Execute(
            QStringLiteral("Insert Into KvLog(nTask,sOp,sT,nTaskID,sNote) Values(%1,'%2','%3',%4,'条目%5')")
                .arg(QString::number(t.task), pdb()->QuoteText(op), time, QString::number(code),
                     QString::number(code))));
        pdb()->Execute(QStringLiteral("Insert Into KvLogOp(sOp) Values('%1')").arg(pdb()->QuoteText(op)));
      }
    }
    // The running program's own task: 4, begun now.
    m_app->GetTask().BeginWork();
    ASSERT_EQ(m_app->GetTask().nTask, 4);
  }
  // Sets the open arguments the next window starts with.
  static void NextArgs(const QStringList& args) {
    KvDocTypeEntry& entry = KvLogDocTemplate().Entries()[0];
    entry.openArgs = args;
    entry.bArgsLoaded = true;
  }
  static QStringList TaskNumbers(CKvLogTaskList* list) {
    QStringList numbers;
    for (int row = 0; row < list->GetItemCount(); ++row)
      numbers.append(list->GetItemText(row, 0));
    return numbers;
  }
};

TEST_P(CKvLogViewTest, FiltersLetThroughTheTasksTheyNameTakingValuesLiterally) {
  CKvLogDoc doc;
  doc.m_pDb = pdb();
  const struct {
    QStringList args;
    QList<int> tasks;
  } cases[] = {
      {{"", "", "", "", "", "0"}, {1, 2, 3, 4}},
      {{"2025", "", "", "", "", "0"}, {1, 2}},
      {{"202501", "", "", "", "", "0"}, {1}},
      {{"", "O'Brien-PC", "", "", "", "0"}, {2}},
      {{"", "", "王'五(104)", "", "", "0"}, {2}},
      {{"", "", "", "", "3", "0"}, {2}},
      {{"", "", "", "", "19", "0"}, {1}},
      // An operation overrides the module's range.
      {{"", "", "", "13 打开文档", "3", "0"}, {3}},
      {{"", "PC-A", "王五(103)", "", "", "0"}, {1}},
      {{"20'5", "", "", "", "", "0"}, {}},
      {{"2_25", "", "", "", "", "0"}, {}},
      {{"2%", "", "", "", "", "0"}, {}},
      {{"2*", "", "", "", "", "0"}, {}},
  };
  KvScriptedAnswers answers;
  for (const auto& c : cases) {
    doc.OpenArgs() = c.args;
    QList<CKvOperation> tasks;
    ASSERT_GE(doc.LoadFilteredTasks(&tasks), 0) << c.args.join(u'|').toStdString();
    QList<int> numbers;
    for (const CKvOperation& task : tasks)
      numbers.append(task.nTask);
    EXPECT_EQ(numbers, c.tasks) << c.args.join(u'|').toStdString();
  }
  EXPECT_TRUE(answers.texts.isEmpty());
}

TEST_P(CKvLogViewTest, TheWindowShowsTheEntriesOfOneSelectedTaskAndCutsTheDateToWhatExists) {
  KvToolsFrame frame(-1);
  NextArgs({});
  CKvDoc* pDoc = KvLogDocTemplate().OpenDocument(1, false);
  ASSERT_NE(pDoc, nullptr);
  auto* doc = static_cast<CKvLogDoc*>(pDoc);
  auto* view = doc->FindView<CKvLogView>();
  ASSERT_NE(view, nullptr);
  // A fresh window shows this month's tasks.
  EXPECT_EQ(doc->OpenArgs().at(CKvLogDoc::kDate), thisMonth());
  EXPECT_EQ(TaskNumbers(view->TaskList()), (QStringList{QStringLiteral("3"), QStringLiteral("4")}));
  view->TaskList()->FindAndSelect(QStringLiteral("3"));
  EXPECT_EQ(doc->GetRowCount(), 1);
  EXPECT_EQ(doc->GetMacroValue(QStringLiteral("#task_ID")), QStringLiteral("3"));
  view->TaskList()->SelectAll();
  EXPECT_EQ(doc->m_nTask, 0);
  EXPECT_EQ(doc->GetRowCount(), 0);

  // Operator and module boxes filter; the module refills the operations.
  auto* module = view->Combo(CKvLogView::IDC_MODULE);
  module->setCurrentIndex(module->findText(QStringLiteral("19 排课")));
  ASSERT_GT(module->currentIndex(), 0);
  emit module->activated(module->currentIndex());
  EXPECT_TRUE(TaskNumbers(view->TaskList()).isEmpty());
  auto* operation = view->Combo(CKvLogView::IDC_OPERATION);
  EXPECT_EQ(operation->count(), 2);
  EXPECT_EQ(operation->itemText(1), QStringLiteral("1905 催交费用"));
  doc->GetFrames().at(0)->close();
  QApplication::processEvents();

  // A month without tasks leaves the date at its year, kept for next time.
  NextArgs({QStringLiteral("202502  "), QString(), QString(), QString(), QStringLiteral("19"),
            QStringLiteral("1")});
  doc = static_cast<CKvLogDoc*>(KvLogDocTemplate().OpenDocument(1, false));
  ASSERT_NE(doc, nullptr);
  view = doc->FindView<CKvLogView>();
  EXPECT_EQ(doc->OpenArgs().at(CKvLogDoc::kDate), QStringLiteral("2025"));
  EXPECT_FALSE(view->Combo(CKvLogView::IDC_DAY)->isEnabled());
  EXPECT_EQ(TaskNumbers(view->TaskList()), QStringList{QStringLiteral("1")});
  EXPECT_EQ(doc->m_nTask, 1);
  EXPECT_EQ(doc->GetRowCount(), 2);
  KvGrabWindow(doc->GetFrames().at(0), QStringLiteral("log_window"));
  doc->GetFrames().at(0)->close();
  QApplication::processEvents();
  EXPECT_EQ(KvLogDocTemplate().Entries()[0].openArgs.at(CKvLogDoc::kTask), QStringLiteral("1"));

  // With the log switched off the window does not open.
  m_app->GetDataFile().SetLogOn(false);
  KvScriptedAnswers answers;
  EXPECT_EQ(KvLogDocTemplate().OpenDocument(1, false), nullptr);
  EXPECT_EQ(answers.Stops(), QStringList{QStringLiteral("日志开关未打开！")});
  m_app->GetDataFile().SetLogOn(true);
}

TEST_P(CKvLogViewTest, DeleteRemovesOtherTasksWithTheirEntriesButNeverTheCurrentOne) {
  KvToolsFrame frame(-1);
  NextArgs({QString(), QString(), QString(), QString(), QString(), QStringLiteral("0")});
  auto* doc = static_cast<CKvLogDoc*>(KvLogDocTemplate().OpenDocument(1, false));
  ASSERT_NE(doc, nullptr);
  CKvLogTaskList* list = doc->FindView<CKvLogView>()->TaskList();
  EXPECT_FALSE(list->IsCmdEnabled(KV_CMD_EDIT_COPY));
  list->SelectTexts({QStringLiteral("1"), QStringLiteral("4")});
  {
    KvScriptedAnswers answers({KV_IDNO});
    list->ExecuteCmd(KV_CMD_DELETE);
    EXPECT_EQ(TaskNumbers(list).size(), 4);
  }
  KvScriptedAnswers answers;
  list->ExecuteCmd(KV_CMD_DELETE);
  EXPECT_EQ(answers.Stops(), QStringList{QStringLiteral("不能删除当前任务！")});
  EXPECT_EQ(TaskNumbers(list), (QStringList{QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")}));
  EXPECT_EQ(Rows(QStringLiteral("KvLog"), QStringLiteral("nTask"), QStringLiteral("Where nTask=1")),
            QStringList{});
  ASSERT_EQ(LogNotes(11).size(), 1);
  EXPECT_EQ(LogNotes(11).first().trimmed(), QStringLiteral("清除任务：1"));
  EXPECT_TRUE(Rows(QStringLiteral("KvLogOp"), QStringLiteral("sOp"), QStringLiteral("Where sOp='王五(103)'"))
                  .isEmpty());
  // Another operator logged in since the window was opened: the log stays.
  m_app->GetDataFile().SetOperatorCode(QStringLiteral("102"));
  list->SelectTexts({QStringLiteral("2")});
  KvScriptedAnswers refused({KV_IDYES});
  list->ExecuteCmd(KV_CMD_DELETE);
  EXPECT_EQ(refused.Stops(), QStringList{QStringLiteral("只有系统管理员才能删除日志！")});
  EXPECT_EQ(TaskNumbers(list), (QStringList{QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")}));
  m_app->GetDataFile().SetOperatorCode(QStringLiteral("101"));
  doc->GetFrames().at(0)->close();
  QApplication::processEvents();
}

TEST_P(CKvLogViewTest, TheEntriesPrintWithTheTaskInTheHeadAndAnOpenEndMarked) {
  KvFakePrinterCatalogue printers;
  KvToolsFrame frame(-1);
  NextArgs({QStringLiteral("2025"), QString(), QString(), QString(), QString(), QStringLiteral("2")});
  auto* doc = static_cast<CKvLogDoc*>(KvLogDocTemplate().OpenDocument(1, false));
  ASSERT_NE(doc, nullptr);
  // Task 2 ended when it began.
  EXPECT_EQ(doc->GetMacroValue(QStringLiteral("#op_time")), QStringLiteral("2025年03月12日10:00:00至 ?"));
  EXPECT_EQ(doc->GetMacroValue(QStringLiteral("#thread_ID")), QStringLiteral("-77"));
  CKvLogTaskList* list = doc->FindView<CKvLogView>()->TaskList();
  list->DetailsView()->clearSelection();
  list->FindAndSelect(QStringLiteral("1"));
  EXPECT_EQ(doc->GetMacroValue(QStringLiteral("#op_time")),
            QStringLiteral("2025年01月05日08:00:00至09:00:00"));

  auto* grid = doc->FindView<CForthView>();
  ASSERT_NE(grid, nullptr);
  KvPrintAnswers answers(KvTestPdfPath());
  grid->ExecuteCmd(KV_CMD_FILE_PRINT);
  const KvPdfReadBack pdf = KvReadPdf(answers.pdfPath);
  ASSERT_TRUE(pdf.ok);
  const QString texts = pdf.PageTexts(0).join(u' ');
  for (const char* text : {"操作日志", "任务号：1", "王五(103)", "条目1905", "08:00:02"})
    EXPECT_TRUE(texts.contains(QString::fromUtf8(text))) << text;
  doc->GetFrames().at(0)->close();
  QApplication::processEvents();
}

KV_DB_KIND_TEST_SUITE(CKvLogViewTest);
