#pragma once
// The main frame of the program: a multiple-document window.

#include <QMainWindow>

class QMdiArea;

class CKvMainFrm : public QMainWindow {
  Q_OBJECT
 public:
  explicit CKvMainFrm(QWidget* parent = nullptr);

  QMdiArea* mdiArea() const { return m_mdiArea; }

 private:
  QMdiArea* m_mdiArea;
};
