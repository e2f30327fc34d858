// The fee reports: their entries in the template box, the columns each
// shows and the row slots behind them, the totals line ("累计", "合计",
// "%d人", statistics summed over the top level only), openings answered
// with Cancel or refused without fee items, the filter remembered between
// openings, "刷新" in the right-click menu, and an item left out of a
// stored layout; the directory picking the ledger's student and an open
// dialog's code; an item named with "/", and 刷新 after a catalogue change.

#include "KvFeeUiTestSupport.h"
#include "KvSchoolTestSupport.h"

#include "core/CKvDb.h"
#include "core/KvDate.h"
#include "core/KvNumber.h"
#include "forms/CFormChildFrm.h"
#include "forms/CKvDocTemplate.h"
#include "forms/CKvTemplateList.h"
#include "school/CKvStdDirDlg.h"
#include "school/CXxDataType.h"
#include "school/CXxOpenDlg.h"
#include "school/CXxRptDoc0.h"
#include "school/CXxRptDoc1.h"
#include "school/CXxRptDoc2.h"
#include "school/CXxRptView.h"
#include "ui/CKvCodeBrowseList.h"
#include "ui/CKvCommandRegistry.h"
#include "ui/KvCommands.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QMenu>

class KvFeeReportTest : public KvSchoolDbTest {
 protected:
  void SetUp() override {
    KvSchoolDbTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    ASSERT_TRUE(KvGrantRights(*m_app, {QStringLiteral("1810"), QStringLiteral("1811"), QStringLiteral("1812"),
                                       QStringLiteral("1813"), QStringLiteral("1814")}));
    AddItem(QStringLiteral("01"), QStringLiteral("学费"));
    AddItem(QStringLiteral("02"), QStringLiteral("书本费"));
    AddClass({QStringLiteral("010201001"), QStringLiteral("张三"), QStringLiteral("010201002"),
              QStringLiteral("李四")});
    for (const QString& student : {QStringLiteral("010201001"), QStringLiteral("010201002")}) {
      AddLine(student, QStringLiteral("01"), 0, 1, 1000);
      AddLine(student, QStringLiteral("02"), 0, 1, 200);
    }
    AddLine(QStringLiteral("010201001"), QStringLiteral("01"), 0, -1, 1000);
    AddLine(QStringLiteral("010201001"), QStringLiteral("02"), 0, -1, 200);
    // No filter kept from an earlier test: a list of another length gives
    // the defaults.
    for (const auto& docTemplate : CXxDataType::Get()->GetTemplates())
      for (KvDocTypeEntry& entry : docTemplate->Entries()) {
        entry.openArgs = {QStringLiteral("kept by another version")};
        entry.bArgsLoaded = true;
      }
  }

  // Opens the report, its dialog answered by `answer`; null when it did
  // not open.
  CXxRptDoc* Open(int flag, const std::function<void(QDialog*)>& answer) {
    KvFeeDialogScript script(answer);
    return static_cast<CXxRptDoc*>(CXxDataType::Get()->OpenDocument(flag, 0));
  }
  static QString TotalsLabel(CXxRptView* view, QStringList* totals) {
    KvGridPass pass;
    QString label;
    view->GetTotalsRow(pass, label, *totals);
    return label;
  }
};

TEST_P(KvFeeReportTest, TemplatesAreListedOnTheFeePageInOrder) {
  QStringList entries;
  for (int i = 0; i < CXxDataType::Get()->GetEntryCount(); ++i) {
    KvDocTypeEntry entry;
    CKvDocTemplate* docTemplate = nullptr;
    ASSERT_TRUE(CXxDataType::Get()->GetEntryByIndex(i, &entry, &docTemplate));
    entries << QStringLiteral("%1 %2 %3 %4 %5")
                   .arg(docTemplate->GetFlag())
                   .arg(entry.sName, entry.sRight)
                   .arg(entry.nIcon)
                   .arg(entry.nLock);
  }
  EXPECT_EQ(entries, (QStringList{"255 按班收费 1802 673 1", "256 收费收据 1805 674 1", "257 收费明细表 1810 629 1", "261 学生交费明细账 1814 647 1",
                                  "258 应收费统计表 1811 668 1", "259 收费统计表 1812 664 1",
                                  "260 欠费统计表 1813 630 1"}));
  // The fee page of the template box: 57601 opens the selected report.
  std::unique_ptr<QWidget> page(CXxDataType::Get()->CreateTemplatePage(nullptr));
  CKvTemplateList* list = CXxDataType::Get()->GetTemplateList();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->GetItemCount(), 7);
  list->View()->clearSelection();
  list->FindAndSelect(list->GetItemText(list->FindRow(259, 0), 0));
  ASSERT_TRUE(CXxDataType::Get()->CanFileOpen());
  QStringList opened;
  KvFeeDialogScript script([&](QDialog* dialog) {
    opened << dialog->windowTitle();
    dialog->reject();
  });
  CXxDataType::Get()->OnFileOpen();
  EXPECT_EQ(opened, QStringList{"打开收费统计表"});
}

