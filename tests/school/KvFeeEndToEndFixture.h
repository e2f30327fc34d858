#pragma once
// The fee module from the program's first start, on SQLite and on
// PostgreSQL (kind 2): the real start-up with the fee module installed, the
// login answered so that it makes a new data file, and the operator's work
// done through the program's own windows: the catalogue and the directory
// through the Settings commands, each entry through its form, and the
// module's windows opened from the fee page of the template box with their
// dialogs answered by the test's script. The fake printer catalogue has no
// printers, so prints go to PDF files.

#include "KvFeeUiTestSupport.h"

#include "app/CKvMainFrm.h"
#include "app/KvShellTestApp.h"
#include "core/KvFakePrinterCatalogue.h"
#include "core/KvMessage.h"
#include "forms/CFormChildFrm.h"
#include "forms/CKvTemplateList.h"
#include "school/CKvCostEditDlg.h"
#include "school/CKvCostListDlg.h"
#include "school/CKvStdDirDlg.h"
#include "school/CKvStdEditDlg.h"
#include "school/CXxDataType.h"
#include "school/KvSchoolInstall.h"
#include "support/KvTestDb.h"
#include "support/KvTestServerFiles.h"
#include "support/app/KvDialogAnswers.h"
#include "ui/CKvCommandRouter.h"
#include "ui/CMdiClient.h"
#include "ui/KvAppServices.h"
#include "ui/KvCommands.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QMdiSubWindow>
#include <functional>

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
  }

  // Takes a data file of this year on the server for the test (m_dropName);
  // false, the test failed under CI, when the server cannot be reached.
  bool TakeServerFile() {
    QString whyNot;
    if (!m_serverFiles.Take(&whyNot)) {
      if (KvTestDbMustReachServer())
        ADD_FAILURE() << "PostgreSQL needed: " << whyNot.toStdString();
      return false;
    }
    m_dropName = m_serverFiles.Name(QDate::currentDate().year());
    return true;
  }

  // Starts the program on a new data file of the parameter's kind and logs
  // in as 101; false (test skipped) without a PostgreSQL server.
  bool StartUp() {
    if (GetParam() == 2) {
      if (!TakeServerFile())
        return false;
      m_answers.login = KvNewPostgresFileLogin(KvTestDb::ServerInfo(2), m_dropName);
    }
    return m_app.StartUp({QStringLiteral("kvqy")});
  }

  // The catalogue and the node forms get the next name of their queue and
  // OK; an empty name or queue cancels, which ends their New loop. The
  // other dialogs run the test's script, or are cancelled without one.
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

  // The catalogue (45001): New from the empty list enters the items, then
  // the list is closed. Returns the stored items' codes.
  QStringList EnterItems(const QStringList& names) {
    m_names = names;
    RunSettings(KV_CMD_SET_FEE_ITEMS, [](QDialog* dialog) {
      KvPress(dialog, CKvCostListDlg::IDC_NEW);
      dialog->reject();
    });
    EXPECT_TRUE(m_names.isEmpty());
    EXPECT_EQ(Column(QStringLiteral("Select rtrim(NA) From COST Order By KNO")), names);
    return Column(QStringLiteral("Select rtrim(KNO) From COST Order By KNO"));
  }

  // The directory (45000): a unit, a grade below it, a class below that
  // and the students in the class, each level entered through 进子项 on
  // the row just added. Returns the stored codes in code order (unit,
  // grade, class, students).
  QStringList EnterSchool(const QString& unit, const QString& grade, const QString& klass,
                          const QStringList& students) {
    m_names = QStringList{unit, QString(), grade, QString(), klass, QString()} + students + QStringList{QString()};
    RunSettings(KV_CMD_SET_SCHOOL_TREE, [](QDialog* dialog) {
      for (int level = 0; level < 4; ++level) {
        if (level > 0)
          KvPress(dialog, CKvStdDirDlg::IDC_DOWN);
        KvPress(dialog, CKvStdDirDlg::IDC_NEW);
      }
      dialog->reject();
    });
    EXPECT_TRUE(m_names.isEmpty());
    EXPECT_EQ(Column(QStringLiteral("Select rtrim(NA) From STD Order By KNO")),
              QStringList({unit, grade, klass}) + students);
    return Column(QStringLiteral("Select rtrim(KNO) From STD Order By KNO"));
  }

  // Opens the window of template `flag` from the fee page of the template
  // box, `script` answering its dialogs; null when no window opened.
  CKvDoc* OpenTemplate(int flag, std::function<void(QDialog*)> script) {
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
    return child ? child->GetDocument() : nullptr;
  }
  template <class Doc>
  Doc* Open(int flag, std::function<void(QDialog*)> script) {
    return dynamic_cast<Doc*>(OpenTemplate(flag, std::move(script)));
  }

  CKvMainFrm* frame() const { return m_app.GetMainFrame(); }
  CKvDb* db() { return m_app.GetDb(); }
  QStringList Column(const QString& sql) {
    QStringList values;
    db()->QueryTexts(sql, &values, 1);
    return values;
  }

  // First, so that it goes last: the data files are dropped once the
  // program has let them go.
  KvTestServerFiles m_serverFiles;
  KvFakePrinterCatalogue m_printers;  // no printers: prints go to PDF files
  KvDialogAnswers m_answers;
  KvScopedDialogExec m_exec{[this](QDialog* dialog) { return m_answers.run(dialog); }};
  KvShellTestApp m_app;
  QStringList m_names;
  std::function<void(QDialog*)> m_script;
  QString m_dropName;  // the data file on the server
};

// A test of the fixture on SQLite and on PostgreSQL through libpq.
#define KV_FEE_END_TO_END_SUITE(fixture)                                                   \
  INSTANTIATE_TEST_SUITE_P(Kinds, fixture, ::testing::Values(0, 2),                        \
                           [](const ::testing::TestParamInfo<int>& info) {                 \
                             return info.param == 0 ? std::string("SQLite") : std::string("PostgreSQL"); \
                           })
