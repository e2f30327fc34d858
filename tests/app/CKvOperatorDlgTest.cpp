// The operators and rights dialog on every back-end kind: unique
// three-digit codes, a rename that every place of the code follows, the
// deletions it refuses, passwords cleared, rights rewritten and unit access
// granted and revoked, each logged.

#include "KvShellDbTest.h"
#include "app/CKvOperatorDlg.h"
#include "app/KvOperatorStore.h"
#include "core/KvMessage.h"
#include "support/KvStationInFlight.h"
#include "ui/CKvListCtrl.h"
#include "ui/KvObjectNames.h"
#include "ui/KvUiTestSupport.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include <functional>

class CKvOperatorDlgDb : public KvShellDbTest {
 protected:
  QStringList operators() {
    return column(QStringLiteral("Select rtrim(OPNO)||' '||rtrim(NA) From OPR Order By OPNO"));
  }
  QStringList rightsOf(const QString& code) {
    return column(QStringLiteral("Select rtrim(PWR) From PWR Where OPNO='%1' Order By PWR").arg(code));
  }
  QStringList logNotes() { return column(QStringLiteral("Select rtrim(sNote) From KvLog Order By sT")); }
};

TEST_P(CKvOperatorDlgDb, AddsOperatorsWithUniqueThreeDigitCodes) {
  CKvOperatorDlg dialog(appDb());
  KvMessageRecorder recorder;
  ASSERT_TRUE(dialog.AddOperator(QStringLiteral("103"), QStringLiteral("张三")));
  EXPECT_EQ(operators(), (QStringList{"101 管理员", "102 ×××", "103 张三"}));
  EXPECT_TRUE(logNotes().contains(QStringLiteral("增加操作员：103 张三")));

  EXPECT_FALSE(dialog.AddOperator(QStringLiteral("103"), QStringLiteral("李四")));
  EXPECT_EQ(recorder.last(), QStringLiteral("操作员代码103已经存在！"));
  EXPECT_FALSE(dialog.AddOperator(QStringLiteral("10a"), QStringLiteral("李四")));
  EXPECT_EQ(recorder.last(), QStringLiteral("操作员代码必须是三位数字！"));
  EXPECT_FALSE(dialog.AddOperator(QStringLiteral("1040"), QStringLiteral("李四")));
  EXPECT_FALSE(dialog.AddOperator(QStringLiteral("104"), QStringLiteral(" ")));
  EXPECT_EQ(recorder.last(), QStringLiteral("操作员姓名不能为空！"));
  EXPECT_FALSE(dialog.AddOperator(QStringLiteral("104"), QStringLiteral("一二三四五")));
  EXPECT_EQ(operators().size(), 3);
  // A quote in a name is kept.
  ASSERT_TRUE(dialog.AddOperator(QStringLiteral("104"), QStringLiteral("O'Neil")));
  EXPECT_TRUE(operators().contains(QStringLiteral("104 O'Neil")));
}

TEST_P(CKvOperatorDlgDb, ARenameTakesRightsUnitRowsAndEveryPlaceAlong) {
  addUnits({"01", "02"});
  addViewer(QStringLiteral("01"), QStringLiteral("102"));
  ASSERT_TRUE(appDb()->Execute(QStringLiteral("Insert Into TMOD(KNO,OPR) Values('k','102')")));
  const QStringList rights = rightsOf(QStringLiteral("102"));
  ASSERT_FALSE(rights.isEmpty());
  CKvOperatorDlg dialog(appDb());
  KvMessageRecorder recorder;
  ASSERT_TRUE(dialog.ModifyOperator(QStringLiteral("102"), QStringLiteral("105"), QStringLiteral("王五")));
  EXPECT_EQ(operators(), (QStringList{"101 管理员", "105 王五"}));
  EXPECT_EQ(rightsOf(QStringLiteral("105")), rights);
  EXPECT_TRUE(rightsOf(QStringLiteral("102")).isEmpty());
  EXPECT_EQ(viewers(), QStringList{"01:105"});
  EXPECT_EQ(column(QStringLiteral("Select rtrim(OPR) From TMOD")), QStringList{"105"});
  // The units in memory carry the new code.
  EXPECT_EQ(KvGetDwArray().first().Operators, QStringLiteral("105"));

  EXPECT_FALSE(dialog.ModifyOperator(QStringLiteral("105"), QStringLiteral("101"), QStringLiteral("王五")));
  EXPECT_EQ(recorder.last(), QStringLiteral("操作员代码101已经存在！"));
  EXPECT_EQ(rightsOf(QStringLiteral("105")), rights);
  EXPECT_EQ(viewers(), QStringList{"01:105"});
  EXPECT_FALSE(dialog.ModifyOperator(QStringLiteral("101"), QStringLiteral("100"), QStringLiteral("管理员")));
  EXPECT_EQ(recorder.last(), QStringLiteral("系统管理员的代码不能修改！"));
  ASSERT_TRUE(dialog.ModifyOperator(QStringLiteral("101"), QStringLiteral("101"), QStringLiteral("总管")));
  EXPECT_TRUE(operators().contains(QStringLiteral("101 总管")));
  // Renamed at another station since the list read him: refused, his dialog kept open as typed.
  dialog.show();
  dialog.SelectOperator(QStringLiteral("105"));
  ASSERT_TRUE(appDb()->Execute(QStringLiteral("Update OPR Set NA='赵六' Where OPNO='105'")));
  QString typed;
  KvScopedDialogExec exec([&](QDialog* edit) {
    KvDlgItem<QLineEdit>(edit, 1101)->setText(QStringLiteral("106"));
    edit->accept();
    typed = edit->result() == QDialog::Accepted ? QString() : KvDlgItem<QLineEdit>(edit, 1101)->text();
    return edit->result();
  });
  KvDlgItem<QPushButton>(&dialog, CKvOperatorDlg::IDC_MODIFY)->click();
  EXPECT_EQ(typed, QStringLiteral("106"));
  EXPECT_EQ(recorder.last(), QStringLiteral("操作员105已在其他工作站修改或删除，本次修改未保存！"));
}

