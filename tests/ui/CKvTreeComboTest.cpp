// The tree picker: its paths, the notices it sends, Escape and Ctrl+V
// leaving the choice alone, and where the tree opens on the screen.

#include "ui/CKvTreeCombo.h"

#include "ui/CKvTreeComboEdit.h"
#include "ui/CKvTreeComboTree.h"
#include "ui/KvObjectNames.h"
#include "ui/KvUiTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
// A window with a picker and a field after it, placed at `topLeft`.
struct PickerWindow {
  QWidget window;
  CKvTreeCombo* picker = new CKvTreeCombo(&window);
  QLineEdit* next = new QLineEdit(&window);
  QStringList notices;

  explicit PickerWindow(const QPoint& topLeft = QPoint(50, 50)) {
    KvSetControlId(picker, 1010);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(picker);
    layout->addWidget(next);
    for (const char* path : {"学校\n初一\n初一(1)班", "学校\n初一\n初一(2)班", "学校\n初二"})
      picker->AddPath(QString::fromUtf8(path));
    picker->Tree()->expandAll();
    QObject::connect(picker, &CKvTreeCombo::dropDown, [this] { notices.append("dropdown"); });
    QObject::connect(picker, &CKvTreeCombo::closeUp, [this] { notices.append("closeup"); });
    QObject::connect(picker, &CKvTreeCombo::selEndCancel, [this] { notices.append("cancel"); });
    QObject::connect(picker, &CKvTreeCombo::selChange, [this] { notices.append("change"); });
    window.resize(240, 80);
    window.move(topLeft);
    KvShowActive(&window);
  }

  void open() { QTest::mouseClick(KvDlgItem<QToolButton>(picker, CKvTreeCombo::IDC_BUTTON), Qt::LeftButton); }
  QRect pickerOnScreen() const { return QRect(picker->mapToGlobal(QPoint(0, 0)), picker->size()); }
};

QRect screenArea() { return QApplication::primaryScreen()->availableGeometry(); }
}  // namespace

TEST(CKvTreeComboTest, PathsShareTheirUpperLevels) {
  CKvTreeCombo picker;
  QTreeWidgetItem* one = picker.AddPath(QStringLiteral("学校\n初一\n初一(1)班"));
  QTreeWidgetItem* two = picker.AddPath(QStringLiteral("学校\n初一\n初一(2)班"));
  EXPECT_EQ(picker.Tree()->topLevelItemCount(), 1);
  EXPECT_EQ(one->parent(), two->parent());
  EXPECT_EQ(picker.AddPath(QStringLiteral("学校\n初一\n初一(1)班")), one);
  EXPECT_FALSE(picker.SelectText(QStringLiteral("学校\n初三")));
  EXPECT_EQ(picker.Tree()->topLevelItem(0)->childCount(), 1);
}

TEST(CKvTreeComboTest, EnterTakesTheItemAndEscapeLeavesTheChoice) {
  PickerWindow w;
  ASSERT_TRUE(w.picker->SelectText(QStringLiteral("学校\n初一\n初一(1)班")));
  EXPECT_EQ(w.picker->GetSelText(), QStringLiteral("初一(1)班"));

  w.open();
  EXPECT_TRUE(w.picker->Tree()->isVisible());
  EXPECT_EQ(w.picker->Tree()->size(), QSize(200, 200));
  QTest::keyClick(w.picker->Tree(), Qt::Key_Down);
  EXPECT_EQ(w.picker->Tree()->currentItem()->text(0), QStringLiteral("初一(2)班"));
  QTest::keyClick(w.picker->Tree(), Qt::Key_Escape);
  EXPECT_FALSE(w.picker->Tree()->isVisible());
  EXPECT_EQ(w.picker->GetSelText(), QStringLiteral("初一(1)班"));
  EXPECT_EQ(w.picker->Tree()->currentItem()->text(0), QStringLiteral("初一(1)班"));

  // The Down arrow in the field opens the tree too; Enter takes the item.
  QTest::keyClick(w.picker->Edit(), Qt::Key_Down);
  ASSERT_TRUE(w.picker->IsDroppedDown());
  QTest::keyClick(w.picker->Tree(), Qt::Key_Down);
  QTest::keyClick(w.picker->Tree(), Qt::Key_Return);
  EXPECT_EQ(w.picker->GetSelText(), QStringLiteral("初一(2)班"));
  EXPECT_EQ(w.notices, (QStringList{"change", "dropdown", "cancel", "dropdown", "closeup"}));

  // Tab takes the item and moves on to the next control.
  w.open();
  QTest::keyClick(w.picker->Tree(), Qt::Key_Down);
  QTest::keyClick(w.picker->Tree(), Qt::Key_Tab);
  EXPECT_EQ(w.picker->GetSelText(), QStringLiteral("初二"));
  EXPECT_TRUE(w.next->hasFocus());
}

TEST(CKvTreeComboTest, TheFieldCannotBeTypedOrPastedInto) {
  PickerWindow w;
  w.picker->SelectText(QStringLiteral("学校\n初二"));
  QApplication::clipboard()->setText(QStringLiteral("粘贴的文字"));
  w.picker->setFocus();
  EXPECT_TRUE(w.picker->Edit()->hasFocus());
  EXPECT_TRUE(w.picker->HasPickerFocus());
  QTest::keyClick(w.picker->Edit(), Qt::Key_V, Qt::ControlModifier);
  QTest::keyClick(w.picker->Edit(), Qt::Key_X, Qt::ControlModifier);
  QTest::keyClick(w.picker->Edit(), Qt::Key_Backspace);
  QTest::keyClicks(w.picker->Edit(), QStringLiteral("abc"));
  EXPECT_EQ(w.picker->GetSelText(), QStringLiteral("初二"));
  EXPECT_FALSE(w.picker->IsDroppedDown());
}

TEST(CKvTreeComboTest, OpensAboveNearTheScreensBottomAndAlignsRightNearItsEdge) {
  const QRect screen = screenArea();
  {
    PickerWindow low(QPoint(screen.left() + 20, screen.bottom() - 90));
    low.open();
    const QRect tree = low.picker->Tree()->geometry();
    EXPECT_EQ(tree.bottom(), low.pickerOnScreen().top() - 1);
    EXPECT_EQ(tree.left(), low.pickerOnScreen().left());
  }
  {
    PickerWindow high(QPoint(screen.left() + 20, screen.top() + 20));
    high.picker->SetDropSize(QSize(150, 300));
    high.open();
    const QRect tree = high.picker->Tree()->geometry();
    EXPECT_EQ(tree.top(), high.pickerOnScreen().bottom() + 1);
    EXPECT_EQ(tree.size(), QSize(150, 300));
  }
  const QRect nearRight(screen.right() - 100, screen.top() + 10, 80, 22);
  const QRect tree = CKvTreeCombo::DropRect(nearRight, QSize(200, 200), screen);
  EXPECT_EQ(tree.right(), nearRight.right());
  EXPECT_EQ(tree.top(), nearRight.bottom() + 1);
}
