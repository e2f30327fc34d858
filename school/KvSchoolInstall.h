#pragma once
// Makes the fee module known to the program: installs the factory of its
// descriptor (CXxDataType) with the edition, so that the application
// registers it as module 18. Called by main before the application is
// initialised.

void KvInstallSchool();
