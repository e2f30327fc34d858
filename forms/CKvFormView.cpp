#include "forms/CKvFormView.h"

#include "core/KvClipboard.h"
#include "core/KvInputType.h"
#include "core/KvMessage.h"
#include "core/KvText.h"
#include "forms/CKvDoc.h"
#include "forms/CKvFormPageSetupDlg.h"
#include "forms/CKvFormPrintJob.h"
#include "forms/KvChoiceMenu.h"
#include "print/KvPageMap.h"
#include "ui/CKvCommandRouter.h"
#include "ui/CKvEdit.h"
#include "ui/KvCachedScrollBar.h"
#include "ui/KvCommands.h"
#include "ui/KvMenus.h"
#include "ui/KvModal.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <QStyle>
#include <QToolTip>

#include <memory>

namespace {
const QString kTooWide = QStringLiteral("超出栏宽");

// Hides the tip of a refused character; true when it was shown.
bool hideTooWideTip() {
  if (!QToolTip::isVisible() || QToolTip::text() != kTooWide)
    return false;
  QToolTip::hideText();
  return true;
}

// The width of the cell editor (which has no frame) that shows `length`
// characters of `font` without scrolling them, counted as a field's length
// counts them (a Chinese character takes two, about two digits' width): the
// digits, the caret after the last one, and the margins the line edit keeps
// around its text (2 pixels on either side, its text and content margins).
int editorWidthFor(const QLineEdit& editor, const QFont& font, int length) {
  const QMargins margins = editor.textMargins() + editor.contentsMargins();
  return QFontMetrics(font, &editor).horizontalAdvance(QString(length, u'0')) + 1 + 2 * 2 + margins.left() +
         margins.right();
}
}  // namespace

CKvFormView::CKvFormView(CKvDoc* pDoc, QWidget* parent) : QAbstractScrollArea(parent), m_pDoc(pDoc) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled);
  // The bars keep their drawing while the form is drawn again unscrolled.
  setVerticalScrollBar(new KvCachedScrollBar(Qt::Vertical));
  setHorizontalScrollBar(new KvCachedScrollBar(Qt::Horizontal));
  viewport()->setAutoFillBackground(false);
  m_pEditor = new CKvEdit(viewport());
  m_pEditor->setObjectName(QStringLiteral("cell_editor"));
  m_pEditor->setFrame(false);
  m_pEditor->hide();
  m_pEditor->installEventFilter(this);
  connect(m_pEditor, &QLineEdit::textEdited, this, [this] {
    m_bEditDirty = true;
    m_bCaretInText = true;
    KvCommandsChanged();
  });
  connect(m_pEditor, &QLineEdit::cursorPositionChanged, this, [this] { syncEditorSelection(); });
  connect(m_pEditor, &QLineEdit::selectionChanged, this, [this] { syncEditorSelection(); });
  // Paste follows what the clipboard holds.
  connect(QApplication::clipboard(), &QClipboard::dataChanged, this, [] { KvCommandsChanged(); });
  if (m_pDoc)
    m_pDoc->AddView(this);
  measureScreen();
}

// The document forgets a deleted view by itself; it may already be gone.
CKvFormView::~CKvFormView() = default;

// --- Cell hooks ---

void CKvFormView::AddRows(int nCount) { (void)nCount; }

void CKvFormView::GetCellValue(int nRow, int nCol, const QString& area, QString& text, QString& type,
                               int& nLimit1, int& nLimit2) {
  text.clear();
  type.clear();
  nLimit1 = nLimit2 = -1;
  const KvGridArea which = KvGridAreaFromName(area);
  if (which == KvGridArea::Head || which == KvGridArea::Foot) {
    const int note = m_model.NoteIndex(which == KvGridArea::Foot, nRow, nCol);
    if (note >= 0)
      text = m_model.Notes().at(note).sWords;
  }
}

void CKvFormView::SetCellValue(int nRow, int nCol, const QString& area, const QString& text) {
  const KvGridArea which = KvGridAreaFromName(area);
  if (which == KvGridArea::Head || which == KvGridArea::Foot)
    m_model.SetNoteText(m_model.NoteIndex(which == KvGridArea::Foot, nRow, nCol), text);
}

