#pragma once
// The generated default school (60 classes, about 2,000 lessons) of the
// timetabling benchmarks, written once per process: in an SQLite data file
// on the application's connection, and on the PostgreSQL server named by
// PGHOST (null there when no server answers).

class CKvDb;

CKvDb* KvPkBenchSqliteSchool();
CKvDb* KvPkBenchPgSchool();
