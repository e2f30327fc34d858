// The unit-aware dialog bases: the unit check of OK, the places data-entry
// dialogs reopen at, and the choose dialog that closes unseen when there is
// nothing to choose.

#include "KvShellFakes.h"
#include "KvUiTestSupport.h"
#include "ui/CKvAppDlg.h"
#include "ui/CKvChooseDlg.h"
#include "ui/KvObjectNames.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr unsigned kEntryDlg = 5001;

// A data-entry dialog with the base's unit label and picker, OK and Cancel.
class EntryDlg : public CKvAppDlg {
 public:
  explicit EntryDlg(int checkMode = -1) : CKvAppDlg(kEntryDlg) {
    m_nDwCheckMode = checkMode;
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(UnitLabel());
    layout->addWidget(UnitPicker());
    layout->addWidget(KvSetControlId(new QPushButton(QStringLiteral("确定"), this), 1));
    layout->addWidget(KvSetControlId(new QPushButton(QStringLiteral("取消"), this), 2));
  }
  int saves = 0;
  bool SaveData() override {
    ++saves;
    return true;
  }

 protected:
  void OnInitDialog() override {
    CKvAppDlg::OnInitDialog();
    InitUnitPicker(-1, -1, 1, QString(), QStringLiteral("全部"));
  }
};

void clickOk(QWidget* dialog) { KvDlgItem<QPushButton>(dialog, 1)->click(); }

QRect available() { return QGuiApplication::primaryScreen()->availableGeometry(); }
}  // namespace

TEST(UnitDialogTest, ModeZeroRefusesAnInnerUnitUntilALeafIsChosen) {
  KvMessageRecorder messages;
  KvFakeUnits units;
  units.current = units.paths.at(1);
  units.notLeaf = units.paths.at(1);
  EntryDlg dialog(0);
  ASSERT_TRUE(KvShowActive(&dialog));
  EXPECT_EQ(KvDlgItem<QLabel>(&dialog, 1210)->text(), QStringLiteral("独立核算单位："));

  clickOk(&dialog);
  EXPECT_EQ(messages.last(), QStringLiteral("这不是一个末级单位！"));
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.saves, 0);
  EXPECT_TRUE(dialog.UnitPicker()->HasPickerFocus());

  // The operator picks the leaf: the picker makes it current, OK closes.
  CKvTreeCombo* picker = dialog.UnitPicker();
  ASSERT_TRUE(picker->SelectText(units.paths.at(2)));
  emit picker->closeUp();
  EXPECT_EQ(units.current, units.paths.at(2));
  clickOk(&dialog);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(units.checkedModes, (QList<int>{0, 0}));
}

TEST(UnitDialogTest, DefaultModeNeverChecksAndNoChoiceHidesTheLabel) {
  KvMessageRecorder messages;
  KvFakeUnits units;
  units.choice = false;
  units.current = units.paths.at(1);
  units.notLeaf = units.current;
  EntryDlg dialog;
  ASSERT_TRUE(KvShowActive(&dialog));
  EXPECT_FALSE(dialog.UnitLabel()->isVisible());
  EXPECT_FALSE(dialog.UnitLabel()->isEnabled());
  clickOk(&dialog);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(units.checkedModes.isEmpty());
  EXPECT_TRUE(messages.messages().isEmpty());
}

TEST(UnitDialogTest, DialogReopensWhereLeftUnlessThatIsOffTheScreen) {
  KvFakePlaces places;
  {
    EntryDlg dialog;
    ASSERT_TRUE(KvShowActive(&dialog));
    dialog.move(-2000, -2000);
    dialog.reject();
  }
  ASSERT_EQ(places.remembered, QList<int>{int(kEntryDlg)});
  {
    EntryDlg dialog;
    ASSERT_TRUE(KvShowActive(&dialog));
    EXPECT_EQ(places.restored.size(), 2);
    // The window frame is known only once shown: a few pixels of slack.
    const QPoint delta = dialog.frameGeometry().center() - available().center();
    EXPECT_LE(delta.manhattanLength(), 8);
    dialog.move(100, 100);
    clickOk(&dialog);
  }
  EntryDlg dialog;
  ASSERT_TRUE(KvShowActive(&dialog));
  EXPECT_EQ(dialog.frameGeometry().topLeft(), QPoint(100, 100));
}

TEST(UnitDialogTest, ClearedFlagKeepsNoPlaceOnCancelButOkKeepsIt) {
  KvFakePlaces places;
  {
    EntryDlg dialog;
    dialog.m_bRememberPos = 0;
    ASSERT_TRUE(KvShowActive(&dialog));
    dialog.reject();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
  }
  EXPECT_TRUE(places.remembered.isEmpty());
  EntryDlg dialog;
  dialog.m_bRememberPos = 0;
  ASSERT_TRUE(KvShowActive(&dialog));
  clickOk(&dialog);
  EXPECT_EQ(places.remembered, QList<int>{int(kEntryDlg)});
}

TEST(UnitDialogTest, AssociatedWindowCentresADialogWithNoPlace) {
  KvFakePlaces places;
  QWidget owner;
  owner.setGeometry(50, 60, 500, 400);
  owner.show();
  EntryDlg dialog;
  dialog.m_pAssociatedWnd = &owner;
  ASSERT_TRUE(KvShowActive(&dialog));
  const QPoint delta = dialog.frameGeometry().center() - owner.frameGeometry().center();
  EXPECT_LE(delta.manhattanLength(), 8);
}

TEST(ChooseDialogTest, NothingToChooseClosesWithOkAndNeverShows) {
  KvMessageRecorder messages;
  KvFakeUnits units;
  units.choice = false;
  KvFakePlaces places;
  CKvChooseDlg dialog(0, 2);
  bool shown = false;
  // Were it shown, it would be closed at once instead of blocking the test.
  QTimer::singleShot(0, &dialog, [&] {
    shown = dialog.isVisible();
    if (shown)
      dialog.reject();
  });
  EXPECT_EQ(dialog.exec(), QDialog::Accepted);
  EXPECT_FALSE(shown);
  EXPECT_EQ(dialog.objectName(), QStringLiteral("dlg_796"));
  EXPECT_EQ(units.checkedModes, QList<int>{0});
  EXPECT_TRUE(places.remembered.isEmpty());
  EXPECT_FALSE(KvDlgItem(&dialog, 1036)->isVisibleTo(&dialog));
}
