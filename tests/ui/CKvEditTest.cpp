// The typed edit field: what the operator may type, paste and commit, what
// the program may set, and the calculator.

#include "KvUiTestSupport.h"
#include "core/KvMessage.h"
#include "ui/CKvEdit.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QVBoxLayout>

namespace {
class EditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    edit = new CKvEdit(&window);
    other = new CKvEdit(&window);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(edit);
    layout->addWidget(other);
    ASSERT_TRUE(KvShowActive(&window));
    edit->setFocus();
  }

  void commit(const QString& text) {
    QInputMethodEvent event(QString(), {});
    event.setCommitString(text);
    QApplication::sendEvent(edit, &event);
  }

  void paste(const QString& text) {
    QApplication::clipboard()->setText(text);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
  }

  QWidget window;
  CKvEdit* edit = nullptr;
  CKvEdit* other = nullptr;
};
}  // namespace

TEST_F(EditTest, DigitsOnlyRefusesLettersFromKeysInputMethodAndPaste) {
  edit->SetInputType(QStringLiteral("STRING DIGIT"), 4);
  QTest::keyClicks(edit, QStringLiteral("1a2b"));
  EXPECT_EQ(edit->text(), QStringLiteral("12"));
  commit(QStringLiteral("五"));
  EXPECT_EQ(edit->text(), QStringLiteral("12"));
  commit(QStringLiteral("3"));
  EXPECT_EQ(edit->text(), QStringLiteral("123"));

  // Pasting letters leaves the last good text; pasting digits is taken.
  paste(QStringLiteral("x9"));
  EXPECT_EQ(edit->text(), QStringLiteral("123"));
  paste(QStringLiteral("4"));
  EXPECT_EQ(edit->text(), QStringLiteral("1234"));

  // A refused paste says why, from the keys and from the field's menu (which
  // leaves the last tip up: each menu row follows no tip or another one).
  KvScopedPopupMenuExec menus([](QMenu* menu, const QPoint&) {
    return *std::find_if(menu->actions().cbegin(), menu->actions().cend(),
                         [](QAction* action) { return action->text().contains(u"Ctrl+V"); });
  });
  const struct { const char *type; int limit; const char* pasted; bool menu; const char *text, *tip; } pastes[] = {
      {"MDBSTRING", 10, "王小明", true, "王小明", ""},
      {"MDBSTRING", 10, "O'Neil[1]", false, "", "粘贴的内容含有不允许的字符（'[]），未被接受！"},
      {"MDBSTRING", 10, "王小明'", true, "", "粘贴的内容含有不允许的字符（'），未被接受！"},
      {"MDBSTRING", 10, "王小明同学们", false, "", "粘贴的内容超出允许的长度，未被接受！"},
      {"NUMBER 100 900", -1, "1-2", false, "", "粘贴的内容含有不允许的字符（-），未被接受！"},
      // A text that looks like markup is named as it is, never read as markup.
      {"NUMBER 100 900", -1, "<b>350</b>", false, "", "粘贴的内容含有不允许的字符（<b>/），未被接受！"}};
  for (const auto& c : pastes) {
    SCOPED_TRACE(c.pasted);
    other->clear();
    other->SetInputType(QString::fromUtf8(c.type), c.limit);
    other->setFocus();
    QApplication::clipboard()->setText(QString::fromUtf8(c.pasted));
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(1, 1), other->mapToGlobal(QPoint(1, 1)));
    c.menu ? void(QApplication::sendEvent(other, &menuKey)) : QTest::keyClick(other, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(other->text(), QString::fromUtf8(c.text));
    EXPECT_EQ(KvShownTip(), QString::fromUtf8(c.tip));
  }
  edit->setFocus();

  // The limit of 4 stops a fifth digit; Backspace is always let through.
  QTest::keyClick(edit, Qt::Key_5);
  EXPECT_EQ(edit->text(), QStringLiteral("1234"));
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_EQ(edit->text(), QStringLiteral("123"));
}

TEST_F(EditTest, TypedCharacterReplacesTheSelection) {
  edit->SetInputType(QStringLiteral("NUMBER 0 2000"), 10, 2);
  edit->setText(QStringLiteral("12345"));
  edit->setSelection(1, 2);  // "23"
  QTest::keyClick(edit, Qt::Key_9);
  EXPECT_EQ(edit->text(), QStringLiteral("1945"));
  edit->setSelection(0, 1);
  QTest::keyClick(edit, Qt::Key_3);  // 3945 would pass the upper bound
  EXPECT_EQ(edit->text(), QStringLiteral("1945"));
}

