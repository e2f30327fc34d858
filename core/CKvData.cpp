#include "core/CKvData.h"

#include "core/CKvDb.h"
#include "core/CKvQuery.h"
#include "core/KvFormat.h"
#include "core/KvSqlTranslator.h"
#include "core/KvText.h"

#include <typeinfo>

namespace {
// The Jet wildcard for any run of characters; the translator turns it into
// "%" for the server.
const QString kAnyRun = QStringLiteral("\x07*\x08");
// Key doubles closer than this are equal, in memory and in SQL alike.
constexpr double kDoubleTolerance = 0.0000001;
const QString kToleranceText = QStringLiteral("0.0000001");

int kindOf(const CKvDb* db) { return db ? db->GetKind() : 0; }

QString quote(const QString& text, int kind) { return KvQuoteSqlText(text, kind); }
QString quoteLike(const QString& text, int kind) { return KvQuoteLikePattern(text, kind); }

// A double as SQL text that reads back as the same double, locale-free.
QString sqlNumber(double value) { return QString::number(value, 'g', 17); }

// Characters, as the engines' Mid and substring count them.
int characterCount(const QString& text) { return int(text.toUcs4().size()); }
}  // namespace

CKvData::CKvData() = default;
CKvData::CKvData(const CKvData&) = default;
CKvData& CKvData::operator=(const CKvData&) = default;
CKvData::~CKvData() = default;

CKvData* CKvData::Clone() const { return new CKvData(*this); }

std::unique_ptr<CKvData> CKvData::NewOfSameClass() const {
  std::unique_ptr<CKvData> copy(Clone());
  if (!copy || typeid(*copy) != typeid(*this))
    return nullptr;
  return copy;
}

void CKvData::Clear() {
  m_lValues.fill(0);
  m_dValues.fill(0.0);
  for (QString& text : m_sValues)
    text.clear();
}

int CKvData::LongValue(int i) const { return i >= 0 && i < m_lValues.size() ? m_lValues[i] : 0; }
double CKvData::DoubleValue(int i) const {
  return i >= 0 && i < m_dValues.size() ? m_dValues[i] : 0.0;
}
QString CKvData::TextValue(int i) const {
  return i >= 0 && i < m_sValues.size() ? m_sValues[i] : QString();
}

KvDataFields CKvData::BuildFields() {
  PrepareFields();
  KvDataFields fields;
  QStringList table;
  GetFieldNames(KV_DATA_TABLE_NAME, &table);
  fields.strTable = KvTrimChars(table.value(0), KvWhiteSpace());
  for (int type = KV_DATA_LONG_NAMES; type <= KV_DATA_TEXT_NAMES; ++type) {
    QStringList raw;
    GetFieldNames(type, &raw);
    for (int i = 0; i < raw.size(); ++i) {
      QString name = KvTrimChars(raw[i], KvWhiteSpace());
      int key = 0;
      if (name.startsWith(u'#')) {
        key = 1;
        name.remove(0, 1);
        const qsizetype mark = name.indexOf(u'#');
        if (fields.nCodeField < 0 && mark >= 0) {
          fields.strSeparator = name.left(mark);
          name = name.mid(mark + 1);
          if (type == KV_DATA_TEXT_NAMES)
            fields.nCodeField = i;
        }
      } else if (name.startsWith(u'?')) {
        name.remove(0, 1);
        if (type == KV_DATA_TEXT_NAMES && fields.nNameField < 0)
          fields.nNameField = i;
      } else if (name.startsWith(u'|')) {
        name.remove(0, 1);
        if (type == KV_DATA_LONG_NAMES && fields.nLevelField < 0)
          fields.nLevelField = i;
      }
      fields.names.append(name);
      fields.keys.append(key);
    }
    const int count = int(raw.size());
    if (type == KV_DATA_LONG_NAMES)
      fields.nLong = count;
    else if (type == KV_DATA_DOUBLE_NAMES)
      fields.nDouble = count;
    else
      fields.nText = count;
  }
  return fields;
}

