// The class fee window: the tree by rights, the sheet's rows and edit
// rules, due and paid saves, the layout reset, reviews and their logs, and
// the window drawn offscreen.

#include "KvFeeUiTestSupport.h"
#include "KvSchoolTestSupport.h"
#include "print/KvPrintTestSupport.h"

#include "app/CKvApp.h"
#include "app/KvDocOpenMode.h"
#include "forms/CKvColumnDlg.h"
#include "forms/CKvDocTemplate.h"
#include "forms/CKvPublicPage.h"
#include "forms/CKvPublicPage2.h"
#include "forms/CKvPublicSheet.h"
#include "forms/CKvReplaceDlg.h"
#include "forms/CKvTemplateList.h"
#include "forms/KvStoredTemplate.h"
#include "core/CKvDb.h"
#include "core/KvClipboard.h"
#include "core/KvDate.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "forms/CFormChildFrm.h"
#include "school/CKvStdDirDlg.h"
#include "school/CXxDataType.h"
#include "school/CXxDjDoc0.h"
#include "school/CXxDjTreeView.h"
#include "school/CXxDjView0.h"
#include "ui/CKvCodeBrowseList.h"
#include "ui/CKvEdit.h"
#include "ui/KvCommands.h"
#include "ui/KvUpDownEdit.h"
#include "ui/KvUiTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPixmap>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidgetItemIterator>

