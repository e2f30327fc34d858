// Card documents opened through their templates on a fake module: the
// form over the card's fields, the document's questions answered by the
// form (or by nobody), Enter, OK and Cancel with the list's state, the
// print commands with their log entries and the overlay flag, the page
// setup, and the panes a document finds.

#include "KvFakeCardModule.h"

#include "app/KvShellTestApp.h"
#include "core/KvMessage.h"
#include "print/KvPdfReadBack.h"
#include "print/KvPrintTestSupport.h"
#include "ui/KvCommands.h"
#include "ui/KvObjectNames.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QSpinBox>
#include <QTest>

namespace {

class CKvCardDocTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KvCardControl() = KvFakeCardControl();
    m_testDb = std::make_unique<KvTestDb>(0);
    KV_CREATE_TEST_DB(*m_testDb);
    m_app.createModules = [this](KvShellTestApp& app) {
      m_pModule = new KvFakeCardModule;
      app.AddDataType(m_pModule);
    };
    m_app.InitInstance();
    ASSERT_TRUE(m_app.OpenOn(*m_testDb));
    ASSERT_TRUE(m_app.CreateAllTables(db()));
    ASSERT_TRUE(db()->Execute(QStringLiteral("Insert Into PWR(OPNO,PWR) Values('101','3001')")));
    ASSERT_TRUE(m_app.GetDataFile().LoadRights());
  }
  void TearDown() override {
    QList<QPointer<CFormChildFrm>> frames;
    for (QWidget* pWidget : QApplication::topLevelWidgets())
      if (auto* pFrame = qobject_cast<CFormChildFrm*>(pWidget))
        frames.append(pFrame);
    for (const QPointer<CFormChildFrm>& pFrame : frames)
      delete pFrame.data();
  }

  CKvDb* db() { return m_app.GetDb(); }
  KvFakeCardDoc* open(int nFlag = 310) {
    return static_cast<KvFakeCardDoc*>(m_pModule->OpenDocument(nFlag, 0));
  }
  static KvFakeCardForm* formOf(CKvDoc* pDoc) { return pDoc->FindView<KvFakeCardForm>(); }
  static KvFakeCardList* listOf(CKvDoc* pDoc) { return pDoc->FindView<KvFakeCardList>(); }
  int logged(int nCode) {
    return db()->GetLong(QStringLiteral("Select Count(*) From KvLog Where nTaskID=%1").arg(nCode));
  }
  static void showActive(CKvDoc* pDoc) {
    ASSERT_TRUE(KvShowActive(pDoc->GetFrames().at(0)));
  }

  std::unique_ptr<KvTestDb> m_testDb;
  KvShellTestApp m_app;
  KvFakeCardModule* m_pModule = nullptr;
};

}  // namespace

TEST_F(CKvCardDocTest, OpeningShowsTheFormsControlsOverTheCardsFields) {
  KvFakeCardDoc* pDoc = open();
  ASSERT_NE(pDoc, nullptr);
  KvFakeCardForm* pForm = formOf(pDoc);
  ASSERT_NE(pForm, nullptr);
  ASSERT_NE(listOf(pDoc), nullptr);

  // The card was set up under the template's key with the module's title.
  const CKvCardLayout& layout = pDoc->m_layout;
  EXPECT_EQ(layout.FormatKey, 3100);
  EXPECT_EQ(layout.TitleBox.text, QStringLiteral("学校收费收据"));
  EXPECT_EQ(layout.TitleHeight(), 2);
  EXPECT_EQ(layout.Insets, QMargins(10, 80, 10, 50));
  EXPECT_GT(layout.ScreenScaleX, 0.0);
  EXPECT_EQ(pForm->Form()->minimumSize(), layout.CardSize);

  // Each control stands in its field, 3 pixels in from both sides and
  // centred in its height.
  const QRect field = layout.PlaceFields(kStudentBox);
  const QRect name = pForm->name->geometry();
  EXPECT_EQ(name.left(), field.left() + 3);
  EXPECT_EQ(name.width(), field.width() - 6);
  EXPECT_EQ(name.top(), field.top() + (field.height() - name.height()) / 2);
  EXPECT_EQ(pForm->ok->pos().x(), layout.PlaceFields(14).left());
  EXPECT_TRUE(pForm->hiddenDefault->isHidden());
  // The read-only question was asked again once the form existed: an
  // editable record can be saved once it is changed.
  EXPECT_FALSE(pDoc->m_bReadOnly);
  EXPECT_FALSE(KvCmdEnabled(pDoc, KV_CMD_FILE_SAVE));
  QTest::keyClicks(pForm->name, QStringLiteral("x"));
  EXPECT_TRUE(KvCmdEnabled(pDoc, KV_CMD_FILE_SAVE));

  // No grid layout and no properties sheet for a card.
  EXPECT_FALSE(pDoc->IsGridDocument());
  EXPECT_TRUE(pDoc->m_formEntry.formulas.isEmpty());
  EXPECT_FALSE(KvCmdEnabled(pDoc, KV_CMD_DOC_PROPERTIES));
  EXPECT_EQ(pDoc->FormatNumber(0, QStringLiteral("12.5")), QStringLiteral("12.5"));
}

