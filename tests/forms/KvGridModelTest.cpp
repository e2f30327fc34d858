// The grid model without a window: column edges on screen and on paper, the
// bands, hit-testing, selection and movement, command enabling and the undo
// histories.

#include "forms/KvGridModel.h"

#include <gtest/gtest.h>

#include <QHash>

namespace {

KvGridColumn column(int width, bool summed = false) {
  KvGridColumn result;
  result.title = QStringLiteral("栏");
  result.width = width;
  result.valueType = summed ? QStringLiteral("NUMBER") : QStringLiteral("STRING");
  result.total = summed;
  return result;
}

KvHeadNote note(int tail, int row, int position, const QString& name) {
  KvHeadNote result;
  result.bIsTail = tail;
  result.nRow = row;
  result.nColPecent = position;
  result.sNote = name;
  return result;
}

KvGridMetrics metrics() {
  KvGridMetrics m;
  m.unit = 7;
  m.topicHeight = 30;
  m.headHeight = 16;
  m.textHeight = 14;
  m.tailHeight = 12;
  m.spacing = 4;
  m.left = 20;
  m.top = 30;
  m.right = 10;
  m.bottom = 25;
  return m;
}

// Three columns, two head rows of column heads (the last two columns under
// one block), a head row of two notes and a tail row of one, 10 TEXT rows
// and the totals row.
KvGridModel formModel() {
  KvGridModel model;
  model.SetMetrics(metrics());
  model.SetColumns({column(10), column(6), column(8, true)});
  model.SetColumnHead({{1, 1, 1, 2, QStringLiteral("学生")},
                       {2, 1, 3, 1, QStringLiteral("收费")},
                       {2, 2, 2, 2, QStringLiteral("学费")},
                       {3, 2, 3, 2, QStringLiteral("书费")}},
                      2);
  model.SetNotes({note(0, 0, 50, QStringLiteral("右")), note(1, 0, 0, QStringLiteral("尾")),
                  note(0, 0, 0, QStringLiteral("左"))});
  model.SetTextRowCount(10);
  model.SetTotalsRow(true);
  model.LayoutScreenColumns(600, 16);
  return model;
}

// Cells held in a hash, as a view's document would hold them.
class MapCells : public KvGridCellAccess {
 public:
  QHash<QString, QString> texts;
  static QString key(int row, int column, const QString& area) {
    return QStringLiteral("%1/%2/%3").arg(area).arg(row).arg(column);
  }
  QString ReadCell(int row, int column, const QString& area) override {
    return texts.value(key(row, column, area));
  }
  void WriteCell(int row, int column, const QString& area, const QString& text) override {
    texts[key(row, column, area)] = text;
  }
};

}  // namespace

TEST(KvGridModelTest, ScreenColumnsShareTheFreeWidthAndEndAtTheRightMargin) {
  KvGridModel model = formModel();
  const KvGridMetrics m = metrics();
  EXPECT_EQ(model.ColumnLeft(0), m.left + m.unit);
  EXPECT_EQ(model.TableRight(), 600 - 16 - m.right);
  // Equal shares of what is left over: the first two columns differ from
  // their natural widths by the same amount.
  const int share0 = model.ColumnLeft(1) - model.ColumnLeft(0) - 11 * m.unit;
  const int share1 = model.ColumnLeft(2) - model.ColumnLeft(1) - 7 * m.unit;
  EXPECT_EQ(share0, share1);
  EXPECT_GT(share0, 0);

  // Too narrow a window: the columns keep their widths and run past it.
  model.LayoutScreenColumns(100, 16);
  EXPECT_EQ(model.TableRight(), m.left + m.unit + (11 + 7 + 9) * m.unit);
}

