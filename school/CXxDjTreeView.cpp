#include "school/CXxDjTreeView.h"

#include "app/CKvApp.h"
#include "app/CKvOperation.h"
#include "core/CKvDb.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "school/CPc.h"
#include "school/CStd.h"
#include "school/CXxDataType.h"
#include "school/CXxDjDoc0.h"
#include "ui/KvCommands.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>

#include <algorithm>

namespace {
// A node's identity, kept on the item.
enum Role { kCode = Qt::UserRole, kTerm, kKind, kYear, kNumber };
enum Image { kUnit, kGrade, kClass, kTermImage, kKindImage, kVoucherImage };
const QString kNewYear = QStringLiteral("xxxx");

QTreeWidgetItem* addNode(QTreeWidget* tree, QTreeWidgetItem* parent, const QString& text, int image, const CPc& id,
                         const QIcon& icon) {
  auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
  item->setText(0, text);
  item->setIcon(0, icon);
  item->setData(0, kCode, id.STD);
  item->setData(0, kTerm, id.QC);
  item->setData(0, kKind, id.F);
  item->setData(0, kYear, id.T);
  item->setData(0, kNumber, id.DH);
  (void)image;
  return item;
}

bool hasRight(const char* code) { return KvHasRight(CXxDataType::kModule, QString::fromLatin1(code)); }
}  // namespace

CXxDjTreeView::CXxDjTreeView(CXxDjDoc0* pDoc, QWidget* parent) : CKvTreeView(parent), m_pSheet(pDoc) {
  m_pDb = pDoc ? pDoc->m_pDb : nullptr;
  connect(this, &QTreeWidget::itemSelectionChanged, this, &CXxDjTreeView::onSelectionChanged);
}

void CXxDjTreeView::initialUpdate() {
  m_bFilling = false;
  CKvTreeView::initialUpdate();
  setRootIsDecorated(true);
  SetSingleExpand(true);
  Rebuild();
}

void CXxDjTreeView::GetIconIds(QList<int>* itemIcons, QList<int>* secondIcons) const {
  const QList<int> ids = {685, 606, 611, 651, 673, 641};
  *itemIcons = ids;
  if (secondIcons)
    *secondIcons = ids;
}

CPc CXxDjTreeView::NodeIdentity(const QTreeWidgetItem* item) {
  CPc id;
  id.QC = -1;
  id.F = 2;
  if (!item)
    return id;
  id.STD = item->data(0, kCode).toString();
  id.QC = item->data(0, kTerm).toInt();
  id.F = item->data(0, kKind).toInt();
  id.T = item->data(0, kYear).toString();
  id.DH = item->data(0, kNumber).toString();
  return id;
}

void CXxDjTreeView::Rebuild() {
  m_bFilling = true;
  setUpdatesEnabled(false);
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  clear();
  fillBelow(nullptr, QString());
  QGuiApplication::restoreOverrideCursor();
  setUpdatesEnabled(true);
  m_bFilling = false;
  if (m_pSheet)
    SelectHead(m_pSheet->m_head);
}

void CXxDjTreeView::fillBelow(QTreeWidgetItem* parent, const QString& code) {
  const int classLevel = CXxDataType::LevelCount() - 1;
  const int level = CXxDataType::LevelOfCode(code);
  CPc id;
  id.STD = code;
  id.QC = -1;
  id.F = 2;
  if (level < classLevel) {
    // The children of the code: units, grades, classes.
    CStd node(m_pDb, code);
    QList<CStd> children;
    node.Select(&children, 2, -1);
    const int grade = CXxDataType::MgmtLevelsRef() + 1;
    for (const CStd& child : children) {
      const int childLevel = CXxDataType::LevelOfCode(child.KNO);
      const int image = childLevel < grade ? kUnit : childLevel == grade ? kGrade : kClass;
      id.STD = child.KNO;
      QTreeWidgetItem* item =
          addNode(this, parent, KvFormat(QStringLiteral("%s %s"), child.KNO.mid(code.size()), child.NA), image, id,
                  ImageIcon(image));
      fillBelow(item, child.KNO);
    }
    return;
  }
  // A class: one node per term of its grade, the kinds below each.
  CStd grade(m_pDb, code.left(CXxDataType::CodeLenOfLevel(CXxDataType::MgmtLevelsRef())));
  const int terms = grade.Load(0, -1) > 0 ? grade.XQN : 0;
  const bool mayMake = hasRight("06");
  static const char* const kinds[] = {"应收", "实收", "欠费"};
  static const int kindF[] = {1, -1, 0};
  for (int term = 0; term < terms; ++term) {
    id.QC = term;
    id.F = 2;
    QTreeWidgetItem* termItem =
        addNode(this, parent, KvFormat(QStringLiteral("%d 学期"), term + 1), kTermImage, id, ImageIcon(kTermImage));
    for (int k = 0; k < 3; ++k) {
      CPc kindId = id;
      kindId.F = kindF[k];
      QTreeWidgetItem* kindItem = addNode(this, termItem, KvFormat(QStringLiteral("%d %s"), k + 1, QString::fromUtf8(kinds[k])),
                                          kKindImage, kindId, ImageIcon(kKindImage));
      if (kindF[k] != -1)
        continue;
      QList<CPc> vouchers;
      CPc::SelectClassPaidVouchers(code, term, &vouchers, m_pDb);
      for (const CPc& voucher : vouchers) {
        CPc voucherId = kindId;
        voucherId.T = voucher.T.left(4);
        voucherId.DH = voucher.DH;
        addNode(this, kindItem, KvFormat(QStringLiteral("(%s)%s"), voucherId.T, voucher.DH), kVoucherImage, voucherId,
                ImageIcon(kVoucherImage));
      }
      if (mayMake) {
        CPc newId = kindId;
        newId.T = kNewYear;
        addNode(this, kindItem, QStringLiteral("(xxxx)新单"), kVoucherImage, newId, ImageIcon(kVoucherImage));
      }
    }
  }
}

