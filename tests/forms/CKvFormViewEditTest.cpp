// The grid's editing commands on a module view over a fee-like form: whole-row
// and block deletes, paste shapes and clipping, paste into many cells and
// into a column, blank rows, the calculator's first expression and its
// result, the area each block write reports, and the keys and enabling.

#include "KvGridTestDoc.h"

#include "core/KvClipboard.h"
#include "core/KvMessage.h"
#include "formula/CKvCalcDlg.h"
#include "ui/CKvCommandRouter.h"
#include "ui/CKvEdit.h"
#include "ui/KvCommands.h"
#include "ui/KvObjectNames.h"
#include "ui/KvUiTestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTest>

namespace {

const QString kText = QStringLiteral("TEXT");
const QString kHead = QStringLiteral("HEAD");

// A module view whose test picks the cells that may not be edited and
// whether rows may be added; it records every reported change.
class EditView : public CForthView {
 public:
  using CForthView::CForthView;
  QSet<QPair<int, int>> readOnlyCells;
  bool mayAddRows = true;
  QStringList changes;

  bool IsCellEditable(const QString& area, int nRow, int nCol) override {
    return !(area == kText && readOnlyCells.contains({nRow, nCol}));
  }
  bool MayAddRows() override { return mayAddRows; }
  void OnCellChanged(const QString& text, int nRow, int nCol, const QString& area) override {
    changes.append(QStringLiteral("%1 %2,%3=%4").arg(area).arg(nRow).arg(nCol).arg(text));
    CForthView::OnCellChanged(text, nRow, nCol, area);
  }
};

class CKvFormViewEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    doc.rowsToFill = 6;
    doc.Open();
    view = new EditView(&doc);
    view->resize(900, 600);
    view->InitLayout();
  }
  void TearDown() override { delete view; }

  QString cell(int row, int column) const { return doc.m_rows.at(row).at(column); }
  QString student(int row) const { return cell(row, 0); }
  void select(int anchorRow, int anchorCol, int row, int col, const QString& area = kText) {
    view->SetExtend(false);
    view->PlaceCaret(anchorRow, anchorCol, 0, area);
    view->SetExtend(true);
    view->PlaceCaret(row, col, 0, area);
    view->SetExtend(false);
  }
  void selectCharacters(int row, int col, int from, int to) {
    view->SetExtend(false);
    view->PlaceCaret(row, col, from, kText);
    view->SetExtend(true);
    view->PlaceCaret(row, col, to, kText);
    view->SetExtend(false);
  }
  void run(int id) {
    ASSERT_TRUE(KvCmdEnabled(view, id)) << id;
    view->ExecuteCmd(id);
  }

  KvGridTestDoc doc;
  EditView* view = nullptr;
};

}  // namespace

TEST_F(CKvFormViewEditTest, AWholeRowDeleteOverEveryRowKeepsOneEmptyRow) {
  select(5, 6, 0, 0);
  run(KV_CMD_DELETE);
  ASSERT_EQ(doc.GetRowCount(), 1);
  EXPECT_EQ(view->Model().TextRowCount(), 1);
  EXPECT_TRUE(doc.IsRowBlank(0));
  EXPECT_EQ(view->Model().Current(), (KvGridCell{0, 0, 0, KvGridArea::Text}));
  EXPECT_EQ(view->Model().Anchor(), view->Model().Current());
  EXPECT_TRUE(view->IsChanged());
  // Every emptied cell was reported as a TEXT change.
  EXPECT_EQ(view->changes.size(), 6 * 7);
}

