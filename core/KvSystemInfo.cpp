#include "core/KvSystemInfo.h"

#include "core/KvText.h"

#include <QByteArray>
#include <QStringDecoder>
#include <QSysInfo>
#include <pwd.h>
#include <sql.h>
#include <sqlext.h>
#include <unistd.h>

#include <algorithm>
#include <iterator>
#include <vector>

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the wide ODBC calls use 16-bit characters");

namespace {

// The text of a wide ODBC buffer. unixODBC widens the bytes of its ini files
// one by one when no connection is involved, so a name written in UTF-8
// arrives as one unit per byte: such a text is put back together as UTF-8.
QString fromSqlWide(const SQLWCHAR* text, SQLSMALLINT length) {
  const QString wide = QString::fromUtf16(reinterpret_cast<const char16_t*>(text), length);
  QByteArray bytes;
  bytes.reserve(wide.size());
  bool widened = false;
  for (QChar ch : wide) {
    if (ch.unicode() > 0xFF) return wide;
    widened = widened || ch.unicode() >= 0x80;
    bytes += char(ch.unicode());
  }
  if (!widened) return wide;
  QStringDecoder decoder(QStringDecoder::Utf8);
  const QString decoded = decoder(bytes);
  return decoder.hasError() ? wide : decoded;
}

}  // namespace

QString KvComputerName() { return QSysInfo::machineHostName(); }

QString KvUserName() {
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? size_t(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_name)
    return QString::fromLocal8Bit(found->pw_name);
  return qEnvironmentVariable("USER");
}

void KvListDataSources(QStringList* names, QStringList* descriptions) {
  SQLHENV env = SQL_NULL_HENV;
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) return;
  if (SQL_SUCCEEDED(SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION,
                                  reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0))) {
    // Names longer than the classic 32-character limit are allowed here, so
    // the buffers are generous and a cut-off name is never reported.
    SQLWCHAR name[512];
    SQLWCHAR description[1024];
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT descriptionLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(SQLDataSourcesW(env, direction, name, SQLSMALLINT(std::size(name)),
                                         &nameLength, description,
                                         SQLSMALLINT(std::size(description)),
                                         &descriptionLength))) {
      direction = SQL_FETCH_NEXT;
      if (names)
        *names += fromSqlWide(name, std::min<SQLSMALLINT>(nameLength, std::size(name) - 1));
      if (descriptions)
        *descriptions += fromSqlWide(
            description, std::min<SQLSMALLINT>(descriptionLength, std::size(description) - 1));
    }
  }
  SQLFreeHandle(SQL_HANDLE_ENV, env);
}

int KvListDataSourcesOf(QStringList* names, const QString& driver) {
  if (!names) return 0;
  QStringList all;
  QStringList descriptions;
  KvListDataSources(&all, &descriptions);
  names->clear();
  for (qsizetype i = 0; i < all.size(); ++i)
    if (KvEqualsIgnoreCase(descriptions.at(i), driver)) *names += all.at(i);
  return int(names->size());
}
