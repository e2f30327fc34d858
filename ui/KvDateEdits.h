#pragma once
// Dates typed into three fields (year, month, day) of data-entry dialogs,
// and their check. A refusal shows its message under the stop icon, puts
// the focus on the field at fault and returns false.

#include <QString>

class CKvEdit;

// Checks a "yyyymmdd" text (core's KvCheckDateText; on success the text is
// rewritten as plain digits) and gives the message of a fault: "时间位数不足",
// "年份太小", "月份超界" or "日期超界" (empty when valid). Returns the
// checker's code: 0 valid, -1 to -4 the faults in that order.
int KvDateMessage(QString* date, QString* message);

// Digits only: the year takes 4 characters, month and day 2 each.
void KvInitDateEdits(CKvEdit* year, CKvEdit* month, CKvEdit* day);

// The date of the three fields as "yyyymmdd": the year right-aligned in 4
// places, a one-digit month or day with a leading zero (2024, 3, 5 give
// 20240305). False after the message of KvDateMessage.
bool KvGetDateEdits(CKvEdit* year, CKvEdit* month, CKvEdit* day, QString* date);

// Both dates of a range (KvGetDateEdits each); a start later than the end
// shows "起止时间倒置！" and puts the focus on the start's year.
bool KvGetDateRange(CKvEdit* fromYear, CKvEdit* fromMonth, CKvEdit* fromDay, CKvEdit* toYear,
                    CKvEdit* toMonth, CKvEdit* toDay, QString* from, QString* to);
