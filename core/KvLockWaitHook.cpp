#include "core/KvLockWaitHook.h"

#include <utility>

namespace {
KvLockWaitFn& handler() {
  static KvLockWaitFn fn;
  return fn;
}
}  // namespace

KvLockWaitFn KvSetLockWaitHandler(KvLockWaitFn fn) { return std::exchange(handler(), std::move(fn)); }

void KvShowLockWait(bool bWaiting) {
  if (handler())
    handler()(bWaiting);
}

KvLockWaitScope::KvLockWaitScope(bool active) : m_active(active) {
  if (m_active)
    KvShowLockWait(true);
}

KvLockWaitScope::~KvLockWaitScope() {
  if (m_active)
    KvShowLockWait(false);
}
