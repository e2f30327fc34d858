// The form properties sheet: its write on each back-end kind (a new
// sequence number moves every printer's settings, other printers' settings
// survive a saved change, a write that fails changes nothing), and on
// SQLite its refusals, its questions to the document, the general page and
// the help over its controls.

#include "KvSheetTestSupport.h"
#include "core/KvMessage.h"
#include "forms/CKvPublicPage1.h"
#include "forms/CKvPublicPage2.h"
#include "forms/CKvPublicPage3.h"
#include "forms/CKvPublicPage4.h"
#include "forms/CKvTemplateList.h"
#include "forms/KvStoredTemplate.h"
#include "ui/CKvEdit.h"
#include "ui/KvObjectNames.h"
#include "ui/KvUpDownEdit.h"

#include <QApplication>
#include <QCheckBox>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>

class CKvPublicSheetTest : public KvSheetTest {
 protected:
  QStringList logNotes() { return texts(QStringLiteral("Select sNote From KvLog Where nTaskID=15")); }
};

TEST_P(CKvPublicSheetTest, ANewNumberMovesEveryPrintersSettingsAndTheParameterRow) {
  KvMessageRecorder recorder;
  CKvPublicSheet sheet(m_pDoc.get(), QStringLiteral("文档属性"));
  ASSERT_TRUE(sheet.Page1()->FormEdit()->isEnabled());
  sheet.Page1()->FormEdit()->setText(QStringLiteral("7"));
  sheet.OnOK();
  ASSERT_EQ(sheet.result(), QDialog::Accepted) << recorder.texts().join(u'\n').toStdString();

  for (const char* table : {"KVPAGESET", "KVFONT"})
    for (const QString& printer : {QStringLiteral("教务处"), QStringLiteral("财务室")}) {
      EXPECT_GT(printRows(table, 7, printer), 0) << table;
      EXPECT_EQ(printRows(table, 5, printer), 0) << table;
    }
  EXPECT_EQ(count(QStringLiteral("Select PageLeft From KVPAGESET Where nFlag=300 And SFIELDMODE='7' "
                                 "And SPRINTER='财务室'")),
            123);
  EXPECT_EQ(texts(QStringLiteral("Select CsNa From SysCsTab Where Cs=9000 And CsN=300")), QStringList{"7"});
  for (const char* table : {"KvFormList", "KvFormFormula", "KvFormTopWord", "KvFormHeadNote"}) {
    EXPECT_EQ(count(QStringLiteral("Select Count(*) From %1 Where nFlag=300 And nForm=5").arg(table)), 0);
    EXPECT_GT(count(QStringLiteral("Select Count(*) From %1 Where nFlag=300 And nForm=7").arg(table)), 0);
  }
  ASSERT_EQ(logNotes().size(), 1);
  EXPECT_TRUE(logNotes().first().endsWith(QStringLiteral("设置：300(5--->7)")));
  // The open document follows its template.
  EXPECT_EQ(m_pDoc->m_nForm, 7);
}

TEST_P(CKvPublicSheetTest, ASavedChangeKeepsTheOtherPrintersSettings) {
  KvMessageRecorder recorder;
  CKvPublicSheet sheet(m_pDoc.get(), QStringLiteral("文档属性"));
  sheet.Page1()->TitleEdit()->setText(QStringLiteral("  学费表 "));
  sheet.OnOK();
  ASSERT_EQ(sheet.result(), QDialog::Accepted) << recorder.texts().join(u'\n').toStdString();
  EXPECT_EQ(texts(QStringLiteral("Select sFna From KvFormList Where nFlag=300 And nForm=5")),
            QStringList{"学费表"});
  EXPECT_EQ(count(QStringLiteral("Select PageLeft From KVPAGESET Where nFlag=300 And SFIELDMODE='5' "
                                 "And SPRINTER='财务室'")),
            123);
  EXPECT_EQ(printRows("KVFONT", 5, QStringLiteral("财务室")), 4);
  EXPECT_EQ(printRows("KVPAGESET", 5, QStringLiteral("教务处")), 1);
  EXPECT_TRUE(logNotes().first().endsWith(QStringLiteral("设置：300(5--->5)")));
}

