// The server ends the program's session while a receipt is being entered
// (PostgreSQL through ODBC and through libpq): the program says so once,
// the windows say nothing false, the receipt that could not be saved stays
// open with what was typed (a cancelled login keeps it so, and every save
// then says the connection is lost), and after a login on the same data
// file (the server password kept) it is saved.

#include "KvFeeEndToEndFixture.h"

#include "core/KvDbBackend.h"
#include "core/KvText.h"
#include "forms/CForthView.h"
#include "forms/CFormDataType.h"
#include "school/CPc.h"
#include "school/CXxDjDoc0.h"
#include "school/CXxDjDoc2.h"
#include "school/CXxDjFrmView.h"
#include "school/CXxDjListView.h"
#include "school/CXxDjOpenDlg.h"
#include "timetable/CPKDoc.h"
#include "timetable/CPkDataType.h"
#include "timetable/CSbtTable.h"
#include "timetable/CTchrTable.h"
#include "timetable/CWkjhRec.h"
#include "timetable/CWktRec.h"
#include "timetable/KvTimetableInstall.h"
#include "ui/CKvEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QTest>

namespace {
constexpr char kLost[] = "与数据库服务器的连接已中断，请重新注册。";

// The login answers that make the database `name` a new data file through
// the ODBC data source of the test server and log in as 101.
std::function<bool(CKvLoginDlg&)> newOdbcFileLogin(const CKvDbInfo& source, const QString& name) {
  return [source, name](CKvLoginDlg& dialog) {
    KvLoginItem<QComboBox>(dialog, CKvLoginDlg::IdKind)->setCurrentIndex(CKvLoginDlg::KindOdbc);
    KvLoginItem<QLineEdit>(dialog, CKvLoginDlg::IdServer)->setText(source.m_strServer);
    KvLoginItem<QLineEdit>(dialog, CKvLoginDlg::IdUser)->setText(source.m_strUser);
    KvLoginItem<QLineEdit>(dialog, CKvLoginDlg::IdServerPassword)->setText(source.m_strPassword);
    KvLoginItem<QLineEdit>(dialog, CKvLoginDlg::IdDatabase)->setText(name);
    KvLoginItem<QPushButton>(dialog, CKvLoginDlg::IdNewFile)->click();
    return true;
  };
}

// Ends, from a session of its own, the sessions of this program on the
// database, as an administrator's command does.
bool endProgramSessions(const QString& database) {
  CKvDb admin(2);
  if (!admin.Open(QStringLiteral("master"), KvTestDb::ServerInfo(2)))
    return false;
  return admin.GetBackend()->execute(
      QStringLiteral("SELECT pg_terminate_backend(pid, 10000) FROM pg_stat_activity WHERE datname='") +
          KvLower(database) + QStringLiteral("' AND application_name='") + admin.QuoteText(KvDbApplicationName()) +
          QStringLiteral("' AND pid<>pg_backend_pid()"),
      nullptr);
}

// Lets the server take new sessions of the database, or refuse them.
bool allowSessions(const QString& database, bool allow) {
  CKvDb admin(2);
  return admin.Open(QStringLiteral("master"), KvTestDb::ServerInfo(2)) &&
         admin.Execute(QStringLiteral("ALTER DATABASE %1 ALLOW_CONNECTIONS %2")
                           .arg(KvLower(database), allow ? QStringLiteral("true") : QStringLiteral("false")));
}
}  // namespace

