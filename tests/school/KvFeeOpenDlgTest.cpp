// The fee module's open dialogs and student list: the depth entries of each
// tree shape, the refusals of dates, years and depths with the field they
// focus, the values handed back (also from the settings after a restart),
// and the student list that chooses only with exactly one row selected.

#include "KvFeeUiTestSupport.h"
#include "KvSchoolTestSupport.h"

#include "app/KvDocOpenMode.h"
#include "forms/CKvDocTemplate.h"
#include "school/CXxDataType.h"
#include "school/CXxDjOpenDlg.h"
#include "school/CXxRptDoc.h"
#include "school/CXxRptOpenDlg0.h"
#include "school/CXxRptOpenDlg1.h"
#include "school/CXxStdList.h"
#include "school/CXxStdListDlg.h"
#include "ui/KvCommands.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QRadioButton>
#include <memory>

TEST(KvFeeOpenDlgDepthTest, DepthEntriesFollowTheTreeShape) {
  const int savedLevels = CXxDataType::MgmtLevelsRef();
  const int savedMulti = CXxDataType::MultiClassRef();
  const struct {
    int levels;
    int multi;
    QStringList names;
  } cases[] = {
      {1, 1, {"1级", "年级", "班", "学生"}},
      {2, 1, {"1级", "2级", "年级", "班", "学生"}},
      {2, 0, {"1级", "2级", "班", "学生"}},
      {4, 0, {"1级", "2级", "3级", "4级", "班", "学生"}},
  };
  for (const auto& c : cases) {
    CXxDataType::MgmtLevelsRef() = c.levels;
    CXxDataType::MultiClassRef() = c.multi;
    EXPECT_EQ(CXxRptOpenDlg1::DepthNames(), c.names) << c.levels << c.multi;
    EXPECT_EQ(CXxRptOpenDlg1::DepthNames().size(), CXxDataType::LevelCount());
  }
  CXxDataType::MgmtLevelsRef() = savedLevels;
  CXxDataType::MultiClassRef() = savedMulti;
}

class KvFeeOpenDlgTest : public KvSchoolDbTest {};