TEST_F(CKvCardDocTest, TheDocumentsQuestionsAreAnsweredByItsForm) {
  KvMessageRecorder recorder;
  KvCardControl().readOnly = true;
  KvFakeCardDoc* pDoc = open();
  ASSERT_NE(pDoc, nullptr);
  KvFakeCardForm* pForm = formOf(pDoc);
  EXPECT_TRUE(pDoc->m_bReadOnly);
  KvCardControl().readOnly = false;
  pDoc->UpdateReadOnly();
  EXPECT_FALSE(pDoc->m_bReadOnly);

  QString reason;
  EXPECT_FALSE(pDoc->HasUnsavedEdits(reason));
  pForm->name->setText(QStringLiteral("张小红"));
  EXPECT_TRUE(pDoc->HasUnsavedEdits(reason));

  // The document's save is the form's.
  KvCardControl().saveResult = false;
  pDoc->ExecuteCmd(KV_CMD_FILE_SAVE);
  EXPECT_EQ(KvCardControl().saves, 1);
  EXPECT_TRUE(pDoc->HasUnsavedEdits(reason));
  KvCardControl().saveResult = true;
  // The save command reaches the document from the form too.
  ASSERT_TRUE(KvCmdEnabled(pForm, KV_CMD_FILE_SAVE));
  pForm->ExecuteCmd(KV_CMD_FILE_SAVE);
  EXPECT_EQ(KvCardControl().saves, 2);
  EXPECT_FALSE(pDoc->HasUnsavedEdits(reason));
  EXPECT_EQ(pDoc->savedStudent, QStringLiteral("张小红"));

  // Closing with changes asks; Yes saves through the form.
  pForm->name->setText(QStringLiteral("张小兰"));
  recorder.script({KV_IDYES});
  EXPECT_TRUE(pDoc->GetFrames().at(0)->close());
  EXPECT_EQ(KvCardControl().saves, 3);
  ASSERT_EQ(recorder.messages().size(), 1);
}

TEST_F(CKvCardDocTest, ACardWithoutAFormIsReadOnlySavesNothingAndIsNeverModified) {
  KvMessageRecorder recorder;
  KvFakeCardDoc* pDoc = open(311);
  ASSERT_NE(pDoc, nullptr);
  auto* pView = pDoc->FindView<CKvCardView>();
  ASSERT_NE(pView, nullptr);
  EXPECT_TRUE(pDoc->m_bReadOnly);
  EXPECT_TRUE(pDoc->SaveRows());
  QString reason = QStringLiteral("x");
  EXPECT_FALSE(pDoc->HasUnsavedEdits(reason));
  EXPECT_TRUE(reason.isEmpty());
  EXPECT_TRUE(pDoc->GetFrames().at(0)->close());
  EXPECT_TRUE(recorder.messages().isEmpty());
  EXPECT_EQ(KvCardControl().saves, 0);
}

TEST_F(CKvCardDocTest, TheDrawingViewsCardFillsItsWindow) {
  KvFakeCardDoc* pDoc = open(311);
  ASSERT_NE(pDoc, nullptr);
  auto* pView = pDoc->FindView<CKvCardView>();
  showActive(pDoc);
  pView->resize(640, 360);
  QApplication::processEvents();
  EXPECT_EQ(pDoc->m_layout.CardSize, pView->viewport()->size());
  EXPECT_DOUBLE_EQ(pDoc->m_layout.ScreenScaleX, (pView->viewport()->width() - 20) / 100.0);
  EXPECT_TRUE(pView->HandlesCmd(KV_CMD_OVERLAY_PREVIEW));
}

