// The form document's flows on a fake module: opening (refused, with the
// module's default layout, with a stored layout), closing with its
// question, open arguments and window place, saving, refreshing over unsaved
// edits, the cell checks, the print macros, the lookups of columns and notes,
// and the enabling of an entry's new, open and properties.

#include "KvFakeFormModule.h"
#include "app/CKvDlgPos.h"
#include "app/KvAppFrame.h"
#include "app/KvDocOpenMode.h"
#include "app/KvShellTestApp.h"
#include "core/KvMessage.h"
#include "ui/CMdiClient.h"
#include "ui/KvCommands.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QPointer>

class CKvDocTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KvFakeControl() = KvFakeDocControl();
    m_testDb = std::make_unique<KvTestDb>(0);
    KV_CREATE_TEST_DB(*m_testDb);
    m_app.createModules = [this](KvShellTestApp& app) {
      m_pModule = new KvFakeFormModule;
      app.AddDataType(m_pModule);
    };
    m_app.InitInstance();
    ASSERT_TRUE(m_app.OpenOn(*m_testDb));
    ASSERT_TRUE(m_app.CreateAllTables(db()));
    ASSERT_TRUE(db()->Execute(QStringLiteral("Insert Into PWR(OPNO,PWR) Values('101','3001')")));
    ASSERT_TRUE(m_app.GetDataFile().LoadRights());
  }
  void TearDown() override {
    for (CFormChildFrm* pFrame : openFrames())
      delete pFrame;
    KvSetDocPropertiesRunner({});
  }
  // Document windows open as top-level windows while there is no main frame.
  static QList<CFormChildFrm*> openFrames() {
    QList<CFormChildFrm*> frames;
    for (QWidget* pWidget : QApplication::topLevelWidgets())
      if (auto* pFrame = qobject_cast<CFormChildFrm*>(pWidget))
        frames.append(pFrame);
    return frames;
  }

  CKvDb* db() { return m_app.GetDb(); }
  KvFakeDoc* open() { return static_cast<KvFakeDoc*>(m_pModule->OpenDocument(300, 0)); }
  static KvFakeView* viewOf(CKvDoc* pDoc) { return pDoc->FindView<KvFakeView>(); }
  static void flushDeletes() { QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
  int logged(int nCode) {
    return db()->GetLong(QStringLiteral("Select Count(*) From KvLog Where nTaskID=%1").arg(nCode));
  }

  std::unique_ptr<KvTestDb> m_testDb;
  KvShellTestApp m_app;
  KvFakeFormModule* m_pModule = nullptr;
};

TEST_F(CKvDocTest, RefusedOpeningLeavesNoWindowAndLogsNothing) {
  KvFakeControl().allowOpen = false;
  const int before = logged(13);
  EXPECT_EQ(open(), nullptr);
  EXPECT_EQ(KvFakeControl().fills, 0);
  EXPECT_EQ(logged(13), before);
}

