#include "timetable/CWkjhFrm.h"

#include "timetable/CWkjhDoc.h"
#include "timetable/CWkjhTreeView.h"
#include "timetable/CWkjhView.h"

#include <QSplitter>

bool CWkjhFrm::CreateClient(CKvDoc* pDoc, const CKvDocTemplate& docTemplate) {
  if (!CFormChildFrm1::CreateClient(pDoc, docTemplate) || !dynamic_cast<CWkjhDoc*>(pDoc))
    return false;
  m_pSplitter->addWidget(CreateView<CWkjhTreeView, CWkjhDoc>(m_pSplitter));
  m_pSplitter->addWidget(CreateView<CWkjhView, CWkjhDoc>(m_pSplitter));
  m_pSplitter->setSizes({170, 612});
  return true;
}