class KvLostConnectionTest : public KvFeeEndToEndTest {
 protected:
  bool StartOnServer() {
    if (!TakeServerFile())
      return false;
    const CKvDbInfo server = KvTestDb::ServerInfo(GetParam());
    m_answers.login = GetParam() == 1 ? newOdbcFileLogin(server, m_dropName)
                                      : KvNewPostgresFileLogin(server, m_dropName);
    return m_app.StartUp({QStringLiteral("kvqy")});
  }
  // The program with its timetabling module too.
  void SetUp() override {
    KvFeeEndToEndTest::SetUp();
    KvInstallTimetable();
  }
  void TearDown() override {
    KvFeeEndToEndTest::TearDown();
    CKvXxApp::SetDataTypeFactory(CPkDataType::kModule, nullptr);
  }
  // The class timetable of the class with a lesson typed, on a plan of
  // 1 March with a teacher, a course of one lesson a week and the school's
  // default week.
  CPKDoc* TypedTimetable(const QString& grade, const QString& klass) {
    const QString year = QString::number(m_app.GetDataFile().GetYear());
    const QString date = year + QStringLiteral("0301");
    CTchrRec teacher;
    teacher.KNO = QStringLiteral("0001"), teacher.NA = QStringLiteral("王芳");
    CSbtRec course;
    course.KNO = QStringLiteral("0001"), course.NA = course.NAA = QStringLiteral("语文");
    CWktRec schedule(year, 0);
    schedule.SetDefaults();
    CWkjhRec plan(year, 0, date, grade), assignment(year, 0, date, klass);
    plan.SBT = assignment.SBT = course.KNO, plan.NU = plan.CN = plan.CL = 1;
    assignment.TCHR = teacher.KNO;
    if (!CTchrTable::Insert(teacher, db()) || !CSbtTable::Insert(course, db()) || !schedule.Save(db()) ||
        !plan.InsertPlanRow(db()) || !assignment.InsertAssignment(db()))
      return nullptr;
    auto* module = dynamic_cast<CFormDataType*>(KvFindDataType(CPkDataType::kModule));
    m_script = [](QDialog* dialog) { KvPress(dialog, KV_IDOK); };
    auto* doc = dynamic_cast<CPKDoc*>(module->OpenDocument(272, 0));
    m_script = nullptr;
    const bool typed = doc && doc->SelectKey(klass) &&
                       doc->FindView<CForthView>()->CommitCell(1, 3, QStringLiteral("TEXT"), course.KNO, 0);
    return typed ? doc : nullptr;
  }
  QStringList Receipts() { return Lines(-1); }
  QStringList Dues() { return Lines(1); }
  // The fee lines of the kind (1 due, -1 paid) as "student item amount".
  QStringList Lines(int kind) {
    QList<CPc> lines;
    CPc::Select(QStringLiteral("Where F=%1").arg(kind), QStringLiteral("Order By COST"), &lines, db());
    QStringList texts;
    for (const CPc& line : lines)
      texts << QStringLiteral("%1 %2 %3").arg(line.STD, line.COST).arg(line.My);
    return texts;
  }
};

