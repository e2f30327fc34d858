#pragma once
// Tells the operator, once per command, that a command failed because the
// connection to the database server is lost ("与数据库服务器的连接已中断，
// 请重新注册。"), while the program stays disconnected after a cancelled
// login.
//
// A command is what the operator sets off with a key or a mouse button (a
// menu item, a toolbar button, a button of a window, closing a window);
// it lasts until the program waits again for input with no modal window
// or popup menu open. Statements the program runs by itself, outside a
// command, fail without a word. The clicks that answer this notice's own
// message begin no command of their own.

#include <QObject>

class KvLostConnectionNotice : public QObject {
 public:
  // Watches the input of the whole application from now on.
  KvLostConnectionNotice();

  // A statement of the lost connection failed: the message, unless it has
  // been shown in this command or no command is running.
  void StatementFailed();
  // The loss was found in this command: the login offered after it tells
  // it, so the command says no more.
  void LossFound();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The program waits for input: at the level where commands begin, the
  // command has ended.
  void Idle();

  bool m_bInCommand = false;
  bool m_bTold = false;
  bool m_bTelling = false;
};