TEST_F(CKvFormViewEditTest, RowsHoldingAReadOnlyCellStayInOrder) {
  const QStringList before = {student(0), student(1), student(2), student(3), student(4), student(5)};
  view->readOnlyCells = {{1, 0}, {3, 0}};
  select(1, 6, 4, 0);  // rows 1 to 4, every column
  run(KV_CMD_DELETE);
  ASSERT_EQ(doc.GetRowCount(), 4);
  EXPECT_EQ((QStringList{student(0), student(1), student(2), student(3)}),
            (QStringList{before.at(0), before.at(1), before.at(3), before.at(5)}));
  // The kept rows were emptied where they may be.
  EXPECT_TRUE(cell(1, 1).isEmpty());
  EXPECT_TRUE(cell(2, 3).isEmpty());
  EXPECT_EQ(cell(3, 3), QStringLiteral("1200.00"));
  // The current row is the first one after the block.
  EXPECT_EQ(view->Model().Current().row, 3);

  // A block short of a whole row only empties its cells.
  select(0, 2, 1, 3);
  run(KV_CMD_DELETE);
  EXPECT_EQ(doc.GetRowCount(), 4);
  EXPECT_TRUE(cell(0, 2).isEmpty());
  EXPECT_TRUE(cell(0, 3).isEmpty());
  EXPECT_FALSE(cell(0, 1).isEmpty());
  EXPECT_EQ(view->Model().Current(), (KvGridCell{0, 0, 2, KvGridArea::Text}));
}

TEST_F(CKvFormViewEditTest, DeletingCharactersAndTheDeleteKeyAreUndoable) {
  selectCharacters(0, 2, 1, 3);  // "季学" of "秋季学期"
  run(KV_CMD_DELETE);
  EXPECT_EQ(cell(0, 2), QStringLiteral("秋期"));
  EXPECT_EQ(doc.afterEdits.last(), QStringLiteral("0,2,秋期"));  // the document heard of it
  EXPECT_EQ(view->Model().Current().caret, 1);
  EXPECT_EQ(view->Model().Anchor().caret, 1);
  run(KV_CMD_EDIT_UNDO);
  EXPECT_EQ(cell(0, 2), QStringLiteral("秋季学期"));

  // With nothing selected the key takes the character at the caret.
  ASSERT_TRUE(KvShowActive(view));
  view->PlaceCaret(0, 2, 0, kText);
  QTest::keyClick(view->Editor(), Qt::Key_Delete);
  QTest::keyClick(view->Editor(), Qt::Key_Tab);
  EXPECT_EQ(cell(0, 2), QStringLiteral("季学期"));
}

TEST_F(CKvFormViewEditTest, PasteIntoOneCellInsertsAtTheCaretOrReplacesTheSelection) {
  KvSetClipboardText(QStringLiteral("春"));
  selectCharacters(0, 2, 0, 1);
  run(KV_CMD_EDIT_PASTE);
  EXPECT_EQ(cell(0, 2), QStringLiteral("春季学期"));
  EXPECT_EQ(view->Model().Current().caret, 1);

  KvSetClipboardText(QStringLiteral("5"));
  view->PlaceCaret(1, 4, 1, kText);  // "4|00.00"
  run(KV_CMD_EDIT_PASTE);
  EXPECT_EQ(cell(1, 4), QStringLiteral("4500.00"));
  EXPECT_EQ(view->Model().Current().caret, 2);
  run(KV_CMD_EDIT_UNDO);
  EXPECT_EQ(cell(1, 4), QStringLiteral("400.00"));

  // The cell's input type refuses letters.
  KvSetClipboardText(QStringLiteral("x"));
  view->PlaceCaret(1, 4, 6, kText);
  run(KV_CMD_EDIT_PASTE);
  EXPECT_EQ(cell(1, 4), QStringLiteral("400.00"));

  // A spreadsheet ends a copied cell with a line break: it is one cell, and
  // the cell below keeps its text.
  KvSetClipboardText(QStringLiteral("50\r\n"));
  view->PlaceCaret(0, 4, 0, kText);
  run(KV_CMD_EDIT_PASTE);
  EXPECT_EQ(cell(0, 4), QStringLiteral("50"));
  EXPECT_EQ(cell(1, 4), QStringLiteral("400.00"));

  // With a block selected nothing is pasted.
  select(2, 2, 3, 3);
  run(KV_CMD_EDIT_PASTE);
  EXPECT_TRUE(cell(2, 2).isEmpty());
}

