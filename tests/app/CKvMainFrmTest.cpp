// The main frame after a real start-up: which commands of the main menu
// operators 101 and 102 may run, the Settings menu of the active module,
// 57600 showing a hidden template box, the template box's size, side and
// tab kept in the settings, and the close that stops at the first window
// that stays open.

#include "KvStartUpTestSupport.h"
#include "app/CKvTemplateBox.h"
#include "core/KvMessage.h"
#include "ui/CKvCommandRouter.h"
#include "ui/KvCommands.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>

namespace {

using Ids = QList<int>;

bool enabled(int id) { return CKvCommandRouter::Instance()->IsEnabled(id); }

// Unsaved work: 否 closes it; 取消, and 是 as a failed save, keep it open.
// Its question stands over it: it is the active window then.
class KvUnsavedWindow : public QWidget {
 protected:
  void closeEvent(QCloseEvent* event) override {
    auto* window = qobject_cast<QMdiSubWindow*>(parentWidget());
    EXPECT_EQ(window->mdiArea()->currentSubWindow(), window);
    event->setAccepted(KvMessageBox(QStringLiteral("当前文档已发生了变化，存盘吗？"),
                                    KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION) == KV_IDNO);
  }
};

}  // namespace

class CKvMainFrmTest : public KvStartUpTest {
 protected:
  // Logs in to a new default data file as `op`.
  void startAs(const QString& op) {
    m_answers.login = [op](CKvLoginDlg& dialog) {
      auto* ops = KvLoginItem<QComboBox>(dialog, CKvLoginDlg::IdOperator);
      ops->setCurrentIndex(ops->findData(op));
      return true;
    };
    ASSERT_TRUE(m_app.StartUp({QStringLiteral("kvqy")}));
  }
  // The commands the settings menu shows now.
  QList<int> settingsMenu() const {
    QList<int> ids;
    for (QAction* menu : frame()->menuBar()->actions()) {
      if (menu->text() != QStringLiteral("设置(&S)") || !menu->isVisible())
        continue;
      for (QAction* action : menu->menu()->actions())
        ids << action->data().toInt();
    }
    return ids;
  }
};

TEST_F(CKvMainFrmTest, TheAdministratorRunsTheSystemCommands) {
  startAs(QStringLiteral("101"));
  for (int id : Ids{KV_CMD_OPERATORS, KV_CMD_PASSWORD, KV_CMD_PRINTERS,
                 KV_CMD_FILE_PRINT_SETUP, KV_CMD_LOGIN, KV_CMD_CALCULATOR, KV_CMD_HELP})
    EXPECT_TRUE(enabled(id)) << id;
  // Dialogs that later parts bring stay off until they are installed; 101
  // holds no right "0005".
  for (int id : Ids{KV_CMD_NEW_DATA_FILE, KV_CMD_BACKUP, KV_CMD_SQL_CONSOLE, KV_CMD_UNITS,
                 KV_CMD_VIEW_LOG, KV_CMD_PRINT_POSITIONS})
    EXPECT_FALSE(enabled(id)) << id;
  int opened = 0;
  const Ids openers{KV_CMD_NEW_DATA_FILE, KV_CMD_BACKUP, KV_CMD_SQL_CONSOLE, KV_CMD_UNITS,
                    KV_CMD_VIEW_LOG};
  for (int id : openers)
    m_app.SetCommandOpener(id, [&opened] { ++opened; return false; });
  for (int id : openers)
    EXPECT_TRUE(CKvCommandRouter::Instance()->Execute(id)) << id;
  EXPECT_EQ(opened, 5);
  m_app.SetCommandOpener(KV_CMD_UNITS, {});
  EXPECT_FALSE(enabled(KV_CMD_UNITS));

  // No data-file switch while a document window is open.
  m_app.SetCommandOpener(KV_CMD_RESTORE, [] { return false; });
  ASSERT_TRUE(CKvCommandRouter::Instance()->Execute(KV_CMD_FILE_OPEN));
  for (int id : Ids{KV_CMD_LOGIN, KV_CMD_RESTORE, KV_CMD_NEW_DATA_FILE})
    EXPECT_FALSE(enabled(id)) << id;
  frame()->MdiClient()->subWindowList().first()->close();
  for (int id : Ids{KV_CMD_LOGIN, KV_CMD_RESTORE, KV_CMD_NEW_DATA_FILE})
    EXPECT_TRUE(enabled(id)) << id;

  // The printers' list opens from the menu.
  m_answers.seen.clear();
  EXPECT_TRUE(CKvCommandRouter::Instance()->Execute(KV_CMD_PRINTERS));
  EXPECT_EQ(m_answers.seen, QStringList{QStringLiteral("dlg_809")});
}