bool CKvFormView::CanEditCell(int nRow, int nCol, const QString& area) {
  (void)nRow, (void)nCol, (void)area;
  return true;
}

void CKvFormView::OnCellChanged(const QString& text, int nRow, int nCol, const QString& area) {
  (void)text, (void)nRow, (void)nCol, (void)area;
}

void CKvFormView::MoveRows(int nFirst, int nLast, int nDelta) { (void)nFirst, (void)nLast, (void)nDelta; }

int CKvFormView::GetRowsPerPage(bool bPrinting) {
  if (bPrinting)
    return m_pageModel.RowsPerPage(m_nPageHeight, m_printSet.PageRow);
  return viewport()->height() / m_model.RowPitch(KvGridArea::Text);
}

int CKvFormView::GetColumnLeft(int nCol) { return m_model.ColumnLeft(nCol); }

bool CKvFormView::Copy() {
  CommitEditor();
  if (!m_model.SameArea())
    return false;
  const KvGridCell anchor = m_model.Anchor();
  const KvGridCell current = m_model.Current();
  const QString& area = KvGridAreaName(current.area);
  QString text;
  if (m_model.SingleCell()) {
    if (anchor.caret == current.caret)
      return false;
    const QString cell = ReadCell(current.row, current.column, area);
    const int from = qBound(0, qMin(anchor.caret, current.caret), int(cell.size()));
    const int to = qBound(0, qMax(anchor.caret, current.caret), int(cell.size()));
    text = cell.mid(from, to - from);
  } else {
    int r1, c1, r2, c2;
    m_model.SelectedBlock(r1, c1, r2, c2);
    QStringList lines;
    for (int row = r1; row <= r2; ++row) {
      QStringList fields;
      for (int column = c1; column <= c2; ++column)
        if (m_model.CellExists(current.area, row, column))
          fields.append(ReadCell(row, column, area));
      lines.append(fields.join(u'\t'));
    }
    text = lines.join(u'\n');
  }
  return KvSetClipboardText(text);
}

QColor CKvFormView::GetCellColor(int nRow, int nCol, const QString& area) {
  (void)nRow, (void)nCol;
  return GetAreaColor(area);
}

bool CKvFormView::GetCellChoices(int nMode, QList<int>& widths, QStringList& list, const QString& area,
                                 int nRow, int nCol) {
  (void)nMode, (void)widths, (void)list, (void)area, (void)nRow, (void)nCol;
  return false;
}

bool CKvFormView::GetTotalsRow(const KvGridPass& pass, QString& label, QStringList& totals) {
  (void)pass, (void)label, (void)totals;
  return false;
}

QString CKvFormView::GetDisplayText(int nRow, int nCol, KvGridArea area) {
  QString text, type;
  int limit1 = -1, limit2 = -1;
  GetCellValue(nRow, nCol, KvGridAreaName(area), text, type, limit1, limit2);
  if (text.isEmpty() && (area == KvGridArea::Head || area == KvGridArea::Foot)) {
    // A well-known field with no text shows its default.
    const int note = m_model.NoteIndex(area == KvGridArea::Foot, nRow, nCol);
    if (note >= 0)
      text = KvDefaultNoteText(m_model.Notes().at(note).sNote);
  }
  return text;
}

QString CKvFormView::ReadCell(int row, int column, const QString& area) {
  QString text, type;
  int limit1 = -1, limit2 = -1;
  GetCellValue(row, column, area, text, type, limit1, limit2);
  return text;
}

void CKvFormView::WriteCell(int row, int column, const QString& area, const QString& text) {
  // Undo and redo report the text they put back as an edit does.
  SetCellValue(row, column, area, text);
  OnCellChanged(text, row, column, area);
}

// --- State and layout ---

void CKvFormView::SetEditable(bool bEditable) {
  m_bEditable = bEditable;
  updateEditor();
}

