#pragma once
// CKvCsTab: the name callers use for the table side of the parameter store
// (CKvCsTab::Insert, CKvCsTab::SelectByCsN, ...). The record CKvCsRec is its
// own access object, so both names are one class.

#include "core/CKvCsRec.h"

using CKvCsTab = CKvCsRec;