namespace {
class CXxDjWindowTest : public KvSchoolDbTest {
 protected:
  void SetUp() override {
    KvSchoolDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    KvGetApp()->GetDataFile().SetLogOn(true);
    KvDeleteDocOpenMode(255, 0);
    Grant({"1802", "1803", "1804", "1806"});
    AddItem(QStringLiteral("01"), QStringLiteral("学费"));
    AddItem(QStringLiteral("02"), QStringLiteral("书本费"));
    AddClass({"010201001", "张三", "010201002", "李四"});
  }
  void TearDown() override {
    KvSetDocPropertiesRunner(nullptr);
    KvCloseDocumentWindows();
    KvSchoolDbTest::TearDown();
  }
  void Grant(const QStringList& codes) {
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From PWR Where OPNO='101'")));
    for (const QString& code : codes)
      ASSERT_TRUE(pdb()->Execute(QStringLiteral("Insert Into PWR(OPNO,PWR) Values('101','%1')").arg(code)));
    ASSERT_TRUE(KvGetApp()->GetDataFile().LoadRights());
  }
  // Opens the sheet on class 010201, the term (from 0) and the kind.
  CXxDjDoc0* Open(int term, int kind, const QString& date = QString()) {
    // The arguments the last window of the run left behind.
    KvDocTypeEntry& entry = CXxDataType::Get()->FindTemplate(255)->Entries()[0];
    entry.openArgs = {date, QString(), QStringLiteral("010201"), QString::number(term), QString::number(kind)};
    entry.bArgsLoaded = true;
    return dynamic_cast<CXxDjDoc0*>(CXxDataType::Get()->OpenDocument(255, 0));
  }
  static void Close(CXxDjDoc0* doc) {
    doc->GetFrames().at(0)->CloseWithoutAsking();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  static CXxDjTreeView* Tree(CXxDjDoc0* doc) { return doc->FindView<CXxDjTreeView>(); }
  static CXxDjView0* Grid(CXxDjDoc0* doc) { return doc->FindView<CXxDjView0>(); }
  QStringList Lines(int kind) {
    QStringList lines = Column(
        QStringLiteral("Select STD||' '||COST||' '||DH From PC Where F=%1 Order By STD,COST").arg(kind));
    if (!lines.isEmpty())
      lines.append(QString::number(pdb()->GetLong(QStringLiteral("Select Sum(My) From PC Where F=%1").arg(kind))));
    return lines;
  }
  // Moves the student to the class through the directory's cut and paste.
  void Move(const QString& student, const QString& klass) {
    CKvStdDirDlg dialog(pdb(), 0, student, -1);
    ASSERT_TRUE(KvShowActive(&dialog));
    CKvCodeBrowseList* list = dialog.List();
    ASSERT_TRUE(list->SelectOnlyCode(student));
    for (const int id : {KV_CMD_EDIT_CUT, KV_CMD_BACK, KV_CMD_FORWARD, KV_CMD_EDIT_PASTE}) {
      ASSERT_TRUE(id != KV_CMD_FORWARD || list->SelectOnlyCode(klass));
      ASSERT_TRUE(KvCmdEnabled(list, id)) << id;
      list->ExecuteCmd(id);
    }
  }
  QStringList Notes() { return Column(QStringLiteral("Select sNote From KvLog Where nTaskID=1801 Order By sT,sNote")); }
  static QString Year() { return KvNowText(QStringLiteral("%Y")); }
  // The window at a working size, saved as a picture into the folder that
  // KV_TEST_GRAB names (nothing without it).
  static void Grab(CXxDjDoc0* doc, const QString& name) {
    QWidget* frame = doc->GetFrames().at(0);
    frame->resize(900, 420);
    const QByteArray folder = qgetenv("KV_TEST_GRAB");
    const QPixmap picture = frame->grab();
    EXPECT_FALSE(picture.isNull()) << qPrintable(name);
    if (!folder.isEmpty())
      picture.save(QString::fromLocal8Bit(folder) + u'/' + name + QStringLiteral(".png"));
  }
};

const QStringList kClassPath = {QStringLiteral("01 本校"), QStringLiteral("02 2024级"), QStringLiteral("01 一班")};
}  // namespace

TEST_P(CXxDjWindowTest, TreeShowsTermsKindsAndVouchersByRight) {
  AddLine(QStringLiteral("010201001"), QStringLiteral("01"), 0, -1, 100, QStringLiteral("20240910"),
          QStringLiteral("00007"));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update PC Set FS='1'")));
  struct Case {
    QStringList rights;
    QStringList vouchers;
  };
  const Case cases[] = {{{"1802", "1803", "1804", "1806"}, {"(2024)00007", "(xxxx)新单"}},
                        {{"1802", "1803"}, {"(2024)00007"}}};
  for (const Case& c : cases) {
    Grant(c.rights);
    CXxDjDoc0* doc = Open(-1, 2);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(KvFeeNodeChildren(doc, kClassPath).size(), 6);  // the grade's six terms
    EXPECT_EQ(KvFeeNodeChildren(doc, kClassPath + QStringList{"1 学期"}), (QStringList{"1 应收", "2 实收", "3 欠费"}));
    EXPECT_EQ(KvFeeNodeChildren(doc, kClassPath + QStringList{"1 学期", "2 实收"}), c.vouchers);
    Close(doc);
  }
}

TEST_P(CXxDjWindowTest, DueAndPaidSheetsSaveTheirVouchers) {
  KvMessageRecorder recorder;
  CXxDjDoc0* doc = Open(-1, 2);
  ASSERT_NE(doc, nullptr);
  // The due sheet of term 1: a new voucher of the operator, one row per
  // student, the item columns and the total.
  KvChooseFeeNode(doc, kClassPath + QStringList{"1 学期", "1 应收"});
  EXPECT_EQ(doc->m_head.F, 1);
  EXPECT_EQ(doc->m_head.DH, QStringLiteral("00001"));
  ASSERT_EQ(doc->GetRowCount(), 2);
  EXPECT_TRUE(doc->IsVoucherEditable());
  // Shown by default: the student, the items and the total; of them the
  // items may be edited.
  const struct {
    int link;
    bool editable;
  } columns[] = {{2, false}, {0, true}, {9, false}};
  for (const auto& c : columns) {
    int shown = -1;
    for (int i = 0; i < doc->m_colMap.size() && shown < 0; ++i)
      if (doc->m_formEntry.formulas.at(doc->m_colMap.at(i)).Link() == c.link)
        shown = i;
    ASSERT_GE(shown, 0) << c.link;
    EXPECT_EQ(Grid(doc)->IsCellEditable(QStringLiteral("TEXT"), 0, shown), c.editable) << c.link;
  }
  KvTypeFeeAmount(doc, 0, QStringLiteral("01"), QStringLiteral("500"));
  KvTypeFeeAmount(doc, 0, QStringLiteral("02"), QStringLiteral("300"));
  EXPECT_EQ(doc->m_rows[0][doc->FindColumnFormula(9)], QStringLiteral("800"));
  ASSERT_TRUE(doc->Save());
  Grab(doc, QStringLiteral("class_due"));
  EXPECT_EQ(Lines(1), (QStringList{"010201001 01 00001", "010201001 02 00001", "800"}));
  ASSERT_EQ(Notes().size(), 1);
  EXPECT_TRUE(Notes().first().endsWith(KvFormat(QStringLiteral("保存010201班1学期应收数据,单号：(%s)00001"), Year())))
      << qPrintable(Notes().first());

  // A paid voucher made on "(xxxx)新单": saved, its node takes its place.
  KvChooseFeeNode(doc, kClassPath + QStringList{"1 学期", "2 实收", "(xxxx)新单"});
  EXPECT_EQ(doc->m_head.F, -1);
  ASSERT_EQ(doc->GetRowCount(), 2);
  KvTypeFeeAmount(doc, 0, QStringLiteral("01"), QStringLiteral("300"));
  ASSERT_TRUE(doc->Save());
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(Lines(-1), (QStringList{"010201001 01 00001", "300"}));
  EXPECT_EQ(Tree(doc)->currentItem()->text(0), KvFormat(QStringLiteral("(%s)00001"), Year()));
  Grab(doc, QStringLiteral("class_paid"));
  EXPECT_EQ(recorder.last(), QStringLiteral("本学期有交不足费的学生!\n请在欠费表中查询具体情况后，再修改此单!\n"));

  // The paid summary and the arrears sheet are read only (no date of their
  // own); the arrears are what is owed.
  KvChooseFeeNode(doc, kClassPath + QStringList{"1 学期", "2 实收"});
  EXPECT_TRUE(doc->m_head.T.isEmpty());
  EXPECT_FALSE(doc->IsVoucherEditable());
  EXPECT_EQ(doc->m_rows[0][doc->FindColumnFormula(9)], QStringLiteral("300"));
  KvChooseFeeNode(doc, kClassPath + QStringList{"1 学期", "3 欠费"});
  EXPECT_FALSE(doc->IsVoucherEditable());
  EXPECT_EQ(doc->m_rows[0][doc->FindColumnFormula(9)], QStringLiteral("500"));
  Grab(doc, QStringLiteral("class_arrears"));

  // Every amount of the due voucher cleared: "空单据！", the voucher gone.
  KvChooseFeeNode(doc, kClassPath + QStringList{"1 学期", "1 应收"});
  KvTypeFeeAmount(doc, 0, QStringLiteral("01"), QString());
  KvTypeFeeAmount(doc, 0, QStringLiteral("02"), QString());
  ASSERT_TRUE(doc->Save());
  EXPECT_EQ(recorder.last(), QStringLiteral("空单据！"));
  EXPECT_TRUE(Lines(1).isEmpty());

  // 替换 through its dialog takes the column's check: a cell that refuses
  // keeps its amount and is counted; after 确认 the amounts are as stored.
  const auto replaceAll = [doc](const QString& find, const QString& with) {
    KvScopedDialogExec exec([&](QDialog* dialog) {
      dialog->show();
      KvDlgItem<QComboBox>(dialog, CKvReplaceDlg::IDC_FIND)->setEditText(find);
      KvDlgItem<QComboBox>(dialog, CKvReplaceDlg::IDC_REPLACE)->setEditText(with);
      KvDlgItem<QPushButton>(dialog, KV_IDOK)->click();
      return dialog->result();
    });
    Grid(doc)->ExecuteCmd(KV_CMD_EDIT_REPLACE);
  };
  // 学费 laid out with three decimals (as 文档属性 sets them) takes amounts to
  // the fen only, by 替换 and by a paste that would make "300" "300.555".
  const int fees = doc->m_colMap.at(1);
  doc->m_formEntry.formulas[fees].nMore = 3;
  Grid(doc)->InitLayout();
  for (const QString& node : {QStringLiteral("1 应收"), KvFormat(QStringLiteral("2 实收|(%s)00001"), Year())}) {
    KvChooseFeeNode(doc, kClassPath + (QStringLiteral("1 学期|") + node).split(u'|'));
    KvTypeFeeAmount(doc, 0, QStringLiteral("01"), QStringLiteral("300"));
    for (const QString& with : {QStringLiteral("1,250.00"), QStringLiteral("abc"), QStringLiteral("300.555")}) {
      recorder.clear();
      replaceAll(QStringLiteral("300"), with);
      EXPECT_EQ(recorder.texts(), QStringList{KvFormat(QStringLiteral("“%s”不能放入其中1格，这些格没有替换！"), with)});
    }
    KvSetClipboardText(QStringLiteral(".555"));
    Grid(doc)->PlaceCaret(0, 1, 3, QStringLiteral("TEXT"));
    Grid(doc)->ExecuteCmd(KV_CMD_EDIT_PASTE);
    EXPECT_EQ(doc->m_rows[0][fees], QStringLiteral("300"));
    replaceAll(QStringLiteral("300"), QStringLiteral("250"));
    ASSERT_TRUE(doc->Save());
    EXPECT_EQ(KvShownCells(doc, 0).join(u' '), QStringLiteral("010201001 250  250"));
    EXPECT_EQ(Lines(doc->m_head.F).last(), QStringLiteral("250"));
  }
  // A data file's amount with three decimals is shown and saved as held.
  KvChooseFeeNode(doc, kClassPath + QStringList{"1 学期", "1 应收"});
  AddLine(QStringLiteral("010201002"), QStringLiteral("02"), 0, 1, 12.345, doc->m_head.T, doc->m_head.DH);
  const QStringList held = Column(QStringLiteral("Select My From PC Where STD='010201002'"));
  Grid(doc)->ExecuteCmd(KV_CMD_REFRESH);
  const QString books = doc->m_rows[1][doc->m_colMap.at(2)];
  EXPECT_EQ(doc->FormatNumber(doc->m_colMap.at(2), books), books);
  KvTypeFeeAmount(doc, 0, QStringLiteral("01"), QStringLiteral("260"));
  ASSERT_TRUE(doc->Save());
  EXPECT_EQ(Column(QStringLiteral("Select My From PC Where STD='010201002'")), held);
}

TEST_P(CXxDjWindowTest, EnteringTheMemoTakesTheOneAboveAndTheStudentCellShowsTheName) {
  CXxDjDoc0* doc = Open(-1, 2);
  ASSERT_NE(doc, nullptr);
  KvChooseFeeNode(doc, kClassPath + QStringList{"1 学期", "1 应收"});
  ASSERT_TRUE(doc->IsVoucherEditable());
  ASSERT_EQ(doc->GetRowCount(), 2);
  CXxDjView0* grid = Grid(doc);
  // Enter from the row's last amount moves on to the next row's student,
  // whose list opens; Ctrl+S on it closes the list and saves the sheet.
  {
    KvMessageRecorder recorder;
    KvScopedPopupMenuExec save([](QMenu* menu, const QPoint&) -> QAction* {
      QTest::keyClick(menu, Qt::Key_S, Qt::ControlModifier);
      return nullptr;
    });
    KvTypeFeeAmount(doc, 0, QStringLiteral("02"), QStringLiteral("500"));
    grid->PlaceCaret(0, int(doc->m_colMap.indexOf(doc->FindColumnFormula(9))), 0, QStringLiteral("TEXT"));
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_EQ(Lines(1), (QStringList{"010201001 02 00001", "500"}));
    EXPECT_FALSE(grid->IsChanged());
  }
  // The memo column shown; the name column stays hidden.
  const int memo = doc->FindColumnFormula(1);
  ASSERT_GE(memo, 0);
  doc->m_formEntry.formulas[memo].nType += 100;
  ASSERT_TRUE(doc->m_formEntry.SaveLayout(true, true, true));
  doc->ReloadLayout();
  const int memoColumn = int(doc->m_colMap.indexOf(memo));
  const int studentColumn = int(doc->m_colMap.indexOf(doc->FindColumnFormula(2)));
  ASSERT_GE(memoColumn, 0);
  ASSERT_GE(studentColumn, 0);

  QStringList offered;
  KvScopedPopupMenuExec popup([&](QMenu* menu, const QPoint&) -> QAction* {
    for (QAction* action : menu->actions())
      offered.append(action->text());
    return menu->actions().value(0);
  });
  const auto enterBelow = [&](int row, int column) {
    grid->PlaceCaret(row, column, 0, QStringLiteral("TEXT"));
    QTest::keyClick(grid, Qt::Key_Down);
  };
  const QString text = QStringLiteral("TEXT");
  // An empty memo entered from above takes the memo above; a memo of its
  // own stays as it is; no list is shown.
  const struct {
    QString above, own, expected;
  } memos[] = {{QStringLiteral("九月收"), QString(), QStringLiteral("九月收")},
               {QStringLiteral("九月收"), QStringLiteral("补交"), QStringLiteral("补交")},
               {QString(), QString(), QString()}};
  for (const auto& c : memos) {
    doc->m_rows[0][memo] = c.above;
    doc->m_rows[1][memo] = c.own;
    enterBelow(0, memoColumn);
    EXPECT_EQ(doc->m_rows[1][memo], c.expected) << qPrintable(c.above + u'|' + c.own);
  }
  EXPECT_TRUE(offered.isEmpty()) << qPrintable(offered.join(u','));

  // The student cell cannot be edited, yet entering it shows the name; the
  // line chosen leaves the code as it is.
  enterBelow(0, studentColumn);
  EXPECT_EQ(offered, QStringList{QStringLiteral("010201002 李四")});
  EXPECT_EQ(doc->m_rows[1][doc->FindColumnFormula(2)], QStringLiteral("010201002"));
  offered.clear();
  grid->PlaceCaret(0, studentColumn, 0, text);
  EXPECT_FALSE(grid->ShowCellChoices(0));
  EXPECT_EQ(offered, QStringList{QStringLiteral("010201001 张三")});
  // With the name column shown there is nothing to offer.
  offered.clear();
  doc->m_formEntry.formulas[doc->FindColumnFormula(3)].nType += 100;
  ASSERT_TRUE(doc->m_formEntry.SaveLayout(true, true, true));
  doc->ReloadLayout();
  grid->PlaceCaret(0, int(doc->m_colMap.indexOf(doc->FindColumnFormula(2))), 0, text);
  EXPECT_FALSE(grid->ShowCellChoices(0));
  EXPECT_TRUE(offered.isEmpty());
}

TEST_P(CXxDjWindowTest, LeavingAnEditedSheetAsksAndTheSameNodeReloadsNothing) {
  KvMessageRecorder recorder;
  CXxDjDoc0* doc = Open(0, 1);
  ASSERT_NE(doc, nullptr);
  KvChooseFeeNode(doc, kClassPath + QStringList{"1 学期", "1 应收"});
  KvTypeFeeAmount(doc, 0, QStringLiteral("01"), QStringLiteral("5"));
  // The node already open: nothing reloads, the typed amount stays.
  KvChooseFeeNode(doc, kClassPath + QStringList{"1 学期", "1 应收"});
  EXPECT_EQ(doc->m_rows[0][3], QStringLiteral("5"));
  EXPECT_TRUE(recorder.texts().isEmpty());
  // Another node asks first; Cancel keeps the sheet and its node.
  recorder.script({KV_IDCANCEL});
  KvChooseFeeNode(doc, kClassPath + QStringList{"2 学期", "1 应收"});
  EXPECT_EQ(recorder.last(), QStringLiteral("当前文档已发生了变化，存盘吗？"));
  EXPECT_EQ(doc->m_head.QC, 0);
  EXPECT_EQ(Tree(doc)->currentItem()->text(0), QStringLiteral("1 应收"));
  EXPECT_EQ(doc->m_rows[0][3], QStringLiteral("5"));
}

TEST_P(CXxDjWindowTest, StaleLayoutIsResetOnceKeepingThePrintRows) {
  KvMessageRecorder recorder;
  CXxDjDoc0* doc = Open(0, 1);
  ASSERT_NE(doc, nullptr);
  ASSERT_TRUE(doc->m_formEntry.SaveLayout(true, true, true));
  KvStoredTemplate stale;
  stale.entry = doc->m_formEntry;
  ASSERT_TRUE(pdb()->Execute(
      QStringLiteral("Insert Into KVPAGESET(nFlag,SFIELDMODE) Values(255,'0')")));
  doc->GetFrames().at(0)->CloseWithoutAsking();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  AddItem(QStringLiteral("03"), QStringLiteral("住宿费"));

  const QString layoutRows = QStringLiteral(
      "Select (Select Count(*) From KvFormList Where nFlag=255)+(Select Count(*) From KvFormFormula Where nFlag=255)+"
      "(Select Count(*) From KvFormTopWord Where nFlag=255)+(Select Count(*) From KvFormHeadNote Where nFlag=255)");
  for (int opening = 0; opening < 2; ++opening) {
    recorder.clear();
    doc = Open(0, 1);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(recorder.texts().size(), opening == 0 ? 1 : 0) << opening;
    EXPECT_EQ(Column(layoutRows), QStringList{"0"});
    EXPECT_EQ(Column(QStringLiteral("Select Count(*) From KVPAGESET Where nFlag=255")), QStringList{"1"});
    EXPECT_NE(doc->FindColumnFormula(9), -1);
    Close(doc);
  }
  EXPECT_EQ(Column(QStringLiteral("Select Count(*) From KvFormList Where nFlag=255")), QStringList{"0"});
  // An operator's copy loses its stale columns but stays in the template list.
  QWidget box;
  std::unique_ptr<QWidget> page(CXxDataType::Get()->CreateTemplatePage(&box));
  ASSERT_TRUE(stale.Write(pdb(), 255, 1, 1));
  CXxDataType::Get()->GetTemplateList()->Refill();
  ASSERT_NE(CXxDataType::Get()->OpenDocument(255, 1), nullptr);
  EXPECT_EQ(Column(QStringLiteral("Select Count(*) From KvFormFormula Where nFlag=255")), QStringList{"0"});
  EXPECT_EQ(Column(QStringLiteral("Select nOpen From KvFormList Where nFlag=255")), QStringList{"1"});
}

TEST_P(CXxDjWindowTest, PropertiesKeepWhatTheSheetShowsAndEveryAmountUnderItsItem) {
  KvMessageRecorder recorder;
  KvInstallPublicSheet();
  AddItem(QStringLiteral("03"), QStringLiteral("住宿费"));
  AddLine(QStringLiteral("010201001"), QStringLiteral("01"), 0, -1, 100, QStringLiteral("20240910"), QStringLiteral("00007"));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update PC Set FS='1'")));
  CXxDjDoc0* doc = Open(0, 1);
  ASSERT_NE(doc, nullptr);
  int row = 0, cell = 0;
  const auto note = [&](const char* name) -> QString& {
    bool tail = false;
    doc->FindHeadNoteField(QString::fromUtf8(name), row, cell, tail);
    return doc->m_noteTexts[doc->FindNoteAt(tail, row, cell)];
  };
  // Types into the first row under the head block that reads `head`.
  const auto typeUnder = [](CXxDjDoc0* window, const QString& head, const QString& text) {
    for (const KvTopWord& word : window->m_formEntry.topWords)
      if (word.sWords == head) {
        window->m_rows[0][window->m_colMap.at(word.nCol1 - 1)] = text;
        Grid(window)->OnCellChanged(text, 0, word.nCol1 - 1, QStringLiteral("TEXT"));
        Grid(window)->SetChanged(true);
      }
  };
  const auto item = [&](const QString& code) {
    for (int i = 0; i < doc->m_formEntry.formulas.size(); ++i)
      if (doc->ItemCodeOf(i) == code)
        return i;
    return -1;
  };
  // A typed date with 凭证号 typed without Enter; a stored voucher; the
  // middle item column deleted while item 01's amount is typed without
  // Enter; the last one moved before the first.
  enum { kNone, kDelete, kMove };
  const struct { const char *node, *number; int change; const char* stored; } cases[] = {
      {"1 应收", "9", kNone, "20230901 00009 01 500|20230901 00009 02 300"},
      {"2 实收|(2024)00007", "", kNone, "20240910 00007 01 500|20240910 00007 02 300"},
      {"1 应收", "700", kDelete, "20230901 00009 01 700|20230901 00009 02 300|20230901 00009 03 200"},
      {"1 应收", "", kMove, "20230901 00009 01 500|20230901 00009 02 300|20230901 00009 03 200"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.change);
    KvChooseFeeNode(doc, kClassPath + (QStringLiteral("1 学期|") + QString::fromUtf8(c.node)).split(u'|'));
    if (doc->m_head.F == 1)
      note("制证年") = QStringLiteral("2023"), note("制证月") = QStringLiteral("9"), note("制证日") = QStringLiteral("1");
    note("主管名") = QStringLiteral("王五");
    KvTypeFeeAmount(doc, 0, QStringLiteral("01"), QStringLiteral("500"));
    KvTypeFeeAmount(doc, 0, QStringLiteral("02"), QStringLiteral("300"));
    note("凭证号");
    c.change == kDelete ? Grid(doc)->PlaceCaret(0, int(doc->m_colMap.indexOf(3)), 0, QStringLiteral("TEXT"))
                        : Grid(doc)->PlaceCaret(row, cell, 0, QStringLiteral("HEAD"));
    Grid(doc)->Editor()->selectAll();
    QTest::keyClicks(Grid(doc)->Editor(), QString::fromLatin1(c.number));
    // A second window of the sheet, open while the sheet runs on the first.
    CXxDjDoc0* second = c.change == kMove ? Open(1, 1, QStringLiteral("20230902")) : nullptr;
    if (second)
      KvChooseFeeNode(second, kClassPath + QStringList{"2 学期", "1 应收"});
    recorder.clear();
    KvFeeDialogScript sheet([&](QDialog* dialog) {
      auto* properties = qobject_cast<CKvPublicSheet*>(dialog);
      if (!properties) {  // the column dialog: the column goes first
        KvDlgItem<KvUpDownEdit>(dialog, CKvColumnDlg::IDC_POSITION)->SetPos(item(QStringLiteral("01")) + 1);
        KvPress(dialog, KV_IDOK);
        return;
      }
      CKvPublicPageList* list = properties->Page2()->List();
      list->SelectRows({item(c.change == kDelete ? QStringLiteral("02") : QStringLiteral("03"))});
      if (c.change != kNone)
        list->ExecuteCmd(c.change == kDelete ? KV_CMD_DELETE : KV_CMD_MODIFY);
      dialog->accept();
    });
    doc->ExecuteCmd(KV_CMD_DOC_PROPERTIES);
    EXPECT_EQ(note("主管名"), QStringLiteral("王五"));
    // A deleted item column no longer matches the items: the default layout
    // comes back at once, with the sheet's word.
    EXPECT_EQ(recorder.texts().contains(QStringLiteral("表栏与费用项目不匹配，系统将重新取默认表格式！")),
              c.change == kDelete);
    EXPECT_EQ(Column(QStringLiteral("Select Count(*) From KvFormList")), QStringList{c.change == kMove ? "1" : "0"});
    if (c.change != kNone)
      typeUnder(doc, QStringLiteral("住宿费"), QStringLiteral("200")), typeUnder(doc, QStringLiteral("书本费"), QStringLiteral("300"));
    Grab(doc, QString::fromUtf8(c.change == kDelete ? "class_column_deleted" : "class_properties"));
    ASSERT_TRUE(doc->Save()) << qPrintable(recorder.texts().join(u'|'));
    EXPECT_EQ(Column(QStringLiteral("Select T||' '||DH||' '||COST||' '||Cast(My As INTEGER) From PC Where F=%1 "
                                    "And QC=0 Order By COST").arg(doc->m_head.F)).join(u'|'), QString::fromUtf8(c.stored));
    if (second) {
      typeUnder(second, QStringLiteral("书本费"), QStringLiteral("40")), typeUnder(second, QStringLiteral("住宿费"), QStringLiteral("60"));
      ASSERT_TRUE(second->Save()) << qPrintable(recorder.texts().join(u'|'));
      EXPECT_EQ(Column(QStringLiteral("Select COST||' '||Cast(My As INTEGER) From PC Where QC=1 Order By COST")),
                (QStringList{"02 40", "03 60"}));
    }
  }
  // In a window not maximized a note is clicked and framed where it is
  // drawn; how far that is from the note's own place.
  Grab(doc, QStringLiteral("class_date_row"));
  const auto pushed = [&](const char* name, KvGridArea area) {
    note(name);
    CXxDjView0* grid = Grid(doc);
    const QPoint scroll(grid->horizontalScrollBar()->value(), grid->verticalScrollBar()->value());
    const QRect place = grid->CellPlace(area, row, cell);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, place.center() - scroll);
    EXPECT_TRUE(grid->Model().Current().SameCell(KvGridCell{0, row, cell, area})) << name;
    EXPECT_EQ(grid->Editor()->geometry().topLeft() + scroll - QPoint(2, 2), place.topLeft()) << name;
    return place.left() - grid->Model().CellRect(area, row, cell).left();
  };
  for (const char* name : {"制证年", "制证月", "制证日"})
    pushed(name, KvGridArea::Head);
  // With a long unit name the note after "会计主管：" stands after it, on
  // screen and in print.
  const QString unit = QStringLiteral("某某市某某区第一实验中学附属小学财务室");
  KvGetApp()->GetDataFile().SetNames(unit, QString(), QString(), QString());
  KvFakePrinterCatalogue printers;
  KvPrintAnswers answers(KvTestPdfPath());
  Grid(doc)->ExecuteCmd(KV_CMD_FILE_PRINT);
  EXPECT_GT(pushed("主管名", KvGridArea::Foot), 0);
  const KvPdfReadBack pdf = KvReadPdf(answers.pdfPath);
  const QList<KvPdfWord> head = pdf.Find(QStringLiteral("会计主管：") + unit), name = pdf.Find(QStringLiteral("王五"));
  ASSERT_EQ(head.size() + name.size(), 2);
  EXPECT_LT(head.first().right, name.first().left);
  // A text its cell refuses, left in the editor (made to take it): the sheet
  // does not open, Ctrl+S stores nothing, both say why, the text stays.
  recorder.clear();
  note("主管名");
  Grid(doc)->PlaceCaret(row, cell, 0, QStringLiteral("FOOT"));
  Grid(doc)->Editor()->SetInputType(QStringLiteral("STRING"));
  QTest::keyClicks(Grid(doc)->Editor(), QStringLiteral("O'Neil"));
  KvFeeDialogScript sheet([](QDialog*) { ADD_FAILURE() << "the sheet opened"; });
  doc->ExecuteCmd(KV_CMD_DOC_PROPERTIES);
  QTest::keyClick(Grid(doc)->Editor(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(Grid(doc)->Editor()->text(), QStringLiteral("O'Neil王五"));
  EXPECT_EQ(recorder.texts(), QStringList(2, QStringLiteral("输入的“O'Neil王五”不能放入本栏！")));
  Grab(doc, QStringLiteral("class_refused_text_kept"));
}

TEST_P(CXxDjWindowTest, ReviewsFromTheTreeAreLoggedOnlyWhenAReviewerChanged) {
  AddLine(QStringLiteral("010201001"), QStringLiteral("01"), 0, 1, 100);
  CXxDjDoc0* doc = Open(-1, 2);
  ASSERT_NE(doc, nullptr);
  KvChooseFeeNode(doc, kClassPath + QStringList{"1 学期"});
  CXxDjTreeView* tree = Tree(doc);
  const struct {
    int command;
    const char* reviewer;
    int notes;
  } steps[] = {{KV_CMD_REVIEW, "101", 1}, {KV_CMD_REVIEW, "101", 1}, {KV_CMD_UNREVIEW, "", 2},
               {KV_CMD_UNREVIEW, "", 2}};
  for (const auto& step : steps) {
    ASSERT_TRUE(KvCmdEnabled(tree, step.command));
    tree->ExecuteCmd(step.command);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(Column(QStringLiteral("Select Opr1 From PC")), QStringList{QString::fromLatin1(step.reviewer)});
    EXPECT_EQ(Notes().size(), step.notes);
  }
  EXPECT_TRUE(Notes().first().endsWith(QStringLiteral("复核：010201,1学期")));
  // The arrears node neither reviews nor cancels.
  KvChooseFeeNode(doc, kClassPath + QStringList{"1 学期", "3 欠费"});
  EXPECT_FALSE(KvCmdEnabled(tree, KV_CMD_REVIEW));
  EXPECT_FALSE(KvCmdEnabled(tree, KV_CMD_UNREVIEW));
}

TEST_P(CXxDjWindowTest, DeleteAndReviewFollowRightsAndMaker) {
  const QStringList voucher = kClassPath + QStringList{"1 学期", "2 实收", "(2024)00007"};
  const struct {
    QStringList rights;
    const char* maker;
    bool mayDelete;
    bool mayReview;
  } cases[] = {{{"1802", "1803", "1804"}, "101", true, true},
               {{"1802", "1804"}, "101", false, true},
               {{"1802", "1803"}, "101", true, false},
               {{"1802", "1803", "1804"}, "102", false, true}};
  for (const auto& c : cases) {
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From PC")));
    AddLine(QStringLiteral("010201001"), QStringLiteral("01"), 0, -1, 100, QStringLiteral("20240910"),
            QStringLiteral("00007"), QString::fromLatin1(c.maker));
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update PC Set FS='1'")));
    Grant(c.rights);
    CXxDjDoc0* doc = Open(-1, 2);
    ASSERT_NE(doc, nullptr);
    KvChooseFeeNode(doc, voucher);
    EXPECT_EQ(KvCmdEnabled(Tree(doc), KV_CMD_DELETE), c.mayDelete) << c.maker << c.rights.size();
    EXPECT_EQ(KvCmdEnabled(Tree(doc), KV_CMD_REVIEW), c.mayReview) << c.maker << c.rights.size();
    EXPECT_FALSE(KvCmdEnabled(Tree(doc), KV_CMD_UNREVIEW));
    Close(doc);
  }
  // Review and delete reach the class's lines only (a student moved away
  // took one to class 010202); deleting asks, logs, and the head becomes the
  // term's paid summary.
  KvScriptedAnswers yes;
  Grant({"1802", "1803", "1804"});
  AddLine(QStringLiteral("010202001"), QStringLiteral("01"), 0, -1, 40, QStringLiteral("20240910"), QStringLiteral("00007"));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update PC Set Opr0='101',FS='1'")));
  CXxDjDoc0* doc = Open(-1, 2);
  ASSERT_NE(doc, nullptr);
  KvChooseFeeNode(doc, voucher);
  for (const int command : {KV_CMD_REVIEW, KV_CMD_UNREVIEW}) {
    Tree(doc)->ExecuteCmd(command);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(Column(QStringLiteral("Select Opr1 From PC Order By STD")),
              (QStringList{command == KV_CMD_REVIEW ? "101" : "", ""}));
  }
  ASSERT_TRUE(KvCmdEnabled(Tree(doc), KV_CMD_DELETE));
  Tree(doc)->ExecuteCmd(KV_CMD_DELETE);
  EXPECT_EQ(yes.texts, QStringList{"真的要删除吗？"});
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(Lines(-1), (QStringList{"010202001 01 00007", "40"}));
  ASSERT_EQ(Notes().size(), 3);
  EXPECT_TRUE(Notes().join(u'|').contains(QStringLiteral("删除班级收费单据：(20240910)00007")));
  EXPECT_EQ(Tree(doc)->currentItem()->text(0), QStringLiteral("2 实收"));
  EXPECT_TRUE(doc->m_head.T.isEmpty());

  // A class reviewed by 102 while 李四 was in class 010202, he moved back
  // unreviewed: the sheet shows 102 and opens only after 102 cancels.
  AddNode(QStringLiteral("010202"), QStringLiteral("二班"));
  Grant({"1802", "1803", "1804", "0083"});  // 0083: students are moved
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Insert Into PWR(OPNO,PWR) Select '102',PWR From PWR Where OPNO='101'")));
  CKvDataFile& file = KvGetApp()->GetDataFile();
  const auto as = [&file](const char* code) { file.SetOperatorCode(QString::fromLatin1(code)); return file.LoadRights(); };
  for (const int kind : {-1, 1}) {
    const QString node = kind < 0 ? QStringLiteral("1 学期|2 实收|(2024)00001") : QStringLiteral("1 学期|1 应收");
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From PC")));
    for (const char* student : {"010201001", "010201002"})
      AddLine(QString::fromLatin1(student), QStringLiteral("01"), 0, kind, 100);
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update PC Set FS='1'")));
    Move(QStringLiteral("010201002"), QStringLiteral("010202"));
    ASSERT_TRUE(as("102"));
    KvChooseFeeNode(doc, kClassPath + QStringList{"1 学期"});
    Tree(doc)->Rebuild();
    KvChooseFeeNode(doc, kClassPath + node.split(u'|'));
    Tree(doc)->ExecuteCmd(KV_CMD_REVIEW);
    Move(QStringLiteral("010202002"), QStringLiteral("010201"));
    ASSERT_TRUE(as("101"));
    Grid(doc)->ExecuteCmd(KV_CMD_REFRESH);
    EXPECT_EQ(Column(QStringLiteral("Select STD||':'||Opr1 From PC Order By STD")),
              (QStringList{"010201001:102", "010201002:"})) << kind;
    EXPECT_TRUE(doc->m_strOpr1.endsWith(QStringLiteral("(102)"))) << kind;
    EXPECT_FALSE(doc->IsVoucherEditable()) << kind;
    // 李四's line reviewed by 101 too: the sheet names a reviewer and "等"
    // for the other; 102, whose line does not head the sheet, cancels his
    // own first, 101's stays.
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update PC Set Opr1='101' Where STD='010201002'")));
    Grid(doc)->ExecuteCmd(KV_CMD_REFRESH);
    EXPECT_TRUE(doc->m_strOpr1.endsWith(QStringLiteral(")等"))) << kind;
    ASSERT_TRUE(as("102"));
    Tree(doc)->ExecuteCmd(KV_CMD_UNREVIEW);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(Column(QStringLiteral("Select STD||':'||Opr1 From PC Order By STD")),
              (QStringList{"010201001:", "010201002:101"})) << kind;
    ASSERT_TRUE(as("101"));
    Tree(doc)->ExecuteCmd(KV_CMD_UNREVIEW);
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(doc->IsVoucherEditable()) << kind;
  }
}

TEST_P(CXxDjWindowTest, TypedDateAndNumberAreStoredPaddedAndABadDateRefuses) {
  KvMessageRecorder recorder;
  AddItem(QStringLiteral("03"), QStringLiteral("住宿费"));
  AddNode(QStringLiteral("010201003"), QStringLiteral("王五"));
  CXxDjDoc0* doc = Open(0, 1);
  ASSERT_NE(doc, nullptr);
  doc->m_formEntry.formulas[doc->m_colMap.at(1)].nMore = 3;  // 学费 shown with three decimals
  Grid(doc)->InitLayout();
  const auto note = [doc](const char* name) -> QString& {
    for (int i = 0; i < doc->m_formEntry.headNotes.size(); ++i)
      if (doc->m_formEntry.headNotes.at(i).sNote == QString::fromUtf8(name))
        return doc->m_noteTexts[i];
    static QString none;
    return none;
  };
  const struct {
    const char* year;
    const char* month;
    const char* day;
    const char* number;
    const char* refusal;  // empty: saved
    const char* stored;   // T and DH
    bool revoked = false;  // the right to save removed after the sheet opened
    const char* gone = nullptr;  // deleted at another workstation after 300 was typed for 王五 under 住宿费
    const char* amount = "10";   // 学费 of the first row, written past the grid's check
  } cases[] = {{"2024", "13", "1", "3", "月份超界", ""},
               {"2024", "2", "30", "3", "日期超界", ""},
               {"2024", "7", "5", "12", "当前操作员无权保存本表！", "", true},
               {"2024", "7", "5", "12", "下列单元格出错：\n第1行“学费”", "", false, nullptr, "1,250.00"},
               {"2024", "7", "5", "12", "下列单元格出错：\n第1行“学费”", "", false, nullptr, "-"},
               {"2024", "7", "5", "12", "下列单元格出错：\n第1行“学费”", "", false, nullptr, "12.345"},
               {"2024", "7", "5", "12", "", "20240705 00012"},
               {"2024", "7", "5", "12", "收费项目“03”已被其他窗口或工作站删除，请刷新后再输入！", "20240705 00012",
                false, "Delete From COST Where KNO='03'"},
               {"2024", "7", "5", "12", "学生“010201003”已被其他窗口或工作站删除，请刷新后再输入！", "20240705 00012",
                false, "Delete From STD Where KNO='010201003'"}};
  CKvDb other(kind());
  ASSERT_TRUE(testDb().OpenAnother(other));
  for (const auto& c : cases) {
    if (c.gone) {
      KvTypeFeeAmount(doc, 2, QStringLiteral("03"), QStringLiteral("300"));
      ASSERT_TRUE(other.Execute(QString::fromUtf8(c.gone)));
    }
    const CPc opened = doc->m_head;
    recorder.clear();
    note("制证年") = QString::fromLatin1(c.year);
    note("制证月") = QString::fromLatin1(c.month);
    note("制证日") = QString::fromLatin1(c.day);
    note("凭证号") = QString::fromLatin1(c.number);
    KvTypeFeeAmount(doc, 0, QStringLiteral("01"), QString::fromUtf8(c.amount));
    Grant(c.revoked ? QStringList{"1802", "1804", "1806"} : QStringList{"1802", "1803", "1804", "1806"});
    EXPECT_EQ(doc->Save(), QString::fromUtf8(c.refusal).isEmpty()) << c.month;
    EXPECT_EQ(recorder.texts().value(0), QString::fromUtf8(c.refusal)) << c.month;
    EXPECT_EQ(Column(QStringLiteral("Select T||' '||DH From PC")),
              QString::fromUtf8(c.stored).isEmpty() ? QStringList() : QStringList{QString::fromUtf8(c.stored)})
        << c.month;
    // A refused save leaves the head as it was, and the sheet as typed.
    if (!QString::fromUtf8(c.refusal).isEmpty()) {
      EXPECT_EQ(doc->m_head.T + doc->m_head.DH, opened.T + opened.DH) << c.month;
      EXPECT_EQ(KvShownCells(doc, 2).contains(QStringLiteral("300")), c.gone != nullptr);
    }
  }
}

TEST_P(CXxDjWindowTest, ReviewNeedsAClassAndASaveReplacesOnlyWhatItShowsAndRead) {
  KvMessageRecorder recorder;
  AddLine(QStringLiteral("010201001"), QStringLiteral("01"), 0, 1, 100);
  CXxDjDoc0* doc = Open(-1, 2);
  ASSERT_NE(doc, nullptr);
  CXxDjTreeView* tree = Tree(doc);
  // No node: no class to review, and a head without a class writes nothing.
  tree->setCurrentItem(nullptr);
  QCoreApplication::sendPostedEvents();
  EXPECT_TRUE(doc->m_head.STD.isEmpty());
  EXPECT_FALSE(KvCmdEnabled(tree, KV_CMD_REVIEW));
  EXPECT_FALSE(KvCmdEnabled(tree, KV_CMD_UNREVIEW));
  CPc noClass;
  noClass.QC = -1;
  noClass.F = 2;
  bool changed = true;
  EXPECT_FALSE(noClass.ReviewClass(pdb(), &changed));
  EXPECT_FALSE(changed);
  EXPECT_FALSE(noClass.UnreviewClass(pdb(), &changed));
  EXPECT_EQ(Column(QStringLiteral("Select Opr1 From PC")), QStringList{""});

  // A voucher the sheet loaded, then changed at another workstation before
  // the sheet's save: the save refuses and writes nothing. A save that goes
  // through (refreshed first) keeps the lines of 010201002, whom the term
  // no longer lists, also when saved again.
  CKvDb other;
  ASSERT_TRUE(testDb().OpenAnother(other));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update STD Set LB0='2',QC0=1 Where KNO='010201002'")));
  const QStringList paid = kClassPath + QStringList{"1 学期", "2 实收", "(2024)00007"};
  const QStringList due = kClassPath + QStringList{"1 学期", "1 应收"};
  // A student cut and pasted into another class takes his fee lines along.
  const char* moved = "Update STD Set KNO='010202002' Where KNO='010201002'; Update PC Set STD='010202002' Where STD='010201002'";
  const struct {
    const QStringList* node;
    const char* elsewhere;         // statements ("; " between); empty: nobody else wrote
    const char* number = nullptr;  // typed as the voucher's number
    QStringList stored = {};       // student, item, number, amount after two saves; empty: refused
    const char* shown = nullptr;   // the first row after a refresh
    const char* refusal = "单据已被其他窗口或工作站修改或删除，请刷新后再输入！";
  } cases[] = {{&paid, "Update PC Set Opr1='102' Where F=-1"},
               {&paid, "Update PC Set My=150 Where F=-1"},
               {&paid, "Delete From PC Where F=-1"},
               {&due, "Update PC Set Opr1='102' Where F=1"},
               {&due, "Insert Into PC(QC,F,LPR,My,T,DH,Mry,COST,STD,Opr0,Opr1,FS) "
                      "Values(0,1,0,50,'20240901','00001','','02','010201002','102','','1')"},
               {&paid, "Update PC Set T='20240911' Where F=-1"}, {&paid, "Update PC Set Mry='memo' Where F=-1"},
               {&due, "Update PC Set LPR=1 Where F=1"},
               {&paid, "", "8", {"010201001 01 00008 200", "010201002 02 00008 50"}},
               {&due, "", nullptr, {"010201001 01 00001 200", "010201002 02 00001 50"}},
               {&due,
                "Insert Into COST(KNO,NA,NT) Values('03','住宿费',''); "
                "Insert Into PC(QC,F,LPR,My,T,DH,Mry,COST,STD,Opr0,Opr1,FS) "
                "Values(0,1,0,70,'20240910','00001','','03','010201001','101','','1')",
               nullptr, {"010201001 01 00001 200", "010201001 03 00001 70", "010201002 02 00001 50"},
               "010201001 100  70 170"},
               {&paid, moved, nullptr, {"010201001 01 00007 200", "010202002 02 00007 50"}, "010201001 100   100"},
               {&due, moved, nullptr, {"010201001 01 00001 200", "010202002 02 00001 50"}, "010201001 100   100"},
               // A moved-in line's number, which a line in class 010202 carries too, typed as the sheet's.
               {&due, "Update PC Set DH='00002',STD='010202001' Where F=1 And COST='02'; Insert Into PC(QC,F,LPR,"
                      "My,T,DH,Mry,COST,STD,Opr0,Opr1,FS) Values(0,1,0,40,'20240801','00002','','02','010201001','102',"
                      "'','1')",
               "2", {}, "010201001 100 40  140", "单号重，插入记录失败！"},
               // Renumbered, and a reviewed line of an older voucher as a student moved in brings.
               {&due, "Update PC Set DH='00005' Where F=1; Insert Into PC(QC,F,LPR,My,T,DH,Mry,COST,STD,Opr0,Opr1,FS) "
                      "Values(0,1,0,40,'20240801','00002','','02','010201001','102','102','1')",
               nullptr, {"010201001 01 00005 200", "010201001 02 00002 40", "010201002 02 00005 50"},
               "010201001 100 40  140"}};
  for (const auto& c : cases) {
    const QString elsewhere = QString::fromUtf8(c.elsewhere);
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From PC")));
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update STD Set KNO='010201002' Where KNO='010202002'")));
    AddLine(QStringLiteral("010201001"), QStringLiteral("01"), 0, 1, 100);
    AddLine(QStringLiteral("010201001"), QStringLiteral("01"), 0, -1, 100, QStringLiteral("20240910"),
            QStringLiteral("00007"));
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Insert Into PC(QC,F,LPR,My,T,DH,Mry,COST,STD,Opr0,Opr1,FS) Select "
                                              "QC,F,LPR,50,T,DH,Mry,'02','010201002',Opr0,Opr1,FS From PC")));
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update PC Set FS='1'")));
    // Another node first, so that the case's node is read afresh.
    recorder.script({KV_IDNO});
    KvChooseFeeNode(doc, kClassPath + QStringList{"2 学期"});
    tree->Rebuild();
    KvChooseFeeNode(doc, *c.node);
    ASSERT_TRUE(doc->IsVoucherEditable()) << c.elsewhere;
    for (const QString& statement : elsewhere.split(QStringLiteral("; "), Qt::SkipEmptyParts))
      ASSERT_TRUE(other.Execute(statement)) << qPrintable(statement);
    if (c.shown) {
      Grid(doc)->ExecuteCmd(KV_CMD_REFRESH);
      EXPECT_EQ(KvShownCells(doc, 0).join(u' '), QString::fromLatin1(c.shown));
    }
    KvTypeFeeAmount(doc, 0, QStringLiteral("01"), QStringLiteral("200"));
    for (int i = 0; c.number && i < doc->m_formEntry.headNotes.size(); ++i)
      if (doc->m_formEntry.headNotes.at(i).sNote == u"凭证号")
        doc->m_noteTexts[i] = QString::fromLatin1(c.number);
    const QStringList before = State();
    recorder.clear();
    EXPECT_EQ(doc->Save(), !c.stored.isEmpty()) << c.elsewhere;
    QCoreApplication::sendPostedEvents();
    if (!c.stored.isEmpty()) {
      EXPECT_TRUE(doc->Save()) << c.elsewhere;
      EXPECT_EQ(Column(QStringLiteral("Select STD||' '||COST||' '||DH||' '||Cast(My As INTEGER) From PC Where F=%1 "
                                      "Order By STD,COST").arg(c.node == &due ? 1 : -1)), c.stored) << c.elsewhere;
      continue;
    }
    EXPECT_EQ(recorder.texts(), QStringList{QString::fromUtf8(c.refusal)}) << c.elsewhere;
    EXPECT_EQ(State(), before) << c.elsewhere;
    QString reason;
    EXPECT_TRUE(doc->HasUnsavedEdits(reason)) << c.elsewhere;
  }

  // A new paid voucher refills the tree: its node is current and shown, and
  // the next click selects the node clicked.
  QWidget* frame = doc->GetFrames().at(0);
  frame->resize(900, 420);
  frame->show();
  KvChooseFeeNode(doc, kClassPath + QStringList{"2 学期", "2 实收", "(xxxx)新单"});
  KvTypeFeeAmount(doc, 0, QStringLiteral("01"), QStringLiteral("30"));
  ASSERT_TRUE(doc->Save());
  QCoreApplication::sendPostedEvents();
  QTreeWidgetItem* saved = tree->currentItem();
  ASSERT_NE(saved, nullptr);
  EXPECT_EQ(saved->text(0), KvFormat(QStringLiteral("(%s)%s"), Year(), doc->m_head.DH));
  EXPECT_EQ(doc->m_head.T.left(4), Year());
  EXPECT_TRUE(saved->isSelected());
  for (QTreeWidgetItem* up = saved->parent(); up; up = up->parent())
    EXPECT_TRUE(up->isExpanded()) << qPrintable(up->text(0));
  EXPECT_TRUE(tree->viewport()->rect().contains(tree->visualItemRect(saved)));
  QTreeWidgetItem* dueNode = KvFeeNode(doc, kClassPath + QStringList{"2 学期", "1 应收"});
  ASSERT_NE(dueNode, nullptr);
  const QRect target = tree->visualItemRect(dueNode);
  ASSERT_FALSE(target.isEmpty());
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, target.center());
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(tree->currentItem(), dueNode);
  EXPECT_EQ(doc->m_head.F, 1);
  EXPECT_EQ(doc->m_head.QC, 1);
  // The totals row sums each item and the row totals over the students.
  KvTypeFeeAmount(doc, 0, QStringLiteral("01"), QStringLiteral("120"));
  KvTypeFeeAmount(doc, 1, QStringLiteral("02"), QStringLiteral("30.5"));
  QString label;
  QStringList totals;
  ASSERT_TRUE(Grid(doc)->GetTotalsRow(KvGridPass(), label, totals));
  EXPECT_EQ(label + u'|' + totals.join(u'|'), QStringLiteral("合计 2人||120.00|30.50||150.50"));
  Grab(doc, QStringLiteral("class_totals"));
}

KV_DB_KIND_TEST_SUITE(CXxDjWindowTest);
