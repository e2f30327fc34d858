#pragma once
// Printers and paper: the questions the print engine asks of a printer (its
// papers, which paper fits a wanted size, its page metrics, whether wanted
// margins fit) and the default font of printed forms.
//
// Every question goes to the printer catalogue in use: the system's printers
// (CUPS through Qt) unless a test or tool has put another catalogue in place.
// Lengths on paper are in 0.1 mm unless said otherwise. Refusals are shown
// with the stop icon through KvMessageBox.

#include "core/CKvPaperList.h"

#include <QList>
#include <QString>
#include <QStringList>

class QFont;
class QPaintDevice;
class QPrinter;

// Paper number of a user-defined size (any size the printer is asked for).
inline constexpr int KV_PAPER_USER = 256;
// Orientation numbers.
inline constexpr int KV_ORIENT_PORTRAIT = 1;
inline constexpr int KV_ORIENT_LANDSCAPE = 2;

// Name of the custom paper the program puts on a printer for a size it lacks.
inline constexpr const char* KV_CUSTOM_PAPER_NAME = "青禾苑自定义纸";

struct KvPaper {
  QString name;
  int id = 0;      // paper number: the Windows numbers (A4 9, Letter 1), 256 user-defined
  int width = 0;   // 0.1 mm
  int height = 0;  // 0.1 mm
};

// A prepared setup of a printer: which paper, its size and the orientation.
struct KvPageSetup {
  QString printer;
  int paper = 0;
  int width = 0;   // 0.1 mm
  int height = 0;  // 0.1 mm
  int orientation = KV_ORIENT_PORTRAIT;
};

// The page of a set-up printer, four pairs (horizontal, vertical):
// [0] physical page size, [1] printable area, [2] unprintable offset at the
// left and top, [3] unprintable margin at the right and bottom (physical
// minus offset minus printable, never below 0). The unit is said where the
// metrics are given.
struct KvPageMetrics {
  int horizontal[4] = {0, 0, 0, 0};
  int vertical[4] = {0, 0, 0, 0};
  int dpiX = 0;
  int dpiY = 0;
};

// What the program asks of the printer system.
class KvPrinterCatalogue {
public:
  virtual ~KvPrinterCatalogue();
  virtual QStringList printerNames() const = 0;
  // Empty when the system has no default printer.
  virtual QString defaultPrinter() const = 0;
  // The papers of a printer in the printer system's order; empty for an
  // unknown printer.
  virtual QList<KvPaper> papers(const QString& printer) const = 0;
  // Page metrics in 0.001 mm (and dots per inch) of the printer set up as
  // described; false when the printer cannot be set up.
  virtual bool pageMetrics(const KvPageSetup& setup, KvPageMetrics* metrics) const = 0;
  // Offers a user-defined paper of that name and size on the printer from
  // now on, replacing one of the same name; false when it cannot.
  virtual bool addCustomPaper(const QString& printer, const QString& name, int width,
                              int height) = 0;
};

// The catalogue in use.
KvPrinterCatalogue& KvPrinters();
// Puts a catalogue in use (not owned; null brings back the system's) and
// returns the one that was in use (null for the system's).
KvPrinterCatalogue* KvSetPrinterCatalogue(KvPrinterCatalogue* catalogue);

// Appends the printer's papers: names, sizes and numbers in parallel.
void KvGetPrinterPapers(const QString& printer, QStringList* names, CKvPaperList* sizes,
                        QList<int>* numbers);

// Shows the printer's papers in a message: "宽×长(mm)\t名称\n" and one line
// per paper, millimetres with one decimal.
void KvShowPrinterPapers(const QString& printer);

// Chooses the paper for a wanted size: the first paper that is user-defined
// or whose sides both differ by less than 1 mm. When none does, the custom
// paper of that size is put on the printer and the papers are searched
// again. True with the paper number in `paper`; false after a message.
bool KvFindPaper(const QString& printer, int width, int height, int* paper);

// Puts the custom paper "青禾苑自定义纸" of the size on the printer.
bool KvSetCustomForm(const QString& printer, int width, int height);

// The page metrics of a printer device in 0.001 mm, with its resolution.
KvPageMetrics KvGetPageMetrics(const QPrinter& printer);

// Prepares the printer for a paper: the setup (orientation as given when
// `keepOrientation`, else the other one) and its page metrics in 0.1 mm with
// the dots per inch. A printer device given by the caller is set up the same
// way. False when the printer cannot be set up.
bool KvPrinterDC(const QString& printer, int paper, int width, int height, int orientation,
                 bool keepOrientation, KvPageSetup* setup, KvPageMetrics* metrics,
                 QPrinter* device = nullptr);

// Tests whether the printer can print a page of the size (given as laid
// out; width and height as -1 shows the printer's papers instead) with the
// margins (all four -1: not tested). True with the prepared setup and its
// metrics (0.1 mm); false after a message.
bool KvTestPrinter(const QString& printer, int width, int height, int orientation, int left,
                   int top, int right, int bottom, KvPageSetup* setup = nullptr,
                   KvPageMetrics* metrics = nullptr);

// Device dots in a quarter millimetre of a printer, at least 1; 1 for a
// device that is not a printer or has no physical size.
int KvPrinterDotsPerQuarterMm(const QPaintDevice* device);

// A font as printed forms store it: height in logical units (device pixels;
// negative means character height), weight 100 to 900 (400 normal), the
// character set number and pitch-and-family byte as stored.
struct KvLogFont {
  int height = 0;
  int width = 0;
  int escapement = 0;
  int orientation = 0;
  int weight = 0;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  int charSet = 0;
  int outPrecision = 0;
  int clipPrecision = 0;
  int quality = 0;
  int pitchAndFamily = 0;
  QString faceName;
};

// "宋体", height 14, weight 400, character set 134 (GB2312), pitch and
// family 32; everything else 0.
KvLogFont KvDefaultLogFont();

// The font for drawing: family, pixel size from the height, weight, italic,
// underline and strike-out.
QFont KvFontFromLogFont(const KvLogFont& font);
