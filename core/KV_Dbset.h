#pragma once
// The typed recordset of kind 0 (an SQLite data file): the select is
// translated into the Jet dialect. Columns are bound by position.

#include "core/KvTypedSet.h"

class KV_Dbset final : public KvTypedSet {
 public:
  // When the connection is not open: "执行下列SQL语句时数据库未打开！\n%s";
  // when the engine refuses the select: "执行下列SQL语句时出错！\n%s"; each
  // with the translated statement.
  bool Open(const QString& sql) override;
};