TEST_P(KvFeeReportTest, DetailShowsReceiptsCountsStudentsAndRemembersItsFilter) {
  QStringList shownDates;
  const auto answer = [&](QDialog* dialog) {
    shownDates << KvFieldText(dialog, 1054) + KvFieldText(dialog, 1055) + KvFieldText(dialog, 1056);
    KvSetField(dialog, 1054, QStringLiteral("2024"));
    KvSetField(dialog, 1060, QStringLiteral("2024"));
    KvPress(dialog, KV_IDOK);
  };
  CXxRptDoc* doc = Open(257, answer);
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(KvShownCells(doc), (QStringList{"月", "日", "单号", "名称\\姓名", "学\\期", "学费", "书本费", "合计", "操作", "复核"}));
  ASSERT_EQ(doc->GetRowCount(), 1);
  EXPECT_EQ(KvShownCells(doc, 0), (QStringList{"09", "10", "00001", "张三", "1", "1000.00", "200.00", "1200.00", "101", ""}));
  QStringList totals;
  EXPECT_EQ(TotalsLabel(doc->FindView<CXxRptView>(), &totals), QStringLiteral("累计 1人"));
  EXPECT_EQ(totals.value(7), QStringLiteral("1,200.00"));
  EXPECT_EQ(doc->GetMacroValue(QStringLiteral("#xx_time")).isEmpty(), false);
  KvShot(doc->GetFrames().first(), QStringLiteral("report_detail"));
  doc->OnCloseDocument();
  // The next opening offers the range chosen; both review boxes: no rows.
  doc = Open(257, [&](QDialog* dialog) {
    answer(dialog);
    KvPress(dialog, 1058);
    KvPress(dialog, 1059);
    KvPress(dialog, KV_IDOK);
  });
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->GetRowCount(), 0);
  doc->OnCloseDocument();
  const QString year = KvNowText(QStringLiteral("%Y"));
  EXPECT_EQ(shownDates, (QStringList{year + "0101", "20240101"}));
}

TEST_P(KvFeeReportTest, StatisticsTotalOnlyTheTopLevel) {
  const auto answer = [](int depth, const char* title) {
    return [depth, title](QDialog* dialog) {
      EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8(title));
      KvSetField(dialog, 1042, KvNowText(QStringLiteral("%Y")));
      KvDlgItem<QComboBox>(dialog, 1033)->setCurrentIndex(depth);
      KvPress(dialog, KV_IDOK);
    };
  };
  CXxRptDoc* doc = Open(259, answer(2, "打开收费统计表"));
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(KvShownCells(doc), (QStringList{"名称\\姓名", "人\\数", "学费", "书本费", "合计"}));
  ASSERT_EQ(doc->GetRowCount(), 3);
  EXPECT_EQ(KvShownCells(doc, 0), (QStringList{"本校", "1", "1000.00", "200.00", "1200.00"}));
  EXPECT_EQ(KvShownCells(doc, 2), (QStringList{"    一班", "1", "1000.00", "200.00", "1200.00"}));
  EXPECT_EQ(doc->RowKey(2), QStringLiteral("010201"));
  QStringList totals;
  EXPECT_EQ(TotalsLabel(doc->FindView<CXxRptView>(), &totals), QStringLiteral("累计"));
  EXPECT_EQ(totals.value(4), QStringLiteral("1,200.00"));
  EXPECT_EQ(doc->GetMacroValue(QStringLiteral("#xx_time")),
            KvNowText(QStringLiteral("%Y")) + QStringLiteral("年 秋季学期"));
  KvShot(doc->GetFrames().first(), QStringLiteral("report_statistics"));
  // "刷新" stands before select all and reads the lines again.
  AddLine(QStringLiteral("010201002"), QStringLiteral("01"), 0, -1, 500);
  QList<int> menu;
  const KvPopupMenuExecFn previous = KvSetPopupMenuExec([&](QMenu* popup, const QPoint&) {
    QAction* refresh = nullptr;
    for (QAction* action : popup->actions()) {
      menu << KvActionCommandId(action);
      if (menu.last() == KV_CMD_REFRESH)
        refresh = action;
    }
    return refresh;
  });
  doc->FindView<CXxRptView>()->ShowContextMenu(QPoint());
  KvSetPopupMenuExec(previous);
  EXPECT_EQ(menu.indexOf(KV_CMD_REFRESH) + 1, menu.indexOf(KV_CMD_EDIT_SELECT_ALL));
  EXPECT_EQ(KvShownCells(doc, 0).mid(1, 2), (QStringList{"2", "1500.00"}));
  doc->OnCloseDocument();
  // Arrears down to the students: only the second student owes.
  doc = Open(260, answer(3, "打开欠费统计表"));
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->GetRowCount(), 4);
  EXPECT_EQ(KvShownCells(doc, 3).mid(0, 2), (QStringList{"      李四", "1"}));
  doc->OnCloseDocument();
}

