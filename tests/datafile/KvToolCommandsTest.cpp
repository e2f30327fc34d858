// The system menu's commands reach the tools once they are installed: the
// SQL console and the account information open on the data file, the log
// command opens the log window in the work area.

#include "KvToolsTestSupport.h"

#include "ui/KvCommands.h"
#include "ui/KvUiTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QMdiSubWindow>

class KvToolCommandsTest : public KvToolsDbTest {};

TEST_P(KvToolCommandsTest, TheSystemCommandsOpenTheirWindows) {
  KvToolsFrame frame(InfoTab());
  QStringList opened;
  KvScopedDialogExec exec([&opened](QDialog* dialog) {
    opened.append(dialog->objectName());
    return int(QDialog::Rejected);
  });
  for (int id : {int(KV_CMD_SQL_CONSOLE), int(KV_CMD_ACCOUNT_INFO), int(KV_CMD_VIEW_LOG)})
    EXPECT_TRUE(m_app->IsCmdEnabled(id)) << id;
  m_app->ExecuteCmd(KV_CMD_SQL_CONSOLE);
  m_app->ExecuteCmd(KV_CMD_ACCOUNT_INFO);
  EXPECT_EQ(opened, (QStringList{QStringLiteral("dlg_795"), QStringLiteral("dlg_823")}));

  m_app->ExecuteCmd(KV_CMD_VIEW_LOG);
  const QList<QMdiSubWindow*> windows = frame.area.subWindowList();
  ASSERT_EQ(windows.size(), 1);
  EXPECT_EQ(windows.first()->windowTitle(), QStringLiteral("操作日志"));
  windows.first()->close();
  QApplication::processEvents();
}

INSTANTIATE_TEST_SUITE_P(File, KvToolCommandsTest, ::testing::Values(0), KvDbKindName);
