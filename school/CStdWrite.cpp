// The writes of CStd: references, delete with its fold into the parent,
// insert with the hand-down of the parent's fee lines, modify with the
// subtree rename, and paste. Each runs in one transaction (a savepoint under
// a caller's) and stops at the first failed statement; a refusal found under
// the locks is told after the rollback.

#include "school/CStd.h"

#include "core/CKvDb.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
#include "core/KvMessage.h"
#include "core/KvText.h"
#include "school/CXxDataType.h"
#include "school/KvSchoolSql.h"

namespace {
// Keeps a refusal for the caller to tell after the rollback; always false.
bool refuse(CStd::Refusal* refusal, const QString& message) {
  refusal->message = message;
  return false;
}

// The server text of a statement: Mid( becomes Substring(.
QString serverText(const QString& jet) {
  return KvReplace(jet, QStringLiteral("Mid("), QStringLiteral("Substring("));
}

// The tables that refer to tree nodes by code prefix, and whether a node's
// first child takes their rows over. Fee lines belong to the deepest node
// and go down; the timetabling tables are keyed by the level they describe
// (plans by grade, assignments and lessons by class) and stay.
struct RefTable {
  const char* name;
  bool handedDown;
};
const RefTable kRefTables[] = {{"PC", true}, {"WKJH", false}, {"SBTTCHR", false}, {"PK", false}};

// Gives every reference under oldCode the prefix newCode: the referring
// tables (only those handed down when handDown is set), then the DM0/DM1
// links of transferred students. One transaction; false at the first
// failed statement.
bool moveRefs(CKvDb* pDb, const QString& oldCode, const QString& newCode, bool handDown) {
  KvDbTransaction transaction(*pDb);
  if (!transaction.IsActive())
    return false;
  const QString code = pDb->QuoteText(newCode);
  const QString like = KvLikePrefix(pDb, oldCode);
  const int from = int(oldCode.size()) + 1;
  for (const RefTable& table : kRefTables) {
    if (handDown && !table.handedDown)
      continue;
    const QString sql = KvFormat(QStringLiteral("Update %s Set STD='%s'||Mid(STD,%d,30) Where STD Like '%s'"),
                                 table.name, code, from, like);
    if (!pDb->Execute(sql, serverText(sql)))
      return false;
  }
  for (int side = 0; side < 2; ++side) {
    const QString sql =
        KvFormat(QStringLiteral("Update STD Set DM%d='%s'||Mid(DM%d,%d,30) Where DM%d Like '%s'"), side, code,
                 side, from, side, like);
    if (!pDb->Execute(sql, serverText(sql)))
      return false;
  }
  return transaction.Commit();
}

// Under the STD lock: whether the parent of `row` is stored (a code of the
// first level has none). Refused when it is gone, since a row under a
// missing parent could never be reached again.
bool parentStored(const CStd& row, CStd::Refusal* refusal) {
  CStd parent(row.m_pDb, row.ParentCode());
  if (parent.KNO.isEmpty())
    return true;
  const int found = parent.Count(0, -1);
  if (found == 0)
    refuse(refusal, KvFormat(QStringLiteral("上级“%s”已不存在，不能保存“%s”！"), parent.KNO, row.KNO));
  return found > 0;
}

// Paste's reads and writes; the refusal into *refusal.
bool pasteSubtree(CStd* target, const CStd& source, CStd::Refusal* refusal) {
  CStd reader = source;
  QList<CStd> rows;
  const int found = reader.Select(&rows, 1, -1);
  if (found <= 0) {
    if (found == 0)
      refuse(refusal, QStringLiteral("源对象“") + source.KNO + QStringLiteral("”已不存在，不能粘贴！"));
    return false;
  }
  CStd top = *target;
  const int existing = top.Count(0, -1);
  if (existing < 0)
    return false;
  const CStd& node = rows.first();
  if (existing == 0) {
    top.CopyPart(node, false);
  } else {
    CKvDb* pDb = top.m_pDb;
    const bool sameFile = source.m_pDb == pDb ||
                          (source.m_pDb && source.m_pDb->GetKind() == pDb->GetKind() &&
                           source.m_pDb->GetDatabaseName(true) == pDb->GetDatabaseName(true));
    if (!sameFile || top.KNO != source.KNO)
      return refuse(refusal, QStringLiteral("目标对象“") + top.KNO + QStringLiteral("”已存在，不能覆盖！"));
    // Onto itself: a copy beside it.
    CStd parent(pDb, CStd::ParentCode(source.KNO));
    const QString code = parent.NextChildCode(&refusal->message);
    if (code.isEmpty())
      return false;
    top.CopyPart(node, false);
    top.KNO = code;
    const QString prefix = QStringLiteral("复件：");
    if (!top.NA.startsWith(prefix))
      top.NA = prefix + top.NA;
  }
  KvDbTransaction transaction(*top.m_pDb);
  if (!transaction.IsActive() || !top.Insert(refusal))
    return false;
  for (qsizetype i = 1; i < rows.size(); ++i) {
    CStd row(top.m_pDb, top.KNO + rows.at(i).KNO.mid(source.KNO.size()));
    row.CopyPart(rows.at(i), false);
    if (!row.Insert(refusal))
      return false;
  }
  if (!transaction.Commit())
    return false;
  *target = top;
  return true;
}
}  // namespace

