#include "core/CKvPaperList.h"

CKvPaperList::CKvPaperList() = default;

CKvPaperList::~CKvPaperList() = default;

KvPaperSize CKvPaperList::GetAt(int index) const {
  return index >= 0 && index < m_sizes.size() ? m_sizes.at(index) : KvPaperSize{};
}

void CKvPaperList::Add(int width, int height) { m_sizes.append({width, height}); }

void CKvPaperList::RemoveAll() { m_sizes.clear(); }
