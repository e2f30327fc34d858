#pragma once
// The real start-up in a test: fresh settings and data folder, a school
// edition whose fee module opens a document window on 57601, and the modal
// seam answering the login dialog (KvDialogAnswers).

#include "KvShellTestApp.h"
#include "app/CKvLoginDlg.h"
#include "app/CKvMainFrm.h"
#include "core/KvFolders.h"
#include "core/KvRegistry.h"
#include "ui/CMdiClient.h"
#include "ui/KvObjectNames.h"
#include "support/app/KvDialogAnswers.h"
#include "ui/KvUiTestSupport.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDate>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <functional>

// Module 18 or 19 with a tab and its Settings menu; 57601 opens an empty
// document window in the work area.
class KvWindowModule : public CKvDataType {
 public:
  KvWindowModule(int nModule, int nMenu, const QString& label) {
    m_nModule = nModule;
    m_nMenuId = nMenu;
    m_strCaption = m_strTabLabel = label;
  }
  void OnFileOpen() override {
    QMdiSubWindow* window = KvGetMdiClient()->addSubWindow(new QWidget);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(QStringLiteral("文档"));
    window->show();
  }
  bool CreateTables(CKvDb* pDb) override { return !failTables && CKvDataType::CreateTables(pDb); }
  int GetMonthCode() override { return monthCode; }
  void GetModuleRights(QStringList& codes, QStringList& names) override {
    codes << QStringLiteral("06");
    names << QStringLiteral("设置业务月");
  }

  bool failTables = false;
  int monthCode = -1;
};

class KvStartUpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KvClearSettingsAndDataFolder();
    m_app.createModules = [this](KvShellTestApp& a) {
      m_fees = new KvWindowModule(18, 325, QStringLiteral("收费"));
      a.AddDataType(m_fees);
      a.AddDataType(new KvWindowModule(19, 326, QStringLiteral("排课")));
    };
  }

  static int year() { return QDate::currentDate().year(); }
  static QString defaultFile() {
    return QStringLiteral("%1/%2.xxd").arg(KvDefaultDataFolder()).arg(year());
  }
  static QString setting(const QString& name, const QString& subKey = QString()) {
    QString value = QStringLiteral("<none>");
    KvRegReadString(KvRegRoot::CurrentUser,
                    subKey.isEmpty() ? KvGetRegKeyPath() : KvGetRegKeyPath() + u'\\' + subKey,
                    name, &value);
    return value;
  }
  static void setSetting(const QString& name, const QString& value) {
    KvRegWriteString(KvRegRoot::CurrentUser, KvGetRegKeyPath(), name, value);
  }
  CKvMainFrm* frame() const { return m_app.GetMainFrame(); }

  KvDialogAnswers m_answers;
  KvScopedDialogExec m_exec{[this](QDialog* dialog) { return m_answers.run(dialog); }};
  KvShellTestApp m_app;
  KvWindowModule* m_fees = nullptr;
};
