// The receipt window: its settings for the run, the list's rows and
// commands by right, loading, saving with every refusal's focus, the long
// receipt and the receipt rows, deleting and reviewing from the list, and
// printing in every mode, which prints what is stored and counts only
// printed jobs.

#include "KvFeeUiTestSupport.h"
#include "KvSchoolTestSupport.h"
#include "core/KvFakePrinterCatalogue.h"
#include "print/KvPdfReadBack.h"
#include "print/KvPrintTestSupport.h"

#include "app/KvDocOpenMode.h"
#include "core/KvMessage.h"
#include "forms/CKvDocTemplate.h"
#include "school/CKvStdDirDlg.h"
#include "school/CXxDataType.h"
#include "school/CXxDjDoc2.h"
#include "school/CXxDjFrmView.h"
#include "school/CXxDjListView.h"
#include "school/CXxDjOpenDlg.h"
#include "school/CXxStdList.h"
#include "school/CXxStdListDlg.h"
#include "ui/CKvCodeBrowseList.h"
#include "ui/CKvEdit.h"
#include "ui/CKvCommandRegistry.h"
#include "ui/KvCommands.h"
#include "ui/KvMenus.h"
#include "ui/KvResources.h"
#include "support/KvStationInFlight.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QFile>
#include <QMenu>
#include <QTest>
#include <QTreeView>

#include <limits>
#include <memory>

class KvReceiptWindowTest : public KvSchoolDbTest {
 protected:
  void SetUp() override {
    KvSchoolDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    ASSERT_TRUE(KvGrantRights(*m_app, {QStringLiteral("1805"), QStringLiteral("1806"), QStringLiteral("1807")}));
    m_app->GetDataFile().SetYear(2024);
    AddItem(QStringLiteral("01"), QStringLiteral("学费"));
    AddItem(QStringLiteral("02"), QStringLiteral("书本费"));
    AddClass({QStringLiteral("010201001"), QStringLiteral("张三"), QStringLiteral("010201002"),
              QStringLiteral("李四")});
    AddLine(QStringLiteral("010201001"), QStringLiteral("01"), 0, 1, 500);
    AddLine(QStringLiteral("010201001"), QStringLiteral("02"), 0, 1, 300);
    AddLine(QStringLiteral("010201002"), QStringLiteral("01"), 0, 1, 500);
    // Each test starts as the first receipt window of a run.
    for (KvDocTypeEntry& entry : Template()->Entries()) {
      entry.openArgs.clear();
      entry.bArgsLoaded = false;
    }
  }
  void TearDown() override {
    if (m_doc)
      m_doc->OnCloseDocument();
    KvSchoolDbTest::TearDown();
  }

  static CKvDocTemplate* Template() {
    for (const auto& docTemplate : CXxDataType::Get()->GetTemplates())
      if (docTemplate->GetFlag() == 256)
        return docTemplate.get();
    return nullptr;
  }
  // Opens the window on `day` (the day offered when empty).
  CXxDjDoc2* Open(const QString& day = QString(), QString* offered = nullptr) {
    KvFeeDialogScript script([&](QDialog* dialog) {
      auto* open = qobject_cast<CXxDjOpenDlg*>(dialog);
      if (!open)
        return dialog->reject();
      if (offered)
        *offered = open->m_strDate;
      if (!day.isEmpty()) {
        KvSetField(dialog, CXxDjOpenDlg::IDC_YEAR, day.left(4));
        KvSetField(dialog, CXxDjOpenDlg::IDC_MONTH, day.mid(4, 2));
        KvSetField(dialog, CXxDjOpenDlg::IDC_DAY, day.mid(6, 2));
      }
      KvPress(dialog, KV_IDOK);
    });
    m_doc = static_cast<CXxDjDoc2*>(CXxDataType::Get()->OpenDocument(256, 0));
    if (m_doc) {
      m_list = m_doc->FindView<CXxDjListView>();
      m_form = m_doc->FindView<CXxDjFrmView>();
    }
    return m_doc;
  }
  void Close() {
    m_doc->OnCloseDocument();
    m_doc = nullptr;
  }
  // A stored receipt of 20240910 made by `maker`, its last item stored first.
  void AddReceipt(const QString& number, const QString& maker = QStringLiteral("101"), int lines = 1) {
    for (int i = lines - 1; i >= 0; --i)
      AddLine(QStringLiteral("010201001"), i == 0 ? QStringLiteral("01") : QStringLiteral("0%1").arg(i + 1), 0, -1,
              100, QStringLiteral("20240910"), number, maker);
  }
  void Select(const QString& number) {
    m_list->View()->clearSelection();
    m_list->FindAndSelect(number);
  }
  QStringList ListRows() {
    QStringList rows;
    for (int row = 0; row < m_list->GetItemCount(); ++row) {
      QStringList cells;
      for (int column = 0; column < 5; ++column)
        cells << m_list->GetItemText(row, column);
      rows << cells.join(u'|');
    }
    return rows;
  }
  // Whether row `row` shows the icon of resource `id`.
  bool ShowsIcon(int row, int id) {
    const QModelIndex index = m_list->DetailsView()->model()->index(row, 0);
    const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
    return !icon.isNull() && icon.pixmap(16).toImage() == KvResourceIcon(id).pixmap(16).toImage();
  }
  QStringList Log() { return Column(QStringLiteral("Select sNote From KvLog Where nTaskID=1802 Order By sNote")); }
  // The paid lines as number|item|amount|print count.
  QStringList Paid() {
    QStringList rows;
    for (const CPc& line : Lines())
      rows << QStringLiteral("%1|%2|%3|%4").arg(line.DH, line.COST).arg(line.My).arg(line.LPR);
    return rows;
  }
  QList<CPc> Lines() {
    QList<CPc> lines;
    CPc::Select(QStringLiteral("Where F=-1"), QStringLiteral("Order By DH,COST"), &lines, pdb());
    return lines;
  }
  int FocusId() {
    QWidget* focus = m_form->focusWidget();
    return focus ? KvControlId(focus) : -1;
  }
  // The new receipt on the form: student, term and the lines' amounts.
  void Fill(const QString& student, const QString& term, const QList<std::pair<QString, double>>& lines) {
    Select(CXxDjListView::kNewRow);
    m_doc->m_head.STD = student;
    m_doc->m_head.QC = term.isEmpty() ? -1 : term.toInt() - 1;
    for (int i = 0; i < m_doc->m_lines.size(); ++i) {
      m_doc->m_lines[i].COST = lines.value(i).first;
      m_doc->m_lines[i].My = lines.value(i).second;
    }
    m_form->ShowRecord();
  }

