#include "core/KV_Dbset.h"

bool KV_Dbset::Open(const QString& sql) { return OpenReporting(sql, false); }
