#pragma once
// The stored layout of one form template (nFlag = template number, nForm =
// sequence number): its KvFormList row (title, nOpen, head-row count), its
// columns (KvFormFormula), its column-head blocks (KvFormTopWord) and its
// head and tail notes (KvFormHeadNote).
//
// What callers may rely on:
// - Every text reaches SQL quoted for the connection and cut to its column's
//   width; a failed statement is reported by the connection.
// - Each Save* and SaveLayout runs in one transaction: a failure leaves the
//   stored rows as they were. They nest inside a caller's transaction.
// - The option number travels in front of the stored title as "%d\t%s" when
//   it is not 0; reading splits it off again (a TAB at the very start
//   counts as 1).
// - Loads replace the array they read; a failed read leaves it empty.
// - Every stored number that sizes what a form holds comes back within the
//   sheet's range (see KvLayoutRange below), whatever the data file holds.

#include <QList>
#include <QString>
#include <QStringList>

#include <algorithm>

class CKvDb;

// The ranges the properties sheet keeps a layout's numbers to, for every
// stored number that sizes what a form holds: the rows of the column heads,
// the rows of the head and tail fields and their edit boxes, the widths and
// decimals of the columns. The loads bring a stored number into its range,
// so that a damaged data file or backup cannot give the grid a head of a
// billion rows and the form opens to be mended; a template read from a file
// is refused when its numbers lie outside.
struct KvLayoutRange {
  int low;
  int high;
  int Bound(int value) const { return std::clamp(value, low, high); }
};
inline constexpr KvLayoutRange kKvHeadRows{1, 10};
inline constexpr KvLayoutRange kKvNoteRows{0, 14};         // shown as rows 1 to 15
inline constexpr KvLayoutRange kKvNotePositions{0, 99};    // percent of the table's width
inline constexpr KvLayoutRange kKvNoteEditLengths{0, 50};  // characters, 0: no edit box
inline constexpr KvLayoutRange kKvColumnWidths{0, 99};     // display and edit width, characters
inline constexpr KvLayoutRange kKvDecimals{0, 9};

// One column: nType = shown × 100 + field link (a value of 100 or more is
// shown; nType % 100 is the link, 0 none), nFact = display width × 100 +
// edit width, nLess/nMore = least and most decimals, sFormula = the column
// definition (KvColumnDef.h).
struct KvFormula {
  int nType = 0;
  int nFact = 0;
  int nLess = 0;
  int nMore = 0;
  QString sFormula;

  void Set(int type, int fact, int less, int more, const QString& formula);
  // Brings both widths and both decimals into the sheet's ranges; true
  // when one lay outside.
  bool BoundToSheet();
  bool IsShown() const { return nType >= 100; }
  int Link() const { return nType % 100; }
  int DisplayWidth() const { return nFact / 100; }
  int EditWidth() const { return nFact % 100; }
  // The integer digits a number column takes: its edit width less the point
  // and the decimals (0: no limit).
  int IntDigits() const {
    const int decimals = nMore > 0 ? nMore + 1 : 0;
    return EditWidth() > 0 ? (EditWidth() - decimals > 1 ? EditWidth() - decimals : 1) : 0;
  }
  friend bool operator==(const KvFormula&, const KvFormula&) = default;
};

// One column-head block: top-left and bottom-right cells, counted from 1
// (columns among the shown columns, rows among the head rows).
struct KvTopWord {
  int nCol1 = 0;
  int nRow1 = 0;
  int nCol2 = 0;
  int nRow2 = 0;
  QString sWords;

  friend bool operator==(const KvTopWord&, const KvTopWord&) = default;
};

// One head (bIsTail 0) or tail (1) note: row from 0, nColPecent = edit-box
// length × 100 + left edge in percent, bIsUse = printed in overlay printing,
// bIsSystem = defined by the module, sNote = field name, sWords = text.
struct KvHeadNote {
  int bIsTail = 0;
  int nRow = 0;
  int nColPecent = 0;
  int bIsUse = 0;
  int bIsSystem = 0;
  QString sNote;
  QString sWords;

