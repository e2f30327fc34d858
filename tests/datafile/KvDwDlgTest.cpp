// The accounting-unit windows: the codes the edit dialog proposes and what
// its OK refuses; the list's commands, their rights, and the walk through
// adding, copying, pasting, deleting and clearing units.

#include "KvDataFileTestSupport.h"

#include "app/CKvApp.h"
#include "app/CKvDwRec.h"
#include "core/CKvDb.h"
#include "core/KvClipboard.h"
#include "datafile/CKvDwDlg.h"
#include "datafile/CKvDwEditDlg.h"
#include "datafile/CKvDwList.h"
#include "ui/KvCommands.h"
#include "ui/KvModal.h"
#include "ui/KvObjectNames.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QItemSelectionModel>
#include <QTreeView>

namespace {

class KvDwDlgTest : public KvDataFileDbTest {
 protected:
  void Grant(const QString& operatorCode, const QStringList& rights) {
    m_app->GetDataFile().SetOperatorCode(operatorCode);
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From PWR Where OPNO='%1'").arg(operatorCode)));
    for (const QString& right : rights)
      ASSERT_TRUE(pdb()->Execute(QStringLiteral("Insert Into PWR(OPNO,PWR) Values('%1','%2')").arg(operatorCode, right)));
    ASSERT_TRUE(m_app->GetDataFile().LoadRights());
  }
  static void Type(QWidget* dialog, int id, const QString& text) {
    auto* edit = KvDlgItem<QLineEdit>(dialog, id);
    ASSERT_NE(edit, nullptr) << id;
    edit->setText(text);
  }
  // A step that types the segment, name and short name and presses OK; or
  // pastes the name where the dialog put the focus.
  static KvDialogSteps::Step Unit(const QString& segment, const QString& name, bool paste = false) {
    return [segment, name, paste](QDialog* dialog) {
      if (!segment.isNull())
        Type(dialog, 1002, segment);
      if (auto* focus = qobject_cast<QLineEdit*>(dialog->focusWidget()); paste && focus && KvSetClipboardText(name))
        focus->paste();
      else if (!paste)
        Type(dialog, 1003, name);
      Type(dialog, 1004, name);
      dialog->accept();
      return dialog->isVisible() ? int(QDialog::Rejected) : int(QDialog::Accepted);
    };
  }
  // Only these rows selected.
  static void Select(CKvDwList* list, const QStringList& codes) {
    list->DetailsView()->selectionModel()->clearSelection();
    list->SelectTexts(codes);
  }
  // How many dialogs Enter and a double click on the first row open.
  static int OpensOnEnterAndDoubleClick(CKvDwList* list) {
    int opened = 0;
    const KvDialogExecFn previous = KvSetDialogExec([&](QDialog*) { return ++opened, int(QDialog::Rejected); });
    QTreeView* view = list->DetailsView();
    QTest::keyClick(view, Qt::Key_Return);
    const QPoint row = view->visualRect(view->model()->index(0, 0)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, row);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, row);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, row);
    KvSetDialogExec(previous);
    return opened;
  }
};

TEST_P(KvDwDlgTest, TheEditDialogProposesTheNextCode) {
  struct Case {
    QStringList units;
    QString parent;
    QString proposal;  // parent code + segment; empty: no room
  };
  const QList<Case> cases = {
      {{}, QString(), QStringLiteral("01")},
      {{QStringLiteral("01")}, QStringLiteral("01"), QStringLiteral("0101")},
      {{QStringLiteral("01"), QStringLiteral("0101"), QStringLiteral("0107")}, QStringLiteral("01"),
       QStringLiteral("0108")},
      {{QStringLiteral("01"), QStringLiteral("0199")}, QStringLiteral("01"), QStringLiteral("01100")},
      {{QStringLiteral("01010101010101")}, QStringLiteral("01010101010101"), QString()},
      {{QStringLiteral("010101010101")}, QStringLiteral("010101010101"), QStringLiteral("01010101010101")},
      {{QStringLiteral("01010101010")}, QStringLiteral("01010101010"), QStringLiteral("0101010101001")},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From KVDW")));
    for (const QString& code : c.units)
      AddUnit(code, QStringLiteral("单位") + code);
    KvScriptedAnswers answers;
    CKvDwEditDlg dialog(c.parent, true, pdb());
    const bool prepared = dialog.Prepare();
    EXPECT_EQ(prepared, !c.proposal.isEmpty()) << c.parent.toStdString();
    if (!prepared) {
      EXPECT_EQ(answers.Stops(), QStringList{QStringLiteral("代码长度不够！")});
      continue;
    }
    const QString code = KvDlgItem<QLabel>(&dialog, 1001)->text() + KvDlgItem<QLineEdit>(&dialog, 1002)->text();
    EXPECT_EQ(code, c.proposal) << c.parent.toStdString();
  }
}

