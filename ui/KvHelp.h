#pragma once
// The help pages: HTML files in share/kvqy/help beside the executable (or in
// ../share/kvqy/help for an installed program). "index.html" is the table of
// contents; "keywords.html" is the keyword index, with an anchor per keyword.
// The pages open in the desktop's browser.

#include <QString>
#include <functional>

class QUrl;

// The help folder that exists, else the one beside the executable.
QString KvHelpFolder();

// Uses another help folder (an empty text goes back to the one beside the
// executable); returns the one set before.
QString KvSetHelpFolder(const QString& folder);

// How a page is opened (QDesktopServices::openUrl by default); returns the
// function that was in place. An empty function restores the default.
using KvUrlOpenFn = std::function<bool(const QUrl&)>;
KvUrlOpenFn KvSetHelpOpener(KvUrlOpenFn fn);

// Opens the help: with an empty keyword the table of contents, otherwise the
// keyword index at that keyword (the contents when there is no index). When
// the help pages are not there, nothing happens and nothing is said; when a
// page cannot be opened, the user is told. True when a page was opened.
bool KvHtmlHelp(const QString& keyword);
