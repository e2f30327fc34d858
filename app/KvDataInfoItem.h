#pragma once
// One line of a module's account information for a unit, year and month:
// what the line is about, its result and details, and an optional follow-up
// command with the right item it needs and the operation it logs.

#include <QString>

struct KvDataInfoItem {
  // Image of the row: 0, 1 or 2 (2 a new line); only kind 0 carries a command.
  int nKind = 2;
  QString strTopic;
  QString strResult;
  QString strDetail;
  int bHasCommand = 0;
  QString strCommand;
  QString strRightItem;
  int nOperation = 0;
};