TEST_F(CKvDocTest, OpeningWithoutStoredLayoutBuildsTheModuleDefaults) {
  KvMessageRecorder recorder;
  const int before = logged(13);
  KvFakeDoc* pDoc = open();
  ASSERT_NE(pDoc, nullptr);
  EXPECT_TRUE(recorder.messages().isEmpty());

  const KvFormEntry& entry = pDoc->m_formEntry;
  EXPECT_EQ(entry.sFna, QStringLiteral("测试表"));
  ASSERT_EQ(entry.formulas.size(), 3);
  // The marks: student forced shown, name forced hidden, amount free.
  EXPECT_EQ(entry.formulas.at(0).nType, 101);
  EXPECT_EQ(entry.formulas.at(1).nType, 2);
  EXPECT_EQ(entry.formulas.at(2).nType, 100);
  EXPECT_EQ(pDoc->m_colMap, (QList<int>{0, 2}));
  // One head block per shown column over both head rows.
  ASSERT_EQ(entry.topWords.size(), 2);
  EXPECT_EQ(entry.topWords.at(1), (KvTopWord{2, 1, 2, 2, QStringLiteral("金额")}));
  EXPECT_TRUE(entry.CheckColumnHead());

  // Rows: a cell per formula (the hidden one too) and the extra cell.
  ASSERT_EQ(pDoc->GetRowCount(), 2);
  EXPECT_EQ(pDoc->m_rows.at(0).size(), 4);
  EXPECT_EQ(pDoc->m_flagRows.at(0), QStringLiteral("0000"));
  EXPECT_FALSE(pDoc->m_bReadOnly);
  EXPECT_EQ(pDoc->m_noteTexts.at(1), QStringLiteral("用户录入"));

  // Window: the view was made, registered and updated once; the frame's
  // title drops the unit-name placeholder; the opening was logged.
  KvFakeView* pView = viewOf(pDoc);
  ASSERT_NE(pView, nullptr);
  EXPECT_EQ(pView->initialUpdates, 1);
  ASSERT_EQ(pDoc->GetFrames().size(), 1);
  EXPECT_EQ(pDoc->GetFrames().at(0)->windowTitle(), QStringLiteral("收费表"));
  EXPECT_EQ(pDoc->GetFrames().at(0)->GetPositionId(), 3001);
  EXPECT_EQ(logged(13), before + 1);
}

TEST_F(CKvDocTest, OpeningWithStoredLayoutUsesItAndFallsBackPerPart) {
  KvFormEntry stored;
  stored.SetKey(db(), 300, 0);
  stored.sFna = QStringLiteral("自定义");
  stored.nTopNum = 1;
  // The operator showed the name column; the module's mark hides it again.
  stored.AddFormula(102, 1212, 0, 0, QStringLiteral("姓名/MDBSTRING/LEFT"));
  stored.AddFormula(100, 1010, 0, 2, QStringLiteral("金额/NUMBER/RIGHT/1001/0/01"));
  stored.AddTopWord(1, 1, 1, 1, QStringLiteral("金额"));
  ASSERT_TRUE(stored.SaveLayout(true, true, false));

  KvFakeDoc* pDoc = open();
  ASSERT_NE(pDoc, nullptr);
  const KvFormEntry& entry = pDoc->m_formEntry;
  EXPECT_EQ(entry.sFna, QStringLiteral("自定义"));
  ASSERT_EQ(entry.formulas.size(), 2);
  EXPECT_EQ(entry.formulas.at(0).nType, 2);
  EXPECT_EQ(entry.topWords, stored.topWords);
  // No notes were stored: the module's defaults stand in.
  EXPECT_EQ(entry.headNotes.size(), 3);
  EXPECT_EQ(pDoc->m_rows.at(0).size(), 3);
}

TEST_F(CKvDocTest, ClosingAsksKeepsArgumentsAndPlaceAndFreesTheDocument) {
  KvMessageRecorder recorder;
  KvFakeDoc* pDoc = open();
  ASSERT_NE(pDoc, nullptr);
  EXPECT_TRUE(KvFakeControl().argsAtOpen.isEmpty());
  QPointer<CKvDoc> watch(pDoc);
  QPointer<CFormChildFrm> frame(pDoc->GetFrames().at(0));
  viewOf(pDoc)->changed = true;

  recorder.script({KV_IDCANCEL});
  EXPECT_FALSE(frame->close());
  ASSERT_EQ(recorder.messages().size(), 1);
  EXPECT_EQ(recorder.messages().at(0).text, QStringLiteral("当前文档已发生了变化，存盘吗？"));
  EXPECT_EQ(KvFakeControl().closes, 0);

  recorder.script({KV_IDNO});
  EXPECT_TRUE(frame->close());
  EXPECT_EQ(KvFakeControl().saves, 0);
  EXPECT_EQ(KvFakeControl().closes, 1);
  flushDeletes();
  EXPECT_TRUE(watch.isNull());
  EXPECT_TRUE(frame.isNull());

  QStringList args;
  EXPECT_EQ(KvReadDocOpenMode(300, 0, args), 2);
  EXPECT_EQ(args, (QStringList{QStringLiteral("2024"), QStringLiteral("closed")}));
  EXPECT_GE(KvGetDlgPos().Find(3001), 0);

  // The next opening starts from the kept arguments.
  ASSERT_NE(open(), nullptr);
  EXPECT_EQ(KvFakeControl().argsAtOpen, args);
}