// What OK refuses keeps the dialog open and adds nothing; a name or short
// name another unit has is added only after Yes.
TEST_P(KvDwDlgTest, TheEditDialogChecksTheCodeAndNames) {
  AddUnit(QStringLiteral("01"), QStringLiteral("一校"));
  struct Case {
    QString segment, name, shortName;
    QList<int> answers;
    QString refusal;
    bool added;
  };
  const QList<Case> cases = {
      {QStringLiteral("0"), QStringLiteral("二校"), QStringLiteral("二校"), {}, QStringLiteral("代码值不能小于0！"), false},
      {QStringLiteral("00"), QStringLiteral("二校"), QStringLiteral("二校"), {}, QStringLiteral("代码值不能小于0！"), false},
      {QString(""), QStringLiteral("二校"), QStringLiteral("二校"), {}, QStringLiteral("代码值不能小于0！"), false},
      {QStringLiteral("02"), QString(), QStringLiteral("二校"), {}, QStringLiteral("名称不能为空！"), false},
      {QStringLiteral("02"), QStringLiteral("二校"), QString(), {}, QStringLiteral("简称不能为空！"), false},
      {QStringLiteral("02"), QStringLiteral("二校"), QStringLiteral("一校"), {KV_IDNO}, {}, false},
      {QStringLiteral("02"), QStringLiteral("O'Neil"), QStringLiteral("一校"), {KV_IDYES}, {}, true},
  };
  for (const Case& c : cases) {
    KvScriptedAnswers answers(c.answers);
    CKvDwEditDlg dialog(QString(), true, pdb());
    ASSERT_TRUE(dialog.Prepare());
    dialog.show();
    Type(&dialog, 1002, c.segment);
    Type(&dialog, 1003, c.name);
    Type(&dialog, 1004, c.shortName);
    KvGrabWindow(&dialog, QStringLiteral("dlg_791"));
    dialog.accept();
    EXPECT_EQ(dialog.isVisible(), !c.added) << c.name.toStdString();
    EXPECT_EQ(answers.Stops(), c.refusal.isEmpty() ? QStringList() : QStringList{c.refusal});
    EXPECT_EQ(Units().size(), c.added ? 2 : 1) << c.name.toStdString();
    dialog.hide();
  }
  EXPECT_EQ(Rows(QStringLiteral("KVDW"), QStringLiteral("rtrim(NA)"), QStringLiteral("Where KNO='02'")),
            QStringList{QStringLiteral("O'Neil")});
  EXPECT_EQ(LogNotes(27), QStringList{QStringLiteral("增加：02")});

  // A unit another station changed (and left) while the same-name question
  // was open: 是 is refused, the dialog stays open, the change stays.
  CKvDb other(kind());
  ASSERT_TRUE(testDb().OpenAnother(other));
  CKvDwRec().KvSelectDw(QString(), QStringLiteral("Order By KNO"), &KvGetDwArray(), pdb());
  CKvDwEditDlg modify(QStringLiteral("01"), false, pdb());
  ASSERT_TRUE(modify.Prepare());
  modify.show();
  Type(&modify, 1003, QStringLiteral("O'Neil"));
  QStringList texts;
  const KvMessageHandler previous = KvSetMessageHandler([&](const KvMessage& message) {
    texts.append(message.text);
    if (message.buttons() == KV_MB_YESNOCANCEL) {
      EXPECT_TRUE(other.Execute(QStringLiteral("Update KVDW Set TEL='110' Where KNO='01'")));
      other.Close();
    }
    return int(KV_IDYES);
  });
  modify.accept();
  KvSetMessageHandler(previous);
  EXPECT_TRUE(modify.isVisible());
  EXPECT_EQ(texts, (QStringList{QStringLiteral("与代码为：02的单位同名，还要继续吗？"),
                                QStringLiteral("01：已被其他窗口或工作站修改或删除，请重新打开后再修改！")}));
  EXPECT_EQ(Rows(QStringLiteral("KVDW"), QStringLiteral("rtrim(NA),rtrim(TEL)"), QStringLiteral("Where KNO='01'")),
            QStringList{QStringLiteral("一校|110")});

  // A longer level asked for from a unit's own dialog: the unit, recoded
  // with its level, is saved under its new code.
  modify.hide();
  CKvDwRec().KvSelectDw(QString(), QStringLiteral("Order By KNO"), &KvGetDwArray(), pdb());
  CKvDwEditDlg longer(QStringLiteral("02"), false, pdb());
  ASSERT_TRUE(longer.Prepare());
  longer.show();
  Type(&longer, 1002, QStringLiteral("005"));
  KvScriptedAnswers answers({KV_IDYES, KV_IDYES});
  longer.accept();
  EXPECT_FALSE(longer.isVisible());
  EXPECT_EQ(answers.Stops(), QStringList());
  EXPECT_EQ(Rows(QStringLiteral("KVDW"), QStringLiteral("rtrim(KNO)"), QStringLiteral("Order By KNO")),
            (QStringList{QStringLiteral("001"), QStringLiteral("005")}));
}

