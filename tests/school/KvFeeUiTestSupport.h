#pragma once
// What the tests of the fee module's windows share: dialogs answered by a
// script (each shown, so that its setup ran, then handed to the script,
// whose result is the dialog's), typing into fields, pressing a control,
// rights for the logged-in operator, and a picture of a window for
// looking at it, and what a fee report shows.

#include "app/CKvApp.h"
#include "core/CKvDb.h"
#include "forms/CKvDoc.h"
#include "forms/KvColumnDef.h"
#include "ui/KvModal.h"
#include "ui/KvObjectNames.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLineEdit>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

class KvFeeDialogScript {
 public:
  explicit KvFeeDialogScript(std::function<void(QDialog*)> fn)
      : m_previous(KvSetDialogExec([fn](QDialog* dialog) {
          dialog->show();
          fn(dialog);
          dialog->hide();
          return dialog->result();
        })) {}
  ~KvFeeDialogScript() { KvSetDialogExec(std::move(m_previous)); }
  KvFeeDialogScript(const KvFeeDialogScript&) = delete;
  KvFeeDialogScript& operator=(const KvFeeDialogScript&) = delete;

 private:
  KvDialogExecFn m_previous;
};

// Gives the logged-in operator the rights and loads them.
inline bool KvGrantRights(CKvApp& app, const QStringList& codes) {
  for (const QString& code : codes)
    if (!app.GetDb()->Execute(QStringLiteral("Insert Into PWR(OPNO,PWR) Values('%1','%2')")
                                  .arg(app.GetDataFile().GetOperatorCode(), code)))
      return false;
  return app.GetDataFile().LoadRights();
}

// The text of the line edit `id` of the window.
inline QString KvFieldText(const QWidget* window, int id) {
  const auto* edit = KvDlgItem<QLineEdit>(window, id);
  return edit ? edit->text() : QStringLiteral("<no field>");
}
inline void KvSetField(QWidget* window, int id, const QString& text) {
  if (auto* edit = KvDlgItem<QLineEdit>(window, id))
    edit->setText(text);
}
inline void KvPress(QWidget* window, int id) {
  if (auto* button = KvDlgItem<QAbstractButton>(window, id))
    button->click();
}
// Saves a picture of the window under /tmp when KV_SHOTS is set.
inline void KvShot(QWidget* window, const QString& name) {
  if (!qEnvironmentVariableIsSet("KV_SHOTS"))
    return;
  if (qobject_cast<QDialog*>(window))
    window->adjustSize();
  else
    window->resize(1000, 420);
  window->grab().save(QStringLiteral("/tmp/kv_%1.png").arg(name));
}

// The titles of the columns a report shows (row -1), or a row's texts in
// them.
inline QStringList KvShownCells(const CKvDoc* doc, int row = -1) {
  QStringList texts;
  for (int cell : doc->m_colMap) {
    KvColumnDef def;
    KvParseColumnDef(doc->m_formEntry.formulas.at(cell), def);
    texts << (row < 0 ? def.sTitle : doc->m_rows.at(row).at(cell));
  }
  return texts;
}