TEST(KvGridModelTest, PageColumnsAreWholeCharactersAndEndExactlyAtTheMargin) {
  KvGridModel model = formModel();
  const KvGridMetrics m = metrics();
  const int pageWidth = 1000;
  model.LayoutPageColumns(pageWidth);
  const int available = pageWidth - m.left - m.right;
  EXPECT_EQ(model.ColumnLeft(0), m.left + m.unit);
  EXPECT_EQ(model.TableRight(), m.left + available);
  // Every column but the last is a whole number of characters, within a
  // character of its share of the width (weights 11, 7, 9 of 28); the last
  // one takes what is left.
  const double weights[] = {11, 7};
  for (int c = 0; c < 2; ++c) {
    const int width = model.ColumnLeft(c + 1) - model.ColumnLeft(c);
    EXPECT_EQ(width % m.unit, 0) << c;
    EXPECT_NEAR(width, weights[c] * available / 28.0, m.unit) << c;
  }
  EXPECT_GE(model.TableRight() - model.ColumnLeft(2), 9 * available / 28);
}

TEST(KvGridModelTest, BandsFollowEachOtherAndRowsPerPageFitTheRest) {
  const KvGridModel model = formModel();
  const KvGridMetrics m = metrics();
  const int textPitch = m.textHeight + m.spacing;
  // The first TEXT row: top margin, title with two spacings, the head notes,
  // the column-head rows.
  EXPECT_EQ(model.BandTop(KvGridArea::Text),
            m.top + (m.topicHeight + 2 * m.spacing) + 1 * (m.headHeight + m.spacing) + 2 * textPitch);
  EXPECT_EQ(model.BandTop(KvGridArea::FormFoot), model.BandTop(KvGridArea::Text) + 10 * textPitch);
  EXPECT_EQ(model.BandTop(KvGridArea::Foot), model.BandTop(KvGridArea::FormFoot) + textPitch);
  EXPECT_EQ(model.ContentHeight(), model.BandTop(KvGridArea::Tail) + m.bottom);
  EXPECT_EQ(model.LineHeight(KvGridArea::FormHead), m.textHeight);
  EXPECT_EQ(model.LineHeight(KvGridArea::Foot), m.tailHeight);

  const int fixed = model.ContentHeight(0);
  EXPECT_EQ(model.RowsPerPage(fixed + 20 * textPitch + 3, 0), 20);
  EXPECT_EQ(model.RowsPerPage(fixed + 20 * textPitch, 15), 15);
  // Rows per page that do not fit give way to what fits.
  EXPECT_EQ(model.RowsPerPage(fixed + 20 * textPitch, 25), 20);
  EXPECT_EQ(model.RowsPerPage(fixed, 0), 1);
}

TEST(KvGridModelTest, NotesAreCellsOrderedByPositionThenByTheirPlaceInTheList) {
  KvGridModel model = formModel();
  EXPECT_EQ(model.HeadRowCount(), 1);
  EXPECT_EQ(model.FootRowCount(), 1);
  EXPECT_EQ(model.NoteCellCount(false, 0), 2);
  EXPECT_EQ(model.NoteIndex(false, 0, 0), 2);  // position 0
  EXPECT_EQ(model.NoteIndex(false, 0, 1), 0);  // position 50
  EXPECT_EQ(model.NoteIndex(true, 0, 0), 1);
  EXPECT_EQ(model.NoteIndex(false, 0, 2), -1);
  int row = -1, cell = -1;
  bool tail = true;
  ASSERT_TRUE(model.NoteCell(0, row, cell, tail));
  EXPECT_EQ(row, 0);
  EXPECT_EQ(cell, 1);
  EXPECT_FALSE(tail);
  // A note's part of the row runs from its position to the next note.
  const int width = model.TableRight() - model.TableLeft();
  EXPECT_EQ(model.NoteLeft(false, 0, 1), model.TableLeft() + width / 2);
  EXPECT_EQ(model.NoteRight(false, 0, 0), model.NoteLeft(false, 0, 1));
  EXPECT_EQ(model.NoteRight(false, 0, 1), model.TableRight());
}

