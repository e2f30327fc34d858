#include "datafile/CKvLogView.h"

#include "app/CKvApp.h"
#include "app/CKvDataType.h"
#include "app/CKvTaskLog.h"
#include "core/KvMessage.h"
#include "datafile/CKvLogDoc.h"
#include "datafile/CKvLogTaskList.h"
#include "ui/KvComboHelpers.h"
#include "ui/KvObjectNames.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

// Fills the box with an empty entry and the texts and selects `wanted`;
// when it is not among them the empty entry is selected and false returned.
bool fillAndSelect(QComboBox* combo, const QStringList& texts, const QString& wanted) {
  combo->clear();
  combo->addItem(QString());
  combo->addItems(texts);
  const int index = wanted.isEmpty() ? -1 : combo->findText(wanted, Qt::MatchExactly);
  combo->setCurrentIndex(index < 0 ? 0 : index);
  return index >= 0;
}

// "<code> <name>" entries of a list of operation numbers and names.
void appendOperations(QStringList* entries, int module, const QList<int>& numbers,
                      const QStringList& names) {
  for (qsizetype i = 0; i < numbers.size(); ++i)
    entries->append(QStringLiteral("%1 %2").arg(module * 100 + numbers.at(i)).arg(names.value(i)));
}

QComboBox* filterCombo(QWidget* parent, int id) {
  auto* combo = KvSetControlId(new QComboBox(parent), id);
  KvSetComboExtendedUi(combo);
  combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  return combo;
}

}  // namespace

CKvLogView::CKvLogView(CKvLogDoc* pDoc, QWidget* parent)
    : CZrvFormView(IDD, parent), m_pDoc(pDoc) {
  QWidget* form = Form();
  m_pYear = filterCombo(form, IDC_YEAR);
  m_pMonth = filterCombo(form, IDC_MONTH);
  m_pDay = filterCombo(form, IDC_DAY);
  m_pComputer = filterCombo(form, IDC_COMPUTER);
  m_pOperator = filterCombo(form, IDC_OPERATOR);
  m_pOperation = filterCombo(form, IDC_OPERATION);
  m_pModule = filterCombo(form, IDC_MODULE);
  m_pYear->setMinimumWidth(80);
  m_pMonth->setMinimumWidth(56);
  m_pDay->setMinimumWidth(56);
  m_pComputer->setMinimumWidth(150);
  m_pOperator->setMinimumWidth(150);
  m_pOperation->setMinimumWidth(220);
  m_pModule->setMinimumWidth(150);
  m_pList = new CKvLogTaskList(form);

  const auto label = [form](const char* text) { return new QLabel(QString::fromUtf8(text), form); };
  auto* date = new QHBoxLayout;
  date->addWidget(m_pYear);
  date->addWidget(label("年"));
  date->addWidget(m_pMonth);
  date->addWidget(label("月"));
  date->addWidget(m_pDay);
  date->addWidget(label("日"));
  date->addStretch(1);
  auto* filters = new QGridLayout;
  filters->addWidget(label("日  期:"), 0, 0);
  filters->addLayout(date, 0, 1);
  filters->addWidget(label("机器名:"), 0, 2);
  filters->addWidget(m_pComputer, 0, 3);
  filters->addWidget(label("操作员："), 0, 4);
  filters->addWidget(m_pOperator, 0, 5);
  filters->addWidget(label("功  能："), 1, 0);
  filters->addWidget(m_pOperation, 1, 1);
  filters->addWidget(label("模  块："), 1, 2);
  filters->addWidget(m_pModule, 1, 3);
  filters->setColumnStretch(6, 1);
  auto* layout = new QVBoxLayout(form);
  layout->addLayout(filters);
  layout->addWidget(m_pList, 1);

  connect(m_pYear, &QComboBox::activated, this, [this] { dateChosen(0); });
  connect(m_pMonth, &QComboBox::activated, this, [this] { dateChosen(1); });
  connect(m_pDay, &QComboBox::activated, this, [this] { dateChosen(2); });
  connect(m_pComputer, &QComboBox::activated, this,
          [this] { textChosen(CKvLogDoc::kComputer, m_pComputer); });
  connect(m_pOperator, &QComboBox::activated, this,
          [this] { textChosen(CKvLogDoc::kOperator, m_pOperator); });
  connect(m_pOperation, &QComboBox::activated, this,
          [this] { textChosen(CKvLogDoc::kOperation, m_pOperation); });
  connect(m_pModule, &QComboBox::activated, this, [this] { moduleChosen(); });
  connect(m_pList->DetailsView()->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { taskSelected(); });
  connect(m_pList, &CKvLogTaskList::deleteRequested, this, &CKvLogView::DeleteTasks);
}

