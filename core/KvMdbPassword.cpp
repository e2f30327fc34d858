#include "core/KvMdbPassword.h"

#include <QCryptographicHash>

int KvGetMdbPasswords(QStringList* pPasswords) {
  *pPasswords = {KvGetStdMdbPassword(), QStringLiteral("vr.PLOKAXE.ip")};
  return int(pPasswords->size());
}

QString KvGetStdMdbPassword() { return QStringLiteral("vr.KDW.ip"); }

QString KvGetProbeMdbPassword() { return QStringLiteral("Tovelirand"); }

qint32 KvMdbPasswordDigest(const QString& password) {
  if (password.isEmpty())
    return 0;
  QCryptographicHash hash(QCryptographicHash::Sha256);
  hash.addData(QByteArrayView("kvqy-data-file-password:"));
  hash.addData(password.toUtf8());
  const QByteArray sum = hash.result();
  const quint32 digest = (quint32(quint8(sum[0])) << 24) | (quint32(quint8(sum[1])) << 16) |
                         (quint32(quint8(sum[2])) << 8) | quint32(quint8(sum[3]));
  return digest == 0 ? 1 : qint32(digest);
}

bool KvMdbPasswordOpens(qint32 storedDigest, const QString& password) {
  return storedDigest == 0 || storedDigest == KvMdbPasswordDigest(password);
}
