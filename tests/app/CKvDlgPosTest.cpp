// Dialog positions on the offscreen screen: places remembered, saved,
// loaded and restored; what is not applied (nothing held, no window, a place
// on no screen); and the placements relative to a reference window.

#include "app/CKvApp.h"
#include "app/CKvDlgPos.h"
#include "core/KvRegistry.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>

namespace {
constexpr KvRegRoot kRoot = KvRegRoot::CurrentUser;

QString dlgPosKey() { return KvGetRegKeyPath() + QStringLiteral("\\DlgPos"); }

// The stored form of a frame: right and bottom just outside it.
QString rectValue(const QRect& r) {
  return QStringLiteral("%1 %2 %3 %4")
      .arg(r.left())
      .arg(r.top())
      .arg(r.left() + r.width())
      .arg(r.top() + r.height());
}

QString stored(int id) {
  QString text;
  KvRegReadString(kRoot, dlgPosKey(), QString::number(id), &text);
  return text;
}

class CKvDlgPosTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KvRegDeleteTree(kRoot, dlgPosKey());
    dialog.resize(200, 100);
    dialog.move(100, 120);
    dialog.show();
  }
  QPoint place() const { return dialog.frameGeometry().topLeft(); }

  QDialog dialog;
  CKvDlgPos positions;
};
}  // namespace

TEST_F(CKvDlgPosTest, RestoresTheRememberedPlaceButNotTheSize) {
  positions.Remember(851, &dialog);
  const QRect remembered = dialog.frameGeometry();
  dialog.move(10, 10);
  dialog.resize(260, 90);
  ASSERT_TRUE(positions.Restore(851, &dialog));
  EXPECT_EQ(place(), remembered.topLeft());
  EXPECT_EQ(dialog.size(), QSize(260, 90));
  QRect found;
  EXPECT_EQ(positions.Find(851, &found), 0);
  EXPECT_EQ(found, remembered);

  // Nothing held, or no window: nothing moves.
  dialog.move(30, 40);
  EXPECT_FALSE(positions.Restore(852, &dialog));
  EXPECT_FALSE(positions.Restore(851, nullptr));
  positions.Remember(853, nullptr);
  EXPECT_EQ(positions.Count(), 1);
  EXPECT_EQ(place(), QPoint(30, 40));
}

TEST_F(CKvDlgPosTest, SavesOnlyPlacesThatMoved) {
  positions.Remember(851, &dialog);
  positions.Save();
  const QString first = rectValue(dialog.frameGeometry());
  EXPECT_EQ(stored(851), first);

  // Only resized: the stored value stays.
  dialog.resize(300, 150);
  positions.Remember(851, &dialog);
  positions.Save();
  EXPECT_EQ(stored(851), first);

  dialog.move(150, 130);
  positions.Remember(851, &dialog);
  positions.Save();
  const QRect moved = dialog.frameGeometry();
  EXPECT_EQ(stored(851), rectValue(moved));
  // The run goes on with its own places.
  QRect held;
  positions.Find(851, &held);
  EXPECT_EQ(held, moved);

  CKvDlgPos loaded;
  EXPECT_EQ(loaded.Load(), 1);
  dialog.move(0, 0);
  ASSERT_TRUE(loaded.Restore(851, &dialog));
  EXPECT_EQ(place(), moved.topLeft());
}

TEST_F(CKvDlgPosTest, ReadsAShortValueAsAPlace) {
  ASSERT_TRUE(KvRegWriteString(kRoot, dlgPosKey(), QStringLiteral("860"),
                               QStringLiteral("40 50 x")));
  ASSERT_EQ(positions.Load(), 1);
  ASSERT_TRUE(positions.Restore(860, &dialog));
  EXPECT_EQ(place(), QPoint(40, 50));
}

TEST_F(CKvDlgPosTest, DoesNotApplyAPlaceOnNoScreen) {
  ASSERT_TRUE(KvRegWriteString(kRoot, dlgPosKey(), QStringLiteral("861"),
                               QStringLiteral("-30000 -30000 -29800 -29900")));
  positions.Load();
  EXPECT_FALSE(positions.Restore(861, &dialog));
  EXPECT_EQ(place(), QPoint(100, 120));
}

TEST_F(CKvDlgPosTest, PlacesRelativeToAReference) {
  QDialog reference;
  reference.setGeometry(100, 100, 400, 300);
  reference.show();
  const QRect ref = reference.frameGeometry();
  const QRect frame = dialog.frameGeometry();
  const int frameX = dialog.geometry().left() - frame.left();
  const int frameY = frame.bottom() - dialog.geometry().bottom();

  EXPECT_FALSE(positions.RestoreOnScreen(870, nullptr, 10, false, &reference));
  EXPECT_TRUE(positions.RestoreOnScreen(870, &dialog, 0, false, &reference));
  EXPECT_EQ(place(), QPoint(100, 120));
  // No reference at all: no parent and no main window.
  EXPECT_FALSE(positions.RestoreOnScreen(870, &dialog, 10, true));

  ASSERT_TRUE(positions.RestoreOnScreen(870, &dialog, 10, false, &reference));
  EXPECT_EQ(dialog.frameGeometry().right() + 1, ref.right() + 1 - frameX);
  EXPECT_EQ(dialog.frameGeometry().bottom() + 1, ref.bottom() + 1 - frameY);

  // Centred below a reference near the bottom: kept on the screen.
  const int screenBottom = QGuiApplication::primaryScreen()->geometry().bottom() + 1;
  reference.move(100, screenBottom - ref.height() - 20);
  ASSERT_TRUE(positions.RestoreOnScreen(870, &dialog, 11, false, &reference));
  const QRect below = dialog.frameGeometry();
  EXPECT_EQ(below.bottom() + 1, screenBottom);
  EXPECT_EQ(below.left(), reference.frameGeometry().left() + (ref.width() - frame.width()) / 2);

  // A remembered place wins over the placement.
  positions.Remember(870, &reference);
  ASSERT_TRUE(positions.RestoreOnScreen(870, &dialog, 11, false, &reference));
  EXPECT_EQ(place(), reference.frameGeometry().topLeft());
}
