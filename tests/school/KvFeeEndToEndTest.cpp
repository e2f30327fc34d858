// The fee module from the program's first start, on SQLite and on
// PostgreSQL: the login makes a new data file; the operator adds two fee
// items in the catalogue and a unit, a grade, a class and two students in
// the directory, each through its form; due lines for both students and a
// receipt for the first are written; then the fee statistics, the fee
// detail and the first student's ledger, opened from the template box with
// their dialogs answered, show what was paid.

#include "KvFeeUiTestSupport.h"

#include "app/CKvMainFrm.h"
#include "support/app/KvDialogAnswers.h"
#include "app/KvShellTestApp.h"
#include "core/KvDate.h"
#include "core/KvMessage.h"
#include "forms/CFormChildFrm.h"
#include "forms/CKvTemplateList.h"
#include "school/CKvCostEditDlg.h"
#include "school/CKvCostListDlg.h"
#include "school/CKvStdDirDlg.h"
#include "school/CKvStdEditDlg.h"
#include "school/CPc.h"
#include "school/CXxDataType.h"
#include "school/CXxRptDoc.h"
#include "school/CXxRptOpenDlg1.h"
#include "school/KvSchoolInstall.h"
#include "support/KvTestDb.h"
#include "ui/CKvCommandRouter.h"
#include "ui/CMdiClient.h"
#include "ui/KvAppServices.h"
#include "ui/KvCommands.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDate>
#include <QRandomGenerator>

namespace {

const QStringList kItems = {QStringLiteral("学费"), QStringLiteral("书本费")};
const double kAmounts[] = {1000, 200};

}  // namespace

class KvFeeEndToEndTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    KvInstallSchool();
    KvClearSettingsAndDataFolder();
    m_answers.other = [this](QDialog* dialog) { return answer(dialog); };
  }
  void TearDown() override {
    // The shut-down of the program, which ends the working period.
    if (db()->IsOpen())
      KvRequestQuit(0);
    if (!m_dropName.isEmpty()) {
      CKvDb admin(2);
      admin.DropDatabase(m_dropName, KvTestDb::ServerInfo(2));
    }
  }

  // Starts the program on a new data file of the parameter's kind and logs
  // in as 101; false (test skipped) without a PostgreSQL server.
  bool StartUp() {
    if (GetParam() == 2) {
      const CKvDbInfo server = KvTestDb::ServerInfo(2);
      CKvDb admin(2);
      if (server.m_strServer.isEmpty() || !admin.Open(QStringLiteral("master"), server)) {
        if (KvTestDbMustReachServer())
          ADD_FAILURE() << "PostgreSQL needed";
        return false;
      }
      admin.Close();
      m_dropName = QStringLiteral("xxd%1%2")
                       .arg(QRandomGenerator::global()->bounded(1, 10000), 4, 10, QChar(u'0'))
                       .arg(QDate::currentDate().year());
      admin.DropDatabase(m_dropName, server);
      m_answers.login = KvNewPostgresFileLogin(server, m_dropName);
    }
    return m_app.StartUp({QStringLiteral("kvqy")});
  }

  // The catalogue and the node forms get the next name of their queue and
  // OK; an empty name or queue cancels, which ends their New loop. The directory
  // and the reports' dialogs run the test's script.
  int answer(QDialog* dialog) {
    const QString name = dialog->objectName();
    if (name == u"dlg_955" || name == u"dlg_951" || name == u"dlg_952" || name == u"dlg_953") {
      const QString next = m_names.isEmpty() ? QString() : m_names.takeFirst();
      if (next.isEmpty()) {
        dialog->reject();
      } else {
        const int id = name == u"dlg_955" ? int(CKvCostEditDlg::IDC_NAME) : int(CKvStdEditDlg::IDC_NAME);
        KvSetField(dialog, id, next);
        KvPress(dialog, KV_IDOK);
      }
    } else if (m_script) {
      m_script(dialog);
    } else {
      dialog->reject();
    }
    return dialog->result();
  }

  // Runs the Settings command with `script` answering its dialog.
  void RunSettings(int id, std::function<void(QDialog*)> script) {
    m_script = std::move(script);
    ASSERT_TRUE(CKvCommandRouter::Instance()->IsEnabled(id)) << id;
    CKvCommandRouter::Instance()->Execute(id);
    m_script = nullptr;
  }

  // Opens the report from the fee page of the template box; null when no
  // window opened.
  CXxRptDoc* OpenReport(int flag, std::function<void(QDialog*)> script) {
    CKvTemplateList* list = CXxDataType::Get()->GetTemplateList();
    if (!list)
      return nullptr;
    list->SelectRow(list->FindRow(flag, 0));
    m_script = std::move(script);
    const int before = int(frame()->MdiClient()->subWindowList().size());
    CKvCommandRouter::Instance()->Execute(KV_CMD_FILE_OPEN);
    m_script = nullptr;
    const QList<QMdiSubWindow*> windows = frame()->MdiClient()->subWindowList();
    if (windows.size() == before)
      return nullptr;
    auto* child = qobject_cast<CFormChildFrm*>(windows.last());
    return child ? dynamic_cast<CXxRptDoc*>(child->GetDocument()) : nullptr;
  }

  CKvMainFrm* frame() const { return m_app.GetMainFrame(); }
  CKvDb* db() { return m_app.GetDb(); }
  QStringList Column(const QString& sql) {
    QStringList values;
    db()->QueryTexts(sql, &values, 1);
    return values;
  }

  KvDialogAnswers m_answers;
  KvScopedDialogExec m_exec{[this](QDialog* dialog) { return m_answers.run(dialog); }};
  KvShellTestApp m_app;
  QStringList m_names;
  std::function<void(QDialog*)> m_script;
  QString m_dropName;
};

