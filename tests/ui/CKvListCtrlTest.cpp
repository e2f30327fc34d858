// The list control: its right-click menu and keys run only the commands
// that are enabled, find and type-ahead walk the rows around, the find
// history is kept per window, the view styles share one selection, and
// print, printer setup and save as reach the printing, the frame and the
// export.

#include "ui/CKvListCtrl.h"

#include "core/KvClipboard.h"
#include "core/KvMessage.h"
#include "core/KvRegistry.h"
#include "support/KvTestDb.h"
#include "support/KvTestEnv.h"
#include "ui/CKvCommandRouter.h"
#include "ui/CKvDlg.h"
#include "ui/CKvListFindDlg.h"
#include "ui/CKvSaveAsDlg.h"
#include "ui/KvCommands.h"
#include "ui/KvListPrint.h"
#include "ui/KvObjectNames.h"
#include "ui/KvRowClipboard.h"
#include "KvListTestSupport.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {
void press(CKvListCtrl& list, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QTest::keyClick(list.View(), Qt::Key(key), modifiers);
}

void type(CKvListCtrl& list, const QString& text) {
  for (const QChar ch : text)
    QTest::keyClick(list.View(), ch.toLatin1());
}

// A point below the rows, where a right click selects nothing.
QPoint emptyArea(CKvListCtrl& list) { return QPoint(5, list.View()->viewport()->height() - 5); }

// Answers the find dialog with `text` (empty: cancels it); keeps the notes
// and drop-down lists the dialogs showed.
class ScopedFindAnswer {
 public:
  explicit ScopedFindAnswer(QStringList texts)
      : m_exec([this, texts](QDialog* dialog) {
          dialog->show();
          EXPECT_EQ(dialog->windowTitle(), QStringLiteral("在列表框中查找"));
          EXPECT_EQ(KvDlgItem<QPushButton>(dialog, KV_IDOK)->text(), QStringLiteral("查找(&S)"));
          notes.append(KvDlgItem<QLabel>(dialog, CKvListFindDlg::IDC_COLUMN_NOTE)->text());
          auto* combo = KvDlgItem<QComboBox>(dialog, CKvListFindDlg::IDC_FIND_TEXT);
          QStringList items;
          for (int i = 0; i < combo->count(); ++i)
            items.append(combo->itemText(i));
          history = items;
          const QString text = texts.value(int(notes.size()) - 1);
          if (text.isEmpty())
            return int(QDialog::Rejected);
          combo->setEditText(text);
          QTest::mouseClick(KvDlgItem<QWidget>(dialog, KV_IDOK), Qt::LeftButton);
          return dialog->result();
        }) {}
  QStringList notes;
  QStringList history;

 private:
  KvScopedDialogExec m_exec;
};

QStringList storedHistory(const QString& caption) {
  QStringList names;
  QStringList texts;
  KvRegEnumValues(KvRegRoot::CurrentUser, QStringLiteral("Software\\zrvsoft\\KvListCtrl\\") + caption,
                  &names, &texts);
  return texts;
}

// A frame that takes printer setup.
class FakeFrame : public QWidget, public KvCommandTarget {
 public:
  QList<int> commands;
  bool HandlesCmd(int id) const override { return id == KV_CMD_FILE_PRINT_SETUP; }
  void ExecuteCmd(int id) override { commands.append(id); }
};

// A dialog holding a list, as a dialog of the program shows one.
struct ListDialog {
  CKvDlg dialog{850};
  KvRecordingList* list = new KvRecordingList(&dialog);
  ListDialog() {
    dialog.setWindowTitle(QStringLiteral("班级名单"));
    (new QVBoxLayout(&dialog))->addWidget(list);
    KvFillPupils(*list);
  }
};
}  // namespace