TEST_F(CKvMainFrmTest, Operator102RunsWhatItsRightsAllow) {
  startAs(QStringLiteral("102"));
  for (int id : Ids{KV_CMD_BACKUP, KV_CMD_SQL_CONSOLE, KV_CMD_RESTORE, KV_CMD_DATA_FILE_INFO,
                 KV_CMD_BUSINESS_MONTH})
    m_app.SetCommandOpener(id, [] { return false; });
  m_fees->monthCode = 1806;
  for (int id : Ids{KV_CMD_BACKUP, KV_CMD_SQL_CONSOLE, KV_CMD_PRINT_POSITIONS, KV_CMD_PASSWORD,
                 KV_CMD_BUSINESS_MONTH})
    EXPECT_TRUE(enabled(id)) << id;
  for (int id : Ids{KV_CMD_OPERATORS, KV_CMD_RESTORE, KV_CMD_DATA_FILE_INFO, KV_CMD_VIEW_LOG})
    EXPECT_FALSE(enabled(id)) << id;
  // The positioned-print settings need right "0005", which 102 holds.
  m_answers.seen.clear();
  EXPECT_TRUE(CKvCommandRouter::Instance()->Execute(KV_CMD_PRINT_POSITIONS));
  EXPECT_EQ(m_answers.seen, QStringList{QStringLiteral("dlg_819")});
  // The business month is set only while no document window is open.
  ASSERT_TRUE(CKvCommandRouter::Instance()->Execute(KV_CMD_FILE_OPEN));
  EXPECT_FALSE(enabled(KV_CMD_BUSINESS_MONTH));
}

TEST_F(CKvMainFrmTest, TheSettingsMenuFollowsTheActiveModule) {
  startAs(QStringLiteral("101"));
  CKvTemplateBox* box = frame()->TemplateBox();
  ASSERT_EQ(box->TabCount(), 2);
  EXPECT_EQ(box->TabBar()->tabText(1), QStringLiteral("排课"));
  EXPECT_EQ(settingsMenu(), QList<int>({KV_CMD_SET_SCHOOL_TREE, KV_CMD_SET_FEE_ITEMS}));
  box->SelectTab(1);
  EXPECT_EQ(settingsMenu(), QList<int>({KV_CMD_SET_CLASS_TREE, KV_CMD_SET_TEACHERS,
                                        KV_CMD_SET_COURSES, KV_CMD_SET_PUBLIC_ROOMS}));

  // A hidden template box comes back with 57600 instead of a new document.
  box->ExecuteCmd(KV_CMD_BAR_HIDE);
  EXPECT_FALSE(frame()->IsTemplateBoxVisible());
  ASSERT_TRUE(CKvCommandRouter::Instance()->Execute(KV_CMD_FILE_NEW));
  EXPECT_TRUE(frame()->IsTemplateBoxVisible());
}

TEST_F(CKvMainFrmTest, TheTemplateBoxKeepsItsPlaceSizeAndTab) {
  setSetting(QStringLiteral("TemplateBoxState"), QStringLiteral("300 200 59421"));
  setSetting(QStringLiteral("TemplateIndex"), QStringLiteral("1"));
  startAs(QStringLiteral("101"));
  CKvTemplateBox* box = frame()->TemplateBox();
  EXPECT_EQ(box->DockSide(), int(CKvBar::SideRight));
  EXPECT_EQ(box->VertSize().width(), 300);
  EXPECT_EQ(box->SelectedTab(), 1);
  frame()->close();
  EXPECT_EQ(setting(QStringLiteral("TemplateBoxState")), QStringLiteral("300 200 59421"));
  EXPECT_EQ(setting(QStringLiteral("TemplateIndex")), QStringLiteral("1"));

  // A size outside the middle of the window and a tab that is not there.
  setSetting(QStringLiteral("TemplateBoxState"), QStringLiteral("5000 150"));
  setSetting(QStringLiteral("TemplateIndex"), QStringLiteral("5"));
  frame()->RestoreTemplateBoxState();
  frame()->TemplateBox()->RebuildTabs({});
  frame()->RestoreTemplateTabs();
  EXPECT_EQ(box->VertSize(), QSize(250, 150));
  EXPECT_EQ(box->DockSide(), int(CKvBar::SideLeft));
  EXPECT_EQ(box->SelectedTab(), 0);
}

TEST_F(CKvMainFrmTest, TheCloseStopsAtTheFirstWindowThatStaysOpen) {
  const struct {
    QList<int> answers;
    int questions;
    int left;  // windows still open; none: the program closed
  } cases[] = {{{KV_IDCANCEL}, 1, 2}, {{KV_IDYES}, 1, 2}, {{KV_IDNO, KV_IDCANCEL}, 2, 1},
               {{KV_IDNO, KV_IDNO}, 2, 0}};
  startAs(QStringLiteral("101"));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answers.first());
    CMdiClient* area = frame()->MdiClient();
    while (area->subWindowList().size() < 2)
      area->addSubWindow(new KvUnsavedWindow, Qt::SubWindow)->setAttribute(Qt::WA_DeleteOnClose);
    for (QMdiSubWindow* window : area->subWindowList())
      window->show();
    KvMessageRecorder recorder;
    recorder.script(c.answers);
    frame()->show();
    QApplication::setActiveWindow(frame());
    area->setActiveSubWindow(area->subWindowList().last());
    EXPECT_EQ(frame()->close(), c.left == 0);
    EXPECT_EQ(recorder.messages().size(), c.questions);
    EXPECT_EQ(area->subWindowList().size(), c.left);
  }
}
