#pragma once
// The typed recordset of kind 1 (an ODBC data source): the select is
// translated into the server dialect. Columns are bound by position.

#include "core/KvTypedSet.h"

class CKvDbRd final : public KvTypedSet {
 public:
  // When the connection is not open: "执行下列SQL语句时数据库未打开！\n%s";
  // when the server refuses the select: "执行下列SQL语句时出错！\n%s"; each
  // with the translated statement.
  bool Open(const QString& sql) override;
};
