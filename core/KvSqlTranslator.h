#pragma once
// The SQL dialect layer. Every statement of the program is written once in the
// Jet dialect; marker tokens (a byte 0x07, a keyword, a byte 0x08) stand where
// the dialects differ. KvTranslateSql turns such a text into the dialect of
// the engine in use just before it runs:
//
//   marker            Jet dialect (SQLite, kind 0)   server dialect (PostgreSQL)
//   * (LIKE, any run) *                              %
//   ? (LIKE, one)     ?                              _
//   Mid               Mid                            Substring
//   Long              Long                           INT
//   Numeric(p,s)      Double                         Numeric(p,s)
//
// A Numeric marker reaches to the next 0x08; once a 0x08 that ends no marker
// has been seen (or a Numeric marker has no end), later Numeric markers stay
// as they are. A marker with any other keyword passes through untouched.
// Markers are replaced everywhere, inside string literals too.
//
// Besides the markers, outside string literals ('...' with '' escapes),
// quoted identifiers ("..." and [...]) and comments, keywords being matched
// whole and without regard to ASCII case:
// - SQLite: Left( and Right( (keywords there) become the functions that
//   KvRegisterJetFunctions registers (KV_SQLITE_LEFT, KV_SQLITE_RIGHT).
//   CASE stays CASE: SQLite has it.
// - PostgreSQL: Mid( becomes substring(, Len( becomes length(, Like becomes
//   ILike (Jet and the original server compared case-insensitively). In the
//   column types of CREATE TABLE and ALTER TABLE ... ADD: Char(n) becomes
//   VARCHAR(n) (padding would break LIKE and comparisons), Long INT, Double
//   DOUBLE PRECISION, Image BYTEA.
// - Both: an index named as its table gets the name KvEngineIndexName gives
//   (tables and indexes share one namespace in both engines), in CREATE
//   INDEX and in DROP INDEX alike; "Drop Index i On t" and "Drop Index t.i"
//   become "Drop Index i" (still failing when the index is missing).

#include <QString>

// bServer false: the Jet dialect (runs on SQLite, kind 0); true: the server
// dialect (runs on PostgreSQL, kinds 1 and 2). Returns the argument itself
// when nothing needs changing.
QString KvTranslateSql(const QString& sql, bool bServer);

// The name an index has in the engine: the index name, with "_IX" appended
// when it equals the table's name (ignoring ASCII case).
QString KvEngineIndexName(const QString& index, const QString& table);

// The text made safe to stand between single quotes in a statement for a
// connection of the kind (0 SQLite, 1 and 2 PostgreSQL; the quotes are not
// added): the marker bytes 0x07 and 0x08 are removed (they would be
// translated inside the literal), and so is U+0000, on kind 0 every "|" becomes the
// full-width "｜"; with nMaxLen 0 or
// more the text is cut to that width (core/KvWidth.h), never inside a
// character; then every single quote is doubled. PostgreSQL runs with
// standard_conforming_strings on, so a backslash needs no escape.
QString KvQuoteSqlText(const QString& text, int kind, int nMaxLen = -1);
// The value a text is stored as when KvQuoteSqlText put it into a literal,
// for binding it to a parameter instead (the same value, unescaped).
QString KvSqlTextValue(const QString& text, int kind, int nMaxLen = -1);

// An expression, for a connection of the kind, whose text a later statement
// of the same connection reads again unchanged only while no other
// connection has committed a change meanwhile (SQLite: the file's data
// version; PostgreSQL: the snapshot, equal only while no transaction that
// wrote has begun or ended). A re-read can be skipped when it is unchanged.
QString KvDataVersionSql(int kind);

// A value to be put into a LIKE pattern literal, made to match itself
// literally; the statement's own wildcards (the markers) stay the only ones.
// As KvQuoteSqlText (the width limit counts the value before escaping), and
// - kind 0 (the Jet LIKE registered on SQLite): "[", "*", "?" and "#" are
//   written as the one-character lists "[[]", "[*]", "[?]" and "[#]";
// - kinds 1 and 2 (PostgreSQL, where backslash escapes in LIKE): "\", "%"
//   and "_" get a backslash in front.
QString KvQuoteLikePattern(const QString& text, int kind, int nMaxLen = -1);
