#include "datafile/CKvDataInfoDlg.h"

#include "app/CKvApp.h"
#include "app/CKvDataType.h"
#include "app/CKvDwRec.h"
#include "app/CKvOperation.h"
#include "core/KvDate.h"
#include "core/KvMessage.h"
#include "core/KvNumber.h"
#include "core/KvRegistry.h"
#include "datafile/CKvDataInfoList.h"
#include "ui/CKvTreeCombo.h"
#include "ui/CKvWaitWnd.h"
#include "ui/KvAppServices.h"
#include "ui/KvComboHelpers.h"
#include "ui/KvObjectNames.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

const QString kYearValue = QStringLiteral("DataInfo_Year");
const QString kMonthValue = QStringLiteral("DataInfo_Month");
// Years offered: the data file's year and the ones before it.
constexpr int kYearsBack = 4;

QString readSetting(const QString& name) {
  QString value;
  KvRegReadString(KvRegRoot::CurrentUser, KvGetRegKeyPath(), name, &value);
  return value;
}

void writeSetting(const QString& name, const QString& value) {
  KvRegWriteString(KvRegRoot::CurrentUser, KvGetRegKeyPath(), name, value);
}

}  // namespace

CKvDataInfoDlg::CKvDataInfoDlg(CKvDb* pDb, QWidget* parent) : CKvZrvDlg(IDD, pDb, parent) {
  setWindowTitle(QStringLiteral("账务信息"));
  if (CKvDataType* module = KvGetActiveDataType())
    m_nModule = module->GetModule();

  m_pList = new CKvDataInfoList(this);
  m_pList->setMinimumSize(360, 220);
  m_pList->m_pItems = &m_items;
  m_pList->m_mayUse = [this](const QString& item) { return mayUse(item); };
  m_pYear = KvSetControlId(new QComboBox(this), IDC_YEAR);
  m_pMonth = KvSetControlId(new QComboBox(this), IDC_MONTH);
  m_pDetail = KvSetControlId(new QPlainTextEdit(this), IDC_DETAIL);
  m_pDetail->setReadOnly(true);
  m_pDetail->setMaximumHeight(90);
  auto* leave = KvSetControlId(new QPushButton(QStringLiteral("&X.离开"), this), KV_IDCANCEL);
  auto* time = new QLabel(QStringLiteral("&T.时间："), this);
  time->setBuddy(m_pYear);
  auto* detail = new QLabel(QStringLiteral("&C.详细信息："), this);
  detail->setBuddy(m_pDetail);
  UnitLabel()->setText(QStringLiteral("独立核算单位："));
  UnitPicker()->setMinimumWidth(160);

  auto* choices = new QHBoxLayout;
  choices->addWidget(time);
  choices->addWidget(m_pYear);
  choices->addWidget(m_pMonth);
  choices->addSpacing(12);
  choices->addWidget(UnitLabel());
  choices->addWidget(UnitPicker());
  choices->addStretch(1);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(detail);
  bottom->addStretch(1);
  bottom->addWidget(leave);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(choices);
  layout->addWidget(m_pList, 1);
  layout->addLayout(bottom);
  layout->addWidget(m_pDetail);

  connect(m_pYear, &QComboBox::activated, this, [this] { takeChoices(); });
  connect(m_pMonth, &QComboBox::activated, this, [this] { takeChoices(); });
  connect(m_pList, &CKvDataInfoList::openRequested, this, &CKvDataInfoDlg::RunCommand);
  connect(m_pList->DetailsView()->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { showDetail(); });
}

bool CKvDataInfoDlg::mayUse(const QString& rightItem) const {
  CKvApp* app = KvGetApp();
  return app && (app->GetDataFile().GetOperatorCode() == u"101" || KvHasRight(m_nModule, rightItem));
}

