#pragma once
// Makes the timetabling module known to the program: installs the factory
// of its descriptor (CPkDataType), so that the application registers it as
// module 19. Called by main before the application is initialised.

void KvInstallTimetable();
