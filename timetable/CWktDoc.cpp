#include "timetable/CWktDoc.h"

#include "app/CKvApp.h"
#include "app/KvAppFrame.h"
#include "core/KvNumber.h"
#include "ui/CMdiClient.h"

CWktDoc::CWktDoc() : m_wkt(QString(), 0), m_stored(QString(), 0) {}

void CWktDoc::OnCloseDocument() {
  if (!OpenArgs().isEmpty())
    OpenArgs()[0] = QString::number(m_wkt.QC);
  CKvCardDoc::OnCloseDocument();
}

void CWktDoc::LoadOpenArgs() {
  SetInsets(10, 60, 10, 0);
  // The card fills most of the work area when there is one.
  if (CMdiClient* pArea = KvGetMdiClient()) {
    const QSize area = pArea->size();
    if (area.width() > 15 && area.height() > 0)
      m_layout.CardSize = QSize(area.width() - 15, area.height() * 6 / 7);
  }
  if (OpenArgs().size() != 1)
    OpenArgs() = QStringList{QStringLiteral("0")};
  m_wkt.QC = KvStrToInt(OpenArgs().at(0)) == 1 ? 1 : 0;
  if (CKvApp* app = KvGetApp())
    m_wkt.Y = QString::number(app->GetDataFile().GetYear());
  m_strTitle = QStringLiteral("设置作息时间");
}

bool CWktDoc::PrepareOpen() {
  LoadSchedule(m_wkt.Y, m_wkt.QC);
  return true;
}

int CWktDoc::LoadSchedule(const QString& year, int term) {
  const int result = m_wkt.LoadOrInherit(year, term, m_pDb);
  if (result == 0)
    m_stored = m_wkt;
  else
    m_stored.Clear();
  return result;
}

bool CWktDoc::FillRows() {
  CKvApp* app = KvGetApp();
  m_wkt.BuildCardLayout(m_layout.Fields, app ? app->GetDataFile().GetEntityName() : QString());
  return true;
}

QString CWktDoc::GetCardTitle(int nPage) {
  (void)nPage;
  return QStringLiteral("学校周作息时间表");
}

int CWktDoc::GetTitleHeight(int nPage) {
  (void)nPage;
  // Two rows of the page's grid.
  return 2;
}
