#pragma once
// The font chooser of print formats (window 830 "字体"): face, size, colour
// and the effects bold, italic, underline and strikeout of one font that may
// stand for several texts at once. Each attribute may be left "保持原状"
// (unchanged); besides the font, the dialog reports which attributes were
// set, as a code text.
//
// Attribute codes: ESC (27) followed by one letter, "O" face, "P" size,
// "Q" colour, "G"/"H" bold on/off, "A"/"B" italic on/off, "C"/"D" underline
// on/off, "E"/"F" strikeout on/off. A code text is a sequence of codes.

#include "core/KvPrinter.h"
#include "ui/CKvDlg.h"

#include <array>

class QButtonGroup;
class QComboBox;
class QLabel;
class QTabBar;

// The code of an attribute letter ("O", "P", "Q", "A" to "H").
QString KvFontAttrCode(char letter);
// Whether the code text holds the attribute's code.
bool KvHasFontAttr(const QString& codes, char letter);

class CKvFontDlg : public CKvDlg {
  Q_OBJECT
 public:
  // The given font and colour; `codes` names the attributes to keep as they
  // are (for each one it holds).
  CKvFontDlg(const KvLogFont& font, quint32 colour, const QString& codes,
             QWidget* parent = nullptr);

  // After OK: the font, the colour and the code text of the attributes the
  // operator set. The face and the size count only when chosen in their
  // lists; the colour only when chosen in the palette; an effect unless it is
  // "保持原状". What is not set stays as given.
  void GetResult(KvLogFont* font, quint32* colour, QString* codes) const;

  // The states of an effect.
  enum EffectState { EffectOn = 0, EffectOff = 1, EffectKeep = 2 };
  // The effects in tab order.
  enum Effect { Bold = 0, Italic = 1, Underline = 2, StrikeOut = 3 };
  EffectState EffectStateOf(Effect effect) const { return m_effects[effect]; }

 protected:
  void OnInitDialog() override;

 private:
  void showEffect(int tab);
  void setEffect(int state);
  void chooseColour();
  void updateSwatch();
  void updateSample();
  KvLogFont shownFont() const;

  KvLogFont m_font;
  QString m_codes;
  quint32 m_colour;
  quint32 m_givenColour;
  bool m_colourSet;
  bool m_colourChanged = false;
  bool m_faceChosen = false;
  bool m_sizeChosen = false;
  std::array<EffectState, 4> m_effects;
  int m_tab = 0;

  QComboBox* m_faces;
  QComboBox* m_sizes;
  QTabBar* m_tabs;
  QButtonGroup* m_states;
  QLabel* m_swatch;
  QLabel* m_sample;
};
