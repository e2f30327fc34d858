#include "datafile/CKvLogChildFrm.h"

#include "app/CKvApp.h"
#include "app/CKvMainFrm.h"
#include "datafile/CKvLogDoc.h"
#include "datafile/CKvLogView.h"
#include "forms/CForthView.h"
#include "forms/CKvDocTemplate.h"

#include <QSplitter>

namespace {
constexpr int kLogTemplate = 900;
constexpr int kLogForm = 1;
constexpr int kLogIcon = 130;
}  // namespace

CKvLogChildFrm::CKvLogChildFrm() = default;

bool CKvLogChildFrm::CreateClient(CKvDoc* pDoc, const CKvDocTemplate& docTemplate) {
  if (!CFormChildFrm1::CreateClient(pDoc, docTemplate))
    return false;
  m_pSplitter->setOrientation(Qt::Vertical);
  m_pSplitter->addWidget(CreateView<CKvLogView, CKvLogDoc>(m_pSplitter));
  m_pSplitter->addWidget(CreateView<CForthView>(m_pSplitter));
  CKvApp* app = KvGetApp();
  const int height = app && app->GetMainFrame() ? app->GetMainFrame()->height() : 600;
  m_pSplitter->setSizes({height / 3, height * 2 / 3});
  m_pSplitter->setStretchFactor(0, 1);
  m_pSplitter->setStretchFactor(1, 2);
  return true;
}

CKvDocTemplate& KvLogDocTemplate() {
  static const std::unique_ptr<CKvDocTemplate> logTemplate = [] {
    auto made = CKvDocTemplate::Make<CKvLogDoc, CKvLogChildFrm, CForthView>(kLogTemplate,
                                                                            kLogTemplate, false);
    made->AddEntry(kLogForm, QStringLiteral("操作日志"), QString(), 0, QString(), kLogIcon, 0);
    // The log needs no right of its own: the command is the administrator's.
    made->Entries().last().sRight.clear();
    return made;
  }();
  return *logTemplate;
}

bool KvOpenLogWindow() { return KvLogDocTemplate().OpenDocument(kLogForm, false) != nullptr; }
