#include "timetable/CPkDataType.h"

#include "app/CKvXxApp.h"
#include "app/KvAppQuery.h"
#include "core/CKvDb.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
#include "core/KvText.h"
#include "forms/CFormChildFrm.h"
#include "forms/CKvDocTemplate.h"
#include "print/CKvPrintSet.h"
#include "school/KvSchoolSql.h"
#include "school/KvSchoolTables.h"
#include "timetable/CKvCourseListDlg.h"
#include "timetable/CKvPubRoomListDlg.h"
#include "timetable/CKvTeacherListDlg.h"
#include "timetable/CPKDoc.h"
#include "timetable/CPKFrm.h"
#include "timetable/CPKTreeView.h"
#include "timetable/CPkRptDoc.h"
#include "timetable/CPkRptView.h"
#include "timetable/CWkjhDoc.h"
#include "timetable/CWkjhFrm.h"
#include "timetable/CWkjhTreeView.h"
#include "timetable/CWktDoc.h"
#include "timetable/CWktView.h"
#include "ui/KvCommands.h"
#include "ui/KvModal.h"

namespace {
// A catalogue's list dialog on the connection, as the Settings menu runs it.
template <class Dlg>
void runCatalogue(CKvDb* pDb) {
  Dlg dlg(0, pDb, QString(), nullptr);
  KvExecDialog(&dlg);
}
}  // namespace

void CPkDataType::RegisterTemplates() {
  m_nModule = kModule;
  m_nMenuId = 326;
  m_strCaption = QStringLiteral("排课");
  m_strTabLabel = QStringLiteral("排课");
  // Entries open from the list only ("新增" stays off: lock 1).
  AddTemplate(CKvDocTemplate::Make<CWktDoc, CFormChildFrm, CWktView>(326, 270, false))
      ->AddEntry(0, QStringLiteral("作息时间表"), QString(), 1, QStringLiteral("03"), 640, 0);

  AddTemplate(CKvDocTemplate::Make<CWkjhDoc, CWkjhFrm, CWkjhTreeView>(326, 271, false))
      ->AddEntry(0, QStringLiteral("教学计划"), QStringLiteral("指定班级课程、教师、课时及其他排课所需在素"), 1,
                 QStringLiteral("05"), 616, 0);
  CKvDocTemplate* pTimetable = AddTemplate(CKvDocTemplate::Make<CPKDoc, CPKFrm, CPKTreeView>(326, 272, false));
  pTimetable->AddEntry(0, QStringLiteral("班课表"), QStringLiteral("排课、班课表"), 1, QStringLiteral("07"), 631, 0);
  pTimetable->AddEntry(1, QStringLiteral("教师课表"), QString(), 1, QStringLiteral("07"), 655, 0);
  pTimetable->AddEntry(2, QStringLiteral("公用教室课表"), QString(), 1, QStringLiteral("07"), 606, 0);

  // The reports: the class report first.
  CKvDocTemplate* pReports = AddTemplate(CKvDocTemplate::Make<CPkRptDoc, CFormChildFrm, CPkRptView>(326, 273, false));
  pReports->AddEntry(2, QStringLiteral("班级排课情况表"), QString(), 1, QStringLiteral("22"), 671, 0);
  pReports->AddEntry(0, QStringLiteral("教师排课情况表"), QString(), 1, QStringLiteral("20"), 619, 0);
  pReports->AddEntry(1, QStringLiteral("公用教室排课情况表"), QString(), 1, QStringLiteral("21"), 669, 0);

  if (auto* app = dynamic_cast<CKvXxApp*>(KvGetApp())) {
    app->SetSettingsDialog(KV_CMD_SET_TEACHERS, &runCatalogue<CKvTeacherListDlg>);
    app->SetSettingsDialog(KV_CMD_SET_COURSES, &runCatalogue<CKvCourseListDlg>);
    app->SetSettingsDialog(KV_CMD_SET_PUBLIC_ROOMS, &runCatalogue<CKvPubRoomListDlg>);
  }
  CFormDataType::RegisterTemplates();
}

bool CPkDataType::CreateTables(CKvDb* pDb) {
  const QString pubrm = QStringLiteral(
      "Create Table PUBRM(KNO Char(3),NA Char(8),NAA Char(40),"
      "ADR Char(50),MGR Char(12),TEL Char(25),NT Char(60))");
  bool ok = KvCreateMissingTable(pDb, QStringLiteral("TCHR"),
                                 QStringLiteral("Create Table TCHR(KNO Char(4),NA Char(12),TEL Char(25),ADR Char(50),"
                                                "SEX Char(1),BT Char(8),PID Char(18),NTN Char(12),"
                                                "FGF Char(20),ZW Char(16),NT Char(60))"),
                                 QString(), {QStringLiteral("Create Index TCHR ON TCHR(KNO)")});
  ok = KvCreateMissingTable(pDb, QStringLiteral("SBT"),
                            QStringLiteral("Create Table SBT(KNO Char(4),NA Char(8),NAA Char(40),NT Char(60))"),
                            QString(), {QStringLiteral("Create Index SBT ON SBT(KNO)")}) && ok;
  ok = KvCreateMissingTable(pDb, QStringLiteral("PUBRM"), pubrm, KvReplace(pubrm, QStringLiteral("Long"), QStringLiteral("INT")),
                            {QStringLiteral("Create Index PUBRM ON PUBRM(KNO)")}) && ok;
  ok = KvCreateMissingTable(pDb, QStringLiteral("WKT"),
                            QStringLiteral("Create Table WKT(Y Char(4),QC Char(1),DT Char(1),DN Char(1),"
                                           "HM0 Char(4),HM1 Char(4),SBT Char(7))"),
                            QString(), {QStringLiteral("Create Index WKT ON WKT(Y,QC,DT,DN)")}) && ok;
  return KvCreateTimetablePlanTables(pDb) && ok;
}

