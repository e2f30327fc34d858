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

int KvRowControl::SharedKeyCommand(const QKeyEvent* event) {
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  switch (event->key()) {
    case Qt::Key_Home: return shift ? KV_CMD_EDIT_PASTE : ctrl ? KV_CMD_EDIT_COPY : 0;
    case Qt::Key_Delete: return shift ? KV_CMD_EDIT_CUT : KV_CMD_DELETE;
    case Qt::Key_F3: return KV_CMD_EDIT_FIND_NEXT;
    case Qt::Key_F12: return KV_CMD_CALCULATOR;
    default: break;
  }
  if (!ctrl)
    return 0;
  switch (event->key()) {
    case Qt::Key_C: return KV_CMD_EDIT_COPY;
    case Qt::Key_F: return KV_CMD_EDIT_FIND;
    case Qt::Key_M: return KV_CMD_MODIFY;
    case Qt::Key_N: return KV_CMD_NEW;
    case Qt::Key_O: return KV_CMD_OPEN;
    case Qt::Key_V: return KV_CMD_EDIT_PASTE;
    case Qt::Key_X: return KV_CMD_EDIT_CUT;
    default: return 0;
  }
}

bool KvRowControl::HandleSharedKey(const QKeyEvent* event) {
  const int id = SharedKeyCommand(event);
  if (id == 0)
    return false;
  if (id == KV_CMD_CALCULATOR)
    OnCalculator();
  else
    RunIfEnabled(id);
  return true;
}
