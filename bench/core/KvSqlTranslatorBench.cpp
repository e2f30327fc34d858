#include "core/KvSqlTranslator.h"

#include <benchmark/benchmark.h>

#include <QString>

// Every statement the program runs goes through the translator.
namespace {

QString marker(const char* keyword) {
  return QChar(0x07) + QString::fromLatin1(keyword) + QChar(0x08);
}

const QString& selectText() {
  static const QString text =
      "Select KNO,NA,MRG,TEL,XQN,XQL,XQT0,XQT1,SEX,HM From STD Where KNO Like '0102" +
      marker("*") + "' And KNO<>'0102' And Len(rtrim(KNO))=8 And Not(Len(rtrim(KNO))>=12 And "
                    "((LB0<>'0' And QC0>3) Or (LB1<>'0' And QC1<3))) And Left(T,4)='2024' "
                    "Order By KNO";
  return text;
}

const QString& createText() {
  static const QString text =
      "Create Table PC(T Char(8),DH Char(5),Mry Char(60),COST Char(2),STD Char(15),QC " +
      marker("Long") + ",F Long,My " + marker("Numeric(10,2)") +
      ",Opr0 Char(3),Opr1 Char(3),LPR Long,FS Char(1))";
  return text;
}

const QString& plainText() {
  static const QString text =
      "Update PC Set Opr1='102' Where F=-1 And T>='20240101' And T<='20241231' And DH='00012'";
  return text;
}

}  // namespace

static void BM_TranslateSelect(benchmark::State& state) {
  const bool server = state.range(0) != 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(KvTranslateSql(selectText(), server));
}
BENCHMARK(BM_TranslateSelect)->Arg(0)->Arg(1);

static void BM_TranslateCreateTable(benchmark::State& state) {
  const bool server = state.range(0) != 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(KvTranslateSql(createText(), server));
}
BENCHMARK(BM_TranslateCreateTable)->Arg(0)->Arg(1);

// A statement that needs no change comes back without a copy.
static void BM_TranslateUnchanged(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(KvTranslateSql(plainText(), true));
}
BENCHMARK(BM_TranslateUnchanged);

static void BM_QuoteSqlText(benchmark::State& state) {
  const QString text = QStringLiteral("张三丰's note | 青禾苑学校");
  for (auto _ : state)
    benchmark::DoNotOptimize(KvQuoteSqlText(text, 0, 30));
}
BENCHMARK(BM_QuoteSqlText);