TEST(KvGridModelTest, HitTestFindsEveryAreaAndTheMarginsLeftOfTheTable) {
  KvGridModel model = formModel();
  const int x = model.ColumnLeft(1) + 3;
  const int textTop = model.BandTop(KvGridArea::Text);
  const int pitch = model.RowPitch(KvGridArea::Text);

  KvGridHit hit = model.HitTest(QPoint(x, textTop + 3 * pitch + 2));
  EXPECT_EQ(hit.area, KvGridArea::Text);
  EXPECT_EQ(hit.row, 3);
  EXPECT_EQ(hit.column, 1);
  // The exact left edge of a column belongs to it; one unit less to the one before.
  EXPECT_EQ(model.HitTest(QPoint(model.ColumnLeft(2), textTop)).column, 2);
  EXPECT_EQ(model.HitTest(QPoint(model.ColumnLeft(2) - 1, textTop)).column, 1);

  hit = model.HitTest(QPoint(model.TableLeft() - 3, textTop + 9 * pitch));
  EXPECT_EQ(hit.area, KvGridArea::TextL);
  EXPECT_EQ(hit.row, 9);
  hit = model.HitTest(QPoint(2, model.BandTop(KvGridArea::FormHead) + pitch + 1));
  EXPECT_EQ(hit.area, KvGridArea::FormHeadL);
  hit = model.HitTest(QPoint(x, model.BandTop(KvGridArea::FormHead) + pitch + 1));
  EXPECT_EQ(hit.area, KvGridArea::FormHead);
  EXPECT_EQ(hit.row, 1);
  EXPECT_EQ(hit.column, 1);
  EXPECT_EQ(model.BlockAt(0, 2), 1);
  EXPECT_EQ(model.HitTest(QPoint(x, model.BandTop(KvGridArea::FormFoot) + 1)).area, KvGridArea::FormFoot);
  EXPECT_EQ(model.HitTest(QPoint(x, model.BandTop(KvGridArea::Topic) + 1)).area, KvGridArea::Topic);
  EXPECT_EQ(model.HitTest(QPoint(x, model.BandTop(KvGridArea::Tail) + 1)).area, KvGridArea::Tail);
  EXPECT_EQ(model.HitTest(QPoint(x, 0)).area, KvGridArea::None);
  EXPECT_EQ(model.HitTest(QPoint(x, model.ContentHeight() + 5)).area, KvGridArea::None);
  EXPECT_EQ(model.HitTest(QPoint(model.TableRight() + 2, textTop)).area, KvGridArea::None);

  hit = model.HitTest(QPoint(model.NoteLeft(false, 0, 1) + 1, model.BandTop(KvGridArea::Head) + 1));
  EXPECT_EQ(hit.area, KvGridArea::Head);
  EXPECT_EQ(hit.column, 1);
  hit = model.HitTest(QPoint(model.TableLeft() + 1, model.BandTop(KvGridArea::Foot) + 1));
  EXPECT_EQ(hit.area, KvGridArea::Foot);
  EXPECT_EQ(hit.column, 0);
}

TEST(KvGridModelTest, HitTestKeepsFixedColumnsInPlaceAndMergedCellsAsOne) {
  KvGridModel model = formModel();
  model.SetFixedColumns(1);
  const int textTop = model.BandTop(KvGridArea::Text);
  const int scroll = model.ColumnLeft(2) - model.ColumnLeft(1);
  // Scrolled by one column: the fixed column is where it was, the point
  // just right of it lands in the column after the one it showed unscrolled.
  EXPECT_EQ(model.HitTest(QPoint(model.ColumnLeft(0) + 1, textTop), scroll).column, 0);
  EXPECT_EQ(model.HitTest(QPoint(model.ColumnLeft(1) + 1, textTop), scroll).column, 2);
  // Notes scroll with the page.
  EXPECT_EQ(model.HitTest(QPoint(model.NoteLeft(false, 0, 1) - scroll + 1, model.BandTop(KvGridArea::Head)),
                          scroll)
                .column,
            1);

  model.AddMark(KvGridMark{0, 2, 0, 4});
  const KvGridHit hit = model.HitTest(QPoint(model.ColumnLeft(0) + 1, textTop + 4 * model.RowPitch(KvGridArea::Text)));
  EXPECT_EQ(hit.row, 2);
  EXPECT_EQ(model.CellRect(KvGridArea::Text, 3, 0).height(), 3 * model.RowPitch(KvGridArea::Text));
}

TEST(KvGridModelTest, VisibleColumnsAreThoseWithAPartInTheRange) {
  const KvGridModel model = formModel();
  int first = -1, last = -1;
  model.VisibleColumns(model.ColumnLeft(1) + 1, model.ColumnLeft(2) + 1, first, last);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(last, 2);
  model.VisibleColumns(model.ColumnLeft(1), model.ColumnLeft(2), first, last);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(last, 1);
}