TEST_P(KvFeeReportTest, LedgerShowsTermsWithTheTotal) {
  CXxRptDoc2 doc;
  doc.m_pDb = pdb();
  doc.m_nFlag = 261;
  doc.LoadOpenArgs();
  doc.m_filter.strStdPrefix = QStringLiteral("010201002");
  doc.m_nRunningTotals = 0;
  doc.LoadLayout();
  doc.FillRows();
  doc.ResetMacros();
  EXPECT_EQ(KvShownCells(&doc), (QStringList{"年", "月", "日", "单号", "摘  要", "学费", "书本费", "合计", "操作", "复核"}));
  ASSERT_GE(doc.GetRowCount(), 3);
  EXPECT_EQ(KvShownCells(&doc, 0).at(4), QStringLiteral("  第1学期"));
  EXPECT_EQ(KvShownCells(&doc, 1).mid(5, 3), (QStringList{"1000.00", "200.00", "1200.00"}));
  EXPECT_EQ(KvShownCells(&doc, doc.GetRowCount() - 1).at(4), QStringLiteral("  欠费"));
  ASSERT_TRUE(doc.m_formEntry.headNotes.size() == 4);
  EXPECT_EQ(doc.m_formEntry.headNotes.first().sWords, QStringLiteral("#xx_student"));
  CXxRptView view(&doc);
  doc.AddView(&view);
  view.InitLayout();
  QStringList totals;
  EXPECT_EQ(TotalsLabel(&view, &totals), QStringLiteral("合计"));
  // Due lines, subtotals, payments and arrears are not added up.
  EXPECT_TRUE(totals.join(QString()).isEmpty()) << totals.join(u'|').toStdString();
  view.resize(900, 400);
  KvShot(&view, QStringLiteral("report_ledger"));
}

// Each report refreshed with any statement of its refresh refused, and on
// a server with its connection lost, shows what it showed.
TEST_P(KvFeeReportTest, ARefreshThatCannotReadLeavesEachReportAsItWas) {
  std::unique_ptr<CXxRptDoc> doc;
  QList<QStringList> shown;
  for (int flag : {257, 258, 259, 260, 261}) {
    SCOPED_TRACE(flag);
    doc.reset(flag == 257   ? static_cast<CXxRptDoc*>(new CXxRptDoc0)
              : flag == 261 ? static_cast<CXxRptDoc*>(new CXxRptDoc2)
                            : new CXxRptDoc1);
    if (auto* statistics = dynamic_cast<CXxRptDoc1*>(doc.get()))
      statistics->m_nKind = flag - 258;
    doc->m_pDb = pdb();
    doc->m_nFlag = flag;
    doc->LoadOpenArgs();
    doc->m_dates[0] = QStringLiteral("20240101");
    doc->m_filter.strStdPrefix = flag == 261 ? QStringLiteral("010201001") : QString();
    doc->LoadLayout();
    pdb()->FailNthStatement(1000000);
    ASSERT_TRUE(doc->Refill());
    const int sent = pdb()->GetStatementsSent();
    shown = doc->m_rows;
    ASSERT_FALSE(shown.isEmpty());
    for (int n = 1; n <= sent; ++n) {
      KvScriptedAnswers answers;
      pdb()->FailNthStatement(n);
      doc->Refill();
      pdb()->FailNthStatement(0);
      EXPECT_EQ(doc->m_rows, shown) << n;
    }
  }
  if (GetParam() == 0)
    return;
  ASSERT_TRUE(testDb().EndSessions());
  KvScriptedAnswers answers;
  EXPECT_FALSE(doc->Refill());
  EXPECT_EQ(doc->m_rows, shown);
}

