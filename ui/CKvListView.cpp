#include "ui/CKvListView.h"

#include "core/CKvDb.h"
#include "ui/CKvCommandRegistry.h"
#include "ui/CKvWaitWnd.h"
#include "ui/KvCommands.h"
#include "ui/KvListExport.h"
#include "ui/KvListPrint.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QTreeView>

CKvListView::CKvListView(QWidget* parent) : CKvListCtrl(parent) {
  connect(DetailsView()->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { OnSelChange(); });
}

void CKvListView::initialUpdate() {
  InitList();
  ResetFind();
  ModifyStyle(LVS_TYPEMASK, LVS_REPORT);
  QList<int> widths;
  QStringList captions;
  GetColumns(&widths, &captions);
  QStringList titles;
  for (int i = 0; i < widths.size(); ++i)
    titles.append(captions.value(i));
  SetColumns(titles, widths);
  Fill();
}

void CKvListView::GetColumns(QList<int>*, QStringList*) const {}

void CKvListView::Fill() {}

void CKvListView::OnSelChange() {}

void CKvListView::CopyRows(bool bCut) { KvRowControl::CopyItems(bCut); }

int CKvListView::GetCopyRows(QStringList* rows) const { return GetSelectedTexts(rows); }

int CKvListView::ReadClipboardRows(QStringList* texts, bool* bCut, bool* bSameFile, CKvDbInfo* from) {
  return KvRowControl::ReadClipboard(texts, bCut, bSameFile, from);
}

void CKvListView::PasteRows(const QStringList&, bool, bool, const CKvDbInfo&) {}

void CKvListView::OnRefresh() {
  QStringList selected;
  GetSelectedTexts(&selected);
  CKvWaitWnd wait;
  wait.Show(this);
  Fill();
  SelectTexts(selected);
}

void CKvListView::OnOpen() { OnModify(); }

bool CKvListView::printTarget(KvListPrintTarget* target) const {
  *target = KvListPrintTarget();
  target->printSet = KvAppPrintSet();
  target->db = m_pDb;
  return target->printSet && m_pDb && m_pDb->IsOpen() && GetPrintInfo(&target->formId, &target->title);
}

bool CKvListView::IsCmdEnabled(int id) {
  if (id == KV_CMD_FILE_PRINT || id == KV_CMD_FILE_PAGE_SETUP) {
    KvListPrintTarget target;
    return printTarget(&target);
  }
  return CKvListCtrl::IsCmdEnabled(id);
}

void CKvListView::OnSaveAs() {
  KvListPrintTarget target;
  if (!printTarget(&target)) {
    target.formId = 0;
    target.title = QStringLiteral("青禾苑文档");
  }
  KvListExport(*this, target.title, target.formId, this);
}

void CKvListView::OnPrint() {
  KvListPrintTarget target;
  if (printTarget(&target))
    KvPrintListRows(*this, target, KV_CMD_FILE_PRINT);
}

void CKvListView::OnPageSetup() {
  KvListPrintTarget target;
  if (printTarget(&target))
    KvRunListPageSetup(target);
}

namespace {
bool isRefreshKey(const QKeyEvent* event) {
  return event->key() == Qt::Key_F5 && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}
}  // namespace

bool CKvListView::HandleKey(const QKeyEvent* event) {
  if (!isRefreshKey(event))
    return CKvListCtrl::HandleKey(event);
  RunIfEnabled(KV_CMD_REFRESH);
  return true;
}

bool CKvListView::ClaimsKey(const QKeyEvent* event) const {
  return isRefreshKey(event) || CKvListCtrl::ClaimsKey(event);
}

bool CKvListView::HandlesCmd(int id) const { return id == KV_CMD_REFRESH || CKvListCtrl::HandlesCmd(id); }

void CKvListView::ExecuteCmd(int id) {
  if (id == KV_CMD_REFRESH)
    OnRefresh();
  else
    CKvListCtrl::ExecuteCmd(id);
}

QMenu* CKvListView::BuildContextMenu() {
  QMenu* menu = CKvListCtrl::BuildContextMenu();
  static const QList<int> left = {KV_CMD_EDIT_FIND_NEXT, KV_CMD_CALCULATOR, KV_CMD_FILE_SAVE_AS,
                                  KV_CMD_FILE_PRINT, KV_CMD_FILE_PAGE_SETUP};
  // A separator goes with the command after it: removed when that command is.
  const QList<QAction*> actions = menu->actions();
  for (qsizetype i = 0; i < actions.size(); ++i) {
    QAction* action = actions.at(i);
    qsizetype next = i;
    while (next < actions.size() && actions.at(next)->isSeparator())
      ++next;
    if (next < actions.size() && left.contains(KvActionCommandId(actions.at(next)))) {
      menu->removeAction(action);
      delete action;
    }
  }
  return menu;
}
