#pragma once
// The commands both card views carry out alike: the calculator (43002),
// page setup (57605), print (57607), print at once (0xE108), preview
// (57609), overlay print (43400) and overlay preview (43408), and the keys
// that reach them (F12, Ctrl+P, Ctrl+T). F5 reaches the card's refresh
// (43112), which each card view carries out on its own record.
//
// A print is logged (17 "打印“<document's title>”"); a preview is not. The
// overlay flag is set only while an overlay print or preview runs.

class CKvCardDoc;
class QKeyEvent;
class QWidget;

bool KvIsCardCommand(int id);
// The command of a key the card views take; 0 for any other key.
int KvCardKeyCommand(const QKeyEvent* event);
// Runs the command on the document's card; true when the view is to update
// itself (after a print or preview, and after a confirmed page setup).
// Prints (or previews) the document's card with the overlay flag (may be
// null) set for the time of the print; true when pages were printed.
bool KvPrintCard(CKvCardDoc& doc, int command, bool bOverlay, bool* pOverlay, QWidget* parent);
bool KvRunCardCommand(CKvCardDoc& doc, int id, bool* pOverlay, QWidget* parent);
