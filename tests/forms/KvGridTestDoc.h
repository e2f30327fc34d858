#pragma once
// A fee-like form document for the grid tests, with no data file: a title,
// a head row of notes (one of them linked and editable), a tail row, column
// heads over two rows with a merged "收费项目" block, a student and a name
// column, a memo, three fee columns summed with two decimals and a total
// column. Rows are made by the test (FillWith) or by FillRows (n students).

#include "forms/CForthView.h"
#include "forms/CKvDoc.h"

#include <QStringList>

class KvGridTestDoc : public CKvDoc {
 public:
  int rowsToFill = 5;
  bool readOnly = false;
  // The fill reads its rows and then reports a read that failed.
  bool fillFails = false;
  QStringList afterEdits;
  QString status;

  void InitFormEntry(KvFormEntry& entry) override {
    entry.sFna = QStringLiteral("班级收费明细表");
    entry.nTopNum = 2;
  }
  void BuildColumns(KvFormEntry& entry) override {
    entry.formulas.clear();
    entry.AddFormula(102, 1212, 0, 0, QStringLiteral("学生/STRING/LEFT"));
    entry.AddFormula(103, 1010, 0, 0, QStringLiteral("姓名/MDBSTRING/LEFT"));
    entry.AddFormula(101, 1630, 0, 0, QStringLiteral("摘  要/MDBSTRING/LEFT"));
    entry.AddFormula(100, 1010, 2, 2, QStringLiteral("学费/NUMBER/RIGHT/0010/0/01"));
    entry.AddFormula(100, 1010, 2, 2, QStringLiteral("住宿费/NUMBER/RIGHT/0010/0/02"));
    entry.AddFormula(100, 1010, 0, 2, QStringLiteral("书\\本费/NUMBER/RIGHT/1010/0/03"));
    entry.AddFormula(109, 1212, 2, 2, QStringLiteral("合计/NUMBER/RIGHT/0010"));
    CKvDoc::BuildColumns(entry);
  }
  void BuildHeadNotes(KvFormEntry& entry) override {
    entry.headNotes.clear();
    entry.AddHeadNote(0, 0, 0, 1, 0, QStringLiteral("编表单位"), QStringLiteral("编表单位：#co_name"));
    entry.AddHeadNote(0, 0, 45, 0, 0, QStringLiteral("类别"), QStringLiteral("类别：#xx_lb"));
    entry.AddHeadNote(0, 0, 570, 1, 0, QStringLiteral("凭证号前导"), QStringLiteral("单号："));
    entry.AddHeadNote(0, 0, 575, 1, 1, QStringLiteral("凭证号"), QStringLiteral("用户录入"));
    entry.AddHeadNote(1, 0, 0, 1, 0, QStringLiteral("主管前导"), QStringLiteral("会计主管："));
    entry.AddHeadNote(1, 0, 12, 1, 0, QStringLiteral("主管名"), QString());
    entry.AddHeadNote(1, 0, 60, 0, 0, QStringLiteral("制证员"), QStringLiteral("制证：#xx_opr0"));
    entry.AddHeadNote(1, 0, 85, 1, 0, QStringLiteral("页码"), QString());
  }
  void BuildColumnHead(KvFormEntry& entry) override {
    entry.topWords.clear();
    entry.AddTopWord(1, 1, 1, 2, QStringLiteral("学生"));
    entry.AddTopWord(2, 1, 2, 2, QStringLiteral("姓名"));
    entry.AddTopWord(3, 1, 3, 2, QStringLiteral("摘  要"));
    entry.AddTopWord(4, 1, 6, 1, QStringLiteral("收费项目"));
    entry.AddTopWord(4, 2, 4, 2, QStringLiteral("学费"));
    entry.AddTopWord(5, 2, 5, 2, QStringLiteral("住宿费"));
    entry.AddTopWord(6, 2, 6, 2, QStringLiteral("书本费"));
    entry.AddTopWord(7, 1, 7, 2, QStringLiteral("合计"));
  }
  bool QueryReadOnly() override { return readOnly; }
  bool FillRows() override {
    ClearRows();
    static const char16_t* names[] = {u"张三", u"李四", u"王五", u"赵六", u"钱七", u"孙八", u"周九", u"吴十"};
    for (int i = 0; i < rowsToFill; ++i) {
      QStringList row = NewRow();
      row[0] = QStringLiteral("2024010%1").arg(i % 10) + QString::number(i / 10);
      row[1] = QString::fromUtf16(names[i % 8]);
      row[2] = i % 3 == 0 ? QStringLiteral("秋季学期") : QString();
      row[3] = QStringLiteral("1200.00");
      row[4] = i % 2 ? QStringLiteral("400.00") : QString();
      row[5] = QStringLiteral("85.5");
      row[6] = QString::number(1285.5 + (i % 2 ? 400 : 0), 'f', 2);
      AppendRow(row);
    }
    return !fillFails;
  }
  void BuildPrintMacros() override {
    // The unit's name and manager, as the logged-in data file would give them.
    for (KvMacroRow& macro : m_macros)
      if (macro.sToken == QLatin1String("#co_name"))
        macro.sValue = QStringLiteral("青禾实验学校");
      else if (macro.sToken == QLatin1String("#co_manager"))
        macro.sValue = QStringLiteral("李校长");
    AddMacroRow(QStringLiteral("类别"), QStringLiteral("#xx_lb"), QStringLiteral("应交费用"));
    AddMacroRow(QStringLiteral("制证员"), QStringLiteral("#xx_opr0"), QStringLiteral("王老师(101)"));
  }
  void GetSummaryText(QString& out, int nRows) override {
    out = status.isEmpty() ? QString() : status.arg(nRows);
  }
  void AfterEdit(int nRow, int nColumn, const QString& text) override {
    afterEdits.append(QStringLiteral("%1,%2,%3").arg(nRow).arg(nColumn).arg(text));
  }

  // Lays the document out and fills it, as the open flow does.
  void Open() {
    LoadLayout();
    Fill();
    ResetMacros();
  }
};
