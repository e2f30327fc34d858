#include "forms/CKvCardPrintJob.h"

#include "forms/CKvCardLayout.h"

CKvCardPrintJob::CKvCardPrintJob(CKvCardLayout& layout, bool bOverlay)
    : m_layout(layout), m_bOverlay(bOverlay) {}

KvPaperRequest CKvCardPrintJob::Paper() const { return m_layout.PaperRequest(); }

int CKvCardPrintJob::PageCount(const KvPageMap& map) {
  m_layout.PreparePrint(map);
  return 1;
}

void CKvCardPrintJob::PrintPage(QPainter& painter, const KvPageMap& map, int page) {
  (void)map, (void)page;
  m_layout.DrawPrintPage(painter, m_bOverlay);
}
