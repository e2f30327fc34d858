#pragma once
// The Jet functions, the Jet LIKE and the Chinese collation that the
// program's statements use on an SQLite connection. Every connection of kind
// 0 registers them right after opening.
//
// Functions (NULL in a text argument gives NULL; a start below 1, a negative
// length or a value that is not a number fails the statement as in Jet;
// fractions round half to even; positions and lengths count characters):
//   Mid(s, start) and Mid(s, start, length)
//   Len(s)
//   kv_left(s, n), kv_right(s, n)   the translator's names for Left( and Right(
//   Instr(start, s1, s2) and Instr(start, s1, s2, compare): 1-based position
//       of s2 in s1 from start, 0 when absent; compare 0 compares exactly,
//       1 and 2 (and the 3-argument form) ignore ASCII case
//   Val(s): the number at the start of s, blanks ignored, 0 when none
//   Str(n): the number as text, a leading blank when not negative
// iif, rtrim and CASE are SQLite's own.
//
// LIKE becomes Jet's: "*" any run of characters, "?" one character, "#" one
// digit, "[abc]" / "[a-z]" one of the listed characters, "[!...]" one not
// listed, "[]" nothing; ASCII case is ignored; it works by character. GLOB
// stays SQLite's (the catalogue queries use it).
//
// Row digests (core/KvRowsDigest.h): kv_rows_digest(v1, v2, ...), an
// aggregate, gives the text "<rows> <sum 1> <sum 2>": the row count and the
// sums of two 64-bit hashes of each row's values (each value's type and
// bytes, in order), so that the same rows give the same text in any order. kv_values(v1, v2, ...)
// hashes its values into one blob value, so that a row of more columns than
// a function takes is given in parts.
//
// The collation KV_ZH_COLLATION orders text in Chinese (pinyin) order, for
// ORDER BY of persons' and units' names. PostgreSQL has an ICU collation of
// the same name, so `COLLATE "zh-x-icu"` is the same text on both engines.

struct sqlite3;

inline constexpr char KV_ZH_COLLATION[] = "zh-x-icu";
inline constexpr char KV_SQLITE_LEFT[] = "kv_left";
inline constexpr char KV_SQLITE_RIGHT[] = "kv_right";
inline constexpr char KV_SQLITE_ROWS_DIGEST[] = "kv_rows_digest";
inline constexpr char KV_SQLITE_VALUES[] = "kv_values";

// Registers everything above on the connection; false when SQLite refused
// any of it.
bool KvRegisterJetFunctions(sqlite3* db);
