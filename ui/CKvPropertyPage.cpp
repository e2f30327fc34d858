#include "ui/CKvPropertyPage.h"

#include "ui/KvObjectNames.h"
#include "ui/KvToolTips.h"

#include <QComboBox>

CKvPropertyPage::CKvPropertyPage(unsigned templateId, QWidget* parent)
    : QWidget(parent), m_templateId(templateId) {
  setObjectName(KvDialogObjectName(templateId));
}

void CKvPropertyPage::setVisible(bool visible) {
  // The setup runs before the page is shown for the first time.
  if (visible && !m_initialized) {
    m_initialized = true;
    OnInitDialog();
    InitToolTips();
  }
  QWidget::setVisible(visible);
}

void CKvPropertyPage::InitToolTips() {
  KvSetHints(this, false, [this](int controlId) {
    QString text;
    GetToolTipText(&text, controlId);
    return text;
  });
}

void CKvPropertyPage::GetToolTipText(QString* text, int controlId) {
  const QWidget* control = KvDlgItem(this, controlId);
  if (KvIsWordComboBox(control))
    *text = KvWordComboHint();
  else if (qobject_cast<const QComboBox*>(control))
    *text = KvComboHint();
  else if (KvIsListControl(control))
    *text = KvMenuControlHint();
  else
    text->clear();
}
