#pragma once
// The program's one message function. Every message box of the program goes
// through KvMessageBox; what it does is decided by a replaceable handler:
// the user interface installs one that shows a real box, tests install a
// recorder with scripted answers, and with no handler the message is recorded
// and answered with its default button, so nothing ever blocks.

#include <QList>
#include <QString>
#include <functional>

// Buttons, icons and default button, combined into one style word.
enum : unsigned {
  KV_MB_OK = 0x0,
  KV_MB_OKCANCEL = 0x1,
  KV_MB_ABORTRETRYIGNORE = 0x2,
  KV_MB_YESNOCANCEL = 0x3,
  KV_MB_YESNO = 0x4,
  KV_MB_RETRYCANCEL = 0x5,
  KV_MB_TYPEMASK = 0xF,

  KV_MB_ICONSTOP = 0x10,
  KV_MB_ICONQUESTION = 0x20,
  KV_MB_ICONEXCLAMATION = 0x30,
  KV_MB_ICONINFORMATION = 0x40,
  KV_MB_ICONMASK = 0xF0,

  KV_MB_DEFBUTTON1 = 0x000,
  KV_MB_DEFBUTTON2 = 0x100,
  KV_MB_DEFBUTTON3 = 0x200,
  KV_MB_DEFMASK = 0xF00,
};

// Answers, with the numbers callers compare against.
enum : int {
  KV_IDOK = 1,
  KV_IDCANCEL = 2,
  KV_IDABORT = 3,
  KV_IDRETRY = 4,
  KV_IDIGNORE = 5,
  KV_IDYES = 6,
  KV_IDNO = 7,
};

struct KvMessage {
  QString text;
  QString caption;
  unsigned style = KV_MB_OK;

  unsigned buttons() const { return style & KV_MB_TYPEMASK; }
  unsigned icon() const { return style & KV_MB_ICONMASK; }
  // The answers the buttons give, left to right.
  QList<int> answers() const;
  // The answer of the default button.
  int defaultAnswer() const;
};

using KvMessageHandler = std::function<int(const KvMessage&)>;

// Shows a message; the answer is one of the KV_ID values. An empty caption
// means the program's name.
int KvMessageBox(const QString& text, unsigned style = KV_MB_OK | KV_MB_ICONEXCLAMATION,
                 const QString& caption = QString());

// How many messages have been shown since the program started: a caller
// that compares the count before and after an operation knows whether the
// operation told the user anything (a failed statement, BEGIN or COMMIT
// reports itself; a check that merely answers no does not).
unsigned KvMessageCount();

// Replaces the handler and returns the one that was in place (empty: none).
KvMessageHandler KvSetMessageHandler(KvMessageHandler handler);

// Records every message and answers from a script; while it lives it is the
// handler, and the one before it comes back when it is destroyed.
class KvMessageRecorder {
 public:
  KvMessageRecorder();
  ~KvMessageRecorder();
  KvMessageRecorder(const KvMessageRecorder&) = delete;
  KvMessageRecorder& operator=(const KvMessageRecorder&) = delete;

  // Answers given in order to the next messages; once used up, each message
  // gets its default answer.
  void script(const QList<int>& answers) { m_script += answers; }
  const QList<KvMessage>& messages() const { return m_messages; }
  QStringList texts() const;
  // The text of the latest message, empty when there is none.
  QString last() const;
  void clear() { m_messages.clear(); m_script.clear(); }

 private:
  int answer(const KvMessage& message);

  QList<KvMessage> m_messages;
  QList<int> m_script;
  KvMessageHandler m_previous;
};
