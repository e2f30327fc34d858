#pragma once
// The small colour palette of the font chooser (window 827): sixteen colour
// cells with their names. Clicking a cell chooses its colour and closes the
// palette with Accepted; "保持原状" closes it with Accepted and no colour;
// "取消选择" cancels.
//
// Colours are 32-bit RGB values as stored with printed forms: red in the low
// byte, then green, then blue (0x00BBGGRR).

#include "ui/CKvDlg.h"

#include <QColor>
#include <QList>

class QFrame;

inline constexpr quint32 KvRgbValue(int red, int green, int blue) {
  return quint32(red & 0xFF) | (quint32(green & 0xFF) << 8) | (quint32(blue & 0xFF) << 16);
}
inline QColor KvColorOf(quint32 rgb) {
  return QColor(int(rgb & 0xFF), int((rgb >> 8) & 0xFF), int((rgb >> 16) & 0xFF));
}
inline quint32 KvRgbValueOf(const QColor& color) {
  return KvRgbValue(color.red(), color.green(), color.blue());
}

class CKvColourDlg : public CKvDlg {
  Q_OBJECT
 public:
  // The palette placed with its top-left corner at the global point (x, y),
  // moved up by its height plus `swatchHeight` when it would pass the bottom
  // of the screen.
  CKvColourDlg(quint32 colour, int x, int y, int swatchHeight, QWidget* parent = nullptr);

  // The sixteen colours in palette order, and their names.
  static QList<quint32> PaletteColours();
  static QStringList PaletteNames();

  // After Accepted: whether a colour was chosen, and which.
  bool HasColour() const { return m_hasColour; }
  quint32 Colour() const { return m_colour; }

  // Chooses palette cell `index` (0-15) and closes the palette.
  void ChooseCell(int index);

 protected:
  void OnInitDialog() override;

 private:
  void keepAsIs();

  quint32 m_colour;
  bool m_hasColour = false;
  QPoint m_position;
  int m_swatchHeight;
};
