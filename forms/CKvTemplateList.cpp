#include "forms/CKvTemplateList.h"

#include "app/CKvApp.h"
#include "app/CKvOperation.h"
#include "app/CKvTemplateBox.h"
#include "app/KvAppFrame.h"
#include "app/KvDocOpenMode.h"
#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvMessage.h"
#include "core/KvRegistry.h"
#include "core/KvSameDataFile.h"
#include "core/KvText.h"
#include "forms/CFormDataType.h"
#include "forms/CKvDocTemplate.h"
#include "forms/KvStoredTemplate.h"
#include "ui/CKvCommandRegistry.h"
#include "ui/KvCommands.h"
#include "ui/KvObjectNames.h"
#include "ui/KvResources.h"
#include "ui/KvRowClipboard.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QMenu>
#include <QTreeView>
#include <algorithm>
#include <memory>

namespace {

// Control id of the list on its page.
constexpr int kListId = 1301;
// Operation code of the template list's log entries.
constexpr int kLogTemplates = 14;
const QString kCopyPrefix = QStringLiteral("复件_");

QString styleKey(int nModule) { return QStringLiteral("ListStyle_%1").arg(nModule); }

// The picture of a type: its own, else the program's.
int iconOf(const KvDocTypeEntry& entry) {
  return KvResourceIcon(entry.nIcon).isNull() ? int(KV_ICON_APP) : entry.nIcon;
}

void stop(const QString& text) { KvMessageBox(text, KV_MB_OK | KV_MB_ICONSTOP); }

// Names the copy "复件_<name>" (a name that has the prefix keeps it). A
// name the store could not keep whole with the prefix is refused, told.
bool nameCopy(KvFormEntry& entry) {
  if (entry.sFna.startsWith(kCopyPrefix))
    return true;
  if (!KvFormEntry::TitleFits(entry.nOption, kCopyPrefix + entry.sFna)) {
    stop(QStringLiteral("〔%1〕的名称太长，加上“%2”后无法保存，请先缩短名称！").arg(entry.sFna, kCopyPrefix));
    return false;
  }
  entry.sFna.prepend(kCopyPrefix);
  return true;
}

// "<template number> <sequence number>"; false for any other text.
bool parseKey(const QString& text, int* pnFlag, int* pnForm) {
  const QStringList parts = text.simplified().split(u' ');
  if (parts.size() != 2)
    return false;
  bool okFlag = false, okForm = false;
  *pnFlag = parts.at(0).toInt(&okFlag);
  *pnForm = parts.at(1).toInt(&okForm);
  return okFlag && okForm;
}

}  // namespace

CKvTemplateList::CKvTemplateList(QWidget* pParent, int nModule)
    : CKvListCtrl(pParent), m_nModule(nModule) {
  KvSetControlId(this, kListId);
  SetExStyle(LVS_EX_CHECKBOXES);
  QString stored;
  int style = LVS_ICON;
  if (KvRegReadString(KvRegRoot::CurrentUser, KvGetRegKeyPath(), styleKey(nModule), &stored)) {
    bool ok = false;
    const int value = stored.toInt(&ok);
    if (ok && value >= int(LVS_ICON) && value <= int(LVS_LIST))
      style = value;
  }
  ModifyStyle(LVS_TYPEMASK, unsigned(style));
  SetColumns({QStringLiteral("文档模板"), QStringLiteral("模板号"), QStringLiteral("序号"),
              QStringLiteral("功能说明")},
             {250, 60, 40, 600});
  InitList();
  // The check shows the right: a click or a key that changes it is undone.
  connect(View()->model(), &QAbstractItemModel::dataChanged, this,
          [this](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
            if (!m_bRefilling && roles.contains(Qt::CheckStateRole))
              restoreChecks();
          });
}

CKvTemplateList::~CKvTemplateList() = default;

QString CKvTemplateList::ShownName(const KvDocTypeEntry& entry) {
  return QString(entry.sName).remove(QStringLiteral("#co_name"));
}

CFormDataType* CKvTemplateList::GetDataType() const {
  return dynamic_cast<CFormDataType*>(KvFindDataType(m_nModule));
}

void CKvTemplateList::GetIconIds(QList<int>* ids) const {
  ids->clear();
  if (const CFormDataType* module = GetDataType())
    for (const auto& pTemplate : module->GetTemplates())
      for (const KvDocTypeEntry& entry : pTemplate->Entries())
        if (!ids->contains(iconOf(entry)))
          ids->append(iconOf(entry));
}

