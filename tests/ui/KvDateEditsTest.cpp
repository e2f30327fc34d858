// Dates typed into year, month and day fields, and the shared combo boxes
// of data-entry dialogs.

#include "KvUiTestSupport.h"
#include "support/KvTestDb.h"
#include "ui/CKvEdit.h"
#include "ui/KvAppServices.h"
#include "ui/KvComboHelpers.h"
#include "ui/KvDateEdits.h"

#include "core/KvMessage.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QHBoxLayout>

namespace {
// Two dates of three fields each, in a shown window (the focus is checked).
class DateFields : public QWidget {
 public:
  DateFields() {
    auto* layout = new QHBoxLayout(this);
    for (CKvEdit** field : {&fromYear, &fromMonth, &fromDay, &toYear, &toMonth, &toDay}) {
      *field = new CKvEdit(this);
      layout->addWidget(*field);
    }
    KvInitDateEdits(fromYear, fromMonth, fromDay);
    KvInitDateEdits(toYear, toMonth, toDay);
  }
  void set(CKvEdit* year, CKvEdit* month, CKvEdit* day, const char* y, const char* m,
           const char* d) {
    year->setText(QString::fromLatin1(y));
    month->setText(QString::fromLatin1(m));
    day->setText(QString::fromLatin1(d));
  }
  CKvEdit *fromYear, *fromMonth, *fromDay, *toYear, *toMonth, *toDay;
};
}  // namespace

TEST(DateEditsTest, OneDigitMonthAndDayArePaddedAndFaultsFocusTheirField) {
  KvMessageRecorder messages;
  DateFields fields;
  ASSERT_TRUE(KvShowActive(&fields));
  QString date;
  fields.set(fields.fromYear, fields.fromMonth, fields.fromDay, "2024", "3", "5");
  EXPECT_TRUE(KvGetDateEdits(fields.fromYear, fields.fromMonth, fields.fromDay, &date));
  EXPECT_EQ(date, QStringLiteral("20240305"));
  EXPECT_TRUE(messages.messages().isEmpty());

  struct Case {
    const char* year;
    const char* month;
    const char* day;
    const char* message;
    CKvEdit* focus;
  };
  const Case cases[] = {{"2024", "13", "1", "月份超界", fields.fromMonth},
                        {"2024", "", "1", "月份超界", fields.fromMonth},
                        {"2023", "2", "29", "日期超界", fields.fromDay},
                        {"1899", "12", "31", "年份太小", fields.fromYear},
                        {"24", "1", "1", "年份太小", fields.fromYear}};
  for (const Case& c : cases) {
    fields.toDay->setFocus();
    date = QStringLiteral("unchanged");
    fields.set(fields.fromYear, fields.fromMonth, fields.fromDay, c.year, c.month, c.day);
    EXPECT_FALSE(KvGetDateEdits(fields.fromYear, fields.fromMonth, fields.fromDay, &date)) << c.year;
    EXPECT_EQ(messages.last(), QString::fromUtf8(c.message)) << c.year << c.month << c.day;
    EXPECT_EQ(messages.messages().last().icon(), unsigned(KV_MB_ICONSTOP));
    EXPECT_EQ(QApplication::focusWidget(), c.focus) << c.year << c.month << c.day;
    EXPECT_EQ(date, QStringLiteral("unchanged"));
  }
}

