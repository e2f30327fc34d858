#pragma once
// A positioned-print layout as three parallel lists: field names, field texts
// (with macro tokens such as "#dh") and positions. A position is the text
// "x y height weight italic underline face", x and y in 0.1 mm from the
// paper's top-left corner. Asked for layout -1, a provider lists the layouts
// themselves instead: name = layout id, text = caption, position empty.

#include <QString>
#include <QStringList>

class CKvPrintFieldDefs {
public:
  void Add(const QString& name, const QString& text, const QString& position);
  int Count() const { return static_cast<int>(Names.size()); }
  void Clear();

  QStringList Names;
  QStringList Texts;
  QStringList Positions;
};
