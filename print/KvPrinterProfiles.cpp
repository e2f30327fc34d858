#include "print/KvPrinterProfiles.h"

#include "core/CKvCsRec.h"
#include "core/CKvDb.h"
#include "core/KvConst.h"
#include "core/KvCurrentPrinter.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
#include "core/KvLockOrder.h"
#include "core/KvMessage.h"
#include "core/KvRegistry.h"
#include "core/KvText.h"
#include "core/KvWidth.h"
#include "ui/KvModal.h"
#include "ui/KvPrinterNames.h"

#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>

namespace {
// The program's key of the user's settings and its printer mapping key.
QString appKey() {
  return QStringLiteral("Software\\%1\\%2\\%3")
      .arg(QLatin1String(kv::kOrganisation), QLatin1String(kv::kProductKey),
           QLatin1String(kv::kVersion));
}
QString mapKey() { return appKey() + QStringLiteral("\\PrinterMap"); }

const QString kCurrentPrinterValue = QStringLiteral("Current_Printer");

void stop(const QString& text) { KvMessageBox(text, KV_MB_OK | KV_MB_ICONSTOP); }

// The tables that keep a profile's stored formats under its name, with the
// column holding the name; a rename moves their rows.
const QList<std::pair<QString, QString>>& profileStores() {
  static const QList<std::pair<QString, QString>> stores = {
      {QStringLiteral("SysCsTab"), QStringLiteral("LPO")},
      {QStringLiteral("KVPAGESET"), QStringLiteral("SPRINTER")},
      {QStringLiteral("KVFONT"), QStringLiteral("SPRINTER")},
      {QStringLiteral("FIELDWIDTH"), QStringLiteral("SPRINTER")}};
  return stores;
}

// Inside the write's transaction, under the lock on the profile list (for a
// rename also on the format tables it rewrites, in the one lock order): the
// name still free (another workstation may have taken it since it was
// checked) and, for a rename, the old name still there. The refusal into
// *refusal; false with it empty when the names cannot be read.
bool namesStillHold(CKvDb* db, const QString& name, const QString& oldName, QString* refusal) {
  QStringList locks{QStringLiteral("SysCsTab")};
  if (!oldName.isEmpty())
    for (const auto& store : profileStores())
      if (db->TableExists(store.first))
        locks.append(store.first);
  if (!KvLockTablesInOrder(db, locks))
    return false;
  const int old = oldName.isEmpty() ? 1 : KvCountPrinterName(db, oldName);
  const int taken = old > 0 ? KvCountPrinterName(db, name) : 0;
  if (old == 0)
    *refusal = KvFormat(QStringLiteral("打印机“%s”已不存在！"), oldName);
  else if (taken > 0)
    *refusal = KvFormat(QStringLiteral("打印机“%s”已经存在！"), name);
  return old > 0 && taken == 0;
}

// The refusal, shown once the write's lock has been let go.
bool refuse(KvDbTransaction& transaction, const QString& refusal) {
  transaction.Rollback();
  if (!refusal.isEmpty())
    stop(refusal);
  return false;
}

// "Where Cs=4001 And Rtrim(CsVal)='name'" for the connection.
QString profileWhere(const CKvDb& db, const QString& name) {
  return QStringLiteral(" Where Cs=%1 And Rtrim(CsVal)='%2'")
      .arg(QString::number(KV_CS_PRINTER_PROFILES), db.QuoteText(name));
}
}  // namespace

bool KvIsPdfQueue(const QString& queue) { return queue == QLatin1String(KV_PDF_QUEUE); }

void KvLoadCurrentPrinter() {
  QString name;
  KvRegReadString(KvRegRoot::CurrentUser, appKey(), kCurrentPrinterValue, &name);
  KvSetCurrentPrinterName(name);
}

void KvSaveCurrentPrinter() {
  KvRegWriteString(KvRegRoot::CurrentUser, appKey(), kCurrentPrinterValue,
                   KvCurrentPrinterName());
}

QString KvPrinterMapping(const QString& profile) {
  QString queue;
  KvRegReadString(KvRegRoot::CurrentUser, mapKey(), profile, &queue);
  return queue;
}

void KvSetPrinterMapping(const QString& profile, const QString& queue) {
  if (queue.isEmpty())
    KvRegDeleteValue(KvRegRoot::CurrentUser, mapKey(), profile);
  else
    KvRegWriteString(KvRegRoot::CurrentUser, mapKey(), profile, queue);
}

QString KvQueueForProfile(const QString& profile) {
  const QString mapped = KvPrinterMapping(profile);
  if (KvIsPdfQueue(mapped))
    return mapped;
  const QStringList queues = KvPrinters().printerNames();
  if (!mapped.isEmpty() && queues.contains(mapped))
    return mapped;
  const QString fallback = KvPrinters().defaultPrinter();
  if (!fallback.isEmpty() && queues.contains(fallback))
    return fallback;
  return QString::fromLatin1(KV_PDF_QUEUE);
}

QString KvCurrentQueue() { return KvQueueForProfile(KvCurrentPrinterName()); }

