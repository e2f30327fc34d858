#include "ui/CKvListCtrl.h"

#include "core/CKvDb.h"
#include "core/KvMessage.h"
#include "ui/CKvCommandRouter.h"
#include "ui/CKvDlg.h"
#include "ui/KvAppServices.h"
#include "ui/KvCalculatorHook.h"
#include "ui/KvCommands.h"
#include "ui/KvListExport.h"
#include "ui/KvListModel.h"
#include "ui/KvMenus.h"
#include "ui/KvRowClipboard.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QMetaProperty>
#include <QPainter>
#include <QStackedLayout>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <memory>

// Paints the details view's grid lines and lets the first column's text be
// edited in place, in any view, only while the list allows modifying.
class KvListDelegate : public QStyledItemDelegate {
 public:
  explicit KvListDelegate(CKvListCtrl* list) : QStyledItemDelegate(list), m_list(list) {
    connect(this, &QAbstractItemDelegate::closeEditor, list,
            [list](QWidget*, QAbstractItemDelegate::EndEditHint hint) {
              list->m_bLabelEditCancelled = hint == QAbstractItemDelegate::RevertModelCache;
              list->m_bEditing = false;
            });
  }

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyledItemDelegate::paint(painter, option, index);
    if (!(m_list->GetExStyle() & CKvListCtrl::LVS_EX_GRIDLINES) ||
        !qobject_cast<const QTreeView*>(option.widget))
      return;
    painter->save();
    painter->setPen(option.palette.color(QPalette::Mid));
    painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
    painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
    painter->restore();
  }

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    if (!KvCmdEnabled(m_list, KV_CMD_MODIFY))
      return nullptr;
    m_list->m_bLabelEditCancelled = false;
    m_list->m_bEditing = true;
    return QStyledItemDelegate::createEditor(parent, option, index);
  }

  void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
    const QByteArray property = editor->metaObject()->userProperty().name();
    emit m_list->labelEdited(index.row(), editor->property(property.constData()).toString());
  }

 private:
  CKvListCtrl* m_list;
};

CKvListCtrl::CKvListCtrl(QWidget* parent)
    : QWidget(parent),
      m_model(new KvListModel(this)),
      m_stack(new QStackedLayout(this)),
      m_details(new QTreeView(this)),
      m_delegate(new KvListDelegate(this)) {
  m_stack->setContentsMargins(0, 0, 0, 0);
  m_details->setObjectName(QStringLiteral("details"));
  m_details->setModel(m_model);
  m_details->setRootIsDecorated(false);
  m_details->setItemsExpandable(false);
  m_details->setUniformRowHeights(true);
  m_details->setAllColumnsShowFocus(true);
  m_details->header()->setSectionsMovable(false);
  m_details->header()->setStretchLastSection(false);
  watchView(m_details);
  m_stack->addWidget(m_details);
  setFocusProxy(m_details);
  applySelectionMode();
  applyEditing();
  connect(m_details->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [] { KvCommandsChanged(); });
}

CKvListCtrl::~CKvListCtrl() = default;

void CKvListCtrl::watchView(QAbstractItemView* view) {
  view->setItemDelegate(m_delegate);
  view->installEventFilter(this);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(view, &QWidget::customContextMenuRequested, this,
          [this, view](const QPoint& pos) { showContextMenu(view, pos); });
  // A double click gives the open command, refused as its button is.
  connect(view, &QAbstractItemView::doubleClicked, this, [this] { RunIfEnabled(KV_CMD_OPEN); });
}

QListView* CKvListCtrl::iconView() {
  if (m_icons)
    return m_icons;
  // Made when first needed: most lists are only ever shown in details.
  m_icons = new QListView(this);
  m_icons->setObjectName(QStringLiteral("icons"));
  m_icons->setModel(m_model);
  QItemSelectionModel* own = m_icons->selectionModel();
  m_icons->setSelectionModel(m_details->selectionModel());
  delete own;
  m_icons->setMovement(QListView::Static);
  m_icons->setResizeMode(QListView::Adjust);
  m_icons->setWrapping(true);
  m_icons->setUniformItemSizes(true);
  watchView(m_icons);
  m_stack->addWidget(m_icons);
  applySelectionMode();
  applyEditing();
  return m_icons;
}

QAbstractItemView* CKvListCtrl::View() const {
  return (m_nStyle & LVS_TYPEMASK) == LVS_REPORT || !m_icons ? static_cast<QAbstractItemView*>(m_details)
                                                             : m_icons;
}

