#include "formula/CKvCalcDlg.h"

#include "core/KvMessage.h"
#include "formula/CCaculate.h"
#include "ui/KvObjectNames.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CKvCalcDlg::CKvCalcDlg(bool bSendBack, const QString& strExpression, QWidget* parent)
    : CKvDlg(IDD, parent), m_bSendBack(bSendBack) {
  setWindowTitle(QStringLiteral("计算器"));

  m_expression = KvSetControlId(new QLineEdit(strExpression, this), IDC_EXPRESSION);
  auto* compute = KvSetControlId(new QPushButton(QStringLiteral("计算"), this), IDC_COMPUTE);
  m_result = KvSetControlId(new QLineEdit(this), IDC_RESULT);
  m_result->setReadOnly(true);
  m_result->setAlignment(Qt::AlignRight);
  m_error = KvSetControlId(new QLabel(this), IDC_ERROR);
  m_error->setStyleSheet(QStringLiteral("color: #c00000;"));
  m_error->setWordWrap(true);
  m_history = KvSetControlId(new QListWidget(this), IDC_HISTORY);

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(QStringLiteral("表达式："), this), 0, 0);
  grid->addWidget(m_expression, 0, 1);
  grid->addWidget(compute, 0, 2);
  grid->addWidget(new QLabel(QStringLiteral("结果："), this), 1, 0);
  grid->addWidget(m_result, 1, 1);
  grid->addWidget(m_error, 2, 1, 1, 2);

  auto* buttons = new QDialogButtonBox(this);
  if (m_bSendBack) {
    auto* send = KvSetControlId(new QPushButton(QStringLiteral("送回"), this), KV_IDOK);
    buttons->addButton(send, QDialogButtonBox::ActionRole);
  }
  auto* close = KvSetControlId(new QPushButton(QStringLiteral("关闭"), this), KV_IDCANCEL);
  buttons->addButton(close, QDialogButtonBox::ActionRole);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(new QLabel(QStringLiteral("本次计算："), this));
  layout->addWidget(m_history, 1);
  layout->addWidget(buttons);
  resize(420, 300);

  connect(compute, &QPushButton::clicked, this, [this] { Compute(); });
  connect(m_history, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { takeFromHistory(item); });
}

void CKvCalcDlg::OnInitDialog() {
  CKvDlg::OnInitDialog();
  m_expression->setFocus();
  m_expression->end(false);
}

bool CKvCalcDlg::Compute() {
  const QString expression = m_expression->text();
  CCaculate calc;
  QString result;
  if (!calc.EvaluateText(expression, &result)) {
    m_result->clear();
    m_error->setText(calc.ErrorText());
    m_expression->setFocus();
    return false;
  }
  m_strResult = result;
  m_result->setText(result);
  m_error->clear();
  const QString line = expression.trimmed() + QStringLiteral(" = ") + result;
  QListWidgetItem* last = m_history->item(m_history->count() - 1);
  if (!last || last->text() != line) {
    auto* item = new QListWidgetItem(line, m_history);
    item->setData(Qt::UserRole, expression);
    m_history->scrollToItem(item);
  }
  return true;
}

void CKvCalcDlg::OnEnter() {
  const int focus = KvControlId(focusWidget());
  if (focus == KV_IDOK || focus == KV_IDCANCEL) {
    CKvDlg::OnEnter();
    return;
  }
  // Enter on a list entry has taken its expression back already.
  Compute();
  m_expression->setFocus();
}

bool CKvCalcDlg::SaveData() { return Compute(); }

void CKvCalcDlg::takeFromHistory(QListWidgetItem* item) {
  if (!item)
    return;
  m_expression->setText(item->data(Qt::UserRole).toString());
  m_expression->setFocus();
}

bool CKvCalcDlg::IsCmdEnabled(int id) { return id != KV_CMD_CALCULATOR && CKvDlg::IsCmdEnabled(id); }
