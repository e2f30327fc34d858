#pragma once
// A page of a property sheet (a QTabWidget of pages) with hints over its
// controls: the word-saving combo box, any other combo box and the
// program's list control each get the hint the dialogs give them; trees,
// buttons and edit fields get none.
//
// A derived page builds its controls with Qt layouts, names them by id
// (KvSetControlId) and does its setup in OnInitDialog, which runs once,
// when the page is first shown; the hints are given right after it.

#include <QWidget>

class CKvPropertyPage : public QWidget {
  Q_OBJECT
 public:
  // The page of template `templateId` (object name "dlg_<templateId>").
  explicit CKvPropertyPage(unsigned templateId, QWidget* parent = nullptr);

  unsigned TemplateId() const { return m_templateId; }

  // Gives every control that takes part, trees left out, its hint.
  virtual void InitToolTips();
  // The hint of control `controlId`; an empty text gives it none.
  virtual void GetToolTipText(QString* text, int controlId);

  void setVisible(bool visible) override;

 protected:
  // The page's own setup; nothing by default.
  virtual void OnInitDialog() {}

 private:
  unsigned m_templateId;
  bool m_initialized = false;
};