void CKvFormView::SetLayout(const QString& title, const QList<KvGridColumn>& columns,
                            const QList<KvHeadNote>& notes, const QList<KvTopWord>& blocks, int headRows,
                            int options) {
  m_strTitle = title;
  m_nOptions = options;
  m_model.SetColumns(columns);
  m_model.SetColumnHead(blocks, headRows);
  m_model.SetNotes(notes);
  m_model.ClearMarks();
  PrepareMacros();
}

void CKvFormView::PlaceCaret(int nRow, int nCol, int nCaret, const QString& area) {
  m_model.PlaceCaret(KvGridCell{nCaret, nRow, nCol, KvGridAreaFromName(area)}, m_bExtend);
  updateEditor();
  viewport()->update();
  KvCommandsChanged();
}

void CKvFormView::AddMarkRecord(int nCol1, int nRow1, int nCol2, int nRow2) {
  m_model.AddMark(KvGridMark{nCol1, nRow1, nCol2, nRow2});
}

void CKvFormView::measureScreen() {
  const KvPageMap map = KvPageMap::ForScreen(viewport(), QSize(m_printSet.PageWidth, m_printSet.PageLength));
  m_fonts = FontsFor(map);
  KvGridMetrics metrics = ScalePageUnits(map);
  MeasureLineHeights(metrics, m_fonts, viewport());
  m_model.SetMetrics(metrics);
  m_pEditor->setFont(m_fonts[CKvPrintSet::TextFont]);
}

void CKvFormView::ApplyPageSetup() {
  measureScreen();
  RecalcScroll(true);
}

void CKvFormView::RecalcScroll(bool bInvalidate) {
  const int barWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  const int clientWidth =
      viewport()->width() + (verticalScrollBar()->isVisible() ? verticalScrollBar()->width() : 0);
  m_model.LayoutScreenColumns(clientWidth, barWidth);
  m_model.ClampSelection();
  const int pitch = m_model.RowPitch(KvGridArea::Text);
  horizontalScrollBar()->setRange(0, qMax(0, m_model.ContentWidth() - viewport()->width()));
  horizontalScrollBar()->setPageStep(viewport()->width());
  horizontalScrollBar()->setSingleStep(qMax(1, m_model.Metrics().unit * 2));
  verticalScrollBar()->setRange(0, qMax(0, m_model.ContentHeight() - viewport()->height()));
  verticalScrollBar()->setPageStep(qMax(pitch, viewport()->height() - pitch));
  verticalScrollBar()->setSingleStep(pitch);
  if (m_bEditing && m_editCell.SameCell(m_model.Current()) &&
      m_model.CellExists(m_editCell.area, m_editCell.row, m_editCell.column))
    positionEditor();
  else
    updateEditor();
  if (bInvalidate)
    viewport()->update();
}

QRect CKvFormView::windowRect(KvGridArea area, int row, int column) {
  const QRect rect = CellPlace(area, row, column);
  if (rect.isEmpty())
    return rect;
  const bool columnArea =
      area == KvGridArea::Text || area == KvGridArea::FormHead || area == KvGridArea::FormFoot;
  const int dx = columnArea && column < m_model.FixedColumns() ? 0 : horizontalScrollBar()->value();
  return rect.translated(-dx, -verticalScrollBar()->value());
}

void CKvFormView::EnsureCellVisible() {
  const KvGridCell cell = m_model.Current();
  const QRect rect = CellPlace(cell.area, cell.row, cell.column);
  if (rect.isEmpty())
    return;
  QScrollBar* vertical = verticalScrollBar();
  if (rect.top() < vertical->value())
    vertical->setValue(rect.top());
  else if (rect.bottom() >= vertical->value() + viewport()->height())
    vertical->setValue(rect.bottom() + 1 - viewport()->height());
  const bool fixed = cell.area == KvGridArea::Text && cell.column < m_model.FixedColumns();
  if (fixed)
    return;
  // Columns right of the fixed ones show from the fixed ones' right edge.
  const int from = cell.area == KvGridArea::Text ? m_model.ColumnLeft(m_model.FixedColumns()) : 0;
  QScrollBar* horizontal = horizontalScrollBar();
  if (rect.left() - horizontal->value() < from)
    horizontal->setValue(rect.left() - from);
  else if (rect.right() - horizontal->value() >= viewport()->width())
    horizontal->setValue(qMin(rect.right() + 1 - viewport()->width(), rect.left() - from));
}

