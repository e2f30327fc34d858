#include "school/CStd.h"

#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvDate.h"
#include "core/KvFormat.h"
#include "core/KvInputType.h"
#include "core/KvMessage.h"
#include "core/KvNumber.h"
#include "core/KvPinyin.h"
#include "core/KvSqlTranslator.h"
#include "core/KvText.h"
#include "school/CXxDataType.h"
#include "school/KvSchoolSql.h"

#include <QSet>

namespace {
// The students' condition: a code of the full length.
QString studentLength() { return KvFormat(QStringLiteral("Len(rtrim(KNO))=%d"), CXxDataType::StudentCodeLen()); }
}  // namespace

CStd::CStd(CKvDb* pDb, const QString& code) : KNO(code), m_pDb(pDb) {}

CStd::~CStd() = default;

void CStd::Set(CKvDb* pDb, const QString& code) {
  m_pDb = pDb;
  KNO = code;
}

void CStd::CopyPart(const CStd& other, bool codeOnly) {
  if (codeOnly) {
    KNO = other.KNO;
    return;
  }
  CKvDb* const pDb = m_pDb;
  const QString code = KNO;
  *this = other;
  m_pDb = pDb;
  KNO = code;
}

void CStd::Clear() {
  CKvDb* const pDb = m_pDb;
  *this = CStd();
  m_pDb = pDb;
}

void CStd::SetDefaults(bool student) {
  Clear();
  if (!student) {
    XQN = 6;
    const QString year = KvNowText(QStringLiteral("%Y"));
    XQT[0] = KvFormat(QStringLiteral("%s09"), year);
    XQT[1] = KvFormat(QStringLiteral("%d08"), KvStrToInt(year) + 3);
    return;
  }
  HM = QStringLiteral("x幢x号");
  NTN = QStringLiteral("汉");
  FGF = QStringLiteral("x省x县");
  ADR = QStringLiteral("x省x县");
  QC[1] = 5;
}

bool CStd::IsStudent() const { return KNO.size() == CXxDataType::StudentCodeLen(); }

// --- SQL pieces ---

QString CStd::GetColumnList() {
  return QStringLiteral(
      "XQN,QC0,QC1,KNO,NA,MRG,TEL,XQL,XQT0,XQT1,SEX,HM,BT,PID,NTN,FGF,FCH,ADR,LB0,LB1,DM0,DM1,NT");
}

QString CStd::GetValueList() const {
  const auto q = [this](const QString& text) {
    return u'\'' + KvQuoteSqlText(text, m_pDb ? m_pDb->GetKind() : 0) + u'\'';
  };
  const auto n = [](int value) { return QString::number(value); };
  const auto c = [](int value) { return u'\'' + QString::number(value) + u'\''; };
  return QStringList{n(XQN),    n(QC[0]),  n(QC[1]), q(KNO),   q(NA),    q(MRG),   q(TEL),
                     c(XQL),    q(XQT[0]), q(XQT[1]), c(SEX),  q(HM),    q(BT),    q(PID),
                     q(NTN),    q(FGF),    q(FCH),   q(ADR),   c(LB[0]), c(LB[1]), q(DM[0]),
                     q(DM[1]),  q(NT)}
      .join(u',');
}

QString CStd::BuildWhere(int mode, int term) const {
  const QString code = KvQuoteSqlText(KNO, m_pDb ? m_pDb->GetKind() : 0);
  QString where;
  if (mode == 0) {
    where = KvFormat(QStringLiteral("Where KNO='%s'"), code);
  } else if (mode == 1) {
    where = KvFormat(QStringLiteral("Where KNO LIKE '%s'"), KvLikePrefix(m_pDb, KNO));
  } else {
    const int length = int(KNO.size());
    const int levels = CXxDataType::LevelCount();
    int cum = 0;
    int next = CXxDataType::CodeLenRef(0);
    int target = length;
    for (int i = 0; i < levels; ++i) {
      if (length <= cum) {
        target = next;
        break;
      }
      cum += CXxDataType::CodeLenRef(i);
      next += CXxDataType::CodeLenRef(i + 1);
    }
    where = KvFormat(QStringLiteral("Where KNO LIKE '%s' And KNO<>'%s' And Len(rtrim(KNO))=%d"),
                     KvLikePrefix(m_pDb, KNO), code, target);
  }
  if (term >= 0)
    where += TermCondition(term);
  return where;
}

QString CStd::TermCondition(int term) {
  return KvFormat(QStringLiteral(" And Not(Len(rtrim(KNO))>=%d And (%s Or %s))"), CXxDataType::StudentCodeLen(),
                  KvFormat(QStringLiteral("(LB0<>'0' And QC0>%d)"), term),
                  KvFormat(QStringLiteral("(LB1<>'0' And QC1<%d)"), term));
}