TEST_F(CKvFormViewEditTest, PastedLinesAtTheFirstColumnBecomeNewRows) {
  const QString fifth = student(4);
  KvSetClipboardText(QStringLiteral("3001\t新生甲\t插班\t100\tabc\t\t100\textra\r\n"
                                    "3002\t新生乙\t\t200\t\t\t200"));
  view->readOnlyCells = {{5, 1}};  // the second new row will stand at row 5
  view->PlaceCaret(4, 0, 0, kText);
  run(KV_CMD_EDIT_PASTE);
  ASSERT_EQ(doc.GetRowCount(), 8);
  EXPECT_EQ(view->Model().TextRowCount(), 8);
  EXPECT_EQ(doc.m_rows.at(4).mid(0, 7),
            (QStringList{"3001", "新生甲", "插班", "100", "", "", "100"}));  // "abc" refused
  EXPECT_EQ(cell(5, 0), QStringLiteral("3002"));
  EXPECT_TRUE(cell(5, 1).isEmpty());  // read-only
  EXPECT_EQ(student(6), fifth);
  EXPECT_EQ(view->Model().Current(), (KvGridCell{0, 6, 0, KvGridArea::Text}));
  EXPECT_TRUE(view->changes.contains(QStringLiteral("TEXT 4,2=插班")));

  // A module that adds no rows takes none.
  view->SetChanged(false);
  view->mayAddRows = false;
  run(KV_CMD_EDIT_PASTE);
  EXPECT_EQ(doc.GetRowCount(), 8);
  EXPECT_FALSE(view->IsChanged());
}

TEST_F(CKvFormViewEditTest, APastedTableElsewhereOverwritesAndClipsAtTheEdges) {
  KvSetClipboardText(QStringLiteral("1\t2\t3\n4\t5\t6\n7\t8\t9"));
  view->PlaceCaret(4, 5, 0, kText);
  run(KV_CMD_EDIT_PASTE);
  EXPECT_EQ(doc.GetRowCount(), 6);
  EXPECT_EQ((QStringList{cell(4, 4), cell(4, 5), cell(4, 6)}), (QStringList{"", "1", "2"}));
  EXPECT_EQ((QStringList{cell(5, 5), cell(5, 6)}), (QStringList{"4", "5"}));
  EXPECT_EQ(view->Model().Current(), (KvGridCell{0, 4, 5, KvGridArea::Text}));

  // A table in the head is ignored.
  const QStringList notes = doc.m_noteTexts;
  view->PlaceCaret(0, 0, 0, kHead);
  run(KV_CMD_EDIT_PASTE);
  EXPECT_EQ(doc.m_noteTexts, notes);
}

TEST_F(CKvFormViewEditTest, PasteIntoManyCellsTakesOneCellOfText) {
  view->readOnlyCells = {{1, 3}};
  KvSetClipboardText(QStringLiteral("99\n"));
  select(0, 3, 2, 4);
  run(KV_CMD_PASTE_MANY);
  EXPECT_EQ((QStringList{cell(0, 3), cell(0, 4), cell(1, 3), cell(1, 4), cell(2, 3), cell(2, 4)}),
            (QStringList{"99", "99", "1200.00", "99", "99", "99"}));
  EXPECT_TRUE(view->Model().IsSelected(KvGridArea::Text, 2, 4));
  EXPECT_EQ(view->Model().Current().caret, 0);

  // Two lines, or a text the input type refuses, change nothing.
  KvSetClipboardText(QStringLiteral("1\n2"));
  run(KV_CMD_PASTE_MANY);
  KvSetClipboardText(QStringLiteral("九十九"));
  run(KV_CMD_PASTE_MANY);
  EXPECT_EQ(cell(0, 3), QStringLiteral("99"));
}

TEST_F(CKvFormViewEditTest, PasteIntoTheColumnSkipsBlankAndReadOnlyRows) {
  for (QString& text : doc.m_rows[3])
    text.clear();
  view->readOnlyCells = {{1, 2}};
  view->PlaceCaret(0, 2, 0, kText);
  run(KV_CMD_PASTE_COLUMN);
  EXPECT_EQ((QStringList{cell(1, 2), cell(2, 2), cell(3, 2), cell(5, 2)}),
            (QStringList{"", "秋季学期", "", "秋季学期"}));
  EXPECT_TRUE(view->IsChanged());
  // A single row has no column to fill.
  doc.m_rows.resize(1);
  view->InitLayout();
  EXPECT_FALSE(KvCmdEnabled(view, KV_CMD_PASTE_COLUMN));
}

