#pragma once
// A key of the program's settings store, held open while one piece of work
// reads or writes it.
//
// Each root is a settings file (QSettings, INI format) in the user's
// configuration folder: the current user's root is zrvsoft/Kvqy.ini, the
// classes root and the local machine root are files of their own beside it.
// A key path below a root ("Software\zrvsoft\Kvqy\5.2\DlgPos") is a group
// path: "\" and "/" both separate its elements. Values are strings; sub-keys
// are child groups. Every write is synced to the file at once, so another
// process sees it.
//
// Enumeration order (values and sub-keys): names that are all digits come
// first, in numeric order, then every other name in text order. The files
// keep no record of the order in which values were written.
//
// A key exists while it holds a value or a sub-key: creating a key and
// writing nothing into it leaves nothing behind.

#include <QString>
#include <QStringList>
#include <memory>

class QSettings;

enum class KvRegRoot { CurrentUser, ClassesRoot, LocalMachine };

// Result codes of the key operations (the numbers the old registry calls
// gave: callers only compare with 0).
enum : long {
  KV_REG_OK = 0,
  KV_REG_NOT_FOUND = 2,
  KV_REG_ACCESS_DENIED = 5,
};

// The settings file that stands for a root.
QString KvRegFileName(KvRegRoot root);

class CKvRegKey {
public:
  CKvRegKey();
  virtual ~CKvRegKey();
  CKvRegKey(const CKvRegKey&) = delete;
  CKvRegKey& operator=(const CKvRegKey&) = delete;

  // Opens an existing key (an empty path is the root itself, which always
  // exists). KV_REG_NOT_FOUND when there is no such key. Any key held before
  // is closed first.
  long Open(KvRegRoot root, const QString& subKey);
  // Opens the key, creating it (and every missing key of its path) as soon
  // as a value is written into it.
  long Create(KvRegRoot root, const QString& subKey);
  void Close();
  bool IsOpen() const { return m_settings != nullptr; }
  // The group path of the open key ("Software/zrvsoft/Kvqy"), empty for a
  // root or when nothing is open.
  const QString& GroupPath() const { return m_path; }

  // Reads a value of the open key into `out` (emptied on failure).
  long QueryString(QString* out, const QString& valueName) const;
  long SetString(const QString& valueName, const QString& value);
  long DeleteValue(const QString& valueName);
  // Deletes a sub-key of the open key that has no sub-keys of its own,
  // together with its values.
  long DeleteSubkey(const QString& name);
  // Names of the open key's values and sub-keys, in enumeration order.
  QStringList ValueNames() const;
  QStringList SubkeyNames() const;

private:
  long sync();

  std::unique_ptr<QSettings> m_settings;
  QString m_path;
};
