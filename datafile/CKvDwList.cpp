#include "datafile/CKvDwList.h"

#include "app/CKvApp.h"
#include "app/CKvDwRec.h"
#include "app/CKvOperation.h"
#include "app/KvDwMaintenance.h"
#include "app/KvDwRight.h"
#include "core/CKvDb.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "core/KvNumber.h"
#include "core/KvWidth.h"
#include "datafile/CKvDwEditDlg.h"
#include "datafile/KvDwExport.h"
#include "datafile/KvDwImport.h"
#include "ui/CKvCommandRegistry.h"
#include "ui/CKvWaitWnd.h"
#include "ui/KvAppServices.h"
#include "ui/KvCommands.h"
#include "ui/KvModal.h"
#include "ui/KvRowClipboard.h"

#include <QAction>
#include <QFontMetrics>
#include <QMenu>

namespace {
constexpr int kUnitIcon = 606;
// Record fields in column order.
const int kColumnFields[] = {0, 2, 7, 3, 4, 5, 6, 1, 8};
const char* const kColumnTitles[] = {"代码", "简称", "操作员", "负责人", "主管", "电话", "地址", "名称", "备注"};

void stop(const QString& text) { KvMessageBox(text, KV_MB_OK | KV_MB_ICONSTOP); }
bool askYes(const QString& text) {
  return KvMessageBox(text, KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION) == KV_IDYES;
}
QString parentOf(const QString& code) {
  CKvDwRec parent;
  parent.KvFindDwEx(code);
  return parent.KNO;
}
QString shortNameOf(const QString& code) {
  CKvDwRec unit;
  unit.KvFindDw(code, 0);
  return unit.JA;
}
}  // namespace

CKvDwList::CKvDwList(QWidget* parent) : CKvListCtrl(parent) {}

bool CKvDwList::HasRight(const char* code) {
  CKvApp* app = KvGetApp();
  return (app && app->GetDataFile().GetOperatorCode() == u"101") || KvHasRightCode(QString::fromLatin1(code));
}

void CKvDwList::GetIconIds(QList<int>* ids) const { *ids = {kUnitIcon}; }

void CKvDwList::Fill() {
  CKvDwArray& units = KvGetDwArray();
  CKvDwRec().KvSelectDw(QString(), QStringLiteral("Order By KNO"), &units, m_pDb);
  DeleteAllItems();
  QStringList titles;
  QList<int> widths;
  const QFontMetrics metrics(font());
  const int charWidth = metrics.horizontalAdvance(u'0');
  for (int column = 0; column < 9; ++column) {
    titles.append(QString::fromUtf8(kColumnTitles[column]));
    int width = qMax(4, KvTextWidth(titles.last()));
    for (const CKvDwRec& unit : units)
      width = qMax(width, KvTextWidth(unit.Field(kColumnFields[column])));
    widths.append((width + 2) * charWidth + (column == 0 ? 24 : 0));
  }
  SetColumns(titles, widths);
  for (const CKvDwRec& unit : units) {
    QStringList texts;
    for (int field : kColumnFields)
      texts.append(unit.Field(field));
    AddRow(texts, 0);
  }
}

QString CKvDwList::SelectedCode() const {
  const int row = GetFirstSelected();
  return row < 0 ? QString() : GetItemText(row, 0);
}

bool CKvDwList::HandlesCmd(int id) const {
  return id == KV_CMD_NEW_SIBLING || id == KV_CMD_DW_EXPORT || id == KV_CMD_DW_IMPORT || id == KV_CMD_DW_CLEAR ||
         CKvListCtrl::HandlesCmd(id);
}

void CKvDwList::ExecuteCmd(int id) {
  switch (id) {
    case KV_CMD_NEW_SIBLING: OnNewSibling(); break;
    case KV_CMD_DW_CLEAR: OnClear(); break;
    case KV_CMD_DW_EXPORT:
      if (KvCmdEnabled(this, id))
        KvExportDw(SelectedCode(), m_pDb, window());
      break;
    case KV_CMD_DW_IMPORT:
      if (KvCmdEnabled(this, id)) {
        const QString code = SelectedCode();
        if (KvImportDw(code, m_pDb, window())) {
          Fill();
          FindAndSelect(code);
        }
      }
      break;
    default: CKvListCtrl::ExecuteCmd(id); break;
  }
}

bool CKvDwList::IsCmdEnabled(int id) {
  const int selected = int(GetSelectedRows().size());
  switch (id) {
    case KV_CMD_NEW:
    case KV_CMD_MODIFY:
    case KV_CMD_OPEN:
    case KV_CMD_DELETE: return selected == 1 && HasRight("0009");
    case KV_CMD_NEW_SIBLING: return (GetItemCount() == 0 || selected == 1) && HasRight("0009");
    case KV_CMD_DW_EXPORT:
    case KV_CMD_DW_IMPORT:
    case KV_CMD_DW_CLEAR: return selected == 1 && HasRight("0010");
    case KV_CMD_EDIT_PASTE: return CKvListCtrl::IsCmdEnabled(id) && selected <= 1 && HasRight("0009");
    default: return CKvListCtrl::IsCmdEnabled(id);
  }
}