TEST_F(CKvFormViewEditTest, BlankRowsGoAtOrAfterTheCurrentRow) {
  const QString third = student(2);
  view->PlaceCaret(2, 3, 0, kText);
  run(KV_CMD_INSERT_ROW);
  EXPECT_TRUE(doc.IsRowBlank(2));
  EXPECT_EQ(student(3), third);
  EXPECT_EQ(view->Model().Current().row, 2);
  run(KV_CMD_APPEND_ROW);
  EXPECT_TRUE(doc.IsRowBlank(3));
  EXPECT_EQ(student(4), third);
  EXPECT_EQ(view->Model().Current().row, 3);
  view->PlaceCaret(7, 0, 0, kText);
  run(KV_CMD_APPEND_ROW);  // after the last row
  EXPECT_EQ(doc.GetRowCount(), 9);
  EXPECT_TRUE(doc.IsRowBlank(8));
  view->mayAddRows = false;
  view->ExecuteCmd(KV_CMD_INSERT_ROW);
  EXPECT_EQ(doc.GetRowCount(), 9);
}

TEST_F(CKvFormViewEditTest, BlockWritesInTheHeadReportTheHeadArea) {
  KvSetClipboardText(QStringLiteral("甲"));
  select(0, 2, 0, 3, kHead);
  run(KV_CMD_PASTE_MANY);
  EXPECT_EQ(doc.m_noteTexts.at(2), QStringLiteral("甲"));
  EXPECT_EQ(doc.m_noteTexts.at(3), QStringLiteral("甲"));
  run(KV_CMD_DELETE);
  EXPECT_TRUE(doc.m_noteTexts.at(3).isEmpty());
  EXPECT_EQ(view->changes, (QStringList{"HEAD 0,2=甲", "HEAD 0,3=甲", "HEAD 0,2=", "HEAD 0,3="}));
  // Head notes are not TEXT cells: the document heard of no edit.
  EXPECT_TRUE(doc.afterEdits.isEmpty());
}

TEST_F(CKvFormViewEditTest, TheCalculatorStartsFromTheSelectionAndSendsBackItsResult) {
  QString start, typed;
  bool offered = false;
  KvScopedDialogExec exec([&](QDialog* dialog) {
    EXPECT_NE(qobject_cast<CKvCalcDlg*>(dialog), nullptr);
    dialog->show();
    start = KvDlgItem<QLineEdit>(dialog, CKvCalcDlg::IDC_EXPRESSION)->text();
    KvDlgItem<QLineEdit>(dialog, CKvCalcDlg::IDC_EXPRESSION)->setText(typed.isEmpty() ? start : typed);
    auto* send = KvDlgItem<QPushButton>(dialog, KV_IDOK);
    offered = send != nullptr;
    if (send)
      send->click();
    dialog->hide();
    return dialog->result();
  });
  doc.m_rows[0][3] = QStringLiteral("1,000");
  doc.m_rows[1][3] = QStringLiteral("2");
  doc.m_rows[1][2] = QString();
  select(0, 2, 1, 3);  // "秋季学期", "1,000", "", "2"
  run(KV_CMD_CALCULATOR);
  EXPECT_EQ(start, QStringLiteral("1000+2"));
  ASSERT_TRUE(offered);
  EXPECT_EQ(cell(1, 3), QStringLiteral("1002"));
  EXPECT_EQ(view->Model().Anchor(), view->Model().Current());
  run(KV_CMD_EDIT_UNDO);
  EXPECT_EQ(cell(1, 3), QStringLiteral("2"));
  // Sent back with the cell's two decimals; too many digits are told.
  KvMessageRecorder recorder;
  for (const char* sent : {"1000/3=333.33", "1/8=0.13", "123456789=0.13=计算结果“123456789”不能放入本栏！"}) {
    const QStringList c = QString::fromUtf8(sent).split(u'=');
    typed = c.at(0);
    run(KV_CMD_CALCULATOR);
    EXPECT_EQ(cell(1, 3), c.at(1));
    EXPECT_EQ(recorder.texts(), c.mid(2));
  }

  // A text cell starts empty and takes no result.
  view->PlaceCaret(0, 2, 0, kText);
  run(KV_CMD_CALCULATOR);
  EXPECT_TRUE(start.isEmpty());
  EXPECT_FALSE(offered);
  // A number cell starts from its text; on a read-only form it takes none.
  doc.readOnly = true;
  doc.UpdateReadOnly();
  view->InitLayout();
  view->PlaceCaret(2, 3, 0, kText);
  run(KV_CMD_CALCULATOR);
  EXPECT_EQ(start, QStringLiteral("1200.00"));
  EXPECT_FALSE(offered);
}