QString CKvData::BuildWhere(const KvDataFields& fields, int nMode) const {
  const int kind = kindOf(m_pDb);
  QStringList conditions;
  for (int column = 0; column < fields.names.size(); ++column) {
    if (!fields.keys.value(column))
      continue;
    const QString& name = fields.names[column];
    if (column < fields.nLong) {
      conditions.append(name + u'=' + QString::number(LongValue(column)));
      continue;
    }
    if (column < fields.nLong + fields.nDouble) {
      // Stored doubles rarely equal a literal exactly: the key matches
      // within the tolerance CompareKeys uses.
      const double value = DoubleValue(column - fields.nLong);
      conditions.append(QStringLiteral("Abs(") + name + QStringLiteral("-(") + sqlNumber(value) +
                        QStringLiteral("))<=") + kToleranceText);
      continue;
    }
    const int t = column - fields.nLong - fields.nDouble;
    const QString value = TextValue(t);
    if (t != fields.nCodeField || (nMode != 1 && nMode != 2)) {
      conditions.append(name + QStringLiteral("='") + quote(value, kind) + u'\'');
      continue;
    }
    // The code below it: the code, its separator, then anything.
    const QString below = quoteLike(value, kind) + quoteLike(fields.strSeparator, kind) + kAnyRun;
    if (nMode == 1) {
      if (!value.isEmpty())
        conditions.append(u'(' + name + QStringLiteral("='") + quote(value, kind) +
                          QStringLiteral("' Or ") + name + QStringLiteral(" Like '") + below +
                          QStringLiteral("')"));
    } else if (value.isEmpty()) {
      if (fields.nLevelField >= 0)
        conditions.append(fields.names[fields.nLevelField] + QStringLiteral("=1"));
    } else if (fields.nLevelField < 0) {
      conditions.append(name + QStringLiteral(" Like '") + below + QStringLiteral("' And ") +
                        name + QStringLiteral(" Not Like '") + below +
                        quoteLike(fields.strSeparator, kind) + kAnyRun + u'\'');
    } else {
      const int childLevel = int(value.count(u'-')) + 2;
      conditions.append(name + QStringLiteral(" Like '") + below + QStringLiteral("' And  ") +
                        fields.names[fields.nLevelField] + u'=' + QString::number(childLevel));
    }
  }
  if (conditions.isEmpty())
    return QString();
  return KvTranslateSql(QStringLiteral("Where ") + conditions.join(QStringLiteral(" And ")),
                        kind != 0);
}

void CKvData::BuildOrderBy(QString* pOrderBy, int nTextField, const QString& separator,
                           const QStringList& textNames, int nMode) const {
  if (!pOrderBy)
    return;
  pOrderBy->clear();
  if (nMode == 0 || nTextField < 0 || nTextField >= textNames.size())
    return;
  const QString& name = textNames[nTextField];
  if (nMode == 1 || separator.isEmpty()) {
    *pOrderBy = QStringLiteral("Order By ") + name;
    return;
  }
  // The children of this record's code, by the number in the segment that
  // follows the parent code.
  const int parentLength = characterCount(TextValue(nTextField));
  const int start = parentLength == 0 ? 1 : parentLength + characterCount(separator) + 1;
  const int kind = kindOf(m_pDb);
  if (kind != 0) {
    // The leading digits of the rest, as a number; 0 when there are none
    // (as Cast('' As INT) gave 0), never an error on a stray character.
    *pOrderBy = QStringLiteral("Order By Cast('0' || Coalesce(substring(substring(") + name + u',' +
                QString::number(start) + QStringLiteral(") from '^[0-9]+'),'') As NUMERIC)");
    return;
  }
  const QString rest = QStringLiteral("Mid(") + name + u',' + QString::number(start) + u')';
  const QString at = QStringLiteral("Instr(1,") + rest + QStringLiteral(",'") +
                     quote(separator, kind) + QStringLiteral("',0)");
  const QString end = QStringLiteral("iif(") + at + QStringLiteral(">0,") + at +
                      QStringLiteral(",1000)");
  *pOrderBy = QStringLiteral("Order By Val(Rtrim(Mid(") + rest + QStringLiteral(",1,") + end +
              QStringLiteral("-1)))");
}

QString CKvData::JoinNames(const QStringList& names) { return names.join(u','); }

void CKvData::SetQueryFieldNames(CKvQuery* pQuery, const KvDataFields& fields) {
  if (!pQuery)
    return;
  for (int i = 0; i < fields.nLong; ++i)
    pQuery->SetFieldName(0, i, fields.names.value(i));
  for (int i = 0; i < fields.nDouble; ++i)
    pQuery->SetFieldName(1, i, fields.names.value(fields.nLong + i));
  for (int i = 0; i < fields.nText; ++i)
    pQuery->SetFieldName(2, i, fields.names.value(fields.nLong + fields.nDouble + i));
}