void CKvTemplateList::Refill() {
  m_bRefilling = true;
  CFormDataType* module = GetDataType();
  if (module) {
    for (const auto& pTemplate : module->GetTemplates())
      pTemplate->Entries().removeIf([](const KvDocTypeEntry& e) { return e.bStored != 0; });

    QList<int> flags, forms;
    QStringList names;
    if (m_pDb && m_pDb->IsOpen()) {
      CKvQuery query(2, 0, 1, m_pDb);
      if (query.Open(QStringLiteral(
              "SELECT nFlag,nForm,rtrim(sFna) FROM KvFormList WHERE nOpen<>0 ORDER BY nFlag,nForm")))
        for (; !query.IsEOF(); query.MoveNext()) {
          flags.append(query.GetLong(0));
          forms.append(query.GetLong(1));
          names.append(query.GetText(0));
        }
    }

    for (const auto& pTemplate : module->GetTemplates()) {
      QList<KvDocTypeEntry>& entries = pTemplate->Entries();
      if (!module->AcceptsCopies(*pTemplate) || !pTemplate->AllowsCopies() || entries.isEmpty())
        continue;
      // A stored copy looks like the template's last type, under its own
      // number and name; how its documents open is its own.
      KvDocTypeEntry prototype = entries.last();
      prototype.openArgs.clear();
      prototype.bArgsLoaded = false;
      for (qsizetype i = 0; i < flags.size(); ++i) {
        if (flags.at(i) != pTemplate->GetFlag())
          continue;
        prototype.nForm = forms.at(i);
        KvFormEntry::SplitTitle(names.at(i), prototype.nOption, prototype.sName);
        prototype.sDesc = prototype.sName;
        const int index = pTemplate->FindEntry(forms.at(i));
        if (index >= 0) {
          KvDocTypeEntry& existing = entries[index];
          KvDocTypeEntry updated = prototype;
          updated.bStored = existing.bStored;
          updated.openArgs = existing.openArgs;
          updated.bArgsLoaded = existing.bArgsLoaded;
          existing = updated;
        } else {
          KvDocTypeEntry added = prototype;
          added.bStored = 1;
          entries.append(added);
        }
      }
    }
  }

  LoadImageLists();
  QList<int> icons;
  GetIconIds(&icons);
  DeleteAllItems();
  m_rowFlags.clear();
  m_rowForms.clear();
  m_rowRights.clear();
  if (module) {
    for (const auto& pTemplate : module->GetTemplates()) {
      for (KvDocTypeEntry& entry : pTemplate->Entries()) {
        entry.bRight = KvHasRightCode(entry.sRight) ? 1 : 0;
        AddRow({ShownName(entry),
                QString::number(pTemplate->GetFlag()), QString::number(entry.nForm),
                QString(entry.sDesc).remove(QStringLiteral("#co_name"))},
               int(icons.indexOf(iconOf(entry))));
        SetCheck(GetItemCount() - 1, entry.bRight != 0);
        m_rowFlags.append(pTemplate->GetFlag());
        m_rowForms.append(entry.nForm);
        m_rowRights.append(entry.bRight != 0);
      }
    }
  }
  m_bRefilling = false;
}

void CKvTemplateList::restoreChecks() {
  m_bRefilling = true;
  for (int row = 0; row < GetItemCount() && row < m_rowRights.size(); ++row)
    if (GetCheck(row) != m_rowRights.at(row))
      SetCheck(row, m_rowRights.at(row));
  m_bRefilling = false;
}

int CKvTemplateList::FindRow(int nFlag, int nForm) const {
  for (int row = 0; row < m_rowFlags.size(); ++row)
    if (m_rowFlags.at(row) == nFlag && m_rowForms.at(row) == nForm)
      return row;
  return -1;
}

void CKvTemplateList::SelectRow(int nRow, bool bAdd) {
  if (nRow < 0 || nRow >= GetItemCount())
    return;
  const QModelIndex index = View()->model()->index(nRow, 0);
  DetailsView()->selectionModel()->setCurrentIndex(
      index, (bAdd ? QItemSelectionModel::Select : QItemSelectionModel::ClearAndSelect) |
                 QItemSelectionModel::Rows);
  View()->scrollTo(index);
  setFocus();
}

bool CKvTemplateList::GetRowKey(int nRow, int* pnFlag, int* pnForm) const {
  if (nRow < 0 || nRow >= m_rowFlags.size())
    return false;
  *pnFlag = m_rowFlags.at(nRow);
  *pnForm = m_rowForms.at(nRow);
  return true;
}