TEST_P(KvDwDlgTest, CommandsFollowTheSelectionAndTheRights) {
  CKvDwDlg dialog(pdb());
  dialog.show();
  CKvDwList* list = dialog.List();
  EXPECT_FALSE(dialog.Button(KV_CMD_NEW)->isEnabled());
  EXPECT_TRUE(dialog.Button(KV_CMD_NEW_SIBLING)->isEnabled()) << "an empty list takes a top-level unit";
  AddUnit(QStringLiteral("01"), QStringLiteral("一校"));
  list->Fill();
  Select(list, {QStringLiteral("01")});
  dialog.UpdateButtons();
  for (int id : {KV_CMD_NEW, KV_CMD_NEW_SIBLING, KV_CMD_MODIFY, KV_CMD_DELETE, KV_CMD_DW_CLEAR})
    EXPECT_TRUE(dialog.Button(id)->isEnabled()) << id;
  struct Case {
    QStringList rights;
    bool units, data;
  };
  for (const Case& c : QList<Case>{{{}, false, false},
                                   {{QStringLiteral("0009")}, true, false},
                                   {{QStringLiteral("0010")}, false, true}}) {
    Grant(QStringLiteral("102"), c.rights);
    for (int id : {KV_CMD_NEW, KV_CMD_NEW_SIBLING, KV_CMD_MODIFY, KV_CMD_DELETE})
      EXPECT_EQ(list->IsCmdEnabled(id), c.units) << id;
    EXPECT_EQ(list->IsCmdEnabled(KV_CMD_DW_CLEAR), c.data);
    // Enter and a double click open the unit's change dialog only as 打开.
    EXPECT_EQ(OpensOnEnterAndDoubleClick(list), c.units ? 2 : 0);
  }
  // Enter and a double click give the open command, not the change command
  // behind it: a list whose open command alone is refused opens nothing.
  struct OpenRefused : CKvDwList {
    bool IsCmdAllowed(int id) override { return id != KV_CMD_OPEN; }
  } refused;
  Grant(QStringLiteral("102"), {QStringLiteral("0009")});
  refused.SetDb(pdb());
  refused.Fill();
  refused.show();
  Select(&refused, {QStringLiteral("01")});
  ASSERT_TRUE(KvCmdEnabled(&refused, KV_CMD_MODIFY));
  EXPECT_EQ(OpensOnEnterAndDoubleClick(&refused), 0);
}

