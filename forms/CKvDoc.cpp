#include "forms/CKvDoc.h"

#include "app/CKvApp.h"
#include "app/KvDocOpenMode.h"
#include "core/KvMessage.h"
#include "core/KvNumber.h"
#include "core/KvNumberText.h"
#include "forms/CFormChildFrm.h"
#include "forms/CKvDocTemplate.h"
#include "forms/KvColumnDef.h"
#include "forms/KvColumnOrigins.h"
#include "forms/KvDocView.h"
#include "ui/KvCommands.h"

#include <QDate>
#include <QWidget>
#include <algorithm>
#include <utility>

namespace {

KvDocPropertiesRunner& propertiesRunner() {
  static KvDocPropertiesRunner runner;
  return runner;
}

// Notes of one area and row in the order the grid shows them: by position,
// then by their order in the layout.
QList<int> notesOfRow(const QList<KvHeadNote>& notes, bool bTail, int nRow) {
  QList<int> result;
  for (int i = 0; i < notes.size(); ++i)
    if ((notes.at(i).bIsTail != 0) == bTail && notes.at(i).nRow == nRow)
      result.append(i);
  std::stable_sort(result.begin(), result.end(), [&](int a, int b) {
    return notes.at(a).Position() < notes.at(b).Position();
  });
  return result;
}

}  // namespace

KvDocPropertiesRunner KvSetDocPropertiesRunner(KvDocPropertiesRunner runner) {
  KvDocPropertiesRunner previous = std::move(propertiesRunner());
  propertiesRunner() = std::move(runner);
  return previous;
}

QWidget* KvFindDocView(const CKvDoc* pDoc, int n) {
  if (!pDoc)
    return nullptr;
  const char* className = n == 0 ? "CKvTreeView" : "CForthView";
  for (QWidget* pView : pDoc->GetViews())
    if (pView->inherits(className))
      return pView;
  return nullptr;
}

CKvDoc::CKvDoc() = default;

CKvDoc::~CKvDoc() = default;

// --- Hooks ---

void CKvDoc::OnCloseDocument() {
  if (m_bClosing)
    return;
  m_bClosing = true;
  // The open arguments go back to the document type and, unless they are
  // for the run only, into the settings.
  if (m_pTemplate) {
    const int index = m_pTemplate->FindEntry(m_nForm);
    bool bForRun = false;
    if (index >= 0) {
      KvDocTypeEntry& entry = m_pTemplate->Entries()[index];
      entry.openArgs = m_openArgs;
      entry.bArgsLoaded = true;
      bForRun = entry.bArgsForRun;
    }
    if (!bForRun)
      KvSaveDocOpenMode(m_nFlag, m_nForm, m_openArgs);
  }
  for (const auto& pFrame : m_frames)
    if (pFrame)
      pFrame->CloseWithoutAsking();
}

void CKvDoc::BuildColumns(KvFormEntry& entry) { PrepareColumns(entry); }

void CKvDoc::PrepareColumns(KvFormEntry& entry) {
  for (int i = 0; i < entry.formulas.size(); ++i) {
    KvFormula& formula = entry.formulas[i];
    const int link = formula.Link();
    if (link == 0)
      continue;
    const int mark = GetColumnMark(entry, i);
    if (mark == 1)
      formula.nType = link + 100;
    else if (mark == 0)
      formula.nType = link;
  }
}

int CKvDoc::GetColumnMark(const KvFormEntry& entry, int nColumn) {
  (void)entry, (void)nColumn;
  return 2;
}

QStringList CKvDoc::NewRow() const {
  return QStringList(m_formEntry.formulas.size() + std::max(m_nExtraCells, 0), QString());
}

void CKvDoc::BuildColumnHead(KvFormEntry& entry) {
  entry.topWords.clear();
  BuildDefaultColumnHead(entry);
}

bool CKvDoc::HasUnsavedEdits(QString& reason) {
  reason.clear();
  if (m_bReadOnly || m_bFillFailed)
    return false;
  for (QWidget* pWidget : GetViews())
    if (auto* pView = dynamic_cast<KvDocView*>(pWidget); pView && pView->IsCellChanged())
      return true;
  return false;
}

// --- What card documents turn off ---

