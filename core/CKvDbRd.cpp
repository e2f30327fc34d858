#include "core/CKvDbRd.h"

bool CKvDbRd::Open(const QString& sql) { return OpenReporting(sql, true); }
