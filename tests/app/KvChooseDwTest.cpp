// Choosing a unit with the shell's own services on a data file: units 01,
// 0101, 0102 and 02, and operator 102 limited to some of them.

#include "KvShellTestApp.h"
#include "app/CKvDlgPos.h"
#include "app/CKvDwRec.h"
#include "app/KvChooseDw.h"
#include "app/KvShellServices.h"
#include "core/CKvCsRec.h"
#include "core/KvMessage.h"
#include "ui/CKvTreeCombo.h"
#include "ui/KvAppServices.h"
#include "ui/KvObjectNames.h"
#include "ui/KvUiTestSupport.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {
class ChooseDwTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KV_CREATE_TEST_DB(m_file);
    m_app.createModules = [](KvShellTestApp&) {};
    m_app.InitInstance();
    ASSERT_TRUE(m_app.OpenOn(m_file));
    m_app.GetDataFile().SetOperatorCode(QStringLiteral("102"));
    CKvDb* db = m_app.GetDb();
    ASSERT_EQ(CKvCsRec(db).CreateTable(), 2);
    ASSERT_TRUE(KvCreateDwTable(db));
    for (const auto& [code, name] : {std::pair{"01", "一校"}, std::pair{"0101", "初中"},
                                     std::pair{"0102", "高中"}, std::pair{"02", "二校"}})
      ASSERT_TRUE(db->Execute(QStringLiteral("Insert Into KVDW(KNO,NA,JA) Values('%1','%2','%2')")
                                  .arg(QLatin1String(code), QString::fromUtf8(name))));
    KvInstallShellServices();
  }
  void TearDown() override {
    KvSetFillDwComboService(nullptr);
    KvSetDwFromComboService(nullptr);
    KvSetCheckDwAccessService(nullptr);
    KvSetDwCaptionProvider(nullptr);
    KvSetRememberDlgPosService(nullptr);
    KvSetRestoreDlgPosService(nullptr);
    KvSetDataFileYearProvider(nullptr);
    KvGetDwArray().clear();
    KvGetCurrentDw().Clear();
  }

  // Operator 102 sees the units, and the application loads them.
  void limitTo(const QStringList& codes) {
    for (const QString& code : codes) {
      CKvCsRec row(m_app.GetDb());
      row.Set(4000, 1, code, QStringLiteral("102"));
      ASSERT_TRUE(row.Insert());
    }
    CKvDwRec rec;
    ASSERT_EQ(rec.KvSelectDw(QString(), QString(), &KvGetDwArray(), m_app.GetDb()), 4);
  }

  KvTestDb m_file{0};
  KvShellTestApp m_app;
  KvMessageRecorder m_messages;
};
}  // namespace

TEST_F(ChooseDwTest, TheOnlyUnitOfTheOperatorIsChosenWithoutShowingTheDialog) {
  limitTo({QStringLiteral("0101")});
  bool shown = false;
  KvScopedDialogExec exec([&](QDialog* dialog) {
    // Were it shown, it would be closed at once instead of blocking the test.
    QTimer::singleShot(0, dialog, [&shown, dialog] {
      shown = dialog->isVisible();
      if (shown)
        dialog->reject();
    });
    return dialog->exec();
  });
  EXPECT_TRUE(KvChooseDw(0, 2));
  EXPECT_FALSE(shown);
  EXPECT_EQ(KvGetCurrentDw().KNO, QStringLiteral("0101"));
  EXPECT_TRUE(m_messages.messages().isEmpty());
}

TEST_F(ChooseDwTest, AChoiceIsShownAndTheChosenUnitBecomesCurrent) {
  limitTo({QStringLiteral("0101"), QStringLiteral("0102")});
  m_app.GetDataFile().SetYear(2023);
  EXPECT_EQ(KvAppServiceDataFileYear(), 2023);
  KvScopedDialogExec exec([&](QDialog* dialog) {
    QTimer::singleShot(0, dialog, [dialog] {
      EXPECT_TRUE(dialog->isVisible());
      EXPECT_EQ(KvDlgItem<QLabel>(dialog, 1036)->text(), QStringLiteral("独立核算单位："));
      auto* picker = KvDlgItem<CKvTreeCombo>(dialog, 1035);
      // The inner unit is refused in mode 0, the leaf taken.
      EXPECT_TRUE(picker->SelectText(QStringLiteral(" 全部\n01 一校")));
      emit picker->closeUp();
      KvDlgItem<QPushButton>(dialog, 1)->click();
      EXPECT_TRUE(dialog->isVisible());
      EXPECT_TRUE(picker->SelectText(QStringLiteral(" 全部\n01 一校\n02 高中")));
      emit picker->closeUp();
      KvDlgItem<QPushButton>(dialog, 1)->click();
    });
    return dialog->exec();
  });
  EXPECT_TRUE(KvChooseDw(0, 2));
  EXPECT_EQ(m_messages.texts(), QStringList{QStringLiteral("这不是一个末级单位！")});
  EXPECT_EQ(KvGetCurrentDw().KNO, QStringLiteral("0102"));
  EXPECT_GE(KvGetDlgPos().Find(796), 0);
}
