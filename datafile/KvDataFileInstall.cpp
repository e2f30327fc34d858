#include "datafile/KvDataFileInstall.h"

void KvInstallDataFile() {}
