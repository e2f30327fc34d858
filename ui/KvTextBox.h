#pragma once
// A rectangle of text with frame lines, drawn by forms and reports on the
// screen and on paper. The text is split into lines at "\"; the lines share
// the rectangle's height equally.
//
// The five font values describe how the box's font differs from the font the
// caller has set on the painter (the caller's title or text font):
//   font1  0: draw in the caller's font exactly as it is and ignore font2 to
//          font5; any other value applies them (default 1);
//   font2  size factor: the caller's font size times this value; 1 or less
//          keeps the size (default 1);
//   font3  weight: 0 keeps the caller's weight, 1 draws bold (default 0);
//   font4  italic: 0 upright, 1 italic, 2 as the caller's font (default 2);
//   font5  underline: 0 none, 1 underlined, 2 as the caller's font
//          (default 2).

#include <QList>
#include <QRect>
#include <QString>

class QPainter;

struct KvTextBox {
  QString text;
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  // Frame line of each side: 0 none, 1 single, 2 double.
  int leftFrame = 1;
  int topFrame = 1;
  int rightFrame = 0;
  int bottomFrame = 0;
  int font1 = 1;
  int font2 = 1;
  int font3 = 0;
  int font4 = 2;
  int font5 = 2;
  // 0: long lines wrap at the box's width and every line is indented by
  // four blanks.
  int noWrap = 1;
  // 0 left, 2 right, any other value centred.
  int align = 6;
  // 0: the text is left out when only frames are asked for (overlay printing
  // onto a pre-printed form).
  int drawText = 1;

  void Set(const QString& text, int left, int top, int right, int bottom, int leftFrame,
           int topFrame, int rightFrame, int bottomFrame, int font1, int font2, int font3,
           int font4, int font5, int noWrap, int align, int drawText);
  // Back to the defaults above.
  void Reset();
  // A frameless line of text `height` high at the top: the defaults with the
  // text, bottom = top + height, no frames, the caller's font as it is
  // (font1 0) and the text left out when only frames are asked for.
  void SetLine(int height, const QString& text);

  // Draws the box in the painter's device units with the painter's font as
  // the caller's font. `framesOnly` asks for the frames alone (the text is
  // still drawn when drawText is set); with `print`, no frames are drawn on a
  // printer. The painter's state is restored afterwards.
  void Draw(QPainter* painter, bool framesOnly = false, bool print = false) const;

  // The lines the text is drawn in for a text area `areaWidth` units wide,
  // where the letter "T" is `widthOfT` units wide.
  QStringList Lines(int areaWidth, int widthOfT) const;
};

// Text boxes held by value.
class KvTextBoxArray : public QList<KvTextBox> {
 public:
  using QList<KvTextBox>::QList;

  KvTextBox GetAt(qsizetype index) const { return at(index); }
  // The smallest left and top and the largest right and bottom over all
  // boxes, as a rectangle whose x() + width() is that right and y() +
  // height() that bottom; all 0 for an empty array.
  QRect GetBounds() const;
};
