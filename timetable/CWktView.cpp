#include "timetable/CWktView.h"

#include "app/CKvApp.h"
#include "core/CKvDb.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "timetable/CPkDataType.h"
#include "timetable/CWktDoc.h"
#include "app/KvLoggedWrite.h"
#include "ui/CKvEdit.h"
#include "ui/KvComboHelpers.h"
#include "ui/KvObjectNames.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>

namespace {
const QString kTicked = QStringLiteral("排课");
const QString kUnticked = QStringLiteral("    ");

bool isTwoDigits(const QString& text) {
  return text.size() == 2 && text.at(0).unicode() >= '0' && text.at(0).unicode() <= '9' &&
         text.at(1).unicode() >= '0' && text.at(1).unicode() <= '9';
}

// A time "HHMM" with hours 00-23 and minutes 00-59.
bool isTime(const QString& text) {
  const QString hh = text.left(2);
  const QString mm = text.mid(2);
  return isTwoDigits(hh) && isTwoDigits(mm) && hh <= u"23" && mm <= u"59";
}
}  // namespace

CWktView::CWktView(CWktDoc* pDoc, QWidget* parent) : CKvCardFrmView(IDD, pDoc, parent) {
  // The choices stand above the card, in the space its top inset leaves.
  auto* header = new QWidget(Form());
  auto* row = new QHBoxLayout(header);
  row->setContentsMargins(0, 0, 0, 0);
  m_pYear = KvSetControlId(new QComboBox(header), IDC_YEAR);
  m_pTerm = KvSetControlId(new QComboBox(header), IDC_TERM);
  row->addWidget(new QLabel(QStringLiteral("年度："), header));
  row->addWidget(m_pYear);
  row->addWidget(new QLabel(QStringLiteral("学期："), header));
  row->addWidget(m_pTerm);
  auto* counts = new QGroupBox(QStringLiteral("课时数目"), header);
  auto* countRow = new QHBoxLayout(counts);
  countRow->setContentsMargins(8, 2, 8, 4);
  static const char* const labels[4] = {"早读：", "早上：", "下午：", "晚上："};
  for (int s = 0; s < 4; ++s) {
    m_pCount[s] = KvSetControlId(new QComboBox(counts), IDC_COUNT0 + s);
    countRow->addWidget(new QLabel(QString::fromUtf8(labels[s]), counts));
    countRow->addWidget(m_pCount[s]);
    connect(m_pCount[s], &QComboBox::activated, this, [this] { OnCountChanged(); });
  }
  row->addSpacing(16);
  row->addWidget(counts);
  header->move(10, 2);
  header->adjustSize();
  connect(m_pYear, &QComboBox::activated, this, [this] { OnYearTermChanged(); });
  connect(m_pTerm, &QComboBox::activated, this, [this] { OnYearTermChanged(); });
}

CWktDoc* CWktView::GetWktDoc() const { return static_cast<CWktDoc*>(GetDocument()); }

QCheckBox* CWktView::CheckBox(int day, int s, int p) const { return m_checks[day][s].value(p); }

CKvEdit* CWktView::TimeEdit(int s, int p, int end) const { return m_times[s][end].value(p); }

void CWktView::initialUpdate() {
  CKvCardFrmView::initialUpdate();
  for (QComboBox* combo : {m_pYear, m_pTerm, m_pCount[0], m_pCount[1], m_pCount[2], m_pCount[3]}) {
    KvSetComboExtendedUi(combo);
    combo->clear();
  }
  for (int s = 0; s < 4; ++s)
    for (int n = 0; n <= 8; ++n)
      m_pCount[s]->addItem(QString::number(n));
  m_pTerm->addItems({QStringLiteral("春季学期"), QStringLiteral("秋季学期")});
  const int year = KvGetApp() ? KvGetApp()->GetDataFile().GetYear() : 0;
  for (int y = year - 1; y <= year + 1; ++y)
    m_pYear->addItem(QString::number(y));
  RebuildControls();
  InitToolTips();
}

