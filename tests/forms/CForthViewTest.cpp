// The grid view over a form document: the layout taken from the document,
// commits (refused, accepted, undone), keys and an input-method commit,
// totals, find and replace, the right-click menu and the cell choices.

#include "KvGridTestDoc.h"

#include "app/KvShellTestApp.h"
#include "core/KvClipboard.h"
#include "core/KvMessage.h"
#include "ui/CKvEdit.h"
#include "ui/KvCommands.h"
#include "ui/KvUiTestSupport.h"

#include <gtest/gtest.h>

#include <QInputMethodEvent>
#include <QScrollBar>
#include <QMenu>
#include <QTest>
#include <fstream>
#include <functional>

#include <sys/resource.h>
#include <unistd.h>

namespace {

const QString kText = QStringLiteral("TEXT");
const QString kHead = QStringLiteral("HEAD");
const QString kFoot = QStringLiteral("FOOT");

// Lets this process's address space grow by 1 GiB at most.
void capAddressSpace() {
  long pages = 0;
  std::ifstream("/proc/self/statm") >> pages;
  const rlimit cap{rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + (rlim_t(1) << 30), RLIM_INFINITY};
  setrlimit(RLIMIT_AS, &cap);
}

// A module view: the student column is read-only, a course list is offered
// for the memo column, the row total (column 6) is kept as a fee sheet keeps
// it, and the test can veto a command.
class TestView : public CForthView {
 public:
  using CForthView::CForthView;
  using CForthView::GetDisplayText;
  int vetoed = 0;
  QList<int> choiceModes;
  int merges = 0;
  int menuPreparations = 0;

  void OnCellChanged(const QString& text, int nRow, int nCol, const QString& area) override {
    CForthView::OnCellChanged(text, nRow, nCol, area);
    if (area == kText && nCol >= 3 && nCol <= 5) {
      QStringList& row = m_pDoc->m_rows[nRow];
      row[6] = QString::number(row.at(3).toDouble() + row.at(4).toDouble() + row.at(5).toDouble(), 'f', 2);
    }
  }

  bool IsCellEditable(const QString& area, int nRow, int nCol) override {
    (void)nRow;
    return !(area == kText && nCol == 0);
  }
  bool GetCellChoices(int nMode, QList<int>& widths, QStringList& list, const QString& area, int nRow,
                      int nCol) override {
    (void)nRow;
    if (area != kText || nCol != 2)
      return false;
    choiceModes.append(nMode);
    widths = {100, 200};
    list = {QStringLiteral("春季学期 第二学期"), QStringLiteral("秋季学期 第一学期")};
    return true;
  }
  bool IsCommandEnabled(int id) override { return id != vetoed; }
  int MergeCells() override {
    ++merges;
    AddMarkRecord(1, 0, 1, 1);
    return 1;
  }
  void AddContextMenuItems(QMenu* menu) override {
    ++menuPreparations;
    CForthView::AddContextMenuItems(menu);
  }
};

class CForthViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    doc.rowsToFill = 6;
    doc.Open();
    view = new TestView(&doc);
    view->resize(900, 600);
    view->InitLayout();
  }
  void TearDown() override { delete view; }

  QString cell(int row, int column) const { return doc.m_rows.at(row).at(column); }
  void place(int row, int column, const QString& area = kText) {
    view->SetExtend(false);
    view->PlaceCaret(row, column, 0, area);
  }
  bool show() { return KvShowActive(view); }

  KvGridTestDoc doc;
  TestView* view = nullptr;
  KvMessageRecorder messages;
  // Choice lists the test does not answer are closed without a choice.
  KvScopedPopupMenuExec noChoice{[](QMenu*, const QPoint&) -> QAction* { return nullptr; }};
};

}  // namespace