TEST(CKvListCtrlTest, MenuEnablesCommandsBySelectionRowsRightsAndVeto) {
  KvRecordingList list;
  KvFillPupils(list);
  list.resize(300, 200);
  QGuiApplication::clipboard()->clear();

  KvShownMenu menu = KvRightClick(list.View()->viewport(), emptyArea(list));
  EXPECT_EQ(menu.name, QStringLiteral("menu_300"));
  EXPECT_EQ(menu.order, (QList<int>{43004, 43005, 43006, 43007, 57635, 57634, 57637, 57642, 43025,
                                    57636, 57640, 43002, 57604, 57607, 57605, 57606, 43008, 43009,
                                    43010, 43011}));
  const QList<int> offWithoutSelection{43005, 43006, 43007, 57635, 57634, 57637, 57640, 57604, 57607, 57605};
  for (int id : menu.order)
    EXPECT_EQ(menu.enabled.value(id), !offWithoutSelection.contains(id)) << id;

  KvSelectRows(list, {1});
  {
    KvScopedRights rights({QStringLiteral("0012")});
    menu = KvRightClick(list.View()->viewport(), emptyArea(list));
  }
  for (int id : {43005, 43006, 43007, 57635, 57634, 57604})
    EXPECT_TRUE(menu.enabled.value(id)) << id;

  // A derived list's veto has the last word.
  list.refused = {KV_CMD_EDIT_COPY};
  menu = KvRightClick(list.View()->viewport(), emptyArea(list));
  EXPECT_FALSE(menu.enabled.value(KV_CMD_EDIT_COPY));
  EXPECT_TRUE(menu.enabled.value(KV_CMD_EDIT_CUT));

  list.ModifyStyle(0, CKvListCtrl::LVS_SINGLESEL);
  EXPECT_FALSE(KvCmdEnabled(&list, KV_CMD_EDIT_SELECT_ALL));
  EXPECT_FALSE(KvCmdEnabled(&list, KV_CMD_INVERT_SELECTION));

  list.DeleteAllItems();
  EXPECT_FALSE(KvCmdEnabled(&list, KV_CMD_EDIT_FIND));
}

