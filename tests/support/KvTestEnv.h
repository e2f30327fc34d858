#pragma once
// Helpers shared by the tests.

#include <QString>

// The fresh folder this test binary's settings and data live in.
QString KvTestHome();

// True when the tests run under continuous integration, where a test that
// cannot reach a server it needs must fail, not skip.
bool KvTestUnderCi();