TEST(KvGridModelTest, TabAndArrowsWalkHeadTextAndFootRowsInOrder) {
  const KvGridModel model = formModel();
  KvGridCell cell = model.FirstCell();
  EXPECT_EQ(cell.area, KvGridArea::Head);
  cell = model.NextCell(cell);
  EXPECT_EQ(cell.column, 1);
  cell = model.NextCell(cell);
  EXPECT_EQ(cell, (KvGridCell{0, 0, 0, KvGridArea::Text}));
  EXPECT_EQ(model.PreviousCell(cell), (KvGridCell{0, 0, 1, KvGridArea::Head}));
  const KvGridCell last{0, 9, 2, KvGridArea::Text};
  EXPECT_EQ(model.NextCell(last), (KvGridCell{0, 0, 0, KvGridArea::Foot}));
  EXPECT_EQ(model.CellBelow(last), (KvGridCell{0, 0, 0, KvGridArea::Foot}));
  EXPECT_EQ(model.CellAbove(KvGridCell{0, 0, 2, KvGridArea::Text}), (KvGridCell{0, 0, 1, KvGridArea::Head}));
  // The last cell of the form stays where it is.
  const KvGridCell end{0, 0, 0, KvGridArea::Foot};
  EXPECT_EQ(model.NextCell(end), end);
}

TEST(KvGridModelTest, ClipboardAndUndoCommandsFollowTheSelection) {
  KvGridModel model = formModel();
  model.PlaceCaret(KvGridCell{0, 1, 1, KvGridArea::Text}, false);
  EXPECT_FALSE(model.CanCopy());       // one cell, nothing selected in it
  EXPECT_TRUE(model.CanDelete(true));  // the Delete key works on the caret
  EXPECT_FALSE(model.CanDelete(false));
  model.PlaceCaret(KvGridCell{2, 1, 1, KvGridArea::Text}, true);
  EXPECT_TRUE(model.CanCopy());  // characters selected in the cell
  EXPECT_TRUE(model.CanCut(true));
  EXPECT_FALSE(model.CanCut(false));
  model.PlaceCaret(KvGridCell{0, 3, 2, KvGridArea::Text}, true);
  EXPECT_TRUE(model.CanCopy());
  EXPECT_TRUE(model.IsSelected(KvGridArea::Text, 2, 2));
  EXPECT_FALSE(model.IsSelected(KvGridArea::Text, 2, 0));
  // Corners in different areas: nothing can be copied or deleted.
  model.PlaceCaret(KvGridCell{0, 0, 0, KvGridArea::Foot}, true);
  EXPECT_FALSE(model.CanCopy());
  EXPECT_FALSE(model.CanDelete(true));
  EXPECT_FALSE(model.IsSelected(KvGridArea::Text, 2, 1));
  EXPECT_TRUE(model.CanPaste(true, true));
  EXPECT_FALSE(model.CanPaste(true, false));
  EXPECT_FALSE(model.CanUndo(true));
  EXPECT_FALSE(model.CanRedo(true));
}

TEST(KvGridModelTest, UndoRestoresTextAndCaretAndRedoPutsTheEditBack) {
  KvGridModel model = formModel();
  MapCells cells;
  const QString text = QStringLiteral("TEXT");
  cells.WriteCell(1, 1, text, QStringLiteral("abc"));
  model.PlaceCaret(KvGridCell{2, 1, 1, KvGridArea::Text}, false);
  // Typing "x" at caret 2: the new text is stored first, then the old one recorded.
  cells.WriteCell(1, 1, text, QStringLiteral("abxc"));
  model.PlaceCaret(KvGridCell{3, 1, 1, KvGridArea::Text}, false);
  EXPECT_TRUE(model.PushUndo(KvCellEdit(2, 1, 1, text, QStringLiteral("abc")), cells));
  EXPECT_TRUE(model.CanUndo(true));
  EXPECT_FALSE(model.CanUndo(false));

  KvCellEdit applied;
  ASSERT_TRUE(model.UndoRedo(true, cells, &applied));
  EXPECT_EQ(cells.ReadCell(1, 1, text), QStringLiteral("abc"));
  EXPECT_EQ(model.Current(), (KvGridCell{2, 1, 1, KvGridArea::Text}));
  EXPECT_TRUE(model.CanRedo(true));
  ASSERT_TRUE(model.UndoRedo(false, cells, &applied));
  EXPECT_EQ(cells.ReadCell(1, 1, text), QStringLiteral("abxc"));
  EXPECT_EQ(model.Current().caret, 3);
  EXPECT_EQ(model.UndoHistory().size(), 1);
  EXPECT_TRUE(model.RedoHistory().isEmpty());
}

