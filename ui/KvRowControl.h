#pragma once
// What the program's list and tree controls share: the application's
// connection (taken when the control is made), copy, cut and paste of texts
// through the row clipboard format (KvRowClipboard.h), the text they look
// for, the keys they both take and the operations their right-click menus
// end in. A derived control decides what its rows are (GetCopyTexts) and
// what new, open, modify, delete and paste mean.

#include "core/CKvDbInfo.h"
#include "ui/KvCommandTarget.h"
#include "ui/KvFindText.h"

#include <QStringList>

class CKvDb;
class QKeyEvent;
class QMenu;

class KvRowControl : public KvCommandTarget {
 public:
  KvRowControl();

  CKvDb* Db() const { return m_pDb; }

  // The clipboard format of the control's rows (0x200 unless changed).
  virtual unsigned GetClipboardFormat() const;
  // Puts GetCopyTexts on the clipboard, as copied or cut.
  virtual void CopyItems(bool bCut);
  virtual int GetCopyTexts(QStringList* texts) const = 0;
  // Reads texts of the control's format from the clipboard (a cut is
  // emptied from it); returns their number.
  virtual int ReadClipboard(QStringList* texts, bool* bCut, bool* bSameFile, CKvDbInfo* from);
  // What pasting the texts means; nothing by default.
  virtual void PasteItems(const QStringList& texts, bool bCut, bool bSameFile,
                          const CKvDbInfo& from);
  // Lets a derived control change its right-click menu before it shows.
  virtual void OnPrepareContextMenu(QMenu* popup);
  virtual void OnNew() {}
  virtual void OnOpen() {}
  virtual void OnModify() {}
  virtual void OnDelete() {}
  // Copy, cut and paste when enabled.
  virtual void OnCopy();
  virtual void OnCut();
  virtual void OnPaste();
  // The calculator; its result is not used.
  virtual void OnCalculator() = 0;
  // Find asks for a text with the find dialog and looks for it; find next
  // looks for it again.
  virtual void OnFind() = 0;
  virtual void OnFindNext() = 0;

  // The commands both controls carry out: the calculator (43002), new,
  // open, modify and delete (43004-43007), copy, cut, paste, find and find
  // next.
  bool HandlesCmd(int id) const override;
  void ExecuteCmd(int id) override;

 protected:
  // Runs the command when it is enabled and asks the enabled states again.
  void RunIfEnabled(int id);
  // The keys both controls take, each running its command when enabled:
  // Shift+Home paste, Ctrl+Home copy, Shift+Delete cut, Delete delete, F3
  // find next, F12 the calculator, Ctrl+C copy, Ctrl+F find, Ctrl+M modify,
  // Ctrl+N new, Ctrl+O open, Ctrl+V paste, Ctrl+X cut. True when the key is
  // one of them (taken, enabled or not).
  bool HandleSharedKey(const QKeyEvent* event);
  // The command of a key HandleSharedKey takes (43002 for F12); 0 for any
  // other key. A control inside a window whose actions hold some of these
  // keys claims them (ShortcutOverride) so that they reach it.
  static int SharedKeyCommand(const QKeyEvent* event);

  CKvDb* m_pDb;
  unsigned m_nClipboardFormat;
  KvFindText m_find;
};
