#pragma once
// Helpers shared by the tests.

#include <QString>

// The fresh folder this test binary's settings and data live in.
QString KvTestHome();

// True when the tests run under continuous integration, where a test that
// cannot reach a server it needs must fail, not skip.
bool KvTestUnderCi();

// The token of this run of a test binary: made once, at random, by the
// binary that was started (twelve hex digits), and handed to each worker it
// starts with a suffix of the worker's own (KvTestWorkers). The names of
// what the run makes on a server carry it, so that no other run, on this
// machine or another, makes the same name.
QString KvTestRunToken();
// The variable that hands a worker its token.
inline constexpr char kKvTestRunVariable[] = "KV_TEST_RUN";
// True in a worker: the test binary re-run by a test of its parent.
bool KvTestIsWorker();
