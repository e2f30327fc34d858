#include "timetable/KvPkYearTermBoxes.h"

#include <QComboBox>

bool KvPkTakeYearTerm(QComboBox* pYear, QComboBox* pTerm, QString* Y, int* QC) {
  const QString oldYear = *Y;
  const int oldTerm = *QC;
  if (pYear->currentIndex() < 0)
    pYear->setCurrentIndex(1);
  *Y = pYear->currentText();
  if (pTerm->currentIndex() < 0)
    pTerm->setCurrentIndex(0);
  *QC = pTerm->currentIndex();
  return *Y != oldYear || *QC != oldTerm;
}