TEST_F(CForthViewTest, LayoutComesFromTheDocument) {
  const KvGridModel& model = view->Model();
  EXPECT_EQ(model.ColumnCount(), 7);
  EXPECT_EQ(model.TextRowCount(), 6);
  EXPECT_EQ(model.ColumnHeadRows(), 2);
  EXPECT_EQ(model.HeadRowCount(), 1);
  EXPECT_EQ(model.NoteCellCount(false, 0), 4);
  EXPECT_TRUE(model.HasTotalsRow());
  EXPECT_EQ(view->Title(), QStringLiteral("班级收费明细表"));
  EXPECT_EQ(view->merges, 1);
  EXPECT_EQ(view->MarkRecords().size(), 1);
  EXPECT_TRUE(view->IsEditable());
  EXPECT_EQ(KvFindDocView(&doc, 1), view);

  // The number display shows NUMBER cells with their column's decimals.
  EXPECT_EQ(view->GetDisplayText(0, 3, KvGridArea::Text), QStringLiteral("1200.00"));
  view->m_nNumberMode = 1;
  EXPECT_EQ(view->GetDisplayText(0, 3, KvGridArea::Text), QStringLiteral("1,200.00"));
  EXPECT_EQ(view->GetDisplayText(0, 5, KvGridArea::Text), QStringLiteral("85.5"));
  EXPECT_EQ(view->GetDisplayText(0, 1, KvGridArea::Text), QStringLiteral("张三"));

  // Notes show the document's texts; an empty well-known field its default.
  doc.m_noteTexts[3].clear();
  EXPECT_TRUE(view->GetDisplayText(0, 3, KvGridArea::Head).isEmpty());
  EXPECT_EQ(view->GetDisplayText(0, 1, KvGridArea::Foot), QStringLiteral("#co_manager"));

  // A note's box of n characters shows n characters of the note's font
  // unscrolled, a head font twice the text's here.
  view->PrintSet().Fonts[CKvPrintSet::HeadFont].height = 24;
  view->ApplyPageSetup();
  ASSERT_TRUE(show());
  CKvEdit* box = view->Editor();
  const auto caretX = [box](int position) {
    box->setCursorPosition(position);
    box->grab();  // a line edit scrolls to its caret as it paints
    return box->inputMethodQuery(Qt::ImCursorRectangle).toRect().x();
  };
  place(0, 3, kHead);
  box->setText(QStringLiteral("00012"));
  EXPECT_NEAR(caretX(5) - caretX(0), box->fontMetrics().horizontalAdvance(box->text()), 1);

  // A read-only document shows no editor and refuses every commit.
  doc.readOnly = true;
  doc.UpdateReadOnly();
  view->InitLayout();
  EXPECT_FALSE(view->IsEditable());
  place(0, 3);
  EXPECT_FALSE(view->CommitCell(0, 3, kText, QStringLiteral("5"), 0));
  EXPECT_EQ(cell(0, 3), QStringLiteral("1200.00"));
}

TEST_F(CForthViewTest, ARefusedTextNeverReachesTheDocument) {
  place(1, 3);
  EXPECT_FALSE(view->CommitCell(1, 3, kText, QStringLiteral("12a"), 0));
  EXPECT_FALSE(view->CommitCell(1, 3, kText, QStringLiteral("1.234"), 0));  // two decimals at most
  EXPECT_EQ(cell(1, 3), QStringLiteral("1200.00"));
  // The student column is not editable for this module.
  EXPECT_FALSE(view->CommitCell(1, 0, kText, QStringLiteral("x"), 0));
  // Nor is a note showing a stored fact (the maker, the kind), shown and printed as stored.
  for (const auto& [area, column] : {std::pair{kFoot, 2}, std::pair{kHead, 1}})
    EXPECT_FALSE(view->CommitCell(0, column, area, QStringLiteral("张三"), 0)) << area.toStdString();
  EXPECT_EQ(doc.m_noteTexts.mid(1, 1) + doc.m_noteTexts.mid(6, 1), (QStringList{"类别：#xx_lb", "制证：#xx_opr0"}));
  EXPECT_TRUE(doc.afterEdits.isEmpty());
  EXPECT_FALSE(view->IsChanged());
  EXPECT_FALSE(KvCmdEnabled(view, KV_CMD_EDIT_UNDO));
}