// 43164 opens the list; units are added through the edit dialog, a copy
// pasted under another unit takes the next free code there, and pastes
// that would put units under themselves or in place are refused.
TEST_P(KvDwDlgTest, UnitsAreAddedCopiedPastedAndDeleted) {
  KvScriptedAnswers answers;
  CKvDwDlg* shown = nullptr;
  KvDialogSteps steps({[&](QDialog* dialog) {
                         shown = qobject_cast<CKvDwDlg*>(dialog);
                         CKvDwList* list = shown->List();
                         // Two top-level units, then a sub-unit of 01.
                         {
                           KvDialogSteps edits({Unit(QString(), QStringLiteral("一校")),
                                                Unit(QString(), QStringLiteral("二校"), true)});
                           shown->Button(KV_CMD_NEW_SIBLING)->click();
                           EXPECT_EQ(edits.names, QStringList(3, QStringLiteral("dlg_791")));
                           EXPECT_EQ(Rows(QStringLiteral("KVDW"), QStringLiteral("rtrim(NA)")),
                                     QStringList({"一校", "二校"}));
                         }
                         Select(list, {QStringLiteral("01")});
                         {
                           KvDialogSteps edits({Unit(QString(), QStringLiteral("一校分部"))});
                           shown->Button(KV_CMD_NEW)->click();
                         }
                         EXPECT_EQ(Units(), (QStringList{"0101|一校分部", "01|一校", "02|二校"}));
                         KvGrabWindow(dialog, QStringLiteral("dlg_790"));

                         Select(list, {QStringLiteral("0101")});
                         shown->Button(KV_CMD_EDIT_COPY)->click();
                         Select(list, {QStringLiteral("01")});
                         shown->Button(KV_CMD_EDIT_PASTE)->click();
                         Select(list, {QStringLiteral("02")});
                         shown->Button(KV_CMD_EDIT_PASTE)->click();
                         EXPECT_EQ(Units(), (QStringList{"0101|一校分部", "01|一校", "0201|一校分部", "02|二校"}));
                         // 0299 beside 0201, then 0101 pasted under 02 again (its own 0201 taken): no
                         // code is left, the paste says so and pastes nothing.
                         {
                           KvDialogSteps edits({Unit(QStringLiteral("99"), QStringLiteral("末分部"))});
                           shown->Button(KV_CMD_NEW_SIBLING)->click();
                         }
                         Select(list, {QStringLiteral("02")});
                         shown->Button(KV_CMD_EDIT_PASTE)->click();
                         EXPECT_EQ(Units().size(), 5);
                         Select(list, {QStringLiteral("0299")});
                         shown->Button(KV_CMD_DELETE)->click();

                         // A cut of 01 and 02 put under 0201 (below the second source).
                         Select(list, {QStringLiteral("01"), QStringLiteral("02")});
                         shown->Button(KV_CMD_EDIT_CUT)->click();
                         Select(list, {QStringLiteral("0201")});
                         shown->Button(KV_CMD_EDIT_PASTE)->click();
                         EXPECT_EQ(Units().size(), 4);

                         Select(list, {QStringLiteral("0201")});
                         shown->Button(KV_CMD_DELETE)->click();
                         EXPECT_EQ(Units(), (QStringList{"0101|一校分部", "01|一校", "02|二校"}));
                         Select(list, {QStringLiteral("02")});
                         shown->Button(KV_CMD_DW_CLEAR)->click();
                         return int(QDialog::Rejected);
                       }});
  ASSERT_TRUE(m_app->IsCmdEnabled(KV_CMD_UNITS));
  m_app->ExecuteCmd(KV_CMD_UNITS);
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(steps.names, QStringList{QStringLiteral("dlg_790")});
  EXPECT_EQ(answers.Stops(), (QStringList{QStringLiteral("不能原地粘贴！"),
                                          QStringLiteral("下列单位没有粘贴：0101\n代码已到最大值99，不能再自动编号！"),
                                          QStringLiteral("父单位不能粘贴到它的子单位中！"),
                                          QStringLiteral("独立核算单位：02没有数据！")}));
  EXPECT_EQ(LogNotes(27), (QStringList{QStringLiteral("从") + pdb()->GetDatabaseName(true) + QStringLiteral("复制单位：0201"),
                                       QStringLiteral("删除：0201"), QStringLiteral("删除：0299"), QStringLiteral("增加：01"),
                                       QStringLiteral("增加：0101"), QStringLiteral("增加：02"), QStringLiteral("增加：0299")}));
}

KV_DB_KIND_TEST_SUITE(KvDwDlgTest);

}  // namespace
