#include "core/KvBeforeTransaction.h"

#include <utility>

namespace {
KvBeforeTransactionFn& installed() {
  static KvBeforeTransactionFn fn;
  return fn;
}
}  // namespace

KvBeforeTransactionFn KvSetBeforeTransaction(KvBeforeTransactionFn fn) {
  return std::exchange(installed(), std::move(fn));
}

bool KvRunBeforeTransaction(CKvDb& db) {
  if (!installed())
    return true;
  // A copy: the function may take itself out.
  const KvBeforeTransactionFn fn = installed();
  return fn(db);
}
