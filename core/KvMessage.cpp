#include "core/KvMessage.h"

#include "core/KvConst.h"

#include <QStringList>
#include <QtGlobal>

namespace {
KvMessageHandler& currentHandler() {
  static KvMessageHandler handler;
  return handler;
}

unsigned& shownCount() {
  static unsigned count = 0;
  return count;
}
}  // namespace

QList<int> KvMessage::answers() const {
  switch (buttons()) {
    case KV_MB_OKCANCEL: return {KV_IDOK, KV_IDCANCEL};
    case KV_MB_ABORTRETRYIGNORE: return {KV_IDABORT, KV_IDRETRY, KV_IDIGNORE};
    case KV_MB_YESNOCANCEL: return {KV_IDYES, KV_IDNO, KV_IDCANCEL};
    case KV_MB_YESNO: return {KV_IDYES, KV_IDNO};
    case KV_MB_RETRYCANCEL: return {KV_IDRETRY, KV_IDCANCEL};
    default: return {KV_IDOK};
  }
}

int KvMessage::defaultAnswer() const {
  const QList<int> all = answers();
  const int index = int((style & KV_MB_DEFMASK) >> 8);
  return index < all.size() ? all[index] : all.front();
}

unsigned KvMessageCount() { return shownCount(); }

int KvMessageBox(const QString& text, unsigned style, const QString& caption) {
  ++shownCount();
  KvMessage message{text, caption.isEmpty() ? QString::fromUtf8(kv::kProductName) : caption, style};
  if (KvMessageHandler& handler = currentHandler())
    return handler(message);
  // No handler (a tool run without a user interface): the message goes to the
  // log and the default button answers.
  qWarning("%s", qUtf8Printable(message.text));
  return message.defaultAnswer();
}

KvMessageHandler KvSetMessageHandler(KvMessageHandler handler) {
  KvMessageHandler previous = std::move(currentHandler());
  currentHandler() = std::move(handler);
  return previous;
}

KvMessageRecorder::KvMessageRecorder() {
  m_previous = KvSetMessageHandler([this](const KvMessage& m) { return answer(m); });
}

KvMessageRecorder::~KvMessageRecorder() { KvSetMessageHandler(std::move(m_previous)); }

int KvMessageRecorder::answer(const KvMessage& message) {
  m_messages.append(message);
  if (!m_script.isEmpty())
    return m_script.takeFirst();
  return message.defaultAnswer();
}

QStringList KvMessageRecorder::texts() const {
  QStringList all;
  for (const KvMessage& m : m_messages)
    all.append(m.text);
  return all;
}

QString KvMessageRecorder::last() const {
  return m_messages.isEmpty() ? QString() : m_messages.back().text;
}