void CKvDwList::OnPrepareContextMenu(QMenu* popup) {
  const auto commandAction = [popup](int id) {
    auto* action = new QAction(CKvCommandRegistry::Instance().Caption(id), popup);
    action->setData(id);
    return action;
  };
  QAction* cut = nullptr;
  for (QAction* action : popup->actions()) {
    const int id = action->data().toInt();
    if (id == KV_CMD_NEW)
      action->setText(QStringLiteral("新增下级单位 ....\tCtrl+N"));
    else if (id == KV_CMD_OPEN)
      popup->insertAction(action, commandAction(KV_CMD_NEW_SIBLING));
    else if (id == KV_CMD_EDIT_CUT)
      cut = action;
  }
  if (cut) {
    popup->insertAction(cut, commandAction(KV_CMD_DW_EXPORT));
    popup->insertAction(cut, commandAction(KV_CMD_DW_IMPORT));
    popup->insertAction(cut, commandAction(KV_CMD_DW_CLEAR));
    popup->insertSeparator(cut);
  }
}

void CKvDwList::AddUnder(const QString& parentCode) {
  CKvDwRec last;
  bool again = false;
  for (;;) {
    CKvDwEditDlg dialog(parentCode, true, m_pDb, window());
    if (!dialog.Prepare())
      return;
    if (again)
      dialog.TakeValues(last);
    if (KvExecDialog(&dialog) != QDialog::Accepted)
      return;
    last = dialog.Record();
    again = true;
    Fill();
    FindAndSelect(last.KNO);
  }
}

void CKvDwList::OnNew() {
  if (KvCmdEnabled(this, KV_CMD_NEW))
    AddUnder(SelectedCode());
}

void CKvDwList::OnNewSibling() {
  if (KvCmdEnabled(this, KV_CMD_NEW_SIBLING))
    AddUnder(parentOf(SelectedCode()));
}

void CKvDwList::OnModify() {
  if (!KvCmdEnabled(this, KV_CMD_MODIFY))
    return;
  CKvDwEditDlg dialog(SelectedCode(), false, m_pDb, window());
  if (!dialog.Prepare() || KvExecDialog(&dialog) != QDialog::Accepted)
    return;
  Fill();
  FindAndSelect(dialog.Record().KNO);
}

void CKvDwList::OnDelete() {
  if (!KvCmdEnabled(this, KV_CMD_DELETE))
    return;
  const QString code = SelectedCode();
  if (!askYes(KvFormat("真的要删除%s：%s吗？", KvAppServiceDwCaption(), code)))
    return;
  if (!m_pDb->ReopenMdbExclusive(true))
    return;
  const bool deleted = CKvDwRec().KvDeleteDw(code, m_pDb);
  m_pDb->ReopenMdbExclusive(false);
  if (!deleted)
    return;
  Fill();
  FindAndSelect(code);
  CKvOperation(27, KvFormat("删除：%s", code));
}

bool CKvDwList::SameParent() const {
  QStringList codes;
  GetSelectedTexts(&codes);
  const QString parent = codes.isEmpty() ? QString() : parentOf(codes.first());
  for (const QString& code : codes) {
    if (parentOf(code) != parent) {
      stop(QStringLiteral("复制多项时，只能选择那些同父同级的单位，目前选项并不符合这一规则！"));
      return false;
    }
  }
  return true;
}

void CKvDwList::OnCopy() {
  if (KvCmdEnabled(this, KV_CMD_EDIT_COPY) && SameParent())
    CopyItems(false);
}

void CKvDwList::OnCut() {
  if (KvCmdEnabled(this, KV_CMD_EDIT_CUT) && SameParent())
    CopyItems(true);
}

int CKvDwList::GetCopyTexts(QStringList* texts) const {
  GetSelectedTexts(texts);
  texts->prepend(texts->isEmpty() ? QString() : parentOf(texts->first()));
  return int(texts->size());
}

int CKvDwList::ReadClipboard(QStringList* texts, bool* bCut, bool* bSameFile, CKvDbInfo* from) {
  KvClipboardRows rows;
  const int count = KvReadRowsFromClipboard(m_pDb, m_nClipboardFormat, &rows);
  *texts = rows.texts;
  *bCut = rows.cut;
  *bSameFile = rows.sameFile;
  *from = rows.from;
  m_nSourceKind = rows.kind;
  m_strSourceName = rows.name;
  return count;
}

