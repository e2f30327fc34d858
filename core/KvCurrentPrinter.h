#pragma once
// The application's current printer: the name of the named printer profile
// that print jobs use. One value for the whole process; the print subsystem
// loads it from and saves it to the user's settings, and the login corrects
// it against the profiles of the open data file.

#include <QString>

QString KvCurrentPrinterName();
void KvSetCurrentPrinterName(const QString& name);