// --- Refusals and locks ---

void CStd::Tell(const Refusal& refusal, bool report, CKvDb* pDb) {
  if (refusal.paramsChanged)
    CXxDataType::CheckParamChange(report, pDb);
  else if (report && !refusal.message.isEmpty())
    KvMessageBox(refusal.message, KV_MB_OK | KV_MB_ICONSTOP);
}

bool CStd::ParamsAsBuilt(CKvDb* pDb, Refusal* refusal) {
  const int changed = CXxDataType::StoredParamsChanged(pDb);
  refusal->paramsChanged = changed > 0;
  return changed == 0;
}

bool CStd::LockTreeAndReferences(CKvDb* pDb) {
  if (!pDb->LockTable(QStringLiteral("STD")))
    return false;
  for (const RefTable& table : kRefTables)
    if (!pDb->LockTable(QString::fromLatin1(table.name)))
      return false;
  return true;
}

// --- References ---

void CStd::GetRefTables(QStringList* texts, QStringList* serverTexts) const {
  for (const RefTable& table : kRefTables) {
    texts->append(KvFormat(QStringLiteral("%s Where STD Like '%s'"), table.name, KvLikePrefix(m_pDb, KNO)));
    serverTexts->append(QString());
  }
}

int CStd::ReferenceState() {
  QStringList texts;
  QStringList serverTexts;
  GetRefTables(&texts, &serverTexts);
  for (qsizetype i = 0; i < texts.size(); ++i) {
    const QString server = serverTexts.at(i).isEmpty() ? texts.at(i) : serverTexts.at(i);
    const int count = KvSchoolCount(m_pDb, QStringLiteral("Select Count(*) From ") + texts.at(i),
                                    QStringLiteral("Select Count(*) From ") + server);
    if (count != 0)
      return count < 0 ? -1 : 1;
  }
  return 0;
}

bool CStd::IsReferenced() { return ReferenceState() != 0; }

int CStd::CanDelete(QString* message) {
  message->clear();
  const QString code = m_pDb->QuoteText(KNO);
  if (IsStudent()) {
    if (Count(0, -1, KvFormat(QStringLiteral("Where KNO='%s' And LB1<>'0'"), code)) != 0) {
      *message = KvFormat(QStringLiteral("“%s”已转学，不能删除！"), KNO);
      return 0;
    }
  } else if (Count(0, -1, KvFormat(QStringLiteral("Where KNO Like '%s' And (LB0<>'0' Or LB1<>'0')"),
                                   KvLikePrefix(m_pDb, KNO))) != 0) {
    *message = KvFormat(QStringLiteral("“%s”下有转学学生，不能删除！"), KNO);
    return 0;
  }
  const int references = ReferenceState();
  if (references == 0)
    return 1;
  *message = KvFormat(QStringLiteral("“%s”已被引用，不能删除！"), KNO);
  // Unreadable references refuse; they never lead to a fold, nor does a
  // student (the class would take his personal data and his receipts).
  if (references < 0 || IsStudent())
    return 0;
  CStd self = *this;
  if (self.Count(2, -1) != 0)
    return 0;
  CStd parent(m_pDb, ParentCode());
  if (parent.KNO.size() <= 1)
    return 0;
  return parent.Count(2, -1) == 1 ? 2 : 0;
}

