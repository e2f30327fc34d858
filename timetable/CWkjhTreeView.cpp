#include "timetable/CWkjhTreeView.h"

#include "school/CXxDataType.h"
#include "timetable/CWkjhDoc.h"
#include "timetable/KvPkMenus.h"
#include "timetable/KvPkSchoolTree.h"
#include "ui/KvCommands.h"
#include "ui/KvWaitCursor.h"

#include <QMenu>
#include <QScopedValueRollback>
#include <QTimer>

CWkjhTreeView::CWkjhTreeView(CWkjhDoc* pDoc, QWidget* parent) : CKvTreeView(parent), m_pDoc(pDoc) {
  setObjectName(QStringLiteral("CWkjhTreeView"));
  setHeaderHidden(true);
  connect(this, &QTreeWidget::currentItemChanged, this, &CWkjhTreeView::onCurrentItemChanged);
}

void CWkjhTreeView::initialUpdate() {
  CKvTreeView::initialUpdate();
  m_bFilling = true;
  {
    KvWaitCursor wait;
    KvPkFillSchoolTree(this, Db());
  }
  m_bFilling = false;
  SelectDocumentCode();
}

void CWkjhTreeView::GetIconIds(QList<int>* itemIcons, QList<int>* secondIcons) const {
  for (int id : {685, 606, 611}) {
    itemIcons->append(id);
    if (secondIcons)
      secondIcons->append(id);
  }
}

void CWkjhTreeView::SelectDocumentCode() {
  const QString& code = m_pDoc->m_key.STD;
  const QScopedValueRollback quiet(m_bFilling, true);
  KvPkSelectCode(this, code, CXxDataType::LevelOfCode(code));
}

void CWkjhTreeView::onCurrentItemChanged() {
  if (m_bFilling || !currentItem())
    return;
  if (!m_pDoc->SelectCode(KvPkItemCode(currentItem())))
    reselectDocumentNode();
}

void CWkjhTreeView::reselectDocumentNode() {
  // The sheet still shows the document's node: the tree goes back to it
  // now and once more when the click that chose another node has finished,
  // for the click selects its item after this change was refused.
  SelectDocumentCode();
  QTimer::singleShot(0, this, [this] { SelectDocumentCode(); });
}

void CWkjhTreeView::OnPrepareContextMenu(QMenu* popup) {
  for (int id : {KV_CMD_NEW, KV_CMD_OPEN, KV_CMD_MODIFY, KV_CMD_EDIT_CUT, KV_CMD_EDIT_COPY, KV_CMD_EDIT_PASTE})
    KvPkRemoveCommand(popup, id);
  KvPkRemoveItemAt(popup, 2);
}

bool CWkjhTreeView::IsCmdAllowed(int id) {
  switch (id) {
    case KV_CMD_EDIT_COPY:
    case KV_CMD_EDIT_CUT:
    case KV_CMD_EDIT_PASTE:
    case KV_CMD_NEW:
    case KV_CMD_OPEN:
    case KV_CMD_MODIFY:
      return false;
    case KV_CMD_DELETE:
      return m_pDoc->CanDelete();
    default:
      return true;
  }
}

void CWkjhTreeView::OnDelete() {
  if (!SelectedItem() || !IsCmdAllowed(KV_CMD_DELETE) || !m_pDoc->DeletePlan())
    return;
  // The plan's typed edits went with it, and a read that fails must not
  // show its rows again.
  m_pDoc->GiveUpEdits();
  m_pDoc->MarkKeyChanged();
  m_pDoc->Refill();
}
