#pragma once
// Named printer profiles and where they print. A data file lists profile
// names (SysCsTab class 4001) shared by all its operators; each user maps a
// profile, in his own settings ("PrinterMap/<profile>"), to a system print
// queue or to "PDF" (print to a PDF file). The process keeps one current
// profile (core/KvCurrentPrinter.h), restored from and saved to the user's
// settings value "Current_Printer".
//
// Resolving a profile never fails: an unmapped profile prints on the
// system's default queue; a mapping whose queue has vanished falls back to
// the default queue; with no default queue (or no queue at all) the result
// is "PDF".
//
// The profile operations on a data file quote every name for the connection
// and run in one transaction each; they report bad names with a message and
// change nothing then. Adding and renaming check the names again under the
// lock on the profile list, so that two workstations never store one name
// twice nor rename a profile another has renamed or deleted.

#include "core/KvPrinter.h"

#include <QList>
#include <QString>
#include <QStringList>

class CKvDb;
class QWidget;

// The queue name that stands for printing to a PDF file.
inline constexpr const char* KV_PDF_QUEUE = "PDF";
// Widest profile name (in text width: a Chinese character counts 2).
inline constexpr int KV_PRINTER_PROFILE_WIDTH = 30;

bool KvIsPdfQueue(const QString& queue);

// Restores the current profile from the user's settings; saves it there.
void KvLoadCurrentPrinter();
void KvSaveCurrentPrinter();

// The queue the user mapped the profile to, as stored ("" when unmapped).
QString KvPrinterMapping(const QString& profile);
// Maps the profile to a queue or "PDF"; an empty queue removes the mapping.
void KvSetPrinterMapping(const QString& profile, const QString& queue);

// The queue a profile prints on, after the fallbacks: a system queue name
// or "PDF". A data file without profiles has the empty one.
QString KvQueueForProfile(const QString& profile);
// The queue of the current profile.
QString KvCurrentQueue();

// The papers a queue offers, in the printer system's order; for "PDF" the
// common standard sizes (A3, A4, A5, B4, B5, Letter, Legal).
QList<KvPaper> KvQueuePapers(const QString& queue);

// Checks a profile name as typed: trimmed, not empty, at most 30 wide and
// not already used by another profile (`except` is the name being renamed).
// Returns the trimmed name, or an empty text after a message.
QString KvCheckPrinterProfileName(CKvDb* db, const QString& name,
                                  const QString& except = QString());

// Adds a profile row. False after a message or a failed statement.
bool KvAddPrinterProfile(CKvDb* db, const QString& name);
// Renames a profile together with its stored print formats (page formats,
// print sets, column widths and fonts) and the user's mapping; the current
// profile follows when it is the renamed one. One transaction.
bool KvRenamePrinterProfile(CKvDb* db, const QString& oldName, const QString& newName);
// Removes the profile row; its stored print formats are kept.
bool KvDeletePrinterProfile(CKvDb* db, const QString& name);

// Command 57606: the system print dialog on the current profile's queue;
// when confirmed, the current profile is mapped to the queue chosen there
// ("PDF" when a file was chosen). True when the mapping was stored.
bool KvRunPrintSetup(QWidget* parent = nullptr);
