#include "datafile/CKvPeriodDlg.h"

#include "app/CKvApp.h"
#include "app/CKvDataType.h"
#include "core/CKvDb.h"
#include "core/KvDate.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "core/KvNumber.h"
#include "datafile/CKvMonthTable.h"
#include "ui/CKvCommandRegistry.h"
#include "ui/CKvEdit.h"
#include "ui/KvCommands.h"
#include "ui/KvDateEdits.h"
#include "ui/KvModal.h"
#include "ui/KvObjectNames.h"

#include <QComboBox>
#include <QDate>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
constexpr unsigned kTemplate = 814;
constexpr unsigned kMonthIcon = 609;
// How far a business month may reach beyond its calendar month.
constexpr int kMaxShiftDays = 20;

QDate toDate(const QString& text) { return QDate::fromString(text, QStringLiteral("yyyyMMdd")); }
}  // namespace

CKvPeriodDlg::CKvPeriodDlg(CKvDataType* module, const QString& period, int rightItem, CKvDb* db,
                           QWidget* parent)
    : CKvZrvDlg(kTemplate, db, parent),
      m_pModule(module),
      m_strPeriod(period),
      m_bRight(module && KvHasRight(module->GetModule(), KvIntToText(rightItem % 100, 2))) {
  setWindowTitle(KvFormat("%s：%s", module ? module->m_strTabLabel : QString(), period));
  m_pYear = KvSetControlId(new QComboBox(this), 1104);
  m_pList = KvSetControlId(new QTreeWidget(this), 1011);
  m_pFirst = KvSetControlId(new CKvEdit(this), 1012);
  m_pLast = KvSetControlId(new CKvEdit(this), 1014);
  m_pOk = KvSetControlId(new QPushButton(QStringLiteral("&O.修改"), this), KV_IDOK);
  auto* cancel = KvSetControlId(new QPushButton(QStringLiteral("&X.取消"), this), KV_IDCANCEL);
  for (CKvEdit* edit : {m_pFirst, m_pLast}) {
    edit->SetInputType(QStringLiteral("STRING DIGIT"), 8, -1);
    edit->setMinimumWidth(110);
  }
  m_pList->setColumnCount(3);
  m_pList->setHeaderLabels({QStringLiteral("月份"), QStringLiteral("月初日"), QStringLiteral("月末日")});
  m_pList->setRootIsDecorated(false);
  m_pList->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_pList->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_pList->setAllColumnsShowFocus(true);
  m_pList->setStyleSheet(QStringLiteral("QTreeView::item { border-right: 1px solid #d0d0d0; "
                                        "border-bottom: 1px solid #d0d0d0; }"));
  m_pList->setMinimumSize(380, 300);

  auto* yearRow = new QHBoxLayout;
  auto* yearLabel = new QLabel(QStringLiteral("&Y.年度："), this);
  yearLabel->setBuddy(m_pYear);
  yearRow->addWidget(yearLabel);
  yearRow->addWidget(m_pYear);
  yearRow->addStretch(1);
  auto* editRow = new QHBoxLayout;
  auto* editLabel = KvSetControlId(new QLabel(QStringLiteral("&M.修改："), this), 1100);
  editLabel->setBuddy(m_pFirst);
  editRow->addWidget(editLabel);
  editRow->addWidget(m_pFirst);
  editRow->addWidget(KvSetControlId(new QLabel(QStringLiteral("～"), this), 1101));
  editRow->addWidget(m_pLast);
  editRow->addStretch(1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(m_pOk);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(yearRow);
  layout->addWidget(m_pList, 1);
  layout->addLayout(editRow);
  layout->addLayout(buttons);

  connect(m_pList, &QTreeWidget::itemSelectionChanged, this, [this] { OnSelectionChanged(); });
  connect(m_pList, &QTreeWidget::itemDoubleClicked, this, [this] { OnOK(); });
  connect(m_pYear, &QComboBox::activated, this, [this] { Load(); });
  // The month list's right-click menu: modify, as OK does outside edit mode.
  m_pList->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(m_pList, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    QMenu menu(this);
    QAction* modify = menu.addAction(CKvCommandRegistry::Instance().Caption(KV_CMD_MODIFY));
    modify->setData(KV_CMD_MODIFY);
    modify->setEnabled(!m_bEdit && SelectedCount() == 1 && m_bRight);
    if (KvExecPopupMenu(&menu, m_pList->viewport()->mapToGlobal(pos)) == modify)
      OnOK();
  });
}

void CKvPeriodDlg::OnInitDialog() {
  CKvZrvDlg::OnInitDialog();
  int year = 0;
  if (CKvApp* app = KvGetApp())
    year = app->GetDataFile().GetYear();
  m_pYear->clear();
  m_pYear->addItem(KvFormat("%d年", year));
  m_pYear->addItem(KvFormat("%d年", year + 1));
  m_pYear->setCurrentIndex(0);
  Load();
  SetEditMode(false);
}

QString CKvPeriodDlg::Year() const {
  if (m_pYear->currentIndex() < 0) {
    CKvApp* app = KvGetApp();
    return QString::number(app ? app->GetDataFile().GetYear() : 0);
  }
  return m_pYear->currentText().left(4);
}

