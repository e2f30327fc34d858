#pragma once
// What the page-setup dialogs do with a font: show it beside its button and
// let the operator change it in the font chooser.

#include "core/KvPrinter.h"

#include <QColor>

class QLabel;
class QWidget;

// The label shows the face, the size and the styles, in the font's colour.
void KvShowFontSample(QLabel* label, const KvLogFont& font, const QColor& colour);

// Runs the font chooser on the font and colour; after OK both take what was
// chosen (a negative stored height stays negative). True when confirmed.
bool KvChooseFont(QWidget* parent, KvLogFont* font, QColor* colour);
