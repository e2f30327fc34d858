#include "school/CXxDjFrm.h"

#include "school/CXxDjDoc0.h"
#include "school/CXxDjTreeView.h"
#include "school/CXxDjView0.h"

#include <QSplitter>

bool CXxDjFrm::CreateClient(CKvDoc* pDoc, const CKvDocTemplate& docTemplate) {
  if (!dynamic_cast<CXxDjDoc0*>(pDoc) || !CFormChildFrm1::CreateClient(pDoc, docTemplate))
    return false;
  m_pSplitter->addWidget(CreateView<CXxDjTreeView, CXxDjDoc0>(m_pSplitter));
  m_pSplitter->addWidget(CreateView<CXxDjView0, CXxDjDoc0>(m_pSplitter));
  m_pSplitter->setSizes({240, 542});
  return true;
}
