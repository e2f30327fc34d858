// The docking bar: its caption buttons by place, its sizes, its saved state
// and its right-click menu.

#include "KvUiTestSupport.h"
#include "ui/CKvBar.h"
#include "ui/CKvButton.h"
#include "ui/CKvCommandRouter.h"
#include "ui/KvCommands.h"
#include "ui/KvObjectNames.h"

#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QListWidget>
#include <QMainWindow>

namespace {
constexpr int kBarId = 59648;

// A main window that carries out the calculator command and records the
// context-menu requests that reach it.
class Frame : public QMainWindow, public KvCommandTarget {
 public:
  int calculatorRuns = 0;
  int requests = 0;
  bool HandlesCmd(int id) const override { return id == KV_CMD_CALCULATOR; }
  void ExecuteCmd(int) override { ++calculatorRuns; }

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override {
    ++requests;
    event->accept();
  }
};

struct CKvBarTest : ::testing::Test {
  void SetUp() override {
    frame.setCentralWidget(new QWidget);
    bar = new CKvBar(QStringLiteral("模板箱"), &frame, QSize(180, 120), kBarId);
    bar->setWidget(new QListWidget);
    frame.addDockWidget(Qt::LeftDockWidgetArea, bar);
    frame.resize(800, 600);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    CKvCommandRouter::Instance()->SetFrame(&frame);
  }
  void TearDown() override { CKvCommandRouter::Instance()->SetFrame(nullptr); }

  CKvButton* button(int id) const { return bar->findChild<CKvButton*>(KvControlObjectName(id)); }
  bool buttonsShown() const {
    return button(KV_CMD_BAR_HIDE)->isVisible() && button(KV_CMD_BAR_TOGGLE_DOCK)->isVisible();
  }
  bool buttonsHidden() const {
    return !button(KV_CMD_BAR_HIDE)->isVisible() && !button(KV_CMD_BAR_TOGGLE_DOCK)->isVisible();
  }
  void settle() { QApplication::processEvents(); }

  Frame frame;
  CKvBar* bar = nullptr;
};
}  // namespace

TEST_F(CKvBarTest, CaptionButtonsShowOnlyWhileDocked) {
  EXPECT_EQ(bar->objectName(), QStringLiteral("id_59648"));
  EXPECT_EQ(bar->DockSide(), CKvBar::SideLeft);
  EXPECT_TRUE(bar->IsVertDocked());
  EXPECT_TRUE(buttonsShown());
  // Docked left: the strip is along the top, hide at its right end.
  EXPECT_EQ(button(KV_CMD_BAR_HIDE)->y(), button(KV_CMD_BAR_TOGGLE_DOCK)->y());
  EXPECT_GT(button(KV_CMD_BAR_HIDE)->x(), button(KV_CMD_BAR_TOGGLE_DOCK)->x());

  QTest::mouseClick(button(KV_CMD_BAR_TOGGLE_DOCK), Qt::LeftButton);
  settle();
  EXPECT_TRUE(bar->isFloating());
  EXPECT_TRUE(bar->IsFloating());
  EXPECT_EQ(bar->DockSide(), CKvBar::SideFloating);
  EXPECT_TRUE(buttonsHidden());
  EXPECT_EQ(bar->size(), bar->FloatSize());

  bar->ExecuteCmd(KV_CMD_BAR_TOGGLE_DOCK);
  settle();
  EXPECT_EQ(bar->DockSide(), CKvBar::SideLeft);
  EXPECT_TRUE(buttonsShown());

  // Docked at the top: the strip runs down the left side, hide on top.
  frame.addDockWidget(Qt::TopDockWidgetArea, bar);
  settle();
  EXPECT_TRUE(bar->IsHorzDocked());
  EXPECT_TRUE(bar->features().testFlag(QDockWidget::DockWidgetVerticalTitleBar));
  EXPECT_TRUE(buttonsShown());
  EXPECT_EQ(button(KV_CMD_BAR_HIDE)->x(), button(KV_CMD_BAR_TOGGLE_DOCK)->x());
  EXPECT_LT(button(KV_CMD_BAR_HIDE)->y(), button(KV_CMD_BAR_TOGGLE_DOCK)->y());

  QTest::mouseClick(button(KV_CMD_BAR_HIDE), Qt::LeftButton);
  EXPECT_FALSE(bar->isVisible());
  EXPECT_EQ(bar->DockSide(), CKvBar::SideTop);
}

