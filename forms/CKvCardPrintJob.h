#pragma once
// Prints a card: one page, the card's layout drawn at the paper's scale
// from the margins, on the paper, margins and orientation of its page
// format. With the overlay flag it prints onto a pre-printed form: texts
// only, no frame lines. A print is logged (17 "打印“<title>”"); a preview
// is not.

#include "print/CKvPrintJob.h"

class CKvCardLayout;

class CKvCardPrintJob : public CKvPrintJob {
 public:
  CKvCardPrintJob(CKvCardLayout& layout, bool bOverlay);

  // Takes the device's units and print scales; a card is one page.
  int PageCount(const KvPageMap& map) override;
  void PrintPage(QPainter& painter, const KvPageMap& map, int page) override;

 protected:
  KvPaperRequest Paper() const override;

 private:
  CKvCardLayout& m_layout;
  bool m_bOverlay;
};
