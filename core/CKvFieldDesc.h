#pragma once
// The description of one edit field of a record: its caption, its value as
// text, the input type it accepts (core/KvInputType.h), whether it may stay
// empty, its maximum length (text width) and a second limit for the input
// type. Records describe their fields with arrays of these; the edit dialogs
// and the records' own validation read them.

#include <QString>

struct CKvFieldDesc {
  QString strCaption;
  QString strValue;
  QString strType;
  // 0: the field must not be empty.
  int bMayBeEmpty = 1;
  int nMaxLen = 0;
  int nLimit2 = 0;

  // Everything but the value.
  void Set(const QString& caption, const QString& type, int maxLen, int limit2, int mayBeEmpty) {
    strCaption = caption;
    strType = type;
    nMaxLen = maxLen;
    nLimit2 = limit2;
    bMayBeEmpty = mayBeEmpty;
  }
};