QComboBox* CKvLogView::Combo(int id) const { return KvDlgItem<QComboBox>(this, id); }

void CKvLogView::initialUpdate() {
  CZrvFormView::initialUpdate();
  QStringList& args = m_pDoc->OpenArgs();
  CKvDb* pDb = m_pDoc->m_pDb;
  QStringList texts;
  CKvTaskLog::QueryGroups(QString(), &texts, pDb);
  if (!fillAndSelect(m_pYear, texts, args[CKvLogDoc::kDate].left(4)))
    args[CKvLogDoc::kDate].clear();
  fillMonths();
  fillDays();

  texts.clear();
  CKvTaskLog::LoadOpNames(&texts, pDb);
  if (!fillAndSelect(m_pOperator, texts, args[CKvLogDoc::kOperator]))
    args[CKvLogDoc::kOperator].clear();
  texts.clear();
  CKvTaskLog::LoadComputers(&texts, pDb);
  if (!fillAndSelect(m_pComputer, texts, args[CKvLogDoc::kComputer]))
    args[CKvLogDoc::kComputer].clear();

  texts = {QStringLiteral("0 公共事务")};
  if (CKvApp* app = KvGetApp())
    for (CKvDataType* module : app->GetDataTypes())
      texts.append(QStringLiteral("%1 %2").arg(module->GetModule()).arg(module->GetCaption()));
  const QString module = args[CKvLogDoc::kModule];
  int index = -1;
  for (int i = 0; i < texts.size() && !module.isEmpty(); ++i)
    if (texts.at(i).section(u' ', 0, 0) == module)
      index = i;
  if (!fillAndSelect(m_pModule, texts, index < 0 ? QString() : texts.at(index)))
    args[CKvLogDoc::kModule].clear();
  fillOperations();

  m_pList->InitList();
  m_pList->SetExStyle(CKvListCtrl::LVS_EX_FULLROWSELECT | CKvListCtrl::LVS_EX_GRIDLINES);
  m_pList->SetColumns({QStringLiteral("任务号"), QStringLiteral("开始时间"), QStringLiteral("机器名"),
                       QStringLiteral("用户名")},
                      {70, 170, 160, 150});
  LoadTasks();
}

void CKvLogView::fillMonths() {
  QString& date = m_pDoc->OpenArgs()[CKvLogDoc::kDate];
  QStringList months;
  if (!date.isEmpty())
    CKvTaskLog::QueryGroups(date.left(4), &months, m_pDoc->m_pDb);
  if (!fillAndSelect(m_pMonth, months, date.mid(4, 2)))
    date = date.left(4);
  m_pMonth->setEnabled(!date.isEmpty());
}

void CKvLogView::fillDays() {
  QString& date = m_pDoc->OpenArgs()[CKvLogDoc::kDate];
  QStringList days;
  if (date.size() > 5)
    CKvTaskLog::QueryGroups(date.left(6), &days, m_pDoc->m_pDb);
  if (!fillAndSelect(m_pDay, days, date.mid(6, 2)))
    date = date.left(6);
  m_pDay->setEnabled(date.size() > 5);
}