void CKvDoc::LoadLayout() {
  KvFormEntry entry;
  entry.SetKey(m_pDb, m_nFlag, m_nForm);
  const bool stored = entry.Load() > 0;
  if (!stored)
    InitFormEntry(entry);
  // A part that is not stored (a page the module keeps to itself, or a
  // template saved without it) takes the module's defaults.
  if (!stored || !entry.LoadFormulas() || entry.formulas.isEmpty())
    BuildColumns(entry);
  else
    PrepareColumns(entry);
  if (!stored || !entry.LoadHeadNotes() || entry.headNotes.isEmpty())
    BuildHeadNotes(entry);
  if (!stored || !entry.LoadTopWords() || entry.topWords.isEmpty())
    BuildColumnHead(entry);
  m_formEntry = entry;
  RebuildColumnMap();
}

bool CKvDoc::CheckColumnHead(QString* pMessage) { return m_formEntry.CheckColumnHead(pMessage); }

QString CKvDoc::FormatNumber(int nColumn, const QString& text) const {
  if (nColumn < 0 || nColumn >= m_formEntry.formulas.size())
    return text;
  const KvFormula& formula = m_formEntry.formulas.at(nColumn);
  KvColumnDef def;
  KvParseColumnDef(formula, def);
  const QString bare = QString(text).remove(u',').trimmed();
  if (!def.IsNumber() || bare.isEmpty() || !KvIsNumberText(bare))
    return text;
  const int most = std::clamp(formula.nMore, 0, 6);
  const int least = def.d1 ? std::clamp(formula.nLess, 0, most) : most;
  return KvNumToText(KvTextToDouble(bare), 0, least, most, false).trimmed();
}

// --- Operations ---

void CKvDoc::UpdateReadOnly() {
  // Asked even after a failed fill: a card form shows or hides its
  // controls as it answers.
  const bool readOnly = QueryReadOnly();
  m_bReadOnly = readOnly || m_bFillFailed;
}

bool CKvDoc::Fill() {
  m_bKeyChanged = false;
  m_bFillFailed = false;
  UpdateReadOnly();
  if (FillRows())
    return true;
  // Half-read rows are never shown: a save of them would replace the
  // stored ones with what could be read.
  ClearFill();
  m_bFillFailed = true;
  UpdateReadOnly();
  return false;
}

void CKvDoc::AddView(QWidget* pView) {
  if (!pView)
    return;
  for (const auto& p : m_views)
    if (p == pView)
      return;
  m_views.append(pView);
}

void CKvDoc::RemoveView(QWidget* pView) {
  m_views.removeIf([pView](const QPointer<QWidget>& p) { return p.isNull() || p == pView; });
}

QList<QWidget*> CKvDoc::GetViews() const {
  QList<QWidget*> views;
  for (const auto& p : m_views)
    if (p)
      views.append(p.data());
  return views;
}

void CKvDoc::AddFrame(CFormChildFrm* pFrame) {
  if (pFrame && !m_frames.contains(pFrame))
    m_frames.append(pFrame);
}

QList<CFormChildFrm*> CKvDoc::GetFrames() const {
  QList<CFormChildFrm*> frames;
  for (const auto& p : m_frames)
    if (p)
      frames.append(p.data());
  return frames;
}

void CKvDoc::AddMacroRow(const QString& caption, const QString& token, const QString& value) {
  m_macros.append({caption, token, value});
}

QString CKvDoc::GetMacroValue(const QString& token) const {
  for (const KvMacroRow& row : m_macros)
    if (row.sToken == token)
      return row.sValue;
  return QString();
}

