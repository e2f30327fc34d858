#pragma once
// Prints a card: one page, the card's layout drawn at the paper's scale
// from the margins, on the paper, margins and orientation of its page
// format. With the overlay flag it prints onto a pre-printed form: texts
// only, no frame lines. A print is logged (17 "打印“<title>”"); a preview
// is not.

#include "print/CKvPrintJob.h"

class CKvCardDoc;
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

// Runs a print command (57607 with the print dialog, 0xE108 at once, 0xE109
// the preview) on the card of the document, titled with its title; true
// when it printed.
bool KvPrintCard(CKvCardDoc& doc, int command, bool bOverlay, QWidget* parent);
