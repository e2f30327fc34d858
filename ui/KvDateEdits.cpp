#include "ui/KvDateEdits.h"

#include "core/KvDate.h"
#include "core/KvMessage.h"
#include "ui/CKvEdit.h"

namespace {
void refuse(const QString& message, CKvEdit* field) {
  KvMessageBox(message, KV_MB_OK | KV_MB_ICONSTOP);
  if (field)
    field->setFocus();
}
}  // namespace

int KvDateMessage(QString* date, QString* message) {
  const int code = KvCheckDateText(date);
  switch (code) {
    case -1: *message = QStringLiteral("时间位数不足"); break;
    case -2: *message = QStringLiteral("年份太小"); break;
    case -3: *message = QStringLiteral("月份超界"); break;
    case -4: *message = QStringLiteral("日期超界"); break;
    default: message->clear(); break;
  }
  return code;
}

void KvInitDateEdits(CKvEdit* year, CKvEdit* month, CKvEdit* day) {
  const QString type = QStringLiteral("STRING DIGIT");
  year->SetInputType(type, 4);
  month->SetInputType(type, 2);
  day->SetInputType(type, 2);
}

bool KvGetDateEdits(CKvEdit* year, CKvEdit* month, CKvEdit* day, QString* date) {
  // A month or day typed with one digit is the same date as with a leading
  // zero; the check reads fixed places.
  const auto twoDigits = [](const CKvEdit* field) {
    const QString text = field->text().trimmed();
    return text.size() == 1 ? QLatin1Char('0') + text : text.rightJustified(2, u' ');
  };
  QString text = year->text().trimmed().rightJustified(4, u' ') + twoDigits(month) + twoDigits(day);
  QString message;
  const int code = KvDateMessage(&text, &message);
  if (code == 0) {
    *date = text;
    return true;
  }
  refuse(message, code == -3 ? month : code == -4 ? day : year);
  return false;
}

bool KvGetDateRange(CKvEdit* fromYear, CKvEdit* fromMonth, CKvEdit* fromDay, CKvEdit* toYear,
                    CKvEdit* toMonth, CKvEdit* toDay, QString* from, QString* to) {
  QString start;
  QString end;
  if (!KvGetDateEdits(fromYear, fromMonth, fromDay, &start) ||
      !KvGetDateEdits(toYear, toMonth, toDay, &end))
    return false;
  if (start > end) {
    refuse(QStringLiteral("起止时间倒置！"), fromYear);
    return false;
  }
  *from = start;
  *to = end;
  return true;
}
