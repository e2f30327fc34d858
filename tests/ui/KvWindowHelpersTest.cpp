// The helpers that show, enable and place the controls of dialogs.

#include "ui/KvObjectNames.h"
#include "ui/KvWindowHelpers.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>

TEST(WindowHelpersTest, ShowEnableAlignAndRows) {
  QWidget dialog;
  dialog.resize(400, 300);
  auto place = [&](int id, int x, int y) {
    auto* edit = KvSetControlId(new QLineEdit(&dialog), id);
    edit->setGeometry(x, y, 80, 20);
    return edit;
  };
  QLineEdit* a = place(1, 10, 10);
  QLineEdit* b = place(2, 100, 12);
  QLineEdit* c = place(3, 10, 50);
  QLineEdit* d = place(4, 10, 200);
  dialog.show();

  // Controls overlapping the box of 1 and 2 (not 3 or 4).
  KvShowEnableArea(&dialog, 1, 2, false, false);
  EXPECT_FALSE(a->isVisible() || b->isVisible() || a->isEnabled() || b->isEnabled());
  EXPECT_TRUE(c->isVisible() && d->isVisible());
  KvShowEnableItem(&dialog, 1, true, true);
  EXPECT_TRUE(a->isVisible() && a->isEnabled());
  KvShowEnableArea(&dialog, 1, 2, true, true);

  QList<int> rows;
  EXPECT_EQ(KvCollectRows(&dialog, &rows), 3);
  EXPECT_EQ(rows, (QList<int>{10, 50, 200}));

  // Rows 10 and 50 move down so that the first starts at 100.
  KvMoveRows(&dialog, a, dialog.mapToGlobal(QPoint(0, 100)).y(), 2);
  EXPECT_EQ(a->y(), 100);
  EXPECT_EQ(b->y(), 102);
  EXPECT_EQ(c->y(), 140);
  EXPECT_EQ(d->y(), 200);

  // C's right edge to D's centre (stretch), then C moved under D's top left.
  KvAlignToWindow(true, c, d, 3, 2);
  EXPECT_EQ(c->geometry().x() + c->width(), 50);
  KvAlignToWindow(false, c, d, 11, -1);
  EXPECT_EQ(c->pos(), d->pos());

  // A's bottom 5 below D's bottom; its left and top stay.
  KvPlaceWindowByCode(a, d, 30, 5);
  EXPECT_EQ(a->pos(), QPoint(10, 100));
  EXPECT_EQ(a->y() + a->height(), 225);

  QComboBox combo;
  QString text = QStringLiteral("x");
  KvComboGetCurText(&text, &combo);
  EXPECT_TRUE(text.isEmpty());
  combo.addItems({QStringLiteral("男"), QStringLiteral("女")});
  combo.setCurrentIndex(1);
  KvComboGetCurText(&text, &combo);
  EXPECT_EQ(text, QStringLiteral("女"));
}
