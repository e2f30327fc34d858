#pragma once
// The school tree of the plan and timetable windows: units, grades and
// classes (down to the class level) as items "code name", where an item's
// code is the part of the node's code after its parent's, so that a node's
// full code is the first words of its item and its ancestors joined. Images:
// 0 unit, 1 grade, 2 class. Read with one select, in code order.

#include <QList>
#include <QPair>
#include <QString>

class CKvDb;
class QTreeWidget;
class QTreeWidgetItem;

// The units, grades and classes as (code, name), in code order.
using KvPkSchoolNodes = QList<QPair<QString, QString>>;

// Empties the tree and fills it; false when the school tree cannot be read.
bool KvPkFillSchoolTree(QTreeWidget* tree, CKvDb* pDb);
// Empties the tree and fills it with nodes already read.
void KvPkFillSchoolTree(QTreeWidget* tree, const KvPkSchoolNodes& nodes);
// The full code of an item; empty for none.
QString KvPkItemCode(const QTreeWidgetItem* item);
// Walks from the top level down, at most maxLevels levels, each time to the
// first item whose code is the start of `code`, and selects the deepest
// item reached; null (selection unchanged) when the first level has none.
QTreeWidgetItem* KvPkSelectCode(QTreeWidget* tree, const QString& code, int maxLevels);
