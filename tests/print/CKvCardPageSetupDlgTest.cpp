// The card page setup: it shows the format it is given and, on OK, stores
// it under its key and hands the new values back; Cancel changes nothing.

#include "print/CKvCardPageSetupDlg.h"

#include "KvSetupDlgFixture.h"
#include "core/KvMessage.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>

namespace {
class CKvCardPageSetupDlgTest : public KvSetupDlgTest {
 protected:
  CKvCardPageFormat given() {
    CKvCardPageFormat format;
    format.Key = 4181;
    format.Title = QStringLiteral("收费收据");
    format.CardWidth = 790;
    format.CardHeight = 470;
    return format;
  }
};
}  // namespace

TEST_F(CKvCardPageSetupDlgTest, ConfirmedFormatIsStoredUnderItsKey) {
  CKvCardPageFormat format = given();
  CKvCardPageSetupDlg dialog(&format, &db());
  dialog.show();
  EXPECT_EQ(dialog.objectName(), QStringLiteral("dlg_970"));
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("页面设置"));
  EXPECT_EQ(KvDlgItem<QSpinBox>(&dialog, 1080)->value(), 790);
  KvDlgItem<QLineEdit>(&dialog, 1000)->setText(QStringLiteral("学费收据"));
  KvDlgItem<QRadioButton>(&dialog, 1041)->setChecked(true);
  KvDlgItem<QSpinBox>(&dialog, 1081)->setValue(500);
  click(&dialog, KV_IDOK);
  ASSERT_EQ(dialog.result(), QDialog::Accepted);

  EXPECT_EQ(format.Title, QStringLiteral("学费收据"));
  EXPECT_TRUE(format.IsLandscape());
  EXPECT_EQ(format.CardHeight, 500);
  CKvCardPageFormat stored;
  stored.Key = 4181;
  ASSERT_TRUE(stored.Load(&db()));
  EXPECT_EQ(stored.Title, QStringLiteral("学费收据"));
  EXPECT_TRUE(stored.IsLandscape());
  EXPECT_EQ(stored.CardWidth, 790);
  EXPECT_EQ(stored.CardHeight, 500);
  EXPECT_EQ(logged.size(), 1);
}

TEST_F(CKvCardPageSetupDlgTest, CancelAndRefusedInputLeaveTheFormatAlone) {
  CKvCardPageFormat format = given();
  {
    CKvCardPageSetupDlg dialog(&format, &db());
    dialog.show();
    KvDlgItem<QLineEdit>(&dialog, 1000)->setText(QStringLiteral("改过"));
    KvMessageRecorder recorder;
    KvDlgItem<QSpinBox>(&dialog, 1080)->setValue(0);  // a card with no width
    click(&dialog, KV_IDOK);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(recorder.messages().size(), 1);
    click(&dialog, KV_IDCANCEL);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
  }
  EXPECT_EQ(format.Title, QStringLiteral("收费收据"));
  EXPECT_EQ(format.CardWidth, 790);
  EXPECT_EQ(db().GetLong(QStringLiteral("Select Count(*) From SysCsTab Where Cs=9003")), 0);
  EXPECT_TRUE(logged.isEmpty());
}

// A format stored meanwhile (by another window or workstation) is not put
// back: OK refuses and says so.
TEST_F(CKvCardPageSetupDlgTest, AFormatStoredMeanwhileIsNotPutBack) {
  CKvCardPageFormat format = given();
  CKvCardPageSetupDlg dialog(&format, &db());
  dialog.show();
  CKvCardPageFormat meanwhile = given();
  meanwhile.Title = QStringLiteral("别处标题");
  ASSERT_TRUE(meanwhile.Save(&db()));
  KvMessageRecorder recorder;
  KvDlgItem<QSpinBox>(&dialog, 1081)->setValue(500);
  click(&dialog, KV_IDOK);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(recorder.texts(), QStringList{QStringLiteral("页面设置已被其他窗口或工作站修改，请重新打开后再修改！")});
  CKvCardPageFormat stored;
  stored.Key = 4181;
  ASSERT_TRUE(stored.Load(&db()));
  EXPECT_EQ(stored.Title, QStringLiteral("别处标题"));
  EXPECT_EQ(stored.CardHeight, 470);
}