QString CStd::BuildOrder() const { return QStringLiteral("Order By KNO"); }

QString CStd::BuildRecodeSet(const CStd& oldRow) const {
  const QString code = KvQuoteSqlText(KNO, m_pDb ? m_pDb->GetKind() : 0);
  const bool server = m_pDb && m_pDb->GetKind() != 0;
  return KvFormat(server ? QStringLiteral("Set KNO='%s'||Substring(KNO,%d,30)")
                         : QStringLiteral("Set KNO='%s'||Mid(KNO,%d,30)"),
                  code, int(oldRow.KNO.size()) + 1);
}

// --- Reading ---

int CStd::Select(QList<CStd>* rows, int mode, int term, const QString& where,
                 const QString& serverWhere, const QString& order, const QString& serverOrder) {
  if (rows)
    rows->clear();
  QString whereJet = where;
  QString whereServer = serverWhere.isEmpty() ? where : serverWhere;
  QString orderJet = order;
  QString orderServer = serverOrder.isEmpty() ? order : serverOrder;
  if (whereJet.isEmpty())
    whereJet = BuildWhere(mode, term);
  if (whereServer.isEmpty())
    whereServer = BuildWhere(mode, term);
  if (orderJet.isEmpty())
    orderJet = BuildOrder();
  if (orderServer.isEmpty())
    orderServer = BuildOrder();
  if (!m_pDb)
    return -1;
  const QString pattern = QStringLiteral("Select %s From Std %s %s");
  CKvQuery query(3, 0, 20, m_pDb);
  if (!query.Open(KvFormat(pattern, GetColumnList(), whereJet, orderJet),
                  KvFormat(pattern, GetColumnList(), whereServer, orderServer)))
    return -1;
  int count = 0;
  for (; !query.IsEOF(); query.MoveNext()) {
    XQN = query.GetLong(0);
    QC[0] = query.GetLong(1);
    QC[1] = query.GetLong(2);
    KNO = query.GetText(0);
    NA = query.GetText(1);
    MRG = query.GetText(2);
    TEL = query.GetText(3);
    XQL = KvStrToInt(query.GetText(4));
    XQT[0] = query.GetText(5);
    XQT[1] = query.GetText(6);
    SEX = KvStrToInt(query.GetText(7));
    HM = query.GetText(8);
    BT = query.GetText(9);
    PID = query.GetText(10);
    NTN = query.GetText(11);
    FGF = query.GetText(12);
    FCH = query.GetText(13);
    ADR = query.GetText(14);
    LB[0] = KvStrToInt(query.GetText(15));
    LB[1] = KvStrToInt(query.GetText(16));
    DM[0] = query.GetText(17);
    DM[1] = query.GetText(18);
    NT = query.GetText(19);
    if (rows)
      rows->append(*this);
    ++count;
  }
  return count;
}

int CStd::Load(int mode, int term) {
  CStd scratch = *this;
  QList<CStd> rows;
  const int count = scratch.Select(&rows, mode, term);
  if (count > 0)
    *this = rows.first();
  return count;
}

int CStd::Count(int mode, int term, const QString& where) {
  return KvSchoolCount(m_pDb, QStringLiteral("Select Count(*) From Std ") +
                                  (where.isEmpty() ? BuildWhere(mode, term) : where));
}

// --- Tree queries ---

QString CStd::ParentCode(const QString& code) {
  const int level = CXxDataType::LevelOfCode(code);
  if (level <= 1)
    return QString();
  return code.left(CXxDataType::CodeLenOfLevel(level - 2));
}

QStringList CStd::SplitAncestors(const QString& code) {
  QStringList codes;
  if (code.isEmpty())
    return codes;
  const int levels = CXxDataType::LevelCount();
  for (int i = 0; i < levels; ++i) {
    const int cum = CXxDataType::CodeLenOfLevel(i);
    codes.append(code.left(cum));
    if (cum >= code.size())
      break;
  }
  return codes;
}

int CStd::GetPath(QString* path, QStringList* codes, QStringList* names) {
  path->clear();
  codes->clear();
  names->clear();
  *codes = SplitAncestors(KNO);
  const int n = int(codes->size());
  if (n == 0)
    return 0;
  CStd self = *this;
  const int found = self.Load(0, -1);
  if (found <= 0)
    return found;
  // The node's own name last, the ancestors' in code order before it.
  *names = QStringList(n, QString());
  for (int i = 0; i < n - 1; ++i)
    (*names)[i] = codes->at(i);
  (*names)[n - 1] = self.NA;
  if (n > 1) {
    QStringList conditions;
    for (int i = 0; i < n - 1; ++i)
      conditions.append(KvFormat(QStringLiteral("KNO='%s'"), m_pDb->QuoteText(codes->at(i))));
    QList<CStd> ancestors;
    CStd reader(m_pDb, QString());
    if (reader.Select(&ancestors, 0, -1, QStringLiteral("Where ") + conditions.join(QStringLiteral(" Or "))) < 0)
      return -1;
    for (const CStd& row : ancestors) {
      const int at = int(codes->indexOf(row.KNO));
      if (at >= 0 && at < n - 1)
        (*names)[at] = row.NA;
    }
  }
  *path = names->mid(0, n - 1).join(u'/');
  if (n > 1)
    *path += u'/';
  *path += names->at(n - 1);
  return n;
}

