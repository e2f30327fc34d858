#pragma once
// How lists print without the controls knowing the printing library: a list
// describes itself as a KvRowSource, and the four calls below reach the
// print engine that the printing library installs at start-up. While none is
// installed, printing and page setup do nothing (false), a stored title is
// empty and there is no shared print set.

#include <QString>
#include <Qt>
#include <functional>

class CKvDb;
class CKvPrintSet;
class QWidget;

// The rows and columns of a list as shown: column titles, alignments and
// widths on screen in pixels, and the cell texts.
class KvRowSource {
public:
  virtual ~KvRowSource() = default;
  virtual int ColumnCount() const = 0;
  virtual QString ColumnTitle(int column) const = 0;
  virtual Qt::Alignment ColumnAlignment(int column) const = 0;
  virtual int ColumnPixelWidth(int column) const = 0;
  virtual int RowCount() const = 0;
  virtual QString CellText(int row, int column) const = 0;
};

// Whose print format a list uses: the page format stored for a form id in the
// data file (db, formId, title), or a view's own print set (printSet, with
// formId and title naming the form).
struct KvListPrintTarget {
  CKvDb* db = nullptr;
  int formId = 0;
  QString title;
  CKvPrintSet* printSet = nullptr;
};

using KvListPrintFn =
    std::function<bool(const KvRowSource& rows, const KvListPrintTarget& target, int command)>;
using KvListPageSetupFn = std::function<bool(const KvListPrintTarget& target, QWidget* parent)>;
using KvListTitleFn = std::function<QString(CKvDb* db, int formId)>;
using KvAppPrintSetFn = std::function<CKvPrintSet*()>;

// Installers; each returns the function that was in place.
KvListPrintFn KvSetListPrinter(KvListPrintFn fn);
KvListPageSetupFn KvSetListPageSetup(KvListPageSetupFn fn);
KvListTitleFn KvSetListTitleReader(KvListTitleFn fn);
KvAppPrintSetFn KvSetAppPrintSetProvider(KvAppPrintSetFn fn);

// Prints the rows with the target's format; command 57607 shows the print
// dialog, 0xE108 prints directly, 0xE109 previews. True when printed.
bool KvPrintListRows(const KvRowSource& rows, const KvListPrintTarget& target, int command);
// Runs the list page-setup dialog for the target; true when stored.
bool KvRunListPageSetup(const KvListPrintTarget& target, QWidget* parent = nullptr);
// The title stored in the list page format of a form id ("" when none).
QString KvStoredListTitle(CKvDb* db, int formId);
// The application's shared print set (null before login).
CKvPrintSet* KvAppPrintSet();
