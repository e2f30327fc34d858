#include "timetable/CWktDoc.h"

#include "app/CKvApp.h"
#include "app/KvAppFrame.h"
#include "core/KvNumber.h"
#include "ui/CMdiClient.h"

CWktDoc::CWktDoc() : m_wkt(QString(), 0), m_stored(QString(), 0), m_read(QString(), 0) {}

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

int CWktDoc::LoadSchedule(const QString& year, int term) {
  CWktRec read;
  const int result = read.LoadOrInherit(year, term, m_pDb);
  takeSchedule(read, result);
  return result;
}

void CWktDoc::takeSchedule(const CWktRec& read, int result) {
  m_wkt = read;
  m_stored = result == 1 ? CWktRec() : read;
  m_read = read;
}

std::function<void()> CWktDoc::KeepFillState() {
  return [this, wkt = m_wkt, stored = m_stored, read = m_read, layout = m_layout] {
    m_wkt = wkt;
    m_stored = stored;
    m_read = read;
    m_layout = layout;
  };
}

bool CWktDoc::FillRows() {
  const bool read = m_bScheduleTaken || LoadSchedule(m_wkt.Y, m_wkt.QC) >= 0;
  BuildPage();
  return read;
}

bool CWktDoc::SelectYearAndTerm(const QString& year, int term) {
  // Read into a copy first: the card changes its year and term only with
  // a whole read of the new ones.
  CWktRec read;
  const int result = read.LoadOrInherit(year, term, m_pDb);
  if (result < 0)
    return false;
  takeSchedule(read, result);
  // The refill takes what was read, answers the read-only question for the
  // new year and term and rebuilds the card; the schedule shown is the one
  // read, so there are no edits to ask about.
  m_bScheduleTaken = true;
  Refill();
  m_bScheduleTaken = false;
  return true;
}

void CWktDoc::BuildPage() {
  CKvApp* app = KvGetApp();
  m_wkt.BuildCardLayout(m_layout.Fields, app ? app->GetDataFile().GetEntityName() : QString());
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
