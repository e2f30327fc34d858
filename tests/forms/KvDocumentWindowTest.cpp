// Document windows in the main frame: the save command (保存 in the 文件
// menu and on the toolbar, enabled only while the window's document has
// unsaved edits and is not read-only, Ctrl+S saving from the grid's cell
// editor, the grid itself and the tree pane beside it).

#include "KvGridTestDoc.h"

#include "app/CKvMainFrm.h"
#include "forms/CFormChildFrm.h"
#include "ui/CKvCommandRouter.h"
#include "ui/CKvEdit.h"
#include "ui/CMdiClient.h"
#include "ui/KvCommands.h"
#include "ui/KvUiTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenuBar>
#include <QSplitter>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

namespace {

class SavingDoc : public KvGridTestDoc {
 public:
  int saves = 0;
  bool SaveRows() override {
    ++saves;
    return true;
  }
};

void grab(QWidget* window, const QString& name) {
  const QByteArray folder = qgetenv("KV_TEST_GRAB");
  if (!folder.isEmpty())
    window->grab().save(QString::fromLocal8Bit(folder) + u'/' + name + QStringLiteral(".png"));
}

bool saveEnabled() { return CKvCommandRouter::Instance()->IsEnabled(KV_CMD_FILE_SAVE); }

}  // namespace

class KvDocumentWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_frame = std::make_unique<CKvMainFrm>();
    m_window = openWindow(m_doc, m_tree, m_grid);
    ASSERT_TRUE(KvShowActive(m_frame.get()));
    m_frame->MdiClient()->setActiveSubWindow(m_window);
  }
  void TearDown() override { m_grid->DiscardEdits(); }

  // A window as the module windows build it: a tree pane and a grid.
  CFormChildFrm* openWindow(SavingDoc*& doc, QTreeWidget*& tree, CForthView*& grid) {
    doc = new SavingDoc;
    doc->Open();
    auto* window = new CFormChildFrm;
    window->SetDocument(doc);
    auto* splitter = new QSplitter(window);
    tree = new QTreeWidget(splitter);
    tree->addTopLevelItem(new QTreeWidgetItem(QStringList{QStringLiteral("2024 年级")}));
    grid = window->CreateView<CForthView>(splitter);
    window->setWidget(splitter);
    m_frame->MdiClient()->addSubWindow(window);
    window->resize(900, 500);
    window->show();
    grid->InitLayout();
    return window;
  }

  void typeAmount(int row, const QString& text) {
    m_grid->setFocus();
    m_grid->PlaceCaret(row, 3, 0, QStringLiteral("TEXT"));
    m_grid->Editor()->selectAll();
    QTest::keyClicks(m_grid->Editor(), text);
  }

  std::unique_ptr<CKvMainFrm> m_frame;
  CFormChildFrm* m_window = nullptr;
  SavingDoc* m_doc = nullptr;
  QTreeWidget* m_tree = nullptr;
  CForthView* m_grid = nullptr;
};

TEST_F(KvDocumentWindowTest, SaveIsOfferedWhileTheWindowHasEditsAndCtrlSRunsItFromEveryPane) {
  // 保存 stands in the 文件 menu after 打开 and on the toolbar with its icon.
  QMenu* fileMenu = m_frame->menuBar()->actions().at(0)->menu();
  QAction* menuSave = KvMenuAction(fileMenu, KV_CMD_FILE_SAVE);
  ASSERT_NE(menuSave, nullptr);
  EXPECT_EQ(fileMenu->actions().indexOf(menuSave), 2);
  EXPECT_EQ(menuSave->text(), QStringLiteral("保存(&S)\tCtrl+S"));
  EXPECT_EQ(menuSave->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
  QAction* barSave = nullptr;
  for (QAction* action : m_frame->ToolBar()->actions())
    if (action->data().toInt() == KV_CMD_FILE_SAVE)
      barSave = action;
  ASSERT_NE(barSave, nullptr);
  EXPECT_FALSE(barSave->icon().isNull());

  struct Case {
    const char* pane;
    std::function<void()> pressCtrlS;
  };
  const QList<Case> cases = {
      {"cell editor", [this] { QTest::keyClick(m_grid->Editor(), Qt::Key_S, Qt::ControlModifier); }},
      {"grid", [this] {
         m_grid->setFocus();
         QTest::keyClick(m_grid, Qt::Key_S, Qt::ControlModifier);
       }},
      {"tree", [this] {
         m_tree->setFocus();
         QTest::keyClick(m_tree, Qt::Key_S, Qt::ControlModifier);
       }},
  };
  int saves = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pane);
    CKvCommandRouter::Instance()->UpdateActions();
    EXPECT_FALSE(saveEnabled());
    EXPECT_FALSE(barSave->isEnabled());
    typeAmount(1, QStringLiteral("1300"));
    // Typing turns save on at once, the toolbar's button too.
    EXPECT_TRUE(barSave->isEnabled());
    c.pressCtrlS();
    EXPECT_EQ(m_doc->saves, ++saves);
    EXPECT_EQ(m_doc->m_rows.at(1).at(3), QStringLiteral("1300"));
    QString reason;
    EXPECT_FALSE(m_doc->HasUnsavedEdits(reason));
    EXPECT_FALSE(saveEnabled());
  }

  // With the focus outside the window the frame saves the current window.
  typeAmount(2, QStringLiteral("900"));
  if (QWidget* focus = QApplication::focusWidget())
    focus->clearFocus();
  ASSERT_TRUE(saveEnabled());
  barSave->trigger();
  EXPECT_EQ(m_doc->saves, ++saves);

  // How the operator sees it: the window with unsaved typing, its menu.
  typeAmount(3, QStringLiteral("800"));
  grab(m_frame.get(), QStringLiteral("save_on_toolbar"));
  fileMenu->popup(m_frame->mapToGlobal(QPoint(10, 30)));
  grab(fileMenu, QStringLiteral("save_in_file_menu"));
  fileMenu->hide();

  // A read-only document offers nothing to save, whatever its grid holds.
  m_grid->SetChanged(true);
  m_doc->m_bReadOnly = true;
  CKvCommandRouter::Instance()->UpdateActions();
  EXPECT_FALSE(saveEnabled());
  EXPECT_FALSE(barSave->isEnabled());
  QTest::keyClick(m_tree, Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(m_doc->saves, saves);
  m_doc->m_bReadOnly = false;
}