TEST_F(CKvFormViewEditTest, KeysReachTheCommands) {
  ASSERT_TRUE(KvShowActive(view));
  // The shared paste action follows the clipboard.
  QAction* paste = CKvCommandRouter::Instance()->Action(KV_CMD_EDIT_PASTE);
  QGuiApplication::clipboard()->clear();
  EXPECT_FALSE(paste->isEnabled());
  KvSetClipboardText(QStringLiteral("7"));
  EXPECT_TRUE(paste->isEnabled());
  select(0, 4, 1, 5);
  QTest::keyClick(view, Qt::Key_B, Qt::ControlModifier);
  EXPECT_EQ(cell(1, 5), QStringLiteral("7"));
  view->PlaceCaret(2, 2, 0, kText);
  QTest::keyClick(view->Editor(), Qt::Key_Return, Qt::ControlModifier);
  EXPECT_EQ(doc.GetRowCount(), 7);
  // Select all: the current cell top left, the anchor bottom right.
  QTest::keyClick(view->Editor(), Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(view->Model().Anchor(), (KvGridCell{0, 6, 6, KvGridArea::Text}));
  EXPECT_EQ(view->Model().Current(), (KvGridCell{0, 0, 0, KvGridArea::Text}));
  // In an editor being typed into, it selects the editor's text.
  view->PlaceCaret(2, 3, 0, kText);
  QTest::keyClick(view->Editor(), Qt::Key_F2);
  QTest::keyClick(view->Editor(), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(view->Editor(), QStringLiteral("99\t"));
  EXPECT_EQ(cell(2, 3), QStringLiteral("99"));
  // A read-only form turns the writing commands off.
  doc.readOnly = true;
  doc.UpdateReadOnly();
  view->InitLayout();
  EXPECT_FALSE(KvCmdEnabled(view, KV_CMD_EDIT_PASTE));
  EXPECT_FALSE(KvCmdEnabled(view, KV_CMD_DELETE));
  EXPECT_TRUE(KvCmdEnabled(view, KV_CMD_EDIT_SELECT_ALL));
}

TEST_F(CKvFormViewEditTest, NewGoesToTheApplicationUnlessTheFormIsReadOnly) {
  struct NewTarget : KvCommandTarget {
    int runs = 0;
    bool HandlesCmd(int id) const override { return id == KV_CMD_FILE_NEW; }
    void ExecuteCmd(int id) override { runs += id == KV_CMD_FILE_NEW; }
  } application;
  CKvCommandRouter::Instance()->SetApplicationTarget(&application);
  run(KV_CMD_FILE_NEW);
  EXPECT_EQ(application.runs, 1);
  doc.readOnly = true;
  doc.UpdateReadOnly();
  view->InitLayout();
  EXPECT_FALSE(KvCmdEnabled(view, KV_CMD_FILE_NEW));
  CKvCommandRouter::Instance()->SetApplicationTarget(nullptr);
  doc.readOnly = false;
  doc.UpdateReadOnly();
  view->InitLayout();
  EXPECT_FALSE(KvCmdEnabled(view, KV_CMD_FILE_NEW));  // no one makes documents
}
