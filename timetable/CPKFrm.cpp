#include "timetable/CPKFrm.h"

#include "timetable/CPKDoc.h"
#include "timetable/CPKTreeView.h"
#include "timetable/CPKView.h"

#include <QSplitter>

bool CPKFrm::CreateClient(CKvDoc* pDoc, const CKvDocTemplate& docTemplate) {
  if (!CFormChildFrm1::CreateClient(pDoc, docTemplate) || !dynamic_cast<CPKDoc*>(pDoc))
    return false;
  m_pSplitter->addWidget(CreateView<CPKTreeView, CPKDoc>(m_pSplitter));
  m_pSplitter->addWidget(CreateView<CPKView, CPKDoc>(m_pSplitter));
  m_pSplitter->setSizes({170, 612});
  return true;
}