void CPkDataType::GetModuleRights(QStringList& codes, QStringList& names) {
  static const char* const items[][2] = {
      {"01", "教师"},           {"02", "公用教室"},         {"03", "周作息时间表查询"},
      {"04", "周作息时间表操作"}, {"05", "周教学计划查询"},   {"06", "周教学计划操作"},
      {"07", "课表查询"},       {"08", "排课"},             {"22", "班级排课情况表"},
      {"20", "教师排课情况表"},   {"21", "公用教室排课情况表"},
  };
  for (const auto& item : items) {
    codes << QString::fromUtf8(item[0]);
    names << QString::fromUtf8(item[1]);
  }
}

void CPkDataType::GetSharedRights(QStringList& codes, QStringList& names) {
  codes << QStringLiteral("0080") << QStringLiteral("0081") << QStringLiteral("0082") << QStringLiteral("0084");
  names << QStringLiteral("系统参数") << QStringLiteral("管理机构目录操作") << QStringLiteral("班级目录操作")
        << QStringLiteral("课程设置");
}

void CPkDataType::GetDefaultPrintSet(int nFormNo, const QString&, CKvPrintSet& set) {
  set.PageRow = nFormNo == 272 ? 68 : 22;
  set.PageWidth = 2100;
  set.PageLength = 2970;
  set.PageLeft = 150;
  set.PageTop = 250;
  set.PageRight = 100;
  set.PageBottom = 200;
  set.PageCopies = 0;
  set.Fonts[CKvPrintSet::TextFont].height = -12;
}

void CPkDataType::GetCarryItems(QList<int>& numbers, QStringList& captions, QStringList& tables) {
  numbers << 0 << 1 << 2 << 3 << 4 << 5;
  captions << QStringLiteral("教师目录") << QStringLiteral("课程目录") << QStringLiteral("公用教室目录")
           << QStringLiteral("作息时间表") << QStringLiteral("教学计划") << QStringLiteral("课程表");
  // Item 4 carries both halves of the plan, so its check looks at both.
  tables << QStringLiteral("TCHR") << QStringLiteral("SBT") << QStringLiteral("PUBRM") << QStringLiteral("WKT")
         << QStringLiteral("WKJH SBTTCHR") << QStringLiteral("PK");
}

bool CPkDataType::CarryOver(int nGroup, int nItem, CKvDb* pOldDb, CKvDb* pNewDb, int) {
  return CarryItem(nGroup, nItem, pOldDb, pNewDb);
}

bool CPkDataType::CarryItem(int nGroup, int nItem, CKvDb* pOldDb, CKvDb* pNewDb) {
  if (!pOldDb || !pNewDb)
    return false;
  const int item = nGroup * 100 + nItem;
  if (item < 0 || item > 5)
    return false;
  // The rows of the old file's year and of later years. A year that cannot
  // be read refuses the carry: taken as 0 it would carry every year.
  int year = 0;
  if (!KvAppSelectInt(pOldDb, QStringLiteral("Select Max(PY) From SysTab"), QString(), &year))
    return false;
  const QString filter = KvFormat("Where Y>='%d'", year);
  static const char* const tables[6][2] = {{"TCHR", nullptr}, {"SBT", nullptr}, {"PUBRM", nullptr},
                                           {"WKT", nullptr},  {"WKJH", "SBTTCHR"}, {"PK", nullptr}};
  KvDbTransaction trans(*pNewDb);
  if (!trans.IsActive())
    return false;
  for (const char* table : tables[item]) {
    if (table && !KvCopyTableChecked(pOldDb, pNewDb, QString::fromLatin1(table), item >= 3 ? filter : QString()))
      return false;
  }
  return trans.Commit();
}

void CPkDataType::GetSharedOperationNames(QList<int>& numbers, QStringList& names) {
  numbers << 80 << 81 << 82;
  names << QStringLiteral("系统参数") << QStringLiteral("机构、班级目录") << QStringLiteral("课程");
}

void CPkDataType::GetModuleOperationNames(QList<int>& numbers, QStringList& names) {
  numbers << 0 << 1 << 2 << 3 << 4;
  names << QStringLiteral("教师") << QStringLiteral("公用教室") << QStringLiteral("周作息时间表")
        << QStringLiteral("周教学计划") << QStringLiteral("排课");
}