  // A picture of the whole window under /tmp when KV_SHOTS is set.
  void Shot(const QString& name) {
    if (!qEnvironmentVariableIsSet("KV_SHOTS"))
      return;
    QWidget* window = m_form->window();
    window->resize(1250, 640);
    window->grab().save(QStringLiteral("/tmp/kv_%1.png").arg(name));
  }

  KvFakePrinterCatalogue m_printers;
  CXxDjDoc2* m_doc = nullptr;
  CXxDjListView* m_list = nullptr;
  CXxDjFrmView* m_form = nullptr;
};

TEST_P(KvReceiptWindowTest, FirstWindowOpensOnTodayAndReopeningKeepsTheSettings) {
  QString offered;
  ASSERT_NE(Open(QString(), &offered), nullptr);
  const int year = m_app->GetDataFile().GetYear();
  EXPECT_EQ(offered, QString::number(year) + QDate::currentDate().toString(QStringLiteral("MMdd")));
  EXPECT_EQ(m_doc->m_nPrintMode, CXxDjDoc2::kPositioned);
  EXPECT_EQ(m_doc->m_nPrintAfterSave, 0);
  ASSERT_EQ(m_doc->m_lines.size(), 3);
  EXPECT_EQ(m_doc->m_lines.at(0).COST, QStringLiteral("01"));
  EXPECT_EQ(m_doc->m_lines.at(1).COST, QStringLiteral("02"));
  EXPECT_EQ(m_doc->m_lines.at(2).COST, QString());
  // Today's window opens on the new receipt.
  EXPECT_EQ(ListRows(), QStringList{"新单||||"});
  EXPECT_EQ(m_list->GetNewState(), 1);
  EXPECT_EQ(m_doc->m_head.DH, QStringLiteral("00001"));
  Shot(QStringLiteral("receipt_new"));

  KvDlgItem<QComboBox>(m_form, CXxDjFrmView::IDC_MODE)->setCurrentIndex(0);
  m_form->ItemCombo(0)->setCurrentIndex(1);
  m_form->ItemCombo(1)->setCurrentIndex(0);
  m_form->ExchangeRecord(true);
  Close();
  ASSERT_NE(Open(QStringLiteral("20240910"), &offered), nullptr);
  EXPECT_EQ(offered, QString::number(year) + QDate::currentDate().toString(QStringLiteral("MMdd")));
  EXPECT_EQ(m_doc->m_nPrintMode, CXxDjDoc2::kFullFormat);
  EXPECT_EQ(m_doc->m_lines.at(0).COST, QStringLiteral("02"));
  EXPECT_EQ(m_doc->m_lines.at(1).COST, QStringLiteral("01"));
  Close();
  ASSERT_NE(Open(QString(), &offered), nullptr);
  EXPECT_EQ(offered, QStringLiteral("20240910"));
  // Nothing went into the settings: the next run starts on today again.
  QStringList stored;
  KvReadDocOpenMode(256, 0, stored);
  EXPECT_TRUE(stored.isEmpty()) << stored.join(u'|').toStdString();
  // Cancel opens nothing.
  Close();
  KvFeeDialogScript cancel([](QDialog* dialog) { dialog->reject(); });
  EXPECT_EQ(CXxDataType::Get()->OpenDocument(256, 0), nullptr);
}

TEST_P(KvReceiptWindowTest, ListRowsAndCommandsFollowTheRights) {
  AddReceipt(QStringLiteral("00001"));
  AddReceipt(QStringLiteral("00002"));
  AddReceipt(QStringLiteral("00003"), QStringLiteral("102"));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update PC Set Opr1='101',LPR=1 Where DH='00002'")));
  struct Case {
    QStringList rights;
    bool newRow;
    // Delete, review, cancel on 00001, 00002, 00003.
    QList<std::array<bool, 3>> allowed;
  };
  const QList<Case> cases = {
      {{"1806", "1807"}, true, {{true, true, false}, {true, false, true}, {false, true, false}}},
      {{"1806"}, true, {{true, false, false}, {true, false, false}, {false, false, false}}},
      {{"1807"}, false, {{false, true, false}, {false, false, true}, {false, true, false}}},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From PWR")));
    ASSERT_TRUE(KvGrantRights(*m_app, QStringList{QStringLiteral("1805")} + c.rights));
    ASSERT_NE(Open(QStringLiteral("20240910")), nullptr);
    QStringList expected = {"00001|张三||101|", "00002|张三||101|101", "00003|张三||102|"};
    if (c.newRow)
      expected << "新单||||";
    EXPECT_EQ(ListRows(), expected) << c.rights.join(u',').toStdString();
    // Reviewed and printed; never printed.
    EXPECT_TRUE(ShowsIcon(1, 676));
    EXPECT_FALSE(ShowsIcon(0, 675));
    // The right-click menu: review and cancel before delete, refresh, and
    // none of new, open, modify, cut, copy and paste.
    std::unique_ptr<QMenu> menu(KvBuildPopupMenu(300, nullptr));
    m_list->OnPrepareContextMenu(menu.get());
    QList<int> ids;
    for (QAction* action : menu->actions())
      if (KvActionCommandId(action) > 0)
        ids << KvActionCommandId(action);
    EXPECT_EQ(ids.indexOf(KV_CMD_REVIEW) + 1, ids.indexOf(KV_CMD_UNREVIEW));
    EXPECT_EQ(ids.indexOf(KV_CMD_UNREVIEW) + 1, ids.indexOf(KV_CMD_DELETE));
    EXPECT_TRUE(ids.contains(KV_CMD_REFRESH));
    for (int id : {KV_CMD_NEW, KV_CMD_OPEN, KV_CMD_MODIFY, KV_CMD_EDIT_CUT, KV_CMD_EDIT_COPY, KV_CMD_EDIT_PASTE})
      EXPECT_FALSE(ids.contains(id)) << id;
    for (int i = 0; i < 3; ++i) {
      Select(QStringLiteral("0000%1").arg(i + 1));
      const std::array<bool, 3> got = {m_list->IsCmdAllowed(KV_CMD_DELETE), m_list->IsCmdAllowed(KV_CMD_REVIEW),
                                       m_list->IsCmdAllowed(KV_CMD_UNREVIEW)};
      EXPECT_EQ(got, c.allowed.at(i)) << c.rights.join(u',').toStdString() << " row " << i;
      // Only one's own unreviewed receipt is edited, and only with "06".
      EXPECT_EQ(m_doc->m_bReadOnly, !(i == 0 && c.newRow)) << c.rights.join(u',').toStdString() << " row " << i;
      EXPECT_EQ(m_form->MemoEdit(0)->isVisible(), !m_doc->m_bReadOnly);
    }
    // Nothing selected: nothing shown, nothing to print.
    m_list->View()->clearSelection();
    EXPECT_TRUE(m_doc->m_bReadOnly);
    EXPECT_FALSE(KvDlgItem<QWidget>(m_form, CXxDjFrmView::IDC_PRINT)->isEnabled());
    Close();
  }
}