void CKvListCtrl::showViewType() {
  const unsigned type = m_nStyle & LVS_TYPEMASK;
  QAbstractItemView* shown = m_details;
  if (type != LVS_REPORT) {
    QListView* icons = iconView();
    if (type == LVS_ICON) {
      icons->setViewMode(QListView::IconMode);
      icons->setIconSize(QSize(32, 32));
      // Large icons stand in cells of one width, their labels wrapped onto
      // as many as three lines below them.
      const int line = icons->fontMetrics().lineSpacing();
      icons->setGridSize(QSize(qMax(96, 6 * line), 32 + 8 + 3 * line));
      icons->setWordWrap(true);
      icons->setUniformItemSizes(false);
    } else {
      icons->setViewMode(QListView::ListMode);
      icons->setIconSize(QSize(16, 16));
      icons->setGridSize(QSize());
      icons->setWordWrap(false);
      icons->setUniformItemSizes(true);
      // Small icons run left to right, a list top to bottom; both wrap.
      icons->setFlow(type == LVS_SMALLICON ? QListView::LeftToRight : QListView::TopToBottom);
      icons->setWrapping(true);
    }
    shown = icons;
  }
  m_stack->setCurrentWidget(shown);
  setFocusProxy(shown);
  const QModelIndex current = shown->currentIndex();
  if (current.isValid())
    shown->scrollTo(current);
}

void CKvListCtrl::applySelectionMode() {
  const auto mode = (m_nStyle & LVS_SINGLESEL) ? QAbstractItemView::SingleSelection
                                               : QAbstractItemView::ExtendedSelection;
  m_details->setSelectionMode(mode);
  if (m_icons)
    m_icons->setSelectionMode(mode);
}

void CKvListCtrl::applyEditing() {
  const bool editable = m_nStyle & LVS_EDITLABELS;
  m_model->SetLabelsEditable(editable);
  const auto triggers = editable ? QAbstractItemView::SelectedClicked : QAbstractItemView::NoEditTriggers;
  m_details->setEditTriggers(triggers);
  if (m_icons)
    m_icons->setEditTriggers(triggers);
}

// --- Setting up ---

void CKvListCtrl::InitList() {
  m_nClipboardFormat = GetClipboardFormat();
  LoadImageLists();
  m_model->SetRowColours({});
}

void CKvListCtrl::LoadImageLists() {
  QList<int> ids;
  GetIconIds(&ids);
  if (ids.isEmpty())
    return;
  QList<QIcon> icons;
  for (int id : std::as_const(ids))
    icons.append(KvLoadIcon(unsigned(id)));
  m_model->SetIcons(icons);
}

void CKvListCtrl::SetColumns(const QStringList& titles, const QList<int>& widths) {
  QList<int> formats;
  for (int i = 0; i < titles.size(); ++i)
    formats.append(GetColumnFormat(i));
  m_model->SetColumns(titles, formats);
  for (int i = 0; i < titles.size() && i < widths.size(); ++i)
    m_details->header()->resizeSection(i, widths.at(i));
}

int CKvListCtrl::AddRow(const QStringList& texts, int image) {
  if (texts.isEmpty())
    return 0;
  m_model->AppendRow(texts, image);
  return int(texts.size());
}

void CKvListCtrl::SetExStyle(unsigned bits) {
  m_nExStyle |= bits;
  m_model->SetCheckBoxes(m_nExStyle & LVS_EX_CHECKBOXES);
  m_details->viewport()->update();
}

void CKvListCtrl::ModifyStyle(unsigned remove, unsigned add) {
  const unsigned style = (m_nStyle & ~remove) | add;
  const bool newType = (style & LVS_TYPEMASK) != (m_nStyle & LVS_TYPEMASK);
  const bool hadFocus = View()->hasFocus();
  m_nStyle = style;
  applySelectionMode();
  applyEditing();
  if (!newType)
    return;
  showViewType();
  if (hadFocus)
    View()->setFocus();
}

void CKvListCtrl::SetRowColours(const QList<QRgb>& colours) { m_model->SetRowColours(colours); }

// --- Rows ---

int CKvListCtrl::GetItemCount() const { return m_model->rowCount(); }

QString CKvListCtrl::GetItemText(int row, int column) const { return m_model->Text(row, column); }

void CKvListCtrl::SetItemText(int row, int column, const QString& text) {
  m_model->SetText(row, column, text);
}

void CKvListCtrl::DeleteItem(int row) { m_model->RemoveRow(row); }

void CKvListCtrl::DeleteAllItems() { m_model->Clear(); }