TEST_P(KvFeeEndToEndTest, ItemsAndTheSchoolEnteredInTheirWindowsReachTheReports) {
  KvMessageRecorder recorder;
  if (!StartUp()) {
    if (HasFailure())
      return;
    GTEST_SKIP() << "no PostgreSQL server";
  }
  EXPECT_EQ(recorder.texts(), QStringList());
  ASSERT_EQ(db()->GetKind(), GetParam());
  ASSERT_EQ(KvGetActiveDataType(), CXxDataType::Get());
  // The operators dialog of a new file, where the administrator would give
  // himself the fee module's rights.
  ASSERT_TRUE(KvGrantRights(m_app, {QStringLiteral("0081"), QStringLiteral("0082"), QStringLiteral("0083"),
                                    QStringLiteral("1801"), QStringLiteral("1810"), QStringLiteral("1812"),
                                    QStringLiteral("1814")}));

  // The catalogue: New from the empty list, two items, then Cancel.
  m_names = kItems;
  RunSettings(KV_CMD_SET_FEE_ITEMS, [](QDialog* dialog) {
    KvPress(dialog, CKvCostListDlg::IDC_NEW);
    dialog->reject();
  });
  EXPECT_TRUE(m_names.isEmpty());
  const QStringList items = Column(QStringLiteral("Select rtrim(KNO) From COST Order By KNO"));
  ASSERT_EQ(Column(QStringLiteral("Select rtrim(NA) From COST Order By KNO")), kItems);

  // The directory: a unit, a grade below it, a class below that and two
  // students in the class, each level entered through 进子项 on the row
  // just added.
  m_names = QStringList{"本校", "", "新生级", "", "一班", "", "张三", "李四", ""};
  RunSettings(KV_CMD_SET_SCHOOL_TREE, [](QDialog* dialog) {
    for (int level = 0; level < 4; ++level) {
      if (level > 0)
        KvPress(dialog, CKvStdDirDlg::IDC_DOWN);
      KvPress(dialog, CKvStdDirDlg::IDC_NEW);
    }
    dialog->reject();
  });
  EXPECT_TRUE(m_names.isEmpty());
  ASSERT_EQ(Column(QStringLiteral("Select rtrim(NA) From STD Order By KNO")),
            (QStringList{"本校", "新生级", "一班", "张三", "李四"}));
  const QStringList codes = Column(QStringLiteral("Select rtrim(KNO) From STD Order By KNO"));
  EXPECT_EQ(codes.at(3).size(), CXxDataType::StudentCodeLen());
  EXPECT_TRUE(codes.at(4).startsWith(codes.at(2)) && codes.at(2).startsWith(codes.at(1)) &&
              codes.at(1).startsWith(codes.at(0)));

  // Due lines for both students in their grade's first term, and the first
  // student's receipt paying them in full.
  const QString today = KvNowText(QStringLiteral("%Y%m%d"));
  const QString year = today.left(4);
  CPc due;
  due.F = 1;
  due.T = today;
  due.DH = CPc::NextVoucherNo(1, year, db());
  due.Opr0 = CPc::CurrentOperator();
  EXPECT_EQ(due.Opr0, QStringLiteral("101"));
  const QString receiptNo = CPc::NextVoucherNo(-1, year, db());
  QList<CPc> receipt;
  for (int student : {3, 4})
    for (int i = 0; i < 2; ++i) {
      due.STD = codes.at(student);
      due.COST = items.at(i);
      due.My = kAmounts[i];
      ASSERT_TRUE(due.Insert(db()));
      if (student == 3) {
        CPc paid = due;
        paid.F = -1;
        paid.DH = receiptNo;
        receipt.append(paid);
      }
    }
  ASSERT_TRUE(CPc::InsertVoucher(receipt, db()));
  EXPECT_EQ(Column(QStringLiteral("Select Count(*) From PC Where F=1 And QC=0")), QStringList{"4"});
  EXPECT_EQ(Column(QStringLiteral("Select Count(*) From PC Where F=-1 And QC=0")), QStringList{"2"});

  // The statistics of what was paid, down to the classes, in the year and
  // season of term 0: the grade's start year and the season it starts in.
  const QString start = Column(QStringLiteral("Select XQT0 From STD Where KNO='%1'").arg(codes.at(1))).value(0);
  const int season = Column(QStringLiteral("Select XQL From STD Where KNO='%1'").arg(codes.at(1))).value(0).toInt();
  CXxRptDoc* doc = OpenReport(259, [&](QDialog* dialog) {
    EXPECT_EQ(dialog->objectName(), QStringLiteral("dlg_960"));
    KvSetField(dialog, CXxRptOpenDlg1::IDC_YEAR, start.left(4));
    KvPress(dialog, season == 1 ? CXxRptOpenDlg1::IDC_SPRING : CXxRptOpenDlg1::IDC_AUTUMN);
    auto* depth = KvDlgItem<QComboBox>(dialog, CXxRptOpenDlg1::IDC_DEPTH);
    depth->setCurrentIndex(depth->findText(QStringLiteral("班")));
    KvPress(dialog, KV_IDOK);
  });
  ASSERT_NE(doc, nullptr);
  QStringList classRow;
  for (int row = 0; row < doc->GetRowCount(); ++row)
    if (doc->RowKey(row) == codes.at(2))
      classRow = KvShownCells(doc, row);
  EXPECT_EQ(classRow.mid(1), (QStringList{"1", "1000.00", "200.00", "1200.00"}));
  EXPECT_EQ(classRow.value(0).trimmed(), QStringLiteral("一班"));
  doc->OnCloseDocument();

  // The fee detail of the year lists the receipt.
  doc = OpenReport(257, [&](QDialog* dialog) {
    EXPECT_EQ(dialog->objectName(), QStringLiteral("dlg_959"));
    KvSetField(dialog, 1054, year);
    KvSetField(dialog, 1060, year);
    KvPress(dialog, KV_IDOK);
  });
  ASSERT_NE(doc, nullptr);
  ASSERT_EQ(doc->GetRowCount(), 1);
  EXPECT_EQ(KvShownCells(doc, 0),
            (QStringList{today.mid(4, 2), today.right(2), receiptNo, "张三", "1", "1000.00", "200.00",
                         "1200.00", "101", ""}));
  doc->OnCloseDocument();

  // The ledger of the student picked in the directory: OK goes down from
  // the unit to the class's first student and picks him.
  doc = OpenReport(261, [&](QDialog* dialog) {
    EXPECT_EQ(dialog->objectName(), QStringLiteral("dlg_950"));
    for (int press = 0; press < 4 && dialog->isVisible(); ++press)
      KvPress(dialog, KV_IDOK);
  });
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->m_filter.strStdPrefix, codes.at(3));
  // The term, its due voucher, then the receipt; nothing owed.
  ASSERT_EQ(doc->GetRowCount(), 3);
  EXPECT_EQ(KvShownCells(doc, 0).value(4), QStringLiteral("  第1学期"));
  const QString numbers[] = {due.DH, receiptNo};
  for (int row = 1; row <= 2; ++row)
    EXPECT_EQ(KvShownCells(doc, row), (QStringList{year, today.mid(4, 2), today.right(2), numbers[row - 1], "",
                                                   "1000.00", "200.00", "1200.00", "101", ""}));
  doc->OnCloseDocument();

  EXPECT_EQ(recorder.texts(), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Kinds, KvFeeEndToEndTest, ::testing::Values(0, 2),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return info.param == 0 ? std::string("SQLite") : std::string("PostgreSQL");
                         });