void CXxDjTreeView::SelectHead(CPc& head) {
  // Down from the top: the code levels, then term, kind and voucher.
  QTreeWidgetItem* found = nullptr;
  const auto childMatching = [&](const std::function<bool(const CPc&)>& matches) -> QTreeWidgetItem* {
    const int count = found ? found->childCount() : topLevelItemCount();
    for (int i = 0; i < count; ++i) {
      QTreeWidgetItem* child = found ? found->child(i) : topLevelItem(i);
      if (matches(NodeIdentity(child)))
        return child;
    }
    return nullptr;
  };
  const int classLevel = CXxDataType::LevelCount() - 1;
  const int depth = qMin(CXxDataType::LevelOfCode(head.STD), classLevel);
  for (int level = 1; level <= depth; ++level) {
    QTreeWidgetItem* next = childMatching([&](const CPc& id) { return id.QC == -1 && head.STD.startsWith(id.STD); });
    if (!next)
      break;
    found = next;
  }
  const bool atClass = found && CXxDataType::LevelOfCode(NodeIdentity(found).STD) == classLevel;
  if (atClass && head.QC >= 0) {
    if (QTreeWidgetItem* term = childMatching([&](const CPc& id) { return id.QC == head.QC; })) {
      found = term;
      if (head.F != 2) {
        if (QTreeWidgetItem* kind = childMatching([&](const CPc& id) { return id.F == head.F; })) {
          found = kind;
          if (head.F == -1 && !head.T.isEmpty()) {
            // A stored voucher by year and number; a new one (not saved
            // yet) on "(xxxx)新单".
            const bool isNew = m_pSheet && m_pSheet->m_savedHead.T == kNewYear;
            if (QTreeWidgetItem* voucher = childMatching([&](const CPc& id) {
                  return isNew ? id.T == kNewYear : id.T == head.T.left(4) && id.DH == head.DH;
                }))
              found = voucher;
          }
        }
      }
    }
  }
  const CPc id = NodeIdentity(found);
  // A due or arrears sheet and a matched voucher keep the voucher's date,
  // number and operators; every other head takes the node's identity, the
  // parts left unmatched cleared.
  const bool keepsVoucher = id.F == head.F && id.QC == head.QC && id.STD == head.STD &&
                            (id.F == 1 || id.F == 0 || (id.F == -1 && !id.T.isEmpty()));
  if (!keepsVoucher)
    CXxDjDoc0::TakeIdentity(head, id);
  m_bFilling = true;
  if (found) {
    setCurrentItem(found);
    scrollToItem(found);
  }
  m_bFilling = false;
}

void CXxDjTreeView::onSelectionChanged() {
  if (m_bFilling || !m_pSheet)
    return;
  const CPc node = NodeIdentity(SelectedItem());
  CPc head = m_pSheet->m_head;
  CPc nodeHead = head;
  CXxDjDoc0::TakeIdentity(nodeHead, node);
  if (CXxDjDoc0::SameIdentity(node, head)) {
    CXxDjDoc0::TakeIdentity(m_pSheet->m_savedHead, node);
    return;
  }
  if (m_pSheet->SaveModified()) {
    CXxDjDoc0::TakeIdentity(m_pSheet->m_head, node);
    CXxDjDoc0::TakeIdentity(m_pSheet->m_savedHead, node);
    // The rows shown are the previous node's: a read of this one that
    // fails must not leave them under it.
    m_pSheet->MarkKeyChanged();
    SelectHead(m_pSheet->m_head);
    m_pSheet->PostRefresh();
    return;
  }
  CXxDjDoc0::TakeIdentity(m_pSheet->m_head, m_pSheet->m_savedHead);
  SelectHead(m_pSheet->m_head);
}