TEST_F(CKvDocTest, ArgumentsForTheRunOnlyNeverTouchTheSettings) {
  KvSaveDocOpenMode(300, 0, {QStringLiteral("stored")});
  CKvDocTemplate* pTemplate = m_pModule->FindTemplate(300);
  ASSERT_NE(pTemplate, nullptr);
  pTemplate->Entries()[pTemplate->FindEntry(0)].bArgsForRun = true;

  // The first opening of the run starts on the document's defaults.
  KvFakeDoc* pDoc = open();
  ASSERT_NE(pDoc, nullptr);
  EXPECT_TRUE(KvFakeControl().argsAtOpen.isEmpty());
  ASSERT_TRUE(pDoc->GetFrames().at(0)->close());
  flushDeletes();

  // The settings keep what they had; the next opening of the run starts
  // from the closed document's arguments.
  QStringList args;
  EXPECT_EQ(KvReadDocOpenMode(300, 0, args), 1);
  EXPECT_EQ(args, QStringList{QStringLiteral("stored")});
  ASSERT_NE(open(), nullptr);
  EXPECT_EQ(KvFakeControl().argsAtOpen, (QStringList{QStringLiteral("2024"), QStringLiteral("closed")}));
}

TEST_F(CKvDocTest, SaveCommitsTheEditorAndClearsTheFlagOnlyWhenSaved) {
  KvMessageRecorder recorder;
  KvFakeDoc* pDoc = open();
  ASSERT_NE(pDoc, nullptr);
  KvFakeView* pView = viewOf(pDoc);
  pView->changed = true;

  pView->commitResult = false;
  EXPECT_FALSE(pDoc->Save());
  EXPECT_EQ(KvFakeControl().saves, 0);

  pView->commitResult = true;
  KvFakeControl().saveResult = false;
  EXPECT_FALSE(pDoc->Save());
  EXPECT_TRUE(pView->changed);

  KvFakeControl().saveResult = true;
  ASSERT_TRUE(KvCmdEnabled(pDoc, KV_CMD_FILE_SAVE));
  pDoc->ExecuteCmd(KV_CMD_FILE_SAVE);
  EXPECT_FALSE(pView->changed);
  EXPECT_EQ(pView->commits, 3);

  // Answering Yes to the close question saves; a failed save keeps the
  // window open.
  QPointer<CFormChildFrm> frame(pDoc->GetFrames().at(0));
  pView->changed = true;
  KvFakeControl().saveResult = false;
  recorder.script({KV_IDYES});
  EXPECT_FALSE(frame->close());
  KvFakeControl().saveResult = true;
  recorder.script({KV_IDYES});
  EXPECT_TRUE(frame->close());
  EXPECT_EQ(KvFakeControl().saves, 4);
}

TEST_F(CKvDocTest, ReadOnlyDocumentNeverAsksAndCannotSave) {
  KvMessageRecorder recorder;
  KvFakeControl().readOnly = true;
  KvFakeDoc* pDoc = open();
  ASSERT_NE(pDoc, nullptr);
  viewOf(pDoc)->changed = true;
  QString reason = QStringLiteral("x");
  EXPECT_FALSE(pDoc->HasUnsavedEdits(reason));
  EXPECT_TRUE(reason.isEmpty());
  EXPECT_FALSE(KvCmdEnabled(pDoc, KV_CMD_FILE_SAVE));
  EXPECT_TRUE(pDoc->SaveModified());
  EXPECT_TRUE(recorder.messages().isEmpty());
}

