#include "forms/KvSheetControls.h"

#include "core/KvMessage.h"
#include "ui/KvObjectNames.h"
#include "ui/KvUpDownEdit.h"

#include <QLabel>

KvUpDownEdit* KvNewUpDown(QWidget* parent, int id, int minimumWidth) {
  auto* edit = KvSetControlId(new KvUpDownEdit(parent), id);
  edit->setMinimumWidth(minimumWidth);
  return edit;
}

QLabel* KvNewBuddyLabel(const QString& text, QWidget* buddy, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setBuddy(buddy);
  return label;
}

bool KvRefuseField(const QString& text, QWidget* field) {
  KvMessageBox(text, KV_MB_OK);
  field->setFocus();
  return false;
}
