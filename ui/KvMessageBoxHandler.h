#pragma once
// Puts real message boxes behind the program's message function.

// Installs the handler that shows each message in a modal QMessageBox with
// its icon, buttons and default button, and answers with the button's id.
void KvInstallMessageBoxHandler();
