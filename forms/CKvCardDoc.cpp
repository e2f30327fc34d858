#include "forms/CKvCardDoc.h"

#include "forms/CKvCardFrmView.h"

namespace {
// The height of the title band unless the module gives its own.
constexpr int kDefaultTitleHeight = 30;
// Format keys: ten pages per template number.
constexpr int kPagesPerTemplate = 10;
}  // namespace

CKvCardDoc::CKvCardDoc() = default;

QString CKvCardDoc::GetCardTitle(int nPage) {
  (void)nPage;
  return m_strTitle;
}

int CKvCardDoc::GetTitleHeight(int nPage) {
  (void)nPage;
  return kDefaultTitleHeight;
}

void CKvCardDoc::SetInsets(int nLeft, int nTop, int nRight, int nBottom) {
  m_layout.Insets = QMargins(nLeft, nTop, nRight, nBottom);
}

void CKvCardDoc::SetupLayout(int nPage) {
  m_layout.Setup(m_pDb, m_nFlag * kPagesPerTemplate + nPage, GetCardTitle(nPage),
                 GetTitleHeight(nPage));
}

CKvCardFrmView* CKvCardDoc::formView() const { return FindView<CKvCardFrmView>(); }

bool CKvCardDoc::QueryReadOnly() {
  CKvCardFrmView* pView = formView();
  return pView ? pView->IsReadOnly() : true;
}

bool CKvCardDoc::SaveRows() {
  CKvCardFrmView* pView = formView();
  return pView ? pView->SaveRecord(0) : true;
}

bool CKvCardDoc::HasUnsavedEdits(QString& reason) {
  reason.clear();
  CKvCardFrmView* pView = formView();
  return pView && !IsFillFailed() ? pView->IsModified(reason) : false;
}

bool CKvCardDoc::CheckColumnHead(QString* pMessage) {
  if (pMessage)
    pMessage->clear();
  return true;
}

QString CKvCardDoc::FormatNumber(int nColumn, const QString& text) const {
  (void)nColumn;
  return text;
}
