#pragma once
// How the fee module asks the program to end when the structure parameters
// were changed on another workstation: through a replaceable hook, so that
// the program leaves its event loop and its normal shut-down runs (the end
// of the operator's work period, the settings), and tests can watch the
// request instead. The default asks the application's event loop to exit
// with code 0.
//
// The shell's own quit service, when it comes, takes this hook's place: the
// shell installs its request here at start-up.

#include <functional>

using KvSchoolQuitFn = std::function<void()>;

// Installs the hook (an empty function restores the default); returns the
// one that was in place.
KvSchoolQuitFn KvSetSchoolQuitHook(KvSchoolQuitFn fn);
void KvSchoolRequestQuit();
