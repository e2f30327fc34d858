#pragma once
// Connects the lists of the user interface to printing: once called at
// start-up, a list prints through the list print job, its page setup runs
// the list page-setup dialog, and the list export reads the stored title of
// a form. The application's shared print set is the application's to
// provide.

void KvInstallPrinting();
