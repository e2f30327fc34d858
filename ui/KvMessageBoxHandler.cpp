#include "ui/KvMessageBoxHandler.h"

#include "core/KvMessage.h"

#include <QApplication>
#include <QMessageBox>

namespace {
QMessageBox::StandardButton buttonOf(int answer) {
  switch (answer) {
    case KV_IDOK: return QMessageBox::Ok;
    case KV_IDCANCEL: return QMessageBox::Cancel;
    case KV_IDABORT: return QMessageBox::Abort;
    case KV_IDRETRY: return QMessageBox::Retry;
    case KV_IDIGNORE: return QMessageBox::Ignore;
    case KV_IDYES: return QMessageBox::Yes;
    case KV_IDNO: return QMessageBox::No;
    default: return QMessageBox::NoButton;
  }
}

QMessageBox::Icon iconOf(unsigned icon) {
  switch (icon) {
    case KV_MB_ICONSTOP: return QMessageBox::Critical;
    case KV_MB_ICONQUESTION: return QMessageBox::Question;
    case KV_MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case KV_MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

int showBox(const KvMessage& message) {
  QMessageBox box(iconOf(message.icon()), message.caption, message.text, QMessageBox::NoButton,
                  QApplication::activeWindow());
  const QList<int> answers = message.answers();
  for (int answer : answers)
    box.addButton(buttonOf(answer));
  box.setDefaultButton(buttonOf(message.defaultAnswer()));
  // Closing the box answers like Cancel where there is one, else like the
  // only button.
  if (answers.contains(KV_IDCANCEL))
    box.setEscapeButton(buttonOf(KV_IDCANCEL));
  else if (answers.size() == 1)
    box.setEscapeButton(buttonOf(answers.front()));
  const int clicked = box.exec();
  for (int answer : answers)
    if (buttonOf(answer) == clicked)
      return answer;
  return answers.contains(KV_IDCANCEL) ? KV_IDCANCEL : message.defaultAnswer();
}
}  // namespace

void KvInstallMessageBoxHandler() { KvSetMessageHandler(showBox); }