TEST_P(CKvPublicSheetTest, AWriteThatFailsChangesNothing) {
  const QStringList before = texts(QStringLiteral("Select nCol1 From KvFormTopWord Where nFlag=300 And nForm=5"));
  ASSERT_FALSE(before.isEmpty());
  ASSERT_TRUE(db()->Execute(QStringLiteral("Alter Table KvFormHeadNote Rename To KvFormHeadNoteGone")));
  KvMessageRecorder recorder;
  CKvPublicSheet sheet(m_pDoc.get(), QStringLiteral("文档属性"));
  sheet.Page1()->FormEdit()->setText(QStringLiteral("7"));
  sheet.Page1()->TitleEdit()->setText(QStringLiteral("学费表"));
  sheet.OnOK();
  EXPECT_NE(sheet.result(), QDialog::Accepted);
  EXPECT_FALSE(recorder.messages().isEmpty());  // the failed statement was reported

  EXPECT_EQ(texts(QStringLiteral("Select sFna From KvFormList Where nFlag=300 And nForm=5")),
            QStringList{"复件_收费表"});
  EXPECT_EQ(count(QStringLiteral("Select Count(*) From KvFormList Where nFlag=300 And nForm=7")), 0);
  EXPECT_EQ(count(QStringLiteral("Select Count(*) From KvFormFormula Where nFlag=300 And nForm=5")), 3);
  EXPECT_EQ(texts(QStringLiteral("Select nCol1 From KvFormTopWord Where nFlag=300 And nForm=5")), before);
  for (const QString& printer : {QStringLiteral("教务处"), QStringLiteral("财务室")}) {
    EXPECT_EQ(printRows("KVPAGESET", 5, printer), 1);
    EXPECT_EQ(printRows("KVPAGESET", 7, printer), 0);
  }
  EXPECT_EQ(texts(QStringLiteral("Select CsNa From SysCsTab Where Cs=9000 And CsN=300")), QStringList{"5"});
  EXPECT_TRUE(logNotes().isEmpty());
  EXPECT_EQ(m_pDoc->m_nForm, 5);
}

TEST_P(CKvPublicSheetTest, ALayoutStoredElsewhereSinceTheSheetReadItIsNeverOverwritten) {
  CKvDb other;
  ASSERT_TRUE(m_testDb->OpenAnother(other));
  KvStoredTemplate original;
  ASSERT_EQ(original.Load(db(), kFlag, kCopy), 1);
  const QString layout = QStringLiteral("Select nForm||sFna From KvFormList Union All Select nForm||' '||nFact From "
                                        "KvFormFormula Union All Select nForm||sNote From KvFormHeadNote");
  // A column widened and a tail field added; the template renumbered; deleted; then two saves of its own.
  for (const QString& elsewhere : {QStringLiteral("Update KvFormFormula Set nFact=1520 Where nCol=0; Insert Into "
                                  "KvFormHeadNote(nFlag,nForm,bIsTail,nRow,nColPecent,bIsUse,bIsSystem,sNote,sWords) "
                                  "Values(300,5,1,1,0,0,0,'备注','无')"),
                                  QStringLiteral("Update KvFormList Set nForm=8"),
                                  QStringLiteral("Delete From KvFormList"), QString(), QString()}) {
    KvMessageRecorder recorder;
    CKvPublicSheet sheet(m_pDoc.get(), QStringLiteral("文档属性"));
    sheet.Edited().formulas[0].nFact += 1;
    for (const QString& statement : elsewhere.split(QStringLiteral("; "), Qt::SkipEmptyParts))
      ASSERT_TRUE(other.Execute(statement)) << qPrintable(statement);
    const QStringList stored = texts(layout);
    sheet.OnOK();
    EXPECT_EQ(sheet.result() == QDialog::Accepted, elsewhere.isEmpty()) << qPrintable(elsewhere);
    if (elsewhere.isEmpty())
      continue;
    EXPECT_EQ(recorder.texts(), QStringList{"文档模板已被其他窗口或工作站修改，请关闭后重新设置！"});
    EXPECT_EQ(texts(layout), stored) << qPrintable(elsewhere);
    ASSERT_TRUE(KvDeleteForms(kFlag, 8, db()) && original.Replace(db(), kFlag, kCopy, 1));
  }
}