bool CStd::RenameRefs(const CStd& oldRow) { return moveRefs(m_pDb, oldRow.KNO, KNO, false); }

bool CStd::HandDownRefs(const CStd& parent) { return moveRefs(m_pDb, parent.KNO, KNO, true); }

// --- Rows ---

bool CStd::DeleteRows(int options, int mode) {
  return m_pDb->Execute(QStringLiteral("Delete From STD ") + BuildWhere(mode, -1), QString(), options);
}

int CStd::InsertRow() {
  if (!m_pDb->Execute(KvFormat(QStringLiteral("Insert Into STD(%s) Values (%s)"), GetColumnList(),
                               GetValueList()),
                      QString(), 1))
    return 0;
  CStd self = *this;
  return self.Count(0, -1);
}

bool CStd::Insert(bool report) {
  Refusal refusal;
  if (Insert(&refusal))
    return true;
  Tell(refusal, report, m_pDb);
  return false;
}

bool CStd::Insert(Refusal* refusal) {
  const QString invalid = Invalidity();
  if (!invalid.isEmpty())
    return refuse(refusal, invalid);
  KvDbTransaction transaction(*m_pDb);
  if (!transaction.IsActive() || !m_pDb->LockTable(QStringLiteral("STD")) || !ParamsAsBuilt(m_pDb, refusal) ||
      !parentStored(*this, refusal))
    return false;
  const int n = InsertRow();
  if (n != 1)
    return refuse(refusal, n > 1 ? QStringLiteral("产生重码，不能插入！")
                                 : QStringLiteral("插入失败，可能是某些字段不合要求！"));
  // The first child of a node takes over the node's fee lines (a line in
  // flight is waited for) and the transfer links to its code; its timetable
  // rows stay.
  CStd parent(m_pDb, ParentCode());
  if (!parent.KNO.isEmpty()) {
    const int children = parent.Count(2, -1);
    if (children < 0)
      return false;
    if (children == 1 && (!m_pDb->LockTable(QStringLiteral("PC")) || !HandDownRefs(parent)))
      return false;
  }
  return transaction.Commit();
}

bool CStd::RecodeSubtree(const CStd& oldRow, int mode) {
  return m_pDb->Execute(
      KvFormat(QStringLiteral("Update STD %s %s"), BuildRecodeSet(oldRow), oldRow.BuildWhere(mode, -1)));
}

int CStd::StoredAsRead(const CStd& read, QString* message) const {
  message->clear();
  CStd stored(m_pDb, read.KNO);
  const int found = stored.Load(0, -1);
  if (found < 0)
    return -1;
  if (found == 0) {
    *message = QStringLiteral("源对象“") + read.KNO + QStringLiteral("”已不存在，不能修改！");
    return 0;
  }
  // Every column compared, as it would be written.
  CStd asRead = read;
  asRead.m_pDb = m_pDb;
  if (stored.GetValueList() != asRead.GetValueList()) {
    *message = KvFormat(QStringLiteral("“%s”已被其他窗口或工作站修改，请重新打开后再修改！"), read.KNO);
    return 0;
  }
  return 1;
}

bool CStd::Modify(const CStd& source, bool report) {
  Refusal refusal;
  if (Modify(source, &refusal))
    return true;
  Tell(refusal, report, m_pDb);
  return false;
}

