// The year's end in the running program, on SQLite and on PostgreSQL: a
// generated fee year whose administrator has a password, the real start-up
// and login on it; the menu's new data file proposes the next year, takes
// the password in its prompt and carries the year forward; the login on the
// new year; units added, copied and pasted in the unit window; the entity
// renamed in the data-file information; and the login dialog's copy button
// making the year after, where the administrator's password is empty.

#include "KvBackupTestSupport.h"

#include "app/CKvDwRec.h"
#include "app/CKvLoginDlg.h"
#include "app/CKvXxApp.h"
#include "app/KvShellServices.h"
#include "app/KvUserSettings.h"
#include "app/KvOperatorStore.h"
#include "core/CKvDb.h"
#include "core/KvMessage.h"
#include "datafile/CKvDwDlg.h"
#include "datafile/CKvDwList.h"
#include "datafile/CKvNewDataFileDlg.h"
#include "datafile/CKvPasswordCheckDlg.h"
#include "datafile/KvDataFileInstall.h"
#include "school/KvSchoolInstall.h"
#include "support/KvTestDb.h"
#include "support/KvTestServerFiles.h"
#include "support/app/KvDialogAnswers.h"
#include "support/school/KvSchoolGen.h"
#include "timetable/KvTimetableInstall.h"
#include "ui/CKvCommandRouter.h"
#include "ui/KvAppServices.h"
#include "ui/KvCommands.h"
#include "ui/KvModal.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTreeView>


namespace {

class KvNewYearEndToEndTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    KvClearSettingsAndDataFolder();
    ASSERT_TRUE(m_folder.isValid());
    KvWriteBackupSettings(1, 0, m_folder.path() + QStringLiteral("/bak"));
    m_info = GetParam() == 0 ? CKvDbInfo(0) : KvTestDb::ServerInfo(2);
    m_answers.other = [this](QDialog* dialog) { return Answer(dialog); };
    m_previousExec = KvSetDialogExec([this](QDialog* dialog) { return m_answers.run(dialog); });
    // Every question is answered Yes; the texts are kept.
    m_previousHandler = KvSetMessageHandler([this](const KvMessage& message) {
      m_texts << message.text;
      return message.answers().contains(KV_IDYES) ? int(KV_IDYES) : message.defaultAnswer();
    });
    ASSERT_TRUE(GetParam() == 0 || m_serverFiles.Take());
  }
  void TearDown() override {
    KvSetMessageHandler(std::move(m_previousHandler));
    KvSetDialogExec(m_previousExec);
  }

  QString Name(int year) const {
    return GetParam() == 0 ? QStringLiteral("%1/%2.xxd").arg(m_folder.path()).arg(year)
                           : m_serverFiles.Name(year);
  }
  bool OpenYear(CKvDb* pDb, int year) const { return pDb->Open(Name(year), m_info); }

  // The login on a year as its operator 101 with the password.
  void LoginTo(int year, const QString& password) {
    m_answers.login = [this, year, password](CKvLoginDlg& dialog) {
      if (GetParam() == 0) {
        KvLoginItem<QComboBox>(dialog, CKvLoginDlg::IdKind)->setCurrentIndex(CKvLoginDlg::KindFile);
        KvLoginItem<QLineEdit>(dialog, CKvLoginDlg::IdFile)->setText(Name(year));
      } else {
        KvLoginItem<QComboBox>(dialog, CKvLoginDlg::IdKind)->setCurrentIndex(CKvLoginDlg::KindPostgres);
        KvLoginItem<QLineEdit>(dialog, CKvLoginDlg::IdServer)->setText(m_info.m_strServer);
        KvLoginItem<QLineEdit>(dialog, CKvLoginDlg::IdUser)->setText(m_info.m_strUser);
        KvLoginItem<QLineEdit>(dialog, CKvLoginDlg::IdServerPassword)->setText(m_info.m_strPassword);
        KvLoginItem<QLineEdit>(dialog, CKvLoginDlg::IdDatabase)->setText(Name(year));
      }
      SelectAdministrator(dialog, password);
      return true;
    };
  }
  static void SelectAdministrator(CKvLoginDlg& dialog, const QString& password) {
    auto* operators = KvLoginItem<QComboBox>(dialog, CKvLoginDlg::IdOperator);
    operators->setCurrentIndex(operators->findData(QStringLiteral("101")));
    KvLoginItem<QLineEdit>(dialog, CKvLoginDlg::IdPassword)->setText(password);
  }

  static void Type(QWidget* dialog, int id, const QString& text) {
    auto* edit = KvDlgItem<QLineEdit>(dialog, id);
    ASSERT_NE(edit, nullptr) << id;
    edit->setText(text);
  }
  static void Press(QWidget* dialog, int id) {
    auto* button = KvDlgItem<QAbstractButton>(dialog, id);
    ASSERT_NE(button, nullptr) << id;
    button->click();
  }

  // The dialogs besides the login: the unit edit takes the next name of its
  // queue (none: Cancel); the others run the step's script.
  int Answer(QDialog* dialog) {
    if (dialog->objectName() == u"dlg_791") {
      if (m_unitNames.isEmpty()) {
        dialog->reject();
      } else {
        const QString name = m_unitNames.takeFirst();
        Type(dialog, 1003, name);
        Type(dialog, 1004, name);
        Press(dialog, KV_IDOK);
      }
    } else if (m_script) {
      m_script(dialog);
    } else {
      dialog->reject();
    }
    return dialog->isVisible() ? int(QDialog::Rejected) : dialog->result();
  }

  void Run(int command, std::function<void(QDialog*)> script) {
    m_script = std::move(script);
    ASSERT_TRUE(CKvCommandRouter::Instance()->IsEnabled(command)) << command;
    CKvCommandRouter::Instance()->Execute(command);
    m_script = nullptr;
  }

  QStringList Column(CKvDb* pDb, const QString& sql) {
    QStringList values;
    pDb->QueryTexts(sql, &values, 1);
    for (QString& value : values)
      value = value.trimmed();
    values.sort();
    return values;
  }

  QTemporaryDir m_folder;
  CKvDbInfo m_info;
  KvTestServerFiles m_serverFiles;  // the years of the test's set and their copies
  KvDialogAnswers m_answers;
  std::function<void(QDialog*)> m_script;
  QStringList m_unitNames;
  QStringList m_texts;
  KvDialogExecFn m_previousExec;
  KvMessageHandler m_previousHandler;
};

}  // namespace