void CKvDoc::ResetMacros() {
  m_macros.clear();
  CKvApp* pApp = KvGetApp();
  const QDate today = QDate::currentDate();
  QString unitName;
  QString manager;
  QString operatorCode;
  QString operatorName;
  if (pApp) {
    CKvDataFile& dataFile = pApp->GetDataFile();
    unitName = dataFile.GetEntityName();
    manager = dataFile.GetManagerName();
    operatorCode = dataFile.GetOperatorCode();
    operatorName = dataFile.GetOperatorName();
  }
  AddMacroRow(QStringLiteral("单位名称"), QStringLiteral("#co_name"), unitName);
  AddMacroRow(QStringLiteral("单位负责人"), QStringLiteral("#co_manager"), manager);
  AddMacroRow(QStringLiteral("操作员代码"), QStringLiteral("#cur_opr_code"), operatorCode);
  AddMacroRow(QStringLiteral("操作员姓名"), QStringLiteral("#cur_opr_name"), operatorName);
  AddMacroRow(QStringLiteral("年"), QStringLiteral("#yy"), QString::number(today.year()));
  AddMacroRow(QStringLiteral("月"), QStringLiteral("#mm"), QString::number(today.month()));
  AddMacroRow(QStringLiteral("日"), QStringLiteral("#dd"), QString::number(today.day()));
  // Page numbers are filled page by page when printing.
  AddMacroRow(QStringLiteral("总页数"), QStringLiteral("#pt"), QString());
  AddMacroRow(QStringLiteral("页号"), QStringLiteral("#pp"), QString());
  AddMacroRow(QStringLiteral("起始页号"), QStringLiteral("#printstartpage"), QString());
  // Markers of texts printed only normally or only onto pre-printed forms.
  AddMacroRow(QStringLiteral("普通打印"), QStringLiteral("#normal_print"), QString());
  AddMacroRow(QStringLiteral("套打"), QStringLiteral("#print_without_line"), QString());
  BuildPrintMacros();
}

int CKvDoc::FindColumnFormula(const KvFormEntry& entry, int n) {
  for (int i = 0; i < entry.formulas.size(); ++i)
    if (entry.formulas.at(i).Link() == n)
      return i;
  return -1;
}

int CKvDoc::MatchColumnFormulas(const KvFormEntry& entry, const QList<int>& numbers,
                                QList<int>& positions, int& nFirst) {
  positions.clear();
  nFirst = -1;
  int found = 0;
  for (int n : numbers) {
    const int position = FindColumnFormula(entry, n);
    positions.append(position);
    if (position >= 0) {
      if (nFirst < 0)
        nFirst = position;
      ++found;
    }
  }
  return found;
}

bool CKvDoc::FindHeadNoteField(const QString& name, int& nRow, int& nCell, bool& bTail) const {
  const QList<KvHeadNote>& notes = m_formEntry.headNotes;
  for (bool tail : {false, true}) {
    for (int i = 0; i < notes.size(); ++i) {
      const KvHeadNote& note = notes.at(i);
      if ((note.bIsTail != 0) != tail || note.sNote != name)
        continue;
      nRow = note.nRow;
      nCell = int(notesOfRow(notes, tail, note.nRow).indexOf(i));
      bTail = tail;
      return true;
    }
  }
  return false;
}

int CKvDoc::FindNoteAt(bool bTail, int nRow, int nCell) const {
  const QList<int> row = notesOfRow(m_formEntry.headNotes, bTail, nRow);
  return nCell >= 0 && nCell < row.size() ? row.at(nCell) : -1;
}

void CKvDoc::ForEachColumnLink(int nDir) {
  while (m_noteTexts.size() < m_formEntry.headNotes.size())
    m_noteTexts.append(m_formEntry.headNotes.at(m_noteTexts.size()).sWords);
  for (int i = 0; i < m_formEntry.headNotes.size(); ++i) {
    const KvHeadNote& note = m_formEntry.headNotes.at(i);
    if (note.bIsSystem == 0)
      continue;
    QString text = m_noteTexts.at(i);
    LinkHeadField(note, text, nDir);
    if (nDir == 0)
      m_noteTexts[i] = text;
  }
}

void CKvDoc::BuildDefaultColumnHead(KvFormEntry& entry, int nFirst, int nCount) {
  int shown = 0;
  const int rows = kKvHeadRows.Bound(entry.nTopNum);
  for (const KvFormula& formula : entry.formulas) {
    if (!formula.IsShown())
      continue;
    ++shown;
    if (shown < nFirst || (nCount >= 0 && shown >= nFirst + nCount))
      continue;
    KvColumnDef def;
    KvParseColumnDef(formula, def);
    entry.AddTopWord(shown, 1, shown, rows, def.sTitle);
  }
}

void CKvDoc::AppendRow(const QStringList& row) {
  m_rows.append(row);
  m_flagRows.append(QString(row.size(), u'0'));
  m_shownRows.emplaceBack();
}

void CKvDoc::ClearRows() {
  m_rows.clear();
  m_flagRows.clear();
  m_shownRows.clear();
}

