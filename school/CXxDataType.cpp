#include "school/CXxDataType.h"

#include "app/CKvApp.h"
#include "app/CKvXxApp.h"
#include "core/CKvCsRec.h"
#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "core/KvNumber.h"
#include "forms/CFormChildFrm.h"
#include "forms/CKvDocTemplate.h"
#include "print/CKvPrintFieldDefs.h"
#include "print/CKvPrintSet.h"
#include "school/CKvCostListDlg.h"
#include "school/CKvStdDirDlg.h"
#include "school/CPc.h"
#include "school/CStd.h"
#include "school/CXxDjChildFrm2.h"
#include "school/CXxDjDoc0.h"
#include "school/CXxDjDoc2.h"
#include "school/CXxDjFrm.h"
#include "school/CXxDjListView.h"
#include "school/CXxDjView0.h"
#include "school/CXxRptDoc0.h"
#include "school/CXxRptDoc1.h"
#include "school/CXxRptDoc2.h"
#include "school/CXxRptView.h"
#include "school/KvSchoolSql.h"
#include "school/KvSchoolTables.h"
#include "ui/KvAppServices.h"
#include "ui/KvCommands.h"
#include "ui/KvModal.h"

namespace {
CKvDb* connectionOr(CKvDb* pDb) { return pDb ? pDb : KvGetAppDb(); }
}  // namespace

bool CXxDataType::Params::SameAs(const Params& other) const {
  if (nMgmtLevels != other.nMgmtLevels || nMultiClass != other.nMultiClass ||
      nReceiptRows != other.nReceiptRows)
    return false;
  const int levels = qBound(0, LevelCount(), kMaxLevels);
  for (int i = 0; i < levels; ++i)
    if (nCodeLen[i] != other.nCodeLen[i])
      return false;
  return true;
}

void CXxDataType::Params::Normalise() {
  const int levels = qBound(0, LevelCount(), kMaxLevels);
  for (int i = 0; i < levels; ++i)
    if (nCodeLen[i] <= 0)
      nCodeLen[i] = 2;
}

CXxDataType::CXxDataType() {
  m_nModule = kModule;
  m_nMenuId = 325;
  m_strCaption = QStringLiteral("收费");
  m_strTabLabel = m_strCaption;
}

CXxDataType::~CXxDataType() = default;

// --- Module descriptor hooks ---

void CXxDataType::RegisterTemplates() {
  m_nModule = kModule;
  m_nMenuId = 325;
  m_strTabLabel = QStringLiteral("收费");
  // The fee reports, in the order the template box lists them.
  const auto addReport = [this](std::unique_ptr<CKvDocTemplate> report, const char* name, const char* description,
                                const char* right, int icon) {
    AddTemplate(std::move(report))
        ->AddEntry(0, QString::fromUtf8(name), QString::fromUtf8(description), 1, QString::fromLatin1(right), icon, 0);
  };
  AddTemplate(CKvDocTemplate::Make<CXxDjDoc0, CXxDjFrm, CXxDjView0>(m_nMenuId, 255, true))
      ->AddEntry(0, QStringLiteral("按班收费"), QStringLiteral("按班、按学期录入学生应交、实交各种费用数额"), 1,
                 QStringLiteral("02"), 673, 0);
  // The receipt window's settings live for the run only.
  CKvDocTemplate* pReceipts =
      AddTemplate(CKvDocTemplate::Make<CXxDjDoc2, CXxDjChildFrm2, CXxDjListView>(m_nMenuId, 256, false));
  pReceipts->AddEntry(0, QStringLiteral("收费收据"), QStringLiteral("填制学生收费收据"), 1, QStringLiteral("05"), 674, 0);
  pReceipts->Entries().last().bArgsForRun = true;
  addReport(CKvDocTemplate::Make<CXxRptDoc0, CFormChildFrm, CXxRptView>(m_nMenuId, 257, true), "收费明细表",
            "浏览、检索收费收据", "10", 629);
  addReport(CKvDocTemplate::Make<CXxRptDoc2, CFormChildFrm, CXxRptView>(m_nMenuId, 261, true), "学生交费明细账", "",
            "14", 647);
  addReport(CKvDocTemplate::Make<CXxRptDoc1, CFormChildFrm, CXxRptView>(m_nMenuId, 258, true), "应收费统计表", "",
            "11", 668);
  addReport(CKvDocTemplate::Make<CXxRptDoc1, CFormChildFrm, CXxRptView>(m_nMenuId, 259, true), "收费统计表", "",
            "12", 664);
  addReport(CKvDocTemplate::Make<CXxRptDoc1, CFormChildFrm, CXxRptView>(m_nMenuId, 260, true), "欠费统计表", "",
            "13", 630);
  CFormDataType::RegisterTemplates();
  if (auto* app = dynamic_cast<CKvXxApp*>(KvGetApp())) {
    app->SetSettingsDialog(KV_CMD_SET_SCHOOL_TREE, [](CKvDb* pDb) {
      CKvStdDirDlg dialog(pDb, 0, QString(), -1);
      KvExecDialog(&dialog);
    });
    app->SetSettingsDialog(KV_CMD_SET_FEE_ITEMS, [](CKvDb* pDb) {
      CKvCostListDlg dialog(pDb, QString());
      KvExecDialog(&dialog);
    });
    // Classes are listed but not opened.
    app->SetSettingsDialog(KV_CMD_SET_CLASS_TREE, [](CKvDb* pDb) {
      CKvStdDirDlg dialog(pDb, 0, QString(), LevelCount() - 2);
      KvExecDialog(&dialog);
    });
  }
}

