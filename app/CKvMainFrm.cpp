#include "app/CKvMainFrm.h"

#include "core/KvConst.h"

#include <QMdiArea>

CKvMainFrm::CKvMainFrm(QWidget* parent) : QMainWindow(parent), m_mdiArea(new QMdiArea(this)) {
  setWindowTitle(QString::fromUtf8(kv::kProductName));
  setCentralWidget(m_mdiArea);
  resize(1024, 720);
}