TEST_P(KvReceiptWindowTest, DeleteSelectsTheNextRowAndReviewsLogOnlyChanges) {
  for (const char* number : {"00001", "00002", "00003"})
    AddReceipt(QString::fromLatin1(number));
  ASSERT_NE(Open(QStringLiteral("20240910")), nullptr);
  Select(QStringLiteral("00002"));
  // Reviewed elsewhere while the question is read: checked after the
  // answer, refused, kept.
  for (const char* review : {"102", ""}) {
    KvScriptedAnswers answers({KV_IDYES});
    answers.onQuestion = [&] {
      ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update PC Set Opr1='%1' Where DH='00002'").arg(review)));
    };
    m_list->OnDelete();
    EXPECT_EQ(answers.Stops(), *review ? QStringList{"“00002”已被复核，不能删除！"} : QStringList()) << review;
  }
  EXPECT_EQ(m_list->GetItemText(m_list->GetFirstSelected(), 0), QStringLiteral("00003"));
  EXPECT_EQ(m_doc->m_head.DH, QStringLiteral("00003"));
  Select(QStringLiteral("00003"));
  {
    KvScriptedAnswers answers({KV_IDYES});
    m_list->OnDelete();
  }
  // The highest number gone: the new receipt is prepared.
  EXPECT_EQ(m_list->GetNewState(), 1);
  EXPECT_EQ(m_doc->m_head.DH, QStringLiteral("00002"));
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Update PC Set Opr1='101' Where DH='00001'")));
  AddReceipt(QStringLiteral("00004"));
  m_list->OnRefresh();
  // The reviewed 00001, the unreviewed 00004 and the new row: only 00004
  // changes and is logged; both receipts stay selected.
  m_list->View()->selectAll();
  m_list->ExecuteCmd(KV_CMD_REVIEW);
  EXPECT_EQ(Log(), (QStringList{"删除第00002号收费收据", "删除第00003号收费收据", "复核：№00004"}));
  QStringList selected;
  m_list->GetSelectedTexts(&selected);
  EXPECT_EQ(selected, (QStringList{"00001", "00004"}));
  EXPECT_EQ(Column(QStringLiteral("Select DH||Opr1 From PC Where F=-1 Order By DH")),
            (QStringList{"00001101", "00004101"}));
  // A receipt another workstation deleted meanwhile shows nothing and
  // cannot be saved back.
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From PC Where DH='00001'")));
  Select(QStringLiteral("00001"));
  EXPECT_TRUE(m_doc->m_head.DH.isEmpty());
  EXPECT_TRUE(m_doc->m_bReadOnly);
  // A reviewed receipt shows no input controls.
  Select(QStringLiteral("00004"));
  EXPECT_TRUE(m_doc->m_bReadOnly);
  EXPECT_FALSE(m_form->AmountEdit(0)->isVisible());
  Shot(QStringLiteral("receipt_reviewed"));
  // Reviewed, then deleted, at another workstation while this review waits
  // for the PC lock: the other's reviewer kept, nothing logged here, and
  // the form leaves nothing editable.
  for (const char* other : {"Update PC Set Opr1='102' Where DH='00005'", "Delete From PC Where DH='00006'"}) {
    const QString number = QString::fromLatin1(other).right(6).left(5);
    AddReceipt(number);
    m_list->OnRefresh();
    Select(number);
    KvStationInFlight station(testDb(), {QStringLiteral("PC")}, {QString::fromLatin1(other)});
    ASSERT_TRUE(station.Started());
    m_list->ExecuteCmd(KV_CMD_REVIEW);
    EXPECT_TRUE(station.Committed());
    EXPECT_TRUE(m_doc->m_bReadOnly) << number.toStdString();
  }
  EXPECT_EQ(Column(QStringLiteral("Select DH||Opr1 From PC Where F=-1 Order By DH")),
            (QStringList{"00004101", "00005102"}));
  EXPECT_EQ(Log(), (QStringList{"删除第00002号收费收据", "删除第00003号收费收据", "复核：№00004"}));
}

