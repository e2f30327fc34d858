#pragma once
// The template list on the fake form module (module 30: template 300 with
// copies and types 0 and 1, template 301 without copies), over a data file
// of each kind with the operator 101 holding right 3001; helpers that store
// templates, count and list their rows, and answer the file dialogs.

#include "KvFakeFormModule.h"
#include "app/KvShellTestApp.h"
#include "core/CKvDb.h"
#include "core/KvMessage.h"
#include "core/KvRegistry.h"
#include "forms/CKvTemplateList.h"
#include "forms/KvStoredTemplate.h"
#include "support/KvTestDb.h"
#include "ui/KvUiTestSupport.h"

#include <gtest/gtest.h>

#include <QFileDialog>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTreeView>
#include <memory>

// A stored template of two shown columns under one block, a head field and
// a page whose left margin tells the copies apart.
inline KvStoredTemplate KvSampleTemplate(const QString& name, int nLeft = 111) {
  KvStoredTemplate stored;
  stored.entry.sFna = name;
  stored.entry.nTopNum = 2;
  stored.entry.nOption = 1;
  stored.entry.AddFormula(101, 1212, 0, 0, QStringLiteral("学生/STRING/LEFT"));
  stored.entry.AddFormula(100, 1010, 0, 2, QStringLiteral("O'金额/NUMBER/RIGHT/1001/0/01"));
  stored.entry.AddTopWord(1, 1, 2, 2, QStringLiteral("收费'项目"));
  stored.entry.AddHeadNote(0, 0, 590, 1, 1, QStringLiteral("凭证号"), QStringLiteral("用户录入"));
  stored.print.PageLeft = nLeft;
  return stored;
}

// Every stored row of the layout and print tables, one text per row.
inline QStringList KvTemplateRows(CKvDb* pDb) {
  QStringList all;
  const char* const selects[] = {
      "Select nFlag||' '||nForm||' '||sFna||' '||nOpen||' '||nTopNum From KvFormList",
      "Select nFlag||' '||nForm||' '||nCol||' '||nType||' '||sFormula From KvFormFormula",
      "Select nFlag||' '||nForm||' '||nCol1||' '||nRow2||' '||sWords From KvFormTopWord",
      "Select nFlag||' '||nForm||' '||nRow||' '||nColPecent||' '||sNote From KvFormHeadNote",
      "Select nFlag||' '||SFIELDMODE||' '||SPRINTER||' '||PageLeft From KVPAGESET",
      "Select nFlag||' '||SFIELDMODE||' '||SPRINTER||' '||nFont||' '||sFace From KVFONT"};
  for (const char* sql : selects) {
    QStringList rows;
    pDb->QueryTexts(QString::fromUtf8(sql), &rows, 1);
    rows.sort();
    all << rows << QStringLiteral("--");
  }
  return all;
}

// Rows of (nFlag, nForm) in the layout and print tables.
inline int KvTemplateRowCount(CKvDb* pDb, int nFlag, int nForm) {
  int count = 0;
  for (const char* table : {"KvFormList", "KvFormFormula", "KvFormTopWord", "KvFormHeadNote"})
    count += pDb->GetLong(QStringLiteral("Select Count(*) From %1 Where nFlag=%2 And nForm=%3")
                              .arg(QLatin1String(table))
                              .arg(nFlag)
                              .arg(nForm));
  for (const char* table : {"KVPAGESET", "KVFONT", "FIELDWIDTH"})
    count += pDb->GetLong(QStringLiteral("Select Count(*) From %1 Where nFlag=%2 And SFIELDMODE='%3'")
                              .arg(QLatin1String(table))
                              .arg(nFlag)
                              .arg(nForm));
  return count;
}

class KvTemplateListTest : public KvDbKindTest {
 protected:
  void SetUp() override {
    KvDbKindTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    KvFakeControl() = KvFakeDocControl();
    // No setting of an earlier test (views, last files, tab labels) counts.
    KvRegDeleteTree(KvRegRoot::CurrentUser, QStringLiteral("Software"));
    m_app.createModules = [this](KvShellTestApp& app) {
      m_pModule = new KvFakeFormModule;
      app.AddDataType(m_pModule);
    };
    m_app.InitInstance();
    ASSERT_TRUE(m_app.OpenOn(testDb()));
    ASSERT_TRUE(m_app.CreateAllTables(appDb()));
    ASSERT_TRUE(appDb()->Execute(QStringLiteral("Insert Into PWR(OPNO,PWR) Values('101','3001')")));
    ASSERT_TRUE(m_app.GetDataFile().LoadRights());
    m_list.reset(static_cast<CKvTemplateList*>(m_pModule->CreateTemplatePage(nullptr)));
  }

  CKvDb* appDb() { return m_app.GetDb(); }
  CKvTemplateList& list() { return *m_list; }
  bool store(int nFlag, int nForm, const QString& name, int nOpen = 1, int nLeft = 111) {
    return KvSampleTemplate(name, nLeft).Replace(appDb(), nFlag, nForm, nOpen);
  }
  // Selects exactly the rows of the keys.
  void select(const QList<QPair<int, int>>& keys) {
    list().DetailsView()->selectionModel()->clearSelection();
    for (const auto& [nFlag, nForm] : keys)
      list().SelectRow(list().FindRow(nFlag, nForm), true);
  }
  QList<QPair<int, int>> selectedKeys() {
    QList<QPair<int, int>> keys;
    for (int row : list().GetSelectedRows()) {
      int nFlag = 0, nForm = 0;
      list().GetRowKey(row, &nFlag, &nForm);
      keys.append({nFlag, nForm});
    }
    return keys;
  }
  int logged(const QString& detail) {
    return appDb()->GetLong(QStringLiteral("Select Count(*) From KvLog Where nTaskID=14 And sNote='%1'")
                                .arg(appDb()->QuoteText(detail)));
  }

  KvShellTestApp m_app;
  KvFakeFormModule* m_pModule = nullptr;
  std::unique_ptr<CKvTemplateList> m_list;
};

// Answers file dialogs with a path (recording where they opened) and other
// dialogs with Cancel.
class KvFileDialogAnswer {
 public:
  QString path;
  QString openedOn;
  int dialogs = 0;

  int run(QDialog* dialog) {
    ++dialogs;
    auto* files = qobject_cast<QFileDialog*>(dialog);
    if (!files || path.isEmpty())
      return QDialog::Rejected;
    auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    openedOn = files->directory().absolutePath() + u'/' + (name ? name->text() : QString());
    files->selectFile(path);
    return QDialog::Accepted;
  }
};