void CWktView::RebuildControls() {
  // The record is the document's as it stands: every change of the
  // operator is in it already, and a new year or term must not get the old
  // term's ticks and times.
  CWktDoc* pDoc = GetWktDoc();
  pDoc->BuildPage();
  CWktRec& wkt = pDoc->m_wkt;
  for (int s = 0; s < 4; ++s) {
    const int count = wkt.PeriodCount(s);
    for (int end = 0; end < 2; ++end) {
      QList<CKvEdit*>& edits = m_times[s][end];
      while (edits.size() > count)
        delete edits.takeLast();
      while (edits.size() < count) {
        auto* edit = KvSetControlId(new CKvEdit(Form()), end == 0 ? IDC_START : IDC_END);
        edit->SetInputType(QStringLiteral("STRING DIGIT"), 4, -1);
        edit->setAlignment(Qt::AlignCenter);
        const int p = int(edits.size());
        connect(edit, &CKvEdit::textEdited, this,
                [this, s, p, end](const QString& text) { OnTimeEdited(s, p, end, text); });
        edit->show();
        edits.append(edit);
      }
    }
    for (int d = 0; d < 7; ++d) {
      QList<QCheckBox*>& checks = m_checks[d][s];
      while (checks.size() > count)
        delete checks.takeLast();
      while (checks.size() < count) {
        auto* check = KvSetControlId(new QCheckBox(Form()), IDC_CHECK);
        // The box covers its day cell: what shows there is its caption.
        check->setAutoFillBackground(true);
        const int p = int(checks.size());
        connect(check, &QCheckBox::clicked, this,
                [this, d, s, p](bool checked) { OnCheckClicked(d, s, p, checked); });
        check->show();
        checks.append(check);
      }
    }
    m_pCount[s]->setCurrentIndex(count);
  }
  selectYearAndTerm();
  ExchangeRecord(false);
  OnUpdate();
  // The document's read-only answer stands for its fill; the new controls
  // follow it.
  showEditable(!pDoc->m_bReadOnly);
  Form()->update();
}

void CWktView::OnTimeEdited(int s, int p, int end, const QString& text) {
  CWktRec& wkt = GetWktDoc()->m_wkt;
  QStringList& times = end == 0 ? wkt.HM0[s] : wkt.HM1[s];
  if (p >= times.size())
    return;
  times[p] = text;
  pageChanged();
}

void CWktView::OnCheckClicked(int day, int s, int p, bool checked) {
  CWktRec& wkt = GetWktDoc()->m_wkt;
  if (p >= wkt.SBT[day][s].size())
    return;
  wkt.SBT[day][s][p] = checked ? 1 : 0;
  if (QCheckBox* check = CheckBox(day, s, p))
    check->setText(checked ? kTicked : kUnticked);
  pageChanged();
}

void CWktView::pageChanged() {
  // The page is what prints: it shows the ticks and times as they stand.
  GetWktDoc()->BuildPage();
  Form()->update();
}

void CWktView::selectYearAndTerm() {
  const CWktRec& wkt = GetWktDoc()->m_wkt;
  m_pTerm->setCurrentIndex(wkt.QC);
  m_pYear->setCurrentIndex(m_pYear->findText(wkt.Y));
}

void CWktView::OnUpdate() {
  CKvCardFrmView::OnUpdate();
  const CWktRec& wkt = GetWktDoc()->m_wkt;
  int segments = 0;
  int periods = 0;
  for (int s = 0; s < 4; ++s) {
    segments += wkt.PeriodCount(s) > 0 ? 1 : 0;
    periods += wkt.PeriodCount(s);
  }
  int i = 0;
  for (int s = 0; s < 4; ++s) {
    for (int p = 0; p < m_times[s][0].size(); ++p, ++i) {
      for (int end = 0; end < 2; ++end)
        if (CKvEdit* edit = TimeEdit(s, p, end))
          PlaceInTextBox(edit, 11 + segments + periods + 2 * i + end, true);
      for (int d = 0; d < 7; ++d)
        if (QCheckBox* check = CheckBox(d, s, p))
          PlaceInTextBox(check, 11 + segments + 3 * periods + 7 * i + d, true);
    }
  }
}

void CWktView::ExchangeRecord(bool bSave) {
  CWktRec& wkt = GetWktDoc()->m_wkt;
  for (int s = 0; s < 4; ++s) {
    for (int d = 0; d < 7; ++d) {
      const int n = std::min(wkt.PeriodCount(s), int(m_checks[d][s].size()));
      for (int p = 0; p < n; ++p) {
        QCheckBox* check = m_checks[d][s][p];
        if (bSave) {
          wkt.SBT[d][s][p] = check->isChecked() ? 1 : 0;
        } else {
          check->setChecked(wkt.SBT[d][s][p] != 0);
          check->setText(check->isChecked() ? kTicked : kUnticked);
        }
      }
    }
    for (int end = 0; end < 2; ++end) {
      QStringList& times = end == 0 ? wkt.HM0[s] : wkt.HM1[s];
      const int n = std::min(int(times.size()), int(m_times[s][end].size()));
      for (int p = 0; p < n; ++p) {
        if (bSave)
          times[p] = m_times[s][end][p]->text();
        else
          m_times[s][end][p]->setText(times[p]);
      }
    }
  }
}

