#include "school/CXxDjChildFrm2.h"

#include "app/KvAppFrame.h"
#include "school/CXxDjDoc2.h"
#include "school/CXxDjFrmView.h"
#include "school/CXxDjListView.h"
#include "ui/CMdiClient.h"

#include <QSplitter>

bool CXxDjChildFrm2::CreateClient(CKvDoc* pDoc, const CKvDocTemplate& docTemplate) {
  if (!CFormChildFrm1::CreateClient(pDoc, docTemplate))
    return false;
  auto* pList = CreateView<CXxDjListView, CXxDjDoc2>(m_pSplitter);
  auto* pForm = CreateView<CXxDjFrmView, CXxDjDoc2>(m_pSplitter);
  if (!pList || !pForm)
    return false;
  m_pSplitter->addWidget(pList);
  m_pSplitter->addWidget(pForm);
  const CMdiClient* pArea = KvGetMdiClient();
  const int width = pArea ? pArea->width() : m_pSplitter->width();
  m_pSplitter->setSizes({width / 5, width * 4 / 5});
  return true;
}