TEST_P(CKvOperatorDlgDb, DeletesOnlyOperatorsWhoseCodeIsUnused) {
  CKvOperatorDlg dialog(appDb());
  KvMessageRecorder recorder;
  EXPECT_FALSE(dialog.DeleteOperator(QStringLiteral("101")));
  EXPECT_EQ(recorder.last(), QStringLiteral("系统管理员不能删除！"));

  ASSERT_TRUE(appDb()->Execute(QStringLiteral("Insert Into TMOD(KNO,OPR) Values('k','102')")));
  EXPECT_FALSE(dialog.DeleteOperator(QStringLiteral("102")));
  EXPECT_EQ(recorder.last(), QStringLiteral("操作员102已在下列表中使用，不能删除：\n测试表"));
  ASSERT_TRUE(appDb()->Execute(QStringLiteral("Delete From TMOD")));

  recorder.script({KV_IDNO});
  EXPECT_FALSE(dialog.DeleteOperator(QStringLiteral("102")));
  EXPECT_EQ(operators().size(), 2);
  recorder.script({KV_IDYES});
  ASSERT_TRUE(dialog.DeleteOperator(QStringLiteral("102")));
  EXPECT_EQ(operators(), QStringList{"101 管理员"});
  EXPECT_TRUE(rightsOf(QStringLiteral("102")).isEmpty());
  EXPECT_TRUE(logNotes().contains(QStringLiteral("删除操作员：102")));

  // A row under his code that another station is storing (a receipt in the
  // school edition) is waited for under the locks after 是, then counted.
  addOperator(QStringLiteral("103"));
  KvStationInFlight storing(testDb(), {QStringLiteral("TMOD")},
                            {QStringLiteral("Insert Into TMOD(KNO,OPR) Values('k','103')")});
  ASSERT_TRUE(storing.Started());
  recorder.script({KV_IDYES});
  EXPECT_FALSE(dialog.DeleteOperator(QStringLiteral("103")));
  EXPECT_TRUE(storing.Committed());
  EXPECT_EQ(recorder.last(), QStringLiteral("操作员103已在下列表中使用，不能删除：\n测试表"));
  EXPECT_TRUE(operators().contains(QStringLiteral("103 操作103")));
}

TEST_P(CKvOperatorDlgDb, ClearsPasswordsAndRewritesRights) {
  ASSERT_TRUE(KvOperatorStore::SetPassword(appDb(), QStringLiteral("102"), QStringLiteral("x")));
  CKvOperatorDlg dialog(appDb());
  KvMessageRecorder recorder;
  recorder.script({KV_IDYES});
  ASSERT_TRUE(dialog.ClearPassword(QStringLiteral("102")));
  KvOperatorStore store;
  store.Load(appDb(), QStringLiteral("102"));
  EXPECT_TRUE(store.Operator().strPassword.isEmpty());

  ASSERT_TRUE(dialog.SaveRights(QStringLiteral("102"), {QStringLiteral("0005"), QStringLiteral("0012")}));
  EXPECT_EQ(rightsOf(QStringLiteral("102")), (QStringList{"0005", "0012"}));
  // The logged-in operator's rights are read again.
  m_app.GetDataFile().SetOperatorCode(QStringLiteral("102"));
  ASSERT_TRUE(dialog.SaveRights(QStringLiteral("102"), {QStringLiteral("0006")}));
  EXPECT_EQ(m_app.GetDataFile().GetRights(), QStringLiteral("0006 "));
  for (const QString& note : logNotes())
    EXPECT_FALSE(note.contains(QStringLiteral("argon2")));

  // Rights the dialog read, changed at another station since: refused.
  dialog.show();
  dialog.SelectOperator(QStringLiteral("102"));
  ASSERT_TRUE(appDb()->Execute(QStringLiteral("Insert Into PWR(OPNO,PWR) Values('102','0007')")));
  EXPECT_FALSE(dialog.SaveRights(QStringLiteral("102"), {QStringLiteral("0005")}));
  EXPECT_EQ(recorder.last(), QStringLiteral("操作员102的操作权限已在其他工作站修改，本次修改未保存！"));
  EXPECT_EQ(rightsOf(QStringLiteral("102")), (QStringList{"0006", "0007"}));
}

