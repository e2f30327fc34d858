#pragma once
// Which column of an earlier layout each column of a new layout is, so that
// cells held by column index can follow their columns when the properties
// sheet deleted, inserted, moved or edited columns.
//
// A new column is the earlier column with the same field link; else the
// first earlier one not yet taken with the same definition; else with the
// same formula part of the definition (a fee item's code, an expression);
// else with the same title. A column none of these find is new (-1), and
// an earlier column no new one takes was deleted: its cells go, they never
// land in another column.

#include "forms/KvFormEntry.h"

#include <QList>

// origins[i] is the index in `before` of column i of `after`, or -1.
QList<int> KvColumnOrigins(const QList<KvFormula>& before, const QList<KvFormula>& after);

// The column-head blocks follow the shown columns after the columns page
// changed them (origins as above, from `before` to entry.formulas): a block
// moves with the columns it covers and stays over them, in whatever order
// they now stand, while they are side by side; a block whose columns are
// all gone or no longer side by side goes, and a shown column no block
// covers (a new or newly shown one) gets a block of its title over every
// head row. So a head never stands over another column than the one it
// named.
void KvFollowColumnHead(KvFormEntry& entry, const QList<KvFormula>& before, const QList<int>& origins);
