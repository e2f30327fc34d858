// A read refused while a window fills or a form loads: the class fee sheet
// and the receipt card show nothing editable and save nothing, the modify
// forms do not open and write nothing, and the next read that passes makes
// them editable again.

#include "KvFeeUiTestSupport.h"
#include "KvSchoolTestSupport.h"

#include "app/KvDocOpenMode.h"
#include "core/KvMessage.h"
#include "forms/CFormChildFrm.h"
#include "forms/CKvDocTemplate.h"
#include "school/CKvCostEditDlg.h"
#include "school/CKvStdEditDlg.h"
#include "school/CXxDataType.h"
#include "school/CXxDjDoc2.h"
#include "school/CXxDjFrmView.h"
#include "school/CXxDjListView.h"
#include "school/CXxDjOpenDlg.h"
#include "ui/CKvEdit.h"
#include "ui/KvCommands.h"
#include "ui/KvUiTestSupport.h"

#include <QCoreApplication>

#include <memory>

namespace {

class KvRefusedReadTest : public KvSchoolDbTest {
 protected:
  void SetUp() override {
    KvSchoolDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    KvGetApp()->GetDataFile().SetLogOn(true);
    KvGetApp()->GetDataFile().SetYear(2024);
    ASSERT_TRUE(KvGrantRights(*m_app, {"1801", "1802", "1803", "1804", "1805", "1806"}));
    AddItem(QStringLiteral("01"), QStringLiteral("学费"));
    AddItem(QStringLiteral("02"), QStringLiteral("书本费"));
    AddClass({QStringLiteral("010201001"), QStringLiteral("张三"), QStringLiteral("010201002"),
              QStringLiteral("李四")});
    // A due voucher of term 1 and a paid receipt of 20240910, both the
    // operator's own and unreviewed, so that both could be saved.
    AddLine(QStringLiteral("010201001"), QStringLiteral("01"), 0, 1, 500);
    AddLine(QStringLiteral("010201002"), QStringLiteral("01"), 0, 1, 500);
    AddLine(QStringLiteral("010201001"), QStringLiteral("01"), 0, -1, 300);
    for (int flag : {255, 256})
      for (KvDocTypeEntry& entry : CXxDataType::Get()->FindTemplate(flag)->Entries()) {
        entry.openArgs.clear();
        entry.bArgsLoaded = false;
      }
    KvDeleteDocOpenMode(255, 0);
  }
  void TearDown() override {
    KvCloseDocumentWindows();
    KvSchoolDbTest::TearDown();
  }

  // The due sheet of class 010201, term 1.
  CXxDjDoc0* OpenSheet() {
    KvDocTypeEntry& entry = CXxDataType::Get()->FindTemplate(255)->Entries()[0];
    entry.openArgs = {QString(), QString(), QStringLiteral("010201"), QStringLiteral("0"), QStringLiteral("1")};
    entry.bArgsLoaded = true;
    return dynamic_cast<CXxDjDoc0*>(CXxDataType::Get()->OpenDocument(255, 0));
  }
  // The receipt window on 20240910.
  CXxDjDoc2* OpenReceipts() {
    KvFeeDialogScript script([](QDialog* dialog) {
      KvSetField(dialog, CXxDjOpenDlg::IDC_YEAR, QStringLiteral("2024"));
      KvSetField(dialog, CXxDjOpenDlg::IDC_MONTH, QStringLiteral("09"));
      KvSetField(dialog, CXxDjOpenDlg::IDC_DAY, QStringLiteral("10"));
      KvPress(dialog, KV_IDOK);
    });
    return dynamic_cast<CXxDjDoc2*>(CXxDataType::Get()->OpenDocument(256, 0));
  }

  // What a window or form does with one read: `read` runs it and answers
  // whether it read everything, `editable` whether the operator may now
  // edit, and `tryToSave` edits and saves as far as the window lets him.
  struct Subject {
    const char* name;
    std::function<bool()> read;
    std::function<bool()> editable;
    std::function<void()> tryToSave;
    // The window, pictured after its first refused read (KvShot).
    QWidget* window = nullptr;
  };
  // Runs the read with its 1st, 2nd, ... statement refused until a run
  // sends fewer statements than the one refused. After each refused run
  // nothing may be edited, and trying to save asks nothing, stores nothing
  // and logs nothing; the clean run leaves it editable. Returns the number
  // of reads.
  int ExpectNothingToSaveAfterEachRefusal(const Subject& subject) {
    SCOPED_TRACE(subject.name);
    const QStringList before = State();
    int n = 1;
    for (; n < 50; ++n) {
      KvMessageRecorder messages;
      pdb()->FailNthStatement(n);
      const bool read = subject.read();
      const int sent = pdb()->GetStatementsSent();
      pdb()->FailNthStatement(0);
      if (sent < n) {
        EXPECT_TRUE(read);
        break;
      }
      EXPECT_FALSE(read) << "statement " << n;
      EXPECT_FALSE(subject.editable()) << "statement " << n;
      if (n == 1 && subject.window)
        KvShot(subject.window, QStringLiteral("refused_%1").arg(QString::fromUtf8(subject.name).replace(u' ', u'_')));
      const qsizetype shown = messages.messages().size();
      subject.tryToSave();
      QCoreApplication::sendPostedEvents();
      // No question and no message of the save: there is nothing to save.
      EXPECT_EQ(messages.messages().size(), shown) << "statement " << n;
      EXPECT_EQ(State(), before) << "statement " << n;
    }
    EXPECT_TRUE(subject.editable());
    return n - 1;
  }
};

}  // namespace

