#pragma once
// A fake module with form documents for the framework's tests: module 30,
// template 300 with a document of three columns (one of them hidden by its
// column mark), two notes (one linked), a tail note, print macros and two
// open arguments, shown in a plain view.

#include "forms/CFormChildFrm.h"
#include "forms/CFormDataType.h"
#include "forms/CKvDoc.h"
#include "forms/CKvDocTemplate.h"
#include "forms/KvDocView.h"

#include <QSplitter>
#include <QWidget>

// What the tests set and read back.
struct KvFakeDocControl {
  bool allowOpen = true;
  bool readOnly = false;
  bool saveResult = true;
  // The fill reads its rows, then reports a failed read.
  bool fillFails = false;
  int saves = 0;
  int closes = 0;
  int fills = 0;
  QString linkedValue = QStringLiteral("00012");
  QStringList argsAtOpen;
};

inline KvFakeDocControl& KvFakeControl() {
  static KvFakeDocControl control;
  return control;
}

class KvFakeDoc : public CKvDoc {
 public:
  void LoadOpenArgs() override {
    KvFakeControl().argsAtOpen = OpenArgs();
    if (OpenArgs().size() != 2)
      OpenArgs() = {QStringLiteral("2024"), QStringLiteral("0")};
    m_nExtraCells = 1;
  }
  void InitFormEntry(KvFormEntry& entry) override {
    entry.sFna = QStringLiteral("测试表");
    entry.nTopNum = 2;
  }
  void BuildColumns(KvFormEntry& entry) override {
    entry.formulas.clear();
    entry.AddFormula(1, 1212, 0, 0, QStringLiteral("学生/STRING/LEFT"));
    entry.AddFormula(2, 1212, 0, 0, QStringLiteral("姓名/MDBSTRING/LEFT"));
    entry.AddFormula(100, 1010, 0, 2, QStringLiteral("金额/NUMBER/RIGHT/1001/0/01"));
    CKvDoc::BuildColumns(entry);
  }
  // The student column is always shown, the name column never.
  int GetColumnMark(const KvFormEntry& entry, int nColumn) override {
    const int link = entry.formulas.at(nColumn).Link();
    return link == 1 ? 1 : link == 2 ? 0 : 2;
  }
  void BuildHeadNotes(KvFormEntry& entry) override {
    entry.headNotes.clear();
    entry.AddHeadNote(0, 0, 60, 1, 0, QStringLiteral("单位"), QStringLiteral("#co_name"));
    entry.AddHeadNote(0, 0, 590, 1, 1, QStringLiteral("凭证号"), QStringLiteral("用户录入"));
    entry.AddHeadNote(1, 0, 0, 1, 0, QStringLiteral("制表"), QStringLiteral("制表：#cur_opr_name"));
  }
  bool QueryReadOnly() override { return KvFakeControl().readOnly; }
  bool PrepareOpen() override { return KvFakeControl().allowOpen; }
  bool FillRows() override {
    ++KvFakeControl().fills;
    ClearRows();
    QStringList row = NewRow();
    row[0] = QStringLiteral("0101");
    row[2] = QStringLiteral("12.5");
    AppendRow(row);
    AppendRow(NewRow());
    return !KvFakeControl().fillFails;
  }
  void LinkHeadField(const KvHeadNote& note, QString& text, int nDir) override {
    if (note.sNote != u"凭证号")
      return;
    if (nDir == 0)
      text = KvFakeControl().linkedValue;
    else
      KvFakeControl().linkedValue = text;
  }
  bool SaveRows() override {
    ++KvFakeControl().saves;
    return KvFakeControl().saveResult;
  }
  bool CheckCellText(int nRow, int nColumn, const QString& text, QString& outText) override {
    (void)nRow, (void)nColumn, (void)outText;
    return text != u"错";
  }
  void BuildPrintMacros() override {
    AddMacroRow(QStringLiteral("类别"), QStringLiteral("#xx_lb"), QStringLiteral("应交费用"));
  }
  void OnCloseDocument() override {
    ++KvFakeControl().closes;
    OpenArgs()[1] = QStringLiteral("closed");
    CKvDoc::OnCloseDocument();
  }
};

class KvFakeView : public QWidget, public KvDocView {
 public:
  KvFakeView(KvFakeDoc* pDoc, QWidget* pParent) : QWidget(pParent), m_pDoc(pDoc) {
    pDoc->AddView(this);
  }
  void OnInitialUpdate() override { ++initialUpdates; }
  void OnDocumentChanged() override { ++documentChanges; }
  bool IsCellChanged() const override { return changed; }
  void SetCellChanged(bool bChanged) override { changed = bChanged; }
  bool CommitEdit() override {
    ++commits;
    return commitResult;
  }
  int GetPositionId() const override { return 3001; }

  KvFakeDoc* m_pDoc;
  int initialUpdates = 0;
  int documentChanges = 0;
  int commits = 0;
  bool changed = false;
  bool commitResult = true;
};

// A frame split into two views of the same document.
class KvFakeSplitFrame : public CFormChildFrm1 {
 public:
  bool CreateClient(CKvDoc* pDoc, const CKvDocTemplate& docTemplate) override {
    if (!CFormChildFrm1::CreateClient(pDoc, docTemplate))
      return false;
    m_pSplitter->addWidget(CreateView<KvFakeView, KvFakeDoc>(m_pSplitter));
    m_pSplitter->addWidget(CreateView<KvFakeView, KvFakeDoc>(m_pSplitter));
    return true;
  }
  QSplitter* Splitter() const { return m_pSplitter; }
};

class KvFakeFormModule : public CFormDataType {
 public:
  KvFakeFormModule() {
    m_nModule = 30;
    m_strCaption = QStringLiteral("测试");
    CKvDocTemplate* pTemplate =
        AddTemplate(CKvDocTemplate::Make<KvFakeDoc, CFormChildFrm, KvFakeView>(330, 300, true));
    pTemplate->AddEntry(0, QStringLiteral("#co_name收费表"), QString(), 0, QStringLiteral("01"), 629, 0);
    pTemplate->AddEntry(1, QStringLiteral("锁定表"), QStringLiteral("不能新增"), 1, QStringLiteral("02"), 629, 0);
    AddTemplate(CKvDocTemplate::Make<KvFakeDoc, KvFakeSplitFrame, KvFakeView>(330, 301, false))
        ->AddEntry(0, QStringLiteral("分栏表"), QString(), 0, QStringLiteral("3001"), 629, 0);
  }
  // The one command the module refuses (0: none).
  bool IsCommandAllowed(int nId) override { return nId != vetoed; }
  int vetoed = 0;
};