KV_DB_KIND_TEST_SUITE(CKvPublicSheetTest);

// --- On SQLite only: the sheet's checks and questions ---

class CKvPublicSheetChecks : public CKvPublicSheetTest {};

TEST_P(CKvPublicSheetChecks, RefusalsKeepTheSheetOpenAndWriteNothing) {
  ASSERT_TRUE(db()->Execute(QStringLiteral(
      "Insert Into KvFormList(nFlag,nForm,sFna,nOpen,nTopNum) Values(300,9,'另一个',1,1)")));
  KvMessageRecorder recorder;
  CKvPublicSheet sheet(m_pDoc.get(), QStringLiteral("文档属性"));
  sheet.Tabs()->setCurrentWidget(sheet.Page3());

  sheet.Page1()->TitleEdit()->setText(QStringLiteral("   "));
  sheet.OnOK();
  EXPECT_EQ(recorder.last(), QStringLiteral("标题名称不能为空，返回修改。"));
  EXPECT_EQ(recorder.messages().last().icon(), unsigned(KV_MB_ICONSTOP));
  EXPECT_EQ(sheet.Tabs()->currentWidget(), sheet.Page3());

  // A number that a stored template or a built-in type (never stored) has.
  sheet.Page1()->TitleEdit()->setText(QStringLiteral("学费表"));
  for (const char* number : {"9", "1"}) {
    recorder.clear();
    sheet.Tabs()->setCurrentWidget(sheet.Page3());
    sheet.Page1()->FormEdit()->setText(QString::fromLatin1(number));
    sheet.OnOK();
    EXPECT_EQ(recorder.texts(), QStringList{"文档模板的序号已被使用，返回修改！"}) << number;
    EXPECT_EQ(sheet.Tabs()->currentWidget(), sheet.Page1());
    EXPECT_EQ(sheet.focusWidget(), sheet.Page1()->FormEdit());
  }
  EXPECT_NE(sheet.result(), QDialog::Accepted);
  EXPECT_EQ(texts(QStringLiteral("Select sFna From KvFormList Where nFlag=300 And nForm=5")),
            QStringList{"复件_收费表"});
  EXPECT_TRUE(logNotes().isEmpty());
}

TEST_P(CKvPublicSheetChecks, TheTemplateListShowsTheNewNumberSelected) {
  QWidget box;
  std::unique_ptr<QWidget> page(m_pModule->CreateTemplatePage(&box));
  CKvTemplateList* list = m_pModule->GetTemplateList();
  ASSERT_NE(list, nullptr);
  ASSERT_GE(list->FindRow(300, 5), 0);
  CKvPublicSheet sheet(m_pDoc.get(), QStringLiteral("文档属性"));
  sheet.Page1()->FormEdit()->setText(QStringLiteral("8"));
  sheet.OnOK();
  ASSERT_EQ(sheet.result(), QDialog::Accepted);
  EXPECT_EQ(list->FindRow(300, 5), -1);
  int nFlag = 0;
  int nForm = 0;
  ASSERT_TRUE(list->GetSelectedKey(&nFlag, &nForm));
  EXPECT_EQ(nForm, 8);
}