TEST_P(KvReceiptWindowTest, SaveRefusesBadInputWithItsFocusAndThenMakesTheNextReceipt) {
  ASSERT_NE(Open(QStringLiteral("20240910")), nullptr);
  struct Case {
    QString student;
    QString term;
    QList<std::pair<QString, double>> lines;
    const char* message;
    int focus;
  };
  const QList<Case> cases = {
      {"99", "1", {{"01", 500}}, "这不是一个学生的代码！", CXxDjFrmView::IDC_STUDENT},
      {"010201009", "1", {{"01", 500}}, "此代码对应的学生不存在！", CXxDjFrmView::IDC_STUDENT},
      {"010201001", "", {{"01", 500}}, "学期期次不正确！", CXxDjFrmView::IDC_TERM},
      {"010201001", "1", {{"01", 0}, {"", 30}}, "没有有效的收费记录行！", 1301},
      {"010201001", "1", {{"01", 100}, {"01", 100}}, "一张单据不能有重复的收费项目！", 1304},
      {"010201001", "1", {{"01", 600}}, "01：多收      100.00元\n02：不足      300.00元\n", 1302},
  };
  const QStringList before = State();
  for (const Case& c : cases) {
    Fill(c.student, c.term, c.lines);
    KvScriptedAnswers answers;
    EXPECT_FALSE(m_form->SaveRecord(0)) << c.message;
    EXPECT_EQ(answers.Stops(), QStringList{QString::fromUtf8(c.message)});
    EXPECT_EQ(FocusId(), c.focus) << c.message;
  }
  // An amount field holding "-" or "." alone refuses, named and focused.
  for (const QString& text : {QStringLiteral("-"), QStringLiteral(".")}) {
    Fill("010201001", "1", {{"01", 500}});
    m_form->AmountEdit(0)->setText(text);
    KvScriptedAnswers answers;
    EXPECT_FALSE(m_form->SaveRecord(0));
    EXPECT_EQ(answers.Stops(), QStringList{QStringLiteral("输入的“%1”不能放入本栏！").arg(text)});
    EXPECT_EQ(FocusId(), 1302);
  }
  EXPECT_EQ(State(), before);
  // No row selected.
  m_list->View()->clearSelection();
  {
    KvScriptedAnswers answers;
    EXPECT_FALSE(m_form->SaveRecord(0));
    EXPECT_EQ(answers.Stops(), QStringList{"单据列表框中无选择项！"});
  }
  // A memo with an apostrophe and a refund line are kept.
  Fill("010201001", "1", {{"01", 500}, {"02", 300}});
  m_doc->m_lines[0].Mry = QStringLiteral("O'Neil 交");
  m_form->ShowRecord();
  {
    KvScriptedAnswers answers;
    EXPECT_TRUE(m_form->SaveRecord(0));
    EXPECT_TRUE(answers.texts.isEmpty()) << answers.texts.join(u'|').toStdString();
  }
  EXPECT_EQ(Paid(), (QStringList{"00001|01|500|0", "00001|02|300|0"}));
  EXPECT_EQ(Column(QStringLiteral("Select Mry From PC Where F=-1 And COST='01'")), QStringList{"O'Neil 交"});
  // The form is on the next new receipt, with the items kept.
  EXPECT_EQ(m_list->GetNewState(), 1);
  EXPECT_EQ(m_doc->m_head.DH, QStringLiteral("00002"));
  EXPECT_EQ(m_form->AmountEdit(0)->text(), QStringLiteral("0"));
  EXPECT_EQ(m_doc->m_lines.at(1).COST, QStringLiteral("02"));
  EXPECT_EQ(ListRows().first(), QStringLiteral("00001|张三||101|"));

  // A save sends as many statements however many receipts the day holds:
  // the list takes the saved receipt's row without reading the day, unless
  // another workstation wrote to the day since the list was read (a
  // receipt added, reviewed or printed); then it reads the day back in one
  // statement and shows what the other wrote.
  const auto statementsOfASave = [this] {
    Fill("010201002", "1", {{"01", 1}});
    pdb()->FailNthStatement(std::numeric_limits<int>::max());
    KvScriptedAnswers answers;
    EXPECT_TRUE(m_form->SaveRecord(0));
    const int sent = pdb()->GetStatementsSent();
    pdb()->FailNthStatement(0);
    return sent;
  };
  const int statements = statementsOfASave();
  EXPECT_EQ(ListRows().size(), 3);
  struct Elsewhere {
    const char* change;
    QString row;
  };
  const Elsewhere elsewhere[] = {
      {"Insert Into PC(QC,F,LPR,My,T,DH,Mry,COST,STD,Opr0,Opr1,FS) "
       "Values(1,-1,0,100,'20240910','00010','','01','010201001','102','','0')",
       "00010|张三||102|"},
      {"Update PC Set Opr1='101' Where DH='00010'", "00010|张三||102|101"},
      {"Update PC Set LPR=1 Where DH='00001'", "00001|张三||101|"},
  };
  for (const Elsewhere& e : elsewhere) {
    CKvDb other(kind());
    ASSERT_TRUE(testDb().OpenAnother(other));
    ASSERT_TRUE(other.Execute(QString::fromUtf8(e.change)));
    EXPECT_EQ(statementsOfASave(), statements + 1) << e.change;
    EXPECT_TRUE(ListRows().contains(e.row)) << e.change;
    EXPECT_EQ(statementsOfASave(), statements) << e.change;
  }
  for (int i = 0; i < 5; ++i)
    AddReceipt(QStringLiteral("0002%1").arg(i));
  EXPECT_EQ(statementsOfASave(), statements + 1);
  EXPECT_EQ(ListRows().size(), 16);
  EXPECT_EQ(statementsOfASave(), statements);
  EXPECT_EQ(ListRows().size(), 17);
}

