#include "timetable/CKvPkCatalogList.h"

#include "core/CKvDb.h"
#include "core/KvMessage.h"
#include "app/KvLoggedWrite.h"
#include "ui/KvCommands.h"

#include <QAction>
#include <QMenu>

CKvPkCatalogList::CKvPkCatalogList(KvPkCatalog catalog, CKvDb* pDb, QWidget* parent)
    : CKvListCtrl(parent), m_catalog(std::move(catalog)) {
  if (pDb)
    m_pDb = pDb;
}

void CKvPkCatalogList::Setup() {
  InitList();
  SetExStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  SetColumns(m_catalog.columns, m_catalog.widths);
  Refill(QString());
}

void CKvPkCatalogList::Refill(const QString& code) {
  DeleteAllItems();
  if (m_catalog.rows)
    for (const QStringList& row : m_catalog.rows(m_pDb))
      AddRow(row, m_catalog.icon != 0 ? 0 : -1);
  if (!code.isEmpty())
    FindAndSelect(code);
}

QString CKvPkCatalogList::selectedCode() const {
  const int row = GetFirstSelected();
  return row < 0 ? QString() : GetItemText(row, 0);
}

bool CKvPkCatalogList::IsCmdEnabled(int id) {
  switch (id) {
    case KV_CMD_NEW:
    case KV_CMD_OPEN: return hasRight();
    case KV_CMD_MODIFY:
    case KV_CMD_DELETE: return hasRight() && GetSelectedRows().size() == 1;
    case KV_CMD_EDIT_CUT:
    case KV_CMD_EDIT_COPY:
    case KV_CMD_EDIT_PASTE: return false;
    default: return CKvListCtrl::IsCmdEnabled(id);
  }
}

void CKvPkCatalogList::GetIconIds(QList<int>* ids) const {
  if (m_catalog.icon != 0)
    ids->append(m_catalog.icon);
}

void CKvPkCatalogList::OnPrepareContextMenu(QMenu* popup) {
  for (QAction* action : popup->actions()) {
    const int id = action->data().toInt();
    if (id == KV_CMD_EDIT_CUT || id == KV_CMD_EDIT_COPY || id == KV_CMD_EDIT_PASTE ||
        id == KV_CMD_EDIT_SELECT_ALL)
      popup->removeAction(action);
  }
}

void CKvPkCatalogList::OnNew() {
  if (!IsCmdEnabled(KV_CMD_NEW) || !m_catalog.edit)
    return;
  // The first run starts from the selected row; each later one from the
  // row just saved.
  QString from = selectedCode();
  for (;;) {
    const QString saved = m_catalog.edit(1, from, m_pDb, window());
    if (saved.isEmpty())
      break;
    Refill(saved);
    from = saved;
  }
}

void CKvPkCatalogList::OnOpen() { OnModify(); }

void CKvPkCatalogList::OnModify() {
  if (!IsCmdEnabled(KV_CMD_MODIFY) || !m_catalog.edit)
    return;
  const QString saved = m_catalog.edit(0, selectedCode(), m_pDb, window());
  if (!saved.isEmpty())
    Refill(saved);
}

void CKvPkCatalogList::OnDelete() {
  if (!IsCmdEnabled(KV_CMD_DELETE) || !m_catalog.remove)
    return;
  const QString code = selectedCode();
  if (DeleteCode(code))
    Refill(code);
}

bool CKvPkCatalogList::DeleteCode(const QString& code) {
  if (!m_catalog.remove)
    return false;
  QString refusal;
  if (KvLoggedWrite(m_pDb, m_catalog.logCode, QStringLiteral("删除：%1").arg(code),
                    [&] { return m_catalog.remove(code, m_pDb, &refusal); }))
    return true;
  // Shown once the delete has rolled back, so that no workstation waits on it.
  if (!refusal.isEmpty())
    KvMessageBox(refusal, KV_MB_OK | KV_MB_ICONSTOP);
  return false;
}