TEST_P(KvRefusedReadTest, ARefusedReadLeavesNothingToEditOrSave) {
  // The class fee sheet read for a node just chosen in its tree.
  CXxDjDoc0* sheet = OpenSheet();
  ASSERT_NE(sheet, nullptr);
  CXxDjView0* grid = sheet->FindView<CXxDjView0>();
  ASSERT_EQ(sheet->GetRowCount(), 2);
  const Subject sheetSubject{
      "class fee sheet",
      [&] { sheet->MarkKeyChanged(); return sheet->Refill(); },
      [&] {
        return !sheet->m_bReadOnly && !sheet->IsFillFailed() && grid->IsEditable() &&
               sheet->GetRowCount() == 2;
      },
      [&] {
        EXPECT_EQ(grid->Model().TextRowCount(), 0);
        grid->SetChanged(true);
        EXPECT_FALSE(sheet->Save());
        EXPECT_TRUE(sheet->SaveModified());
      },
      sheet->GetFrames().at(0)};
  EXPECT_EQ(ExpectNothingToSaveAfterEachRefusal(sheetSubject), 4);
  // Editable again: an amount typed is saved.
  KvTypeFeeAmount(sheet, 0, QStringLiteral("01"), QStringLiteral("600"));
  ASSERT_TRUE(sheet->Save());
  EXPECT_EQ(pdb()->GetLong(QStringLiteral("Select Sum(My) From PC Where F=1")), 1100);

  // The receipt card: the stored receipt chosen in the list.
  CXxDjDoc2* receipts = OpenReceipts();
  ASSERT_NE(receipts, nullptr);
  auto* list = receipts->FindView<CXxDjListView>();
  auto* card = receipts->FindView<CXxDjFrmView>();
  const auto choose = [&](const QString& number) {
    list->View()->clearSelection();
    list->FindAndSelect(number);
  };
  const Subject receiptSubject{
      "receipt card",
      [&] {
        choose(QStringLiteral("00001"));
        return !receipts->IsFillFailed();
      },
      [&] { return !receipts->m_bReadOnly && card->AmountEdit(0)->isVisibleTo(card); },
      [&] {
        receipts->m_lines[0].COST = QStringLiteral("01");
        receipts->m_lines[0].My = 900;
        EXPECT_FALSE(card->SaveRecord(0));
        EXPECT_FALSE(receipts->Save());
        EXPECT_TRUE(receipts->SaveModified());
        choose(CXxDjListView::kNewRow);
      },
      receipts->GetFrames().at(0)};
  choose(CXxDjListView::kNewRow);
  EXPECT_GE(ExpectNothingToSaveAfterEachRefusal(receiptSubject), 2);
  EXPECT_EQ(card->AmountEdit(0)->text(), QStringLiteral("300"));

  // The modify forms of a fee item and of a grade: a form that could not
  // read its row (its caller then does not open it) closes when shown all
  // the same and writes nothing.
  std::unique_ptr<CKvCostEditDlg> item;
  const Subject itemSubject{
      "fee item form",
      [&] {
        item = std::make_unique<CKvCostEditDlg>(0, QStringLiteral("01"), pdb());
        return item->Load();
      },
      [&] {
        item->show();
        return item->isVisible() && KvFieldText(item.get(), CKvCostEditDlg::IDC_NAME) == QStringLiteral("学费");
      },
      [&] {
        KvSetField(item.get(), CKvCostEditDlg::IDC_NAME, QStringLiteral("杂费"));
        KvPress(item.get(), KV_IDOK);
        EXPECT_NE(item->result(), QDialog::Accepted);
      }};
  EXPECT_EQ(ExpectNothingToSaveAfterEachRefusal(itemSubject), 1);
  std::unique_ptr<CKvStdEditDlg> grade;
  const Subject gradeSubject{
      "grade form",
      [&] {
        grade = std::make_unique<CKvStdEditDlg>(CKvStdEditDlg::IDD_GRADE, pdb(), QStringLiteral("01"),
                                                QStringLiteral("0102"), false);
        return grade->Load();
      },
      [&] {
        grade->show();
        return grade->isVisible() && KvFieldText(grade.get(), CKvStdEditDlg::IDC_NAME) == QStringLiteral("2024级") &&
               !KvDlgItem<QWidget>(grade.get(), CKvStdEditDlg::IDC_TERMS)->isEnabled();
      },
      [&] {
        KvSetField(grade.get(), CKvStdEditDlg::IDC_NAME, QStringLiteral("2025级"));
        KvPress(grade.get(), KV_IDOK);
        EXPECT_NE(grade->result(), QDialog::Accepted);
      }};
  EXPECT_EQ(ExpectNothingToSaveAfterEachRefusal(gradeSubject), 2);
}

KV_DB_KIND_TEST_SUITE(KvRefusedReadTest);
