#pragma once
// A file written under a temporary name in its target's folder and moved
// into the target's place only when it is complete: an existing target is
// replaced in one step, and a write that fails leaves it as it was. The
// temporary file is removed unless Commit succeeded. The finished file gets
// the permissions of the file it replaces, or the user's default ones.

#include <QString>

class KvReplacingFile {
 public:
  explicit KvReplacingFile(const QString& target);
  ~KvReplacingFile();
  KvReplacingFile(const KvReplacingFile&) = delete;
  KvReplacingFile& operator=(const KvReplacingFile&) = delete;

  // A fresh name beside the target, held by an empty file (a writer that
  // must create the file itself removes it first); empty when the folder
  // cannot take a file.
  QString TemporaryPath();
  // Moves the temporary file into the target's place; false when it cannot.
  bool Commit();

 private:
  QString m_target;
  QString m_temporary;
  bool m_committed = false;
};