int CKvFormView::AreaRole(KvGridArea area) {
  switch (area) {
    case KvGridArea::Topic: return CKvPrintSet::TitleFont;
    case KvGridArea::Head: return CKvPrintSet::HeadFont;
    case KvGridArea::FormHead:
    case KvGridArea::Text:
    case KvGridArea::FormFoot:
    case KvGridArea::TextL:
    case KvGridArea::FormHeadL: return CKvPrintSet::TextFont;
    default: return CKvPrintSet::TailFont;
  }
}

QFont CKvFormView::GetAreaFont(const QString& area) const {
  return m_fonts[AreaRole(KvGridAreaFromName(area))];
}

QColor CKvFormView::GetAreaColor(const QString& area) const {
  return m_printSet.FontColors[AreaRole(KvGridAreaFromName(area))];
}

int CKvFormView::GetCellTextTop(const QString& area, int nRow) const {
  const KvGridArea which = KvGridAreaFromName(area);
  return m_model.RowTop(which, nRow) + (m_model.RowPitch(which) - m_model.LineHeight(which)) / 2;
}

int CKvFormView::MeasureText(const QString& text, const QString& area) const {
  return QFontMetrics(GetAreaFont(area), viewport()).horizontalAdvance(text);
}

KvGridMetrics CKvFormView::ScalePageUnits(const KvPageMap& map) const {
  KvGridMetrics metrics = m_model.Metrics();
  metrics.left = map.X(m_printSet.PageLeft);
  metrics.top = map.Y(m_printSet.PageTop);
  metrics.right = map.X(m_printSet.PageRight);
  metrics.bottom = map.Y(m_printSet.PageBottom);
  metrics.spacing = map.Y(m_printSet.PageSpace);
  metrics.pad = qMax(2, map.X(8));
  return metrics;
}

std::array<QFont, CKvPrintSet::FontCount> CKvFormView::FontsFor(const KvPageMap& map) const {
  std::array<QFont, CKvPrintSet::FontCount> fonts;
  for (int role = 0; role < CKvPrintSet::FontCount; ++role)
    fonts[role] = map.Font(m_printSet.Fonts[role]);
  return fonts;
}

void CKvFormView::MeasureLineHeights(KvGridMetrics& metrics,
                                     const std::array<QFont, CKvPrintSet::FontCount>& fonts,
                                     QPaintDevice* device) const {
  const QFontMetrics text(fonts[CKvPrintSet::TextFont], device);
  metrics.unit = qMax(1, text.horizontalAdvance(QLatin1Char('T')));
  metrics.textHeight = text.height();
  metrics.topicHeight = QFontMetrics(fonts[CKvPrintSet::TitleFont], device).height();
  metrics.headHeight = QFontMetrics(fonts[CKvPrintSet::HeadFont], device).height();
  metrics.tailHeight = QFontMetrics(fonts[CKvPrintSet::TailFont], device).height();
}

void CKvFormView::LayoutForPrinter(const KvPageMap& map) {
  m_pageModel = m_model;
  KvGridMetrics metrics = ScalePageUnits(map);
  MeasureLineHeights(metrics, FontsFor(map), map.Device());
  m_pageModel.SetMetrics(metrics);
  m_pageModel.LayoutPageColumns(map.X(map.Paper().width()));
  m_nPageHeight = map.Y(map.Paper().height());
}

void CKvFormView::GetVisibleColumns(bool bPrinting, int& nFirst, int& nLast) const {
  if (bPrinting) {
    nFirst = 0;
    nLast = m_model.ColumnCount() - 1;
    return;
  }
  const int x = horizontalScrollBar()->value();
  m_model.VisibleColumns(x + m_model.ColumnLeft(m_model.FixedColumns()), x + viewport()->width(), nFirst,
                         nLast);
}

// --- Undo and commits ---

