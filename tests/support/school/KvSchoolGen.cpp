#include "support/school/KvSchoolGen.h"

#include "app/CKvApp.h"
#include "core/CKvDb.h"
#include "core/KvDbTransaction.h"
#include "core/KvFormat.h"
#include "core/KvNumber.h"
#include "school/CStd.h"
#include "school/CXxDataType.h"

#include <QList>

#include <random>

namespace {
// Rows go in as multi-row inserts: one statement per batch.
class BatchInsert {
 public:
  BatchInsert(CKvDb* pDb, const QString& head) : m_pDb(pDb), m_head(head) {}
  bool Add(const QString& values) {
    m_values.append(u'(' + values + u')');
    return m_values.size() < 400 || Flush();
  }
  bool Flush() {
    if (m_values.isEmpty())
      return true;
    const bool ok = m_pDb->Execute(m_head + QStringLiteral(" Values") + m_values.join(u','));
    m_values.clear();
    return ok;
  }

 private:
  CKvDb* m_pDb;
  QString m_head;
  QStringList m_values;
};

const char* const kSurnames[] = {"张", "王", "李", "赵", "刘", "陈", "杨", "黄", "周", "吴"};
const char* const kGiven[] = {"伟", "芳", "娜", "敏", "静", "磊", "洋", "勇", "艳", "杰", "涛", "明"};
const char* const kItems[] = {"学费", "书本费", "住宿费", "伙食费", "校服费", "保险费",
                              "体检费", "资料费", "实验费", "取暖费", "活动费", "电脑费"};
}  // namespace

bool KvSetGeneratedSchoolParams(CKvDb* pDb) {
  CXxDataType* type = CXxDataType::Get();
  type->SetDefaultParams();
  type->m_params.nMgmtLevels = 1;
  type->m_params.nMultiClass = 1;
  const int lengths[] = {2, 2, 2, 3};
  for (int i = 0; i < 4; ++i)
    type->m_params.nCodeLen[i] = lengths[i];
  return type->SaveParams(pDb);
}