TEST_F(CForthViewTest, AnAcceptedCommitIsStoredReportedAndUndoable) {
  place(1, 3);
  ASSERT_TRUE(view->CommitCell(1, 3, kText, QStringLiteral("1300"), 4));
  EXPECT_EQ(cell(1, 3), QStringLiteral("1300"));
  EXPECT_EQ(doc.afterEdits, QStringList{QStringLiteral("1,3,1300")});
  EXPECT_TRUE(view->IsChanged());
  QString reason;
  EXPECT_TRUE(doc.HasUnsavedEdits(reason));
  ASSERT_TRUE(KvCmdEnabled(view, KV_CMD_EDIT_UNDO));
  view->ExecuteCmd(KV_CMD_EDIT_UNDO);
  EXPECT_EQ(cell(1, 3), QStringLiteral("1200.00"));
  EXPECT_EQ(view->Model().Current().caret, 4);
  view->ExecuteCmd(KV_CMD_EDIT_REDO);
  EXPECT_EQ(cell(1, 3), QStringLiteral("1300"));
  // Undo and redo report the text they write back as an edit does.
  EXPECT_EQ(doc.afterEdits, (QStringList{"1,3,1300", "1,3,1200.00", "1,3,1300"}));

  // A "DOUBLE" column (a stored layout's) keeps the number as judged.
  doc.m_formEntry.formulas[4].sFormula = QStringLiteral("住宿费/DOUBLE/RIGHT/0010/0/02");
  view->InitLayout();
  ASSERT_TRUE(view->CommitCell(1, 4, kText, QStringLiteral("1,250"), 0));
  EXPECT_EQ(cell(1, 4), QStringLiteral("1250"));
  // So does a paste into the selected cells, and a replacement.
  KvSetClipboardText(QStringLiteral("1,250"));
  place(2, 4);
  ASSERT_TRUE(view->PasteIntoBlock());
  view->m_strReplaceFind = QStringLiteral("400.00");
  view->m_strReplaceWith = QStringLiteral("1,250");
  EXPECT_EQ(view->ReplaceAll(), 2);
  EXPECT_EQ((QStringList{cell(2, 4), cell(3, 4), cell(5, 4)}), (QStringList{"1250", "1250", "1250"}));

  // A note of the head is the document's note text.
  place(0, 3, kHead);
  ASSERT_TRUE(view->CommitCell(0, 3, kHead, QStringLiteral("00012"), 0));
  EXPECT_EQ(doc.m_noteTexts.at(3), QStringLiteral("00012"));
}