TEST(CKvListCtrlTest, KeysRunEnabledCommandsAndKeepTheirKeys) {
  KvRecordingList list;
  KvFillPupils(list);
  QGuiApplication::clipboard()->setText(QStringLiteral("marker"));

  // Nothing selected: Ctrl+C copies nothing, and the view does not copy the
  // current row's text either.
  list.View()->selectionModel()->setCurrentIndex(list.View()->model()->index(0, 0),
                                                 QItemSelectionModel::NoUpdate);
  press(list, Qt::Key_C, Qt::ControlModifier);
  press(list, Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("marker"));
  EXPECT_FALSE(KvClipboardHasRows(KV_ROW_CLIPBOARD_FORMAT));
  press(list, Qt::Key_Delete);
  press(list, Qt::Key_Right);
  EXPECT_EQ(list.calls, QStringList{});

  press(list, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(list.GetSelectedRows(), (QList<int>{0, 1, 2, 3}));
  KvSelectRows(list, {0, 2});
  press(list, Qt::Key_R, Qt::ControlModifier);
  EXPECT_EQ(list.GetSelectedRows(), (QList<int>{1, 3}));

  press(list, Qt::Key_Home, Qt::ControlModifier);
  EXPECT_TRUE(KvClipboardHasRows(KV_ROW_CLIPBOARD_FORMAT));
  press(list, Qt::Key_Delete, Qt::ShiftModifier);
  QString rows;
  KvGetClipboardText(&rows, KV_ROW_CLIPBOARD_FORMAT);
  EXPECT_EQ(rows, QStringLiteral("0剪切\n002\n004\n"));
  press(list, Qt::Key_Home, Qt::ShiftModifier);
  EXPECT_EQ(list.pastes.size(), 1);

  press(list, Qt::Key_Delete);
  press(list, Qt::Key_N, Qt::ControlModifier);
  press(list, Qt::Key_O, Qt::ControlModifier);
  press(list, Qt::Key_M, Qt::ControlModifier);
  press(list, Qt::Key_Return);
  press(list, Qt::Key_Left);
  press(list, Qt::Key_Right);  // two rows selected: not enabled
  EXPECT_EQ(list.calls, (QStringList{"delete", "new", "open", "modify", "open", "left"}));

  list.calls.clear();
  KvSelectRows(list, {2});
  press(list, Qt::Key_Right);
  list.refused = {KV_CMD_NEW, KV_CMD_OPEN};
  press(list, Qt::Key_N, Qt::ControlModifier);
  press(list, Qt::Key_Return);  // Enter is the open command, refused as it is
  // F2 asks to modify only on a list whose texts may be edited in place.
  press(list, Qt::Key_F2);
  list.ModifyStyle(0, CKvListCtrl::LVS_EDITLABELS);
  press(list, Qt::Key_F2);
  EXPECT_EQ(list.calls, (QStringList{"right", "modify"}));
}

TEST(CKvListCtrlTest, FindWrapsAroundFromTheRowAfterTheLastMatch) {
  KvMessageRecorder messages;
  KvRecordingList list;
  KvFillPupils(list);
  {
    ScopedFindAnswer answer({QStringLiteral("张")});
    press(list, Qt::Key_F, Qt::ControlModifier);
    // The second column is searched until a right click names another.
    EXPECT_EQ(answer.notes, QStringList{QStringLiteral("注：在第 2 栏中查找")});
  }
  EXPECT_EQ(list.GetSelectedRows(), QList<int>{3});
  press(list, Qt::Key_F3);
  EXPECT_EQ(list.GetSelectedRows(), QList<int>{0});
  press(list, Qt::Key_F3);
  EXPECT_EQ(list.GetSelectedRows(), QList<int>{3});
  EXPECT_TRUE(messages.messages().isEmpty());

  {
    ScopedFindAnswer answer({QStringLiteral("赵")});
    press(list, Qt::Key_F, Qt::ControlModifier);
  }
  EXPECT_EQ(messages.last(), QStringLiteral("没有查找到含 “赵”的项！"));
  EXPECT_EQ(messages.messages().last().icon(), unsigned(KV_MB_ICONINFORMATION));
  EXPECT_EQ(list.GetSelectedRows(), QList<int>{3});

  // Cancelling leaves the selection and nothing to find next.
  {
    ScopedFindAnswer answer({QString()});
    press(list, Qt::Key_F, Qt::ControlModifier);
  }
  EXPECT_EQ(list.GetSelectedRows(), QList<int>{3});
  EXPECT_FALSE(KvCmdEnabled(&list, KV_CMD_EDIT_FIND_NEXT));

  // Find from the right-click menu searches the column under the mouse.
  list.resize(300, 200);
  {
    ScopedFindAnswer answer({QStringLiteral("002")});
    KvRightClick(list.View()->viewport(), emptyArea(list), KV_CMD_EDIT_FIND);
    EXPECT_EQ(answer.notes, QStringList{QStringLiteral("注：在第 1 栏中查找")});
  }
  EXPECT_EQ(list.GetSelectedRows(), QList<int>{1});

  // With one row, that row itself is the one examined.
  KvRecordingList single;
  single.SetColumns({QStringLiteral("姓名")}, {100});
  single.AddRow({QStringLiteral("张三")});
  KvSelectRows(single, {0});
  ScopedFindAnswer answer({QStringLiteral("三")});
  press(single, Qt::Key_F, Qt::ControlModifier);
  EXPECT_EQ(single.GetSelectedRows(), QList<int>{0});
  EXPECT_EQ(messages.messages().size(), 1);
}

TEST(CKvListCtrlTest, FindHistoryKeepsTheFirstFiftyTextsOfItsWindow) {
  const QString key = QStringLiteral("Software\\zrvsoft\\KvListCtrl\\学生名单");
  QStringList texts;
  for (int i = 1; i <= 48; ++i) {
    texts.append(QStringLiteral("t%1").arg(i));
    ASSERT_TRUE(KvRegWriteString(KvRegRoot::CurrentUser, key, QString::number(i), texts.last()));
  }
  QWidget window;
  window.setWindowTitle(QStringLiteral("学生名单"));
  auto* list = new KvRecordingList(&window);
  KvFillPupils(*list);
  // The 49th and 50th texts are kept, the 51st is not; a kept text in
  // another case is not kept twice.
  const QStringList typed{"t49", "T3", "t50", "t51"};
  {
    ScopedFindAnswer answer(typed);
    for (int i = 0; i < typed.size(); ++i)
      press(*list, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(answer.history.size(), 50);
    EXPECT_EQ(answer.history.first(), QStringLiteral("t1"));
  }
  EXPECT_EQ(storedHistory(QStringLiteral("学生名单")), (texts + QStringList{"t49", "t50"}));

  // A list in a window without a caption keeps its history apart.
  KvRecordingList plain;
  KvFillPupils(plain);
  ScopedFindAnswer answer({QStringLiteral("王")});
  press(plain, Qt::Key_F, Qt::ControlModifier);
  EXPECT_TRUE(storedHistory(QStringLiteral("青禾苑列表框")).contains(QStringLiteral("王")));
  EXPECT_FALSE(storedHistory(QStringLiteral("学生名单")).contains(QStringLiteral("王")));
}

TEST(CKvListCtrlTest, TypingLettersFindsPinyinInitials) {
  KvMessageRecorder messages;
  KvRecordingList list;
  KvFillPupils(list);
  type(list, QStringLiteral("z"));
  EXPECT_EQ(list.GetSelectedRows(), QList<int>{3});
  type(list, QStringLiteral("s"));  // "ZS" from the row after: 张三
  EXPECT_EQ(list.GetSelectedRows(), QList<int>{0});
  type(list, QStringLiteral("1l"));  // a digit starts the text again
  EXPECT_EQ(list.GetSelectedRows(), QList<int>{1});

  // After a find from the dialog a letter starts a new type-ahead text.
  {
    ScopedFindAnswer answer({QStringLiteral("王")});
    press(list, Qt::Key_F, Qt::ControlModifier);
  }
  EXPECT_EQ(list.GetSelectedRows(), QList<int>{2});
  type(list, QStringLiteral("w"));
  EXPECT_EQ(list.GetSelectedRows(), QList<int>{2});
  EXPECT_TRUE(messages.messages().isEmpty());

  // A list of one column is searched in that column.
  KvRecordingList names;
  names.SetColumns({QStringLiteral("姓名")}, {100});
  for (const char* name : {"张三", "李四"})
    names.AddRow({QString::fromUtf8(name)});
  type(names, QStringLiteral("ls"));
  EXPECT_EQ(names.GetSelectedRows(), QList<int>{1});
  EXPECT_TRUE(messages.messages().isEmpty());
}

TEST(CKvListCtrlTest, ViewStylesShowOneModelWithOneSelection) {
  KvRecordingList list;
  KvFillPupils(list);
  KvSelectRows(list, {2});
  list.ExecuteCmd(KV_CMD_VIEW_LARGE_ICONS);
  auto* icons = qobject_cast<QListView*>(list.View());
  ASSERT_TRUE(icons);
  EXPECT_TRUE(icons->selectionModel()->isRowSelected(2, QModelIndex()));
  KvSelectRows(list, {0, 3});
  list.ExecuteCmd(KV_CMD_VIEW_DETAILS);
  EXPECT_EQ(list.View(), list.DetailsView());
  EXPECT_EQ(list.GetSelectedRows(), (QList<int>{0, 3}));
}

TEST(CKvListCtrlTest, PrintsWithItsDialogsFormAndPassesPrinterSetupToTheFrame) {
  ListDialog listDialog;
  KvRecordingList& list = *listDialog.list;
  // No connection: no print identity.
  EXPECT_FALSE(KvCmdEnabled(&list, KV_CMD_FILE_PRINT));

  KvTestDb data(0);
  KV_CREATE_TEST_DB(data);
  KvScopedAppDb app(&data.db());
  ListDialog withDb;
  KvRecordingList& printed = *withDb.list;
  QStringList calls;
  const KvListPrintFn previousPrinter = KvSetListPrinter(
      [&](const KvRowSource& rows, const KvListPrintTarget& target, int command) {
        calls.append(QStringLiteral("print %1 %2 %3 %4")
                         .arg(target.formId)
                         .arg(target.title)
                         .arg(command)
                         .arg(rows.CellText(3, 1)));
        return true;
      });
  const KvListPageSetupFn previousSetup =
      KvSetListPageSetup([&](const KvListPrintTarget& target, QWidget*) {
        calls.append(QStringLiteral("setup %1 %2").arg(target.formId).arg(target.title));
        return true;
      });
  press(printed, Qt::Key_P, Qt::ControlModifier);
  printed.resize(300, 200);
  KvRightClick(printed.View()->viewport(), emptyArea(printed), KV_CMD_FILE_PAGE_SETUP);
  KvSetListPrinter(previousPrinter);
  KvSetListPageSetup(previousSetup);
  EXPECT_EQ(calls, (QStringList{"print 850 班级名单 57607 张小明", "setup 850 班级名单"}));

  FakeFrame frame;
  CKvCommandRouter::Instance()->SetFrame(&frame);
  KvRightClick(printed.View()->viewport(), emptyArea(printed), KV_CMD_FILE_PRINT_SETUP);
  CKvCommandRouter::Instance()->SetFrame(nullptr);
  EXPECT_EQ(frame.commands, QList<int>{KV_CMD_FILE_PRINT_SETUP});
}

TEST(CKvListCtrlTest, SaveAsExportsTheRowsUnderTheDialogsCaption) {
  KvMessageRecorder messages;
  KvTestDb data(0);
  KV_CREATE_TEST_DB(data);
  KvScopedAppDb app(&data.db());
  KvScopedRights rights({QStringLiteral("0012")});
  QStringList logged;
  const KvLogFn previousLog =
      KvSetLogService([&](int code, const QString& detail) { logged.append(QString::number(code) + detail); });

  ListDialog listDialog;
  const QString path = QDir(KvTestHome()).filePath(QStringLiteral("名单.txt"));
  QString proposed;
  {
    KvScopedDialogExec exec([&](QDialog* dialog) {
      auto* saveAs = qobject_cast<CKvSaveAsDlg*>(dialog);
      if (!saveAs)
        return int(QDialog::Rejected);
      proposed = QFileInfo(saveAs->selectedFiles().value(0)).completeBaseName();
      saveAs->selectFile(path);
      return int(QDialog::Accepted);
    });
    listDialog.list->ExecuteCmd(KV_CMD_FILE_SAVE_AS);
  }
  EXPECT_EQ(proposed, QStringLiteral("班级名单"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(file.readAll()),
            QStringLiteral("001\t张三\n002\t李四\n003\t王五\n004\t张小明"));
  EXPECT_EQ(logged, QStringList{QStringLiteral("29“班级名单”导出：“") + path + QStringLiteral("”")});

  // An empty list opens no dialog.
  listDialog.list->DeleteAllItems();
  listDialog.list->ExecuteCmd(KV_CMD_FILE_SAVE_AS);
  EXPECT_EQ(messages.last(), QStringLiteral("空文档！"));
  KvSetLogService(previousLog);
}

TEST(CKvListCtrlTest, InPlaceEditingStartsOnlyWhenModifyingIsEnabled) {
  KvRecordingList list;
  KvFillPupils(list);
  list.ModifyStyle(0, CKvListCtrl::LVS_EDITLABELS);
  list.resize(300, 200);
  KvShowActive(&list);
  QStringList edited;
  QObject::connect(&list, &CKvListCtrl::labelEdited,
                   [&](int row, const QString& text) { edited.append(QStringLiteral("%1 %2").arg(row).arg(text)); });
  const QModelIndex first = list.View()->model()->index(0, 0);
  KvSelectRows(list, {0});

  list.refused = {KV_CMD_MODIFY};
  list.View()->edit(first);
  EXPECT_FALSE(qobject_cast<QLineEdit*>(QApplication::focusWidget()));

  list.refused.clear();
  list.View()->edit(first);
  auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  ASSERT_TRUE(editor);
  QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(editor, QStringLiteral("005"));
  QTest::keyClick(editor, Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_EQ(edited, QStringList{QStringLiteral("0 005")});
  EXPECT_FALSE(list.LabelEditCancelled());
  EXPECT_EQ(list.GetItemText(0, 0), QStringLiteral("001"));  // the owner decides

  list.View()->edit(first);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  QApplication::processEvents();
  EXPECT_TRUE(list.LabelEditCancelled());
  EXPECT_EQ(edited.size(), 1);
  EXPECT_TRUE(list.calls.isEmpty());
}