TEST_P(KvFeeReportTest, TheDirectoryPicksTheLedgersStudentAndTheOpenDialogsCode) {
  const auto directory = [](QDialog* dialog) { return static_cast<CKvStdDirDlg*>(dialog); };
  const auto selected = [](CKvStdDirDlg* dialog) {
    const int row = dialog->List()->GetFirstSelected();
    return row < 0 ? QString() : dialog->List()->GetItemText(row, 0);
  };
  // The ledger: the directory in mode 1 from the root, OK going down to
  // the class's students, the second one picked.
  QStringList starts;
  CXxRptDoc* doc = Open(261, [&](QDialog* dialog) {
    ASSERT_EQ(dialog->objectName(), QStringLiteral("dlg_950"));
    EXPECT_EQ(directory(dialog)->Mode(), 1);
    starts << directory(dialog)->ParentCode() + QLatin1Char('/') + selected(directory(dialog));
    for (int press = 0; press < 3 && directory(dialog)->ParentCode() != u"010201"; ++press)
      KvPress(dialog, KV_IDOK);
    directory(dialog)->List()->SelectOnlyCode(QStringLiteral("010201002"));
    KvPress(dialog, KV_IDOK);
  });
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->m_filter.strStdPrefix, QStringLiteral("010201002"));
  EXPECT_EQ(doc->GetMacroValue(QStringLiteral("#xx_student")), QStringLiteral("学生：(010201002)李四"));
  EXPECT_EQ(KvShownCells(doc, doc->GetRowCount() - 1).mid(4, 4),
            (QStringList{"  欠费", "1000.00", "200.00", "1200.00"}));
  doc->OnCloseDocument();
  // The next opening starts on that student; Cancel opens nothing.
  EXPECT_EQ(Open(261,
                 [&](QDialog* dialog) {
                   starts << directory(dialog)->ParentCode() + QLatin1Char('/') + selected(directory(dialog));
                   dialog->reject();
                 }),
            nullptr);
  EXPECT_EQ(starts, (QStringList{"/01", "010201/010201002"}));

  // Button 1063 of the detail's dialog: the directory in mode 2 starts on
  // the typed code; Cancel keeps it, a class picked a level down replaces
  // it and the detail keeps to that class.
  QStringList codes;
  int picks = 0;
  doc = Open(257, [&](QDialog* dialog) {
    if (dialog->objectName() == u"dlg_950") {
      EXPECT_EQ(directory(dialog)->Mode(), 2);
      EXPECT_EQ(selected(directory(dialog)), QStringLiteral("0102"));
      if (++picks == 1) {
        dialog->reject();
        return;
      }
      KvPress(dialog, CKvStdDirDlg::IDC_DOWN);
      EXPECT_EQ(selected(directory(dialog)), QStringLiteral("010201"));
      KvPress(dialog, KV_IDOK);
      return;
    }
    KvSetField(dialog, 1054, QStringLiteral("2024"));
    KvSetField(dialog, 1060, QStringLiteral("2024"));
    KvSetField(dialog, CXxOpenDlg::IDC_CODE, QStringLiteral("0102"));
    for (int i = 0; i < 2; ++i) {
      KvPress(dialog, CXxOpenDlg::IDC_PICK);
      codes << KvFieldText(dialog, CXxOpenDlg::IDC_CODE);
    }
    KvPress(dialog, KV_IDOK);
  });
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(codes, (QStringList{"0102", "010201"}));
  EXPECT_EQ(doc->m_filter.strStdPrefix, QStringLiteral("010201"));
  EXPECT_EQ(doc->GetRowCount(), 1);
  doc->OnCloseDocument();
}

TEST_P(KvFeeReportTest, CancelAndAnEmptyCatalogueOpenNothing) {
  int dialogs = 0;
  const auto cancel = [&](QDialog* dialog) {
    ++dialogs;
    dialog->reject();
  };
  for (int flag : {257, 258, 261})
    EXPECT_EQ(Open(flag, cancel), nullptr) << flag;
  EXPECT_EQ(dialogs, 3);  // the ledger's is the directory picking a student
  ASSERT_TRUE(pdb()->Execute(QStringLiteral("Delete From COST")));
  KvScriptedAnswers answers;
  EXPECT_EQ(Open(257, cancel), nullptr);
  EXPECT_EQ(dialogs, 3);
  EXPECT_EQ(answers.Stops(), QStringList{"未定义收费项目！"});
}