bool CXxDataType::CreateTables(CKvDb* pDb) {
  ReloadParams(pDb);
  bool ok = KvCreateSchoolTables(pDb);
  ok &= KvCreateTimetablePlanTables(pDb);
  return ok;
}

void CXxDataType::OpenData(CKvDb* pDb) {
  CFormDataType::OpenData(pDb);
  ReloadParams(pDb);
}

void CXxDataType::OnAfterLogin() { ReloadParams(nullptr); }

void CXxDataType::GetModuleRights(QStringList& codes, QStringList& names) {
  static const char* const rights[][2] = {
      {"01", "费用项目"},     {"02", "按班收费查询"}, {"03", "按班收费制作"},
      {"04", "按班收费复核"}, {"05", "收费收据查询"}, {"06", "收费收据制作"},
      {"07", "收费收据复核"}, {"10", "收费明细表"},   {"14", "学生交费明细账"},
      {"11", "应收费统计表"}, {"12", "收费统计表"},   {"13", "欠费统计表"}};
  for (const auto& right : rights) {
    codes.append(QString::fromLatin1(right[0]));
    names.append(QString::fromUtf8(right[1]));
  }
}

void CXxDataType::GetSharedRights(QStringList& codes, QStringList& names) {
  codes << QStringLiteral("0080") << QStringLiteral("0081") << QStringLiteral("0082")
        << QStringLiteral("0083");
  names << QStringLiteral("系统参数") << QStringLiteral("管理机构目录操作")
        << QStringLiteral("班级目录操作") << QStringLiteral("学生目录操作");
}

void CXxDataType::GetSystemRightGroups(QList<int>& groups, QStringList& captions) {
  groups << 80 << 81;
  captions << QStringLiteral("系统参数") << QStringLiteral("机构、班级、学生目录");
}

void CXxDataType::GetModuleRightGroups(QList<int>& groups, QStringList& captions) {
  groups << 0 << 1 << 2;
  captions << QStringLiteral("费用项目") << QStringLiteral("按班收费") << QStringLiteral("收费收据");
}

void CXxDataType::GetDefaultPrintSet(int, const QString&, CKvPrintSet& set) {
  set.PageRow = 22;
  set.PageWidth = 2100;
  set.PageLength = 2970;
  set.PageLeft = 150;
  set.PageTop = 250;
  set.PageRight = 100;
  set.PageBottom = 200;
  set.PageCopies = 0;
  set.Fonts[CKvPrintSet::TextFont].height = -12;
}

