// The printer list dialog: profiles added, renamed, mapped, made current and
// deleted through its controls, bad names refused.

#include "print/CKvPrinterDlg.h"

#include "KvSetupDlgFixture.h"
#include "core/KvMessage.h"
#include "ui/KvObjectNames.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTreeWidget>

namespace {
class CKvPrinterDlgTest : public KvSetupDlgTest {
 protected:
  QStringList rows(const CKvPrinterDlg& dialog, int column) {
    QStringList texts;
    auto* list = KvDlgItem<QTreeWidget>(&dialog, 1000);
    for (int i = 0; i < list->topLevelItemCount(); ++i)
      texts << list->topLevelItem(i)->text(column);
    return texts;
  }
  void select(CKvPrinterDlg& dialog, int row) {
    auto* list = KvDlgItem<QTreeWidget>(&dialog, 1000);
    list->setCurrentItem(list->topLevelItem(row));
  }
  void typeName(CKvPrinterDlg& dialog, const QString& name) {
    KvDlgItem<QLineEdit>(&dialog, 1001)->setText(name);
  }
};
}  // namespace

TEST_F(CKvPrinterDlgTest, ProfilesAreManagedFromTheList) {
  KvSetCurrentPrinterName(QString());
  CKvPrinterDlg dialog;
  dialog.show();
  EXPECT_EQ(dialog.objectName(), QStringLiteral("dlg_809"));
  EXPECT_TRUE(rows(dialog, 0).isEmpty());
  EXPECT_FALSE(KvDlgItem<QWidget>(&dialog, 1004)->isEnabled());

  typeName(dialog, QStringLiteral(" 教务处 "));
  click(&dialog, 1003);
  typeName(dialog, QStringLiteral("财务室"));
  click(&dialog, 1003);
  EXPECT_EQ(rows(dialog, 0), QStringList({QStringLiteral("教务处"), QStringLiteral("财务室")}));
  // The first profile became the current one.
  EXPECT_EQ(rows(dialog, 2), QStringList({QStringLiteral("√"), QString()}));
  EXPECT_EQ(rows(dialog, 1).at(1), QStringLiteral("默认（hp-office）"));

  {
    KvMessageRecorder recorder;
    typeName(dialog, QStringLiteral("财务室"));
    click(&dialog, 1003);
    typeName(dialog, QString());
    click(&dialog, 1003);
    EXPECT_EQ(recorder.messages().size(), 2);
    EXPECT_EQ(rows(dialog, 0).size(), 2);
  }

  // 财务室 prints to PDF files and becomes the current profile.
  select(dialog, 1);
  auto* queues = KvDlgItem<QComboBox>(&dialog, 1002);
  const int pdf = queues->findData(QStringLiteral("PDF"));
  ASSERT_GE(pdf, 0);
  queues->setCurrentIndex(pdf);
  emit queues->activated(pdf);
  EXPECT_EQ(KvPrinterMapping(QStringLiteral("财务室")), QStringLiteral("PDF"));
  EXPECT_EQ(rows(dialog, 1).at(1), QStringLiteral("PDF文件"));
  click(&dialog, 1006);
  EXPECT_EQ(KvCurrentPrinterName(), QStringLiteral("财务室"));
  EXPECT_EQ(KvCurrentQueue(), QStringLiteral("PDF"));

  select(dialog, 1);
  typeName(dialog, QStringLiteral("二楼"));
  click(&dialog, 1004);
  EXPECT_EQ(rows(dialog, 0), QStringList({QStringLiteral("二楼"), QStringLiteral("教务处")}));
  EXPECT_EQ(KvCurrentPrinterName(), QStringLiteral("二楼"));
  EXPECT_EQ(KvPrinterMapping(QStringLiteral("二楼")), QStringLiteral("PDF"));

  {
    KvMessageRecorder recorder;
    recorder.script({KV_IDNO, KV_IDYES});
    select(dialog, 1);
    click(&dialog, 1005);
    EXPECT_EQ(rows(dialog, 0).size(), 2);
    click(&dialog, 1005);
    EXPECT_EQ(rows(dialog, 0), QStringList({QStringLiteral("二楼")}));
  }

  QList<int> codes;
  for (const auto& entry : logged)
    codes << entry.first;
  EXPECT_EQ(codes, QList<int>(6, 28));
  EXPECT_EQ(logged.at(4).second, QStringLiteral("打印机“财务室”改名为“二楼”"));
}
