#pragma once
// The texts a form grid shows around and inside its table: print macros put
// into note, caption and title texts page by page, the default texts of the
// well-known note fields, multi-line captions, totals and the find rule.
// Nothing here draws or needs a window.

#include <QList>
#include <QString>
#include <QStringList>

struct KvGridColumn;
struct KvMacroRow;

// What a text is being made ready for.
struct KvMacroPage {
  bool printing = false;  // on paper (or a print preview), not on screen
  bool overlay = false;   // printing onto a pre-printed form
  int totalPages = 0;
  int page = 0;           // the page being printed, from 1
  int pageOffset = 0;     // chosen start page - first page
};

// The default text of a note field whose text is empty: "主体名", "主管名",
// "操作员", "当前时间", "页码" and "套打页码" have one; empty for others.
QString KvDefaultNoteText(const QString& field);

// A text with its macros put in. A text holding "#normal_print" is emptied
// unless it goes on a normal printout; one holding "#print_without_line"
// unless it goes on an overlay printout. With a macro list, "#pt", "#pp" and
// "#printstartpage" first take the page numbers, then every token of the
// list, in list order, is replaced by its value. A token the list lacks
// stays as it is.
QString KvExpandMacros(const QString& text, const KvMacroPage& page, QList<KvMacroRow>* macros);
// The last step of KvExpandMacros alone: the page numbers and the tokens of
// the list, whatever the text is meant for.
QString KvReplaceMacros(const QString& text, const KvMacroPage& page, QList<KvMacroRow>* macros);

// Whether a note's words show a stored fact: they hold a token of the
// document's macros other than the page numbers, the print markers and
// today's date (the reviewer, the maker, the unit's name, the term ...).
// Such a note takes no typing, so that the sheet and its printout show
// what is stored.
bool KvNoteShowsStoredFact(const QString& words, const QList<KvMacroRow>& macros);

// The lines of a caption: a single backslash breaks the line, a doubled one
// stands for a backslash.
QStringList KvSplitCaptionLines(const QString& text);

// A column total as the totals row shows it: the column's most decimals
// (nMore); a simplified column drops zero decimals down to nLess; zero
// shows nothing.
QString KvFormatColumnTotal(double value, const KvGridColumn& column);

// Whether a cell's text matches a find text: the whole cell equal to it,
// or, without `whole`, holding it anywhere. Case counts; an empty find text
// matches nothing.
bool KvCellMatches(const QString& cellText, const QString& findText, bool whole);