TEST_F(CKvBarTest, SizesFollowThePlaceAndNeverGoBelowTheMinimum) {
  EXPECT_EQ(bar->width(), 180);
  bar->SetSizes(QSize(230, 90));
  settle();
  EXPECT_EQ(bar->width(), 230);
  frame.addDockWidget(Qt::BottomDockWidgetArea, bar);
  settle();
  EXPECT_EQ(bar->height(), 90);
  EXPECT_EQ(bar->VertSize().width(), 230);

  bar->SetSizes(QSize(5, 5));
  EXPECT_EQ(bar->HorzSize(), QSize(CKvBar::kMinimumSize, CKvBar::kMinimumSize));
  EXPECT_EQ(bar->FloatSize(), QSize(CKvBar::kMinimumSize, CKvBar::kMinimumSize));
}

TEST_F(CKvBarTest, SavedStateRestoresPlaceSizeAndButtons) {
  frame.addDockWidget(Qt::RightDockWidgetArea, bar);
  bar->SetSizes(QSize(150, 100));
  settle();
  const QByteArray dockedRight = frame.saveState();

  bar->ExecuteCmd(KV_CMD_BAR_TOGGLE_DOCK);
  bar->setGeometry(120, 140, 260, 210);
  settle();
  ASSERT_TRUE(buttonsHidden());
  const QByteArray floating = frame.saveState();

  ASSERT_TRUE(frame.restoreState(dockedRight));
  settle();
  EXPECT_EQ(bar->DockSide(), CKvBar::SideRight);
  EXPECT_EQ(bar->width(), 150);
  EXPECT_TRUE(buttonsShown());

  ASSERT_TRUE(frame.restoreState(floating));
  settle();
  EXPECT_TRUE(bar->IsFloating());
  EXPECT_EQ(bar->size(), QSize(260, 210));
  EXPECT_TRUE(buttonsHidden());

  // A restored state saves again as it was.
  EXPECT_EQ(frame.saveState(), floating);
  ASSERT_TRUE(frame.restoreState(dockedRight));
  settle();
  EXPECT_EQ(frame.saveState(), dockedRight);
}

TEST_F(CKvBarTest, RightClickOpensTheBarsMenuThroughThePopupSeam) {
  QStringList opened;
  QPoint openedAt;
  KvScopedPopupMenuExec exec([&](QMenu* menu, const QPoint& at) {
    opened.append(menu->objectName());
    openedAt = at;
    return KvMenuAction(menu, KV_CMD_CALCULATOR);
  });
  // A right click through the window system, on the bar's caption strip.
  QWidget* caption = bar->titleBarWidget();
  const QPoint at(20, 8);
  const auto rightClick = [&] {
    QTest::mouseClick(frame.windowHandle(), Qt::RightButton, {}, caption->mapTo(&frame, at));
  };

  // Without a menu id the bar ignores the click, and the main window's own
  // menu of bars does not open over it either.
  rightClick();
  EXPECT_TRUE(opened.isEmpty());
  EXPECT_EQ(frame.requests, 0);

  bar->SetMenuId(KV_MENU_TREE);
  rightClick();
  EXPECT_EQ(opened, QStringList{QStringLiteral("menu_302")});
  EXPECT_EQ(openedAt, caption->mapToGlobal(at));
  // The chosen command went the way of the main window's menu.
  EXPECT_EQ(frame.calculatorRuns, 1);

  // From the keyboard the menu opens at the bar's top left, 5 pixels down.
  QContextMenuEvent byKey(QContextMenuEvent::Keyboard, QPoint(0, 0), bar->mapToGlobal(QPoint(0, 0)));
  QApplication::sendEvent(bar, &byKey);
  EXPECT_EQ(opened.size(), 2);
  EXPECT_EQ(openedAt, bar->mapToGlobal(QPoint(0, 5)));
  EXPECT_EQ(frame.requests, 0);
}
