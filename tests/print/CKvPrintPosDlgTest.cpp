// The positioned-print settings dialog offscreen: the layouts and their
// fields, fields the operator adds (numbered from 1000) as the only ones
// that can be deleted, positions off the paper refused with the dialog
// left open, every edited layout stored at OK, and a test print that shows
// the tokens.

#include "core/CKvCsTab.h"
#include "print/CKvPrintFieldDefs.h"
#include "print/CKvPrintPosDlg.h"
#include "print/KvPdfReadBack.h"
#include "print/KvPrintProviders.h"
#include "print/KvPrintTestSupport.h"
#include "support/KvTestDb.h"
#include "ui/KvObjectNames.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QTableWidget>

namespace {

constexpr int kCard = 5001;
constexpr int kReceipt = 4181;

// Two layouts: an admission card of two fields and a receipt of three.
int twoLayouts(int layoutId, CKvPrintFieldDefs& defs) {
  if (layoutId < 0) {
    defs.Add(QStringLiteral("5001"), QStringLiteral("准考证"), QString());
    defs.Add(QStringLiteral("4181"), QStringLiteral("收费收据"), QString());
  } else if (layoutId == kCard) {
    defs.Add(QStringLiteral("姓名"), QStringLiteral("#xm"), QStringLiteral("300 400 14 400 0 0 宋体"));
    defs.Add(QStringLiteral("考号"), QStringLiteral("#kh"), QStringLiteral("300 460 14 400 0 0 宋体"));
  } else if (layoutId == kReceipt) {
    defs.Add(QStringLiteral("单号"), QStringLiteral("#dh"), QStringLiteral("300 400 14 400 0 0 宋体"));
    defs.Add(QStringLiteral("学生"), QStringLiteral("#xsm"), QStringLiteral("300 460 14 400 0 0 宋体"));
    defs.Add(QStringLiteral("金额"), QStringLiteral("#hjx"), QStringLiteral("300 520 14 400 0 0 宋体"));
  }
  return defs.Count();
}

class CKvPrintPosDlgTest : public KvPrintToPdfTest {
 protected:
  void SetUp() override {
    KvPrintToPdfTest::SetUp();
    KV_CREATE_TEST_DB(m_testDb);
    ASSERT_EQ(CKvCsTab(&db()).CreateTable(), 2);
    m_previous = KvSetPrintPosFormsProvider(twoLayouts);
  }
  void TearDown() override {
    KvSetPrintPosFormsProvider(m_previous);
    KvPrintToPdfTest::TearDown();
  }

  CKvDb& db() { return m_testDb.db(); }
  bool openAnother(CKvDb& other) { return m_testDb.OpenAnother(other); }
  static QTableWidget* table(QWidget* dialog) { return KvDlgItem<QTableWidget>(dialog, 1001); }
  static QAbstractButton* button(QWidget* dialog, int id) { return KvDlgItem<QAbstractButton>(dialog, id); }
  static void setCell(QWidget* dialog, int row, int column, const QString& text) {
    table(dialog)->item(row, column)->setText(text);
  }
  QList<int> storedNumbers(int layoutId) {
    QList<CKvCsRec> rows;
    CKvCsTab(&db()).SelectByCs(layoutId, &rows);
    QList<int> numbers;
    for (const CKvCsRec& row : rows)
      numbers.append(row.CsN);
    return numbers;
  }

  KvMessageRecorder messages;

 private:
  KvTestDb m_testDb{0};
  KvPrintPosFormsFn m_previous;
};

TEST_F(CKvPrintPosDlgTest, ShowsTheLayoutsAndOnlyAddedFieldsCanBeDeleted) {
  CKvPrintPosDlg dialog(&db());
  dialog.show();
  EXPECT_EQ(dialog.objectName(), QStringLiteral("dlg_819"));
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("自定位打印设置"));
  auto* layouts = KvDlgItem<QComboBox>(&dialog, 1000);
  ASSERT_EQ(layouts->count(), 2);
  EXPECT_EQ(layouts->itemText(1), QStringLiteral("收费收据"));
  QTableWidget* fields = table(&dialog);
  ASSERT_EQ(fields->rowCount(), 2);
  EXPECT_FALSE(fields->item(0, CKvPrintPosDlg::NameColumn)->flags() & Qt::ItemIsEditable);
  fields->setCurrentCell(1, CKvPrintPosDlg::TextColumn);
  EXPECT_FALSE(button(&dialog, 1003)->isEnabled());

  button(&dialog, 1002)->click();
  button(&dialog, 1002)->click();
  ASSERT_EQ(fields->rowCount(), 4);
  EXPECT_TRUE(fields->item(3, CKvPrintPosDlg::NameColumn)->flags() & Qt::ItemIsEditable);
  fields->setCurrentCell(2, CKvPrintPosDlg::NameColumn);
  EXPECT_TRUE(button(&dialog, 1003)->isEnabled());
  button(&dialog, 1003)->click();
  ASSERT_EQ(fields->rowCount(), 3);
  button(&dialog, 1002)->click();
  setCell(&dialog, 2, CKvPrintPosDlg::NameColumn, QStringLiteral("座位"));
  setCell(&dialog, 3, CKvPrintPosDlg::NameColumn, QStringLiteral("考场"));

  button(&dialog, KV_IDOK)->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(storedNumbers(kCard), QList<int>({1001, 1002}));
}

