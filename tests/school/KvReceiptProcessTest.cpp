// Receipts saved by several programs at once, and by a program that is
// killed while it saves: this test binary, run again in a worker role,
// stands in for the other workstation (on SQLite and on PostgreSQL).
//
// A worker is started with KV_TEST_RECEIPT_WORKER="<mode>|<kind>|<database>
// |<student>", opens the data file as operator 101 and says "KV-WORKER
// READY". Modes: "loop" saves receipts until it is killed; "same" waits for
// a byte on its input and saves one receipt numbered 00042, then says
// "KV-WORKER RESULT <1 or 0> <last message>"; "many" waits likewise and
// saves 200 receipts under numbers proposed by NextVoucherNo (a number
// taken meanwhile is tried again with the next proposal), then says
// "KV-WORKER DONE <saved>".

#include "KvSchoolTestSupport.h"

#include "core/KvMessage.h"
#include "school/CXxDataType.h"
#include "school/KvReceiptSave.h"
#include "support/KvTestWorkers.h"
#include "support/school/KvSchoolGen.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QSet>
#include <QThread>
#include <memory>

namespace {
constexpr char kWorkerVariable[] = "KV_TEST_RECEIPT_WORKER";
constexpr int kStudents = 10;
constexpr int kManySaves = 200;

QString studentCode(int i) { return QStringLiteral("010201") + QString::number(i + 1).rightJustified(3, u'0'); }

// A receipt of three lines of 1.00 each for a student.
KvReceiptSaveResult saveReceipt(CKvDb* pDb, int student, const QString& number) {
  CPc head;
  head.STD = studentCode(student % kStudents);
  head.T = QStringLiteral("20240910");
  head.QC = 0;
  head.DH = number;
  head.Opr0 = QStringLiteral("101");
  return KvReceiptSave::Save(head, CPc(), KvPayOneOfEachItem(), true, pDb);
}

// The worker's side; false when this process is no worker.
bool servedAsWorker() {
  const QString request = KvTestWorkerRequest(kWorkerVariable);
  if (request.isEmpty())
    return false;
  const QString mode = request.section(u'|', 0, 0);
  const int kind = request.section(u'|', 1, 1).toInt();
  const int student = request.section(u'|', 3, 3).toInt();
  KvSchoolTestApp app;
  CKvDataFile& file = app.GetDataFile();
  file.SetKind(kind == 0 ? 0 : 1);
  if (kind != 0)
    file.SetServerBackend(kind);
  file.SetOperatorCode(QStringLiteral("101"));
  file.SetOperatorName(QStringLiteral("管理员"));
  CKvDb* pDb = app.GetDb();
  if (!pDb->Open(request.section(u'|', 2, 2), kind == 0 ? CKvDbInfo(0) : KvTestDb::ServerInfo(kind)) ||
      !CXxDataType::Get()->ReloadParams(pDb)) {
    KvTestWorkerSay("FAILED");
    return true;
  }
  KvMessageRecorder recorder;
  KvTestWorkerSay("READY");
  if (mode == u"loop") {
    for (int i = 0;; ++i)
      saveReceipt(pDb, student + i, QString());
  }
  if (!KvTestWorkerWaitForGo())
    return true;
  if (mode == u"same") {
    const bool saved = saveReceipt(pDb, student, QStringLiteral("00042")).bSaved;
    KvTestWorkerSay("RESULT " + QByteArray(saved ? "1 " : "0 ") + recorder.last().section(u'\n', 0, 0).toUtf8());
  } else if (mode == u"many") {
    int saved = 0;
    while (saved < kManySaves) {
      const QString number = CPc::NextVoucherNo(-1, QStringLiteral("2024"), pDb);
      if (saveReceipt(pDb, student + saved, number).bSaved)
        ++saved;
      else if (recorder.last() != QStringLiteral("单号重，插入记录失败！"))
        break;
    }
    KvTestWorkerSay("DONE " + QByteArray::number(saved));
  }
  pDb->Close();
  return true;
}
}  // namespace