int CKvData::SelectRows(int nMode, const QString& whereJet, const QString& orderJet,
                        const QString& whereServer, const QString& orderServer,
                        const std::function<void()>& onRow) {
  const KvDataFields fields = BuildFields();
  const bool server = kindOf(m_pDb) != 0;
  QString where = server && !whereServer.isEmpty() ? whereServer : whereJet;
  QString order = server && !orderServer.isEmpty() ? orderServer : orderJet;
  if (where.isEmpty())
    where = BuildWhere(fields, nMode);
  if (order.isEmpty())
    BuildOrderBy(&order, fields.nCodeField, fields.strSeparator, fields.TextNames(), nMode);

  CKvQuery query(fields.nLong, fields.nDouble, fields.nText, m_pDb);
  SetQueryFieldNames(&query, fields);
  const QString sql = QStringLiteral("Select ") + JoinNames(fields.names) + QStringLiteral(" From ") +
                      fields.strTable + u' ' + where + u' ' + order;
  if (!query.Open(sql))
    return 0;
  int rows = 0;
  for (; !query.IsEOF(); query.MoveNext()) {
    m_lValues.resize(qMax<qsizetype>(m_lValues.size(), fields.nLong));
    m_dValues.resize(qMax<qsizetype>(m_dValues.size(), fields.nDouble));
    m_sValues.resize(qMax<qsizetype>(m_sValues.size(), fields.nText));
    for (int i = 0; i < fields.nLong; ++i)
      m_lValues[i] = query.GetLong(i);
    for (int i = 0; i < fields.nDouble; ++i)
      m_dValues[i] = query.GetDouble(i);
    for (int i = 0; i < fields.nText; ++i)
      m_sValues[i] = query.GetText(i);
    ++rows;
    if (onRow)
      onRow();
  }
  return rows;
}

int CKvData::LoadFirst(int nMode) {
  bool haveFirst = false;
  QList<int> longs;
  QList<double> doubles;
  QStringList texts;
  const int rows = SelectRows(nMode, QString(), QString(), QString(), QString(), [&] {
    if (!haveFirst) {
      haveFirst = true;
      longs = m_lValues;
      doubles = m_dValues;
      texts = m_sValues;
    }
  });
  if (rows > 0) {
    m_lValues = longs;
    m_dValues = doubles;
    m_sValues = texts;
  }
  return rows;
}

bool CKvData::CompareKeys(const CKvData& other) {
  const KvDataFields fields = BuildFields();
  for (int column = 0; column < fields.names.size(); ++column) {
    if (!fields.keys.value(column))
      continue;
    if (column < fields.nLong) {
      if (LongValue(column) != other.LongValue(column))
        return false;
    } else if (column < fields.nLong + fields.nDouble) {
      const int d = column - fields.nLong;
      if (qAbs(DoubleValue(d) - other.DoubleValue(d)) > kDoubleTolerance)
        return false;
    } else {
      const int t = column - fields.nLong - fields.nDouble;
      if (TextValue(t) != other.TextValue(t))
        return false;
    }
  }
  return true;
}

bool CKvData::IsReferenced() { return IsReferenced(QStringList()); }

bool CKvData::IsReferenced(const QStringList& skipTables) {
  QStringList jetTails;
  QStringList serverTails;
  GetReferences(&jetTails, &serverTails);
  const bool server = kindOf(m_pDb) != 0;
  for (int i = 0; i < jetTails.size(); ++i) {
    const QString serverTail = serverTails.value(i);
    const QString tail = KvTrimChars(server && !serverTail.isEmpty() ? serverTail : jetTails[i],
                                     KvWhiteSpace());
    const QString table = KvFirstWord(tail);
    bool skip = false;
    for (const QString& skipped : skipTables)
      skip = skip || KvEqualsIgnoreCase(skipped, table);
    if (skip)
      continue;
    // Without a connection nothing can be shown to be free.
    if (!m_pDb)
      return true;
    QStringList count;
    if (m_pDb->QueryTexts(QStringLiteral("Select Count(*) From ") + tail, &count, 1) == 0) {
      // A table this data file does not have refers to nothing; any other
      // failure leaves the question open, which must not allow a delete.
      if (m_pDb->TableExists(table))
        return true;
      continue;
    }
    if (count.value(0).toLongLong() > 0)
      return true;
  }
  return false;
}

int CKvData::CanDelete(QString* pReason) {
  if (!IsReferenced())
    return 1;
  const KvDataFields fields = BuildFields();
  const QString name = TextValue(fields.nNameField);
  if (pReason)
    *pReason = KvFormat(QStringLiteral("“%s”已被引用，不能删除！"), name);
  if (fields.nNameField < 0)
    return 0;
  std::unique_ptr<CKvData> parent = NewOfSameClass();
  if (!parent)
    return 0;
  const QString parentName = KvLeftOfLast(name, u'-');
  parent->m_sValues.resize(qMax<qsizetype>(parent->m_sValues.size(), fields.nNameField + 1));
  parent->m_sValues[fields.nNameField] = parentName;
  const int rows = parent->LoadFirst(2);
  if (rows <= 0) {
    if (pReason)
      *pReason = KvFormat(QStringLiteral("“%s”已不存在！"), name);
    return 0;
  }
  if (rows > 1)
    return 0;
  if (!parentName.isEmpty())
    return 2;
  // Counted on a copy: the check leaves this record's values as they are.
  std::unique_ptr<CKvData> self = NewOfSameClass();
  return self && self->LoadFirst(1) > 1 ? 2 : 0;
}