bool CKvTemplateList::GetSelectedKey(int* pnFlag, int* pnForm) const {
  const QList<int> rows = GetSelectedRows();
  return rows.size() == 1 && GetRowKey(rows.first(), pnFlag, pnForm);
}

int CKvTemplateList::GetSelectedKeys(QStringList* keys) const {
  keys->clear();
  for (int row : GetSelectedRows())
    keys->append(GetItemText(row, 1) + u' ' + GetItemText(row, 2));
  return int(keys->size());
}

bool CKvTemplateList::rowEntry(int nRow, KvDocTypeEntry* pEntry, CKvDocTemplate** ppTemplate) const {
  int nFlag = 0, nForm = 0;
  const CFormDataType* module = GetDataType();
  return module && GetRowKey(nRow, &nFlag, &nForm) &&
         module->GetEntry(nFlag, nForm, pEntry, ppTemplate);
}

// --- Add, delete, paste ---

int CKvTemplateList::FirstCopyNumber(const CKvDocTemplate& docTemplate) {
  int nFirst = 0;
  for (const KvDocTypeEntry& entry : docTemplate.Entries())
    if (!entry.bStored)
      nFirst = std::max(nFirst, entry.nForm + 1);
  return nFirst;
}

void CKvTemplateList::OnAddTemplate() {
  KvDocTypeEntry entry;
  CKvDocTemplate* pTemplate = nullptr;
  const int row = GetFirstSelected();
  if (row < 0 || !rowEntry(row, &entry, &pTemplate) || pTemplate->Entries().isEmpty())
    return;
  const int nFlag = pTemplate->GetFlag();
  KvStoredTemplate stored;
  if (stored.Load(m_pDb, nFlag, entry.nForm) <= 0)
    return;
  if (!nameCopy(stored.entry))
    return;
  int nNew = 0;
  if (!stored.WriteCopy(m_pDb, nFlag, FirstCopyNumber(*pTemplate), &nNew))
    return;
  Refill();
  SelectRow(FindRow(nFlag, nNew));
  CKvOperation::WriteLog(kLogTemplates, QStringLiteral("增加文档模板：") + stored.entry.sFna);
}

void CKvTemplateList::OnDelete() {
  if (GetSelectedRows().isEmpty() ||
      KvMessageBox(QStringLiteral("真的要删除文档模板吗？"), KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION) !=
      KV_IDYES)
    return;
  QList<int> kept;
  int deleted = 0;
  for (int row : GetSelectedRows()) {
    KvDocTypeEntry entry;
    int nFlag = 0, nForm = 0;
    GetRowKey(row, &nFlag, &nForm);
    if (rowEntry(row, &entry) && entry.bStored && KvDeleteForms(nFlag, nForm, m_pDb)) {
      // A later copy under the same number starts afresh.
      KvDeleteDocOpenMode(nFlag, nForm);
      CKvOperation::WriteLog(kLogTemplates, QStringLiteral("删除文档模板：") + ShownName(entry));
      ++deleted;
    } else {
      kept.append(row - deleted);
    }
  }
  Refill();
  DetailsView()->selectionModel()->clearSelection();
  for (int row : std::as_const(kept))
    SelectRow(row, true);
}

int CKvTemplateList::ReadClipboard(QStringList* texts, bool* bCut, bool* bSameFile,
                                   CKvDbInfo* from) {
  KvClipboardRows rows;
  const int count = KvReadRowsFromClipboard(m_pDb, m_nClipboardFormat, &rows);
  *texts = rows.texts;
  *bCut = rows.cut;
  *bSameFile = rows.sameFile;
  *from = rows.from;
  m_nPasteKind = rows.kind;
  m_pasteName = rows.name;
  return count;
}