TEST_F(EditTest, NumberBoundsAllowTheWayToAValueButNotBeyond) {
  edit->SetInputType(QStringLiteral("NUMBER 100 900"));
  QTest::keyClicks(edit, QStringLiteral("5"));
  EXPECT_EQ(edit->text(), QStringLiteral("5"));
  QTest::keyClicks(edit, QStringLiteral("00"));
  EXPECT_EQ(edit->text(), QStringLiteral("500"));
  edit->clear();
  QTest::keyClicks(edit, QStringLiteral("901"));
  EXPECT_EQ(edit->text(), QStringLiteral("90"));
  edit->clear();
  QTest::keyClicks(edit, QStringLiteral("-1"));
  EXPECT_EQ(edit->text(), QStringLiteral("1"));

  other->SetInputType(QStringLiteral("DOUBLE"), 10, 2);
  other->setFocus();
  QTest::keyClicks(other, QStringLiteral("12.345"));
  EXPECT_EQ(other->text(), QStringLiteral("12.34"));
}

TEST_F(EditTest, TextSetByTheProgramIsKeptAndEditedFrom) {
  edit->SetInputType(QStringLiteral("STRING DIGIT"));
  // A stored value that does not fit the field stays as the program set it.
  edit->setText(QStringLiteral("A12"));
  EXPECT_EQ(edit->text(), QStringLiteral("A12"));
  EXPECT_TRUE(edit->hasAcceptableInput());

  // The operator's bad changes go back to it, not to an empty field.
  edit->end(false);
  QTest::keyClick(edit, Qt::Key_X);
  EXPECT_EQ(edit->text(), QStringLiteral("A12"));
  paste(QStringLiteral("y"));
  EXPECT_EQ(edit->text(), QStringLiteral("A12"));

  // Once the operator leaves it for a good text, it does not come back by paste.
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_7);
  EXPECT_EQ(edit->text(), QStringLiteral("7"));
  edit->selectAll();
  paste(QStringLiteral("A12"));
  EXPECT_EQ(edit->text(), QStringLiteral("7"));

  // MDBSTRING refuses the characters that break SQL literals.
  other->SetInputType(QStringLiteral("MDBSTRING"), 10);
  EXPECT_EQ(other->InputType(), QStringLiteral("STRING NOT |[]'"));
  other->setFocus();
  QTest::keyClicks(other, QStringLiteral("O'Neil[1]"));
  EXPECT_EQ(other->text(), QStringLiteral("ONeil1"));
}

TEST_F(EditTest, F12SendsTheResultBackOnlyIntoAnEditableVisibleField) {
  QStringList expressions;
  QList<bool> sendBacks;
  QString answer = QStringLiteral("250");
  KvScopedCalculator calculator([&](bool back, const QString& text, QWidget*, QString* result) {
    expressions.append(text);
    sendBacks.append(back);
    *result = answer;
    return back;
  });
  edit->SetInputType(QStringLiteral("NUMBER 100 900"));
  edit->setText(QStringLiteral("1,234.5"));
  QTest::keyClick(edit, Qt::Key_F12);
  EXPECT_EQ(expressions.last(), QStringLiteral("1234.5"));
  EXPECT_EQ(edit->text(), QStringLiteral("250"));

  // A result the field refuses is told and not written.
  KvMessageRecorder recorder;
  answer = QStringLiteral("abc");
  QTest::keyClick(edit, Qt::Key_F12);
  EXPECT_EQ(edit->text(), QStringLiteral("250"));
  EXPECT_EQ(recorder.texts(), QStringList{"计算结果“abc”不能放入本栏！"});
  // A result with more decimals than the field keeps is rounded to them.
  edit->SetInputType(QStringLiteral("NUMBER"), 10, 2);
  answer = QStringLiteral("333.3333333333");
  QTest::keyClick(edit, Qt::Key_F12);
  EXPECT_EQ(edit->text(), QStringLiteral("333.33"));
  edit->SetInputType(QStringLiteral("NUMBER 100 900"));
  edit->setText(QStringLiteral("250"));
  answer = QStringLiteral("300");

  edit->setReadOnly(true);
  QTest::keyClick(edit, Qt::Key_F12);
  EXPECT_FALSE(sendBacks.last());
  EXPECT_EQ(edit->text(), QStringLiteral("250"));
  edit->setReadOnly(false);

  edit->setEnabled(false);
  edit->OnCalculator();
  EXPECT_FALSE(sendBacks.last());
  edit->setEnabled(true);
  edit->hide();
  edit->OnCalculator();
  EXPECT_FALSE(sendBacks.last());
  EXPECT_EQ(edit->text(), QStringLiteral("250"));

  edit->setText(QStringLiteral("0"));
  edit->show();
  edit->OnCalculator();
  EXPECT_TRUE(expressions.last().isEmpty());
  EXPECT_EQ(CKvEdit::CalculatorExpression(QString()), QString());
  EXPECT_EQ(CKvEdit::CalculatorExpression(QStringLiteral("12.5000")), QStringLiteral("12.5"));
}