void CKvDwList::PasteItems(const QStringList& texts, bool bCut, bool bSameFile, const CKvDbInfo& from) {
  if (!KvCheckAllSubDwRight(true) || texts.size() < 2)
    return;
  const QString target = SelectedCode();
  const QString sourceParent = texts.first();
  const QStringList sources = texts.mid(1);
  if (bCut && !bSameFile) {
    stop(QStringLiteral("不能在不同数据文件之间移动核算单位！"));
    return;
  }
  if (bSameFile) {
    if (target == sourceParent) {
      stop(QStringLiteral("不能原地粘贴！"));
      return;
    }
    // Any source, not only the first: a unit pasted under itself would
    // take its own code as a prefix.
    for (const QString& source : sources) {
      if (target.startsWith(source)) {
        stop(QStringLiteral("父单位不能粘贴到它的子单位中！"));
        return;
      }
    }
  }
  QString question = QStringLiteral("粘贴时，目标位置若无选项，表示将源单位粘贴成一级单位，若有选项，"
                                    "将源单位粘贴成选项单位的下一级单位。");
  question += target.isEmpty()
                  ? QStringLiteral("当前无选项，源单位将被粘贴成一级单位。")
                  : KvFormat("当选项单位为“(%s)%s”,源单位将被粘贴成此单位的下一级单位。", target, shortNameOf(target));
  question += QStringLiteral("\n若源单位有子单位，将一起被粘贴，若目标位置已经有同码单位，将另码安置。\n"
                             "你真的要执行此操作吗？");
  if (!askYes(question))
    return;
  CKvDwRec probe;
  const bool leaf = target.isEmpty() ? KvGetDwArray().isEmpty() : probe.KvFindDw(target, 3) == 0;
  if (leaf && !KvDwHasData(target, nullptr, m_pDb)) {
    if (target.isEmpty())
      stop(QStringLiteral("当前账套已有数据，请先手工增加一个核算单位！"));
    else
      stop(KvFormat("“(%s)%s”是一个有数据的末级单位，", target, shortNameOf(target)) +
           QStringLiteral("若真要粘贴，请先请空该单位数据，或先手工为它增加一个子单位！"));
    return;
  }

  // The source file's units: this file's, or those of the file the rows
  // were copied in.
  CKvDb other(m_nSourceKind);
  CKvDb* source = m_pDb;
  if (!bSameFile) {
    CKvDbInfo info = from;
    if (m_nSourceKind != 0)
      info.m_strPassword = m_pDb->GetConnectInfo().m_strPassword;
    if (!other.Open(m_strSourceName, info))
      return;
    source = &other;
  }
  CKvWaitWnd wait;
  wait.Show();
  const QString last = probe.KvLastChildDw(target);
  int width = int(last.size() - target.size());
  if (width <= 0)
    width = int(sources.first().size() - sourceParent.size());
  int next = last.mid(target.size()).toInt() + 1;
  if (!m_pDb->ReopenMdbExclusive(true))
    return;
  QStringList pasted;
  // Why the paste ended before its last source: the level's codes ran out.
  QString full;
  for (const QString& code : sources) {
    const QString tail = code.mid(sourceParent.size());
    int number = tail.toInt();
    CKvDwRec taken;
    if (number != tail.right(width).toInt() || number <= 0 ||
        taken.KvFindDw(target + KvIntToText(number, width), 0) > 0)
      number = next++;
    if (KvNextNumberText(number - 1, width, QStringLiteral("代码"), &full).isEmpty())
      break;
    const QString newCode = target + KvIntToText(number, width);
    bool ok = true;
    if (bCut) {
      CKvDwRec unit;
      ok = unit.KvLoadDw(code, source) > 0;
      unit.KNO = newCode;
      ok = ok && unit.KvModifyDw(code, m_pDb);
    } else {
      CKvDwArray subtree;
      CKvDwRec().KvCountDw(code, &subtree, source);
      for (CKvDwRec unit : subtree) {
        unit.KNO = newCode + unit.KNO.mid(code.size());
        ok = ok && unit.KvAddDw(m_pDb);
        CKvDwRec().KvSelectDw(QString(), QStringLiteral("Order By KNO"), &KvGetDwArray(), m_pDb);
      }
    }
    CKvDwRec().KvSelectDw(QString(), QStringLiteral("Order By KNO"), &KvGetDwArray(), m_pDb);
    if (!ok)
      break;
    pasted.append(newCode);
  }
  m_pDb->ReopenMdbExclusive(false);
  Fill();
  SelectTexts(pasted);
  if (!pasted.isEmpty())
    CKvOperation(27, KvFormat("从%s%s单位：%s", source->GetDatabaseName(true),
                              bCut ? QStringLiteral("移动") : QStringLiteral("复制"), pasted.join(u';')));
  // The units pasted stay; the rest are named, with the reason.
  if (!full.isEmpty())
    stop(QStringLiteral("下列单位没有粘贴：%1\n").arg(sources.mid(pasted.size()).join(QStringLiteral("、"))) + full);
}

void CKvDwList::OnClear() {
  if (!KvCmdEnabled(this, KV_CMD_DW_CLEAR))
    return;
  const QString code = SelectedCode();
  QString caption;
  if (KvDwHasData(code, &caption, m_pDb)) {
    stop(KvFormat("%s：%s没有数据！", KvAppServiceDwCaption(), code));
    return;
  }
  if (!askYes(QStringLiteral("真的要清空此单位的数据吗？")) || !m_pDb->ReopenMdbExclusive(true))
    return;
  CKvWaitWnd wait;
  wait.Show();
  const bool cleared = KvDeleteDwData(code, m_pDb);
  m_pDb->ReopenMdbExclusive(false);
  // Only a clear that happened is logged.
  if (cleared)
    CKvOperation(27, KvFormat("清空单位%s的数据", code));
}
