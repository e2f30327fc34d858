#pragma once
// The tables of the stored print formats. Each creator makes its tables when
// they are missing and adds the columns a table of an older data file lacks;
// a failed statement is reported by the connection and makes the result
// false.
//   KVPAGESET  (nFlag, SFIELDMODE, SPRINTER; PageRow, PageWidth, PageLength,
//               PageLeft, PageTop, PageRight, PageBottom, PageCopies, PageSpace)
//   FIELDWIDTH (nFlag, SFIELDMODE, SPRINTER; nCol, nWidth in characters)
//   KVFONT     (nFlag, SFIELDMODE, SPRINTER; nFont 0-3 title/head/text/foot,
//               sFace, nHeight, nWeight, nItalic, nUnderline, nColor)

class CKvDb;

bool KvCreatePageSetTable(CKvDb* db);
bool KvCreateFontTable(CKvDb* db);
