#include "ui/CKvListFindDlg.h"

#include "core/KvRegistry.h"
#include "core/KvText.h"
#include "ui/KvComboHelpers.h"
#include "ui/KvObjectNames.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
const QString kHistoryRoot = QStringLiteral("Software\\zrvsoft\\KvListCtrl\\");
}

CKvListFindDlg::CKvListFindDlg(QWidget* control, int column)
    : CKvDlg(IDD, control ? control->window() : nullptr),
      m_nColumn(column),
      m_historyKey(HistoryKey(control)) {
  setWindowTitle(QStringLiteral("在列表框中查找"));
  m_combo = KvSetControlId(new QComboBox(this), IDC_FIND_TEXT);
  // The history is stored by SaveData, not by Enter in the field.
  KvSetComboEditable(m_combo);
  m_combo->setMinimumWidth(240);
  KvSetComboExtendedUi(m_combo);
  auto* find = KvSetControlId(new QPushButton(QStringLiteral("查找(&S)"), this), KV_IDOK);
  m_columnNote = KvSetControlId(new QLabel(this), IDC_COLUMN_NOTE);

  auto* layout = new QGridLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("查找目标"), this), 0, 0);
  layout->addWidget(m_combo, 0, 1);
  layout->addWidget(find, 0, 2);
  layout->addWidget(m_columnNote, 1, 1, 1, 2);
  layout->setColumnStretch(1, 1);
}

QString CKvListFindDlg::HistoryKey(const QWidget* control) {
  const QString caption = control ? control->window()->windowTitle() : QString();
  return kHistoryRoot + (caption.isEmpty() ? QStringLiteral("青禾苑列表框") : caption);
}

QStringList CKvListFindDlg::LoadHistory(const QString& key) {
  QStringList names;
  QStringList texts;
  KvRegEnumValues(KvRegRoot::CurrentUser, key, &names, &texts);
  return texts;
}

void CKvListFindDlg::SaveHistory(const QString& key, const QString& text) {
  QStringList names;
  QStringList texts;
  KvRegEnumValues(KvRegRoot::CurrentUser, key, &names, &texts);
  texts.append(text);
  for (int i = 0; i < texts.size() && i < kMaxHistory; ++i) {
    const QString name = QString::number(i + 1);
    // A value that already holds its entry needs no writing.
    if (names.value(i) == name)
      continue;
    if (!KvRegWriteString(KvRegRoot::CurrentUser, key, name, texts.at(i)))
      break;
  }
}

void CKvListFindDlg::OnInitDialog() {
  CKvDlg::OnInitDialog();
  if (m_nColumn >= 0)
    m_columnNote->setText(QStringLiteral("注：在第 %1 栏中查找").arg(m_nColumn + 1));
  m_combo->addItems(LoadHistory(m_historyKey));
  m_combo->setEditText(m_strText);
  m_combo->setFocus();
}

bool CKvListFindDlg::DoDataExchange(bool bSaveAndValidate) {
  if (bSaveAndValidate)
    m_strText = m_combo->currentText();
  else
    m_combo->setEditText(m_strText);
  return true;
}

bool CKvListFindDlg::SaveData() {
  if (m_strText.isEmpty())
    return false;
  for (int i = 0; i < m_combo->count(); ++i) {
    if (KvEqualsIgnoreCase(m_combo->itemText(i), m_strText))
      return true;
  }
  SaveHistory(m_historyKey, m_strText);
  return true;
}
