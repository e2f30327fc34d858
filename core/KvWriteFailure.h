#pragma once
// Why a backup could not be written where the operator asked, in words the
// operator can act on: the place cannot be written (read-only, no right to
// write), its disk is full, a file stands where the folder should be or a
// folder where the file should be, the place does not exist. Anything else
// is the system's text after a Chinese lead, never that text alone.

class QFileDevice;
class QString;

// The reason for the error number (errno) of a failed call that made,
// wrote or placed the file at path.
QString KvWriteFailureReason(int error, const QString& path);

// The same for a device whose open, write or flush failed: its error number
// is the one whose system text the device reports (Qt keeps the failed
// call's strerror text, not the number).
QString KvWriteFailureReason(const QFileDevice& device, const QString& path);