TEST_F(CKvCardDocTest, EnterMovesToTheNextControlAndOnOkSaves) {
  KvScopedDialogExec noDialogs([](QDialog*) { return int(QDialog::Rejected); });
  KvFakeCardDoc* pDoc = open();
  ASSERT_NE(pDoc, nullptr);
  KvFakeCardForm* pForm = formOf(pDoc);
  showActive(pDoc);
  pForm->ExchangeRecord(false);
  KvCardControl().exchangesOut = 0;

  pForm->name->setFocus();
  pForm->name->setText(QStringLiteral("张小红"));
  QTest::keyClick(pForm->name, Qt::Key_Return);
  EXPECT_EQ(QApplication::focusWidget(), pForm->amount);
  // The record went into the document and came back; nothing was saved.
  EXPECT_EQ(KvCardControl().exchangesIn, 1);
  EXPECT_EQ(KvCardControl().exchangesOut, 1);
  EXPECT_EQ(pDoc->card.student, QStringLiteral("张小红"));
  EXPECT_EQ(pForm->name->text(), QStringLiteral("张小红"));
  EXPECT_EQ(KvCardControl().saves, 0);

  QTest::keyClick(pForm->amount, Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(QApplication::focusWidget(), pForm->ok);
  QTest::keyClick(pForm->ok, Qt::Key_Return);
  EXPECT_EQ(KvCardControl().saves, 1);
  EXPECT_EQ(pDoc->savedStudent, QStringLiteral("张小红"));

  // Enter on another button presses it.
  int clicks = 0;
  QObject::connect(pForm->printButton, &QAbstractButton::clicked, [&] { ++clicks; });
  pForm->printButton->setFocus();
  QTest::keyClick(pForm->printButton, Qt::Key_Return);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(KvCardControl().saves, 1);

  // F12 opens the calculator with an empty expression.
  QStringList expressions;
  KvScopedCalculator calculator([&](bool, const QString& expression, QWidget*, QString*) {
    expressions << expression;
    return false;
  });
  QTest::keyClick(pForm->name, Qt::Key_F12);
  EXPECT_EQ(expressions, QStringList{QString()});
}

TEST_F(CKvCardDocTest, TheListIsDisabledWhileAnEditableRecordHasChangesAndCancelReloads) {
  KvFakeCardDoc* pDoc = open();
  ASSERT_NE(pDoc, nullptr);
  KvFakeCardForm* pForm = formOf(pDoc);
  KvFakeCardList* pList = listOf(pDoc);
  showActive(pDoc);

  pForm->name->setText(QStringLiteral("张小红"));
  pForm->UpdateListState();
  EXPECT_FALSE(pList->isEnabled());

  QTest::mouseClick(pForm->cancel, Qt::LeftButton);
  EXPECT_EQ(KvCardControl().listSelections, 1);
  EXPECT_TRUE(pList->isEnabled());

  // Escape is Cancel.
  pForm->name->setFocus();
  QTest::keyClick(pForm->name, Qt::Key_Escape);
  EXPECT_EQ(KvCardControl().listSelections, 2);

  // A read-only record never holds the list.
  KvCardControl().readOnly = true;
  pDoc->UpdateReadOnly();
  pForm->name->setText(QStringLiteral("张小红"));
  pForm->UpdateListState();
  EXPECT_TRUE(pList->isEnabled());

  // Changes taken in refresh the card and the document's read-only flag.
  KvCardControl().readOnly = false;
  pForm->RefreshRecord();
  EXPECT_EQ(pDoc->afterEdits, 1);
  EXPECT_FALSE(pDoc->m_bReadOnly);
  EXPECT_EQ(pDoc->m_layout.Fields.at(kStudentBox).text, QStringLiteral("张小红"));
}

TEST_F(CKvCardDocTest, PrintingLogsThePrintAndPreviewsLogNothing) {
  KvFakePrinterCatalogue printers;
  KvFakeCardDoc* pDoc = open();
  ASSERT_NE(pDoc, nullptr);
  KvFakeCardForm* pForm = formOf(pDoc);
  const int before = logged(17);

  {
    KvPrintAnswers answers(KvTestPdfPath(QStringLiteral("preview")));
    pForm->ExecuteCmd(KV_CMD_FILE_PRINT_PREVIEW);
    EXPECT_EQ(answers.previews, 1);
    EXPECT_EQ(answers.previewPages, 1);
    // An overlay preview: the flag is cleared when it ends.
    pForm->ExecuteCmd(KV_CMD_OVERLAY_PREVIEW);
    EXPECT_EQ(answers.previews, 2);
    EXPECT_FALSE(pForm->IsOverlay());
    EXPECT_EQ(answers.printDialogs, 0);
  }
  EXPECT_EQ(logged(17), before);

  // A print afterwards has the form's own texts and frames.
  KvPrintAnswers answers(KvTestPdfPath());
  pForm->ExecuteCmd(KV_CMD_FILE_PRINT);
  EXPECT_EQ(answers.printDialogs, 1);
  const KvPdfReadBack normal = KvReadPdf(answers.pdfPath);
  ASSERT_TRUE(normal.ok);
  EXPECT_EQ(normal.Find(QStringLiteral("摘要")).size(), 1);
  EXPECT_EQ(logged(17), before + 1);
  EXPECT_EQ(db()->GetLong(QStringLiteral("Select Count(*) From KvLog Where nTaskID=17 And "
                                         "sNote='打印“收费收据”'")),
            1);

  // Ctrl+T prints onto the pre-printed form: only the values.
  showActive(pDoc);
  QTest::keyClick(pForm->name, Qt::Key_T, Qt::ControlModifier);
  EXPECT_EQ(answers.printDialogs, 2);
  EXPECT_FALSE(pForm->IsOverlay());
  const KvPdfReadBack overlay = KvReadPdf(answers.pdfPath);
  ASSERT_TRUE(overlay.ok);
  EXPECT_TRUE(overlay.Find(QStringLiteral("摘要")).isEmpty());
  EXPECT_EQ(overlay.Find(QStringLiteral("张小明")).size(), 1);
  EXPECT_EQ(logged(17), before + 2);
}

TEST_F(CKvCardDocTest, PageSetupStoresTheFormatAndLaysTheFormOutAgain) {
  KvFakeCardDoc* pDoc = open();
  ASSERT_NE(pDoc, nullptr);
  KvFakeCardForm* pForm = formOf(pDoc);
  bool confirm = false;
  KvScopedDialogExec exec([&](QDialog* dialog) {
    dialog->show();
    if (!confirm)
      return int(QDialog::Rejected);
    KvDlgItem<QSpinBox>(dialog, 1080)->setValue(1000);
    KvDlgItem<QSpinBox>(dialog, 1081)->setValue(600);
    KvDlgItem<QAbstractButton>(dialog, 1)->click();
    return dialog->result();
  });
  const QRect before = pForm->name->geometry();
  pForm->ExecuteCmd(KV_CMD_FILE_PAGE_SETUP);
  EXPECT_EQ(pForm->name->geometry(), before);

  confirm = true;
  pForm->ExecuteCmd(KV_CMD_FILE_PAGE_SETUP);
  EXPECT_EQ(pDoc->m_layout.CardSize, QSize(1000, 600));
  EXPECT_EQ(pForm->Form()->minimumSize(), QSize(1000, 600));
  EXPECT_EQ(pForm->name->width(), pDoc->m_layout.PlaceFields(kStudentBox).width() - 6);
  EXPECT_GT(pForm->name->width(), before.width());
}

TEST_F(CKvCardDocTest, ADocumentFindsItsTreeAndGridPanes) {
  CKvDoc* pDoc = m_pModule->OpenDocument(312, 0);
  ASSERT_NE(pDoc, nullptr);
  QWidget* tree = KvFindDocView(pDoc, 0);
  QWidget* grid = KvFindDocView(pDoc, 1);
  ASSERT_NE(tree, nullptr);
  ASSERT_NE(grid, nullptr);
  EXPECT_NE(dynamic_cast<KvFakeTreePane*>(tree), nullptr);
  EXPECT_NE(dynamic_cast<CForthView*>(grid), nullptr);
  // The tree pane was set up once, when the window was built.
  EXPECT_EQ(KvCardControl().treeUpdates, 1);

  // A card document has neither.
  KvFakeCardDoc* pCard = open();
  ASSERT_NE(pCard, nullptr);
  EXPECT_EQ(KvFindDocView(pCard, 0), nullptr);
  EXPECT_EQ(KvFindDocView(pCard, 1), nullptr);
}