TEST_P(KvFeeReportTest, AnItemMissingFromAStoredLayoutIsLeftOutOfTheTotal) {
  const auto answer = [](QDialog* dialog) {
    KvSetField(dialog, 1054, QStringLiteral("2024"));
    KvSetField(dialog, 1060, QStringLiteral("2024"));
    KvPress(dialog, KV_IDOK);
  };
  CXxRptDoc* doc = Open(257, answer);
  ASSERT_NE(doc, nullptr);
  ASSERT_TRUE(doc->m_formEntry.SaveLayout());
  doc->OnCloseDocument();
  AddItem(QStringLiteral("03"), QStringLiteral("住宿费"));
  AddLine(QStringLiteral("010201001"), QStringLiteral("03"), 0, -1, 300);
  doc = Open(257, answer);
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->m_items.size(), 3);
  EXPECT_EQ(KvShownCells(doc).mid(5, 3), (QStringList{"学费", "书本费", "合计"}));
  ASSERT_EQ(doc->GetRowCount(), 1);
  EXPECT_EQ(KvShownCells(doc, 0).mid(5, 3), (QStringList{"1000.00", "200.00", "1200.00"}));
  doc->OnCloseDocument();
}

TEST_P(KvFeeReportTest, AnItemNamedWithASlashCountsEverywhereAndARefreshReadsTheCatalogue) {
  AddItem(QStringLiteral("03"), QStringLiteral("住宿/水电费"));
  ASSERT_TRUE(KvGrantRights(*m_app, {QStringLiteral("1802"), QStringLiteral("1803")}));
  CXxDataType::Get()->FindTemplate(255)->Entries()[0].openArgs = {"", "", "010201", "-1", "2"};
  auto* sheet = dynamic_cast<CXxDjDoc0*>(CXxDataType::Get()->OpenDocument(255, 0));
  ASSERT_NE(sheet, nullptr);
  KvChooseFeeNode(sheet, {"01 本校", "02 2024级", "01 一班", "1 学期", "1 应收"});
  KvTypeFeeAmount(sheet, 1, QStringLiteral("03"), QStringLiteral("300"));
  ASSERT_TRUE(sheet->Save());
  EXPECT_EQ(Column(QStringLiteral("Select STD From PC Where COST='03'")), QStringList{"010201002"});
  KvCloseDocumentWindows();
  AddLine(QStringLiteral("010201001"), QStringLiteral("03"), 0, 1, 300);
  AddLine(QStringLiteral("010201001"), QStringLiteral("03"), 0, -1, 300);
  const auto answer = [](int flag) {
    return [flag](QDialog* dialog) {
      auto* directory = flag == 261 ? static_cast<CKvStdDirDlg*>(dialog) : nullptr;
      for (int press = 0; directory && press < 3 && directory->ParentCode() != u"010201"; ++press)
        KvPress(dialog, KV_IDOK);
      if (directory)
        directory->List()->SelectOnlyCode(QStringLiteral("010201002"));
      KvSetField(dialog, flag == 257 ? 1054 : 1042, flag == 257 ? "2024" : KvNowText(QStringLiteral("%Y")));
      KvPress(dialog, KV_IDOK);
    };
  };
  // Every report shows it, and every row's total (the next column) counts it.
  for (int flag : {257, 258, 259, 260, 261}) {
    CXxRptDoc* doc = Open(flag, answer(flag));
    ASSERT_NE(doc, nullptr);
    const int item = int(KvShownCells(doc).indexOf(QStringLiteral("住宿／\\水电费")));
    double counted = 0;
    for (int row = 0; item >= 2 && row < doc->GetRowCount(); ++row) {
      const QStringList cells = KvShownCells(doc, row).mid(item - 2, 4);
      const auto at = [&](int i) { return KvTextToDouble(cells.value(i)); };
      counted += qAbs(at(2));
      EXPECT_DOUBLE_EQ(at(3), at(0) + at(1) + at(2)) << flag;
    }
    EXPECT_GT(counted, 0) << flag;
    doc->OnCloseDocument();
  }
  // 刷新 after an item is added, then recoded, shows what an opening shows.
  for (const bool recode : {false, true}) {
    CXxRptDoc* doc = Open(257, answer(257));
    ASSERT_NE(doc, nullptr);
    CCost item{recode ? QStringLiteral("04") : QStringLiteral("05"), QStringLiteral("校服费"), QString()};
    CCost read;
    if (recode) {
      ASSERT_EQ(read.Load(QStringLiteral("03"), pdb()), 1);
    }
    ASSERT_TRUE(recode ? item.Update(read, pdb()) : item.Insert(pdb()));
    doc->FindView<CXxRptView>()->ExecuteCmd(KV_CMD_REFRESH);
    CXxRptDoc* fresh = Open(257, answer(257));
    EXPECT_EQ(KvShownCells(doc) + KvShownCells(doc, 0), KvShownCells(fresh) + KvShownCells(fresh, 0)) << recode;
    KvCloseDocumentWindows();
  }
}

KV_DB_KIND_TEST_SUITE(KvFeeReportTest);