TEST_P(KvReceiptWindowTest, PickedStudentPresetsTheOwedTermAndEnterOnTheLastAmountSaves) {
  ASSERT_NE(Open(QStringLiteral("20240910")), nullptr);
  auto* student = KvDlgItem<CKvEdit>(m_form, CXxDjFrmView::IDC_STUDENT);
  student->setText(QStringLiteral("010201001"));
  emit student->textEdited(student->text());
  EXPECT_EQ(m_doc->m_head.QC, 0);
  EXPECT_EQ(KvFieldText(m_form, CXxDjFrmView::IDC_TERM), QStringLiteral("1"));
  EXPECT_EQ(m_form->AmountEdit(0)->text(), QStringLiteral("500"));
  EXPECT_EQ(m_form->AmountEdit(1)->text(), QStringLiteral("300"));
  // The name shown when the focus leaves is no new student.
  student->setText(QStringLiteral("张三"));
  EXPECT_EQ(m_doc->m_head.STD, QStringLiteral("010201001"));

  // A name goes through the student list.
  Select(CXxDjListView::kNewRow);
  m_doc->m_head.STD = QStringLiteral("李四");
  {
    KvFeeDialogScript script([](QDialog* dialog) {
      auto* list = qobject_cast<CXxStdListDlg*>(dialog);
      ASSERT_NE(list, nullptr);
      list->List()->SelectAll();
      KvPress(dialog, KV_IDOK);
    });
    KvPress(m_form, CXxDjFrmView::IDC_PICK);
  }
  EXPECT_EQ(m_doc->m_head.STD, QStringLiteral("010201002"));
  EXPECT_EQ(m_doc->m_lines.at(0).COST, QStringLiteral("01"));
  EXPECT_EQ(m_doc->m_lines.at(0).My, 500.0);

  // Enter on a text that finds no student opens the student list with it.
  student->setFocus();
  student->setText(QStringLiteral("王五"));
  emit student->textEdited(student->text());
  QStringList searched;
  {
    KvFeeDialogScript script([&](QDialog* dialog) {
      searched << dialog->metaObject()->className();
      dialog->reject();
    });
    m_form->OnTabKey();
  }
  EXPECT_EQ(searched, QStringList{"CXxStdListDlg"});
  EXPECT_EQ(m_doc->m_head.STD, QStringLiteral("王五"));
  m_doc->m_head.STD = QStringLiteral("010201002");

  // Enter on the last line's amount saves; the shortfall is asked.
  m_doc->m_lines[0].My = 300;
  m_doc->m_lines[1].My = 0;
  m_form->ShowRecord();
  m_form->AmountEdit(2)->setFocus();
  KvScriptedAnswers answers({KV_IDYES});
  m_form->OnTabKey();
  EXPECT_EQ(answers.texts, QStringList{"01：不足      200.00元\n保存吗？"});
  EXPECT_EQ(Paid(), QStringList{"00001|01|300|0"});

  // Digits go through the directory. 李四 has paid the rest of term 1 and
  // owes for term 2 now: the student picked there presets term 2 and what
  // is owed in it.
  AddLine(QStringLiteral("010201002"), QStringLiteral("01"), 0, -1, 200, QStringLiteral("20240911"),
          QStringLiteral("00002"));
  AddLine(QStringLiteral("010201002"), QStringLiteral("02"), 1, 1, 250);
  ASSERT_EQ(m_list->GetNewState(), 1);
  student->setFocus();
  student->setText(QStringLiteral("010201"));
  emit student->textEdited(student->text());
  QStringList picked;
  {
    KvFeeDialogScript script([&](QDialog* dialog) {
      auto* directory = dynamic_cast<CKvStdDirDlg*>(dialog);
      ASSERT_NE(directory, nullptr) << dialog->metaObject()->className();
      // The directory opens on the class's students.
      EXPECT_EQ(directory->ParentCode(), QStringLiteral("010201"));
      ASSERT_TRUE(directory->List()->SelectOnlyCode(QStringLiteral("010201002")));
      picked << directory->List()->GetItemText(directory->List()->GetFirstSelected(), 0);
      KvPress(dialog, KV_IDOK);
    });
    KvPress(m_form, CXxDjFrmView::IDC_PICK);
  }
  EXPECT_EQ(picked, QStringList{"010201002"});
  EXPECT_EQ(m_doc->m_head.STD, QStringLiteral("010201002"));
  EXPECT_EQ(m_doc->m_head.QC, 1);
  EXPECT_EQ(KvFieldText(m_form, CXxDjFrmView::IDC_TERM), QStringLiteral("2"));
  EXPECT_EQ(m_form->ItemCombo(0)->currentData().toString(), QStringLiteral("02"));
  EXPECT_EQ(m_form->AmountEdit(0)->text(), QStringLiteral("250"));
}

TEST_P(KvReceiptWindowTest, LongReceiptIsReadOnlyAndRowsNeverDropLines) {
  AddReceipt(QStringLiteral("00001"), QStringLiteral("101"), 4);
  ASSERT_TRUE(KvGrantRights(*m_app, {QStringLiteral("0080")}));
  ASSERT_NE(Open(QStringLiteral("20240910")), nullptr);
  {
    // From a new receipt typed on; a focus change under the message asks.
    Select(CXxDjListView::kNewRow);
    QTest::keyClicks(m_form->AmountEdit(0), QStringLiteral("7"));
    KvScriptedAnswers answers;
    KvMessageHandler recorded;
    recorded = KvSetMessageHandler([&](const KvMessage& message) {
      QString reason;
      m_doc->HasUnsavedEdits(reason);
      return recorded(message);
    });
    Select(QStringLiteral("00001"));
    KvSetMessageHandler(recorded);
    EXPECT_EQ(answers.texts, QStringList{"当前单据记录太多，无法打开全部记录！"});
  }
  EXPECT_EQ(m_form->AmountEdit(0)->text() + KvFieldText(m_form, CXxDjFrmView::IDC_NUMBER), QStringLiteral("10000001"));
  // The card draws three rows and totals all four lines, in words too.
  const KvTextBoxArray& card = m_doc->m_layout.Fields;
  EXPECT_EQ(card.at(card.size() - 8).text + card.at(card.size() - 7).text, QStringLiteral("肆佰元整400.00"));
  EXPECT_TRUE(m_doc->m_bReadOnly);
  EXPECT_FALSE(m_form->MemoEdit(0)->isVisible());
  const QStringList before = State();
  EXPECT_FALSE(m_form->SaveRecord(0));
  EXPECT_EQ(State(), before);

  auto* rows = KvDlgItem<QComboBox>(m_form, CXxDjFrmView::IDC_ROWS);
  const auto choose = [&](int count, QList<int> script) {
    KvScriptedAnswers answers(script);
    rows->setCurrentIndex(count - 1);
    emit rows->activated(count - 1);
    return answers.texts;
  };
  const QString refusal = QStringLiteral("当前设置的开单项目数，或已开单据的项目数大于此数，不能作此修改！");
  // Below the longest stored receipt.
  Select(CXxDjListView::kNewRow);
  // The new receipt shows no name of the receipt shown before.
  EXPECT_EQ(KvFieldText(m_form, CXxDjFrmView::IDC_STUDENT), QString());
  EXPECT_EQ(choose(2, {}), QStringList{refusal});
  EXPECT_EQ(rows->currentIndex(), 2);
  // Five rows are accepted; then a typed fifth line holds them.
  EXPECT_EQ(choose(5, {KV_IDYES}), QStringList{"真的要修改此参数吗?"});
  EXPECT_EQ(CXxDataType::ReceiptRowsRef(), 5);
  EXPECT_EQ(m_doc->m_lines.size(), 5);
  EXPECT_TRUE(m_form->MemoEdit(4)->isVisible());
  m_form->AmountEdit(4)->setText(QStringLiteral("20"));
  EXPECT_EQ(choose(4, {}), QStringList{refusal});
  EXPECT_EQ(m_doc->m_lines.size(), 5);
  EXPECT_EQ(m_doc->m_lines.at(4).My, 20.0);
  // Answered No: unchanged.
  m_form->AmountEdit(4)->setText(QStringLiteral("0"));
  EXPECT_EQ(choose(6, {KV_IDNO}), QStringList{"真的要修改此参数吗?"});
  EXPECT_EQ(CXxDataType::ReceiptRowsRef(), 5);
  {
    // Another station saves a receipt of five lines while the question is read.
    KvScriptedAnswers answers({KV_IDYES});
    answers.onQuestion = [&] { AddReceipt(QStringLiteral("00002"), QStringLiteral("101"), 5); };
    rows->setCurrentIndex(3);
    emit rows->activated(3);
    EXPECT_EQ(answers.texts, (QStringList{"真的要修改此参数吗?", refusal}));
  }
  EXPECT_EQ(CXxDataType::ReceiptRowsRef(), 5);
  Shot(QStringLiteral("receipt_rows5"));
  // Another station's change of a code length in flight during the save:
  // waited for, kept, and the program ends (last).
  KvStationInFlight other(testDb(), {QStringLiteral("STD"), QStringLiteral("PC")},
                          {QStringLiteral("Update SysCsTab Set CsVal='4' Where Cs=4180 And CsN=13")});
  ASSERT_TRUE(other.Started());
  EXPECT_EQ(choose(6, {KV_IDYES}), (QStringList{"真的要修改此参数吗?", "系统参数发生了变化，软件将被迫关闭！"}));
  EXPECT_TRUE(other.Committed());
  QStringList stored;
  other.connection().QueryTexts(QStringLiteral("Select rtrim(CsVal) From SysCsTab Where Cs=4180 And CsN In (2,13) Order By CsN"), &stored, 1);
  EXPECT_EQ(stored, (QStringList{"5", "4"}));
}