TEST_F(CKvDocTest, AFailedFillShowsNothingAndOffersNothingToSaveUntilARefreshSucceeds) {
  const struct {
    const char* name;
    bool failAtOpening;
  } cases[] = {{"opening", true}, {"refresh", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    KvMessageRecorder recorder;
    KvFakeControl() = KvFakeDocControl();
    KvFakeControl().fillFails = c.failAtOpening;
    KvFakeDoc* pDoc = open();
    // The window opens all the same, so that the operator can refresh it.
    ASSERT_NE(pDoc, nullptr);
    KvFakeView* pView = viewOf(pDoc);
    if (!c.failAtOpening) {
      ASSERT_EQ(pDoc->GetRowCount(), 2);
      KvFakeControl().fillFails = true;
      EXPECT_FALSE(pDoc->Refill());
    }
    EXPECT_TRUE(pDoc->IsFillFailed());
    EXPECT_EQ(pDoc->GetRowCount(), 0);
    EXPECT_TRUE(pDoc->m_bReadOnly);
    // A form asking its read-only question again does not lift it.
    pDoc->UpdateReadOnly();
    EXPECT_TRUE(pDoc->m_bReadOnly);
    pView->changed = true;
    QString reason;
    EXPECT_FALSE(pDoc->HasUnsavedEdits(reason));
    EXPECT_FALSE(KvCmdEnabled(pDoc, KV_CMD_FILE_SAVE));
    EXPECT_FALSE(pDoc->Save());
    EXPECT_TRUE(pDoc->SaveModified());
    EXPECT_EQ(KvFakeControl().saves, 0);

    // The next fill that reads everything makes it editable again.
    KvFakeControl().fillFails = false;
    EXPECT_TRUE(pDoc->Refill());
    EXPECT_FALSE(pDoc->IsFillFailed());
    EXPECT_EQ(pDoc->GetRowCount(), 2);
    EXPECT_FALSE(pDoc->m_bReadOnly);
    EXPECT_TRUE(pDoc->HasUnsavedEdits(reason));
    EXPECT_TRUE(pDoc->Save());
    EXPECT_EQ(KvFakeControl().saves, 1);
    // The framework adds no message of its own.
    EXPECT_TRUE(recorder.messages().isEmpty());
    delete pDoc->GetFrames().at(0);
    flushDeletes();
  }
}

TEST_F(CKvDocTest, ARefreshOverUnsavedEditsAsksFirstUnlessTheyWereGivenUp) {
  // Edited; No at the save question first; the answer; read again.
  const struct { bool changed, givenUp; int answer; bool refilled; } cases[] = {
      {false, false, 0, true}, {true, false, KV_IDYES, true}, {true, false, KV_IDNO, false}, {true, true, KV_IDNO, true}};
  for (const auto& c : cases) {
    KvMessageRecorder recorder;
    KvFakeDoc* pDoc = open();
    ASSERT_NE(pDoc, nullptr);
    viewOf(pDoc)->changed = c.changed;
    pDoc->m_rows[0][2] = QStringLiteral("99");
    recorder.script({c.answer});
    ASSERT_TRUE(!c.givenUp || pDoc->SaveModified());
    EXPECT_TRUE(pDoc->Refill());
    EXPECT_EQ(recorder.texts().contains(QStringLiteral("刷新将放弃本窗口中尚未保存的修改，继续吗？")),
              c.changed && !c.givenUp);
    EXPECT_EQ(pDoc->m_rows[0][2], c.refilled ? QStringLiteral("12.5") : QStringLiteral("99")) << c.answer;
    QString reason;
    EXPECT_EQ(pDoc->HasUnsavedEdits(reason), c.changed);
    delete pDoc->GetFrames().at(0);
    flushDeletes();
  }
}

TEST_F(CKvDocTest, CellChecksListEveryBadCellAndMarkItsFlag) {
  KvMessageRecorder recorder;
  KvFakeDoc* pDoc = open();
  ASSERT_NE(pDoc, nullptr);
  EXPECT_TRUE(pDoc->CheckAllCells(true));
  EXPECT_TRUE(pDoc->IsRowBlank(1));
  EXPECT_FALSE(pDoc->IsBlank());

  pDoc->m_rows[0][2] = QStringLiteral("错");
  pDoc->m_rows[1][0] = QStringLiteral("错");
  pDoc->m_rows[1][3] = QStringLiteral("错");  // extra cells are not checked
  EXPECT_FALSE(pDoc->CheckAllCells(true));
  ASSERT_EQ(recorder.messages().size(), 1);
  EXPECT_EQ(recorder.messages().at(0).text, QStringLiteral("下列单元格出错：\n第1行“金额”\n第2行“学生”"));
  EXPECT_EQ(pDoc->m_flagRows.at(0), QStringLiteral("0010"));
  EXPECT_EQ(pDoc->m_flagRows.at(1), QStringLiteral("1000"));

  pDoc->ClearRows();
  pDoc->AppendRow(pDoc->NewRow());
  EXPECT_TRUE(pDoc->IsBlank());
  EXPECT_FALSE(pDoc->CheckAllCells(true));
  EXPECT_EQ(recorder.messages().last().text, QStringLiteral("空文档！"));
  EXPECT_TRUE(pDoc->CheckAllCells(false));
}

TEST_F(CKvDocTest, MacrosHoldTheStandardTokensThenTheModules) {
  m_app.GetDataFile().SetNames(QStringLiteral("青禾中学"), QStringLiteral("王主任"), QString(), QString());
  KvFakeDoc* pDoc = open();
  ASSERT_NE(pDoc, nullptr);
  QStringList tokens;
  for (const KvMacroRow& row : pDoc->m_macros)
    tokens << row.sToken;
  EXPECT_EQ(tokens, (QStringList{"#co_name", "#co_manager", "#cur_opr_code", "#cur_opr_name", "#yy",
                                 "#mm", "#dd", "#pt", "#pp", "#printstartpage", "#normal_print",
                                 "#print_without_line", "#xx_lb"}));
  EXPECT_EQ(pDoc->GetMacroValue(QStringLiteral("#co_name")), QStringLiteral("青禾中学"));
  EXPECT_EQ(pDoc->GetMacroValue(QStringLiteral("#co_manager")), QStringLiteral("王主任"));
  EXPECT_EQ(pDoc->GetMacroValue(QStringLiteral("#cur_opr_name")), QStringLiteral("管理员"));
  EXPECT_EQ(pDoc->GetMacroValue(QStringLiteral("#xx_lb")), QStringLiteral("应交费用"));
  EXPECT_TRUE(pDoc->GetMacroValue(QStringLiteral("#unknown")).isEmpty());
}

TEST_F(CKvDocTest, ColumnsAndNotesAreFoundByNumberAndName) {
  KvFakeDoc* pDoc = open();
  ASSERT_NE(pDoc, nullptr);
  const KvFormEntry& entry = pDoc->m_formEntry;
  EXPECT_EQ(CKvDoc::FindColumnFormula(entry, 1), 0);  // shown, matched on nType % 100
  EXPECT_EQ(CKvDoc::FindColumnFormula(entry, 2), 1);  // hidden
  EXPECT_EQ(CKvDoc::FindColumnFormula(entry, 9), -1);
  QList<int> positions;
  int first = 0;
  EXPECT_EQ(CKvDoc::MatchColumnFormulas(entry, {9, 2, 1}, positions, first), 2);
  EXPECT_EQ(positions, (QList<int>{-1, 1, 0}));
  EXPECT_EQ(first, 1);

  int row = -1;
  int cell = -1;
  bool tail = true;
  ASSERT_TRUE(pDoc->FindHeadNoteField(QStringLiteral("凭证号"), row, cell, tail));
  EXPECT_EQ((QList<int>{row, cell, int(tail)}), (QList<int>{0, 1, 0}));
  EXPECT_EQ(pDoc->FindNoteAt(false, 0, 1), 1);
  ASSERT_TRUE(pDoc->FindHeadNoteField(QStringLiteral("制表"), row, cell, tail));
  EXPECT_TRUE(tail);
  EXPECT_FALSE(pDoc->FindHeadNoteField(QStringLiteral("无"), row, cell, tail));

  // Linked notes take the document's value and give the typed text back.
  pDoc->ForEachColumnLink(0);
  EXPECT_EQ(pDoc->m_noteTexts.at(1), QStringLiteral("00012"));
  EXPECT_EQ(pDoc->m_noteTexts.at(0), QStringLiteral("#co_name"));
  pDoc->m_noteTexts[1] = QStringLiteral("00077");
  pDoc->ForEachColumnLink(1);
  EXPECT_EQ(KvFakeControl().linkedValue, QStringLiteral("00077"));

  KvFormEntry head = entry;
  head.topWords.clear();
  CKvDoc::BuildDefaultColumnHead(head, 2, 1);
  EXPECT_EQ(head.topWords, (QList<KvTopWord>{{2, 1, 2, 2, QStringLiteral("金额")}}));
}

TEST_F(CKvDocTest, NumbersAreShownWithTheColumnsDecimals) {
  KvFakeDoc* pDoc = open();
  ASSERT_NE(pDoc, nullptr);
  // Amount: at most 2 decimals, zeros dropped down to none (d1 set).
  EXPECT_EQ(pDoc->FormatNumber(2, QStringLiteral("1,234.5")), QStringLiteral("1,234.5"));
  EXPECT_EQ(pDoc->FormatNumber(2, QStringLiteral("3.456")), QStringLiteral("3.46"));
  EXPECT_EQ(pDoc->FormatNumber(2, QStringLiteral("7.00")), QStringLiteral("7"));
  EXPECT_EQ(pDoc->FormatNumber(2, QStringLiteral("abc")), QStringLiteral("abc"));
  EXPECT_EQ(pDoc->FormatNumber(0, QStringLiteral("0101")), QStringLiteral("0101"));
}

TEST_F(CKvDocTest, EntryRightsAndLockDecideNewOpenAndProperties) {
  EXPECT_TRUE(m_pModule->CanOpenDocument(300, 0));
  EXPECT_TRUE(m_pModule->CanNewDocument(300, 0));
  EXPECT_FALSE(m_pModule->CanOpenDocument(300, 1));  // right 3002 not held
  EXPECT_FALSE(m_pModule->CanOpenDocument(302, 0));
  ASSERT_TRUE(db()->Execute(QStringLiteral("Insert Into PWR(OPNO,PWR) Values('101','3002')")));
  ASSERT_TRUE(m_app.GetDataFile().LoadRights());
  EXPECT_TRUE(m_pModule->CanOpenDocument(300, 1));
  EXPECT_FALSE(m_pModule->CanNewDocument(300, 1));  // creation lock

  KvDocTypeEntry entry;
  CKvDocTemplate* pTemplate = nullptr;
  ASSERT_TRUE(m_pModule->GetEntry(300, 1, &entry, &pTemplate));
  EXPECT_EQ(entry.sRight, QStringLiteral("3002"));
  EXPECT_EQ(entry.sDesc, QStringLiteral("不能新增"));
  EXPECT_EQ(pTemplate->GetModule(), 30);
  EXPECT_EQ(m_pModule->FindEntryIndex(300, 1), 1);
  ASSERT_TRUE(m_pModule->GetEntryByIndex(0, &entry));
  EXPECT_EQ(entry.sDesc, entry.sName);
  EXPECT_TRUE(m_pModule->GetEntryByIndex(2));
  EXPECT_FALSE(m_pModule->GetEntryByIndex(3));

  // Properties stay off until a sheet is installed; after its OK the
  // document reloads its layout.
  EXPECT_FALSE(m_pModule->ShowProperties(300, 0));
  int runs = 0;
  KvSetDocPropertiesRunner([&](CKvDoc& doc, const QString& caption) {
    ++runs;
    EXPECT_EQ(caption, QStringLiteral("文档属性"));
    KvFormEntry edited = doc.m_formEntry;
    edited.sFna = QStringLiteral("改过");
    return edited.SaveLayout();
  });
  for (CFormChildFrm* pFrame : openFrames())
    delete pFrame;
  ASSERT_TRUE(m_pModule->ShowProperties(300, 0));
  EXPECT_EQ(runs, 1);
  ASSERT_EQ(openFrames().size(), 1);
  CKvDoc* pDoc = openFrames().at(0)->GetDocument();
  EXPECT_EQ(pDoc->m_formEntry.sFna, QStringLiteral("改过"));
  EXPECT_EQ(viewOf(pDoc)->documentChanges, 1);
}

TEST_F(CKvDocTest, ASplitFrameShowsItsPanesOverOneDocument) {
  CKvDoc* pDoc = m_pModule->OpenDocument(301, 0);
  ASSERT_NE(pDoc, nullptr);
  ASSERT_EQ(pDoc->GetViews().size(), 2);
  for (QWidget* pWidget : pDoc->GetViews())
    EXPECT_EQ(static_cast<KvFakeView*>(pWidget)->initialUpdates, 1);
  auto* pFrame = static_cast<KvFakeSplitFrame*>(pDoc->GetFrames().at(0));
  EXPECT_EQ(pFrame->widget(), pFrame->Splitter());
  EXPECT_EQ(pFrame->Splitter()->count(), 2);
  EXPECT_EQ(pFrame->windowTitle(), QStringLiteral("分栏表"));
  // The panes go with the frame, before the document they show.
  QPointer<QWidget> pane(pDoc->GetViews().at(0));
  QPointer<CKvDoc> watch(pDoc);
  delete pFrame;
  EXPECT_TRUE(pane.isNull());
  EXPECT_TRUE(watch.isNull());
}

namespace {

// A main frame that has only its work area.
class KvWorkAreaFrame : public KvAppFrame {
 public:
  KvWorkAreaFrame() {
    area.resize(800, 600);
    area.show();
    m_pPrevious = KvSetAppFrame(this);
  }
  ~KvWorkAreaFrame() override { KvSetAppFrame(m_pPrevious); }
  int SelectedTemplateTab() const override { return -1; }
  bool IsTemplateBoxVisible() const override { return false; }
  void ShowTemplateBox(bool) override {}
  bool HasActiveChildFrame() const override { return area.activeSubWindow() != nullptr; }
  CMdiClient* MdiClient() const override { return const_cast<CMdiClient*>(&area); }

  CMdiClient area;

 private:
  KvAppFrame* m_pPrevious = nullptr;
};

}  // namespace

TEST_F(CKvDocTest, DocumentWindowsOpenInTheWorkAreaWhereTheyWereLeft) {
  KvWorkAreaFrame mainFrame;
  CKvDoc* pDoc = open();
  ASSERT_NE(pDoc, nullptr);
  CFormChildFrm* pFrame = pDoc->GetFrames().at(0);
  EXPECT_EQ(pFrame->mdiArea(), &mainFrame.area);
  EXPECT_EQ(pFrame->size(), mainFrame.area.viewport()->size() * 3 / 4);
  pFrame->move(37, 41);
  ASSERT_TRUE(pFrame->close());
  flushDeletes();
  EXPECT_TRUE(mainFrame.area.subWindowList().isEmpty());

  pDoc = open();
  ASSERT_NE(pDoc, nullptr);
  EXPECT_EQ(pDoc->GetFrames().at(0)->pos(), QPoint(37, 41));
  delete pDoc->GetFrames().at(0);
}
