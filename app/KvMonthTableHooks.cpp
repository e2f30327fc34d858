#include "app/KvMonthTableHooks.h"

#include <utility>

namespace {
KvMonthTableHooks& installed() {
  static KvMonthTableHooks hooks;
  return hooks;
}
}  // namespace

KvMonthTableHooks KvSetMonthTableHooks(KvMonthTableHooks hooks) {
  return std::exchange(installed(), std::move(hooks));
}

const KvMonthTableHooks& KvGetMonthTableHooks() { return installed(); }