bool CKvDoc::IsRowBlank(int nRow) const {
  if (nRow < 0 || nRow >= m_rows.size())
    return true;
  const QStringList& row = m_rows.at(nRow);
  const int columns = std::min(int(row.size()), int(m_formEntry.formulas.size()));
  for (int i = 0; i < columns; ++i)
    if (!row.at(i).isEmpty())
      return false;
  return true;
}

bool CKvDoc::IsBlank() const {
  for (int i = 0; i < m_rows.size(); ++i)
    if (!IsRowBlank(i))
      return false;
  return true;
}

bool CKvDoc::CheckCell(int nRow, int nColumn) {
  if (nRow < 0 || nRow >= m_rows.size() || nColumn < 0 || nColumn >= m_rows.at(nRow).size())
    return true;
  QString out;
  const bool good = CheckCellText(nRow, nColumn, m_rows.at(nRow).at(nColumn), out);
  while (m_flagRows.size() <= nRow)
    m_flagRows.append(QString(m_rows.at(m_flagRows.size()).size(), u'0'));
  QString& flags = m_flagRows[nRow];
  if (flags.size() <= nColumn)
    flags.append(QString(nColumn + 1 - flags.size(), u'0'));
  flags[nColumn] = good ? u'0' : u'1';
  if (ShowsCheckedText(nColumn))
    setShownText(nRow, nColumn, out);
  return good;
}

QString CKvDoc::GetShownText(int nRow, int nColumn) const {
  if (nRow < 0 || nRow >= m_rows.size() || nColumn < 0 || nColumn >= m_rows.at(nRow).size())
    return QString();
  const QString& text = m_rows.at(nRow).at(nColumn);
  if (nRow < m_shownRows.size() && nColumn < m_shownRows.at(nRow).size()) {
    const KvShownCell& cell = m_shownRows.at(nRow).at(nColumn);
    if (!cell.shown.isEmpty() && cell.checked == text)
      return cell.shown;
  }
  return text;
}

void CKvDoc::UpdateShownTexts() {
  QList<int> columns;
  for (int c = 0; c < m_formEntry.formulas.size(); ++c)
    if (ShowsCheckedText(c))
      columns.append(c);
  if (columns.isEmpty())
    return;
  for (int r = 0; r < m_rows.size(); ++r)
    for (int c : columns)
      UpdateShownText(r, c);
}

void CKvDoc::UpdateShownText(int nRow, int nColumn) {
  if (nRow < 0 || nRow >= m_rows.size() || nColumn < 0 || nColumn >= m_rows.at(nRow).size() ||
      !ShowsCheckedText(nColumn))
    return;
  const QString& text = m_rows.at(nRow).at(nColumn);
  if (nRow < m_shownRows.size() && nColumn < m_shownRows.at(nRow).size() &&
      m_shownRows.at(nRow).at(nColumn).checked == text)
    return;
  // An empty cell shows nothing whatever its check says.
  setShownText(nRow, nColumn, text.isEmpty() ? QString() : ShownCellText(nRow, nColumn, text));
}

void CKvDoc::setShownText(int nRow, int nColumn, const QString& shown) {
  while (m_shownRows.size() <= nRow)
    m_shownRows.emplaceBack();
  QList<KvShownCell>& row = m_shownRows[nRow];
  if (row.size() <= nColumn)
    row.resize(nColumn + 1);
  row[nColumn] = KvShownCell{m_rows.at(nRow).at(nColumn), shown};
}

bool CKvDoc::CheckAllCells(bool bEmpty) {
  if (bEmpty && IsBlank()) {
    KvMessageBox(QStringLiteral("空文档！"), KV_MB_OK | KV_MB_ICONSTOP);
    return false;
  }
  QStringList bad;
  for (int r = 0; r < m_rows.size(); ++r) {
    if (IsRowBlank(r))
      continue;
    const int columns = std::min(int(m_rows.at(r).size()), int(m_formEntry.formulas.size()));
    for (int c = 0; c < columns; ++c) {
      if (CheckCell(r, c))
        continue;
      KvColumnDef def;
      KvParseColumnDef(m_formEntry.formulas.at(c), def);
      // The column as its head reads: without the head's line-break marks.
      bad.append(QStringLiteral("第%1行“%2”").arg(r + 1).arg(QString(def.sTitle).remove(u'\\')));
    }
  }
  if (bad.isEmpty())
    return true;
  KvMessageBox(QStringLiteral("下列单元格出错：\n%1").arg(bad.join(u'\n')), KV_MB_OK | KV_MB_ICONSTOP);
  return false;
}

