#pragma once
// What the page-setup dialogs share besides the page controls: showing a
// font beside its button and changing it in the font chooser, the text
// boxes, the OK and Cancel row, the check that there is a data file to
// store into, and the operation number they log under.

#include "core/KvPrinter.h"

#include <QColor>
#include <QStringList>
#include <array>
#include <functional>

class CKvDb;
class QBoxLayout;
class QGroupBox;
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

// The group "字体" of the four font buttons (ids 1010 to 1013: title, head,
// text, foot), each with its sample beside it (ids 1020 to 1023) put into
// `samples`; a button calls `choose` with its role (0 to 3).
QGroupBox* KvFontButtonsGroup(QWidget* parent, std::array<QLabel*, 4>& samples,
                              const std::function<void(int role)>& choose);

// A box for a page text (title, head, foot), control `id`, taking no more
// than a row of the parameter table keeps (255 characters).
QLineEdit* KvPageTextEdit(QWidget* parent, int id);

// Adds "确定" (id 1) and "取消" (id 2) at the right of a new row.
void KvAddOkCancelRow(QWidget* dialog, QBoxLayout* layout);

// True when the connection is open; otherwise says that the page setup
// cannot be stored, or, when the connection is lost, tells the loss
// (CKvDb::IsOpenOrFailsAsLost).
bool KvCanStorePageSetup(const CKvDb* db);

// Stores a page setup that other workstations share: in one transaction
// under the locks on `tables` (the ones that hold it), `asRead` checks that
// the stored setup still reads as the window loaded it, and only then
// `write` runs. When another window or workstation changed it meanwhile
// nothing is written and, after the rollback, "页面设置已被其他窗口或工作站
// 修改，请重新打开后再修改！" is said. True when the write was kept.
bool KvSavePageSetupAsRead(CKvDb* db, const QStringList& tables, const std::function<bool()>& asRead,
                           const std::function<bool()>& write);
