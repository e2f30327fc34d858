#include "timetable/CPKTreeView.h"

#include "core/KvFormat.h"
#include "school/CXxDataType.h"
#include "timetable/CPKDoc.h"
#include "timetable/CPubRmTable.h"
#include "timetable/CTchrTable.h"
#include "timetable/KvPkMenus.h"
#include "timetable/KvPkSchoolTree.h"
#include "ui/KvCommands.h"
#include "ui/KvWaitCursor.h"

#include <QMenu>
#include <QScopedValueRollback>
#include <QTimer>

#include <algorithm>

CPKTreeView::CPKTreeView(CPKDoc* pDoc, QWidget* parent) : CKvTreeView(parent), m_pDoc(pDoc) {
  setObjectName(QStringLiteral("CPKTreeView"));
  setHeaderHidden(true);
  // Every item is one line beside an icon of one size: the tree lays its
  // rows out by the first one's height instead of measuring each.
  setUniformRowHeights(true);
  connect(this, &QTreeWidget::currentItemChanged, this, &CPKTreeView::onCurrentItemChanged);
}

void CPKTreeView::initialUpdate() {
  m_bFilling = false;
  CKvTreeView::initialUpdate();
  setRootIsDecorated(true);
  SetSingleExpand(true);
  FillTree();
}

void CPKTreeView::GetIconIds(QList<int>* itemIcons, QList<int>* secondIcons) const {
  for (int id : {685, 606, 611, 650}) {
    itemIcons->append(id);
    if (secondIcons)
      secondIcons->append(id);
  }
}

void CPKTreeView::FillTree() {
  m_bFilling = true;
  {
    KvWaitCursor wait;
    setUpdatesEnabled(false);
    clear();
    if (m_pDoc->Page() == 0) {
      // The document has read the tree with its catalogue.
      KvPkSchoolNodes nodes;
      if (m_pDoc->SchoolNodes(&nodes))
        KvPkFillSchoolTree(this, nodes);
      else
        KvPkFillSchoolTree(this, Db());
    } else if (m_pDoc->Page() == 1) {
      QList<CTchrRec> teachers;
      CTchrTable::LoadAll(teachers, Db());
      for (const CTchrRec& rec : teachers)
        (new QTreeWidgetItem(this, {KvFormat("%s %s", rec.KNO, rec.NA)}))->setIcon(0, ImageIcon(2));
    } else {
      QList<CPubRmRec> rooms;
      CPubRmTable::LoadAll(rooms, Db());
      for (const CPubRmRec& rec : rooms)
        (new QTreeWidgetItem(this, {KvFormat("%s %s", rec.KNO, rec.NA)}))->setIcon(0, ImageIcon(1));
    }
    setUpdatesEnabled(true);
  }
  m_bFilling = false;
  SelectDocumentKey();
}

void CPKTreeView::SelectDocumentKey() {
  const QString key = m_pDoc->Key();
  const int levels = m_pDoc->Page() == 0 ? std::min(CXxDataType::LevelOfCode(key), CXxDataType::MgmtLevelsRef() +
                                                                                        CXxDataType::MultiClassRef() + 1)
                                         : 1;
  const QScopedValueRollback quiet(m_bFilling, true);
  KvPkSelectCode(this, key, levels);
}

void CPKTreeView::onCurrentItemChanged() {
  if (m_bFilling || !currentItem())
    return;
  if (!m_pDoc->SelectKey(KvPkItemCode(currentItem())))
    reselectDocumentNode();
}

void CPKTreeView::reselectDocumentNode() {
  // The sheet still shows the document's node: the tree goes back to it
  // now and once more when the click that chose another node has finished,
  // for the click selects its item after this change was refused.
  SelectDocumentKey();
  QTimer::singleShot(0, this, [this] { SelectDocumentKey(); });
}

void CPKTreeView::OnPrepareContextMenu(QMenu* popup) {
  for (int id : {KV_CMD_NEW, KV_CMD_OPEN, KV_CMD_MODIFY})
    KvPkRemoveCommand(popup, id);
  if (m_pDoc->Page() == 0) {
    KvPkInsertCommand(popup, KV_CMD_ARRANGE, KV_CMD_EDIT_CUT, false);
  } else {
    KvPkRemoveCommand(popup, KV_CMD_DELETE);
    KvPkRemoveItemAt(popup, 0);
    KvPkRemoveItemAt(popup, 3);
  }
  for (int id : {KV_CMD_EDIT_CUT, KV_CMD_EDIT_COPY, KV_CMD_EDIT_PASTE})
    KvPkRemoveCommand(popup, id);
}

bool CPKTreeView::IsCmdAllowed(int id) {
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
    case KV_CMD_ARRANGE:
      return m_pDoc->CanArrange();
    default:
      return true;
  }
}

bool CPKTreeView::IsCmdEnabled(int id) { return id == KV_CMD_ARRANGE || CKvTreeView::IsCmdEnabled(id); }

bool CPKTreeView::HandlesCmd(int id) const { return id == KV_CMD_ARRANGE || CKvTreeView::HandlesCmd(id); }

void CPKTreeView::ExecuteCmd(int id) {
  if (id != KV_CMD_ARRANGE) {
    CKvTreeView::ExecuteCmd(id);
    return;
  }
  if (IsCmdAllowed(id))
    m_pDoc->Arrange();
}

void CPKTreeView::OnDelete() {
  if (SelectedItem() && IsCmdAllowed(KV_CMD_DELETE) && m_pDoc->DeleteTimetables())
    m_pDoc->Refresh();
}