// Refused under the locks because another station changed what the dialog
// read (before the save, or during the delete's question): the refusal is
// shown after the rollback, so that station's next save does not wait on it.
TEST_P(CKvOperatorDlgDb, ARefusalUnderTheLocksLetsAnotherStationSave) {
  CKvDb other(kind());
  ASSERT_TRUE(testDb().OpenAnother(other));
  CKvOperatorDlg dialog(appDb());
  dialog.show();
  dialog.SelectOperator(QStringLiteral("102"));
  struct Case {
    QString meanwhile, undo;
    bool duringQuestion;
    std::function<bool()> write;
    QString refusal;
  };
  const QList<Case> cases = {
      {"Update OPR Set NA='赵六' Where OPNO='102'", "Update OPR Set NA='×××' Where OPNO='102'", false,
       [&] { return dialog.ModifyOperator(QStringLiteral("102"), QStringLiteral("102"), QStringLiteral("王五")); },
       "操作员102已在其他工作站修改或删除，本次修改未保存！"},
      {"Insert Into PWR(OPNO,PWR) Values('102','0007')", "Delete From PWR Where OPNO='102' And PWR='0007'", false,
       [&] { return dialog.SaveRights(QStringLiteral("102"), {QStringLiteral("0005")}); },
       "操作员102的操作权限已在其他工作站修改，本次修改未保存！"},
      {"Insert Into TMOD(KNO,OPR) Values('k','102')", "Delete From TMOD", true,
       [&] { return dialog.DeleteOperator(QStringLiteral("102")); }, "操作员102已在下列表中使用，不能删除：\n测试表"},
  };
  for (const Case& c : cases) {
    if (!c.duringQuestion) {
      ASSERT_TRUE(other.Execute(c.meanwhile));
    }
    QStringList stops;
    bool saved = false;
    const KvMessageHandler previous = KvSetMessageHandler([&](const KvMessage& message) {
      if (message.buttons() == KV_MB_YESNO)
        return int(other.Execute(c.meanwhile) ? KV_IDYES : KV_IDNO);
      stops.append(message.text);
      saved = other.Execute(QStringLiteral("Update OPR Set NA='管理员' Where OPNO='101'"), QString(), 128, false);
      return int(KV_IDOK);
    });
    EXPECT_FALSE(c.write());
    KvSetMessageHandler(previous);
    EXPECT_EQ(stops, QStringList{c.refusal});
    EXPECT_TRUE(saved) << c.refusal.toStdString();
    ASSERT_TRUE(other.Execute(c.undo));
  }
  EXPECT_EQ(operators(), (QStringList{"101 管理员", "102 ×××"}));
}

