#pragma once
// One step of a grid view's undo and redo histories: a cell (row, column
// and area name "HEAD", "TEXT" or "FOOT") as it was, with the caret position
// inside its text. Typing, deleting characters, pasting into one cell and
// the calculator record such steps. Two steps are equal when all five
// values are.

#include <QString>

struct KvCellEdit {
  KvCellEdit() = default;
  KvCellEdit(int caretPos, int rowIndex, int columnIndex, const QString& areaName,
             const QString& cellText)
      : caret(caretPos), row(rowIndex), column(columnIndex), area(areaName), text(cellText) {}

  int caret = 0;
  int row = 0;
  int column = 0;
  QString area;
  QString text;

  friend bool operator==(const KvCellEdit&, const KvCellEdit&) = default;
};
