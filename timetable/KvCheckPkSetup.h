#pragma once
// The set-up check the timetable, report and plan documents run before they
// open: each listed table of the application's data file must hold rows.

#include <QStringList>

// For each table without rows (or whose count cannot be read) a line with
// its label ("班级", "教师", "课程", "作息时间表", "级教学计划", "班教学计划"
// for STD, TCHR, SBT, WKT, WKJH, SBTTCHR; other names add nothing). When a
// line was made: "下列信息还未设置" with the lines, stop icon, false.
bool KvCheckPkSetup(const QStringList& tables);