void CKvFormView::PushUndo(const KvCellEdit& before) { m_model.PushUndo(before, *this); }

void CKvFormView::UndoRedo(bool bUndo) {
  CommitEditor();
  KvCellEdit applied;
  if (m_model.UndoRedo(bUndo, *this, &applied)) {
    m_bChanged = true;
    EnsureCellVisible();
    updateEditor();
    viewport()->update();
  }
  KvCommandsChanged();
}

bool CKvFormView::CommitCell(int nRow, int nCol, const QString& area, const QString& text, int nCaretBefore) {
  QString old, type;
  int limit1 = -1, limit2 = -1;
  GetCellValue(nRow, nCol, area, old, type, limit1, limit2);
  // The cell stores the text its check judged.
  const QString judged = KvJudgedText(text, type);
  if (judged == old)
    return true;
  if (!m_bEditable || !CanEditCell(nRow, nCol, area))
    return false;
  if (!KvCheckTypeSpec(judged, QString(), 0, type, limit1, limit2))
    return false;
  SetCellValue(nRow, nCol, area, judged);
  OnCellChanged(judged, nRow, nCol, area);
  PushUndo(KvCellEdit(nCaretBefore, nRow, nCol, area, old));
  m_bChanged = true;
  // The editor over the cell shows what is stored now.
  if (m_bEditing && !m_bEditDirty && m_editCell.row == nRow && m_editCell.column == nCol &&
      m_editCell.area == KvGridAreaFromName(area))
    updateEditor();
  viewport()->update();
  return true;
}

bool CKvFormView::CommitEditor() {
  // Only the operator's typing is committed: an untouched editor shows the
  // cell's text as it was when the editor took it.
  if (!m_bEditing || !m_bEditDirty)
    return true;
  const QString text = m_pEditor->text();
  if (!CommitCell(m_editCell.row, m_editCell.column, KvGridAreaName(m_editCell.area), text, m_nStepCaret)) {
    // The refused text stays in the editor, to be corrected or taken back
    // with Escape, and the operator is told while it is on screen.
    KvMessageBox(QStringLiteral("输入的“%1”不能放入本栏！").arg(text));
    return false;
  }
  m_bEditDirty = false;
  m_nStepCaret = m_pEditor->cursorPosition();
  // A text stored as judged (without its separators) is shown so.
  if (ReadCell(m_editCell.row, m_editCell.column, KvGridAreaName(m_editCell.area)) != text)
    updateEditor();
  KvCommandsChanged();
  return true;
}

void CKvFormView::updateEditor() {
  const KvGridCell cell = m_model.Current();
  const bool editable = m_bEditable && m_model.CellExists(cell.area, cell.row, cell.column) &&
                        CanEditCell(cell.row, cell.column, KvGridAreaName(cell.area));
  if (!m_bEditing || !m_editCell.SameCell(cell) || !editable) {
    // The editor leaves its cell: nothing is typed into the new one yet.
    m_bCaretInText = false;
    hideTooWideTip();
  }
  if (!editable) {
    const bool hadFocus = m_pEditor->hasFocus();
    m_bEditing = false;
    m_pEditor->hide();
    if (hadFocus)
      setFocus();
    return;
  }
  if (m_bEditing && m_editCell.SameCell(cell) && m_bEditDirty) {
    // The operator's typing stays; only the place follows.
    positionEditor();
    return;
  }
  QString text, type;
  int limit1 = -1, limit2 = -1;
  GetCellValue(cell.row, cell.column, KvGridAreaName(cell.area), text, type, limit1, limit2);
  const QSignalBlocker blocker(m_pEditor);
  m_pEditor->setText(text);
  m_pEditor->SetInputType(type, limit1, limit2);
  m_pEditor->setFont(m_fonts[AreaRole(cell.area)]);
  m_pEditor->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  if (cell.area == KvGridArea::Text) {
    const QString& align = m_model.Columns().at(cell.column).alignment;
    if (align == QLatin1String("MID"))
      m_pEditor->setAlignment(Qt::AlignCenter);
    else if (align != QLatin1String("LEFT"))
      m_pEditor->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  }
  const KvGridCell anchor = m_model.Anchor();
  const int caret = qBound(0, cell.caret, int(text.size()));
  if (anchor.SameCell(cell) && anchor.caret != cell.caret) {
    const int from = qBound(0, anchor.caret, int(text.size()));
    m_pEditor->setSelection(from, caret - from);
  } else {
    m_pEditor->setCursorPosition(caret);
  }
  m_editCell = cell;
  m_bEditing = true;
  m_bEditDirty = false;
  m_nStepCaret = caret;
  positionEditor();
  m_pEditor->show();
  if (hasFocus())
    m_pEditor->setFocus();
}

