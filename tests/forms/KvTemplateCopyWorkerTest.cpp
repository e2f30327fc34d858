// Several workstations adding template copies at once, on PostgreSQL through
// ODBC and libpq: this test binary, run again in a worker role, stands in
// for each workstation.
//
// A worker is started with KV_TEST_TEMPL_WORKER="<kind>|<database>", opens
// the data file as operator 101 with the fake form module, fills its
// template list, selects the type (300, 0) and says "KV-WORKER READY". On a
// byte on its input it adds kAdds copies through the list and pastes kAdds
// more from the same data file, then says "KV-WORKER DONE <messages shown>".

#include "KvTemplateListTestSupport.h"
#include "app/KvShellTestApp.h"
#include "support/KvTestWorkers.h"

#include <memory>

namespace {
constexpr char kWorkerVariable[] = "KV_TEST_TEMPL_WORKER";
constexpr int kWorkers = 4;
constexpr int kAdds = 4;

// Opens the database with the fake module and the right 3001 loaded.
bool openOn(KvShellTestApp& app, KvFakeFormModule** ppModule, int kind, const QString& name) {
  app.createModules = [ppModule](KvShellTestApp& a) {
    *ppModule = new KvFakeFormModule;
    a.AddDataType(*ppModule);
  };
  app.InitInstance();
  CKvDataFile& file = app.GetDataFile();
  file.SetKind(kind == 0 ? 0 : 1);
  if (kind != 0)
    file.SetServerBackend(kind);
  file.SetOperatorCode(QStringLiteral("101"));
  file.SetOperatorName(QStringLiteral("管理员"));
  return app.GetDb()->Open(name, kind == 0 ? CKvDbInfo(0) : KvTestDb::ServerInfo(kind));
}

// The worker's side; false when this process is no worker.
bool servedAsWorker() {
  const QString request = KvTestWorkerRequest(kWorkerVariable);
  if (request.isEmpty())
    return false;
  KvShellTestApp app;
  KvFakeFormModule* module = nullptr;
  const bool ok = openOn(app, &module, request.section(u'|', 0, 0).toInt(), request.section(u'|', 1)) &&
                  app.GetDataFile().LoadRights();
  std::unique_ptr<CKvTemplateList> list;
  if (ok) {
    list.reset(static_cast<CKvTemplateList*>(module->CreateTemplatePage(nullptr)));
    list->SelectRow(list->FindRow(300, 0));
  }
  KvTestWorkerSay(ok ? "READY" : "FAILED");
  if (ok && KvTestWorkerWaitForGo()) {
    KvMessageRecorder recorder;
    for (int i = 0; i < kAdds; ++i) {
      list->SelectRow(list->FindRow(300, 0));
      list->OnAddTemplate();
    }
    for (int i = 0; i < kAdds; ++i) {
      int nResult = 0;
      list->PasteTemplate(300, 0, &nResult, app.GetDb());
    }
    KvTestWorkerSay("DONE " + QByteArray::number(recorder.messages().size()));
  }
  return true;
}
}  // namespace

class KvTemplateCopyWorkerTest : public ::testing::TestWithParam<int> {};

TEST_P(KvTemplateCopyWorkerTest, CopiesAddedAtOnceEachKeepANumberOfTheirOwn) {
  if (servedAsWorker())
    return;
  KvTestDb testDb(GetParam());
  KV_CREATE_TEST_DB(testDb);
  int whole = 0;
  {
    KvShellTestApp app;
    KvFakeFormModule* module = nullptr;
    ASSERT_TRUE(openOn(app, &module, GetParam(), testDb.name()));
    ASSERT_TRUE(app.CreateAllTables(app.GetDb()));
    ASSERT_TRUE(app.GetDb()->Execute(QStringLiteral("Insert Into PWR(OPNO,PWR) Values('101','3001')")));
    ASSERT_TRUE(KvSampleTemplate(QStringLiteral("收费表")).Replace(app.GetDb(), 300, 0, 0));
    whole = KvTemplateRowCount(app.GetDb(), 300, 0);
  }
  testDb.db().Close();

  KvTestWorkers workers(kWorkerVariable, QStringList(kWorkers, QString::number(GetParam()) + u'|' + testDb.name()));
  const int notReady = workers.FirstNotReady();
  ASSERT_EQ(notReady, -1) << workers.output(notReady).toStdString();
  // Every list was filled before any copy was added: each starts out of
  // date as soon as another workstation writes.
  workers.Go();
  for (int i = 0; i < kWorkers; ++i) {
    ASSERT_TRUE(workers.Finish(i));
    EXPECT_TRUE(workers.output(i).contains("KV-WORKER DONE 0")) << workers.output(i).toStdString();
  }

  // Every copy was stored whole under a number of its own, one above the
  // built-in types (0 and 1) upwards, and logged once.
  CKvDb reader(GetParam());
  ASSERT_TRUE(testDb.OpenAnother(reader));
  const int copies = kWorkers * kAdds * 2;
  QStringList expected{QStringLiteral("0")};
  for (int n = 2; n < 2 + copies; ++n)
    expected.append(QString::number(n));
  QStringList numbers;
  reader.QueryTexts(QStringLiteral("Select nForm From KvFormList Where nFlag=300 Order By nForm"), &numbers, 1);
  EXPECT_EQ(numbers, expected);
  for (int n = 2; n < 2 + copies; ++n)
    EXPECT_EQ(KvTemplateRowCount(&reader, 300, n), whole) << n;
  EXPECT_EQ(reader.GetLong(QStringLiteral("Select Count(*) From KvLog Where nTaskID=14")), copies);
}

INSTANTIATE_TEST_SUITE_P(Kinds, KvTemplateCopyWorkerTest, ::testing::Values(1, 2), KvDbKindName);
