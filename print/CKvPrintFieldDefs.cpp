#include "print/CKvPrintFieldDefs.h"

void CKvPrintFieldDefs::Add(const QString& name, const QString& text, const QString& position) {
  Names.append(name);
  Texts.append(text);
  Positions.append(position);
}

void CKvPrintFieldDefs::Clear() {
  Names.clear();
  Texts.clear();
  Positions.clear();
}