void CKvFormView::positionEditor() {
  if (!m_bEditing)
    return;
  const KvGridCell& cell = m_editCell;
  const QRect rect = cell.area == KvGridArea::Head || cell.area == KvGridArea::Foot
                         ? noteBox(cell).translated(-horizontalScrollBar()->value(), -verticalScrollBar()->value())
                         : windowRect(cell.area, cell.row, cell.column);
  // The editor sits inside the lines of its cell.
  m_pEditor->setGeometry(rect.adjusted(2, 2, -1, -1));
}

QRect CKvFormView::noteBox(const KvGridCell& cell) {
  const bool bTail = cell.area == KvGridArea::Foot;
  QRect box = CellPlace(cell.area, cell.row, cell.column);
  const int note = m_model.NoteIndex(bTail, cell.row, cell.column);
  const int length = note >= 0 ? m_model.Notes().at(note).EditLength() : 0;
  if (length <= 0)
    return box;
  // The editor and its inset in the box's lines.
  const int width = editorWidthFor(*m_pEditor, m_fonts[AreaRole(cell.area)], length) + 3;
  // The next note's text starts a pad after this note's part ends; the
  // last note of a row ends with the table.
  const bool bLast = cell.column + 1 >= m_model.NoteCellCount(bTail, cell.row);
  if (width <= box.width() + (bLast ? 0 : m_model.Metrics().pad))
    box.setWidth(width);
  return box;
}

void CKvFormView::syncEditorSelection() {
  if (!m_bEditing)
    return;
  KvGridCell current = m_model.Current();
  if (!current.SameCell(m_editCell))
    return;
  current.caret = m_pEditor->cursorPosition();
  KvGridCell anchor = m_model.Anchor();
  if (anchor.SameCell(current)) {
    if (m_pEditor->hasSelectedText()) {
      const int start = m_pEditor->selectionStart();
      const int end = start + int(m_pEditor->selectedText().size());
      anchor.caret = current.caret == start ? end : start;
    } else {
      anchor.caret = current.caret;
    }
  }
  m_model.SetSelection(anchor, current);
  KvCommandsChanged();
}

void CKvFormView::SelectCells(const KvGridCell& anchor, const KvGridCell& current) {
  if (!CommitEditor())
    return;
  m_model.SetSelection(anchor, current);
  EnsureCellVisible();
  updateEditor();
  viewport()->update();
  KvCommandsChanged();
}

void CKvFormView::DropEditor() {
  m_bEditing = false;
  m_bEditDirty = false;
  m_bCaretInText = false;
}

void CKvFormView::DiscardEdits() {
  DropEditor();
  m_bChanged = false;
  m_model.ClearHistory();
}

QString CKvFormView::CurrentCellText() {
  const KvGridCell cell = m_model.Current();
  if (m_bEditing && m_editCell.SameCell(cell))
    return m_pEditor->text();
  return ReadCell(cell.row, cell.column, KvGridAreaName(cell.area));
}

bool CKvFormView::moveTo(const KvGridCell& cell, bool extend, int choicesMode) {
  if (!CommitEditor() || !m_model.CellExists(cell.area, cell.row, cell.column))
    return false;
  m_model.PlaceCaret(cell, extend);
  if (!extend) {
    // A cell entered with a key or a click has its whole text selected, so
    // that typing replaces it.
    const int length = int(ReadCell(cell.row, cell.column, KvGridAreaName(cell.area)).size());
    m_model.SetSelection(KvGridCell{0, cell.row, cell.column, cell.area},
                         KvGridCell{length, cell.row, cell.column, cell.area});
  }
  EnsureCellVisible();
  updateEditor();
  viewport()->update();
  KvCommandsChanged();
  if (choicesMode > 0 && m_model.SingleCell())
    ShowCellChoices(choicesMode);
  return true;
}