bool CStd::Modify(const CStd& source, Refusal* refusal) {
  const QString invalid = Invalidity();
  if (!invalid.isEmpty())
    return refuse(refusal, invalid);
  KvDbTransaction transaction(*m_pDb);
  // A new code moves the references: their tables are locked too, so a
  // receipt or a plan in flight under the old code is waited for and moved.
  const bool recode = !IsSameCode(source);
  if (!transaction.IsActive() ||
      !(recode ? LockTreeAndReferences(m_pDb) : m_pDb->LockTable(QStringLiteral("STD"))) ||
      !ParamsAsBuilt(m_pDb, refusal))
    return false;
  const int state = StoredAsRead(source, &refusal->message);
  if (state <= 0)
    return false;
  CStd stored = source;
  stored.m_pDb = m_pDb;
  // The classes of a grade are laid out over its terms: their count stays
  // while it has any.
  if (XQN != stored.XQN) {
    const int children = stored.Count(2, -1);
    if (children != 0) {
      if (children > 0)
        refuse(refusal, QStringLiteral("它下面已有班级，不能修改学期数！"));
      return false;
    }
  }
  const int longest = stored.MaxCodeLen();
  if (longest < 0)
    return false;
  if (longest + (KNO.size() - stored.KNO.size()) > GetFieldDefs().first().nMaxLen)
    return refuse(refusal, QStringLiteral("源对象“") + stored.KNO + QStringLiteral("”修改成“") + KNO +
                               QStringLiteral("”后代码超长，不能修改！"));
  if (!parentStored(*this, refusal))
    return false;
  const QString duplicate = QStringLiteral("目标代码“") + KNO + QStringLiteral("”产生重码，不能修改！");
  if (!stored.DeleteRows(1, 0))
    return false;
  CStd probe = *this;
  const int taken = probe.Count(0, -1);
  if (taken != 0) {
    if (taken > 0)
      refuse(refusal, duplicate);
    return false;
  }
  const int n = InsertRow();
  if (n != 1)
    return refuse(refusal, n > 1 ? duplicate : QStringLiteral("修改失败，可能是某些字段不合要求！"));
  if (recode && (!RecodeSubtree(stored, 1) || !RenameRefs(stored)))
    return false;
  return transaction.Commit();
}

bool CStd::Delete(bool report) {
  Refusal refusal;
  if (Delete(&refusal))
    return true;
  Tell(refusal, report, m_pDb);
  return false;
}

bool CStd::Delete(Refusal* refusal) {
  // The checks run under the locks of the tree and of every table that
  // refers to it, so no station adds a child, a transfer, a receipt or a
  // plan, nor removes the row, between them and the delete.
  KvDbTransaction transaction(*m_pDb);
  if (!transaction.IsActive() || !LockTreeAndReferences(m_pDb) || !ParamsAsBuilt(m_pDb, refusal))
    return false;
  CStd stored = *this;
  const int found = stored.Load(0, -1);
  if (found <= 0) {
    if (found == 0)
      refuse(refusal, KvFormat(QStringLiteral("“%s”已不存在，不能删除！"), KNO));
    return false;
  }
  const int verdict = CanDelete(&refusal->message);
  if (verdict == 0)
    return false;
  refusal->message.clear();
  // A student who came by an in-school transfer gives the row it came from
  // its normal end: the last term of that row's grade.
  if (stored.LB[0] == 1 && !stored.DM[0].isEmpty()) {
    CStd grade(m_pDb, stored.DM[0].left(CXxDataType::GradeCodeLen()));
    const int found = grade.Load(0, -1);
    if (found < 0)
      return false;
    if (found > 0 &&
        !m_pDb->Execute(KvFormat(QStringLiteral("Update Std Set LB1='0',QC1=%d,DM1='' Where KNO='%s'"),
                                 grade.XQN - 1, m_pDb->QuoteText(stored.DM[0]))))
      return false;
  }
  if (verdict == 1) {
    if (!DeleteRows(1, 1))
      return false;
    return transaction.Commit();
  }
  // Fold into the parent: the child's values stand under the parent's code
  // and name, and the child's references move to the parent's code.
  CStd parent(m_pDb, ParentCode());
  if (parent.Load(0, -1) <= 0 || !parent.DeleteRows(1, 0))
    return false;
  const QString parentCode = parent.KNO;
  const QString parentName = parent.NA;
  *this = stored;
  KNO = parentCode;
  NA = parentName;
  if (!Modify(stored, refusal))
    return false;
  return transaction.Commit();
}

bool CStd::Paste(const CStd& source, bool report) {
  Refusal refusal;
  if (pasteSubtree(this, source, &refusal))
    return true;
  Tell(refusal, report, m_pDb);
  return false;
}