TEST_P(KvReceiptWindowTest, EveryModePrintsWhatIsStoredAndCountsOnlyPrintedJobs) {
  AddReceipt(QStringLiteral("00001"), QStringLiteral("101"), 2);
  ASSERT_NE(Open(QStringLiteral("20240910")), nullptr);
  struct Case {
    int mode;
    bool cancel;
    const char* note;
  };
  const QList<Case> cases = {
      {CXxDjDoc2::kFullFormat, false, "打印：№00001"},
      {CXxDjDoc2::kOverlay, false, "套打：№00001"},
      {CXxDjDoc2::kPositioned, false, "自定位打印：№00001"},
      {CXxDjDoc2::kPositioned, true, nullptr},
      {CXxDjDoc2::kFullFormat, true, nullptr},
  };
  int printed = 0;
  QStringList notes;
  for (const Case& c : cases) {
    Select(QStringLiteral("00001"));
    KvDlgItem<QComboBox>(m_form, CXxDjFrmView::IDC_MODE)->setCurrentIndex(c.mode);
    KvPrintAnswers answers(KvTestPdfPath(QString::number(c.mode)));
    answers.cancelFile = c.cancel;
    m_form->OnPrint();
    EXPECT_EQ(answers.fileDialogs, 1);
    if (!c.cancel) {
      ++printed;
      notes << QString::fromUtf8(c.note);
      const KvPdfReadBack pdf = KvReadPdf(answers.pdfPath);
      ASSERT_TRUE(pdf.ok) << c.mode;
      EXPECT_FALSE(pdf.Find(QStringLiteral("200.00")).isEmpty()) << c.mode;
    }
    notes.sort();
    for (const CPc& line : Lines())
      EXPECT_EQ(line.LPR, printed) << c.mode;
    EXPECT_EQ(Log(), notes) << c.mode;
    // The receipt stays selected and shows the printed icon once printed.
    EXPECT_EQ(m_list->GetNewState(), 0);
    EXPECT_EQ(ShowsIcon(0, 675), printed > 0);
  }
  Shot(QStringLiteral("receipt_printed"));
}

TEST_P(KvReceiptWindowTest, PrintSavesANewReceiptFirstAndPutsAmountsInTheirFields) {
  ASSERT_NE(Open(QStringLiteral("20240910")), nullptr);
  // A refused save prints nothing.
  Fill("99", "1", {{"01", 500}});
  {
    KvScriptedAnswers messages;
    KvPrintAnswers answers(KvTestPdfPath(QStringLiteral("refused")));
    m_form->OnPrint();
    EXPECT_EQ(messages.Stops(), QStringList{"这不是一个学生的代码！"});
    EXPECT_EQ(answers.fileDialogs, 0);
  }
  EXPECT_TRUE(Paid().isEmpty());
  // A new receipt of two lines on three rows is saved, then printed as
  // stored on the positioned form.
  Fill("010201001", "1", {{"01", 500}, {"02", 300}});
  KvPrintAnswers answers(KvTestPdfPath(QStringLiteral("positioned")));
  {
    KvScriptedAnswers messages;
    m_form->OnPrint();
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join(u'|').toStdString();
  }
  EXPECT_EQ(Paid(), (QStringList{"00001|01|500|1", "00001|02|300|1"}));
  EXPECT_EQ(Log(), (QStringList{"新增：№(2024)00001", "自定位打印：№00001"}));
  EXPECT_EQ(m_list->GetNewState(), 1);
  // Print after save prints each saved receipt at once.
  {
    KvPrintAnswers after(KvTestPdfPath(QStringLiteral("after")));
    Fill("010201002", "1", {{"01", 500}});
    KvDlgItem<QCheckBox>(m_form, CXxDjFrmView::IDC_PRINT_AFTER)->setChecked(true);
    EXPECT_TRUE(m_form->SaveRecord(0));
    EXPECT_EQ(after.fileDialogs, 1);
  }
  EXPECT_EQ(Paid().last(), QStringLiteral("00002|01|500|1"));
  // Two lines on three rows: the amounts, the total and the number at
  // their fields, and nothing of the third row's tokens.
  EXPECT_EQ(m_doc->m_lines.size(), 3);
  KvExpectPositionedReceipt(KvReadPdf(answers.pdfPath), QStringLiteral("00001"),
                            {{"500.00", 9}, {"300.00", 12}, {"800.00", 16}});
}