TEST(KvGridModelTest, EditsThatChangeNothingOrRepeatTheLastStepAreNotRecorded) {
  KvGridModel model = formModel();
  MapCells cells;
  const QString text = QStringLiteral("TEXT");
  cells.WriteCell(0, 0, text, QStringLiteral("a"));
  model.PlaceCaret(KvGridCell{1, 0, 0, KvGridArea::Text}, false);
  EXPECT_FALSE(model.PushUndo(KvCellEdit(1, 0, 0, text, QStringLiteral("a")), cells));
  EXPECT_TRUE(model.PushUndo(KvCellEdit(0, 0, 0, text, QStringLiteral("")), cells));
  EXPECT_FALSE(model.PushUndo(KvCellEdit(0, 0, 0, text, QStringLiteral("")), cells));
  EXPECT_EQ(model.UndoHistory().size(), 1);
}

TEST(KvGridModelTest, AStepWhoseCellIsGoneIsDroppedAndTheOneBeforeIsNext) {
  KvGridModel model = formModel();
  MapCells cells;
  const QString text = QStringLiteral("TEXT");
  cells.WriteCell(1, 0, text, QStringLiteral("new1"));
  model.PlaceCaret(KvGridCell{0, 1, 0, KvGridArea::Text}, false);
  model.PushUndo(KvCellEdit(0, 1, 0, text, QStringLiteral("old1")), cells);
  cells.WriteCell(8, 0, text, QStringLiteral("new8"));
  model.PlaceCaret(KvGridCell{0, 8, 0, KvGridArea::Text}, false);
  model.PushUndo(KvCellEdit(0, 8, 0, text, QStringLiteral("old8")), cells);
  // Rows were deleted: row 8 no longer exists.
  model.SetTextRowCount(5);
  EXPECT_FALSE(model.UndoRedo(true, cells, nullptr));
  EXPECT_EQ(cells.ReadCell(8, 0, text), QStringLiteral("new8"));
  EXPECT_TRUE(model.UndoRedo(true, cells, nullptr));
  EXPECT_EQ(cells.ReadCell(1, 0, text), QStringLiteral("old1"));
  // Steps of an unknown area are dropped too.
  model.PlaceCaret(KvGridCell{0, 0, 0, KvGridArea::Head}, false);
  cells.WriteCell(0, 0, QStringLiteral("HEAD"), QStringLiteral("甲"));
  model.PushUndo(KvCellEdit(0, 0, 0, QStringLiteral("TOPIC"), QStringLiteral("乙")), cells);
  EXPECT_FALSE(model.UndoRedo(true, cells, nullptr));
}

TEST(KvGridModelTest, ANewEditAfterAnUndoEmptiesTheRedoHistory) {
  KvGridModel model = formModel();
  MapCells cells;
  const QString text = QStringLiteral("TEXT");
  cells.WriteCell(0, 0, text, QStringLiteral("1"));
  model.PlaceCaret(KvGridCell{1, 0, 0, KvGridArea::Text}, false);
  model.PushUndo(KvCellEdit(0, 0, 0, text, QString()), cells);
  ASSERT_TRUE(model.UndoRedo(true, cells, nullptr));
  EXPECT_TRUE(model.CanRedo(true));
  cells.WriteCell(0, 0, text, QStringLiteral("2"));
  model.PlaceCaret(KvGridCell{1, 0, 0, KvGridArea::Text}, false);
  EXPECT_TRUE(model.PushUndo(KvCellEdit(0, 0, 0, text, QString()), cells));
  EXPECT_FALSE(model.CanRedo(true));
}