TEST_P(CKvOperatorDlgDb, UnitTicksGrantAndRevokeAccess) {
  addUnits({"01", "0101", "0102", "02"});
  CKvOperatorDlg dialog(appDb());
  dialog.show();
  dialog.SelectOperator(QStringLiteral("102"));
  auto* tree = KvDlgItem<QTreeWidget>(&dialog, CKvOperatorDlg::IDC_UNITS);
  ASSERT_TRUE(tree);
  ASSERT_TRUE(tree->isEnabled());
  QTreeWidgetItem* unit01 = tree->topLevelItem(0);
  QTreeWidgetItem* leaf0101 = unit01->child(0);
  // Unrestricted: every unit ticked; only leaves can be ticked by hand.
  EXPECT_EQ(unit01->checkState(0), Qt::Checked);
  EXPECT_FALSE(unit01->flags() & Qt::ItemIsUserCheckable);
  EXPECT_TRUE(leaf0101->flags() & Qt::ItemIsUserCheckable);

  leaf0101->setCheckState(0, Qt::Unchecked);
  EXPECT_EQ(viewers(), (QStringList{"0102:102", "02:102"}));
  unit01 = tree->topLevelItem(0);
  EXPECT_EQ(unit01->checkState(0), Qt::Unchecked);
  EXPECT_EQ(unit01->child(1)->checkState(0), Qt::Checked);

  KvMessageRecorder recorder;
  ASSERT_TRUE(dialog.SetUnitAccess(QStringLiteral("102"), QStringLiteral("02"), false));
  // Revoking his last unit would free him: asked first.
  recorder.script({KV_IDNO});
  EXPECT_FALSE(dialog.SetUnitAccess(QStringLiteral("102"), QStringLiteral("0102"), false));
  EXPECT_EQ(recorder.last(),
            QStringLiteral("操作员102将不再受核算单位限制，可以访问全部核算单位，继续吗？"));
  EXPECT_EQ(viewers(), QStringList{"0102:102"});
  EXPECT_TRUE(logNotes().contains(QStringLiteral("操作员102不可访问核算单位0101")));

  // Another station grants him a unit while the question is open: 是 writes nothing, says why.
  CKvDb other(kind());
  ASSERT_TRUE(testDb().OpenAnother(other));
  QStringList texts;
  const KvMessageHandler previous = KvSetMessageHandler([&](const KvMessage& message) {
    texts.append(message.text);
    const QString grant = QStringLiteral("Insert Into SysCsTab(Cs,CsN,CsNa,CsVal,LPO) Values(4000,1,'02','102','')");
    return int(message.buttons() == KV_MB_YESNO && other.Execute(grant) ? KV_IDYES : KV_IDOK);
  });
  EXPECT_FALSE(dialog.SetUnitAccess(QStringLiteral("102"), QStringLiteral("0102"), false));
  KvSetMessageHandler(previous);
  EXPECT_EQ(texts.value(1), QStringLiteral("操作员102可访问的核算单位已在其他工作站修改，本次修改未保存！"));
  EXPECT_EQ(viewers(), (QStringList{"0102:102", "02:102"}));
  ASSERT_TRUE(dialog.SetUnitAccess(QStringLiteral("102"), QStringLiteral("02"), false));

  // Rows that cannot be read refuse the revoke before any question.
  recorder.clear();
  appDb()->FailNthStatement(1);
  EXPECT_FALSE(dialog.SetUnitAccess(QStringLiteral("102"), QStringLiteral("0102"), false));
  appDb()->FailNthStatement(0);
  EXPECT_EQ(recorder.messages().size(), 1);
  EXPECT_FALSE(recorder.last().contains(QStringLiteral("继续吗")));
  EXPECT_EQ(viewers(), QStringList{"0102:102"});

  // Named on every leaf, an untick takes the unit away; only that is logged.
  ASSERT_TRUE(appDb()->Execute(QStringLiteral("Delete From SysCsTab Where Cs=4000")));
  for (const char* leaf : {"0101", "0102", "02"})
    addViewer(QString::fromLatin1(leaf), QStringLiteral("102"));
  const qsizetype logged = logNotes().size();
  ASSERT_TRUE(dialog.SetUnitAccess(QStringLiteral("102"), QStringLiteral("0102"), false));
  ASSERT_TRUE(dialog.SetUnitAccess(QStringLiteral("102"), QStringLiteral("0102"), false));
  EXPECT_EQ(viewers(), (QStringList{"0101:102", "02:102"}));
  EXPECT_EQ(logNotes().mid(logged), QStringList{"操作员102不可访问核算单位0102"});

  // The administrator's units cannot be ticked.
  dialog.SelectOperator(QStringLiteral("101"));
  EXPECT_FALSE(tree->isEnabled());
  EXPECT_FALSE(KvDlgItem<QPushButton>(&dialog, CKvOperatorDlg::IDC_DELETE)->isEnabled());
}

TEST_P(CKvOperatorDlgDb, TheRightsListWritesATickAtOnce) {
  CKvOperatorDlg dialog(appDb());
  dialog.show();
  dialog.SelectOperator(QStringLiteral("102"));
  auto* rights = KvDlgItem<CKvListCtrl>(&dialog, CKvOperatorDlg::IDC_RIGHTS);
  ASSERT_TRUE(rights);
  const int before = rightsOf(QStringLiteral("102")).size();
  ASSERT_TRUE(rights->GetCheck(1));
  rights->DetailsView()->model()->setData(rights->DetailsView()->model()->index(1, 0), Qt::Unchecked,
                                          Qt::CheckStateRole);
  EXPECT_EQ(rightsOf(QStringLiteral("102")).size(), before - 1);
  EXPECT_FALSE(rightsOf(QStringLiteral("102")).contains(rights->GetItemText(1, 0)));
}

KV_DB_KIND_TEST_SUITE(CKvOperatorDlgDb);