// --- Choices ---

bool CKvFormView::ShowCellChoices(int nMode) {
  const KvGridCell cell = m_model.Current();
  const QString& area = KvGridAreaName(cell.area);
  if (!m_bEditable || !m_model.CellExists(cell.area, cell.row, cell.column))
    return false;
  QList<int> widths;
  QStringList list;
  if (!GetCellChoices(nMode, widths, list, area, cell.row, cell.column) || list.isEmpty())
    return false;
  KvChoiceMenu menu(this);
  int total = 0;
  for (int width : widths)
    total += qMax(0, width);
  if (total > 0)
    menu.setMinimumWidth(total);
  for (const QString& line : list)
    menu.addAction(QString(line).replace(u'&', QStringLiteral("&&")));
  const QRect rect = windowRect(cell.area, cell.row, cell.column);
  QAction* chosen = KvExecPopupMenu(&menu, viewport()->mapToGlobal(rect.bottomLeft()));
  const int index = int(menu.actions().indexOf(chosen));
  if (index < 0) {
    QKeyEvent key(QEvent::KeyPress, menu.TypedKey(), menu.TypedModifiers(), menu.TypedText());
    if (menu.ClosedByCommandKey()) {
      // A command key on the open list runs as on the grid, the window's
      // shortcuts included: a key sent by the program is offered to them
      // first, as one the operator types.
      QApplication::sendEvent(m_bEditing ? static_cast<QWidget*>(m_pEditor) : this, &key);
    } else if (!menu.TypedText().isEmpty() && m_bEditing && m_editCell.SameCell(cell) &&
               m_model.Current().SameCell(cell)) {
      // A key typed on the open list is typed into its cell at the caret.
      QApplication::sendEvent(m_pEditor, &key);
    }
    return false;
  }
  // A cell that cannot be edited may still show what its code stands for;
  // choosing a line writes nothing into it.
  if (!CanEditCell(cell.row, cell.column, area) || !CommitEditor())
    return false;
  const bool ok =
      CommitCell(cell.row, cell.column, area, KvFirstWord(list.at(index)), m_model.Current().caret);
  updateEditor();
  KvCommandsChanged();
  return ok;
}

// --- Typing ---

QString CKvFormView::typedText(const QString& insert) const {
  QString text = m_pEditor->text();
  int at = m_pEditor->cursorPosition();
  if (m_pEditor->hasSelectedText()) {
    at = m_pEditor->selectionStart();
    text.remove(at, m_pEditor->selectedText().size());
  }
  return text.insert(at, insert);
}

bool CKvFormView::refuseTooWide(const QString& insert) {
  if (!m_bEditing || insert.isEmpty())
    return false;
  const QString candidate = typedText(insert);
  if (m_pEditor->Accepts(candidate))
    return false;
  // Only the width is lifted: a text the cell refuses for another reason
  // (a letter in a number) is dropped by the editor as before.
  if (!m_pEditor->AcceptsAnyWidth(candidate))
    return false;
  QApplication::beep();
  QToolTip::showText(m_pEditor->mapToGlobal(QPoint(0, m_pEditor->height())), kTooWide, m_pEditor);
  return true;
}

bool CKvFormView::closeEditor() {
  const bool tip = hideTooWideTip();
  const bool open = tip || m_bEditDirty || m_bCaretInText;
  const KvGridCell cell = m_editCell;
  const int length = int(ReadCell(cell.row, cell.column, KvGridAreaName(cell.area)).size());
  m_bEditDirty = false;
  m_bCaretInText = false;
  m_model.SetSelection(KvGridCell{0, cell.row, cell.column, cell.area},
                       KvGridCell{length, cell.row, cell.column, cell.area});
  updateEditor();
  viewport()->update();
  KvCommandsChanged();
  return open;
}

