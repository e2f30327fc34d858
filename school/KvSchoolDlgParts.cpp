#include "school/KvSchoolDlgParts.h"

#include "core/KvMessage.h"
#include "ui/CKvCommandRegistry.h"
#include "ui/KvObjectNames.h"

#include <QAction>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

QPushButton* KvNewIdButton(const QString& caption, int id, QWidget* parent) {
  return KvSetControlId(new QPushButton(caption, parent), id);
}

QHBoxLayout* KvNewOkCancelRow(QWidget* dialog, const QString& okCaption) {
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(KvNewIdButton(okCaption, KV_IDOK, dialog));
  row->addWidget(KvNewIdButton(QStringLiteral("&X.取消"), KV_IDCANCEL, dialog));
  return row;
}

void KvAddFormRow(QFormLayout* form, const QString& label, QWidget* buddy, QLayout* field) {
  auto* text = new QLabel(label, form->parentWidget());
  text->setBuddy(buddy);
  if (field)
    form->addRow(text, field);
  else
    form->addRow(text, buddy);
}

bool KvRefuseStop(const QString& text, QWidget* field) {
  KvMessageBox(text, KV_MB_OK | KV_MB_ICONSTOP);
  if (field)
    field->setFocus();
  return false;
}

void KvRemoveMenuCommands(QMenu* menu, const QList<int>& ids) {
  for (QAction* action : menu->actions())
    if (!action->isSeparator() && ids.contains(KvActionCommandId(action))) {
      menu->removeAction(action);
      delete action;
    }
  // Separators left at either end or doubled go too.
  bool previousSeparator = true;
  QList<QAction*> actions = menu->actions();
  for (QAction* action : actions) {
    if (action->isSeparator() && previousSeparator) {
      menu->removeAction(action);
      delete action;
      continue;
    }
    previousSeparator = action->isSeparator();
  }
  actions = menu->actions();
  if (!actions.isEmpty() && actions.last()->isSeparator()) {
    QAction* last = actions.last();
    menu->removeAction(last);
    delete last;
  }
}
