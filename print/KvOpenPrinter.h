#pragma once
// Sets a printer up for a print job on the current printer profile: the
// profile's queue (or a PDF file when the profile maps to "PDF", or no queue
// is left), full-page mode (positions count from the paper's corner, so the
// unprintable offsets are 0), the paper, its orientation and margins.
//
// The caller makes the QPrinter (QPrinter::HighResolution) and keeps it; a
// PDF printer gets its file name later, from the print job that asks for it.

#include "core/KvPrinter.h"

#include <QSize>

class QPrinter;

// The paper a job wants, in 0.1 mm. Width and height describe the sheet as
// it lies when printed (a landscape A4 is 2970 x 2100); 0 x 0 takes the
// queue's default paper.
struct KvPaperRequest {
  int width = 0;
  int height = 0;
  int orientation = KV_ORIENT_PORTRAIT;
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// True when the printer is set up; its resolution (device units per inch)
// in the two outputs. False, after a message, when the paper cannot be set.
bool KvOpenPrinter(QPrinter& printer, const KvPaperRequest& request, int* resolutionX = nullptr,
                   int* resolutionY = nullptr);

// The default paper of the current profile's queue as it lies, in 0.1 mm
// (A4 for a PDF file).
QSize KvDefaultPaperSize();
