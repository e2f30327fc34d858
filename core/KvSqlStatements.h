#pragma once
// What the back ends need to know about a text of SQL before they run it:
// the statements it holds and whether one of them begins or ends a
// transaction by itself. A text of several statements runs all or nothing,
// and a statement that ends the transaction cannot run under a savepoint of
// that transaction.
//
// Statements are separated by ";" outside string literals ('...'), quoted
// names ("..." and [...]), dollar-quoted bodies ($tag$...$tag$) and comments;
// the body of a CREATE TRIGGER (BEGIN ... END) is part of its statement.

#include <QString>
#include <QStringList>

struct KvSqlTextShape {
  int statements = 0;  // statements that are not empty
  bool begins = false;  // BEGIN, START TRANSACTION
  bool ends = false;    // COMMIT, END, ROLLBACK (not ROLLBACK TO ...), ABORT
};

// The statements of the text, without their ";" and outer white space;
// empty statements are left out.
QStringList KvSplitSqlStatements(const QString& sql);

KvSqlTextShape KvSqlShape(const QString& sql);

// The first `limit` words of one statement outside comments, ASCII letters
// in upper case ("rollback /* x */ to s" gives ROLLBACK, TO, S). With
// nestedComments a "/*" inside a comment opens another level, as on the
// server; SQLite's comments end at the first "*/".
QStringList KvSqlLeadingWords(const QString& statement, int limit, bool nestedComments = false);

// True when the statement begins, ends or divides a transaction by its
// first words: BEGIN, START, COMMIT, END, ROLLBACK (also TO and PREPARED),
// ABORT, SAVEPOINT, RELEASE, PREPARE TRANSACTION.
bool KvIsTransactionControl(const QString& statement, bool nestedComments);

// Where the first statement of the text ends by PostgreSQL's reading of it:
// the index of its ";", or the text's size. Literals ('...' with '' inside,
// E'...' with backslash escapes, U&'...'), quoted names ("..."), dollar
// quotes ($tag$...$tag$, where a "$" after a letter or digit belongs to a
// name) and comments (-- to the line end, /* */ nesting) hide a ";";
// brackets and backquotes are ordinary characters there. With
// backslashEscapes (standard_conforming_strings off) a backslash escapes the
// next character in a plain '...' literal too.
qsizetype KvServerStatementEnd(const QString& sql, bool backslashEscapes = false);
