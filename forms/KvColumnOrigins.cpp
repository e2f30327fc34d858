#include "forms/KvColumnOrigins.h"

#include "forms/KvColumnDef.h"

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
