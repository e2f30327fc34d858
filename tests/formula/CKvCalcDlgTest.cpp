#include "formula/CKvCalcDlg.h"
#include "formula/KvCalculatorInstall.h"
#include "ui/KvCalculatorHook.h"
#include "ui/KvModal.h"
#include "ui/KvObjectNames.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <utility>

namespace {

QLineEdit* expressionLine(QWidget* dlg) {
  return KvDlgItem<QLineEdit>(dlg, CKvCalcDlg::IDC_EXPRESSION);
}
QString resultText(QWidget* dlg) { return KvDlgItem<QLineEdit>(dlg, CKvCalcDlg::IDC_RESULT)->text(); }
QString errorText(QWidget* dlg) { return KvDlgItem<QLabel>(dlg, CKvCalcDlg::IDC_ERROR)->text(); }

// While it lives, every modal dialog is shown without a modal loop and
// handed to `play`, whose answer is the dialog's result.
class ScriptedModal {
 public:
  explicit ScriptedModal(std::function<int(QDialog*)> play)
      : m_previous(KvSetDialogExec([play](QDialog* dialog) {
          dialog->show();
          const int result = play(dialog);
          dialog->hide();
          return result;
        })) {}
  ~ScriptedModal() { KvSetDialogExec(std::move(m_previous)); }

 private:
  KvDialogExecFn m_previous;
};

}  // namespace

TEST(CKvCalcDlg, EnterComputesTheTypedExpressionAndKeepsTheSession) {
  CKvCalcDlg dlg(false, "100+200+300");
  dlg.show();
  EXPECT_EQ(dlg.objectName(), "dlg_800");
  QLineEdit* line = expressionLine(&dlg);
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->text(), "100+200+300");
  EXPECT_EQ(resultText(&dlg), "");
  // without the send-back flag there is nothing to send back
  EXPECT_EQ(KvDlgItem(&dlg, 1), nullptr);
  ASSERT_NE(KvDlgItem<QPushButton>(&dlg, 2), nullptr);

  QTest::keyClick(line, Qt::Key_Return);
  EXPECT_EQ(resultText(&dlg), "600");
  EXPECT_TRUE(dlg.isVisible()) << "Enter computes, it does not close";

  line->clear();
  QTest::keyClicks(line, "(1+2)*-3^2");
  QTest::keyClick(line, Qt::Key_Enter);
  EXPECT_EQ(resultText(&dlg), "-27");

  // a faulty expression shows why and no result
  line->setText("１÷（２－２）");
  QTest::keyClick(line, Qt::Key_Return);
  EXPECT_EQ(resultText(&dlg), "");
  EXPECT_EQ(errorText(&dlg), "除数为零。");

  // the "计算" button computes as Enter does and clears the reason
  line->setText("2^10");
  QTest::mouseClick(KvDlgItem<QPushButton>(&dlg, CKvCalcDlg::IDC_COMPUTE), Qt::LeftButton);
  EXPECT_EQ(resultText(&dlg), "1024");
  EXPECT_EQ(errorText(&dlg), "");

  auto* history = KvDlgItem<QListWidget>(&dlg, CKvCalcDlg::IDC_HISTORY);
  ASSERT_NE(history, nullptr);
  ASSERT_EQ(history->count(), 3);
  EXPECT_EQ(history->item(0)->text(), "100+200+300 = 600");
  EXPECT_EQ(history->item(2)->text(), "2^10 = 1024");

  // Enter on an earlier calculation takes its expression back and computes it
  history->setFocus();
  history->setCurrentRow(0);
  QTest::keyClick(history, Qt::Key_Return);
  EXPECT_EQ(line->text(), "100+200+300");
  EXPECT_EQ(resultText(&dlg), "600");

  // the close button ends the dialog without a result to send
  QTest::mouseClick(KvDlgItem<QPushButton>(&dlg, 2), Qt::LeftButton);
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(dlg.result(), QDialog::Rejected);
}

TEST(CKvCalcDlg, SendsTheResultBackThroughTheHook) {
  KvInstallCalculator();
  {
    ScriptedModal modal([](QDialog* dlg) {
      expressionLine(dlg)->setText("6*7");
      QTest::mouseClick(KvDlgItem<QPushButton>(dlg, 1), Qt::LeftButton);
      return dlg->result();
    });
    QString result;
    EXPECT_TRUE(KvRunCalculator(true, "", nullptr, &result));
    EXPECT_EQ(result, "42");
  }
  {
    // the initial expression is what is computed when sent back at once
    ScriptedModal modal([](QDialog* dlg) {
      EXPECT_EQ(expressionLine(dlg)->text(), "1234.5");
      QTest::mouseClick(KvDlgItem<QPushButton>(dlg, 1), Qt::LeftButton);
      return dlg->result();
    });
    QString result;
    EXPECT_TRUE(KvRunCalculator(true, "1234.5", nullptr, &result));
    EXPECT_EQ(result, "1234.5");
  }
  {
    // a faulty expression keeps the dialog open; the user closes it instead
    ScriptedModal modal([](QDialog* dlg) {
      expressionLine(dlg)->setText("1/0");
      QTest::mouseClick(KvDlgItem<QPushButton>(dlg, 1), Qt::LeftButton);
      EXPECT_TRUE(dlg->isVisible());
      EXPECT_EQ(errorText(dlg), "除数为零。");
      EXPECT_TRUE(KvDlgItem(dlg, 1)->isEnabled());
      QTest::mouseClick(KvDlgItem<QPushButton>(dlg, 2), Qt::LeftButton);
      return dlg->result();
    });
    QString result = "untouched";
    EXPECT_FALSE(KvRunCalculator(true, "", nullptr, &result));
    EXPECT_EQ(result, "untouched");
  }
  {
    // without the flag the calculator only computes: nothing comes back
    ScriptedModal modal([](QDialog* dlg) {
      EXPECT_EQ(KvDlgItem(dlg, 1), nullptr);
      QTest::keyClick(expressionLine(dlg), Qt::Key_Return);
      EXPECT_EQ(resultText(dlg), "3");
      QTest::keyClick(dlg, Qt::Key_Escape);
      return dlg->result();
    });
    QString result;
    EXPECT_FALSE(KvRunCalculator(false, "1+2", nullptr, &result));
    EXPECT_EQ(result, "");
  }
  KvSetCalculator({});
}

TEST(CKvCalcDlg, F12InsideTheCalculatorOpensNoSecondOne) {
  int opened = 0;
  KvSetCalculator([&opened](bool, const QString&, QWidget*, QString*) {
    ++opened;
    return false;
  });
  CKvCalcDlg dlg(false, QString());
  dlg.show();
  QTest::keyClick(expressionLine(&dlg), Qt::Key_F12);
  KvSetCalculator(nullptr);
  EXPECT_EQ(opened, 0);
  EXPECT_FALSE(dlg.IsCmdEnabled(KV_CMD_CALCULATOR));
}
