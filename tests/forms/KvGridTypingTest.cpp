// Typing into the grid as an office worker does: the first row of an empty
// grid, typing over a filled cell entered with a key or a click, into its
// text after a double-click or F2, Escape, text wider than its cell refused
// where it is typed, a refused paste, and the keys of a cell's drop-down list.

#include "KvGridTestDoc.h"

#include "core/KvMessage.h"
#include "ui/CKvEdit.h"
#include "ui/KvCommands.h"
#include "ui/KvUiTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>
#include <functional>

namespace {

const QString kText = QStringLiteral("TEXT");

// The student column is read-only; the memo column offers two terms.
class TypingView : public CForthView {
 public:
  using CForthView::CForthView;
  bool mayAddRows = true;

  bool IsCellEditable(const QString& area, int nRow, int nCol) override {
    (void)nRow;
    return !(area == kText && nCol == 0);
  }
  bool MayAddRows() override { return mayAddRows; }
  bool GetCellChoices(int nMode, QList<int>& widths, QStringList& list, const QString& area, int nRow,
                      int nCol) override {
    (void)nMode, (void)nRow;
    if (area != kText || nCol != 2)
      return false;
    widths = {100, 200};
    list = {QStringLiteral("春季学期 第二学期"), QStringLiteral("秋季学期 第一学期")};
    return true;
  }
};

// Types the text key by key; characters without a key of their own come
// as the keyboard's input method sends them, a key event with the text.
void typeIn(QWidget* widget, const QString& text) {
  for (QChar ch : text) {
    if (ch.unicode() < 0x80) {
      QTest::keyClick(widget, ch.toLatin1());
      continue;
    }
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(widget, &press);
  }
}

void grab(QWidget* window, const QString& name) {
  const QByteArray folder = qgetenv("KV_TEST_GRAB");
  if (!folder.isEmpty())
    window->grab().save(QString::fromLocal8Bit(folder) + u'/' + name + QStringLiteral(".png"));
}

// Public, so that the cases' lambdas can drive the window.
class KvGridTypingTest : public ::testing::Test {
 public:
  void open(int rows, bool readOnly = false) {
    m_view.reset();
    m_doc = std::make_unique<KvGridTestDoc>();
    m_doc->rowsToFill = rows;
    m_doc->readOnly = readOnly;
    m_doc->Open();
    m_view = std::make_unique<TypingView>(m_doc.get());
    m_view->resize(900, 420);
    m_view->InitLayout();
    ASSERT_TRUE(KvShowActive(m_view.get()));
  }
  QString cell(int row, int column) const { return m_doc->m_rows.at(row).at(column); }
  CKvEdit* editor() const { return m_view->Editor(); }
  KvGridCell current() const { return m_view->Model().Current(); }
  void place(int row, int column, int caret = 0) {
    m_view->SetExtend(false);
    m_view->PlaceCaret(row, column, caret, kText);
  }
  QPoint cellPoint(int row, int column, bool right) const {
    const QRect rect = m_view->Model()
                           .CellRect(KvGridArea::Text, row, column)
                           .translated(-m_view->horizontalScrollBar()->value(),
                                       -m_view->verticalScrollBar()->value());
    return QPoint(right ? rect.right() - 3 : rect.left() + 4, rect.center().y());
  }
  bool tipShown() const { return QToolTip::isVisible() && QToolTip::text() == QStringLiteral("超出栏宽"); }

  std::unique_ptr<KvGridTestDoc> m_doc;
  std::unique_ptr<TypingView> m_view;
  KvMessageRecorder m_messages;
  KvScopedPopupMenuExec m_noChoice{[](QMenu*, const QPoint&) -> QAction* { return nullptr; }};
};

}  // namespace