void CKvTemplateList::PasteItems(const QStringList& texts, bool bCut, bool bSameFile,
                                 const CKvDbInfo& from) {
  (void)bCut;
  CKvDb* pSource = m_pDb;
  std::unique_ptr<CKvDb> other;
  if (!bSameFile) {
    other = std::make_unique<CKvDb>(m_nPasteKind);
    CKvDbInfo info = m_nPasteKind == 0 ? CKvDbInfo(0) : from;
    // The clipboard carries no password: the open data file's serves when
    // the source is on the same server under the same user.
    if (m_nPasteKind != 0 && info.m_strPassword.isEmpty() && m_pDb && m_pDb->IsOpen()) {
      const CKvDbInfo own = m_pDb->GetConnectInfo();
      if (KvEqualsIgnoreCase(own.m_strServer, info.m_strServer) && own.m_strUser == info.m_strUser)
        info.m_strPassword = own.m_strPassword;
    }
    other->Open(m_pasteName, info);
    pSource = other.get();
  }
  if (!pSource || !pSource->IsOpen())
    return;

  QList<QPair<int, int>> pasted;
  for (const QString& text : texts) {
    int nFlag = 0, nForm = 0;
    if (!parseKey(text, &nFlag, &nForm))
      continue;
    int nResult = nForm;
    PasteTemplate(nFlag, nForm, &nResult, pSource);
    pasted.append({nFlag, nResult});
  }
  DetailsView()->selectionModel()->clearSelection();
  for (const auto& [nFlag, nForm] : std::as_const(pasted))
    SelectRow(FindRow(nFlag, nForm), true);
}

bool CKvTemplateList::PasteTemplate(int nFlag, int nForm, int* pnResult, CKvDb* pSource) {
  *pnResult = nForm;
  CFormDataType* module = GetDataType();
  if (!module || !pSource || !pSource->IsOpen() || !m_pDb || !m_pDb->IsOpen())
    return false;
  KvStoredTemplate stored;
  const int found = stored.Load(pSource, nFlag, nForm);
  if (found == 0)
    stop(QStringLiteral("源文档模板(%1-%2)尚未存盘，无法粘贴！").arg(nFlag).arg(nForm));
  if (found <= 0)
    return false;

  const QString sourceName = pSource->GetDatabaseName(true);
  const bool same = KvSameDataFile(*m_pDb, pSource->GetKind(), sourceName, pSource->GetConnectInfo());
  KvDocTypeEntry existing;
  CKvDocTemplate* pTemplate = nullptr;
  const bool replace = !same && module->GetEntry(nFlag, nForm, &existing);
  if (replace) {
    // From another data file over a type the module has: replaced in place.
    if (KvMessageBox(QStringLiteral("〔%1〕已存在，覆盖吗？").arg(ShownName(existing)),
                     KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION) != KV_IDYES)
      return false;
  } else {
    if (!module->GetEntry(nFlag, 0, nullptr, &pTemplate)) {
      stop(QStringLiteral("系统不能接受该种文档模板：%1-%2！").arg(nFlag).arg(nForm));
      return false;
    }
    if (!pTemplate->AllowsCopies()) {
      stop(QStringLiteral("系统不能产生该种文档模板(%1-%2)的复件！").arg(nFlag).arg(nForm));
      return false;
    }
    if (same) {
      if (pTemplate->Entries().isEmpty()) {
        stop(QStringLiteral("文档模板异常！"));
        return false;
      }
      if (!nameCopy(stored.entry))
        return false;
    }
  }
  // A copy takes its number from the data file; a template pasted under its
  // own numbers never overwrites one that another workstation stored there
  // since this list was filled.
  const bool written = same      ? stored.WriteCopy(m_pDb, nFlag, FirstCopyNumber(*pTemplate), pnResult)
                       : replace ? stored.Replace(m_pDb, nFlag, nForm, 1)
                                 : stored.Write(m_pDb, nFlag, nForm, 1);
  Refill();
  if (!written)
    return false;
  CKvOperation::WriteLog(kLogTemplates,
                         QStringLiteral("从%1粘贴文档模板：%2").arg(sourceName, stored.entry.sFna));
  return true;
}

// --- Documents ---

void CKvTemplateList::OnNew() {
  int nFlag = 0, nForm = 0;
  if (CFormDataType* module = GetDataType(); module && GetSelectedKey(&nFlag, &nForm))
    module->NewDocument(nFlag, nForm);
}

void CKvTemplateList::OnOpen() {
  int nFlag = 0, nForm = 0;
  if (CFormDataType* module = GetDataType(); module && GetSelectedKey(&nFlag, &nForm))
    module->OpenDocument(nFlag, nForm);
}

// --- Commands ---

bool CKvTemplateList::HandlesCmd(int id) const {
  switch (id) {
    case KV_CMD_ADD_TEMPLATE:
    case KV_CMD_EXPORT_STRUCTURE:
    case KV_CMD_IMPORT_STRUCTURE:
    case KV_CMD_DOC_PROPERTIES:
    case KV_CMD_RENAME_MODULE_TAB:
    case KV_BAR_TEMPLATE_BOX: return true;
    default: return CKvListCtrl::HandlesCmd(id);
  }
}