void CKvLogView::fillOperations() {
  QStringList& args = m_pDoc->OpenArgs();
  QStringList entries;
  CKvApp* app = KvGetApp();
  const QString module = args[CKvLogDoc::kModule];
  if (app) {
    QList<int> numbers;
    QStringList names;
    if (module.isEmpty() || module == u"0") {
      app->GetOperationNames(numbers, names);
      appendOperations(&entries, 0, numbers, names);
    }
    for (CKvDataType* type : app->GetDataTypes()) {
      if (!module.isEmpty() && QString::number(type->GetModule()) != module)
        continue;
      numbers.clear();
      names.clear();
      type->GetModuleOperationNames(numbers, names);
      appendOperations(&entries, type->GetModule(), numbers, names);
    }
  }
  if (!fillAndSelect(m_pOperation, entries, args[CKvLogDoc::kOperation]))
    args[CKvLogDoc::kOperation].clear();
}

void CKvLogView::dateChosen(int level) {
  QString& date = m_pDoc->OpenArgs()[CKvLogDoc::kDate];
  const QString year = m_pYear->currentText().left(4);
  switch (level) {
    case 0: date = year; break;
    case 1: date = date.left(4) + m_pMonth->currentText(); break;
    default: date = date.left(6) + m_pDay->currentText(); break;
  }
  if (level < 1)
    fillMonths();
  if (level < 2)
    fillDays();
  LoadTasks();
}

void CKvLogView::textChosen(int arg, QComboBox* combo) {
  QString& value = m_pDoc->OpenArgs()[arg];
  if (value == combo->currentText())
    return;
  value = combo->currentText();
  LoadTasks();
}

void CKvLogView::moduleChosen() {
  m_pDoc->OpenArgs()[CKvLogDoc::kModule] = m_pModule->currentText().section(u' ', 0, 0);
  fillOperations();
  LoadTasks();
}

void CKvLogView::LoadTasks() {
  const int selected = m_pDoc->m_nTask;
  QList<CKvOperation> tasks;
  m_bFilling = true;
  m_pList->DeleteAllItems();
  m_pDoc->LoadFilteredTasks(&tasks);
  for (const CKvOperation& task : std::as_const(tasks)) {
    const QString& t = task.sT1;
    m_pList->AddRow({QString::number(task.nTask),
                     QStringLiteral("%1.%2.%3 %4:%5:%6")
                         .arg(t.mid(0, 4), t.mid(4, 2), t.mid(6, 2), t.mid(8, 2), t.mid(10, 2),
                              t.mid(12, 2)),
                     task.sComputer, task.sUser},
                    0);
  }
  m_bFilling = false;
  // The task shown before stays selected while the filters let it through.
  if (selected == 0 || m_pList->FindAndSelect(QString::number(selected)) < 0)
    taskSelected();
}

void CKvLogView::taskSelected() {
  if (m_bFilling)
    return;
  const QList<int> rows = m_pList->GetSelectedRows();
  const int task = rows.size() == 1 ? m_pList->GetItemText(rows.first(), 0).toInt() : 0;
  if (task != m_pDoc->m_nTask) {
    m_pDoc->m_nTask = task;
    m_pDoc->MarkKeyChanged();
    m_pDoc->Refill();
  }
  m_pList->View()->setFocus();
}

void CKvLogView::DeleteTasks() {
  if (KvMessageBox(QStringLiteral("真的要删除吗？"), KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION) != KV_IDYES)
    return;
  const QList<int> rows = m_pList->GetSelectedRows();
  QList<int> tasks;
  for (int row : rows)
    tasks.append(m_pList->GetItemText(row, 0).toInt());
  bool skipped = false;
  const int deleted = m_pDoc->DeleteTasks(tasks, &skipped);
  if (skipped) {
    KvMessageBox(QStringLiteral("不能删除当前任务！"), KV_MB_OK | KV_MB_ICONSTOP);
    if (CKvApp* app = KvGetApp())
      m_pList->FindAndSelect(QString::number(app->GetTask().nTask));
  }
  if (deleted == 0)
    return;
  LoadTasks();
  if (!rows.isEmpty() && m_pList->GetItemCount() > 0) {
    const int row = qMin(rows.first(), m_pList->GetItemCount() - 1);
    m_pList->FindAndSelect(m_pList->GetItemText(row, 0));
  }
}