TEST_F(CKvPrintPosDlgTest, BadValuesAreRefusedAndTheDialogStaysOpen) {
  CKvPrintPosDlg dialog(&db());
  dialog.show();
  const struct {
    int column;
    QString text;
    QString message;
    bool storedByAnother = false;  // another connection stores the field after the dialog read it
  } cases[] = {{CKvPrintPosDlg::XColumn, QStringLiteral("2100"), QStringLiteral("超出了纸张")},
               {CKvPrintPosDlg::YColumn, QStringLiteral("-1"), QStringLiteral("不小于0的整数")},
               {CKvPrintPosDlg::HeightColumn, QStringLiteral("0"), QStringLiteral("大于0的整数")},
               {CKvPrintPosDlg::TextColumn, QString(300, u'字'), QStringLiteral("太长")},
               {CKvPrintPosDlg::XColumn, QStringLiteral("800"), QStringLiteral("已被其他窗口或工作站修改"), true}};
  CKvDb other(0);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.column);
    const QString kept = table(&dialog)->item(1, c.column)->text();
    setCell(&dialog, 1, c.column, c.text);
    if (c.storedByAnother) {
      ASSERT_TRUE(openAnother(other));
      CKvCsRec row(&other);
      row.Set(kCard, 2, QStringLiteral("考号"), QStringLiteral("500 500 14 400 0 0 宋体\t#kh"));
      ASSERT_TRUE(row.Insert());
    }
    const qsizetype before = messages.messages().size();
    button(&dialog, KV_IDOK)->click();
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_EQ(messages.messages().size(), before + 1);
    EXPECT_TRUE(messages.messages().last().text.contains(c.message))
        << messages.messages().last().text.toStdString();
    EXPECT_TRUE(c.storedByAnother || (table(&dialog)->currentRow() == 1 && table(&dialog)->currentColumn() == c.column));
    setCell(&dialog, 1, c.column, kept);
  }
  // Another layout cannot be shown while the shown one holds a bad value.
  setCell(&dialog, 0, CKvPrintPosDlg::XColumn, QStringLiteral("abc"));
  auto* layouts = KvDlgItem<QComboBox>(&dialog, 1000);
  layouts->setCurrentIndex(1);
  emit layouts->activated(1);
  EXPECT_EQ(layouts->currentIndex(), 0);
  EXPECT_EQ(table(&dialog)->rowCount(), 2);
  // Only the other connection's row is stored, as it stored it.
  QList<KvPrintPosField> card;
  ASSERT_TRUE(KvLoadPosFields(&db(), kCard, &card));
  EXPECT_EQ(storedNumbers(kCard), QList<int>({2}));
  EXPECT_EQ(card.at(1).PositionText(), QStringLiteral("500 500 14 400 0 0 宋体"));
}

TEST_F(CKvPrintPosDlgTest, OkStoresEveryEditedLayoutAndTestPrintShowsTheTokens) {
  CKvPrintPosDlg dialog(&db());
  dialog.show();
  setCell(&dialog, 1, CKvPrintPosDlg::XColumn, QStringLiteral("800"));
  auto* layouts = KvDlgItem<QComboBox>(&dialog, 1000);
  layouts->setCurrentIndex(1);
  emit layouts->activated(1);
  ASSERT_EQ(table(&dialog)->rowCount(), 3);
  setCell(&dialog, 0, CKvPrintPosDlg::YColumn, QStringLiteral("1000"));

  KvPrintAnswers answers(KvTestPdfPath());
  button(&dialog, 1004)->click();
  EXPECT_EQ(answers.printDialogs, 1);
  const KvPdfReadBack pdf = KvReadPdf(answers.pdfPath);
  ASSERT_EQ(pdf.Find(QStringLiteral("#dh")).size(), 1);
  EXPECT_NEAR(pdf.Find(QStringLiteral("#dh")).first().top, 100.0, 0.5);
  EXPECT_TRUE(storedNumbers(kReceipt).isEmpty());

  // Back to the first layout: its edit is still there.
  layouts->setCurrentIndex(0);
  emit layouts->activated(0);
  EXPECT_EQ(table(&dialog)->item(1, CKvPrintPosDlg::XColumn)->text(), QStringLiteral("800"));
  button(&dialog, KV_IDOK)->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(storedNumbers(kCard), QList<int>({2}));
  EXPECT_EQ(storedNumbers(kReceipt), QList<int>({1}));
  EXPECT_TRUE(logged.isEmpty());

  // A layout whose stored changes cannot be read is only shown; OK keeps its
  // stored rows and stores the other layout's edit.
  const qsizetype reported = messages.messages().size();
  db().FailNthStatement(1);
  CKvPrintPosDlg refused(&db());
  refused.show();
  EXPECT_EQ(messages.messages().size(), reported + 1);
  EXPECT_TRUE(refused.findChild<QWidget*>(QStringLiteral("unread_note"))->isVisible());
  EXPECT_FALSE(table(&refused)->item(1, CKvPrintPosDlg::XColumn)->flags() & Qt::ItemIsEditable);
  EXPECT_FALSE(button(&refused, 1002)->isEnabled());
  setCell(&refused, 1, CKvPrintPosDlg::YColumn, QStringLiteral("900"));
  layouts = KvDlgItem<QComboBox>(&refused, 1000);
  layouts->setCurrentIndex(1);
  emit layouts->activated(1);
  EXPECT_FALSE(refused.findChild<QWidget*>(QStringLiteral("unread_note"))->isVisible());
  setCell(&refused, 1, CKvPrintPosDlg::YColumn, QStringLiteral("1100"));
  button(&refused, KV_IDOK)->click();
  EXPECT_EQ(refused.result(), QDialog::Accepted);
  QList<KvPrintPosField> card;
  ASSERT_TRUE(KvLoadPosFields(&db(), kCard, &card));
  EXPECT_EQ(card.at(1).PositionText(), QStringLiteral("800 460 14 400 0 0 宋体"));
  EXPECT_EQ(storedNumbers(kReceipt), QList<int>({1, 2}));
}

}  // namespace