TEST_P(KvReceiptWindowTest, DeleteReviewAndPrintCountAreAllOrNothingWithTheirLogRows) {
  AddReceipt(QStringLiteral("00001"));
  AddReceipt(QStringLiteral("00002"));
  ASSERT_NE(Open(QStringLiteral("20240910")), nullptr);
  KvScriptedAnswers answers;
  EXPECT_GT(ExpectAllOrNothing([&] { return m_list->DeleteReceipt(QStringLiteral("00001")); }), 0);
  EXPECT_GT(ExpectAllOrNothing([&] { return m_list->ReviewReceipt(QStringLiteral("00002"), true); }), 0);
  EXPECT_GT(ExpectAllOrNothing([&] { return m_list->ReviewReceipt(QStringLiteral("00002"), false); }), 0);
  Select(QStringLiteral("00002"));
  EXPECT_GT(ExpectAllOrNothing([&] { return m_doc->RecordPrint(QStringLiteral("打印：№00002")); }), 0);
  EXPECT_EQ(Paid(), QStringList{"00002|01|100|1"});
  EXPECT_EQ(Log(), (QStringList{"删除第00001号收费收据", "取消复核：№00002", "复核：№00002", "打印：№00002"}));
}

TEST_P(KvReceiptWindowTest, RefreshAsksAndPrintSavesAChangedReceiptFirst) {
  AddReceipt(QStringLiteral("00001"));
  ASSERT_NE(Open(QStringLiteral("20240910")), nullptr);
  Select(QStringLiteral("00001"));
  QString reason;
  // A refresh (F5 in a field) reads the receipt again only when the change
  // may go.
  for (int answer : {KV_IDYES, KV_IDNO}) {
    m_form->AmountEdit(0)->selectAll();
    QTest::keyClicks(m_form->AmountEdit(0), QStringLiteral("500"));
    KvScriptedAnswers messages({answer});
    QTest::keyClick(m_form->AmountEdit(0), Qt::Key_F5);
    EXPECT_EQ(messages.texts.size(), 1);
    EXPECT_EQ(m_form->IsModified(reason), answer == KV_IDNO);
  }
  ASSERT_TRUE(m_form->IsModified(reason));
  KvDlgItem<QComboBox>(m_form, CXxDjFrmView::IDC_MODE)->setCurrentIndex(CXxDjDoc2::kFullFormat);
  KvPrintAnswers answers(KvTestPdfPath());
  m_form->OnPrint();
  EXPECT_EQ(Paid(), QStringList{"00001|01|500|1"});
  const KvPdfReadBack pdf = KvReadPdf(answers.pdfPath);
  ASSERT_TRUE(pdf.ok);
  EXPECT_EQ(pdf.Find(QStringLiteral("500.00")).size(), 2);
  EXPECT_FALSE(m_form->IsModified(reason));

  // Changed at another workstation since the window read it: a save after
  // the shortfall question writes nothing and says why.
  CKvDb other(kind());
  ASSERT_TRUE(testDb().OpenAnother(other));
  ASSERT_TRUE(other.Execute(QStringLiteral("Update PC Set My=400 Where DH='00001' And F=-1")));
  m_form->AmountEdit(0)->setText(QStringLiteral("450"));
  KvScriptedAnswers refused;
  EXPECT_FALSE(m_form->SaveRecord(0));
  EXPECT_EQ(refused.Stops(), QStringList{"单据已被其他窗口或工作站修改或删除，请刷新后再输入！"});
  EXPECT_EQ(Paid(), QStringList{"00001|01|400|1"});
}

