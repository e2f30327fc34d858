// The program's own pictures: each one the code asks for is there and can be
// drawn (SVG pictures need Qt's SVG plugins at run time).

#include "ui/CKvCommandRegistry.h"
#include "ui/CKvDlg.h"
#include "ui/CKvWaitWnd.h"
#include "ui/KvCommands.h"
#include "ui/KvObjectNames.h"
#include "ui/KvResources.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <memory>

namespace {
QImage imageOf(const QIcon& icon) { return icon.pixmap(32, 32).toImage(); }
}  // namespace

TEST(KvResourcesTest, ApplicationIconAndWaitPictureAreDrawn) {
  const QIcon app = KvResourceIcon(KV_ICON_APP);
  ASSERT_FALSE(app.isNull());
  EXPECT_EQ(app.pixmap(48, 48).size(), QSize(48, 48));
  EXPECT_TRUE(KvResourceIcon(99999).isNull());

  // A dialog with icon 128 shows the program's icon.
  CKvDlg dialog(900);
  dialog.show();
  EXPECT_EQ(imageOf(dialog.windowIcon()), imageOf(app));

  // The wait window shows its picture rather than the text stand-in.
  CKvWaitWnd wait;
  wait.Show();
  const auto* picture = KvDlgItem<QLabel>(wait.Window(), 403);
  ASSERT_NE(picture, nullptr);
  EXPECT_TRUE(picture->text().isEmpty());
  EXPECT_FALSE(picture->pixmap().isNull());
  EXPECT_GT(picture->pixmap().width(), picture->pixmap().height());
}

TEST(KvResourcesTest, ToolbarCommandsCarryTheirImages) {
  const int withImages[] = {
      KV_CMD_CALCULATOR,       KV_CMD_NEW,           KV_CMD_OPEN,
      KV_CMD_MODIFY,           KV_CMD_DELETE,        KV_CMD_VIEW_LARGE_ICONS,
      KV_CMD_VIEW_SMALL_ICONS, KV_CMD_VIEW_LIST,     KV_CMD_VIEW_DETAILS,
      KV_CMD_BACK,             KV_CMD_FORWARD,       KV_CMD_BAR_HIDE,
      KV_CMD_BAR_TOGGLE_DOCK,  KV_CMD_REFRESH,       KV_CMD_FILE_NEW,
      KV_CMD_FILE_OPEN,        KV_CMD_FILE_SAVE_AS,  KV_CMD_FILE_PAGE_SETUP,
      KV_CMD_FILE_PRINT_SETUP, KV_CMD_FILE_PRINT,    KV_CMD_EDIT_COPY,
      KV_CMD_EDIT_CUT,         KV_CMD_EDIT_FIND,     KV_CMD_EDIT_PASTE,
      KV_CMD_EDIT_FIND_NEXT,   KV_CMD_EDIT_SELECT_ALL, KV_CMD_HELP};
  const CKvCommandRegistry& registry = CKvCommandRegistry::Instance();
  for (int id : withImages) {
    const std::unique_ptr<QAction> action(registry.CreateAction(id, nullptr));
    EXPECT_FALSE(action->icon().isNull()) << id;
    EXPECT_FALSE(action->icon().pixmap(16, 16).isNull()) << id;
  }
  // A command without an image of its own gets none, not a stand-in.
  const std::unique_ptr<QAction> wordSave(registry.CreateAction(KV_CMD_SAVE_WORD, nullptr));
  EXPECT_TRUE(wordSave->icon().isNull());
}
