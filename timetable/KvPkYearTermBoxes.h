#pragma once
// The year and term boxes of the timetable's open dialogs.

#include <QString>

class QComboBox;

// Takes the boxes' year and term into Y and QC, an empty choice becoming
// the middle year and the spring term; true when the pair differs from the
// one Y and QC held (the dialog then lists that term's plans anew).
bool KvPkTakeYearTerm(QComboBox* pYear, QComboBox* pTerm, QString* Y, int* QC);