namespace {
// Puts the typing still open in the views into the document; false at the
// first view that refuses its text (the view has told why and keeps it).
bool commitViewEdits(const QList<QWidget*>& views) {
  for (QWidget* pWidget : views)
    if (auto* pView = dynamic_cast<KvDocView*>(pWidget); pView && !pView->CommitEdit())
      return false;
  return true;
}
}  // namespace

bool CKvDoc::Save() {
  if (m_bFillFailed || !commitViewEdits(GetViews()))
    return false;
  if (!SaveRows())
    return false;
  m_bEditsGivenUp = false;
  for (QWidget* pWidget : GetViews())
    if (auto* pView = dynamic_cast<KvDocView*>(pWidget))
      pView->SetCellChanged(false);
  return true;
}

bool CKvDoc::SaveModified() {
  QString reason;
  if (m_bFillFailed || !HasUnsavedEdits(reason))
    return true;
  switch (KvMessageBox(QStringLiteral("当前文档已发生了变化，存盘吗？"),
                       KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION)) {
    case KV_IDYES:
      return Save();
    case KV_IDNO:
      m_bEditsGivenUp = true;
      return true;
    default:
      return false;
  }
}

bool CKvDoc::MayDiscardEdits() {
  QString reason;
  if (m_bEditsGivenUp || !HasUnsavedEdits(reason))
    return true;
  return KvMessageBox(QStringLiteral("刷新将放弃本窗口中尚未保存的修改，继续吗？"),
                      KV_MB_YESNO | KV_MB_ICONQUESTION) == KV_IDYES;
}

void CKvDoc::ReloadLayout() {
  const KvFormEntry before = m_formEntry;
  const QStringList beforeTexts = m_noteTexts;
  const QList<int> beforeMap = m_colMap;
  LoadLayout();
  if (ResetMismatchedLayout())
    LoadLayout();
  if (m_formEntry.Compare(before) == 0 && m_colMap == beforeMap) {
    // The same layout: the window stays as it is, typing included.
    m_noteTexts = beforeTexts;
    return;
  }
  // The views give up their editors into the layout they show (the cell
  // and note indexes of an editor are that layout's), as a save does.
  const KvFormEntry loaded = m_formEntry;
  m_formEntry = before;
  m_noteTexts = beforeTexts;
  m_colMap = beforeMap;
  for (QWidget* pWidget : GetViews())
    if (auto* pView = dynamic_cast<KvDocView*>(pWidget))
      pView->CommitEdit();
  const QStringList shownTexts = m_noteTexts;
  m_formEntry = loaded;
  RebuildColumnMap();
  keepNoteTexts(before.headNotes, shownTexts);
  moveCells(before.formulas);
  UpdateReadOnly();
  for (QWidget* pWidget : GetViews())
    if (auto* pView = dynamic_cast<KvDocView*>(pWidget))
      pView->OnDocumentChanged();
}

void CKvDoc::keepNoteTexts(const QList<KvHeadNote>& before, const QStringList& texts) {
  for (int i = 0; i < m_formEntry.headNotes.size(); ++i) {
    const KvHeadNote& note = m_formEntry.headNotes.at(i);
    int was = -1;
    for (int j = 0; j < before.size() && was < 0; ++j)
      if (before.at(j).sNote == note.sNote)
        was = j;
    if (was >= 0 && was < texts.size()) {
      // A linked note shows the head, typed or not; another note keeps
      // what it shows unless the sheet gave it new words.
      if (note.bIsSystem != 0 || before.at(was).sWords == note.sWords)
        m_noteTexts[i] = texts.at(was);
    } else if (note.bIsSystem != 0) {
      LinkHeadField(note, m_noteTexts[i], 0);
    }
  }
}