void CXxDataType::GetPrintPosForms(int nLayoutId, CKvPrintFieldDefs& defs) {
  if (nLayoutId < 0) {
    defs.Add(QStringLiteral("4181"), QStringLiteral("收费收据"), QString());
    return;
  }
  const int first = defs.Count();
  if (nLayoutId == 4181) {
    const auto add = [&defs](const QString& name, const QString& text) { defs.Add(name, text, QString()); };
    add(QStringLiteral("单位名称"), QStringLiteral("#kvname"));
    add(QStringLiteral("法人代表"), QStringLiteral("#kvmanager"));
    add(QStringLiteral("主管"), QStringLiteral("#kvmaster"));
    add(QStringLiteral("单号"), QStringLiteral("#dh"));
    add(QStringLiteral("收费时间"), QStringLiteral("#yy年#mm月#dd日"));
    add(QStringLiteral("交费学生"), QStringLiteral("(#xsd)#xsm"));
    add(QStringLiteral("学期"), QStringLiteral("#xq"));
    for (int i = 1; i <= ReceiptRowsRef(); ++i) {
      const QString s = KvIntToText(i, 2);
      add(KvFormat(QStringLiteral("第%d行摘要"), i), QStringLiteral("#zy") + s);
      add(KvFormat(QStringLiteral("第%d行收费项目"), i), KvFormat(QStringLiteral("(#fxd%s)#fxm%s"), s, s));
      add(KvFormat(QStringLiteral("第%d行金额"), i), QStringLiteral("#je") + s);
    }
    add(QStringLiteral("合计(小写)"), QStringLiteral("#hjx"));
    add(QStringLiteral("合计(大写)"), QStringLiteral("#hjd"));
    add(QStringLiteral("收费员"), QStringLiteral("(#sfd)#sfm"));
    add(QStringLiteral("复核员"), QStringLiteral("(#fhd)#fhm"));
  }
  for (int k = first; k < defs.Count(); ++k)
    defs.Positions[k] = KvFormat(QStringLiteral("300 %d 14 400 0 0 宋体"), 400 + 60 * (k - first));
}

void CXxDataType::GetCodeReferences(const QString& kind, KvCodeRefs& refs) {
  if (kind != u"OPR")
    return;
  refs.Add(QStringLiteral("PC"), QStringLiteral("OPR0"), QStringLiteral("收费明细"));
  refs.Add(QStringLiteral("PC"), QStringLiteral("OPR1"), QStringLiteral("收费明细"));
}

void CXxDataType::GetCarryItems(QList<int>& numbers, QStringList& captions, QStringList& tables) {
  numbers << 0 << 1 << 2;
  captions << QStringLiteral("机构、班级、学生目录") << QStringLiteral("收费项目目录")
           << QStringLiteral("学生交费明细账");
  tables << QStringLiteral("STD") << QStringLiteral("COST") << QStringLiteral("PC");
}

bool CXxDataType::CarryOver(int nGroup, int nItem, CKvDb* pOldDb, CKvDb* pNewDb, int) {
  return CarryItem(nGroup, nItem, pOldDb, pNewDb);
}

bool CXxDataType::CarryItem(int nGroup, int nItem, CKvDb* pOldDb, CKvDb* pNewDb) {
  if (!pOldDb || !pNewDb)
    return false;
  switch (nItem + 100 * nGroup) {
    case 0:
      return CStd(pOldDb, QString()).CarryOver(pOldDb, pNewDb);
    case 1: {
      KvDbTransaction transaction(*pNewDb);
      return transaction.IsActive() && KvCopyTableChecked(pOldDb, pNewDb, QStringLiteral("COST"), QString()) &&
             transaction.Commit();
    }
    case 2:
      return CPc::CarryFeeLines(pOldDb, pNewDb);
    default:
      return false;
  }
}

int CXxDataType::CheckCarryOver(int nGroup, int nItem, const QString& caption, const QString& tables,
                                CKvDb* pOldDb, CKvDb* pNewDb, QString& message) {
  const int result =
      CFormDataType::CheckCarryOver(nGroup, nItem, caption, tables, pOldDb, pNewDb, message);
  ReloadParams(pOldDb);
  if (CheckParamChange(false, pNewDb) != 0) {
    message = QStringLiteral("新旧年度的参数不一致");
    return -1;
  }
  return result;
}

// --- Parameters ---

void CXxDataType::SetDefaultParams() { m_params = Params(); }

bool CXxDataType::LoadParams(CKvDb* pDb) {
  pDb = connectionOr(pDb);
  if (!pDb || !pDb->IsOpenOrFailsAsLost())
    return false;
  CKvQuery query(1, 0, 1, pDb);
  if (!query.Open(KvFormat(QStringLiteral("Select CsN,Rtrim(CsVal) From SysCsTab Where Cs=%d "
                                          "Order By CsN,CsNa,CsVal"),
                           kParamCs)))
    return false;
  Params params = m_params;
  for (; !query.IsEOF(); query.MoveNext())
    params.Apply(query.GetLong(0), query.GetText(0));
  params.Normalise();
  m_params = params;
  return true;
}

void CXxDataType::Params::Apply(int csn, const QString& text) {
  const int value = KvStrToInt(text);
  if (csn == 0)
    nMgmtLevels = value;
  else if (csn == 1)
    nMultiClass = value;
  else if (csn == 2)
    nReceiptRows = value;
  else if (csn >= 10 && csn < 10 + kMaxLevels)
    nCodeLen[csn - 10] = value;
}