TEST_P(KvLostConnectionTest, TheLossIsToldOnceAndTheUnsavedReceiptIsSavedAfterTheLogin) {
  KvMessageRecorder recorder;
  if (!StartOnServer()) {
    if (HasFailure())
      return;
    GTEST_SKIP() << "no PostgreSQL server";
  }
  ASSERT_EQ(db()->GetKind(), GetParam());
  ASSERT_TRUE(KvGrantRights(
      m_app, {"0081", "0082", "0083", "1801", "1802", "1803", "1805", "1806", "1812", "1813", "1907", "1908"}));
  const QStringList items = EnterItems({"学费"});
  const QStringList levels = {"本校", "新生级", "一班"};
  const QStringList codes = EnterSchool(levels.at(0), levels.at(1), levels.at(2), {"张三"});
  ASSERT_EQ(codes.size(), 4);
  const QString student = codes.at(3);
  CPKDoc* timetable = TypedTimetable(codes.at(1), codes.at(2));
  ASSERT_NE(timetable, nullptr);

  // The student's due of 500 saved on the class sheet, then changed to 600
  // and not yet saved.
  auto* sheet = Open<CXxDjDoc0>(255, [](QDialog* dialog) { dialog->reject(); });
  ASSERT_NE(sheet, nullptr);
  QStringList classPath;
  for (int level = 0; level < 3; ++level)
    classPath << codes.at(level).mid(level == 0 ? 0 : codes.at(level - 1).size()) + u' ' + levels.at(level);
  KvChooseFeeNode(sheet, classPath + QStringList{"1 学期", "1 应收"});
  ASSERT_EQ(sheet->GetRowCount(), 1);
  KvTypeFeeAmount(sheet, 0, items.at(0), QStringLiteral("500"));
  auto* grid = sheet->FindView<CXxDjView0>();
  grid->ExecuteCmd(KV_CMD_FILE_SAVE);
  ASSERT_EQ(Dues(), QStringList{student + QStringLiteral(" 01 500")});
  KvTypeFeeAmount(sheet, 0, items.at(0), QStringLiteral("600"));
  // A second sheet on the same voucher, left as read.
  auto* other = Open<CXxDjDoc0>(255, [](QDialog* dialog) { dialog->reject(); });
  ASSERT_NE(other, nullptr);
  const QStringList duePath = classPath + QStringList{"1 学期", "1 应收"};
  const QStringList newPaidPath = classPath + QStringList{"1 学期", "2 实收", "(xxxx)新单"};
  KvChooseFeeNode(other, duePath);
  ASSERT_EQ(other->GetRowCount(), 1);

  // A receipt typed and not yet saved: 120 of what is owed.
  auto* receipt = Open<CXxDjDoc2>(256, [](QDialog* dialog) { KvPress(dialog, KV_IDOK); });
  ASSERT_NE(receipt, nullptr);
  auto* list = receipt->FindView<CXxDjListView>();
  auto* form = receipt->FindView<CXxDjFrmView>();
  ASSERT_TRUE(list && form);
  auto* studentEdit = KvDlgItem<CKvEdit>(form, CXxDjFrmView::IDC_STUDENT);
  studentEdit->setFocus();
  studentEdit->setText(student);
  emit studentEdit->textEdited(student);
  ASSERT_EQ(form->ItemCombo(0)->currentData().toString(), items.at(0));
  form->AmountEdit(0)->setFocus();
  form->AmountEdit(0)->setText(QStringLiteral("120"));
  emit form->AmountEdit(0)->textEdited(QStringLiteral("120"));
  QString reason;
  ASSERT_TRUE(form->IsModified(reason));
  ASSERT_TRUE(sheet->HasUnsavedEdits(reason));
  EXPECT_EQ(recorder.texts(), QStringList());

  ASSERT_TRUE(endProgramSessions(m_dropName));
  // The fee sheet cannot read the catalogue: it does not open, and does not
  // say that no fee item is defined.
  EXPECT_EQ(OpenTemplate(255, [](QDialog* dialog) { dialog->reject(); }), nullptr);
  EXPECT_TRUE(db()->IsLost());
  // The sheet's save fails without a box; the sheet keeps the change.
  grid->ExecuteCmd(KV_CMD_FILE_SAVE);
  EXPECT_TRUE(sheet->HasUnsavedEdits(reason));
  // The receipt's save fails without a box; the receipt stays as typed.
  KvPress(form, KV_IDOK);
  EXPECT_TRUE(form->IsModified(reason));
  EXPECT_EQ(form->AmountEdit(0)->text(), QStringLiteral("120"));
  EXPECT_EQ(list->GetNewState(), 1);
  EXPECT_EQ(recorder.texts(), QStringList());  // no "未定义收费项目！", no failed statement
  // Closed with 是: the save fails, the window stays open and modified.
  const int windows = int(frame()->MdiClient()->subWindowList().size());
  recorder.script({KV_IDYES});
  frame()->MdiClient()->subWindowList().last()->close();
  EXPECT_EQ(int(frame()->MdiClient()->subWindowList().size()), windows);
  EXPECT_TRUE(form->IsModified(reason));
  EXPECT_EQ(recorder.texts(), QStringList{"当前文档已发生了变化，存盘吗？"});

  // The login the loss offers (the server refusing new sessions), then
  // 操作环境注册 cancelled and accepted. Cancelled, the program stays
  // disconnected with its windows, and a save says the connection is lost.
  const struct { bool fromLoss, accept; } turns[] = {{true, false}, {false, false}, {false, true}};
  CKvCommandRouter* router = CKvCommandRouter::Instance();
  int logins = 0;
  bool accept = false, refusing = false;
  m_answers.login = [&](CKvLoginDlg& dialog) {
    ++logins;
    EXPECT_EQ(KvLoginItem<QLineEdit>(dialog, CKvLoginDlg::IdDatabase)->text(), KvLower(m_dropName));
    EXPECT_EQ(KvLoginItem<QLineEdit>(dialog, CKvLoginDlg::IdServerPassword)->text(),
              KvTestDb::ServerInfo(GetParam()).m_strPassword);
    EXPECT_FALSE(KvLoginItem<QComboBox>(dialog, CKvLoginDlg::IdKind)->isEnabled());
    EXPECT_FALSE(KvLoginItem<QLineEdit>(dialog, CKvLoginDlg::IdDatabase)->isEnabled());
    // The windows stay open: only the operator who opened them may log in.
    EXPECT_FALSE(KvLoginItem<QComboBox>(dialog, CKvLoginDlg::IdOperator)->isEnabled());
    if (!refusing) {  // the operators are read from the data file
      EXPECT_EQ(KvLoginItem<QComboBox>(dialog, CKvLoginDlg::IdOperator)->currentData(), QStringLiteral("101"));
    }
    KvShot(&dialog, QStringLiteral("lost_login_%1").arg(GetParam()));
    return accept;
  };
  for (const auto& turn : turns) {
    ASSERT_TRUE(allowSessions(m_dropName, !turn.fromLoss));
    accept = turn.accept, refusing = turn.fromLoss;
    const int before = logins;
    recorder.clear();
    for (int pass = 0; turn.fromLoss && pass < 20 && logins == before; ++pass)
      QCoreApplication::processEvents();
    EXPECT_TRUE(turn.fromLoss || router->ExecuteOnFrame(KV_CMD_LOGIN));
    EXPECT_EQ(logins, before + 1);
    EXPECT_EQ(recorder.texts(), turn.fromLoss ? QStringList{QString::fromUtf8(kLost)} : QStringList());
    EXPECT_EQ(db()->IsLost(), !turn.accept);
    EXPECT_EQ(int(frame()->MdiClient()->subWindowList().size()), windows);
    EXPECT_TRUE(sheet->HasUnsavedEdits(reason));
    if (turn.accept)
      break;
    EXPECT_TRUE(router->IsEnabledOnFrame(KV_CMD_LOGIN));
    // Each save tells the loss once: the receipt's 保存, Ctrl+S on the fee
    // sheet and on the timetable, and 是 to closing the fee sheet.
    // F5 keeps the window with its edits (the fee sheet after 是, the timetable
    // after 否); another fee-tree node is never shown with the sheet before it.
    const auto pressCtrlS = [](QWidget* view) { QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier); };
    QMdiSubWindow* sheetWindow = sheet->GetFrames().first();
    QMenu* sheetMenu = sheetWindow->systemMenu();  // its last item closes the window
    const struct {
      std::function<void()> command;
      QStringList asked;
      std::function<bool()> holds = [] { return true; };
      int answer = KV_IDYES;
    } commands[] = {
        {[&] { QTest::mouseClick(KvDlgItem<QAbstractButton>(form, KV_IDOK), Qt::LeftButton); }, {}},
        {[&] { pressCtrlS(grid); }, {}},
        {[&] { pressCtrlS(timetable->FindView<CForthView>()); }, {}},
        {[&] { QTest::keyClick(grid, Qt::Key_F5); },
         {"刷新将放弃本窗口中尚未保存的修改，继续吗？"},
         [&] { return sheet->GetRowCount() == 1 && !sheet->IsFillFailed() && grid->Model().TextRowCount() == 1; }},
        {[&] { QTest::keyClick(form->AmountEdit(0), Qt::Key_F5); },
         {"刷新将放弃本窗口中尚未保存的修改，继续吗？"},
         [&] { return form->AmountEdit(0)->text() == QStringLiteral("120") && list->GetNewState() == 1; }},
        {[&] { QTest::keyClick(timetable->FindView<CForthView>(), Qt::Key_F5); },
         {"当前文档已发生了变化，存盘吗？"},
         [&] { return !timetable->IsFillFailed() && timetable->HasUnsavedEdits(reason); },
         KV_IDNO},
        {[&] {
           auto* tree = other->FindView<CXxDjTreeView>();
           QTreeWidgetItem* item = KvFeeNode(other, other->m_head.F == 1 ? newPaidPath : duePath);
           tree->resize(400, tree->height());  // the node's text wide enough to click
           tree->scrollToItem(item);
           QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
           QCoreApplication::sendPostedEvents();
         },
         {},
         [&] { return other->GetRowCount() == 0 && other->IsFillFailed(); }},
        {[&] {
           sheetWindow->showSystemMenu();
           QTest::mouseClick(sheetMenu, Qt::LeftButton, {},
                             sheetMenu->actionGeometry(sheetMenu->actions().last()).center());
         },
         {"当前文档已发生了变化，存盘吗？"}}};
    for (const auto& command : commands) {
      recorder.clear();
      recorder.script({command.answer});
      command.command();
      EXPECT_EQ(recorder.texts(), command.asked + QStringList{QString::fromUtf8(kLost)});
      EXPECT_TRUE(command.holds()) << qPrintable(command.asked.join(u' '));
    }
    KvShot(sheetWindow, QStringLiteral("lost_refresh_%1").arg(GetParam()));
    EXPECT_EQ(int(frame()->MdiClient()->subWindowList().size()), windows);
    EXPECT_TRUE(form->IsModified(reason));
    EXPECT_TRUE(timetable->HasUnsavedEdits(reason));
    KvShot(frame(), QStringLiteral("lost_frame_%1").arg(GetParam()));
  }
  ASSERT_TRUE(db()->IsOpen());
  QCoreApplication::processEvents();
  EXPECT_EQ(logins, 3);

  // Nothing was stored while the session was gone; the receipt, still open
  // as typed, is saved now.
  EXPECT_EQ(Receipts(), QStringList());
  EXPECT_EQ(Dues(), QStringList{student + QStringLiteral(" 01 500")});
  EXPECT_TRUE(sheet->HasUnsavedEdits(reason));
  EXPECT_TRUE(form->IsModified(reason));
  EXPECT_EQ(form->AmountEdit(0)->text(), QStringLiteral("120"));
  recorder.clear();
  grid->ExecuteCmd(KV_CMD_FILE_SAVE);
  EXPECT_EQ(Dues(), QStringList{student + QStringLiteral(" 01 600")});
  timetable->FindView<CForthView>()->ExecuteCmd(KV_CMD_FILE_SAVE);
  EXPECT_EQ(Column(QStringLiteral("Select rtrim(SBT) From PK")), QStringList{"0001"});
  recorder.script({KV_IDYES});
  KvPress(form, KV_IDOK);
  EXPECT_EQ(Receipts(), QStringList{student + QStringLiteral(" 01 120")});
  EXPECT_EQ(recorder.texts(), QStringList{"01：不足      480.00元\n保存吗？"});
  recorder.clear();
  // The second sheet, left empty by the node it could not read, reads it at the first F5.
  QTest::keyClick(other->FindView<CXxDjView0>(), Qt::Key_F5);
  EXPECT_EQ(other->GetRowCount(), 1);
  // The fee sheet reads the catalogue again.
  EXPECT_NE(Open<CXxDjDoc0>(255, [](QDialog* dialog) { dialog->reject(); }), nullptr);
  EXPECT_EQ(Dues(), QStringList{student + QStringLiteral(" 01 600")});
  EXPECT_EQ(recorder.texts(), QStringList());

  // Lost again while another station carries the year: one notice, that the kept windows' saves are refused.
  ASSERT_TRUE(endProgramSessions(m_dropName));
  EXPECT_EQ(OpenTemplate(255, [](QDialog* dialog) { dialog->reject(); }), nullptr);
  CKvDb carry(GetParam());
  ASSERT_TRUE(carry.Open(m_dropName, KvTestDb::ServerInfo(GetParam())) &&
              carry.Execute(QStringLiteral("Update SysTab Set MM=12")));
  EXPECT_TRUE(router->ExecuteOnFrame(KV_CMD_LOGIN));
  EXPECT_EQ(recorder.texts(), QStringList{"连接中断期间，本年度数据已结转到新年度。仍打开的窗口是结转前读出的数据，"
                                          "不能保存到已结转的本年度：本次注册后的保存都将被拒绝。"});
}

INSTANTIATE_TEST_SUITE_P(Kinds, KvLostConnectionTest, ::testing::Values(1, 2),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return info.param == 1 ? std::string("Odbc") : std::string("Libpq");
                         });
