#include "core/KvMessage.h"
#include "ui/KvMessageBoxHandler.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace {
// Presses a button of the message box once it is up, then reports what it saw.
struct BoxPresser {
  QMessageBox::StandardButton press = QMessageBox::NoButton;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;

  void arm() {
    QTimer::singleShot(0, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      text = box->text();
      icon = box->icon();
      defaultButton = box->standardButton(box->defaultButton());
      box->button(press)->click();
    });
  }
};
}  // namespace

TEST(KvMessageBoxHandler, ShowsIconButtonsAndAnswersWithTheButtonsId) {
  KvInstallMessageBoxHandler();
  BoxPresser presser;
  presser.press = QMessageBox::No;
  presser.arm();
  const int answer = KvMessageBox(QStringLiteral("确实要删除吗？"),
                                  KV_MB_YESNO | KV_MB_ICONQUESTION | KV_MB_DEFBUTTON2);
  KvSetMessageHandler({});
  EXPECT_EQ(answer, KV_IDNO);
  EXPECT_EQ(presser.text, QStringLiteral("确实要删除吗？"));
  EXPECT_EQ(presser.icon, QMessageBox::Question);
  EXPECT_EQ(presser.defaultButton, QMessageBox::No);
}