void CKvTemplateList::ExecuteCmd(int id) {
  switch (id) {
    case KV_CMD_ADD_TEMPLATE: OnAddTemplate(); break;
    case KV_CMD_EXPORT_STRUCTURE: OnExportStructure(); break;
    case KV_CMD_IMPORT_STRUCTURE: OnImportStructure(); break;
    case KV_CMD_DOC_PROPERTIES: {
      int nFlag = 0, nForm = 0;
      if (CFormDataType* module = GetDataType(); module && GetSelectedKey(&nFlag, &nForm))
        module->ShowProperties(nFlag, nForm);
      break;
    }
    case KV_CMD_RENAME_MODULE_TAB:
      for (QWidget* w = parentWidget(); w; w = w->parentWidget())
        if (auto* box = qobject_cast<CKvTemplateBox*>(w)) {
          box->RenameModuleTab();
          break;
        }
      break;
    case KV_BAR_TEMPLATE_BOX: KvShowTemplateBox(!KvIsTemplateBoxVisible()); break;
    case KV_CMD_VIEW_LARGE_ICONS:
    case KV_CMD_VIEW_SMALL_ICONS:
    case KV_CMD_VIEW_LIST:
    case KV_CMD_VIEW_DETAILS:
      CKvListCtrl::ExecuteCmd(id);
      saveViewStyle();
      break;
    default: CKvListCtrl::ExecuteCmd(id); break;
  }
}

void CKvTemplateList::saveViewStyle() const {
  KvRegWriteString(KvRegRoot::CurrentUser, KvGetRegKeyPath(), styleKey(m_nModule),
                   QString::number(GetStyle() & LVS_TYPEMASK));
}

bool CKvTemplateList::IsCmdEnabled(int id) {
  if (CFormDataType* module = GetDataType(); module && !module->IsCommandAllowed(id))
    return false;
  const QList<int> rows = GetSelectedRows();
  const qsizetype n = rows.size();
  KvDocTypeEntry entry;
  CKvDocTemplate* pTemplate = nullptr;
  const bool found = n > 0 && rowEntry(rows.first(), &entry, &pTemplate);
  switch (id) {
    case KV_CMD_NEW: return n == 1 && found && entry.bRight && entry.nLock == 0;
    case KV_CMD_OPEN:
    case KV_CMD_DOC_PROPERTIES: return n == 1 && found && entry.bRight;
    case KV_CMD_MODIFY: return n > 1 || (n == 1 && found && entry.bStored);
    case KV_CMD_ADD_TEMPLATE: return n == 1 && found && pTemplate->AllowsCopies();
    case KV_CMD_DELETE:
    case KV_CMD_EXPORT_STRUCTURE: return n > 0;
    case KV_CMD_EDIT_COPY: return found && entry.bRight;
    case KV_CMD_EDIT_CUT: return false;
    case KV_CMD_EDIT_PASTE:
    case KV_CMD_IMPORT_STRUCTURE:
    case KV_CMD_RENAME_MODULE_TAB:
    case KV_BAR_TEMPLATE_BOX: return true;
    default: return CKvListCtrl::IsCmdEnabled(id);
  }
}

QMenu* CKvTemplateList::BuildContextMenu() {
  QMenu* menu = CKvListCtrl::BuildContextMenu();
  QAction* cut = nullptr;
  for (QAction* action : menu->actions()) {
    const int id = KvActionCommandId(action);
    if (id == KV_CMD_MODIFY)
      menu->removeAction(action);
    else if (id == KV_CMD_EDIT_CUT)
      cut = action;
  }
  const CKvCommandRegistry& registry = CKvCommandRegistry::Instance();
  for (int id : std::initializer_list<int>{KV_CMD_ADD_TEMPLATE, KV_CMD_DOC_PROPERTIES, KV_CMD_EXPORT_STRUCTURE,
                 KV_CMD_IMPORT_STRUCTURE, 0, KV_CMD_RENAME_MODULE_TAB, KV_BAR_TEMPLATE_BOX, 0}) {
    QAction* action = nullptr;
    if (id == 0) {
      action = new QAction(menu);
      action->setSeparator(true);
    } else {
      action = registry.CreateAction(id, menu);
    }
    menu->insertAction(cut, action);
  }
  if (cut) {
    menu->removeAction(cut);
    delete cut;
  }
  return menu;
}