void CKvPeriodDlg::Load() {
  KvYearMonths months;
  CKvMonthTable(Db(), m_pModule ? m_pModule->GetModule() : 0).ReadYear(Year(), months);
  const QIcon icon = KvLoadIcon(kMonthIcon);
  m_pList->clear();
  QTreeWidgetItem* current = nullptr;
  for (int m = 1; m <= 12; ++m) {
    auto* item = new QTreeWidgetItem(m_pList, {KvIntToText(m, 2), KvDateToChinese(months.first[m - 1], QString()),
                                               KvDateToChinese(months.last[m - 1], QString())});
    item->setIcon(0, icon);
    item->setData(1, Qt::UserRole, months.first[m - 1]);
    item->setData(2, Qt::UserRole, months.last[m - 1]);
    if (item->text(0) == m_strMonth)
      current = item;
  }
  for (int column = 0; column < 3; ++column)
    m_pList->resizeColumnToContents(column);
  if (current) {
    m_pList->setCurrentItem(current);
    current->setSelected(true);
  }
  OnSelectionChanged();
}

int CKvPeriodDlg::SelectedCount() const { return int(m_pList->selectedItems().size()); }

void CKvPeriodDlg::OnSelectionChanged() {
  if (SelectedCount() == 1) {
    QTreeWidgetItem* item = m_pList->selectedItems().first();
    m_strMonth = item->text(0);
    m_pFirst->setText(item->data(1, Qt::UserRole).toString());
    m_pLast->setText(item->data(2, Qt::UserRole).toString());
  }
  UpdateStates();
}

void CKvPeriodDlg::SetEditMode(bool bEdit) {
  m_bEdit = bEdit;
  m_pOk->setText(bEdit ? QStringLiteral("&S.确定") : QStringLiteral("&O.修改"));
  UpdateStates();
  if (bEdit && m_pFirst->isEnabled())
    m_pFirst->setFocus();
}

void CKvPeriodDlg::UpdateStates() {
  const bool one = SelectedCount() == 1;
  m_pYear->setEnabled(!m_bEdit);
  m_pList->setEnabled(!m_bEdit);
  m_pFirst->setEnabled(m_bEdit && one && m_bRight);
  m_pLast->setEnabled(m_bEdit && one && m_bRight);
  m_pOk->setEnabled(one);
}

bool CKvPeriodDlg::Refuse(const QString& message, CKvEdit* focus) {
  KvMessageBox(message, KV_MB_OK | KV_MB_ICONSTOP);
  focus->setFocus();
  return false;
}

bool CKvPeriodDlg::ApplyChange() {
  QString days[2] = {m_pFirst->text(), m_pLast->text()};
  CKvEdit* edits[2] = {m_pFirst, m_pLast};
  for (int i = 0; i < 2; ++i) {
    QString message;
    if (KvDateMessage(&days[i], &message) != 0)
      return Refuse(message, edits[i]);
  }
  if (days[0] > days[1])
    return Refuse(QStringLiteral("月初、月末日期倒置！"), m_pFirst);
  const QString year = Year();
  const int month = m_strMonth.toInt();
  if (toDate(days[0]) < toDate(CKvMonthTable::CalendarFirst(year, month)).addDays(-kMaxShiftDays))
    return Refuse(QStringLiteral("月初日太过提前！"), m_pFirst);
  if (toDate(days[1]) > toDate(CKvMonthTable::CalendarLast(year, month)).addDays(kMaxShiftDays))
    return Refuse(QStringLiteral("月末日太过推后！"), m_pLast);
  if (KvMessageBox(KvFormat("修改%s应持慎重态度！\n真的要修改吗？", m_strPeriod),
                   KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION) != KV_IDYES)
    return false;
  // The month as the list shows it: a change made elsewhere since refuses.
  const QTreeWidgetItem* item = m_pList->selectedItems().first();
  const QString read[2] = {item->data(1, Qt::UserRole).toString(), item->data(2, Qt::UserRole).toString()};
  CKvDb* db = Db();
  if (!db || !db->ReopenMdbExclusive(true))
    return false;
  const bool changed = db->CheckOtherClients(true) &&
                       CKvMonthTable(db, m_pModule->GetModule()).Modify(year, m_strMonth, days, read);
  db->ReopenMdbExclusive(false);
  if (!changed) {
    m_pFirst->setFocus();
    return false;
  }
  return true;
}

void CKvPeriodDlg::OnOK() {
  if (SelectedCount() != 1)
    return;
  if (!m_bEdit) {
    SetEditMode(true);
    return;
  }
  if (!m_bRight || !ApplyChange())
    return;
  Load();
  SetEditMode(false);
}

void CKvPeriodDlg::OnCancel() {
  if (m_bEdit) {
    SetEditMode(false);
    OnSelectionChanged();
    return;
  }
  CKvZrvDlg::OnCancel();
}

void CKvPeriodDlg::GetToolTipText(QString* text, int controlId) {
  switch (controlId) {
    case 1104: *text = QStringLiteral("在此处选择年度。"); return;
    case 1012: *text = KvFormat("在此处录入月%s日，格式为年四位数，月、日分别为两位数。", QStringLiteral("初")); return;
    case 1014: *text = KvFormat("在此处录入月%s日，格式为年四位数，月、日分别为两位数。", QStringLiteral("末")); return;
    default: CKvZrvDlg::GetToolTipText(text, controlId);
  }
}

bool KvRunPeriodDlg(QWidget* parent) {
  CKvDataType* module = KvGetActiveDataType();
  if (!module)
    return false;
  QString period;
  const int code = module->GetMonthPeriod(period);
  if (code < 0)
    return false;
  CKvPeriodDlg dialog(module, period, code, nullptr, parent);
  return KvExecDialog(&dialog) == QDialog::Accepted;
}