TEST_P(KvNewYearEndToEndTest, TheNextYearUnitsInformationAndACopyThroughTheMenus) {
  const int kind = GetParam();
  if (kind != 0)
    KV_REQUIRE_PG_SERVER();
  KvInstallSchool();
  KvInstallTimetable();
  CKvXxApp app;
  KvInstallShellServices();
  KvInstallDataFile();
  app.InitInstance();

  // The generated year; the administrator's password has upper and lower case.
  const QString password = QStringLiteral("Pass");
  {
    CKvDb db(kind);
    KvSchoolGenOptions options;
    options.nYear = 2024;
    options.nStudents = 300;
    options.nClassesPerGrade = 2;
    ASSERT_TRUE(db.CreateDatabase(Name(2024), m_info));
    ASSERT_TRUE(KvGenerateSchoolYear(&db, options)) << m_texts.join(u'\n').toStdString();
    ASSERT_TRUE(KvOperatorStore::SetPassword(&db, QStringLiteral("101"), password));
  }
  LoginTo(2024, password);
  ASSERT_TRUE(app.StartUp(kind == 0 ? QStringList{QStringLiteral("kvqy"), Name(2024)} : QStringList{QStringLiteral("kvqy")}))
      << m_texts.join(u'\n').toStdString();
  ASSERT_TRUE(app.GetDb()->IsOpen());
  ASSERT_EQ(app.GetDataFile().GetYear(), 2024);

  // 1. The new data file proposes 2025; its prompt is answered with the
  // wrong case first, then with the password; the carry runs.
  QStringList typed = {QStringLiteral("pass"), password};
  m_texts.clear();
  m_answers.seen.clear();
  Run(KV_CMD_NEW_DATA_FILE, [&](QDialog* dialog) {
    if (auto* prompt = qobject_cast<CKvPasswordCheckDlg*>(dialog)) {
      while (!typed.isEmpty() && prompt->isVisible()) {
        Type(prompt, CKvPasswordCheckDlg::IdPassword, typed.takeFirst());
        Press(prompt, KV_IDOK);
      }
      return;
    }
    ASSERT_EQ(dialog->objectName(), QStringLiteral("dlg_813"));
    EXPECT_EQ(KvDlgItem<QLineEdit>(dialog, CKvNewDataFileDlg::IdYear)->text(), QStringLiteral("2025"));
    Press(dialog, KV_IDOK);
  });
  EXPECT_EQ(m_answers.seen, (QStringList{QStringLiteral("dlg_813"), QStringLiteral("dlg_793")}));
  EXPECT_TRUE(m_texts.contains(QStringLiteral("口令不正确，请重新录入！"))) << m_texts.join(u'\n').toStdString();
  EXPECT_TRUE(m_texts.contains(QStringLiteral("结转完毕！"))) << m_texts.join(u'\n').toStdString();
  // The previous year was copied first; no working copy is left.
  EXPECT_EQ(QDir(m_folder.path() + QStringLiteral("/bak")).entryList(QDir::Files).size(), 1);
  if (kind == 0) {
    EXPECT_FALSE(QFileInfo::exists(Name(2025) + QStringLiteral(".part")));
  } else {
    CKvDb master(kind);
    ASSERT_TRUE(master.Open(QStringLiteral("master"), m_info));
    EXPECT_FALSE(master.DatabaseExists(Name(2025) + QStringLiteral("_part")));
  }

  // 2. The previous year is closed; every fee line carried equals its line
  // in 2024.
  {
    CKvDb previous(kind);
    CKvDb next(kind);
    ASSERT_TRUE(OpenYear(&previous, 2024));
    ASSERT_TRUE(OpenYear(&next, 2025));
    EXPECT_EQ(previous.LookupLong(QStringLiteral("max(MM) From SysTab")), 12);
    EXPECT_EQ(next.LookupLong(QStringLiteral("max(PY) From SysTab")), 2025);
    const QRegularExpression feeLine(QStringLiteral("^pc:"));
    const QStringList oldLines = KvDataFileState(&previous).filter(feeLine);
    const QStringList newLines = KvDataFileState(&next).filter(feeLine);
    EXPECT_FALSE(newLines.isEmpty());
    for (const QString& line : newLines)
      EXPECT_TRUE(oldLines.contains(line)) << line.toStdString();
  }

  // 3. The login on the new year.
  LoginTo(2025, password);
  m_answers.seen.clear();
  Run(KV_CMD_LOGIN, nullptr);
  ASSERT_TRUE(app.GetDb()->IsOpen());
  EXPECT_EQ(app.GetDataFile().GetYear(true), 2025);
  EXPECT_EQ(app.GetDataFile().GetFileName(), Name(2025));

  // 4. Units 01 and 02 at the top, 0101 under 01; a copy of 0101 pasted
  // onto 02 becomes 0201.
  Run(KV_CMD_UNITS, [&](QDialog* dialog) {
    auto* units = qobject_cast<CKvDwDlg*>(dialog);
    ASSERT_NE(units, nullptr) << dialog->objectName().toStdString();
    CKvDwList* list = units->List();
    const auto select = [list](const QString& code) {
      list->DetailsView()->selectionModel()->clearSelection();
      list->SelectTexts({code});
    };
    m_unitNames = {QStringLiteral("一校"), QStringLiteral("二校")};
    units->Button(KV_CMD_NEW_SIBLING)->click();
    select(QStringLiteral("01"));
    m_unitNames = {QStringLiteral("一校分部")};
    units->Button(KV_CMD_NEW)->click();
    select(QStringLiteral("0101"));
    units->Button(KV_CMD_EDIT_COPY)->click();
    select(QStringLiteral("02"));
    units->Button(KV_CMD_EDIT_PASTE)->click();
    dialog->reject();
  });
  EXPECT_EQ(Column(app.GetDb(), QStringLiteral("Select KNO From KVDW")),
            (QStringList{"01", "0101", "02", "0201"}));
  EXPECT_EQ(Column(app.GetDb(), QStringLiteral("Select JA From KVDW Where KNO='0201'")),
            QStringList{QStringLiteral("一校分部")});

  // 5. The entity renamed in the data-file information.
  const QString entity = QStringLiteral("新区实验学校");
  Run(KV_CMD_DATA_FILE_INFO, [&](QDialog* dialog) {
    ASSERT_EQ(dialog->objectName(), QStringLiteral("dlg_816"));
    Type(dialog, 1105, entity);
    Press(dialog, KV_IDOK);
  });
  EXPECT_EQ(Column(app.GetDb(), QStringLiteral("Select NA From SysTab")), QStringList{entity});

  // 6. The login dialog's copy button makes 2026 from the file it names;
  // the administrator logs in there with an empty password.
  m_answers.login = [&](CKvLoginDlg& dialog) {
    m_script = [&](QDialog* made) {
      ASSERT_EQ(made->objectName(), QStringLiteral("dlg_813"));
      Type(made, CKvNewDataFileDlg::IdYear, QStringLiteral("2026"));
      Press(made, KV_IDOK);
    };
    KvLoginItem<QPushButton>(dialog, CKvLoginDlg::IdCopyFile)->click();
    m_script = nullptr;
    SelectAdministrator(dialog, QString());
    return true;
  };
  m_texts.clear();
  Run(KV_CMD_LOGIN, nullptr);
  EXPECT_TRUE(m_texts.contains(QStringLiteral("数据文件“%1” 创建成功！").arg(Name(2026))))
      << m_texts.join(u'\n').toStdString();
  ASSERT_TRUE(app.GetDb()->IsOpen());
  EXPECT_EQ(app.GetDataFile().GetFileName(), Name(2026));
  EXPECT_EQ(app.GetDataFile().GetYear(true), 2026);
  EXPECT_EQ(app.GetDataFile().GetOperatorCode(), u"101");
  EXPECT_EQ(Column(app.GetDb(), QStringLiteral("Select NA From SysTab")), QStringList{entity});
  EXPECT_EQ(Column(app.GetDb(), QStringLiteral("Select KNO From KVDW")), (QStringList{"01", "0101", "02", "0201"}));

  KvRequestQuit(0);
  app.ExitInstance();
}

INSTANTIATE_TEST_SUITE_P(Kinds, KvNewYearEndToEndTest, ::testing::Values(0, 2),
                         [](const ::testing::TestParamInfo<int>& param) {
                           return param.param == 0 ? std::string("Sqlite") : std::string("Pg");
                         });