int CStd::MaxCodeLen() {
  CStd scratch = *this;
  QString text;
  if (!KvSchoolText(m_pDb, QStringLiteral("Select Max(Len(rtrim(KNO))) From STD ") + scratch.BuildWhere(1, -1),
                    QString(), &text))
    return -1;
  return KvStrToInt(text);
}

QString CStd::NextChildCode(QString* pFull) {
  const int level = CXxDataType::LevelOfCode(KNO);
  const int start = level == 0 ? 0 : CXxDataType::CodeLenOfLevel(level - 1);
  const QString sql = KvFormat(QStringLiteral("Select Max(Mid(KNO,%d,20)) From STD %s"), start + 1,
                               BuildWhere(2, -1));
  QString segment;
  if (!KvSchoolText(m_pDb, sql, KvReplace(sql, QStringLiteral("Mid("), QStringLiteral("substring(")),
                    &segment))
    return QString();
  const QString what = KNO.isEmpty() ? QStringLiteral("代码") : KvFormat(QStringLiteral("“%s”的下级代码"), KNO);
  const QString next = KvNextNumberText(KvStrToInt(segment), CXxDataType::CodeLenRef(level), what, pFull);
  return next.isEmpty() ? QString() : KNO + next;
}

int CStd::FindStudents(QList<CStd>* rows) {
  const QString typed = KNO;
  CStd reader(m_pDb, QString());
  if (KvIsAllDigits(typed)) {
    reader.Select(rows, 0, -1,
                  KvFormat(QStringLiteral("Where KNO Like '%s' And %s"), KvLikePrefix(m_pDb, typed),
                           studentLength()));
  } else if (KvIsAllAlpha(typed)) {
    const QString initials = KvUpper(typed);
    reader.Select(rows, 0, -1, QStringLiteral("Where ") + studentLength());
    rows->removeIf([&initials](const CStd& row) { return !KvPinyinInitials(row.NA).contains(initials); });
  } else {
    reader.Select(rows, 0, -1,
                  KvFormat(QStringLiteral("Where NA Like '%s%s' And %s"), KvAnyMarker(),
                           KvLikePrefix(m_pDb, typed), studentLength()));
  }
  if (rows->size() == 1) {
    *this = rows->first();
  } else {
    Clear();
    KNO = typed;
  }
  return int(rows->size());
}

int CStd::GetTransferChain(QList<CStd>* rows) {
  rows->clear();
  if (!IsStudent())
    return 0;
  CStd start = *this;
  const int found = start.Load(0, -1);
  if (found <= 0)
    return found;
  rows->append(start);
  QSet<QString> seen{start.KNO};
  CStd row = start;
  while (row.LB[0] == 1 && !seen.contains(row.DM[0])) {
    row.KNO = row.DM[0];
    seen.insert(row.KNO);
    const int earlier = row.Load(0, -1);
    if (earlier < 0)
      return -1;
    if (earlier == 0)
      break;
    rows->prepend(row);
  }
  *this = start;
  while (LB[1] == 1 && !seen.contains(DM[1])) {
    CStd next = *this;
    next.KNO = DM[1];
    seen.insert(next.KNO);
    const int later = next.Load(0, -1);
    if (later < 0)
      return -1;
    if (later == 0)
      break;
    *this = next;
    rows->append(next);
  }
  return int(rows->size());
}

