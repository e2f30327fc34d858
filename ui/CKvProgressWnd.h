#pragma once
// The percentage progress window of long operations: a small modeless window
// (object name "dlg_801") with one bar ("id_1000") that fills from the left in
// dark blue and shows the percentage, e.g. "33％". The caller creates it with
// the number of steps, shows it, steps it once per unit of work and hides it.

#include <QDialog>

class CKvProgressWnd : public QDialog {
  Q_OBJECT
 public:
  explicit CKvProgressWnd(QWidget* parent = nullptr);

  // Sets the number of steps (below 1 counts as 1), gives the window its
  // parent and places it centred across the main window, its top two window
  // heights above the main window's bottom edge (centred on the screen when
  // there is no main window). Always true.
  bool Create(int maximum = 100, QWidget* parent = nullptr);

  // Starts again at position 1, shows the window and paints it at once.
  void Show();
  // Paints the bar at the current position, then advances the position by
  // one, never past the maximum.
  void Step();
  void Hide();

  int Position() const { return m_position; }
  int Maximum() const { return m_maximum; }
  // The position the bar shows and its text, "<percent>％".
  int ShownPosition() const { return m_shown; }
  QString PercentText() const;

  static QColor BarColor() { return QColor(0, 0, 128); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void placeOnMainWindow();

  QWidget* m_bar;
  int m_maximum = 100;
  int m_position = 1;
  int m_shown = 1;
};