TEST_P(CKvPublicSheetChecks, TheDocumentIsAskedAboutEachKindOfChange) {
  KvMessageRecorder recorder;
  {
    CKvPublicSheet sheet(m_pDoc.get(), QStringLiteral("文档属性"));
    sheet.OnOK();
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_TRUE(m_pDoc->asked.isEmpty());
  }
  m_pDoc->refusedKind = 0;
  CKvPublicSheet sheet(m_pDoc.get(), QStringLiteral("文档属性"));
  sheet.Page1()->TitleEdit()->setText(QStringLiteral("学费表"));
  sheet.Page1()->TopNumEdit()->SetPos(3);
  sheet.Edited().formulas[2].nFact = 808;
  sheet.Edited().AddHeadNote(1, 1, 0, 0, 0, QStringLiteral("备注"), QStringLiteral("无"));
  // The head grows with the head rows.
  sheet.Edited().topWords.clear();
  CKvDoc::BuildDefaultColumnHead(sheet.Edited());
  for (KvTopWord& word : sheet.Edited().topWords)
    word.nRow2 = 3;
  sheet.OnOK();
  EXPECT_EQ(m_pDoc->asked, (QList<QPair<int, int>>{{-1, 0}, {3, 0}, {4, 0}, {0, 2}}));
  EXPECT_NE(sheet.result(), QDialog::Accepted);
  EXPECT_EQ(texts(QStringLiteral("Select sFna From KvFormList Where nFlag=300 And nForm=5")),
            QStringList{"复件_收费表"});

  m_pDoc->asked.clear();
  m_pDoc->refusedKind = -100;
  sheet.OnOK();
  EXPECT_EQ(m_pDoc->asked,
            (QList<QPair<int, int>>{{-1, 0}, {3, 0}, {4, 0}, {0, 2}, {1, 0}, {2, -1}}));
  EXPECT_EQ(sheet.result(), QDialog::Accepted);
  EXPECT_EQ(count(QStringLiteral("Select nTopNum From KvFormList Where nFlag=300 And nForm=5")), 3);
  EXPECT_TRUE(recorder.messages().isEmpty()) << recorder.last().toStdString();
}

TEST_P(CKvPublicSheetChecks, AnUncoveredHeadIsStoredOnlyWhenTheOperatorSaysYes) {
  KvMessageRecorder recorder;
  CKvPublicSheet sheet(m_pDoc.get(), QStringLiteral("文档属性"));
  sheet.Edited().topWords.removeLast();
  recorder.script({KV_IDNO});
  sheet.OnOK();
  EXPECT_EQ(recorder.texts(), QStringList{"栏头单元块未覆盖全部栏头！\n存盘吗？"});
  EXPECT_NE(sheet.result(), QDialog::Accepted);
  EXPECT_EQ(count(QStringLiteral("Select Count(*) From KvFormTopWord Where nFlag=300 And nForm=5")), 2);

  recorder.script({KV_IDYES});
  sheet.OnOK();
  EXPECT_EQ(sheet.result(), QDialog::Accepted);
  EXPECT_EQ(count(QStringLiteral("Select Count(*) From KvFormTopWord Where nFlag=300 And nForm=5")), 1);
}

TEST_P(CKvPublicSheetChecks, AHeadLeftUncoveredByMoreHeadRowsIsAskedAboutWithoutTheBlocksPage) {
  m_pDoc->withoutPage = 2;
  KvMessageRecorder recorder;
  CKvPublicSheet sheet(m_pDoc.get(), QStringLiteral("文档属性"));
  ASSERT_EQ(sheet.Page3(), nullptr);
  // The blocks cover two head rows; page 1 asks for three.
  sheet.Page1()->TopNumEdit()->SetPos(3);
  recorder.script({KV_IDNO});
  sheet.OnOK();
  ASSERT_EQ(recorder.messages().size(), 1);
  EXPECT_TRUE(recorder.last().endsWith(QStringLiteral("\n存盘吗？"))) << recorder.last().toStdString();
  EXPECT_NE(sheet.result(), QDialog::Accepted);
  EXPECT_EQ(count(QStringLiteral("Select nTopNum From KvFormList Where nFlag=300 And nForm=5")), 2);

  recorder.script({KV_IDYES});
  sheet.OnOK();
  EXPECT_EQ(sheet.result(), QDialog::Accepted);
  EXPECT_EQ(count(QStringLiteral("Select nTopNum From KvFormList Where nFlag=300 And nForm=5")), 3);
}

