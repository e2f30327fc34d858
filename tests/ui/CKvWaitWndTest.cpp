// The wait window and its wait cursor.

#include "ui/CKvWaitWnd.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

TEST(WaitWindowTest, ShowsWhileTheOperationRunsAndTakesTheCursorAlong) {
  ASSERT_EQ(QApplication::overrideCursor(), nullptr);
  {
    CKvWaitWnd wait;
    EXPECT_EQ(wait.Window(), nullptr);
    wait.Show();
    ASSERT_NE(wait.Window(), nullptr);
    EXPECT_EQ(wait.Window()->objectName(), QStringLiteral("dlg_802"));
    EXPECT_TRUE(wait.Window()->isVisible());
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);

    wait.Hide();
    EXPECT_FALSE(wait.Window()->isVisible());
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
    wait.Reshow();
    EXPECT_TRUE(wait.Window()->isVisible());
    // Showing again does not stack a second cursor.
    wait.Show();
  }
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}
