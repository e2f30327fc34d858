// The version stamp of a data file on every back-end kind: what a file
// without, with an older and with the current stamp reports, and that a
// check without rewriting writes nothing.

#include "KvShellDbTest.h"
#include "core/CKvCsRec.h"

class KvVersionStampDb : public KvShellDbTest {
 protected:
  QStringList stampRows() {
    QStringList cols[3];
    appDb()->QueryTexts(QStringLiteral("Select CsN,rtrim(CsNa),rtrim(CsVal) From SysCsTab "
                                       "Where Cs=9133 Order By CsN"),
                        cols, 3);
    QStringList rows;
    for (qsizetype i = 0; i < cols[0].size(); ++i)
      rows.append(cols[0].at(i) + u'|' + cols[1].at(i) + u'|' + cols[2].at(i));
    return rows;
  }
  QString nameOfKind() { return QString::number(220 + appDb()->GetKind()); }
  QString editionText() {
    return QStringLiteral("%1（%2版）").arg(m_app.GetProductName(), KvGetEditionText());
  }
};

TEST_P(KvVersionStampDb, AFileWithoutStampReportsZeroAndIsStampedOnlyWhenAsked) {
  ASSERT_TRUE(CKvCsRec(appDb()).Delete(9133));
  int fileKind = -1;
  int major = -1;
  int minor = -1;
  CKvDataFile& file = m_app.GetDataFile();
  EXPECT_FALSE(file.CheckVersionStamp(nullptr, &fileKind, &major, &minor, false));
  EXPECT_EQ(fileKind, appDb()->GetKind());
  EXPECT_EQ(major, 0);
  EXPECT_EQ(minor, 0);
  EXPECT_TRUE(stampRows().isEmpty());

  EXPECT_FALSE(file.CheckVersionStamp(appDb(), &fileKind, &major, &minor));
  EXPECT_EQ(major, 0);
  EXPECT_EQ(stampRows(), (QStringList{"1|" + nameOfKind() + "|10  9", "2||" + editionText()}));

  EXPECT_TRUE(file.CheckVersionStamp(appDb(), &fileKind, &major, &minor));
  EXPECT_EQ(major, 10);
  EXPECT_EQ(minor, 9);
}

TEST_P(KvVersionStampDb, AnOlderOrForeignStampHandsBackWhatItRead) {
  CKvDataFile& file = m_app.GetDataFile();
  ASSERT_TRUE(CKvCsRec(appDb()).Delete(9133));
  CKvCsRec row(appDb());
  row.Set(9133, 1, nameOfKind(), QStringLiteral("9   9"));
  ASSERT_TRUE(row.Insert());
  int major = -1;
  int minor = -1;
  EXPECT_FALSE(file.CheckVersionStamp(nullptr, nullptr, &major, &minor, false));
  EXPECT_EQ(major, 9);
  EXPECT_EQ(minor, 0);

  ASSERT_TRUE(row.Delete(9133, 1));
  row.Set(9133, 1, nameOfKind(), QStringLiteral("10  8"));
  ASSERT_TRUE(row.Insert());
  EXPECT_FALSE(file.CheckVersionStamp(nullptr, nullptr, &major, &minor, false));
  EXPECT_EQ(major, 10);
  EXPECT_EQ(minor, 8);

  // A stamp written by another back end or edition counts as none.
  ASSERT_TRUE(row.Delete(9133, 1));
  row.Set(9133, 1, QStringLiteral("215"), QStringLiteral("10  9"));
  ASSERT_TRUE(row.Insert());
  EXPECT_FALSE(file.CheckVersionStamp(nullptr, nullptr, &major, &minor, true));
  EXPECT_EQ(major, 0);
  EXPECT_EQ(stampRows().first(), "1|" + nameOfKind() + "|10  9");
  // The edition row is compared ignoring case.
  ASSERT_TRUE(appDb()->Execute(QStringLiteral("Update SysCsTab Set CsVal='%1' Where Cs=9133 And CsN=2")
                                   .arg(appDb()->QuoteText(editionText().toLower()))));
  EXPECT_TRUE(file.CheckVersionStamp(nullptr, nullptr, &major, &minor, true));
}

KV_DB_KIND_TEST_SUITE(KvVersionStampDb);