// --- Commands ---

bool CKvFormView::HandlesCmd(int id) const {
  switch (id) {
    case KV_CMD_EDIT_COPY:
    case KV_CMD_EDIT_UNDO:
    case KV_CMD_EDIT_REDO:
    case KV_CMD_FILE_PRINT:
    case KV_CMD_OVERLAY_PRINT:
    case KV_CMD_FILE_PAGE_SETUP:
      return true;
    default:
      return handlesEditCmd(id) || (m_pDoc && m_pDoc->HandlesCmd(id));
  }
}

bool CKvFormView::IsCmdEnabled(int id) {
  switch (id) {
    case KV_CMD_EDIT_COPY: return m_model.CanCopy();
    case KV_CMD_EDIT_UNDO: return m_bEditable && (m_bEditDirty || m_model.CanUndo(m_bEditable));
    case KV_CMD_EDIT_REDO: return m_model.CanRedo(m_bEditable);
    case KV_CMD_FILE_PRINT:
    case KV_CMD_OVERLAY_PRINT:
    case KV_CMD_FILE_PAGE_SETUP: return true;
    default:
      if (handlesEditCmd(id))
        return isEditCmdEnabled(id);
      return m_pDoc && m_pDoc->HandlesCmd(id) && m_pDoc->IsCmdEnabled(id);
  }
}

void CKvFormView::ExecuteCmd(int id) {
  switch (id) {
    case KV_CMD_EDIT_COPY: Copy(); break;
    case KV_CMD_EDIT_UNDO: UndoRedo(true); break;
    case KV_CMD_EDIT_REDO: UndoRedo(false); break;
    case KV_CMD_FILE_PRINT: Print(KV_CMD_FILE_PRINT); break;
    case KV_CMD_OVERLAY_PRINT: OverlayPrint(); break;
    case KV_CMD_FILE_PAGE_SETUP: PageSetup(); break;
    default:
      if (handlesEditCmd(id))
        executeEditCmd(id);
      else if (m_pDoc && m_pDoc->HandlesCmd(id))
        m_pDoc->ExecuteCmd(id);
      break;
  }
}

bool CKvFormView::RunKeyCommand(int id) {
  if (id == 0 || !HandlesCmd(id))
    return false;
  if (KvCmdEnabled(this, id))
    ExecuteCmd(id);
  KvCommandsChanged();
  return true;
}

bool CKvFormView::Print(int command) {
  CommitEditor();
  // The module's macro values may have changed since the document opened.
  if (m_pDoc)
    m_pDoc->ResetMacros();
  CKvFormPrintJob job(*this);
  QString title = GetExpandedTitle();
  if (title.isEmpty() && m_pDoc)
    title = m_pDoc->m_strTitle;
  job.SetTitle(title);
  return job.Run(command, this);
}

void CKvFormView::OverlayPrint() {
  m_bOverlay = true;
  Print(KV_CMD_FILE_PRINT);
  m_bOverlay = false;
  viewport()->update();
}

bool CKvFormView::PageSetup() {
  CKvFormPageSetupDlg dialog(&m_printSet, m_pDoc ? m_pDoc->m_pDb : nullptr, m_pDoc ? m_pDoc->m_nFlag : 0,
                             m_pDoc ? m_pDoc->m_nForm : 0, GetExpandedTitle(), this);
  if (KvExecDialog(&dialog) != QDialog::Accepted)
    return false;
  ApplyPageSetup();
  return true;
}

void CKvFormView::ShowContextMenu(const QPoint& globalPos) {
  std::unique_ptr<QMenu> menu(KvBuildPopupMenu(KV_MENU_FORM, this));
  if (m_pDoc) {
    for (QAction* action : menu->actions()) {
      const int id = action->data().toInt();
      int flag = 0;
      const QString caption = id != 0 ? m_pDoc->GetCommandCaption(id, flag) : QString();
      if (!caption.isEmpty())
        action->setText(caption);
    }
  }
  AddContextMenuItems(menu.get());
  KvTrackPopupMenu(menu.get(), globalPos, this);
}
