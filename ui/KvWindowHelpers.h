#pragma once
// Helpers that domain dialogs use to show, enable and place their controls.
//
// Rectangles are in screen coordinates unless said otherwise; right and
// bottom edges lie just outside the rectangle. An anchor code's units digit
// picks the horizontal anchor (1 left edge, 2 centre, 3 right edge), its tens
// digit the vertical one (1 top, 2 centre, 3 bottom); a centre is the mean of
// the two edges rounded towards zero. "The controls of a dialog" are its
// direct child widgets, as code-built dialogs with layouts keep them.

#include <QList>
#include <QString>

class QComboBox;
class QWidget;

// Enables or disables, then shows or hides, control `id` of the dialog.
void KvShowEnableItem(QWidget* dialog, int id, bool show, bool enable);
// The same for one window.
void KvShowEnable(QWidget* window, bool show, bool enable);
// The same for every control of the dialog that overlaps the rectangle
// bounding controls idA and idB.
void KvShowEnableArea(QWidget* dialog, int idA, int idB, bool show, bool enable);

// Aligns window A to window B (both must have a parent). The offsets are B's
// anchor by codeB minus A's anchor by codeA (codeB < 0: codeB = codeA; a digit
// outside 1-3 gives no offset in that direction). With stretch false A moves
// by the offsets; otherwise only the edges codeA names change: units digit 1
// moves A's left edge, 3 its right edge, 2 gives A B's left and right edges;
// the tens digit likewise with top and bottom.
void KvAlignToWindow(bool stretch, QWidget* windowA, QWidget* windowB, int codeA, int codeB);

// The window keeps its left and top edges; its right edge becomes the
// reference's horizontal anchor (units digit) plus gap, its bottom edge the
// reference's vertical anchor (tens digit) plus gap; a digit outside 1-3
// keeps that edge.
void KvPlaceWindowByCode(QWidget* window, QWidget* reference, int code, int gap);

// Adds the rows of the dialog's controls to `rows` (ascending tops in client
// coordinates): a control's top starts a new row unless a row lies within 4
// pixels of it. Returns the number of rows.
int KvCollectRows(QWidget* dialog, QList<int>* rows);
// Moves `count` rows of controls, starting with the row of window W, so that
// that row's top goes from W's top to the screen position y.
void KvMoveRows(QWidget* dialog, QWidget* window, int y, int count);
// KvMoveRows to the top of the reference window.
void KvMoveRowsTo(QWidget* dialog, QWidget* window, QWidget* reference, int count);

// The text of the combo box's current item; empty when none is current.
void KvComboGetCurText(QString* out, const QComboBox* combo);
