#pragma once
// Makes the shell's accounting units, dialog places and data-file year known
// to the dialog bases of the lower libraries (ui/KvAppServices.h). Called
// once at start-up; the services read the application's state when asked,
// so they follow whatever data file and operator are current then.

void KvInstallShellServices();