  int Position() const { return nColPecent % 100; }
  int EditLength() const { return nColPecent / 100; }
  // Brings the row, the position and the edit-box length into the sheet's
  // ranges; true when one lay outside.
  bool BoundToSheet();
  friend bool operator==(const KvHeadNote&, const KvHeadNote&) = default;
};

class KvFormEntry {
 public:
  // Binds the entry to a connection and a key; the data stays as it is.
  void SetKey(CKvDb* pDb, int nFlagValue, int nFormValue);

  // Reads the KvFormList row of the key into sFna, nOption, nOpen and
  // nTopNum: 1 when it exists, 0 when it does not, -1 when it cannot be read.
  // It sets bOutOfRange afresh; the loads of the arrays add to it.
  int Load();
  bool LoadFormulas();
  bool LoadTopWords();
  bool LoadHeadNotes();
  // Load and, when the row exists, the three arrays; the result of Load.
  int LoadAll();

  // "Insert into KvFormList(nFlag,nForm,sFna,nOpen,nTopNum) Values(...)".
  bool InsertList();
  // Each deletes the key's rows of its table, then inserts one per record.
  bool SaveFormulas();
  bool SaveTopWords();
  bool SaveHeadNotes();
  // The whole template under the key, in one transaction: the key's rows of
  // the four layout tables deleted, the list row inserted, then the arrays
  // asked for.
  bool SaveLayout(bool bFormulas = true, bool bTopWords = true, bool bHeadNotes = true);
  // Deletes the key's rows of the four layout tables (not its print
  // settings), in one transaction.
  bool DeleteLayoutRows();

  void AddFormula(int type, int fact, int less, int more, const QString& definition);
  // Inserts before nPos (clamped to 0..count).
  void InsertFormula(int nPos, int type, int fact, int less, int more, const QString& definition);
  void AddTopWord(int col1, int row1, int col2, int row2, const QString& words);
  void AddHeadNote(int isTail, int row, int colPecent, int isUse, int isSystem, const QString& note,
                   const QString& words);

  // Non-zero when any field or record differs (the connection is not
  // compared).
  int Compare(const KvFormEntry& other) const;

  // Number of shown columns (nType >= 100).
  int ShownColumnCount() const;
  // True when the blocks cover the head grid (nTopNum rows × shown columns)
  // exactly once. Otherwise *pMessage gets "栏头单元块未覆盖全部栏头！" or,
  // for a cell covered twice or a block outside the grid,
  // "当前定义的单元块与已定义的重叠！".
  bool CheckColumnHead(QString* pMessage = nullptr) const;

  // Width of the stored title, the option's "%d\t" included.
  static constexpr int kTitleWidth = 200;
  // The stored title: "%d\t%s" with a non-zero option, else the title.
  static QString JoinTitle(int nOptionValue, const QString& title);
  // Whether the title is stored whole with that option.
  static bool TitleFits(int nOptionValue, const QString& title);
  // Splits a stored title into option and title.
  static void SplitTitle(const QString& stored, int& nOptionValue, QString& title);

  CKvDb* m_pDb = nullptr;
  int nFlag = 0;
  int nForm = 0;
  QString sFna;
  int nOpen = 0;
  int nTopNum = 1;
  int nOption = 0;
  QList<KvFormula> formulas;
  QList<KvTopWord> topWords;
  QList<KvHeadNote> headNotes;
  // A load found a stored number outside the sheet's range and brought it
  // in: the stored layout was damaged.
  bool bOutOfRange = false;

 private:
  // Deletes the key's rows of the table and inserts one row per entry of
  // values (the columns' values after nFlag and nForm), in one transaction.
  bool ReplaceRows(const char* table, const char* columns, const QStringList& values);
};

// Deletes the template (nFlag, nForm) in one transaction: its rows of the
// four layout tables and its FIELDWIDTH, KVPAGESET and KVFONT rows of every
// printer (sFieldMode = nForm as text). False, with nothing deleted, when a
// statement failed.
bool KvDeleteForms(int nFlag, int nForm, CKvDb* pDb);