bool CXxDataType::SaveParams(CKvDb* pDb) {
  pDb = connectionOr(pDb);
  if (!pDb)
    return false;
  {
    KvDbTransaction transaction(*pDb);
    if (!transaction.IsActive())
      return false;
    CKvCsRec rec(pDb);
    if (!rec.Delete(kParamCs))
      return false;
    const auto insert = [&rec](int csn, const QString& name, int value) {
      rec.Set(kParamCs, csn, name, QString::number(value));
      return rec.Insert();
    };
    if (!insert(0, QStringLiteral("管理级次、至多4级"), m_params.nMgmtLevels) ||
        !insert(1, QStringLiteral("一级多班吗"), m_params.nMultiClass) ||
        !insert(2, QStringLiteral("收费单据行数"), m_params.nReceiptRows))
      return false;
    const int levels = qBound(0, m_params.LevelCount(), kMaxLevels);
    for (int i = 0; i < levels; ++i)
      if (!insert(10 + i, KvFormat(QStringLiteral("第%d级码长"), i), m_params.nCodeLen[i]))
        return false;
    if (!transaction.Commit())
      return false;
  }
  // What reading them back would give.
  m_params.Normalise();
  return true;
}

bool CXxDataType::ReloadParams(CKvDb* pDb) {
  const Params before = m_params;
  SetDefaultParams();
  if (LoadParams(pDb))
    return true;
  m_params = before;
  return false;
}

// --- Static access ---

CXxDataType* CXxDataType::Get() {
  if (auto* registered = dynamic_cast<CXxDataType*>(KvFindDataType(kModule)))
    return registered;
  static CXxDataType own;
  return &own;
}

int& CXxDataType::MgmtLevelsRef() { return Get()->m_params.nMgmtLevels; }
int& CXxDataType::MultiClassRef() { return Get()->m_params.nMultiClass; }
int& CXxDataType::ReceiptRowsRef() { return Get()->m_params.nReceiptRows; }

int& CXxDataType::CodeLenRef(int i) {
  static int scratch = 0;
  if (i < 0 || i >= kMaxLevels) {
    scratch = 0;
    return scratch;
  }
  return Get()->m_params.nCodeLen[i];
}

int CXxDataType::LevelCount() { return Get()->m_params.LevelCount(); }

int CXxDataType::CodeLenOfLevel(int i) {
  const Params& params = Get()->m_params;
  int length = 0;
  for (int level = 0; level <= i && level < kMaxLevels; ++level)
    length += params.nCodeLen[level];
  return length;
}

int CXxDataType::LevelOfCode(const QString& code) {
  const int n = int(code.size());
  if (n == 0)
    return 0;
  const int levels = LevelCount();
  int i = 0;
  while (i < levels && n > CodeLenOfLevel(i))
    ++i;
  return i + 1;
}

int CXxDataType::CheckParamChange(bool bStop, CKvDb* pDb) {
  pDb = connectionOr(pDb);
  CXxDataType* type = Get();
  const Params before = type->m_params;
  if (!type->ReloadParams(pDb))
    return -1;
  return settleParamChange(before, bStop, pDb);
}

int CXxDataType::StoredParamsChanged(CKvDb* pDb) {
  CXxDataType* type = Get();
  const Params before = type->m_params;
  const int changed = CheckParamChange(false, pDb);
  type->m_params = before;
  return changed;
}

int CXxDataType::CheckParamRows(const QList<QPair<int, QString>>& rows, bool bStop, CKvDb* pDb) {
  pDb = connectionOr(pDb);
  CXxDataType* type = Get();
  const Params before = type->m_params;
  Params params;
  for (const auto& [csn, text] : rows)
    params.Apply(csn, text);
  params.Normalise();
  type->m_params = params;
  return settleParamChange(before, bStop, pDb);
}

int CXxDataType::settleParamChange(const Params& before, bool bStop, CKvDb* pDb) {
  if (before.SameAs(Get()->m_params))
    return 0;
  if (!bStop)
    return 1;
  KvMessageBox(QStringLiteral("系统参数发生了变化，软件将被迫关闭！"), KV_MB_OK | KV_MB_ICONSTOP);
  if (pDb && pDb->IsOpen())
    pDb->Close();
  KvRequestQuit(0);
  return 1;
}

int KvXxStudentCodeLength() {
  return dynamic_cast<CXxDataType*>(KvFindDataType(CXxDataType::kModule)) ? CXxDataType::StudentCodeLen() : 0;
}