void CXxDjTreeView::OnPrepareContextMenu(QMenu* popup) {
  QAction* before = nullptr;
  for (QAction* action : popup->actions())
    if (action->data().toInt() == KV_CMD_MODIFY)
      before = action;
  const struct {
    int id;
    const char* text;
  } added[] = {{KV_CMD_REVIEW, "复核 ..."}, {KV_CMD_UNREVIEW, "取消复核 ..."}};
  for (const auto& entry : added) {
    auto* action = new QAction(QString::fromUtf8(entry.text), popup);
    action->setData(entry.id);
    action->setEnabled(KvCmdEnabled(this, entry.id));
    popup->insertAction(before, action);
  }
  for (QAction* action : popup->actions()) {
    const int id = action->data().toInt();
    if (id == KV_CMD_NEW || id == KV_CMD_OPEN || id == KV_CMD_MODIFY)
      popup->removeAction(action);
  }
}

bool CXxDjTreeView::IsCmdAllowed(int id) {
  const CPc node = NodeIdentity(SelectedItem());
  const CPc& head = m_pSheet ? m_pSheet->m_head : node;
  const QString me = CPc::CurrentOperator();
  switch (id) {
    case KV_CMD_NEW:
    case KV_CMD_OPEN:
    case KV_CMD_MODIFY:
    case KV_CMD_EDIT_COPY:
    case KV_CMD_EDIT_CUT:
    case KV_CMD_EDIT_PASTE:
      return false;
    case KV_CMD_DELETE:
      return hasRight("03") && node.F == -1 && !node.T.isEmpty() && node.T != kNewYear && head.Opr0 == me;
    case KV_CMD_REVIEW:
    case KV_CMD_UNREVIEW:
      // Without a node, or with no class code in the head, there is no
      // class to review: an empty code would take every class's lines.
      if (!SelectedItem() || head.STD.isEmpty())
        return false;
      if (!hasRight("04") || node.F == 0 || node.T == kNewYear)
        return false;
      if (node.F == 2 || (node.F == -1 && node.T.isEmpty()))
        return true;
      if (id == KV_CMD_REVIEW)
        return head.Opr1.isEmpty();
      // Every operator who reviewed a line the sheet read may cancel his
      // own review of it; another's stays.
      return head.Opr1 == me || (m_pSheet && std::any_of(m_pSheet->m_loadedLines.begin(),
                                                         m_pSheet->m_loadedLines.end(),
                                                         [&me](const CPc& line) { return line.Opr1 == me; }));
    default:
      return true;
  }
}

bool CXxDjTreeView::HandlesCmd(int id) const {
  return id == KV_CMD_REVIEW || id == KV_CMD_UNREVIEW || CKvTreeView::HandlesCmd(id);
}

void CXxDjTreeView::ExecuteCmd(int id) {
  if (id == KV_CMD_REVIEW || id == KV_CMD_UNREVIEW) {
    if (KvCmdEnabled(this, id))
      review(id == KV_CMD_REVIEW);
    return;
  }
  CKvTreeView::ExecuteCmd(id);
}

void CXxDjTreeView::OnDelete() {
  if (!m_pSheet || !KvCmdEnabled(this, KV_CMD_DELETE))
    return;
  if (KvMessageBox(QStringLiteral("真的要删除吗？"), KV_MB_YESNOCANCEL | KV_MB_ICONQUESTION) != KV_IDYES)
    return;
  CPc& head = m_pSheet->m_head;
  const QString t = head.T;
  const QString dh = head.DH;
  // The review and the maker are checked under the PC lock, after the
  // answer: a review made meanwhile elsewhere refuses the delete. Only the
  // lines the sheet shows go: those of the voucher that a student moved
  // away took to another class stay.
  KvDbTransaction transaction(*m_pDb, QStringLiteral("PC"));
  if (!transaction.IsActive() || !head.DeleteClassVoucher(m_pDb, &transaction) || !transaction.Commit())
    return;
  Rebuild();
  m_pSheet->m_savedHead = head;
  m_pSheet->GiveUpEdits();
  // The rows shown were deleted: a read that fails must not show them again.
  m_pSheet->MarkKeyChanged();
  m_pSheet->PostRefresh();
  CKvOperation::WriteLog(CXxDataType::kModule * 100 + 1,
                         KvFormat(QStringLiteral("删除班级收费单据：(%s)%s"), t, dh));
}

void CXxDjTreeView::review(bool bReview) {
  if (bReview && !m_pSheet->SaveModified())
    return;
  CPc head = m_pSheet->m_head;
  bool changed = false;
  const bool done = bReview ? head.ReviewClass(m_pDb, &changed) : head.UnreviewClass(m_pDb, &changed);
  m_pSheet->PostRefresh();
  // Only a review that changed a reviewer is logged.
  if (!done || !changed)
    return;
  QString note = KvFormat(bReview ? QStringLiteral("复核：%s") : QStringLiteral("取消复核：%s"), head.STD);
  if (head.QC >= 0)
    note += KvFormat(QStringLiteral(",%d学期"), head.QC + 1);
  CKvOperation::WriteLog(CXxDataType::kModule * 100 + 1, note);
}