class KvReceiptProcessTest : public ::testing::TestWithParam<int> {
 protected:
  // A data file with one class of students who owe 1,000,000 per item.
  void MakeSchool() {
    m_testDb = std::make_unique<KvTestDb>(GetParam());
    KV_CREATE_TEST_DB(*m_testDb);
    KvSchoolTestApp app;
    ASSERT_TRUE(app.OpenOn(*m_testDb));
    CKvDb* pDb = app.GetDb();
    ASSERT_TRUE(app.CreateAllTables(pDb));
    ASSERT_TRUE(app.InsertDefaultRows(pDb, 2024));
    ASSERT_TRUE(KvSetGeneratedSchoolParams(pDb));
    QStringList codes = {QStringLiteral("01"), QStringLiteral("0102"), QStringLiteral("010201")};
    for (int i = 0; i < kStudents; ++i)
      codes.append(studentCode(i));
    for (const QString& code : codes) {
      CStd row(pDb, code);
      row.SetDefaults(code.size() == 9);
      row.KNO = code;
      row.NA = QStringLiteral("学生");
      ASSERT_EQ(row.InsertRow(), 1);
    }
    for (const char* item : {"01", "02", "03"}) {
      ASSERT_TRUE(pDb->Execute(QStringLiteral("Insert Into COST(KNO,NA,NT) Values('%1','费','')").arg(item)));
      for (int i = 0; i < kStudents; ++i) {
        CPc due;
        due.STD = studentCode(i);
        due.COST = QString::fromLatin1(item);
        due.F = 1;
        due.My = 1000000;
        due.T = QStringLiteral("20240901");
        due.DH = QStringLiteral("00001");
        ASSERT_TRUE(due.Insert(pDb));
      }
    }
    pDb->Close();
    m_testDb->db().Close();
  }
  // Workers of one mode, one per first student.
  std::unique_ptr<KvTestWorkers> Start(const QString& mode, const QList<int>& students) {
    QStringList requests;
    for (int student : students)
      requests.append(QStringLiteral("%1|%2|%3|%4").arg(mode).arg(GetParam()).arg(m_testDb->name()).arg(student));
    return std::make_unique<KvTestWorkers>(kWorkerVariable, requests);
  }
  QStringList Column(const QString& sql) {
    CKvDb reader(GetParam());
    EXPECT_TRUE(m_testDb->OpenAnother(reader));
    QStringList values;
    reader.QueryTexts(sql, &values, 1);
    return values;
  }

  std::unique_ptr<KvTestDb> m_testDb;
};

TEST_P(KvReceiptProcessTest, KilledWhileSavingLeavesWholeReceiptsOnly) {
  if (servedAsWorker())
    return;
  MakeSchool();
  if (::testing::Test::IsSkipped() || HasFatalFailure())
    return;
  for (int round = 0; round < 20; ++round) {
    std::unique_ptr<KvTestWorkers> worker = Start(QStringLiteral("loop"), {round});
    ASSERT_EQ(worker->FirstNotReady(), -1) << worker->output(0).toStdString();
    QThread::msleep(10 + QRandomGenerator::global()->bounded(90));
    worker->Kill(0, GetParam());
  }
  // Every receipt has its three lines and one log row; no log row without
  // its receipt.
  const QStringList counts = Column(QStringLiteral("Select Count(*) From PC Where F=-1 Group By DH"));
  EXPECT_FALSE(counts.isEmpty());
  RecordProperty("receipts", int(counts.size()));
  for (const QString& count : counts)
    EXPECT_EQ(count, QStringLiteral("3"));
  QStringList notes;
  for (const QString& number : Column(QStringLiteral("Select Distinct DH From PC Where F=-1 Order By DH")))
    notes.append(QStringLiteral("新增：№(2024)") + number);
  EXPECT_EQ(Column(QStringLiteral("Select sNote From KvLog Where nTaskID=1802 Order By sNote")), notes);
}

TEST_P(KvReceiptProcessTest, TwoOperatorsNeverShareANumber) {
  if (servedAsWorker())
    return;
  MakeSchool();
  if (::testing::Test::IsSkipped() || HasFatalFailure())
    return;
  // The same number at once: one receipt, the other save refused.
  {
    std::unique_ptr<KvTestWorkers> workers = Start(QStringLiteral("same"), {0, 1});
    const int notReady = workers->FirstNotReady();
    ASSERT_EQ(notReady, -1) << workers->output(notReady).toStdString();
    workers->Go();
    QStringList results;
    for (int i = 0; i < 2; ++i) {
      ASSERT_TRUE(workers->Finish(i));
      for (const QByteArray& result : workers->Lines(i, "RESULT "))
        results.append(QString::fromUtf8(result));
    }
    results.sort();
    ASSERT_EQ(results.size(), 2);
    EXPECT_EQ(results.at(0), QStringLiteral("0 单号重，插入记录失败！"));
    EXPECT_TRUE(results.at(1).startsWith(QStringLiteral("1 "))) << results.at(1).toStdString();
    EXPECT_EQ(Column(QStringLiteral("Select Count(*) From PC Where F=-1 And DH='00042'")), QStringList{"3"});
  }
  // 200 saves each under proposed numbers: every number once.
  std::unique_ptr<KvTestWorkers> workers = Start(QStringLiteral("many"), {0, 5});
  const int notReady = workers->FirstNotReady();
  ASSERT_EQ(notReady, -1) << workers->output(notReady).toStdString();
  workers->Go();
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(workers->Finish(i));
    EXPECT_TRUE(workers->output(i).contains("KV-WORKER DONE 200")) << workers->output(i).toStdString();
  }
  const QStringList numbers = Column(QStringLiteral("Select Distinct DH From PC Where F=-1 Order By DH"));
  EXPECT_EQ(numbers.size(), 2 * kManySaves + 1);
  for (const QString& count : Column(QStringLiteral("Select Count(*) From PC Where F=-1 Group By DH")))
    EXPECT_EQ(count, QStringLiteral("3"));
}

// SQLite and PostgreSQL through libpq.
INSTANTIATE_TEST_SUITE_P(Kinds, KvReceiptProcessTest, ::testing::Values(0, 2), KvDbKindName);