void CKvDoc::moveCells(const QList<KvFormula>& before) {
  const QList<KvFormula>& after = m_formEntry.formulas;
  const QList<int> origins = KvColumnOrigins(before, after);
  bool same = before.size() == after.size();
  for (int i = 0; same && i < origins.size(); ++i)
    same = origins.at(i) == i;
  if (same)
    return;
  const int extra = std::max(m_nExtraCells, 0);
  for (int r = 0; r < m_rows.size(); ++r) {
    const QStringList old = m_rows.at(r);
    const QString oldFlags = m_flagRows.value(r);
    QStringList row = NewRow();
    QString flags(row.size(), u'0');
    const auto take = [&](int to, int from) {
      if (from < 0 || from >= old.size())
        return;
      row[to] = old.at(from);
      if (from < oldFlags.size())
        flags[to] = oldFlags.at(from);
    };
    for (int c = 0; c < origins.size(); ++c)
      take(c, origins.at(c));
    for (int k = 0; k < extra; ++k)
      take(int(after.size()) + k, int(before.size()) + k);
    m_rows[r] = row;
    if (r < m_flagRows.size())
      m_flagRows[r] = flags;
    // The shown texts are given again for the cells where they now are.
    if (r < m_shownRows.size())
      m_shownRows[r].clear();
  }
}

bool CKvDoc::Refill() {
  // Only what the operator typed is lost: content the document shows
  // unsaved without an edit (taken over from an earlier term) is read the
  // same again.
  QString reason;
  if (CKvDoc::HasUnsavedEdits(reason) && !MayDiscardEdits())
    return true;
  // The loss of the connection is often found by the read itself, so the
  // window's state is kept before it, not put aside after a check.
  const std::function<void()> putBack = m_bKeyChanged ? nullptr : keepShown();
  const bool editsGivenUp = std::exchange(m_bEditsGivenUp, false);
  // Asked once per fill: the fill and the views go by this answer.
  const bool filled = Fill();
  if (!filled && putBack) {
    // The views were not told: they still show what is put back.
    putBack();
    m_bEditsGivenUp = editsGivenUp;
    return false;
  }
  ResetMacros();
  for (QWidget* pWidget : GetViews())
    if (auto* pView = dynamic_cast<KvDocView*>(pWidget)) {
      pView->DiscardEdits();
      pView->OnDocumentChanged();
    }
  return filled;
}

std::function<void()> CKvDoc::keepShown() {
  std::function<void()> putBackOwn = KeepFillState();
  if (!putBackOwn)
    return {};
  return [this, putBackOwn, rows = m_rows, flags = m_flagRows, shown = m_shownRows, entry = m_formEntry,
          colMap = m_colMap, notes = m_noteTexts, macros = m_macros, readOnly = m_bReadOnly,
          failed = m_bFillFailed] {
    m_rows = rows;
    m_flagRows = flags;
    m_shownRows = shown;
    m_formEntry = entry;
    m_colMap = colMap;
    m_noteTexts = notes;
    m_macros = macros;
    m_bReadOnly = readOnly;
    m_bFillFailed = failed;
    putBackOwn();
  };
}

void CKvDoc::RebuildColumnMap() {
  m_colMap.clear();
  for (int i = 0; i < m_formEntry.formulas.size(); ++i)
    if (m_formEntry.formulas.at(i).IsShown())
      m_colMap.append(i);
  m_noteTexts.clear();
  for (const KvHeadNote& note : m_formEntry.headNotes)
    m_noteTexts.append(note.sWords);
}

// --- Commands ---

bool CKvDoc::HandlesCmd(int id) const {
  return id == KV_CMD_DOC_PROPERTIES || id == KV_CMD_FILE_SAVE;
}

void CKvDoc::ExecuteCmd(int id) {
  if (id == KV_CMD_FILE_SAVE) {
    Save();
  } else if (id == KV_CMD_DOC_PROPERTIES) {
    // The typing goes into the layout it was typed in before the sheet may
    // change that layout; a refused text keeps the sheet closed.
    if (!commitViewEdits(GetViews()))
      return;
    if (propertiesRunner() && propertiesRunner()(*this, QStringLiteral("文档属性")))
      ReloadLayout();
  }
}

bool CKvDoc::IsCmdEnabled(int id) {
  // Saving is offered while there is something to save (never after a
  // failed fill, never for a read-only document).
  if (id == KV_CMD_FILE_SAVE) {
    QString reason;
    return !m_bFillFailed && HasUnsavedEdits(reason);
  }
  if (id == KV_CMD_DOC_PROPERTIES)
    return bool(propertiesRunner()) && IsGridDocument();
  return true;
}
