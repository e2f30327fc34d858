#pragma once
// What the properties-sheet tests share: a document of the fake module that
// records the sheet's change questions and may refuse one kind, and a
// fixture that opens the fake module's stored copy (300, 5) on a test
// database of the kind given, with print settings for two printers and its
// parameter row.

#include "KvFakeFormModule.h"
#include "app/KvShellTestApp.h"
#include "core/KvCurrentPrinter.h"
#include "forms/CKvPublicSheet.h"
#include "print/CKvPrintSet.h"
#include "ui/KvModal.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QInputMethodEvent>
#include <QPair>
#include <QTest>
#include <functional>
#include <memory>

class KvSheetTestDoc : public KvFakeDoc {
 public:
  bool OnLayoutChange(int nAction, int nKind, int nIndex, const KvFormEntry&, const KvFormEntry&) override {
    EXPECT_EQ(nAction, 1);
    asked.append({nKind, nIndex});
    return nKind != refusedKind;
  }
  bool EditFormula(QString& formula) override {
    if (editedFormula.isEmpty())
      return false;
    formula = editedFormula;
    return true;
  }

  bool HasPropertyPage(int n) override { return n != withoutPage; }

  QList<QPair<int, int>> asked;
  int refusedKind = -100;
  int withoutPage = 0;
  QString editedFormula;
};

// Types the text into the field as an operator would: ASCII characters as
// keys, the others as input-method commits.
inline void KvTypeText(QWidget* field, const QString& text) {
  for (QChar c : text) {
    if (c.unicode() < 0x80) {
      QTest::keyClick(field, char(c.unicode()));
      continue;
    }
    QInputMethodEvent event(QString(), {});
    event.setCommitString(QString(c));
    QApplication::sendEvent(field, &event);
  }
}

// Runs each dialog through `fn` (shown, so that its setup ran) while it
// lives; the dialog's result is the answer.
class KvDialogScript {
 public:
  explicit KvDialogScript(std::function<void(QDialog*)> fn)
      : m_previous(KvSetDialogExec([fn](QDialog* dialog) {
          dialog->show();
          fn(dialog);
          dialog->hide();
          return dialog->result();
        })) {}
  ~KvDialogScript() { KvSetDialogExec(std::move(m_previous)); }
  KvDialogScript(const KvDialogScript&) = delete;
  KvDialogScript& operator=(const KvDialogScript&) = delete;

 private:
  KvDialogExecFn m_previous;
};

class KvSheetTest : public ::testing::TestWithParam<int> {
 protected:
  static constexpr int kFlag = 300;
  static constexpr int kCopy = 5;

  void SetUp() override {
    KvFakeControl() = KvFakeDocControl();
    m_previousPrinter = KvCurrentPrinterName();
    KvSetCurrentPrinterName(QStringLiteral("教务处"));
    m_testDb = std::make_unique<KvTestDb>(GetParam());
    KV_CREATE_TEST_DB(*m_testDb);
    m_app.createModules = [this](KvShellTestApp& app) {
      m_pModule = new KvFakeFormModule;
      m_pModule->FindTemplate(kFlag)->AddEntry(kCopy, QStringLiteral("复件_收费表"), QString(), 0,
                                               QStringLiteral("01"), 629, 1);
      app.AddDataType(m_pModule);
    };
    m_app.InitInstance();
    ASSERT_TRUE(m_app.OpenOn(*m_testDb));
    ASSERT_TRUE(m_app.CreateAllTables(db()));

    // The stored copy: the module's default layout, saved.
    KvSheetTestDoc defaults;
    KvFormEntry stored;
    stored.SetKey(db(), kFlag, kCopy);
    defaults.InitFormEntry(stored);
    defaults.BuildColumns(stored);
    defaults.BuildHeadNotes(stored);
    defaults.BuildColumnHead(stored);
    stored.sFna = QStringLiteral("复件_收费表");
    stored.nOpen = 1;
    ASSERT_TRUE(stored.SaveLayout());
    CKvPrintSet printSet;
    printSet.PageLeft = 123;
    ASSERT_TRUE(printSet.Save(db(), kFlag, QString::number(kCopy)));
    ASSERT_TRUE(printSet.Save(db(), kFlag, QString::number(kCopy), QStringLiteral("财务室")));
    ASSERT_TRUE(db()->Execute(QStringLiteral(
        "Insert Into SysCsTab(Cs,CsN,CsNa,CsVal,LPO) Values(9000,300,'5','复件_收费表','')")));
    openDocument(kCopy);
  }
  void TearDown() override {
    m_pDoc.reset();
    KvSetCurrentPrinterName(m_previousPrinter);
  }

  // The document of (300, nForm), set up as its template opens it, without
  // a window.
  void openDocument(int nForm) {
    m_pDoc = std::make_unique<KvSheetTestDoc>();
    CKvDocTemplate* pTemplate = nullptr;
    ASSERT_TRUE(m_pModule->GetEntry(kFlag, nForm, &m_pDoc->m_entry, &pTemplate));
    m_pDoc->m_pDb = db();
    m_pDoc->m_nModule = 30;
    m_pDoc->m_nFlag = kFlag;
    m_pDoc->m_nForm = nForm;
    m_pDoc->m_pTemplate = pTemplate;
    m_pDoc->LoadOpenArgs();
    m_pDoc->LoadLayout();
    m_pDoc->ResetMacros();
  }

  CKvDb* db() { return m_app.GetDb(); }
  int count(const QString& sql) { return db()->GetLong(sql); }
  // Rows of a print table for the sequence number and printer.
  int printRows(const char* table, int nForm, const QString& printer) {
    return count(QStringLiteral("Select Count(*) From %1 Where nFlag=300 And SFIELDMODE='%2' And SPRINTER='%3'")
                     .arg(QLatin1String(table))
                     .arg(nForm)
                     .arg(printer));
  }
  // The texts of a one-column select, one per row.
  QStringList texts(const QString& sql) {
    QStringList values;
    db()->QueryTexts(sql, &values, 1);
    return values;
  }

  std::unique_ptr<KvTestDb> m_testDb;
  KvShellTestApp m_app;
  KvFakeFormModule* m_pModule = nullptr;
  std::unique_ptr<KvSheetTestDoc> m_pDoc;
  QString m_previousPrinter;
};