TEST_F(KvGridTypingTest, AnEmptyGridTakesItsFirstRowFromTheBlankRowCommands) {
  struct Case {
    const char* how;
    std::function<void(TypingView*)> run;
    bool mayAddRows;
    bool readOnly;
    bool added;
  };
  const auto key = [](Qt::Key k, Qt::KeyboardModifiers m) {
    return [k, m](TypingView* view) {
      QWidget* focus = QApplication::focusWidget();
      QTest::keyClick(focus ? focus : view, k, m);
    };
  };
  const auto command = [](int id) {
    return [id](TypingView* view) {
      if (KvCmdEnabled(view, id))
        view->ExecuteCmd(id);
    };
  };
  const auto contextMenu = [](int id) {
    return [id](TypingView* view) {
      KvScopedPopupMenuExec popup([id](QMenu* menu, const QPoint&) { return KvMenuAction(menu, id); });
      view->ShowContextMenu(view->mapToGlobal(QPoint(20, 20)));
    };
  };
  const QList<Case> cases = {
      {"43403", command(KV_CMD_INSERT_ROW), true, false, true},
      {"43404", command(KV_CMD_APPEND_ROW), true, false, true},
      {"Shift+Enter", key(Qt::Key_Return, Qt::ShiftModifier), true, false, true},
      {"Ctrl+Enter", key(Qt::Key_Return, Qt::ControlModifier), true, false, true},
      {"context menu", contextMenu(KV_CMD_APPEND_ROW), true, false, true},
      {"rows are the module's", command(KV_CMD_INSERT_ROW), false, false, false},
      {"read-only", key(Qt::Key_Return, Qt::ShiftModifier), true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    open(0, c.readOnly);
    m_view->mayAddRows = c.mayAddRows;
    EXPECT_EQ(KvCmdEnabled(m_view.get(), KV_CMD_INSERT_ROW), c.added);
    EXPECT_EQ(KvCmdEnabled(m_view.get(), KV_CMD_APPEND_ROW), c.added);
    c.run(m_view.get());
    ASSERT_EQ(m_doc->GetRowCount(), c.added ? 1 : 0);
    if (!c.added)
      continue;
    // The document's new row, the caret in its first editable cell, ready
    // for typing.
    EXPECT_EQ(m_doc->m_rows.at(0), m_doc->NewRow());
    EXPECT_EQ(m_view->Model().TextRowCount(), 1);
    EXPECT_EQ(current(), (KvGridCell{0, 0, 1, KvGridArea::Text}));
    ASSERT_TRUE(editor()->isVisible());
    typeIn(editor(), QStringLiteral("张三"));
    QTest::keyClick(editor(), Qt::Key_Tab);
    EXPECT_EQ(cell(0, 1), QStringLiteral("张三"));
  }
}

TEST_F(KvGridTypingTest, TypingReplacesAFilledCellUntilTheCaretIsPutIntoItsText) {
  struct Case {
    const char* how;
    int row, column, caret;  // where the caret stands first
    QList<std::function<void(KvGridTypingTest*)>> enter;  // steps
    int targetRow, targetColumn;
    const char* typed;
    const char* result;
  };
  const auto key = [](Qt::Key k) { return [k](KvGridTypingTest* t) { QTest::keyClick(t->editor(), k); }; };
  const auto click = [](int row, int column, bool right) {
    return [=](KvGridTypingTest* t) {
      QTest::mouseClick(t->m_view->viewport(), Qt::LeftButton, Qt::NoModifier, t->cellPoint(row, column, right));
    };
  };
  // A click or a double-click near the left end of the open editor.
  const auto onEditor = [](bool twice) {
    return [twice](KvGridTypingTest* t) {
      QTest::mouseEvent(twice ? QTest::MouseDClick : QTest::MouseClick, t->editor(), Qt::LeftButton, {}, {2, 8});
    };
  };
  const auto type = [](const char* text) { return [text](KvGridTypingTest* t) { typeIn(t->editor(), text); }; };
  const QList<Case> cases = {
      {"Tab", 1, 2, 0, {key(Qt::Key_Tab)}, 1, 3, "1300", "1300"},
      {"Enter", 1, 2, 0, {key(Qt::Key_Return)}, 1, 3, "1300", "1300"},
      {"Right at the end", 1, 2, 0, {key(Qt::Key_Right)}, 1, 3, "1300", "1300"},
      {"Left at the start", 1, 4, 0, {key(Qt::Key_Left)}, 1, 3, "1300", "1300"},
      {"Down", 0, 3, 0, {key(Qt::Key_Down)}, 1, 3, "1300", "1300"},
      {"Up", 2, 3, 0, {key(Qt::Key_Up)}, 1, 3, "1300", "1300"},
      {"Shift+Tab", 1, 4, 0, {key(Qt::Key_Backtab)}, 1, 3, "1300", "1300"},
      // A click makes a cell current as the keys do, wherever it falls.
      {"click at the end", 0, 1, 0, {click(3, 2, true)}, 3, 2, "上", "上"},
      {"click on an amount", 0, 1, 0, {click(1, 3, false)}, 1, 3, "350", "350"},
      {"second click on its editor", 0, 1, 0, {click(1, 3, false), onEditor(false)}, 1, 3, "350", "350"},
      // A double-click or F2 puts the caret into the old text; once typed
      // into, a click in the editor places the caret.
      {"double-click", 0, 1, 0, {click(3, 2, false), onEditor(true)}, 3, 2, "上", "上秋季学期"},
      {"F2", 0, 1, 0, {click(3, 2, false), key(Qt::Key_F2)}, 3, 2, "上", "秋季学期上"},
      {"click after typing", 0, 1, 0, {click(3, 2, false), type("上"), onEditor(false)}, 3, 2, "下", "下上"},
      // Escape takes the typing back: nothing of it is stored.
      {"Escape", 0, 1, 0, {click(1, 3, false), type("77"), key(Qt::Key_Escape), key(Qt::Key_Escape)}, 1, 3, "", "1200.00"},
      {"typing after Escape", 0, 1, 0, {key(Qt::Key_Tab), key(Qt::Key_F2), type("5"), key(Qt::Key_Escape)}, 0, 2, "上", "上"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    open(6);
    place(c.row, c.column, c.caret);
    for (const auto& step : c.enter)
      step(this);
    ASSERT_EQ(current().row, c.targetRow);
    ASSERT_EQ(current().column, c.targetColumn);
    ASSERT_TRUE(editor()->hasFocus());
    typeIn(editor(), QString::fromUtf8(c.typed));
    if (QByteArray(c.how) == "click on an amount")
      grab(m_view.get(), QStringLiteral("grid_typing_over_amount"));
    QTest::keyClick(editor(), Qt::Key_Tab);
    EXPECT_EQ(cell(c.targetRow, c.targetColumn), QString::fromUtf8(c.result));
  }

  // A key that reaches the grid rather than its editor is typed all the same.
  open(6);
  place(2, 2);
  QTest::keyClick(m_view.get(), Qt::Key_Q);
  EXPECT_EQ(editor()->text(), QStringLiteral("q"));
  EXPECT_TRUE(editor()->hasFocus());
}

TEST_F(KvGridTypingTest, TypedOrPastedTextACellRefusesIsRefusedVisiblyAndNeverCut) {
  struct Case {
    const char* what;
    int column;  // entered with Tab from the column before
    const char* typed;
    const char* kept;
    bool told;
    char paste = 0;  // with Ctrl: 'V' pastes the text, 'B' pastes it into the selected cells
    const char* tip = "超出栏宽";
  };
  const QList<Case> cases = {
      // 7 integer digits with 2 decimals in an edit width of 10.
      {"amount", 3, "12345678", "1234567", true},
      {"amount's decimals fit", 3, "1234567.25", "1234567.25", false},
      {"letter in an amount", 3, "12a", "12", false},
      // The name takes a width of 10: five Chinese characters or ten letters.
      {"name in letters", 1, "abcdefghijk", "abcdefghij", true},
      {"name in characters", 1, "一二三四五六", "一二三四五", true},
      {"half a character's room", 1, "abcdefghi张", "abcdefghi", true},
      {"name that fits", 1, "王小明", "王小明", false},
      // A refused paste leaves the cell's text and names what it refused,
      // as plain text; a number refused for its decimals only beeps.
      {"pasted amount", 3, "350", "350", false, 'V'},
      {"pasted markup", 3, "<b>350</b>", "1200.00", true, 'V', "粘贴的内容含有不允许的字符（<b>/），未被接受！"},
      {"pasted decimals", 3, "1.234", "1200.00", false, 'V'},
      {"pasted name too long", 1, "abcdefghijk", "张三", true, 'V', "粘贴的内容超出允许的长度，未被接受！"},
      // A block writes the cells that take their text.
      {"pasted table", 3, "100\tabc", "100", true, 'V', "粘贴的内容含有不允许的字符（abc），未被接受！"},
      {"pasted into the selected cells", 3, "abc", "1200.00", true, 'B', "粘贴的内容含有不允许的字符（abc），未被接受！"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    open(3);
    QToolTip::hideText();
    place(0, c.column - 1);
    QTest::keyClick(editor(), Qt::Key_Tab);
    ASSERT_EQ(current().column, c.column);
    QApplication::clipboard()->setText(QString::fromUtf8(c.typed));
    c.paste ? QTest::keyClick(editor(), c.paste, Qt::ControlModifier) : typeIn(editor(), QString::fromUtf8(c.typed));
    EXPECT_EQ(editor()->text(), QString::fromUtf8(c.kept));
    EXPECT_EQ(KvShownTip(), c.told ? QString::fromUtf8(c.tip) : QString());
    if (c.told && !c.paste && c.column == 3) {
      grab(m_view.get(), QStringLiteral("grid_too_wide"));
      for (QWidget* window : QApplication::topLevelWidgets())
        if (window->inherits("QTipLabel") && window->isVisible())
          grab(window, QStringLiteral("grid_too_wide_tip"));
    }
    // What the cell shows is what is stored: nothing is cut on the way.
    QTest::keyClick(editor(), Qt::Key_Tab);
    EXPECT_EQ(cell(0, c.column), QString::fromUtf8(c.kept));
  }
  // A full cell keeps its text when one more character is typed.
  place(1, 1, 0);
  editor()->setText(QStringLiteral("abcdefghij"));
  editor()->end(false);
  QToolTip::hideText();
  QTest::keyClick(editor(), Qt::Key_K);
  EXPECT_EQ(editor()->text(), QStringLiteral("abcdefghij"));
  EXPECT_TRUE(tipShown());
  // Escape closes the tip (it fades) with the editor; the cell keeps its
  // text.
  QTest::keyClick(editor(), Qt::Key_Escape);
  EXPECT_TRUE(QTest::qWaitFor([this] { return !tipShown(); }, 2000));
  EXPECT_EQ(editor()->text(), cell(1, 1));
}

TEST_F(KvGridTypingTest, KeysOnAnOpenDropDownListStayInItsCell) {
  struct Case {
    const char* what;
    std::function<void(KvGridTypingTest*)> open;
    std::function<QAction*(QMenu*)> onList;
    const char* result;
  };
  const auto typeOnList = [](Qt::Key k) {
    return [k](QMenu* menu) -> QAction* {
      QTest::keyClick(menu, k);
      // The list closed itself; a second key would go to the cell.
      EXPECT_FALSE(menu->isVisible());
      return nullptr;
    };
  };
  const auto f4At = [](int caret) {
    return [caret](KvGridTypingTest* t) {
      t->place(3, 2, caret);
      QTest::keyClick(t->editor(), Qt::Key_F4);
    };
  };
  const auto tabIn = [](KvGridTypingTest* t) {
    t->place(3, 1);
    QTest::keyClick(t->editor(), Qt::Key_Tab);
  };
  const auto clickIn = [](KvGridTypingTest* t) {
    QTest::mouseClick(t->m_view->viewport(), Qt::LeftButton, Qt::NoModifier, t->cellPoint(3, 2, true));
  };
  const QList<Case> cases = {
      {"digit at the caret", f4At(2), typeOnList(Qt::Key_5), "秋季5学期"},
      {"letter over the text entered by Tab", tabIn, typeOnList(Qt::Key_X), "x"},
      {"letter over the text entered by a click", clickIn, typeOnList(Qt::Key_Y), "y"},
      {"Enter on a line", f4At(0), [](QMenu* menu) { return menu->actions().value(0); }, "春季学期"},
      {"Escape", tabIn, typeOnList(Qt::Key_Escape), "秋季学期"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    open(6);
    const QList<QStringList> before = m_doc->m_rows;
    int lists = 0;
    KvScopedPopupMenuExec popup([&](QMenu* menu, const QPoint&) {
      ++lists;
      return c.onList(menu);
    });
    c.open(this);
    ASSERT_EQ(lists, 1);
    QTest::keyClick(editor(), Qt::Key_Return);
    EXPECT_EQ(cell(3, 2), QString::fromUtf8(c.result));
    // Every other cell is as it was.
    QList<QStringList> after = m_doc->m_rows;
    after[3][2] = before.at(3).at(2);
    EXPECT_EQ(after, before);
  }
}