TEST_P(KvReceiptWindowTest, EveryPrintWayPrintsTheReceiptAsStoredNowOrNothing) {
  // 00001 is changed by another workstation before each print, 00002 to
  // 00007 are deleted there, one before each print.
  AddReceipt(QStringLiteral("00001"), QStringLiteral("101"), 2);
  for (int i = 2; i <= 7; ++i)
    AddReceipt(QStringLiteral("0000%1").arg(i));
  ASSERT_NE(Open(QStringLiteral("20240910")), nullptr);
  CKvDb other;
  ASSERT_TRUE(testDb().OpenAnother(other));
  auto* mode = KvDlgItem<QComboBox>(m_form, CXxDjFrmView::IDC_MODE);
  // The print button in each mode, and the commands, which take their own
  // mode whatever the window's is.
  struct Way {
    int mode;
    int command;
    const char* note;
  };
  const Way ways[] = {
      {CXxDjDoc2::kFullFormat, 0, "打印：№00001"},
      {CXxDjDoc2::kOverlay, 0, "套打：№00001"},
      {CXxDjDoc2::kPositioned, 0, "自定位打印：№00001"},
      {CXxDjDoc2::kPositioned, KV_CMD_FILE_PRINT, "打印：№00001"},
      {CXxDjDoc2::kFullFormat, KV_CMD_OVERLAY_PRINT, "套打：№00001"},
      {CXxDjDoc2::kFullFormat, KV_CMD_POSITIONED_PRINT, "自定位打印：№00001"},
  };
  const auto print = [&](const Way& way) {
    mode->setCurrentIndex(way.mode);
    if (way.command == 0) {
      m_form->OnPrint();
      return;
    }
    EXPECT_TRUE(KvCmdEnabled(m_form, way.command)) << way.command;
    m_form->ExecuteCmd(way.command);
  };
  const auto printCount = [&](const QString& number) {
    return pdb()->GetLong(QStringLiteral("Select Min(LPR) From PC Where F=-1 And DH='%1'").arg(number));
  };
  QStringList notes;
  int printed = 0;
  for (int w = 0; w < int(std::size(ways)); ++w) {
    const Way& way = ways[w];
    const QString amount = QStringLiteral("%1.00").arg(110 + 10 * w);
    // Changed elsewhere: the window takes the stored amounts and prints them.
    m_list->OnRefresh();
    Select(QStringLiteral("00001"));
    ASSERT_TRUE(other.Execute(QStringLiteral("Update PC Set My=%1,Opr1='102' Where DH='00001' And COST='01'")
                                  .arg(110 + 10 * w)));
    {
      KvScriptedAnswers messages;
      KvPrintAnswers answers(KvTestPdfPath(QStringLiteral("changed%1").arg(w)));
      print(way);
      EXPECT_TRUE(messages.texts.isEmpty()) << w << messages.texts.join(u'|').toStdString();
      ASSERT_EQ(answers.fileDialogs, 1) << w;
      const KvPdfReadBack pdf = KvReadPdf(answers.pdfPath);
      ASSERT_TRUE(pdf.ok) << w;
      EXPECT_FALSE(pdf.Find(amount).isEmpty()) << w;
      EXPECT_FALSE(pdf.Find(QStringLiteral("%1.00").arg(210 + 10 * w)).isEmpty()) << w;
    }
    EXPECT_EQ(m_doc->m_lines.at(0).My, 110 + 10 * w) << w;
    EXPECT_EQ(m_doc->m_head.Opr1, QStringLiteral("102")) << w;
    EXPECT_EQ(printCount(QStringLiteral("00001")), ++printed) << w;
    notes << QString::fromUtf8(way.note);
    notes.sort();
    EXPECT_EQ(Log(), notes) << w;

    // Deleted elsewhere: nothing printed, counted or logged, and the list
    // no longer shows it.
    const QString gone = QStringLiteral("0000%1").arg(w + 2);
    Select(gone);
    ASSERT_TRUE(other.Execute(QStringLiteral("Delete From PC Where DH='%1'").arg(gone)));
    {
      KvScriptedAnswers messages;
      KvPrintAnswers answers(KvTestPdfPath(QStringLiteral("gone%1").arg(w)));
      print(way);
      EXPECT_EQ(messages.Stops(), QStringList{"该收据已不存在！"}) << w;
      EXPECT_EQ(answers.fileDialogs, 0) << w;
    }
    EXPECT_FALSE(ListRows().join(u'\n').contains(gone)) << w;
    EXPECT_EQ(Log(), notes) << w;

    // Each statement of the print refused in turn: the reads come first and
    // print nothing; every later refusal prints what is stored, and counts
    // and logs it together or not at all.
    int runs[3] = {};
    bool clean = false;
    for (int n = 1; n < 80 && !clean; ++n) {
      // A refused read of the list's refresh after a print leaves it empty.
      m_list->OnRefresh();
      Select(QStringLiteral("00001"));
      KvScriptedAnswers messages;
      KvPrintAnswers answers(KvTestPdfPath(QStringLiteral("refused%1_%2").arg(w).arg(n)));
      pdb()->FailNthStatement(n);
      print(way);
      clean = pdb()->GetStatementsSent() < n;
      pdb()->FailNthStatement(0);
      const int reached = answers.fileDialogs == 0 ? 0 : printCount(QStringLiteral("00001")) > printed ? 2 : 1;
      ++runs[reached];
      // A print left undone or uncounted is told, once.
      EXPECT_TRUE(reached == 2 || messages.Stops().size() == 1) << w << ' ' << n;
      EXPECT_TRUE(reached > 0 || runs[1] + runs[2] == 0) << w << ' ' << n;  // the reads come first
      EXPECT_TRUE(reached == 0 || answers.fileDialogs == 1) << w << ' ' << n;
      const KvPdfReadBack pdf = KvReadPdf(answers.pdfPath);
      EXPECT_TRUE(!reached || (pdf.ok && !pdf.Find(amount).isEmpty())) << w << ' ' << n;
      if (reached == 2) {
        ++printed;
        notes << QString::fromUtf8(way.note);
        notes.sort();
      }
      EXPECT_TRUE(!clean || reached == 2) << w << ' ' << n;
      EXPECT_EQ(printCount(QStringLiteral("00001")), printed) << w << ' ' << n;
      EXPECT_EQ(Log(), notes) << w << ' ' << n;
    }
    EXPECT_TRUE(clean) << w;
    // The receipt's lines, and its student, items or layout; the count and log.
    EXPECT_GE(runs[0], 2) << w;
    EXPECT_GE(runs[1], 1) << w;
  }
}

TEST_P(KvReceiptWindowTest, ReceiptRowsChangeOnlyWithTheStoredParameters) {
  ASSERT_TRUE(KvGrantRights(*m_app, {QStringLiteral("0080")}));
  ASSERT_NE(Open(QStringLiteral("20240910")), nullptr);
  Select(CXxDjListView::kNewRow);
  auto* rows = KvDlgItem<QComboBox>(m_form, CXxDjFrmView::IDC_ROWS);
  const int before = CXxDataType::ReceiptRowsRef();
  const QString stored = QStringLiteral("Select CsVal From SysCsTab Where Cs=%1 And CsN=2").arg(CXxDataType::kParamCs);
  const QStringList storedBefore = Column(stored);
  // Each statement of the change refused in turn: by the reads before the
  // question, the BEGIN, the parameter rows or the COMMIT, each of which
  // says why itself.
  struct Outcome {
    const char* shown;  // a part of what the operator sees
    int runs = 0;
  };
  Outcome outcomes[] = {{"执行下列SQL语句时出错"}};
  bool clean = false;
  for (int n = 1; n < 40 && !clean; ++n) {
    KvScriptedAnswers answers({KV_IDYES});
    pdb()->FailNthStatement(n);
    rows->setCurrentIndex(before);
    emit rows->activated(before);
    clean = pdb()->GetStatementsSent() < n;
    pdb()->FailNthStatement(0);
    if (clean)
      break;
    // Memory, the form and the stored parameters keep the old count, so the
    // next save finds nothing changed.
    EXPECT_EQ(CXxDataType::ReceiptRowsRef(), before) << n;
    EXPECT_EQ(m_doc->m_lines.size(), before) << n;
    EXPECT_EQ(rows->currentIndex(), before - 1) << n;
    EXPECT_EQ(Column(stored), storedBefore) << n;
    EXPECT_EQ(CXxDataType::CheckParamChange(false, pdb()), 0) << n;
    QStringList stops = answers.texts;
    stops.removeAll(QStringLiteral("真的要修改此参数吗?"));
    ASSERT_EQ(stops.size(), 1) << n << answers.texts.join(u'|').toStdString();
    for (Outcome& outcome : outcomes)
      if (stops.first().contains(QString::fromUtf8(outcome.shown)))
        ++outcome.runs;
  }
  ASSERT_TRUE(clean);
  EXPECT_EQ(CXxDataType::ReceiptRowsRef(), before + 1);
  EXPECT_EQ(m_doc->m_lines.size(), before + 1);
  EXPECT_EQ(Column(stored), QStringList{QString::number(before + 1)});
  for (const Outcome& outcome : outcomes)
    EXPECT_GT(outcome.runs, 0) << outcome.shown;
}

KV_DB_KIND_TEST_SUITE(KvReceiptWindowTest);