void CWktView::OnCountChanged() {
  CWktDoc* pDoc = GetWktDoc();
  int counts[4];
  for (int s = 0; s < 4; ++s) {
    if (m_pCount[s]->currentIndex() < 0)
      m_pCount[s]->setCurrentIndex(pDoc->m_wkt.PeriodCount(s));
    counts[s] = m_pCount[s]->currentIndex();
  }
  pDoc->m_wkt.ResizePeriods(counts);
  RebuildControls();
}

void CWktView::OnYearTermChanged() {
  CWktDoc* pDoc = GetWktDoc();
  const QString year = m_pYear->currentIndex() >= 0 ? m_pYear->currentText() : QString();
  const int term = std::max(0, m_pTerm->currentIndex());
  // The same year and term are read again only after a failed read.
  if (year == pDoc->m_wkt.Y && term == pDoc->m_wkt.QC && !pDoc->IsFillFailed())
    return;
  if (!pDoc->SaveModified()) {
    selectYearAndTerm();
    return;
  }
  // The document is filled again and the controls follow
  // (OnDocumentChanged); a read that fails keeps the choice shown before.
  if (!pDoc->SelectYearAndTerm(year, term))
    selectYearAndTerm();
}

bool CWktView::IsReadOnly() {
  const CWktDoc* pDoc = GetWktDoc();
  const CWktRec& wkt = pDoc->m_wkt;
  // A schedule that could not be read is never edited or saved.
  const bool editable = !pDoc->IsFillFailed() && KvHasRight(CPkDataType::kModule, QStringLiteral("04")) &&
                        CWktRec::CountTimetableRows(wkt.Y, wkt.QC, pDoc->m_pDb) == 0;
  return !editable;
}

void CWktView::showEditable(bool editable) {
  for (int s = 0; s < 4; ++s) {
    for (int d = 0; d < 7; ++d)
      for (QCheckBox* check : m_checks[d][s])
        check->setVisible(editable), check->setEnabled(editable);
    for (int end = 0; end < 2; ++end)
      for (CKvEdit* edit : m_times[s][end])
        edit->setVisible(editable), edit->setEnabled(editable);
    m_pCount[s]->setEnabled(editable);
  }
}

bool CWktView::IsModified(QString& reason) {
  reason.clear();
  CWktDoc* pDoc = GetWktDoc();
  // A schedule that may not be saved has nothing to save.
  if (pDoc->m_bReadOnly)
    return false;
  return pDoc->IsChanged();
}

bool CWktView::IsCellChanged() const { return GetWktDoc()->IsEdited(); }

bool CWktView::checkTimes() {
  const CWktRec& wkt = GetWktDoc()->m_wkt;
  QString previous;
  for (int s = 0; s < 4; ++s) {
    for (int p = 0; p < wkt.PeriodCount(s); ++p) {
      for (int end = 0; end < 2; ++end) {
        const QString text = (end == 0 ? wkt.HM0[s] : wkt.HM1[s]).value(p);
        QString message;
        if (!isTime(text))
          message = QStringLiteral("时间不正确！");
        else if (text < previous)
          message = QStringLiteral("时间先后顺序不正确！");
        else if (end == 1 && !(wkt.HM0[s].value(p) < text))
          message = QStringLiteral("起止时间相同或倒置！");
        if (!message.isEmpty()) {
          KvMessageBox(message, KV_MB_OK | KV_MB_ICONSTOP);
          // A period that ends too early is mended at its start.
          const int at = message == u"起止时间相同或倒置！" ? 0 : end;
          if (CKvEdit* edit = TimeEdit(s, p, at))
            edit->setFocus();
          return false;
        }
        previous = text;
      }
    }
  }
  return true;
}

bool CWktView::SaveRecord(int n) {
  (void)n;
  CWktDoc* pDoc = GetWktDoc();
  // A schedule shown only is never saved.
  if (pDoc->m_bReadOnly)
    return false;
  ExchangeRecord(true);
  if (!checkTimes())
    return false;
  CWktRec& wkt = pDoc->m_wkt;
  if (wkt.IsEmpty()) {
    KvMessageBox(QStringLiteral("应选择排课时间！"), KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  CKvDb* pDb = pDoc->m_pDb;
  if (!KvHasRight(CPkDataType::kModule, QStringLiteral("04"))) {
    KvMessageBox(QStringLiteral("没有修改作息时间表的权限！"), KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  // A refusal is shown once the save has rolled back, so that no
  // workstation waits on it.
  QString refusal;
  const QString note = KvFormat("保存%s年%s季学期作息时间表", wkt.Y, wkt.QC == 0 ? "春" : "秋");
  if (!KvLoggedWrite(pDb, CPkDataType::kModule * 100 + 2, note, [&] { return wkt.Save(pDoc->m_stored, pDb, &refusal); })) {
    if (!refusal.isEmpty())
      KvMessageBox(refusal, KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  pDoc->m_stored = wkt;
  pDoc->m_read = wkt;
  return true;
}
