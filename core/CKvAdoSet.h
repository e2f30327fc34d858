#pragma once
// The typed recordset of kind 2 (PostgreSQL through libpq): the select is
// translated into the server dialect; columns are read by ordinal.

#include "core/KvTypedSet.h"

class CKvAdoSet final : public KvTypedSet {
 public:
  // A connection that is not open fails silently; a select the server
  // refuses shows "%s\n执行下列SQL语句时出错！\n%s" with the server's text and
  // the translated statement (nothing on a lost connection).
  bool Open(const QString& sql) override;
};
