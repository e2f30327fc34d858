#include "ui/KvRowControl.h"

#include "ui/CKvCommandRouter.h"
#include "ui/KvAppServices.h"
#include "ui/KvCommands.h"
#include "ui/KvRowClipboard.h"

#include <QKeyEvent>

KvRowControl::KvRowControl() : m_pDb(KvAppServiceDb()), m_nClipboardFormat(KV_ROW_CLIPBOARD_FORMAT) {}

unsigned KvRowControl::GetClipboardFormat() const { return KV_ROW_CLIPBOARD_FORMAT; }

void KvRowControl::CopyItems(bool bCut) {
  QStringList texts;
  GetCopyTexts(&texts);
  KvCopyRowsToClipboard(m_pDb, m_nClipboardFormat, texts, bCut);
}

int KvRowControl::ReadClipboard(QStringList* texts, bool* bCut, bool* bSameFile, CKvDbInfo* from) {
  KvClipboardRows rows;
  const int count = KvReadRowsFromClipboard(m_pDb, m_nClipboardFormat, &rows);
  *texts = rows.texts;
  *bCut = rows.cut;
  *bSameFile = rows.sameFile;
  *from = rows.from;
  return count;
}

void KvRowControl::PasteItems(const QStringList&, bool, bool, const CKvDbInfo&) {}

void KvRowControl::OnPrepareContextMenu(QMenu*) {}

void KvRowControl::OnCopy() {
  if (KvCmdEnabled(this, KV_CMD_EDIT_COPY))
    CopyItems(false);
}

void KvRowControl::OnCut() {
  if (KvCmdEnabled(this, KV_CMD_EDIT_CUT))
    CopyItems(true);
}

void KvRowControl::OnPaste() {
  if (!KvCmdEnabled(this, KV_CMD_EDIT_PASTE))
    return;
  QStringList texts;
  bool cut = false;
  bool sameFile = true;
  CKvDbInfo from;
  if (ReadClipboard(&texts, &cut, &sameFile, &from) > 0)
    PasteItems(texts, cut, sameFile, from);
}

bool KvRowControl::HandlesCmd(int id) const {
  switch (id) {
    case KV_CMD_CALCULATOR:
    case KV_CMD_NEW:
    case KV_CMD_OPEN:
    case KV_CMD_MODIFY:
    case KV_CMD_DELETE:
    case KV_CMD_EDIT_COPY:
    case KV_CMD_EDIT_CUT:
    case KV_CMD_EDIT_FIND:
    case KV_CMD_EDIT_PASTE:
    case KV_CMD_EDIT_FIND_NEXT: return true;
    default: return false;
  }
}

void KvRowControl::ExecuteCmd(int id) {
  switch (id) {
    case KV_CMD_CALCULATOR: OnCalculator(); break;
    case KV_CMD_NEW: OnNew(); break;
    case KV_CMD_OPEN: OnOpen(); break;
    case KV_CMD_MODIFY: OnModify(); break;
    case KV_CMD_DELETE: OnDelete(); break;
    case KV_CMD_EDIT_COPY: OnCopy(); break;
    case KV_CMD_EDIT_CUT: OnCut(); break;
    case KV_CMD_EDIT_FIND: OnFind(); break;
    case KV_CMD_EDIT_PASTE: OnPaste(); break;
    case KV_CMD_EDIT_FIND_NEXT: OnFindNext(); break;
    default: break;
  }
}

void KvRowControl::RunIfEnabled(int id) {
  if (KvCmdEnabled(this, id)) {
    ExecuteCmd(id);
    KvCommandsChanged();
  }
}

bool KvRowControl::HandleSharedKey(const QKeyEvent* event) {
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  switch (event->key()) {
    case Qt::Key_Home:
      if (shift)
        RunIfEnabled(KV_CMD_EDIT_PASTE);
      else if (ctrl)
        RunIfEnabled(KV_CMD_EDIT_COPY);
      return shift || ctrl;
    case Qt::Key_Delete: RunIfEnabled(shift ? KV_CMD_EDIT_CUT : KV_CMD_DELETE); return true;
    case Qt::Key_F3: RunIfEnabled(KV_CMD_EDIT_FIND_NEXT); return true;
    case Qt::Key_F12: OnCalculator(); return true;
    default: break;
  }
  if (!ctrl)
    return false;
  int id = 0;
  switch (event->key()) {
    case Qt::Key_C: id = KV_CMD_EDIT_COPY; break;
    case Qt::Key_F: id = KV_CMD_EDIT_FIND; break;
    case Qt::Key_M: id = KV_CMD_MODIFY; break;
    case Qt::Key_N: id = KV_CMD_NEW; break;
    case Qt::Key_O: id = KV_CMD_OPEN; break;
    case Qt::Key_V: id = KV_CMD_EDIT_PASTE; break;
    case Qt::Key_X: id = KV_CMD_EDIT_CUT; break;
    default: return false;
  }
  RunIfEnabled(id);
  return true;
}
