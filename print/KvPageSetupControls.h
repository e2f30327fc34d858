#pragma once
// The page part that both page-setup dialogs show: the printer the page is
// set up for (the current profile and its queue), the paper (a paper of that
// queue or "自定义" with width and length in 0.1 mm, always upright), the
// orientation and the four margins in 0.1 mm.
//
// Control ids: 1070 printer, 1030 paper list, 1031 width, 1032 length, 1040
// portrait, 1041 landscape, 1050 to 1053 margins left, top, right, bottom.

#include <QList>
#include <QWidget>

#include "core/KvPrinter.h"

class QComboBox;
class QLabel;
class QRadioButton;
class QSpinBox;

class KvPageSetupControls : public QWidget {
  Q_OBJECT
 public:
  explicit KvPageSetupControls(QWidget* parent = nullptr);

  // The queue the page is checked on (the current profile's).
  const QString& Queue() const { return m_queue; }

  void SetPage(int width, int length, bool landscape, int left, int top, int right, int bottom);
  int PaperWidth() const;
  int PaperLength() const;
  bool IsLandscape() const;
  int Left() const;
  int Top() const;
  int Right() const;
  int Bottom() const;

  // Whether the page can be printed: the margins leave room on the paper,
  // and on a printer queue the printer takes the paper and the margins
  // (KvTestPrinter). False after a message, with the focus on the culprit.
  bool CheckPage() const;

 private:
  void paperChosen(int index);
  void sizeEdited();

  QString m_queue;
  QList<KvPaper> m_papers;
  QComboBox* m_paper;
  QSpinBox* m_width;
  QSpinBox* m_length;
  QRadioButton* m_portrait;
  QRadioButton* m_landscape;
  QSpinBox* m_margins[4];
};