void CKvDataInfoDlg::OnInitDialog() {
  CKvZrvDlg::OnInitDialog();
  InitUnitPicker(-1, -1, 2, QString(), QStringLiteral("全部(或公用)"));
  m_strUnit = KvGetCurrentDw().KNO;

  const int year = KvAppServiceDataFileYear();
  QString storedYear = readSetting(kYearValue);
  if (storedYear.isEmpty())
    storedYear = QString::number(year);
  KvFillYearCombo(m_pYear, year - kYearsBack, kYearsBack + 1, &storedYear);
  KvFillMonthCombo(m_pMonth);
  QString storedMonth = readSetting(kMonthValue);
  if (storedMonth.isEmpty())
    storedMonth = KvNowText(QStringLiteral("%m"));
  m_pMonth->setCurrentIndex(qBound(0, storedMonth.toInt(), 12));
  KvGetYearCombo(m_pYear, &m_strYear, true);
  int month = 0;
  KvGetMonthCombo(m_pMonth, &month, true);
  m_strMonth = month > 0 ? KvIntToText(month, 2) : QString();

  m_pList->InitList();
  m_pList->SetExStyle(CKvListCtrl::LVS_EX_FULLROWSELECT | CKvListCtrl::LVS_EX_GRIDLINES);
  m_pList->SetColumns({QStringLiteral("主题"), QStringLiteral("结果")}, {220, 115});
  Refresh();

  if (!mayUse(KvIntToText(m_nRightItem, 2))) {
    KvMessageBox(QStringLiteral("你无数据信息查询权！"), KV_MB_OK | KV_MB_ICONSTOP);
    m_bRefused = true;
    reject();
    return;
  }
  if (!m_strCaption.isEmpty())
    setWindowTitle(m_strCaption);
}

void CKvDataInfoDlg::Refresh() {
  CKvWaitWnd wait;
  wait.Show(this);
  m_pList->DeleteAllItems();
  m_items.clear();
  if (CKvDataType* module = KvFindDataType(m_nModule))
    module->GetDataInfo(KvGetCurrentDw(), m_strYear, m_strMonth, m_nViewOp, m_nRightItem,
                        m_strCaption, m_items);
  for (const KvDataInfoItem& item : std::as_const(m_items))
    m_pList->AddRow({item.strTopic, item.strResult}, item.nKind);
  if (!m_items.isEmpty())
    m_pList->SelectRow(0);
  showDetail();
}

void CKvDataInfoDlg::showDetail() {
  const QList<int> rows = m_pList->GetSelectedRows();
  const QString text =
      rows.size() == 1 && rows.first() < m_items.size() ? m_items.at(rows.first()).strDetail : QString();
  m_pDetail->setPlainText(text);
}

void CKvDataInfoDlg::ApplyUnitPicker(int pickerId) {
  CKvZrvDlg::ApplyUnitPicker(pickerId);
  takeChoices();
}

void CKvDataInfoDlg::takeChoices() {
  QString year;
  int month = 0;
  if (!KvGetYearCombo(m_pYear, &year) || !KvGetMonthCombo(m_pMonth, &month))
    return;
  const QString monthText = KvIntToText(month, 2);
  const QString unit = KvGetCurrentDw().KNO;
  if (year == m_strYear && monthText == m_strMonth && unit == m_strUnit)
    return;
  m_strYear = year;
  m_strMonth = monthText;
  m_strUnit = unit;
  Refresh();
}

void CKvDataInfoDlg::RunCommand(int row) {
  CKvDataType* module = KvFindDataType(m_nModule);
  if (!module || row < 0 || row >= m_items.size())
    return;
  const KvDataInfoItem item = m_items.at(row);
  if (!module->RunDataInfoCommand(KvGetCurrentDw(), m_strYear, m_strMonth, item))
    return;
  Refresh();
  m_pList->SelectRow(row);
  CKvOperation(m_nModule, item.nOperation, item.strCommand);
}

void CKvDataInfoDlg::OnCancel() {
  if (m_bRefused) {
    CKvZrvDlg::OnCancel();
    return;
  }
  writeSetting(kYearValue, m_strYear);
  writeSetting(kMonthValue, m_strMonth);
  CKvOperation(m_nModule, m_nViewOp, QStringLiteral("查看数据信息"));
  CKvZrvDlg::OnCancel();
}
