#include "core/CKvDbInfo.h"

#include <QList>
#include <QPair>

namespace {
const QString kProviderPrefix =
    QStringLiteral("Provider=SQLOLEDB.1;Persist Security Info=False;");

bool needsEnclosing(const QString& value) {
  if (value.isEmpty())
    return false;
  if (value.front() == u' ' || value.back() == u' ')
    return true;
  for (QChar ch : value) {
    if (ch == u';' || ch == u'{' || ch == u'}' || ch == u'"' || ch == u'\'')
      return true;
  }
  return false;
}

// An ODBC value: {value} with every "}" doubled.
QString odbcValue(const QString& value) {
  if (!needsEnclosing(value))
    return value;
  QString doubled = value;
  doubled.replace(u'}', QStringLiteral("}}"));
  return u'{' + doubled + u'}';
}

// A provider value: "value" with every double quote doubled.
QString providerValue(const QString& value) {
  if (!needsEnclosing(value))
    return value;
  QString doubled = value;
  doubled.replace(u'"', QStringLiteral("\"\""));
  return u'"' + doubled + u'"';
}

bool sameKeyAscii(const QString& a, const QString& b) {
  if (a.size() != b.size())
    return false;
  for (qsizetype i = 0; i < a.size(); ++i) {
    char16_t x = a[i].unicode(), y = b[i].unicode();
    if (x >= u'a' && x <= u'z')
      x = char16_t(x - 32);
    if (y >= u'a' && y <= u'z')
      y = char16_t(y - 32);
    if (x != y)
      return false;
  }
  return true;
}

// Splits "key=value;key=value" into its items. A value may be enclosed in
// braces or quotes (closing character doubled inside); otherwise it runs to
// the next ";" or the end of the text.
QList<QPair<QString, QString>> splitItems(const QString& text) {
  QList<QPair<QString, QString>> items;
  qsizetype i = 0;
  const qsizetype n = text.size();
  while (i < n) {
    const qsizetype eq = text.indexOf(u'=', i);
    const qsizetype semi = text.indexOf(u';', i);
    if (eq < 0 || (semi >= 0 && semi < eq)) {
      if (semi < 0)
        break;
      i = semi + 1;  // an item without "=": skipped
      continue;
    }
    const QString key = text.mid(i, eq - i).trimmed();
    qsizetype j = eq + 1;
    while (j < n && text[j] == u' ')
      ++j;
    QString value;
    const QChar open = j < n ? text[j] : QChar();
    const QChar close = open == u'{' ? QChar(u'}') : open;
    if (open == u'{' || open == u'"' || open == u'\'') {
      ++j;
      while (j < n) {
        if (text[j] == close) {
          if (j + 1 < n && text[j + 1] == close) {
            value += close;
            j += 2;
            continue;
          }
          ++j;
          break;
        }
        value += text[j++];
      }
      const qsizetype next = text.indexOf(u';', j);
      i = next < 0 ? n : next + 1;
    } else {
      const qsizetype end = text.indexOf(u';', eq + 1);
      value = text.mid(eq + 1, (end < 0 ? n : end) - (eq + 1));
      i = end < 0 ? n : end + 1;
    }
    items.append({key, value});
  }
  return items;
}
}  // namespace

CKvDbInfo::CKvDbInfo(int nKind) { SetDefaults(nKind); }

void CKvDbInfo::SetDefaults(int nKind) {
  m_strServer = nKind == 1 ? QStringLiteral("MQIS") : nKind == 2 ? QStringLiteral("(local)") : QString();
  m_strUser = QStringLiteral("sa");
  m_strPassword.clear();
  m_strDatabase = QStringLiteral("master");
}

QString CKvDbInfo::GetConnectString(int nKind) const {
  if (nKind == 1) {
    return QStringLiteral("DSN=") + odbcValue(m_strServer) + QStringLiteral(";UID=") +
           odbcValue(m_strUser) + QStringLiteral(";PWD=") + odbcValue(m_strPassword) +
           QStringLiteral(";DATABASE=") + odbcValue(m_strDatabase);
  }
  return kProviderPrefix + QStringLiteral("User ID=") + providerValue(m_strUser) +
         QStringLiteral(";PassWord=") + providerValue(m_strPassword) +
         QStringLiteral(";Initial Catalog=") + providerValue(m_strDatabase) +
         QStringLiteral(";Data Source=") + providerValue(m_strServer);
}

void CKvDbInfo::ParseConnectString(const QString& strConnect, int nKind) {
  const bool odbc = nKind == 1;
  const QString keys[4] = {
      odbc ? QStringLiteral("DSN") : QStringLiteral("Data Source"),
      odbc ? QStringLiteral("UID") : QStringLiteral("User ID"),
      odbc ? QStringLiteral("PWD") : QStringLiteral("PassWord"),
      odbc ? QStringLiteral("DATABASE") : QStringLiteral("Initial Catalog"),
  };
  QString* fields[4] = {&m_strServer, &m_strUser, &m_strPassword, &m_strDatabase};
  const QList<QPair<QString, QString>> items = splitItems(strConnect);
  for (int k = 0; k < 4; ++k) {
    fields[k]->clear();
    for (const auto& item : items) {
      if (sameKeyAscii(item.first, keys[k])) {
        *fields[k] = item.second;
        break;
      }
    }
  }
}