void CKvListCtrl::SetCheck(int row, bool checked) { m_model->SetChecked(row, checked); }

bool CKvListCtrl::GetCheck(int row) const { return m_model->Checked(row); }

bool CKvListCtrl::IsSelected(int row) const {
  return m_details->selectionModel()->isRowSelected(row, QModelIndex());
}

QList<int> CKvListCtrl::GetSelectedRows() const {
  QList<int> rows;
  for (const QModelIndex& index : m_details->selectionModel()->selectedRows())
    rows.append(index.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

int CKvListCtrl::GetFirstSelected() const {
  const QList<int> rows = GetSelectedRows();
  return rows.isEmpty() ? -1 : rows.first();
}

int CKvListCtrl::FindAndSelect(const QString& text, bool bNotLess) {
  const int count = GetItemCount();
  if (count == 0)
    return -1;
  const QByteArray wanted = text.toUtf8();  // UTF-8 bytes sort in code-point order
  int found = -1;
  for (int row = 0; row < count && found < 0; ++row) {
    const QString itemText = m_model->Text(row, 0);
    if (bNotLess ? itemText.toUtf8() >= wanted : itemText == text)
      found = row;
  }
  if (found < 0 && bNotLess)
    found = count - 1;
  if (found < 0)
    return -1;
  const QModelIndex index = m_model->index(found, 0);
  View()->scrollTo(index);
  m_details->selectionModel()->setCurrentIndex(
      index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
  return found;
}

int CKvListCtrl::SelectTexts(const QStringList& texts) {
  QStringList left = texts;
  int found = 0;
  for (int row = 0; row < GetItemCount() && !left.isEmpty(); ++row) {
    const qsizetype at = left.indexOf(m_model->Text(row, 0));
    if (at < 0)
      continue;
    left.removeAt(at);
    ++found;
    const QModelIndex index = m_model->index(row, 0);
    View()->scrollTo(index);
    m_details->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
  return found;
}

int CKvListCtrl::GetColumnCount() const { return m_model->columnCount(); }

QString CKvListCtrl::GetColumnTitle(int column) const { return m_model->ColumnTitle(column).left(255); }

int CKvListCtrl::ColumnFromPoint(const QPoint& globalPos) const {
  if (View() != m_details)
    return 0;
  const QPoint pos = m_details->viewport()->mapFromGlobal(globalPos);
  const int column = m_details->header()->logicalIndexAt(pos.x());
  return column < 0 ? 0 : column;
}

bool CKvListCtrl::WriteText(const QString& path) const { return KvListToText(*this, path); }

bool CKvListCtrl::GetPrintIdentity(int* formId, QString* title) const {
  *formId = 0;
  title->clear();
  if (!m_pDb || !m_pDb->IsOpen())
    return false;
  if (GetPrintInfo(formId, title))
    return true;
  const auto* dialog = qobject_cast<const CKvDlg*>(window());
  if (!dialog)
    return false;
  *title = dialog->windowTitle();
  *formId = int(dialog->TemplateId());
  return true;
}

int CKvListCtrl::ColumnCount() const { return GetColumnCount(); }

QString CKvListCtrl::ColumnTitle(int column) const { return m_model->ColumnTitle(column); }

Qt::Alignment CKvListCtrl::ColumnAlignment(int column) const {
  return KvListModel::Alignment(m_model->ColumnFormat(column)) & Qt::AlignHorizontal_Mask;
}

int CKvListCtrl::ColumnPixelWidth(int column) const { return m_details->header()->sectionSize(column); }

int CKvListCtrl::RowCount() const { return GetItemCount(); }

QString CKvListCtrl::CellText(int row, int column) const { return m_model->Text(row, column); }

// --- Virtual operations ---

int CKvListCtrl::GetSelectedTexts(QStringList* texts) const {
  texts->clear();
  for (int row : GetSelectedRows())
    texts->append(m_model->Text(row, 0));
  return int(texts->size());
}

int CKvListCtrl::GetCopyTexts(QStringList* texts) const { return GetSelectedTexts(texts); }

int CKvListCtrl::GetColumnFormat(int) const { return LVCFMT_LEFT; }

void CKvListCtrl::GetIconIds(QList<int>*) const {}

bool CKvListCtrl::GetPrintInfo(int* formId, QString* title) const {
  *formId = 0;
  title->clear();
  return false;
}

bool CKvListCtrl::IsCmdEnabled(int id) {
  const int rows = GetItemCount();
  switch (id) {
    case KV_CMD_FILE_PRINT:
    case KV_CMD_FILE_PAGE_SETUP: {
      int formId = 0;
      QString title;
      return GetPrintIdentity(&formId, &title);
    }
    case KV_CMD_OPEN:
    case KV_CMD_MODIFY:
    case KV_CMD_DELETE:
    case KV_CMD_EDIT_COPY:
    case KV_CMD_EDIT_CUT: return m_details->selectionModel()->hasSelection();
    case KV_CMD_FORWARD: return GetSelectedRows().size() == 1;
    case KV_CMD_INVERT_SELECTION:
    case KV_CMD_EDIT_SELECT_ALL: return rows > 0 && !(m_nStyle & LVS_SINGLESEL);
    case KV_CMD_EDIT_FIND: return rows > 0;
    case KV_CMD_EDIT_FIND_NEXT: return rows > 0 && !m_find.Text().isEmpty();
    case KV_CMD_EDIT_PASTE: return KvClipboardHasRows(m_nClipboardFormat);
    case KV_CMD_FILE_SAVE_AS: return KvAppServiceHasRight(QStringLiteral("0012"));
    default: return true;
  }
}

void CKvListCtrl::SelectAll() {
  const int rows = GetItemCount();
  if (rows == 0)
    return;
  const QItemSelection all(m_model->index(0, 0), m_model->index(rows - 1, 0));
  m_details->selectionModel()->select(all, QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void CKvListCtrl::InvertSelection() {
  const int rows = GetItemCount();
  if (rows == 0)
    return;
  const QItemSelection all(m_model->index(0, 0), m_model->index(rows - 1, 0));
  m_details->selectionModel()->select(all, QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
}

void CKvListCtrl::OnSaveAs() {
  int formId = 0;
  QString title;
  if (!GetPrintIdentity(&formId, &title))
    title = QStringLiteral("青禾苑文档");
  KvListExport(*this, title, formId, this);
}

void CKvListCtrl::OnPrint() {
  KvListPrintTarget target;
  if (!GetPrintIdentity(&target.formId, &target.title))
    return;
  target.db = m_pDb;
  KvPrintListRows(*this, target, KV_CMD_FILE_PRINT);
}

void CKvListCtrl::OnPageSetup() {
  KvListPrintTarget target;
  if (!GetPrintIdentity(&target.formId, &target.title))
    return;
  target.db = m_pDb;
  KvRunListPageSetup(target);
}

void CKvListCtrl::OnPrintSetup() { CKvCommandRouter::Instance()->ExecuteOnFrame(KV_CMD_FILE_PRINT_SETUP); }

void CKvListCtrl::OnFind() {
  if (m_bFromMenu)
    m_nSearchColumn = ColumnFromPoint(m_menuPoint);
  const int first = GetFirstSelected();
  if (first >= 0)
    m_nSearchStart = first;
  if (m_find.Ask(this, m_nSearchColumn))
    search();
}

void CKvListCtrl::OnFindNext() {
  if (!m_find.Text().isEmpty())
    search();
}

void CKvListCtrl::OnCalculator() { KvRunCalculator(false, QString(), this, nullptr); }

void CKvListCtrl::search() {
  const int rows = GetItemCount();
  if (rows == 0)
    return;
  // A list with fewer columns than the search column is searched in its
  // first column.
  const int column = m_nSearchColumn < GetColumnCount() ? m_nSearchColumn : 0;
  for (int step = 1; step <= rows; ++step) {
    const int row = int((qint64(m_nSearchStart) + step) % rows);
    if (m_find.Matches(m_model->Text(row, column))) {
      m_nSearchStart = row;
      selectOnly(row);
      return;
    }
  }
  KvMessageBox(QStringLiteral("没有查找到含 “") + m_find.Text() + QStringLiteral("”的项！"),
               KV_MB_OK | KV_MB_ICONINFORMATION);
}

void CKvListCtrl::selectOnly(int row) {
  const QModelIndex index = m_model->index(row, 0);
  View()->scrollTo(index);
  m_details->selectionModel()->setCurrentIndex(
      index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

// --- Commands ---

bool CKvListCtrl::HandlesCmd(int id) const {
  switch (id) {
    case KV_CMD_VIEW_LARGE_ICONS:
    case KV_CMD_VIEW_SMALL_ICONS:
    case KV_CMD_VIEW_LIST:
    case KV_CMD_VIEW_DETAILS:
    case KV_CMD_BACK:
    case KV_CMD_FORWARD:
    case KV_CMD_INVERT_SELECTION:
    case KV_CMD_FILE_SAVE_AS:
    case KV_CMD_FILE_PAGE_SETUP:
    case KV_CMD_FILE_PRINT_SETUP:
    case KV_CMD_FILE_PRINT:
    case KV_CMD_EDIT_SELECT_ALL: return true;
    default: return KvRowControl::HandlesCmd(id);
  }
}

void CKvListCtrl::ExecuteCmd(int id) {
  switch (id) {
    case KV_CMD_VIEW_LARGE_ICONS: ModifyStyle(LVS_TYPEMASK, LVS_ICON); break;
    case KV_CMD_VIEW_SMALL_ICONS: ModifyStyle(LVS_TYPEMASK, LVS_SMALLICON); break;
    case KV_CMD_VIEW_LIST: ModifyStyle(LVS_TYPEMASK, LVS_LIST); break;
    case KV_CMD_VIEW_DETAILS: ModifyStyle(LVS_TYPEMASK, LVS_REPORT); break;
    case KV_CMD_BACK: OnMoveLeft(); break;
    case KV_CMD_FORWARD: OnMoveRight(); break;
    case KV_CMD_INVERT_SELECTION: InvertSelection(); break;
    case KV_CMD_FILE_SAVE_AS: OnSaveAs(); break;
    case KV_CMD_FILE_PAGE_SETUP: OnPageSetup(); break;
    case KV_CMD_FILE_PRINT_SETUP: OnPrintSetup(); break;
    case KV_CMD_FILE_PRINT: OnPrint(); break;
    case KV_CMD_EDIT_SELECT_ALL: SelectAll(); break;
    default: KvRowControl::ExecuteCmd(id); break;
  }
}

void CKvListCtrl::showContextMenu(QAbstractItemView* view, const QPoint& viewportPos) {
  m_menuPoint = view->viewport()->mapToGlobal(viewportPos);
  m_bFromMenu = true;
  std::unique_ptr<QMenu> menu(BuildContextMenu());
  OnPrepareContextMenu(menu.get());
  KvTrackPopupMenu(menu.get(), m_menuPoint, this);
}

QMenu* CKvListCtrl::BuildContextMenu() { return KvBuildPopupMenu(KV_MENU_LIST, this); }

void CKvListCtrl::ResetFind() {
  m_find = KvFindText();
  m_nSearchStart = 0;
}

bool CKvListCtrl::ClaimsKey(const QKeyEvent* event) const { return SharedKeyCommand(event) != 0; }

bool CKvListCtrl::HandleKey(const QKeyEvent* event) {
  if (HandleSharedKey(event))
    return true;
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right: {
      const bool left = event->key() == Qt::Key_Left;
      if (!ctrl && KvCmdEnabled(this, left ? KV_CMD_BACK : KV_CMD_FORWARD))
        left ? OnMoveLeft() : OnMoveRight();
      return false;  // the view still moves
    }
    case Qt::Key_F2:
      if (m_nStyle & LVS_EDITLABELS)
        RunIfEnabled(KV_CMD_MODIFY);
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: RunIfEnabled(KV_CMD_OPEN); return true;
    case Qt::Key_A: if (ctrl) RunIfEnabled(KV_CMD_EDIT_SELECT_ALL); return ctrl;
    case Qt::Key_P: if (ctrl) RunIfEnabled(KV_CMD_FILE_PRINT); return ctrl;
    case Qt::Key_R: if (ctrl) RunIfEnabled(KV_CMD_INVERT_SELECTION); return ctrl;
    default: return false;
  }
}

bool CKvListCtrl::eventFilter(QObject* watched, QEvent* event) {
  if (watched != m_details && watched != m_icons)
    return QWidget::eventFilter(watched, event);
  if (event->type() == QEvent::ShortcutOverride) {
    // Ctrl+N and the like of a list inside a document window are the
    // list's, not those of the main window's menu.
    if (!m_bEditing && ClaimsKey(static_cast<QKeyEvent*>(event))) {
      event->accept();
      return true;
    }
    return false;
  }
  if (event->type() != QEvent::KeyPress)
    return QWidget::eventFilter(watched, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  m_bFromMenu = false;
  // Keys the in-place editor passes on (Enter ends the edit) are its own.
  if (m_bEditing)
    return false;
  if (HandleKey(key))
    return true;
  // A letter searches the pinyin initials and is not passed on: the view's
  // own search by first letters would move the selection again.
  if (m_find.TypeKey(key)) {
    search();
    return true;
  }
  return false;
}
