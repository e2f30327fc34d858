#include "forms/KvColumnOrigins.h"

#include "forms/KvColumnDef.h"

#include <QHash>

#include <algorithm>
#include <functional>

QList<int> KvColumnOrigins(const QList<KvFormula>& before, const QList<KvFormula>& after) {
  QList<int> origins(after.size(), -1);
  QList<bool> taken(before.size(), false);
  QList<KvColumnDef> beforeDefs(before.size());
  QList<KvColumnDef> afterDefs(after.size());
  for (int i = 0; i < before.size(); ++i)
    KvParseColumnDef(before.at(i), beforeDefs[i]);
  for (int i = 0; i < after.size(); ++i)
    KvParseColumnDef(after.at(i), afterDefs[i]);
  // One pass per rule, from the surest: a column a surer rule found is
  // not offered to a weaker one.
  const std::function<bool(int, int)> rules[] = {
      [&](int a, int b) { return after.at(a).Link() != 0 && after.at(a).Link() == before.at(b).Link(); },
      [&](int a, int b) {
        return after.at(a).Link() == 0 && before.at(b).Link() == 0 && after.at(a).sFormula == before.at(b).sFormula;
      },
      [&](int a, int b) {
        return after.at(a).Link() == 0 && before.at(b).Link() == 0 && !afterDefs.at(a).sFormula.isEmpty() &&
               afterDefs.at(a).sFormula == beforeDefs.at(b).sFormula;
      },
      [&](int a, int b) {
        return after.at(a).Link() == 0 && before.at(b).Link() == 0 && !afterDefs.at(a).sTitle.isEmpty() &&
               afterDefs.at(a).sTitle == beforeDefs.at(b).sTitle;
      }};
  for (const auto& same : rules)
    for (int a = 0; a < after.size(); ++a) {
      if (origins.at(a) >= 0)
        continue;
      for (int b = 0; b < before.size(); ++b)
        if (!taken.at(b) && same(a, b)) {
          origins[a] = b;
          taken[b] = true;
          break;
        }
    }
  return origins;
}

void KvFollowColumnHead(KvFormEntry& entry, const QList<KvFormula>& before, const QList<int>& origins) {
  // Shown position (from 1) of each earlier column, and where it is shown now.
  QList<int> oldPos(before.size(), 0);
  for (int i = 0, pos = 0; i < before.size(); ++i)
    if (before.at(i).IsShown())
      oldPos[i] = ++pos;
  QHash<int, int> newPos;
  for (int j = 0, pos = 0; j < entry.formulas.size(); ++j) {
    if (!entry.formulas.at(j).IsShown())
      continue;
    ++pos;
    const int from = origins.value(j, -1);
    if (from >= 0 && oldPos.at(from) > 0)
      newPos.insert(oldPos.at(from), pos);
  }
  QList<KvTopWord> words;
  for (KvTopWord w : entry.topWords) {
    QList<int> cols;
    for (int c = w.nCol1; c <= w.nCol2; ++c)
      if (newPos.contains(c))
        cols.append(newPos.value(c));
    // A move inside the block reorders its columns; the block stays over
    // them as long as they are still side by side.
    std::sort(cols.begin(), cols.end());
    bool together = !cols.isEmpty();
    for (int k = 1; together && k < cols.size(); ++k)
      together = cols.at(k) == cols.at(k - 1) + 1;
    if (!together)
      continue;
    w.nCol1 = cols.first();
    w.nCol2 = cols.last();
    words.append(w);
  }
  entry.topWords = words;
  // Positions of the columns no block followed, covered afresh.
  QList<int> covered(entry.ShownColumnCount() + 1, 0);
  for (const KvTopWord& w : words)
    for (int c = std::max(w.nCol1, 1); c <= w.nCol2 && c < covered.size(); ++c)
      covered[c] = 1;
  for (int j = 0, pos = 0; j < entry.formulas.size(); ++j) {
    if (!entry.formulas.at(j).IsShown())
      continue;
    ++pos;
    if (covered.at(pos) != 0)
      continue;
    KvColumnDef def;
    KvParseColumnDef(entry.formulas.at(j), def);
    entry.AddTopWord(pos, 1, pos, kKvHeadRows.Bound(entry.nTopNum), def.sTitle);
  }
}
