#include "core/CKvStringList.h"

CKvStringList::~CKvStringList() = default;

void CKvStringList::Blank() {
  for (QString& entry : *this) entry.clear();
}