bool KvGenerateSchoolYear(CKvDb* pDb, const KvSchoolGenOptions& options, KvSchoolGenSummary* pSummary) {
  CKvApp* app = KvGetApp();
  if (!app || !pDb || !app->CreateAllTables(pDb) || !app->InsertDefaultRows(pDb, options.nYear) ||
      !KvSetGeneratedSchoolParams(pDb))
    return false;
  KvSchoolGenSummary summary;
  std::mt19937 random(options.seed);
  const auto chance = [&random](int percent) { return int(random() % 100) < percent; };

  KvDbTransaction transaction(*pDb);
  if (!transaction.IsActive())
    return false;

  // Fee items and the amount due of each.
  BatchInsert costs(pDb, QStringLiteral("Insert Into COST(KNO,NA,NT)"));
  QList<int> due;
  const int items = qBound(1, options.nItems, 99);
  for (int i = 1; i <= items; ++i) {
    const QString code = KvIntToText(i, 2);
    const QString name = QString::fromUtf8(kItems[(i - 1) % 12]) + (i > 12 ? QString::number(i) : QString());
    if (!costs.Add(KvFormat(QStringLiteral("'%s','%s',''"), code, pDb->QuoteText(name))))
      return false;
    summary.itemCodes.append(code);
    due.append(50 * (1 + int(random() % 40)));
  }
  if (!costs.Flush())
    return false;

  // The tree: unit 01, grades 0101.. (started 0, 1 and 2 years ago), classes
  // and students spread over the classes.
  BatchInsert tree(pDb, QStringLiteral("Insert Into STD(") + CStd::GetColumnList() + u')');
  CStd unit(pDb, QStringLiteral("01"));
  unit.NA = QStringLiteral("本校");
  if (!tree.Add(unit.GetValueList()))
    return false;
  const int classes = qMax(1, options.nClassesPerGrade);
  QStringList classCodes;
  for (int g = 0; g < 3; ++g) {
    const int start = options.nYear - g;
    CStd grade(pDb, KvFormat(QStringLiteral("01%02d"), g + 1));
    grade.NA = KvFormat(QStringLiteral("%d级"), start);
    grade.XQN = 6;
    grade.XQL = 0;
    grade.XQT[0] = KvFormat(QStringLiteral("%d0901"), start);
    grade.XQT[1] = KvFormat(QStringLiteral("%d0831"), start + 3);
    if (!tree.Add(grade.GetValueList()))
      return false;
    summary.nGradeTerms[g] = 2 * g;
    for (int c = 1; c <= classes; ++c) {
      CStd klass(pDb, grade.KNO + KvIntToText(c, 2));
      klass.NA = KvFormat(QStringLiteral("%d级%d班"), start, c);
      if (!tree.Add(klass.GetValueList()))
        return false;
      classCodes.append(klass.KNO);
    }
  }
  BatchInsert lines(pDb, QStringLiteral("Insert Into PC(QC,F,LPR,My,T,DH,Mry,COST,STD,Opr0,Opr1,FS)"));
  const QString year = QString::number(options.nYear);
  int paidVoucher = 0;
  QList<int> perClass(classCodes.size(), 0);
  const auto line = [&](int term, int kind, double amount, const QString& date, int number, const QString& memo,
                        const QString& item, const QString& student, int origin) {
    ++summary.nLines;
    return lines.Add(KvFormat(QStringLiteral("%d,%d,0,%lf,'%s','%s','%s','%s','%s','101','','%d'"), term, kind,
                              amount, date, KvIntToText(number, 5), memo, item, student, origin));
  };
  for (int s = 0; s < options.nStudents; ++s) {
    const int c = s % int(classCodes.size());
    CStd student(pDb, classCodes.at(c) + KvIntToText(++perClass[c], 3));
    student.NA = QString::fromUtf8(kSurnames[random() % 10]) + QString::fromUtf8(kGiven[random() % 12]) +
                 QString::fromUtf8(kGiven[random() % 12]);
    student.SEX = int(random() % 2);
    student.NTN = QStringLiteral("汉");
    const int grade = c / classes;
    student.QC[0] = 0;
    student.QC[1] = 5;
    if (!tree.Add(student.GetValueList()))
      return false;
    summary.studentCodes.append(student.KNO);
    const int term = summary.nGradeTerms[grade];
    // The due voucher of the student's class and term (one per class).
    const int dueNumber = grade * classes + c % classes + 1;
    for (int i = 0; i < items; ++i)
      if (!line(term, 1, due.at(i), year + QStringLiteral("0901"), dueNumber,
                KvFormat(QStringLiteral("第%d学期应交"), term + 1), summary.itemCodes.at(i), student.KNO, 1))
        return false;
    // Older grades paid the term before in full.
    if (term > 0) {
      const QString before = QString::number(options.nYear) + QStringLiteral("0301");
      ++paidVoucher;
      for (int i = 0; i < items; ++i) {
        if (!line(term - 1, 1, due.at(i), before, dueNumber + 3 * classes, QString(), summary.itemCodes.at(i), student.KNO, 1) ||
            !line(term - 1, -1, due.at(i), before, paidVoucher, QString(), summary.itemCodes.at(i), student.KNO, 0))
          return false;
      }
      ++summary.nReceipts;
    }
    // Receipts of three lines: everything, part, or nothing paid.
    const int share = chance(50) ? items : chance(60) ? int(random() % items) : 0;
    for (int i = 0; i < share; i += 3) {
      ++paidVoucher;
      ++summary.nReceipts;
      const QString date = year + KvFormat(QStringLiteral("09%02d"), 1 + int(random() % 28));
      for (int k = i; k < i + 3 && k < share; ++k) {
        const double amount = chance(90) ? due.at(k) : due.at(k) / 2.0;
        if (!line(term, -1, amount, date, paidVoucher, QString(), summary.itemCodes.at(k), student.KNO, 0))
          return false;
      }
    }
  }
  if (!tree.Flush() || !lines.Flush() || !transaction.Commit())
    return false;
  // The server plans by its statistics: gather them for the rows just
  // loaded, as its autovacuum would shortly.
  if (pDb->GetKind() != 0 && !pDb->Execute(QStringLiteral("Analyze")))
    return false;
  summary.nStudents = options.nStudents;
  if (pSummary)
    *pSummary = summary;
  return true;
}

QList<CPc> KvPayOneOfEachItem() {
  QList<CPc> lines;
  for (const char* item : {"01", "02", "03"}) {
    CPc line;
    line.COST = QString::fromLatin1(item);
    line.My = 1;
    lines.append(line);
  }
  return lines;
}
