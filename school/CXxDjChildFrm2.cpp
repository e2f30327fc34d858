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
  // Without a work area the card keeps its default size, which then is
  // four fifths of the window less 15 pixels. With one, the list and the
  // card are shares of the work area (CXxDjDoc2 sizes the card so), and
  // the window takes the whole of it, so that the card with its amount
  // column and buttons fits without scrolling.
  const CMdiClient* pArea = KvGetMdiClient();
  if (pArea)
    resize(pArea->viewport()->size());
  const int card = static_cast<CXxDjDoc2*>(pDoc)->m_layout.CardSize.width();
  const int width = pArea ? pArea->width() : (card + 15) * 5 / 4;
  m_pSplitter->setSizes({width / 5, width * 4 / 5});
  // The shares stay when the window is resized.
  m_pSplitter->setStretchFactor(0, 1);
  m_pSplitter->setStretchFactor(1, 4);
  return true;
}