TEST_P(CKvPublicSheetChecks, TheGeneralPageGuardsItsFields) {
  // A built-in type keeps its sequence number.
  openDocument(0);
  {
    CKvPublicSheet builtIn(m_pDoc.get(), QStringLiteral("文档属性"));
    EXPECT_FALSE(builtIn.Page1()->FormEdit()->isEnabled());
  }
  openDocument(kCopy);

  // Blocks down to row 2 keep the head at two rows at least.
  CKvPublicSheet sheet(m_pDoc.get(), QStringLiteral("文档属性"));
  KvUpDownEdit* rows = sheet.Page1()->TopNumEdit();
  EXPECT_EQ(rows->Minimum(), 2);
  EXPECT_EQ(rows->Maximum(), 10);
  rows->SetPos(1);
  sheet.Tabs()->setCurrentWidget(sheet.Page3());
  EXPECT_EQ(sheet.Edited().nTopNum, 2);
  sheet.Edited().topWords[0].nRow2 = 4;
  sheet.Tabs()->setCurrentWidget(sheet.Page1());
  EXPECT_EQ(rows->Minimum(), 4);

  // None of the seven separators can be typed into the title.
  CKvEdit* title = sheet.Page1()->TitleEdit();
  title->clear();
  sheet.show();
  KvTypeText(title, QStringLiteral("a|b[c]d'e/f\"g\\h"));
  EXPECT_EQ(title->text(), QStringLiteral("abcdefgh"));

  // The options are bits of one number.
  KvDlgItem<QCheckBox>(&sheet, CKvPublicPage1::IDC_OVERLAY_TITLE)->click();
  EXPECT_EQ(sheet.Edited().nOption, 2);

  // Typed to the box's end with an option ticked, the title is stored whole; no field left is refused.
  KvMessageRecorder recorder;
  KvTypeText(title, QString(120, u'学'));
  sheet.Edited().headNotes.clear();
  sheet.OnOK();
  EXPECT_EQ(recorder.texts(), QStringList{"表头表尾字域不能全部删除，至少保留一个！"});
  sheet.Edited().headNotes = sheet.Initial().headNotes;
  recorder.script({KV_IDYES});
  sheet.OnOK();
  EXPECT_EQ(texts(QStringLiteral("Select sFna From KvFormList")), QStringList{"2\t" + title->text()});
}

TEST_P(CKvPublicSheetChecks, F1ShowsWhatsThisAndThePagesHaveNoHints) {
  CKvPublicSheet sheet(m_pDoc.get(), QStringLiteral("文档属性"));
  sheet.show();
  for (int i = 0; i < sheet.Tabs()->count(); ++i)
    sheet.Tabs()->setCurrentIndex(i);
  for (QWidget* widget : sheet.findChildren<QWidget*>())
    EXPECT_TRUE(widget->toolTip().isEmpty()) << widget->objectName().toStdString();

  sheet.Tabs()->setCurrentWidget(sheet.Page1());
  sheet.Page1()->TopNumEdit()->setFocus();
  EXPECT_TRUE(sheet.ShowHelpFor(sheet.focusWidget()));
  EXPECT_FALSE(sheet.ShowHelpFor(sheet.Tabs()));
  // Every control of the pages has its text.
  for (CKvPublicPage* page : {static_cast<CKvPublicPage*>(sheet.Page1()),
                              static_cast<CKvPublicPage*>(sheet.Page2()),
                              static_cast<CKvPublicPage*>(sheet.Page3()),
                              static_cast<CKvPublicPage*>(sheet.Page4())})
    for (QWidget* control : page->findChildren<QWidget*>(QRegularExpression(QStringLiteral("^id_"))))
      EXPECT_FALSE(control->whatsThis().isEmpty()) << control->objectName().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Kinds, CKvPublicSheetChecks, ::testing::Values(0), KvDbKindName);