TEST_F(CForthViewTest, TypingTabEnterAndArrowsMoveAndCommit) {
  ASSERT_TRUE(show());
  place(0, 2);
  CKvEdit* editor = view->Editor();
  ASSERT_TRUE(editor->isVisible());
  ASSERT_TRUE(editor->hasFocus());
  editor->setCursorPosition(editor->text().size());
  QTest::keyClicks(editor, QStringLiteral("abc"));
  QTest::keyClick(editor, Qt::Key_Tab);
  EXPECT_EQ(cell(0, 2), QStringLiteral("秋季学期abc"));
  // The cell entered with Tab has its whole text selected.
  EXPECT_EQ(view->Model().Current(), (KvGridCell{7, 0, 3, KvGridArea::Text}));
  EXPECT_EQ(view->Model().Anchor(), (KvGridCell{0, 0, 3, KvGridArea::Text}));
  EXPECT_EQ(editor->selectedText(), QStringLiteral("1200.00"));

  // Letters are refused by the number column's editor as they are typed.
  editor->selectAll();
  QTest::keyClicks(editor, QStringLiteral("7x5"));
  QTest::keyClick(editor, Qt::Key_Return);
  EXPECT_EQ(cell(0, 3), QStringLiteral("75"));
  EXPECT_EQ(view->Model().Current().column, 4);

  // Right moves on only from the end of the text, Left only from its start.
  place(1, 3);
  editor->setCursorPosition(0);
  QTest::keyClick(editor, Qt::Key_Right);
  EXPECT_EQ(view->Model().Current().column, 3);
  editor->setCursorPosition(editor->text().size());
  QTest::keyClick(editor, Qt::Key_Right);
  EXPECT_EQ(view->Model().Current().column, 4);
  editor->setCursorPosition(0);
  QTest::keyClick(editor, Qt::Key_Left);
  EXPECT_EQ(view->Model().Current().column, 3);
  EXPECT_EQ(editor->cursorPosition(), editor->text().size());
  QTest::keyClick(editor, Qt::Key_Down);
  EXPECT_EQ(view->Model().Current().row, 2);
  QTest::keyClick(editor, Qt::Key_Backtab);
  EXPECT_EQ(view->Model().Current().column, 2);

  // Shift with an arrow extends the selection; Ctrl+C copies it as lines of
  // TAB-separated texts.
  place(0, 3);
  QTest::keyClick(view->Editor(), Qt::Key_Down, Qt::ShiftModifier);
  editor->setCursorPosition(editor->text().size());
  QTest::keyClick(view->Editor(), Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(view->Model().Anchor(), (KvGridCell{0, 0, 3, KvGridArea::Text}));
  EXPECT_TRUE(view->Model().IsSelected(KvGridArea::Text, 1, 4));
  QTest::keyClick(view->Editor(), Qt::Key_C, Qt::ControlModifier);
  QString copied;
  ASSERT_TRUE(KvGetClipboardText(&copied));
  EXPECT_EQ(copied, QStringLiteral("75\t\n1200.00\t400.00"));
}

TEST_F(CForthViewTest, TypingIsUndoneWithItsCaretAndRedone) {
  ASSERT_TRUE(show());
  place(2, 2);
  CKvEdit* editor = view->Editor();
  editor->setText(QString());
  doc.m_rows[2][2] = QStringLiteral("ab");
  place(2, 2);
  editor->setCursorPosition(1);
  QTest::keyClick(editor, Qt::Key_X);
  EXPECT_EQ(editor->text(), QStringLiteral("axb"));
  QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(cell(2, 2), QStringLiteral("ab"));
  EXPECT_EQ(editor->text(), QStringLiteral("ab"));
  EXPECT_EQ(editor->cursorPosition(), 1);
  QTest::keyClick(editor, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(cell(2, 2), QStringLiteral("axb"));
  EXPECT_EQ(editor->text(), QStringLiteral("axb"));
  EXPECT_EQ(editor->cursorPosition(), 2);
  // A new edit empties the redo history.
  QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(editor, Qt::Key_Q);
  QTest::keyClick(editor, Qt::Key_Tab);
  EXPECT_FALSE(KvCmdEnabled(view, KV_CMD_EDIT_REDO));
}

TEST_F(CForthViewTest, AnInputMethodCommitIsTypedAndCommitted) {
  ASSERT_TRUE(show());
  place(2, 2);
  CKvEdit* editor = view->Editor();
  ASSERT_TRUE(editor->text().isEmpty());
  QInputMethodEvent preedit(QStringLiteral("xueqi"), {});
  QApplication::sendEvent(editor, &preedit);
  QInputMethodEvent commit;
  commit.setCommitString(QStringLiteral("学期"));
  QApplication::sendEvent(editor, &commit);
  EXPECT_EQ(editor->text(), QStringLiteral("学期"));
  QTest::keyClick(editor, Qt::Key_Tab);
  EXPECT_EQ(cell(2, 2), QStringLiteral("学期"));
  QTest::keyClick(view->Editor(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_TRUE(cell(2, 2).isEmpty());

  // A number cell's editor drops a committed text its type refuses.
  place(3, 3);
  editor->selectAll();
  QInputMethodEvent letters;
  letters.setCommitString(QStringLiteral("一百"));
  QApplication::sendEvent(editor, &letters);
  QTest::keyClick(editor, Qt::Key_Tab);
  EXPECT_EQ(cell(3, 3), QStringLiteral("1200.00"));
}

TEST_F(CForthViewTest, TotalsFollowTheModesAndThePrintedPage) {
  doc.status = QStringLiteral("%1人");
  view->InitLayout();
  KvGridPass screen;
  QString label;
  QStringList totals;
  ASSERT_TRUE(view->GetTotalsRow(screen, label, totals));
  EXPECT_EQ(label, QStringLiteral("合计 6人"));
  EXPECT_EQ(totals.value(3), QStringLiteral("7,200.00"));
  EXPECT_EQ(totals.value(4), QStringLiteral("1,200.00"));
  EXPECT_EQ(totals.value(5), QStringLiteral("513"));  // simplified: 6 x 85.5
  EXPECT_TRUE(totals.value(0).isEmpty());

  // An edit, undo and redo refresh them and the row total the view keeps.
  place(0, 3);
  const struct { std::function<void()> run; QStringList rowTotalAndSums; } steps[] = {
      {[&] { view->CommitCell(0, 3, kText, QStringLiteral("200"), 0); }, {"285.50", "6,200.00", "7,913.00"}},
      {[&] { view->UndoRedo(true); }, {"1285.50", "7,200.00", "8,913.00"}},
      {[&] { view->UndoRedo(false); }, {"285.50", "6,200.00", "7,913.00"}}};
  for (const auto& step : steps) {
    step.run();
    view->GetTotalsRow(screen, label, totals);
    EXPECT_EQ((QStringList{cell(0, 6), totals.value(3), totals.value(6)}), step.rowTotalAndSums);
  }

  KvGridPass page;
  page.printing = true;
  page.firstRow = 2;
  page.rowCount = 2;
  view->GetTotalsRow(page, label, totals);
  EXPECT_EQ(label, QStringLiteral("合计 6人"));  // the whole document
  EXPECT_EQ(totals.value(3), QStringLiteral("6,200.00"));
  view->m_nTotalsMode = 1;
  view->GetTotalsRow(page, label, totals);
  EXPECT_EQ(label, QStringLiteral("累计 4人"));  // up to the page's end
  EXPECT_EQ(totals.value(3), QStringLiteral("3,800.00"));
  doc.m_formEntry.nOption = 1;
  view->InitLayout();
  view->GetTotalsRow(page, label, totals);
  EXPECT_EQ(label, QStringLiteral("合计 2人"));  // the page's own rows
  EXPECT_EQ(totals.value(3), QStringLiteral("2,400.00"));
}

TEST_F(CForthViewTest, TheTailRowIsDrawnWhereverItIsScrolledIntoView) {
  doc.rowsToFill = 30;
  doc.Refill();
  ASSERT_TRUE(show());
  const KvGridModel& model = view->Model();
  const QRect note = model.CellRect(KvGridArea::Foot, 0, 0);
  ASSERT_FALSE(note.isEmpty());
  // The whole form in view: the note as it looks.
  view->resize(900, model.ContentHeight() + 40);
  const auto picture = [&](const QRect& rect) {
    return view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32).copy(rect);
  };
  const QImage whole = picture(note);
  // Its text is there: more than the background's one colour.
  bool drawn = false;
  for (int y = 0; y < whole.height() && !drawn; ++y)
    for (int x = 0; x < whole.width() && !drawn; ++x)
      drawn = whole.pixel(x, y) != whole.pixel(0, 0);
  EXPECT_TRUE(drawn);
  // A short window scrolled to the end shows it the same, drawn with the
  // whole window or with the note's part alone.
  view->resize(900, 300);
  QScrollBar* bar = view->verticalScrollBar();
  ASSERT_GT(bar->maximum(), note.bottom() - 300);
  bar->setValue(bar->maximum());
  const QRect shown = note.translated(0, -bar->value());
  ASSERT_TRUE(view->viewport()->rect().contains(shown));
  EXPECT_EQ(picture(shown), whole);
  QImage part(shown.size(), QImage::Format_RGB32);
  part.fill(Qt::white);
  view->viewport()->render(&part, QPoint(), QRegion(shown));
  EXPECT_EQ(part, whole);
}

TEST_F(CForthViewTest, FindNextGoesRoundOnceAndSaysWhenNothingIsFound) {
  view->m_strFind = QStringLiteral("学期");
  place(0, 2);
  ASSERT_TRUE(view->FindNext());
  EXPECT_EQ(view->Model().Current().row, 3);
  EXPECT_EQ(view->GetSelectedText(), QStringLiteral("学期"));
  ASSERT_TRUE(view->FindNext());  // round to the first row
  EXPECT_EQ(view->Model().Current().row, 0);
  EXPECT_EQ(view->Model().Anchor().caret, 2);

  view->m_bWholeMatch = true;
  EXPECT_FALSE(view->FindNext());
  EXPECT_EQ(messages.last(), QStringLiteral("没有查找到含 “学期”的项！"));
  view->m_strFind = QStringLiteral("秋季学期");
  EXPECT_TRUE(view->FindNext());
  EXPECT_TRUE(KvCmdEnabled(view, KV_CMD_EDIT_FIND_NEXT));
  view->m_strFind.clear();
  EXPECT_FALSE(KvCmdEnabled(view, KV_CMD_EDIT_FIND_NEXT));
}

TEST_F(CForthViewTest, ReplaceWritesEveryEditableMatchingCell) {
  doc.m_rows[1][0] = QStringLiteral("秋季");
  view->m_strReplaceFind = QStringLiteral("秋季");
  view->m_strReplaceWith = QStringLiteral("春季");
  EXPECT_EQ(view->ReplaceAll(), 2);
  EXPECT_EQ(cell(0, 2), QStringLiteral("春季学期"));
  EXPECT_EQ(cell(3, 2), QStringLiteral("春季学期"));
  EXPECT_EQ(cell(1, 0), QStringLiteral("秋季"));  // not editable
  EXPECT_EQ(doc.afterEdits.size(), 2);
  EXPECT_TRUE(view->IsChanged());
  view->m_bWholeMatch = true;
  view->m_strReplaceFind = QStringLiteral("春季");
  EXPECT_EQ(view->ReplaceAll(), 0);
  EXPECT_EQ(messages.last(), QStringLiteral("没有查找到含 “春季”的项！"));
  // Each replacement takes its column's check; refused cells are counted.
  view->m_strReplaceFind = QStringLiteral("1200.00");
  view->m_strReplaceWith = QStringLiteral("1,250.00");
  EXPECT_EQ(view->ReplaceAll(), 0);
  EXPECT_EQ(messages.last(), QStringLiteral("“1,250.00”不能放入其中6格，这些格没有替换！"));
  EXPECT_EQ(cell(5, 3), QStringLiteral("1200.00"));
}

TEST_F(CForthViewTest, FillFromAboveTakesTheNearestTextAbove) {
  place(2, 2);
  ASSERT_TRUE(view->FillFromAbove());
  EXPECT_EQ(cell(2, 2), QStringLiteral("秋季学期"));
  EXPECT_FALSE(view->FillFromAbove());  // no longer empty
  place(0, 4);
  EXPECT_FALSE(view->FillFromAbove());  // nothing above
}

TEST_F(CForthViewTest, TheRightClickMenuHoldsTheFormEntriesAndRunsTheChosenOne) {
  QStringList captions;
  QList<bool> enabled;
  int choose = KV_CMD_EDIT_COPY;
  KvScopedPopupMenuExec popup([&](QMenu* menu, const QPoint&) -> QAction* {
    captions.clear();
    enabled.clear();
    EXPECT_EQ(menu->objectName(), QStringLiteral("menu_306"));
    for (QAction* action : menu->actions()) {
      captions.append(action->isSeparator() ? QStringLiteral("-") : action->text());
      enabled.append(action->isEnabled());
    }
    return KvMenuAction(menu, choose);
  });
  place(0, 3);
  view->SetExtend(true);
  view->PlaceCaret(1, 4, 0, kText);
  view->SetExtend(false);
  view->ShowContextMenu(QPoint(10, 10));
  EXPECT_EQ(captions, (QStringList{"剪切(&T)\tCtrl+X", "复制(&C)\tCtrl+C", "粘贴(&P)\tCtrl+V",
                                   "在多个单元格内粘贴(&B)\tCtrl+B", "将此单元格内容在整栏粘贴\tCtrl+L",
                                   "在当前行处加一空行\tShift+Enter", "在当前行后加一空行\tCtrl+Enter",
                                   "删除(D)\tDelete", "全选(&L)\tCtrl+A", "-", "查找(&F)...\tCtrl+F",
                                   "查找下一个(&I)\tF3", "替换(&E)\tCtrl+H"}));
  EXPECT_EQ(view->menuPreparations, 1);
  EXPECT_TRUE(enabled.at(1));
  EXPECT_TRUE(enabled.at(0));   // cut: the block may be edited
  EXPECT_FALSE(enabled.at(11));  // no find text yet
  QString copied;
  ASSERT_TRUE(KvGetClipboardText(&copied));
  EXPECT_EQ(copied, QStringLiteral("1200.00\t\n1200.00\t400.00"));

  // The module's veto greys the command.
  view->vetoed = KV_CMD_EDIT_COPY;
  view->ShowContextMenu(QPoint(10, 10));
  EXPECT_FALSE(enabled.at(1));
}

TEST_F(CForthViewTest, ChoicesWriteTheFirstWordOfTheChosenLine) {
  QString offered;
  KvScopedPopupMenuExec popup([&](QMenu* menu, const QPoint&) -> QAction* {
    offered = menu->actions().value(1) ? menu->actions().at(1)->text() : QString();
    return menu->actions().value(1);
  });
  place(1, 2);
  ASSERT_TRUE(view->ShowCellChoices(0));
  EXPECT_EQ(offered, QStringLiteral("秋季学期 第一学期"));
  EXPECT_EQ(cell(1, 2), QStringLiteral("秋季学期"));
  EXPECT_EQ(doc.afterEdits.last(), QStringLiteral("1,2,秋季学期"));
  EXPECT_EQ(view->choiceModes, QList<int>{0});

  ASSERT_TRUE(show());
  place(1, 1);
  QTest::keyClick(view->Editor(), Qt::Key_Tab);  // entered by a key
  QTest::keyClick(view->Editor(), Qt::Key_F4);
  EXPECT_EQ(view->choiceModes, (QList<int>{0, 1, 0}));
  const QRect rect = view->Model().CellRect(KvGridArea::Text, 4, 2).translated(0, -view->verticalScrollBar()->value());
  QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
  EXPECT_EQ(view->Model().Current().row, 4);
  EXPECT_EQ(view->choiceModes.last(), 2);
}

TEST_F(CForthViewTest, ClicksLeftOfRowsAndOnColumnHeadsSelectBlocks) {
  ASSERT_TRUE(show());
  const KvGridModel& model = view->Model();
  const int y = model.RowTop(KvGridArea::Text, 2) + 3 - view->verticalScrollBar()->value();
  QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(model.TableLeft() - 2, y));
  EXPECT_EQ(model.Anchor(), (KvGridCell{0, 2, 6, KvGridArea::Text}));
  EXPECT_EQ(model.Current(), (KvGridCell{0, 2, 0, KvGridArea::Text}));
  const int headY = model.BandTop(KvGridArea::FormHead) + 3 - view->verticalScrollBar()->value();
  QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(model.ColumnLeft(3) + 2, headY));
  EXPECT_EQ(model.Anchor(), (KvGridCell{0, 5, 3, KvGridArea::Text}));
  EXPECT_EQ(model.Current(), (KvGridCell{0, 0, 3, KvGridArea::Text}));
  // A right click inside the block keeps it for the menu.
  KvScopedPopupMenuExec popup([](QMenu*, const QPoint&) -> QAction* { return nullptr; });
  QTest::mouseClick(view->viewport(), Qt::RightButton, Qt::NoModifier,
                    QPoint(model.ColumnLeft(3) + 2, model.RowTop(KvGridArea::Text, 4) + 3 -
                                                        view->verticalScrollBar()->value()));
  EXPECT_EQ(model.Anchor().row, 5);
}

TEST_F(CForthViewTest, RefreshRefillsTheDocumentAndShowsIt) {
  // A refresh whose fill fails shows no rows and takes no typing.
  doc.fillFails = true;
  ASSERT_TRUE(KvCmdEnabled(view, KV_CMD_REFRESH));
  view->ExecuteCmd(KV_CMD_REFRESH);
  EXPECT_EQ(view->Model().TextRowCount(), 0);
  EXPECT_FALSE(view->IsEditable());
  EXPECT_FALSE(KvCmdEnabled(view, KV_CMD_FILE_SAVE));
  // Not even the linked head note, which an editable sheet takes.
  const QStringList notes = doc.m_noteTexts;
  place(0, 3, kHead);
  ASSERT_TRUE(show());
  QTest::keyClicks(view, QStringLiteral("99"));
  QTest::keyClick(view, Qt::Key_Return);
  EXPECT_FALSE(view->CommitCell(0, 3, kHead, QStringLiteral("00099"), 0));
  EXPECT_EQ(doc.m_noteTexts, notes);
  EXPECT_FALSE(view->IsCellChanged());
  doc.fillFails = false;
  doc.rowsToFill = 9;
  view->ExecuteCmd(KV_CMD_REFRESH);
  EXPECT_EQ(view->Model().TextRowCount(), 9);
  EXPECT_TRUE(view->IsEditable());
  // Commands the view does not take go to its document: save once there
  // is something to save.
  EXPECT_TRUE(view->HandlesCmd(KV_CMD_FILE_SAVE));
  EXPECT_FALSE(KvCmdEnabled(view, KV_CMD_FILE_SAVE));
  ASSERT_TRUE(view->CommitCell(1, 3, kText, QStringLiteral("1300"), 0));
  EXPECT_TRUE(KvCmdEnabled(view, KV_CMD_FILE_SAVE));
  EXPECT_FALSE(view->HandlesCmd(KV_CMD_VIEW_LIST));
}

// A document whose memo cells hold season codes and show their names.
class SeasonMemoDoc : public KvGridTestDoc {
 public:
  int checks = 0;
  bool ShowsCheckedText(int nColumn) const override { return nColumn == 2; }
  bool CheckCellText(int nRow, int nColumn, const QString& text, QString& outText) override {
    (void)nRow;
    if (nColumn != 2)
      return true;
    ++checks;
    outText = text == u"春" ? QStringLiteral("春季学期") : text == u"秋" ? QStringLiteral("秋季学期") : QString();
    return !outText.isEmpty();
  }
};

TEST(CForthViewShownTextTest, CellsShowTheirCheckedTextsThroughEditsUndoAndRowChanges) {
  KvMessageRecorder messages;
  SeasonMemoDoc doc;
  doc.rowsToFill = 6;
  doc.Open();
  for (int r = 0; r < doc.GetRowCount(); ++r)
    doc.m_rows[r][2] = r % 2 ? QStringLiteral("秋") : QStringLiteral("春");
  TestView view(&doc);
  view.resize(900, 600);
  view.InitLayout();
  EXPECT_EQ(doc.checks, 6);
  // The editor shows the code.
  view.PlaceCaret(0, 2, 0, kText);
  EXPECT_EQ(view.Editor()->text(), QStringLiteral("春"));
  struct Step {
    const char* name;
    std::function<void()> run;
    QStringList shown;
  };
  const QString spring = QStringLiteral("春季学期");
  const QString autumn = QStringLiteral("秋季学期");
  const Step steps[] = {
      {"edit", [&] { view.CommitCell(1, 2, kText, QStringLiteral("春"), 0); }, {spring, spring, spring, autumn, spring, autumn}},
      {"undo", [&] { view.UndoRedo(true); }, {spring, autumn, spring, autumn, spring, autumn}},
      {"redo", [&] { view.UndoRedo(false); }, {spring, spring, spring, autumn, spring, autumn}},
      {"unknown code", [&] { view.CommitCell(0, 2, kText, QStringLiteral("冬"), 0); },
       {QStringLiteral("冬"), spring, spring, autumn, spring, autumn}},
      {"row inserted", [&] {
         view.PlaceCaret(1, 2, 0, kText);
         view.InsertBlankRow(false);
       },
       {QStringLiteral("冬"), QString(), spring, spring, autumn, spring, autumn}},
      {"rows removed", [&] { view.AddRows(-2); }, {QStringLiteral("冬"), QString(), spring, spring, autumn}},
      {"row moved", [&] { view.MoveRows(3, 3, 1); }, {QStringLiteral("冬"), QString(), spring, autumn, spring}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    step.run();
    QStringList shown;
    for (int r = 0; r < doc.GetRowCount(); ++r)
      shown.append(view.GetDisplayText(r, 2, KvGridArea::Text));
    EXPECT_EQ(shown, step.shown);
  }
  // Each text was checked once: laying the grid out again asks nothing.
  const int checks = doc.checks;
  view.InitLayout();
  EXPECT_EQ(doc.checks, checks);
}

TEST_F(CForthViewTest, RowHooksAddMoveAndRemoveTheDocumentsRows) {
  const QString first = cell(1, 0);
  view->AddRows(2);
  ASSERT_EQ(doc.GetRowCount(), 8);
  ASSERT_EQ(doc.m_flagRows.size(), 8);
  // Rows 1..5 move down by two: the two blank rows open at row 1.
  view->MoveRows(1, 5, 2);
  EXPECT_TRUE(doc.IsRowBlank(1));
  EXPECT_TRUE(doc.IsRowBlank(2));
  EXPECT_EQ(cell(3, 0), first);
  // A row moved up takes the place of the one above, which moves after it.
  const QString third = cell(3, 0);
  view->MoveRows(3, 3, -1);
  EXPECT_EQ(cell(2, 0), third);
  EXPECT_TRUE(doc.IsRowBlank(3));
  // Moves that leave the rows are refused.
  view->MoveRows(6, 7, 1);
  EXPECT_EQ(doc.GetRowCount(), 8);
  view->AddRows(-3);
  EXPECT_EQ(doc.GetRowCount(), 5);
  EXPECT_EQ(doc.m_flagRows.size(), 5);
}


// A stored layout damaged as a flipped bit does it (a head of 0x40000001
// rows, a field whose row and edit box are 0x7FFFFFFF) opens with them in
// the sheet's ranges, through the load and given to the grid straight. The
// grid is made in a child capped in memory: a count that sizes memory
// unchecked ends the child, not the machine.
TEST(CForthViewDamageTest, ADamagedStoredLayoutOpensWithItsNumbersInTheSheetsRanges) {
  KvTestDb testDb(0);
  KV_CREATE_TEST_DB(testDb);
  ASSERT_TRUE(KvShellTestApp().CreateAllTables(&testDb.db()));
  KvGridTestDoc doc;
  doc.m_pDb = &testDb.db();
  KvFormEntry damaged;
  damaged.SetKey(doc.m_pDb, doc.m_nFlag, doc.m_nForm);
  doc.BuildColumns(damaged);
  damaged.nTopNum = 0x40000001;
  damaged.AddHeadNote(0, 0x7FFFFFFF, 0x7FFFFFFF, 1, 0, QStringLiteral("编表单位"), QString());
  ASSERT_TRUE(damaged.SaveLayout(true, false, true));
  doc.Open();
  EXPECT_EQ(doc.m_formEntry.nTopNum, 10);
  EXPECT_EQ(doc.m_formEntry.headNotes.at(0).nRow, 14);
  EXPECT_EQ(doc.m_formEntry.headNotes.at(0).nColPecent, 50 * 100 + 47);
  GTEST_FLAG_SET(death_test_style, "fast");
  for (const bool straight : {false, true}) {
    EXPECT_EXIT(
        {
          capAddressSpace();
          TestView view(&doc);
          view.InitLayout();
          if (straight) {
            view.Model().SetColumnHead(doc.m_formEntry.topWords, damaged.nTopNum);
            view.Model().SetNotes(damaged.headNotes);
          }
          const KvGridModel& model = view.Model();
          std::_Exit(model.ColumnHeadRows() == 10 && model.HeadRowCount() == 15 &&
                             model.Notes().at(0).EditLength() == 50
                         ? 0
                         : 1);
        },
        ::testing::ExitedWithCode(0), "")
        << (straight ? "given to the grid straight" : "through the load");
  }
}
