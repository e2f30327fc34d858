#pragma once
// The shape of a text pasted as a table: lines of TAB-separated fields.
//
// KvCountTextGrid turns every line break of the text ("\r\n", "\n\r" or a
// lone "\r") into "\n" in place, and gives the number of lines (at least 1;
// a final line break starts one more, empty line) and the number of fields
// of the first line (at least 1). It never fails.

#include <QString>

void KvCountTextGrid(QString& text, int& nRows, int& nCols);
