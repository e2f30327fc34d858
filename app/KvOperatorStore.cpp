#include "app/KvOperatorStore.h"

#include "app/KvAppQuery.h"
#include "core/CKvDb.h"
#include "core/KvDbBackend.h"

#include <sodium.h>

namespace {

const QString kSelect = QStringLiteral("Select rtrim(OPNO),rtrim(NA),rtrim(PSD) From OPR ");

// Reads the operators of the select; false when it fails.
bool readOperators(CKvDb* pDb, const QString& rest, QList<KvOperator>* pOperators) {
  const std::unique_ptr<KvDbCursor> cursor = KvAppSelect(pDb, kSelect + rest);
  if (!cursor || cursor->columnCount() < 3)
    return false;
  for (; !cursor->atEnd(); cursor->next())
    pOperators->append({KvDbTrimRight(cursor->text(0)), KvDbTrimRight(cursor->text(1)),
                        KvDbTrimRight(cursor->text(2))});
  return true;
}

// The UTF-8 bytes of a password, wiped when they go.
class SecretBytes {
 public:
  explicit SecretBytes(const QString& text) : m_bytes(text.toUtf8()) {}
  ~SecretBytes() { sodium_memzero(m_bytes.data(), size_t(m_bytes.size())); }
  SecretBytes(const SecretBytes&) = delete;
  SecretBytes& operator=(const SecretBytes&) = delete;
  const char* data() const { return m_bytes.constData(); }
  unsigned long long size() const { return static_cast<unsigned long long>(m_bytes.size()); }

 private:
  QByteArray m_bytes;
};

bool sodiumReady() {
  static const bool ready = sodium_init() >= 0;
  return ready;
}

}  // namespace

int KvOperatorStore::Load(CKvDb* pDb, const QString& code) {
  m_operator = KvOperator();
  if (!pDb)
    return -1;
  QList<KvOperator> found;
  if (!readOperators(pDb, QStringLiteral("Where OPNO='%1'").arg(pDb->QuoteText(code)), &found))
    return -1;
  if (!found.isEmpty())
    m_operator = found.first();
  return static_cast<int>(found.size());
}

int KvOperatorStore::Fill(QList<KvOperator>* pOperators, CKvDb* pDb, bool bKeepAdmin) {
  pOperators->clear();
  if (!pDb || !readOperators(pDb, QStringLiteral("Order By Opno"), pOperators)) {
    pOperators->clear();
    return -1;
  }
  if (!bKeepAdmin)
    pOperators->removeIf([](const KvOperator& op) { return op.strCode == u"101"; });
  return static_cast<int>(pOperators->size());
}

bool KvOperatorStore::HashPassword(const QString& password, QString* pStored) {
  if (password.isEmpty()) {
    *pStored = QString();
    return true;
  }
  if (!sodiumReady())
    return false;
  const SecretBytes secret(password);
  char hash[crypto_pwhash_STRBYTES];
  if (crypto_pwhash_str(hash, secret.data(), secret.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                        crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
    return false;
  *pStored = QString::fromLatin1(hash);
  return true;
}

bool KvOperatorStore::VerifyPassword(const QString& stored, const QString& typed) {
  if (stored.isEmpty())
    return typed.isEmpty();
  if (!sodiumReady())
    return false;
  const QByteArray hash = stored.toLatin1();
  const SecretBytes secret(typed);
  return crypto_pwhash_str_verify(hash.constData(), secret.data(), secret.size()) == 0;
}

bool KvOperatorStore::SetPassword(CKvDb* pDb, const QString& code, const QString& password) {
  QString stored;
  if (!pDb || !HashPassword(password, &stored))
    return false;
  // Not reported: the failure message would show the statement and with it
  // the hash.
  return pDb->Execute(QStringLiteral("Update OPR Set PSD='%1' Where OPNO='%2'")
                          .arg(pDb->QuoteText(stored), pDb->QuoteText(code)),
                      QString(), 128, false);
}