TEST_P(KvFeeOpenDlgTest, RefusalsFocusTheFieldAndAcceptedValuesComeBack) {
  AddItem(QStringLiteral("01"), QStringLiteral("学费"));
  AddItem(QStringLiteral("02"), QStringLiteral("书本费"));
  using Fields = QList<QPair<int, QString>>;
  const struct {
    int idd;
    Fields fields;
    const char* message;  // empty: accepted
    int focused;
  } cases[] = {
      {957, {{1043, "13"}}, "月份超界", 1043},
      {957, {{1044, "31"}, {1043, "02"}}, "日期超界", 1044},
      {957, {{1042, "2024"}, {1043, "3"}, {1044, "5"}}, "", 0},
      {959, {{1054, "2025"}}, "起止时间倒置！", 1054},
      {959, {{1054, "2024"}, {1055, "02"}, {1060, "2024"}, {1061, "03"}, {1062, "31"}}, "", 0},
      {960, {{1042, "1899"}}, "年份太小!", 1042},
      {960, {{1042, "0999"}}, "年份太小!", 1042},
      {960, {{1042, "999"}}, "", 0},  // sorts after "1900" as text
      {960, {{1042, "2006"}}, "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.idd);
    std::unique_ptr<CXxOpenDlg> dlg;
    if (c.idd == 957) {
      auto* open = new CXxDjOpenDlg(pdb());
      open->m_strDate = QStringLiteral("20240910");
      dlg.reset(open);
    } else if (c.idd == 959) {
      auto* open = new CXxRptOpenDlg0(pdb());
      open->m_dates[0] = QStringLiteral("20240101");
      open->m_dates[1] = QStringLiteral("20241231");
      open->m_filter.strCost = QStringLiteral("02");
      open->m_filter.strOperators[0] = QStringLiteral("101");
      dlg.reset(open);
    } else {
      auto* open = new CXxRptOpenDlg1(pdb());
      open->m_strTitle = QStringLiteral("欠费统计表");
      open->m_strYear = QStringLiteral("2024");
      open->m_nSeason = 1;
      open->m_nDepth = 2;
      dlg.reset(open);
    }
    dlg->show();
    for (const auto& [id, text] : c.fields)
      KvSetField(dlg.get(), id, text);
    KvScriptedAnswers answers;
    KvPress(dlg.get(), KV_IDOK);
    if (*c.message) {
      EXPECT_EQ(answers.Stops(), QStringList{QString::fromUtf8(c.message)});
      EXPECT_NE(dlg->result(), QDialog::Accepted);
      EXPECT_EQ(dlg->focusWidget(), KvDlgItem(dlg.get(), c.focused));
      continue;
    }
    EXPECT_EQ(answers.texts, QStringList{});
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    if (c.idd == 957) {
      EXPECT_EQ(static_cast<CXxDjOpenDlg*>(dlg.get())->m_strDate, QStringLiteral("20240305"));
    } else if (c.idd == 959) {
      auto* open = static_cast<CXxRptOpenDlg0*>(dlg.get());
      EXPECT_EQ(open->m_dates[0], QStringLiteral("20240201"));
      EXPECT_EQ(open->m_dates[1], QStringLiteral("20240331"));
      EXPECT_EQ(open->m_filter.strCost, QStringLiteral("02"));
      EXPECT_EQ(open->m_filter.strOperators[0], QStringLiteral("101"));
      EXPECT_EQ(open->m_filter.strOperators[1], QString());
    } else {
      auto* open = static_cast<CXxRptOpenDlg1*>(dlg.get());
      EXPECT_EQ(open->windowTitle(), QStringLiteral("打开欠费统计表"));
      EXPECT_EQ(open->m_strYear, QString::fromUtf8(c.fields.first().second.toUtf8()));
      EXPECT_EQ(open->m_nSeason, 1);
      EXPECT_EQ(open->m_nDepth, 2);
    }
  }
}

TEST_P(KvFeeOpenDlgTest, EmptyChoicesMeanAllAndNoDepthIsRefused) {
  AddItem(QStringLiteral("01"), QStringLiteral("学费"));
  CXxRptOpenDlg1 dlg(pdb());
  dlg.m_strYear = QStringLiteral("2024");
  dlg.m_nDepth = 9;  // beyond the tree: nothing selected
  dlg.m_filter.bReviewFlags[1] = true;
  dlg.show();
  auto* cost = KvDlgItem<QComboBox>(&dlg, CXxOpenDlg::IDC_COST);
  EXPECT_EQ(cost->itemText(0), QString());
  EXPECT_EQ(cost->itemText(1), QStringLiteral("01 学费"));
  EXPECT_TRUE(KvDlgItem<QRadioButton>(&dlg, CXxRptOpenDlg1::IDC_AUTUMN)->isChecked());
  KvScriptedAnswers answers;
  KvPress(&dlg, KV_IDOK);
  EXPECT_EQ(answers.Stops(), QStringList{"未选择级次!"});
  EXPECT_EQ(dlg.focusWidget(), KvDlgItem(&dlg, CXxRptOpenDlg1::IDC_DEPTH));
  KvDlgItem<QComboBox>(&dlg, CXxRptOpenDlg1::IDC_DEPTH)->setCurrentIndex(3);
  KvDlgItem<QRadioButton>(&dlg, CXxRptOpenDlg1::IDC_SPRING)->setChecked(true);
  KvSetField(&dlg, CXxOpenDlg::IDC_CODE, QStringLiteral("0102"));
  KvPress(&dlg, KV_IDOK);
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(dlg.m_nDepth, 3);
  EXPECT_EQ(dlg.m_nSeason, 1);
  EXPECT_EQ(dlg.m_filter.strCost, QString());
  EXPECT_EQ(dlg.m_filter.strStdPrefix, QStringLiteral("0102"));
  EXPECT_TRUE(dlg.m_filter.bReviewFlags[1]);
  EXPECT_FALSE(dlg.m_filter.bReviewFlags[0]);
  KvShot(&dlg, QStringLiteral("960"));
  CXxRptOpenDlg0 detail(pdb());
  detail.show();
  KvShot(&detail, QStringLiteral("959"));
  CXxDjOpenDlg day(pdb());
  day.m_strDate = QStringLiteral("20240910");
  day.show();
  KvShot(&day, QStringLiteral("957"));
}

TEST_P(KvFeeOpenDlgTest, TheItemChoiceComesBackAsStoredAfterARestart) {
  ASSERT_TRUE(KvGrantRights(*m_app, QStringLiteral("1810 1811 1812 1813").split(u' ')));
  AddItem(QStringLiteral("01"), QStringLiteral("学费"));
  AddItem(QStringLiteral("02"), QStringLiteral("书本费"));
  // Stored, then chosen. A report never given an item keeps a null text,
  // which the settings file gives back empty, not null, after a restart
  // (first: over a null text an empty one would be no change to write).
  const QString choices[][2] = {{QStringLiteral(""), ""}, {"02", "02"}, {QString(), ""}, {"0", ""}};
  for (int flag : {257, 258, 259, 260})
    for (const auto& [stored, chosen] : choices) {
      QStringList args(CXxRptDoc::kOpenArgCount);
      args[0] = QStringLiteral("20240101");
      args[1] = QStringLiteral("20241231");
      args[3] = stored;
      args[8] = QStringLiteral("2024");
      KvSaveDocOpenMode(flag, 0, args);
      // The next run reads the arguments from the settings file again.
      CKvDocTemplate* docTemplate = CXxDataType::Get()->FindTemplate(flag);
      docTemplate->Entries()[docTemplate->FindEntry(0)].bArgsLoaded = false;
      KvFeeDialogScript script([&](QDialog* dialog) {
        if (flag == 257 && stored.isNull())
          KvShot(dialog, QStringLiteral("959_restart"));
        KvPress(dialog, KV_IDOK);
      });
      auto* doc = static_cast<CXxRptDoc*>(CXxDataType::Get()->OpenDocument(flag, 0));
      ASSERT_NE(doc, nullptr);
      EXPECT_EQ(doc->m_filter.strCost, chosen) << flag << ' ' << (stored.isNull() ? "null" : stored.toStdString());
      doc->OnCloseDocument();
    }
}

TEST_P(KvFeeOpenDlgTest, StudentListChoosesOnlyWithOneRowSelected) {
  AddClass({QStringLiteral("010201001"), QStringLiteral("张三"), QStringLiteral("010201002"),
            QStringLiteral("张四")});
  const struct {
    const char* search;
    QStringList codes;
  } searches[] = {
      {"0102010", {"010201001", "010201002"}},
      {"张", {"010201001", "010201002"}},
      {"ZS", {"010201001", "010201002"}},
      {"四", {"010201002"}},
      {"*", {}},
      {"'", {}},
  };
  for (const auto& s : searches) {
    SCOPED_TRACE(s.search);
    CXxStdListDlg dlg(QString::fromUtf8(s.search), pdb());
    dlg.show();
    QStringList codes;
    for (int row = 0; row < dlg.List()->GetItemCount(); ++row)
      codes << dlg.List()->GetItemText(row, 0);
    EXPECT_EQ(codes, s.codes);
    if (!codes.isEmpty()) {
      EXPECT_EQ(dlg.List()->GetSelectedRows(), QList<int>{0});
      EXPECT_EQ(dlg.List()->GetItemText(0, 2), QStringLiteral("本校/2024级/一班"));
    }
  }
  CXxStdListDlg dlg(QStringLiteral("0102"), pdb());
  dlg.show();
  CXxStdList* list = dlg.List();
  list->SelectTexts({QStringLiteral("010201001"), QStringLiteral("010201002")});
  EXPECT_FALSE(KvCmdEnabled(list, KV_CMD_OPEN));
  EXPECT_FALSE(KvCmdEnabled(list, KV_CMD_EDIT_COPY));
  KvScriptedAnswers answers;
  KvPress(&dlg, KV_IDOK);
  EXPECT_NE(dlg.result(), QDialog::Accepted);
  EXPECT_TRUE(answers.texts.isEmpty());
  KvShot(&dlg, QStringLiteral("958"));
  list->View()->clearSelection();
  list->FindAndSelect(QStringLiteral("010201002"));
  ASSERT_TRUE(KvCmdEnabled(list, KV_CMD_OPEN));
  list->ExecuteCmd(KV_CMD_OPEN);
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(dlg.m_strCode, QStringLiteral("010201002"));
}

KV_DB_KIND_TEST_SUITE(KvFeeOpenDlgTest);
