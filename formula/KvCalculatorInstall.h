#pragma once
// Puts the calculator dialog behind the calculator hook of the user
// interface, so F12 and command 43002 everywhere open it. Called once at
// start-up.

void KvInstallCalculator();
