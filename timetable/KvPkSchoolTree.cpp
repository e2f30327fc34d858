#include "timetable/KvPkSchoolTree.h"

#include "core/KvFormat.h"
#include "core/KvText.h"
#include "school/CStd.h"
#include "school/CXxDataType.h"
#include "ui/CKvTreeCtrl.h"

#include <QHash>
#include <QTreeWidget>

bool KvPkFillSchoolTree(QTreeWidget* tree, CKvDb* pDb) {
  tree->clear();
  CStd root(pDb, QString());
  QList<CStd> rows;
  if (root.Select(&rows, 1, -1, KvFormat("Where Len(rtrim(KNO))<=%d", CXxDataType::ClassCodeLen())) < 0)
    return false;
  KvPkSchoolNodes nodes;
  nodes.reserve(rows.size());
  for (const CStd& row : rows)
    nodes.append({row.KNO, row.NA});
  KvPkFillSchoolTree(tree, nodes);
  return true;
}

void KvPkFillSchoolTree(QTreeWidget* tree, const KvPkSchoolNodes& nodes) {
  tree->clear();
  auto* ctrl = qobject_cast<CKvTreeCtrl*>(tree);
  const int grade = CXxDataType::MgmtLevelsRef();
  // The branches are built apart from the tree and put into it at the end,
  // in one step: an item added to the tree's model is announced to the view
  // one by one.
  QList<QTreeWidgetItem*> tops;
  QHash<QString, QTreeWidgetItem*> items;
  for (const auto& [code, name] : nodes) {
    const QString parentCode = CStd::ParentCode(code);
    QTreeWidgetItem* parent = parentCode.isEmpty() ? nullptr : items.value(parentCode);
    if (!parentCode.isEmpty() && !parent)
      continue;  // a node whose parent is missing is not reachable
    const int parentLevel = CXxDataType::LevelOfCode(parentCode);
    const int image = parentLevel < grade ? 0 : (parentLevel == grade ? 1 : 2);
    const QString text = KvFormat("%s %s", code.mid(parentCode.size()), name);
    auto* item = parent ? new QTreeWidgetItem(parent, {text}) : new QTreeWidgetItem(QStringList{text});
    if (!parent)
      tops.append(item);
    if (ctrl)
      item->setIcon(0, ctrl->ImageIcon(image));
    items.insert(code, item);
  }
  tree->addTopLevelItems(tops);
}

QString KvPkItemCode(const QTreeWidgetItem* item) {
  QString code;
  for (; item; item = item->parent())
    code.prepend(KvFirstWord(item->text(0)));
  return code;
}

QTreeWidgetItem* KvPkSelectCode(QTreeWidget* tree, const QString& code, int maxLevels) {
  QTreeWidgetItem* found = nullptr;
  QString reached;
  for (int level = 0; level < maxLevels; ++level) {
    const int count = found ? found->childCount() : tree->topLevelItemCount();
    QTreeWidgetItem* next = nullptr;
    for (int i = 0; i < count && !next; ++i) {
      QTreeWidgetItem* item = found ? found->child(i) : tree->topLevelItem(i);
      if (code.startsWith(reached + KvFirstWord(item->text(0))))
        next = item;
    }
    if (!next)
      break;
    found = next;
    reached += KvFirstWord(next->text(0));
    if (reached == code)
      break;
  }
  if (found) {
    tree->setCurrentItem(found);
    tree->scrollToItem(found);
  }
  return found;
}
