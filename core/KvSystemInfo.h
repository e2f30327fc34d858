#pragma once
// The computer's and the user's names, and the ODBC data sources configured
// for the user and the system (unixODBC's odbc.ini files).

#include <QString>
#include <QStringList>

// The computer's host name, whole; empty when it cannot be read.
QString KvComputerName();

// The login name of the user running the program.
QString KvUserName();

// Appends every data source's name and its driver description, in the order
// the driver manager lists them (user sources, then system sources).
// Either list may be null.
void KvListDataSources(QStringList* names, QStringList* descriptions);

// Replaces `names` with the data sources whose driver description equals
// `driver` ignoring ASCII case; returns their number.
int KvListDataSourcesOf(QStringList* names, const QString& driver);