TEST(DateEditsTest, RangeRefusesAStartAfterTheEnd) {
  KvMessageRecorder messages;
  DateFields fields;
  ASSERT_TRUE(KvShowActive(&fields));
  fields.set(fields.fromYear, fields.fromMonth, fields.fromDay, "2024", "9", "1");
  fields.set(fields.toYear, fields.toMonth, fields.toDay, "2024", "3", "31");
  fields.toDay->setFocus();
  QString from, to;
  EXPECT_FALSE(KvGetDateRange(fields.fromYear, fields.fromMonth, fields.fromDay, fields.toYear,
                              fields.toMonth, fields.toDay, &from, &to));
  EXPECT_EQ(messages.last(), QStringLiteral("起止时间倒置！"));
  EXPECT_EQ(QApplication::focusWidget(), fields.fromYear);

  // The same day at both ends is a range; a faulty end is told as a date.
  fields.set(fields.toYear, fields.toMonth, fields.toDay, "2024", "9", "1");
  EXPECT_TRUE(KvGetDateRange(fields.fromYear, fields.fromMonth, fields.fromDay, fields.toYear,
                             fields.toMonth, fields.toDay, &from, &to));
  EXPECT_EQ(from, QStringLiteral("20240901"));
  EXPECT_EQ(to, QStringLiteral("20240901"));
  fields.set(fields.toYear, fields.toMonth, fields.toDay, "2024", "9", "31");
  EXPECT_FALSE(KvGetDateRange(fields.fromYear, fields.fromMonth, fields.fromDay, fields.toYear,
                              fields.toMonth, fields.toDay, &from, &to));
  EXPECT_EQ(messages.last(), QStringLiteral("日期超界"));
  EXPECT_EQ(QApplication::focusWidget(), fields.toDay);
}

TEST(ComboHelpersTest, YearsStartAtTheDataFileYearAndAnUnknownYearFallsBack) {
  KvMessageRecorder messages;
  const KvDataFileYearFn previous = KvSetDataFileYearProvider([] { return 2024; });
  QComboBox combo;
  QString year = QStringLiteral("2025");
  KvFillYearCombo(&combo, 0, 3, &year);
  EXPECT_EQ(combo.count(), 4);
  EXPECT_EQ(combo.itemText(0), QString());
  EXPECT_EQ(combo.itemText(3), QStringLiteral("2026年"));
  EXPECT_EQ(combo.currentIndex(), 2);
  EXPECT_EQ(year, QStringLiteral("2025"));

  year = QStringLiteral("1999");
  KvFillYearCombo(&combo, 0, 3, &year);
  EXPECT_EQ(combo.currentIndex(), 0);
  EXPECT_EQ(year, QStringLiteral("2024"));
  QString chosen;
  EXPECT_FALSE(KvGetYearCombo(&combo, &chosen));
  EXPECT_EQ(messages.last(), QStringLiteral("未选择年度！"));
  EXPECT_TRUE(KvGetYearCombo(&combo, &chosen, true));
  combo.setCurrentIndex(1);
  EXPECT_TRUE(KvGetYearCombo(&combo, &chosen));
  EXPECT_EQ(chosen, QStringLiteral("2024"));
  KvSetDataFileYearProvider(previous);
}

class OperatorComboTest : public KvDbKindTest {};

TEST_P(OperatorComboTest, OperatorsComeFromTheTableInCodeOrder) {
  KvMessageRecorder messages;
  ASSERT_TRUE(db().Execute(QStringLiteral("Create Table OPR(OPNO Char(3),NA Char(8),PSD Char(20))")));
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into OPR(OPNO,NA,PSD) Values('102','王''五','')")));
  ASSERT_TRUE(db().Execute(QStringLiteral("Insert Into OPR(OPNO,NA,PSD) Values('101','管理员','')")));
  QComboBox combo;
  EXPECT_EQ(KvFillOperatorCombo(&combo, &db()), 2);
  EXPECT_EQ(combo.itemText(0), QStringLiteral("101管理员"));
  EXPECT_EQ(combo.itemText(1), QStringLiteral("102王'五"));
  combo.setCurrentIndex(-1);
  QString code;
  EXPECT_FALSE(KvGetOperatorCombo(&combo, &code));
  EXPECT_EQ(messages.last(), QStringLiteral("未选择操作员！"));
  combo.setCurrentIndex(1);
  EXPECT_TRUE(KvGetOperatorCombo(&combo, &code));
  EXPECT_EQ(code, QStringLiteral("102"));
}

KV_DB_KIND_TEST_SUITE(OperatorComboTest);