QList<KvPaper> KvQueuePapers(const QString& queue) {
  if (!KvIsPdfQueue(queue))
    return KvPrinters().papers(queue);
  static const QPageSize::PageSizeId common[] = {QPageSize::A3,     QPageSize::A4,
                                                 QPageSize::A5,     QPageSize::B4,
                                                 QPageSize::B5,     QPageSize::Letter,
                                                 QPageSize::Legal};
  QList<KvPaper> papers;
  for (QPageSize::PageSizeId id : common) {
    const QPageSize size(id);
    const QSizeF mm = size.size(QPageSize::Millimeter);
    papers.append({size.name(), size.windowsId(), qRound(mm.width() * 10.0),
                   qRound(mm.height() * 10.0)});
  }
  return papers;
}

QString KvCheckPrinterProfileName(CKvDb* db, const QString& name, const QString& except) {
  const QString trimmed = KvTrimChars(name, KvWhiteSpace());
  if (trimmed.isEmpty()) {
    stop(QStringLiteral("打印机名称不能为空！"));
    return QString();
  }
  if (KvTextWidth(trimmed) > KV_PRINTER_PROFILE_WIDTH) {
    stop(KvFormat(QStringLiteral("打印机名称“%s”太长，最多%d个字符（汉字算两个）！"), trimmed,
                  KV_PRINTER_PROFILE_WIDTH));
    return QString();
  }
  if (trimmed != except && KvCountPrinterName(db, trimmed) > 0) {
    stop(KvFormat(QStringLiteral("打印机“%s”已经存在！"), trimmed));
    return QString();
  }
  return trimmed;
}

bool KvAddPrinterProfile(CKvDb* db, const QString& name) {
  if (!db || !db->IsOpenOrFailsAsLost())
    return false;
  const QString checked = KvCheckPrinterProfileName(db, name);
  if (checked.isEmpty())
    return false;
  KvDbTransaction transaction(*db);
  QString refusal;
  if (!transaction.IsActive() || !namesStillHold(db, checked, QString(), &refusal))
    return refuse(transaction, refusal);
  CKvCsRec rec(db);
  rec.Set(KV_CS_PRINTER_PROFILES, 0, QString(), checked);
  return rec.Insert() && transaction.Commit();
}

bool KvRenamePrinterProfile(CKvDb* db, const QString& oldName, const QString& newName) {
  if (!db || !db->IsOpenOrFailsAsLost())
    return false;
  const QString checked = KvCheckPrinterProfileName(db, newName, oldName);
  if (checked.isEmpty())
    return false;
  if (checked == oldName)
    return true;
  const QString oldQuoted = db->QuoteText(oldName);
  const QString newQuoted = db->QuoteText(checked);

  KvDbTransaction transaction(*db);
  QString refusal;
  if (!transaction.IsActive() || !namesStillHold(db, checked, oldName, &refusal))
    return refuse(transaction, refusal);
  if (!db->Execute(QStringLiteral("Update SysCsTab Set CsVal='%1'").arg(newQuoted) +
                   profileWhere(*db, oldName)))
    return false;
  // The stored formats of the profile go with it. Rows still kept under the
  // new name (from a profile of that name deleted earlier) would stand beside
  // them under the same key: they give way.
  for (const auto& [table, column] : profileStores()) {
    if (!db->TableExists(table))
      continue;
    if (!db->Execute(QStringLiteral("Delete From %1 Where %2='%3'").arg(table, column, newQuoted)) ||
        !db->Execute(QStringLiteral("Update %1 Set %2='%3' Where %2='%4'")
                         .arg(table, column, newQuoted, oldQuoted)))
      return false;
  }
  if (!transaction.Commit())
    return false;

  const QString mapped = KvPrinterMapping(oldName);
  KvSetPrinterMapping(oldName, QString());
  KvSetPrinterMapping(checked, mapped);
  if (KvCurrentPrinterName() == oldName)
    KvSetCurrentPrinterName(checked);
  return true;
}

bool KvDeletePrinterProfile(CKvDb* db, const QString& name) {
  if (!db || !db->IsOpenOrFailsAsLost())
    return false;
  if (!db->Execute(QStringLiteral("Delete From SysCsTab") + profileWhere(*db, name)))
    return false;
  // The current profile moves to another one when it was this one.
  KvLoadPrinterNames(db);
  return true;
}

bool KvRunPrintSetup(QWidget* parent) {
  const QString queue = KvCurrentQueue();
  QPrinter printer;
  if (KvIsPdfQueue(queue))
    printer.setOutputFormat(QPrinter::PdfFormat);
  else
    printer.setPrinterName(queue);
  QPrintDialog dialog(&printer, parent);
  if (KvExecDialog(&dialog) != QDialog::Accepted)
    return false;
  const QString chosen = printer.outputFormat() == QPrinter::PdfFormat
                             ? QString::fromLatin1(KV_PDF_QUEUE)
                             : printer.printerName();
  if (chosen.isEmpty())
    return false;
  KvSetPrinterMapping(KvCurrentPrinterName(), chosen);
  return true;
}
