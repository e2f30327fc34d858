#include "forms/CKvPublicPage.h"

#include "ui/CKvCommandRegistry.h"
#include "ui/KvCommands.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QAction>
#include <QItemSelectionModel>
#include <QMenu>
#include <QTreeView>

#include <algorithm>

namespace {
// A column is not widened beyond this for a long text.
constexpr int kMostFittedWidth = 320;
}  // namespace

// --- The list ---

CKvPublicPageList::CKvPublicPageList(CKvPublicPage* pPage, int nIconId, QWidget* parent)
    : CKvListCtrl(parent), m_pPage(pPage), m_nIconId(nIconId) {
  // The model tells of every check change; those the operator makes go to
  // the page, which may put the check back.
  connect(DetailsView()->model(), &QAbstractItemModel::dataChanged, this,
          [this](const QModelIndex& first, const QModelIndex& last, const QList<int>& roles) {
            if (m_bQuiet || !roles.contains(Qt::CheckStateRole))
              return;
            for (int row = first.row(); row <= last.row(); ++row)
              m_pPage->OnListCheckChanged(row, GetCheck(row));
          });
}

void CKvPublicPageList::SetPageColumns(const QStringList& titles, const QList<int>& widths,
                                       const QList<int>& formats) {
  m_formats = formats;
  m_widths = widths;
  SetColumns(titles, widths);
}

void CKvPublicPageList::FitColumns() {
  QHeaderView* header = DetailsView()->header();
  for (int column = 0; column < m_widths.size() && column < GetColumnCount(); ++column) {
    DetailsView()->resizeColumnToContents(column);
    const int needed = std::max(m_widths.at(column), header->sectionSize(column));
    header->resizeSection(column, std::min(needed, std::max(m_widths.at(column), kMostFittedWidth)));
  }
}

void CKvPublicPageList::SetCheckQuietly(int row, bool checked) {
  const bool wasQuiet = m_bQuiet;
  m_bQuiet = true;
  SetCheck(row, checked);
  m_bQuiet = wasQuiet;
}

void CKvPublicPageList::SelectRows(const QList<int>& rows) {
  QItemSelectionModel* selection = DetailsView()->selectionModel();
  selection->clearSelection();
  for (int row : rows) {
    if (row < 0 || row >= GetItemCount())
      continue;
    const QModelIndex index = DetailsView()->model()->index(row, 0);
    selection->setCurrentIndex(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    View()->scrollTo(index);
  }
}

int CKvPublicPageList::GetColumnFormat(int column) const { return m_formats.value(column, LVCFMT_LEFT); }

void CKvPublicPageList::GetIconIds(QList<int>* ids) const { *ids = {m_nIconId}; }

bool CKvPublicPageList::IsCmdEnabled(int id) {
  return m_pPage->IsListCmdEnabled(id, CKvListCtrl::IsCmdEnabled(id));
}

bool CKvPublicPageList::HandlesCmd(int id) const {
  return id == KV_CMD_RESTORE_DEFAULTS || CKvListCtrl::HandlesCmd(id);
}

void CKvPublicPageList::ExecuteCmd(int id) {
  if (id == KV_CMD_RESTORE_DEFAULTS)
    m_pPage->OnListRestoreDefaults();
  else
    CKvListCtrl::ExecuteCmd(id);
}

int CKvPublicPageList::GetCopyTexts(QStringList* texts) const {
  m_pPage->GetListCopyTexts(texts);
  return int(texts->size());
}

void CKvPublicPageList::PasteItems(const QStringList& texts, bool, bool, const CKvDbInfo&) {
  m_pPage->OnListPaste(texts);
}

void CKvPublicPageList::OnPrepareContextMenu(QMenu* popup) {
  const QList<int> hidden = m_pPage->HiddenMenuCommands();
  QAction* afterDelete = nullptr;
  const QList<QAction*> actions = popup->actions();
  for (int i = 0; i < actions.size(); ++i) {
    QAction* action = actions.at(i);
    const int id = KvActionCommandId(action);
    if (id == KV_CMD_DELETE)
      afterDelete = actions.value(i + 1);
    if (id != 0 && hidden.contains(id)) {
      popup->removeAction(action);
      delete action;
    }
  }
  QAction* restore = CKvCommandRegistry::Instance().CreateAction(KV_CMD_RESTORE_DEFAULTS, popup);
  popup->insertAction(afterDelete, restore);
}

void CKvPublicPageList::OnNew() { m_pPage->OnListNew(); }

// Enter and a double click open a row: the pages edit it.
void CKvPublicPageList::OnOpen() {
  if (GetSelectedRows().size() == 1 && KvCmdEnabled(this, KV_CMD_MODIFY))
    m_pPage->OnListModify();
}

void CKvPublicPageList::OnModify() { m_pPage->OnListModify(); }

void CKvPublicPageList::OnDelete() { m_pPage->OnListDelete(); }

// --- The page ---

CKvPublicPage::CKvPublicPage(unsigned templateId, CKvDoc* pDoc, KvFormEntry* pEntry, QWidget* parent)
    : CKvPropertyPage(templateId, parent), m_pDoc(pDoc), m_pEntry(pEntry) {}

void CKvPublicPage::GetToolTipText(QString* text, int controlId) {
  (void)controlId;
  text->clear();
}

void CKvPublicPage::SetHelp(QWidget* control, const QString& text) { control->setWhatsThis(text); }