int CStd::CheckTerms(QString* message) const {
  message->clear();
  int year[2] = {};
  int month[2] = {};
  int day[2] = {};
  for (int side = 0; side < 2; ++side) {
    const QString& date = XQT[side];
    if (date.size() != 6 && date.size() != 8) {
      *message = QStringLiteral("时间格式错误！");
      return side;
    }
    year[side] = KvStrToInt(date.left(4));
    month[side] = KvStrToInt(date.mid(4, 2));
    day[side] = KvStrToInt(date.mid(6, 2));
    if (year[side] < 1900) {
      *message = QStringLiteral("年份太小！");
      return side;
    }
    if (month[side] < 0 || month[side] > 12) {
      *message = QStringLiteral("月份超界！");
      return side;
    }
    if (date.size() == 8 && (day[side] < 0 || day[side] > KvDaysInMonth(year[side], month[side]))) {
      *message = QStringLiteral("日期超界！");
      return side;
    }
  }
  if (XQT[0].size() != XQT[1].size()) {
    *message = QStringLiteral("起止时间格式不一致！");
    return 0;
  }
  if (XQT[0] > XQT[1]) {
    *message = QStringLiteral("起止时间倒置！");
    return 0;
  }
  if (XQL != 0 && XQL != 1)
    return -1;
  const bool days = XQT[0].size() == 8;
  int y = year[0] + XQN / 2;
  int m = month[0] + 6 * (XQN % 2);
  int d = 0;
  if (!days) {
    m -= 1;
  } else {
    d = day[0] - 1;
    if (d < 1)
      m -= 1;
  }
  if (m < 1) {
    y -= 1;
    m = 12;
  } else if (m > 12) {
    y += 1;
    m -= 12;
  }
  if (days && d < 1)
    d = KvDaysInMonth(y, m);
  const QString expected = QString::number((qint64(y) * 100 + m) * 100 + d).left(days ? 8 : 6);
  if (expected != XQT[1]) {
    *message = QStringLiteral("终止时间与学期数不匹配！");
    return 1;
  }
  return -1;
}

// --- Fields ---

QList<CKvFieldDesc> CStd::GetFieldDefs() {
  static const struct {
    const char* caption;
    const char* type;
    int maxLen;
    int mayBeEmpty;
  } fields[] = {
      {"代码", "STRING DIGIT", 15, 0},   {"名称", "MDBSTRING", 40, 0},
      {"负责人", "MDBSTRING", 20, 1},    {"电话", "MDBSTRING", 25, 1},
      {"学期数", "STRING DIGIT", 2, 1},  {"学期类型", "STRING DIGIT", 1, 1},
      {"起始时间", "STRING DIGIT", 8, 1}, {"终止时间", "STRING DIGIT", 8, 1},
      {"性别", "STRING DIGIT", 1, 1},    {"宿舍", "MDBSTRING", 20, 1},
      {"出生时间", "STRING DIGIT", 8, 1}, {"身份证号", "STRING", 18, 1},
      {"民族", "MDBSTRING", 12, 1},      {"籍贯", "MDBSTRING", 20, 1},
      {"来源学校", "MDBSTRING", 30, 1},  {"家庭住址", "MDBSTRING", 50, 1},
      {"入学类别", "STRING DIGIT", 1, 1}, {"入学期次", "STRING DIGIT", 2, 1},
      {"原代码", "STRING DIGIT", 15, 1},  {"结业类别", "STRING DIGIT", 1, 1},
      {"结业期次", "STRING DIGIT", 2, 1}, {"新代码", "STRING DIGIT", 15, 1},
      {"备注", "MDBSTRING", 60, 1}};
  QList<CKvFieldDesc> defs;
  for (const auto& field : fields) {
    CKvFieldDesc def;
    def.Set(QString::fromUtf8(field.caption), QString::fromLatin1(field.type), field.maxLen, 0,
            field.mayBeEmpty);
    defs.append(def);
  }
  return defs;
}

bool CStd::CheckField(const CKvFieldDesc&) const { return true; }

bool CStd::Validate(bool report) {
  const QString message = Invalidity();
  if (message.isEmpty())
    return true;
  if (report)
    KvMessageBox(message, KV_MB_OK | KV_MB_ICONSTOP);
  return false;
}

QString CStd::Invalidity() const {
  QList<CKvFieldDesc> defs = GetFieldDefs();
  const auto n = [](int value) { return QString::number(value); };
  const QStringList values = {KNO,      NA,       MRG,    TEL,   n(XQN),  n(XQL),   XQT[0],
                              XQT[1],   n(SEX),   HM,     BT,    PID,     NTN,      FGF,
                              FCH,      ADR,      n(LB[0]), n(QC[0]), DM[0], n(LB[1]), n(QC[1]),
                              DM[1],    NT};
  for (qsizetype i = 0; i < defs.size(); ++i) {
    CKvFieldDesc& def = defs[i];
    def.strValue = values.at(i);
    if (def.bMayBeEmpty == 0 && def.strValue.isEmpty())
      return QStringLiteral("“") + def.strCaption + QStringLiteral("”不能为空！");
    if (!KvCheckTypeSpec(def.strValue, QString(), 0, def.strType, def.nMaxLen, def.nLimit2) || !CheckField(def))
      return def.strCaption + QStringLiteral(" ：“") + def.strValue + QStringLiteral("”不合适！");
  }
  return QString();
}
