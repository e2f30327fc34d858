#include "KvPkGridWindowTestSupport.h"

#include "core/CKvDb.h"
#include "forms/CForthView.h"
#include "forms/CFormChildFrm.h"
#include "forms/CFormDataType.h"
#include "forms/CKvDocTemplate.h"
#include "school/CXxDataType.h"
#include "timetable/CPKDoc.h"
#include "timetable/CPkOpenPlanDlg.h"
#include "timetable/CWkjhDoc.h"
#include "ui/KvObjectNames.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QPushButton>

KvPkWorkArea::KvPkWorkArea() {
  area.resize(1000, 700);
  m_pPrevious = KvSetAppFrame(this);
}

KvPkWorkArea::~KvPkWorkArea() { KvSetAppFrame(m_pPrevious); }

void KvPkGridWindowTest::SetUp() {
  KvPkDbTest::SetUp();
  if (IsSkipped() || HasFatalFailure())
    return;
  m_app->GetDataFile().GetYear(true);
  m_app->GetDataFile().SetLogOn(true);
  Grant({QStringLiteral("1905"), QStringLiteral("1906"), QStringLiteral("1907"), QStringLiteral("1908")});
  m_area = std::make_unique<KvPkWorkArea>();
}

void KvPkGridWindowTest::TearDown() {
  CloseAll();
  if (m_bExecInstalled)
    KvSetDialogExec(std::move(m_previousExec));
  m_area.reset();
  KvPkDbTest::TearDown();
}

void KvPkGridWindowTest::Grant(const QStringList& codes) {
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From PWR Where OPNO='101'")));
  for (const QString& code : codes)
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Insert Into PWR(OPNO,PWR) Values('101','%1')").arg(code)));
  ASSERT_TRUE(m_app->GetDataFile().LoadRights());
}

bool KvPkGridWindowTest::SetOneClassPerGrade() {
  CXxDataType* type = CXxDataType::Get();
  type->m_params.nMgmtLevels = 1;
  type->m_params.nMultiClass = 0;
  const int lengths[] = {2, 2, 3, 0};
  for (int i = 0; i < 4; ++i)
    type->m_params.nCodeLen[i] = lengths[i];
  return type->SaveParams(pdb());
}

void KvPkGridWindowTest::AnswerOpenDialog(KvOpenPlay play) {
  KvDialogExecFn fn = [play](QDialog* dialog) {
    auto* open = qobject_cast<CPkOpenPlanDlg*>(dialog);
    if (!open)
      return int(QDialog::Rejected);
    open->show();
    const int result = play ? play(*open) : PressOk(*open);
    open->hide();
    return result;
  };
  KvDialogExecFn previous = KvSetDialogExec(std::move(fn));
  if (!m_bExecInstalled) {
    m_previousExec = std::move(previous);
    m_bExecInstalled = true;
  }
}

int KvPkGridWindowTest::PressOk(CPkOpenPlanDlg& dialog) {
  dialog.OnOK();
  return dialog.isVisible() ? int(QDialog::Rejected) : dialog.result();
}

void KvPkGridWindowTest::PickPlan(CPkOpenPlanDlg& dialog, const QString& item) {
  auto* plans = KvDlgItem<QComboBox>(&dialog, CPkOpenPlanDlg::IDC_PLANS);
  plans->setCurrentIndex(plans->findText(item));
  dialog.OnPlanPicked();
}

void KvPkGridWindowTest::SetOpenArgs(int nFlag, int nForm, const QStringList& args) {
  auto* type = dynamic_cast<CFormDataType*>(KvFindDataType(19));
  for (const auto& pTemplate : type->GetTemplates())
    if (pTemplate->GetFlag() == nFlag) {
      const int i = pTemplate->FindEntry(nForm);
      pTemplate->Entries()[i].openArgs = args;
      pTemplate->Entries()[i].bArgsLoaded = true;
    }
}

QStringList KvPkGridWindowTest::OpenArgsOf(int nFlag, int nForm) {
  auto* type = dynamic_cast<CFormDataType*>(KvFindDataType(19));
  for (const auto& pTemplate : type->GetTemplates())
    if (pTemplate->GetFlag() == nFlag)
      return pTemplate->Entries().at(pTemplate->FindEntry(nForm)).openArgs;
  return {};
}

CPKDoc* KvPkGridWindowTest::OpenTimetable(int page, const QString& code) {
  if (!m_bExecInstalled)
    AnswerOpenDialog();
  QStringList args = {kYear, QString::number(kTerm), kDate, page == 0 ? code : QString(), page == 0 ? QString() : code};
  SetOpenArgs(272, page, args);
  auto* type = dynamic_cast<CFormDataType*>(KvFindDataType(19));
  return dynamic_cast<CPKDoc*>(type->OpenDocument(272, page));
}

CWkjhDoc* KvPkGridWindowTest::OpenPlan(const QString& code) {
  if (!m_bExecInstalled)
    AnswerOpenDialog();
  SetOpenArgs(271, 0, {kYear, QString::number(kTerm), kDate, code});
  auto* type = dynamic_cast<CFormDataType*>(KvFindDataType(19));
  return dynamic_cast<CWkjhDoc*>(type->OpenDocument(271, 0));
}

CForthView* KvPkGridWindowTest::Grid(CKvDoc* pDoc) { return pDoc->FindView<CForthView>(); }

bool KvPkGridWindowTest::Type(CKvDoc* pDoc, int row, int column, const QString& text) {
  return Grid(pDoc)->CommitCell(row, column, QStringLiteral("TEXT"), text, 0);
}

QStringList KvPkGridWindowTest::RowTexts(CKvDoc* pDoc, int row) {
  QStringList texts;
  for (int cell : pDoc->m_colMap)
    texts.append(pDoc->m_rows.at(row).value(cell));
  return texts;
}

void KvPkGridWindowTest::CloseAll() {
  if (!m_area)
    return;
  for (QMdiSubWindow* window : m_area->area.subWindowList())
    if (auto* frame = qobject_cast<CFormChildFrm*>(window))
      frame->CloseWithoutAsking();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QStringList KvPkGridWindowTest::LogNotes(int op) {
  return Rows(QStringLiteral("KvLog"), QStringLiteral("rtrim(sNote)"), QStringLiteral("Where nTaskID=%1").arg(1900 + op));
}
