#pragma once
// What the page-setup dialogs share besides the page controls: showing a
// font beside its button and changing it in the font chooser, the text
// boxes, the OK and Cancel row, the check that there is a data file to
// store into, and the operation number they log under.

#include "core/KvPrinter.h"

#include <QColor>

class CKvDb;
class QBoxLayout;
class QLabel;
class QLineEdit;
class QWidget;

// Operation number of page setup in the operation log.
inline constexpr int KV_LOG_PAGE_SETUP = 16;

// The label shows the face, the size and the styles, in the font's colour.
void KvShowFontSample(QLabel* label, const KvLogFont& font, const QColor& colour);

// Runs the font chooser on the font and colour; after OK both take what was
// chosen (a negative stored height stays negative). True when confirmed.
bool KvChooseFont(QWidget* parent, KvLogFont* font, QColor* colour);

// A box for a page text (title, head, foot), control `id`, taking no more
// than a row of the parameter table keeps (255 characters).
QLineEdit* KvPageTextEdit(QWidget* parent, int id);

// Adds "确定" (id 1) and "取消" (id 2) at the right of a new row.
void KvAddOkCancelRow(QWidget* dialog, QBoxLayout* layout);

// True when the connection is open; otherwise says that the page setup
// cannot be stored.
bool KvCanStorePageSetup(const CKvDb* db);
