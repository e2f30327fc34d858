#pragma once
// A fake module with card documents for the card tests: module 30 with
// template 310, a receipt-like card (three fee lines) shown beside a list
// in a split frame, its form editing the student's name and the first
// line's amount; template 311, the same card with only the drawing view;
// template 312, a grid document with a tree pane and a grid pane.

#include "KvFakeFormModule.h"

#include "forms/CForthView.h"
#include "forms/CKvCardDoc.h"
#include "forms/CKvCardFrmView.h"
#include "forms/CKvCardView.h"
#include "ui/CKvListView.h"
#include "ui/CKvTreeView.h"
#include "ui/KvObjectNames.h"

#include <QLineEdit>
#include <QPushButton>

// A receipt-like card, 100 form units wide and one unit per row: a head
// row of labels and values, the column heads, `lines` fee lines, the total
// and the signatures. Labels are not printed onto a pre-printed form
// (drawText 0); values are.
struct KvReceiptLikeCard {
  QString student = QStringLiteral("张小明");
  QString date = QStringLiteral("20240305");
  QString number = QStringLiteral("00012");
  QString term = QStringLiteral("3");
  QStringList memos{QStringLiteral("春季"), QString(), QString()};
  QStringList items{QStringLiteral("学费"), QStringLiteral("住宿费"), QString()};
  QStringList amounts{QStringLiteral("1200.00"), QStringLiteral("300.00"), QStringLiteral("0.00")};
  QString totalWords = QStringLiteral("壹仟伍佰元整");
  QString total = QStringLiteral("1500.00");

  void Fill(KvTextBoxArray& boxes) const {
    boxes.clear();
    auto add = [&](const QString& text, int row, int left, int right, QList<int> frames, int align,
                   int print) {
      KvTextBox box;
      box.Set(text, left, row, right, row + 1, frames[0], frames[1], frames[2], frames[3], 1, 1, 0,
              2, 2, 1, align, print);
      boxes.append(box);
    };
    const QList<int> under{0, 0, 0, 2};
    add(QStringLiteral("学生姓名："), 0, 0, 10, under, 0, 0);
    add(student, 0, 10, 38, under, 0, 1);
    add(QString(), 0, 38, 43, under, 6, 0);
    add(date.left(4), 0, 43, 47, under, 6, 1);
    add(QStringLiteral("年"), 0, 47, 49, under, 6, 0);
    add(date.mid(4, 2), 0, 49, 51, under, 6, 1);
    add(QStringLiteral("月"), 0, 51, 53, under, 6, 0);
    add(date.mid(6, 2), 0, 53, 55, under, 6, 1);
    add(QStringLiteral("日"), 0, 55, 57, under, 6, 0);
    add(QStringLiteral("学期："), 0, 57, 65, under, 2, 0);
    add(term, 0, 65, 80, under, 0, 0);
    add(QStringLiteral("№："), 0, 80, 90, under, 2, 0);
    add(number, 0, 90, 100, under, 0, 0);
    add(QStringLiteral("摘要"), 1, 0, 40, {2, 2, 1, 1}, 6, 0);
    add(QStringLiteral("费用名称"), 1, 40, 75, {1, 2, 1, 1}, 6, 0);
    add(QStringLiteral("金额"), 1, 75, 100, {1, 2, 2, 1}, 6, 0);
    const int lines = int(amounts.size());
    for (int i = 0; i < lines; ++i) {
      add(memos.value(i), 2 + i, 0, 40, {2, 1, 1, 1}, 0, 1);
      add(items.value(i), 2 + i, 40, 75, {1, 1, 1, 1}, 0, 1);
      add(amounts.value(i), 2 + i, 75, 100, {1, 1, 2, 1}, 6, 1);
    }
    const int total_row = 2 + lines;
    add(QStringLiteral("合计（大写）"), total_row, 0, 20, {2, 1, 1, 2}, 6, 0);
    add(totalWords, total_row, 20, 75, {1, 1, 1, 2}, 0, 1);
    add(total, total_row, 75, 100, {1, 1, 2, 2}, 6, 1);
    add(QStringLiteral("收款单位："), total_row + 1, 0, 10, {0, 2, 0, 0}, 6, 0);
    add(QStringLiteral("青禾中学"), total_row + 1, 10, 60, {0, 2, 0, 0}, 0, 1);
    add(QStringLiteral("复核："), total_row + 1, 60, 70, {0, 2, 0, 0}, 6, 0);
    add(QStringLiteral("李会计"), total_row + 1, 70, 80, {0, 2, 0, 0}, 0, 1);
    add(QStringLiteral("收款："), total_row + 1, 80, 90, {0, 2, 0, 0}, 6, 0);
    add(QStringLiteral("王出纳"), total_row + 1, 90, 100, {0, 2, 0, 0}, 0, 1);
  }
};

// Index of the student's name box and of the first line's amount box.
inline constexpr int kStudentBox = 1;
inline constexpr int kFirstAmountBox = 18;

// What the card tests set and read back.
struct KvFakeCardControl {
  bool readOnly = false;
  bool saveResult = true;
  int saves = 0;
  int exchangesIn = 0;
  int exchangesOut = 0;
  int listSelections = 0;
  int treeUpdates = 0;
};

inline KvFakeCardControl& KvCardControl() {
  static KvFakeCardControl control;
  return control;
}

class KvFakeCardDoc : public CKvCardDoc {
 public:
  KvReceiptLikeCard card;
  // The student's name as last saved.
  QString savedStudent = card.student;
  int afterEdits = 0;

  void LoadOpenArgs() override { SetInsets(10, 80, 10, 50); }
  QString GetCardTitle(int nPage) override {
    (void)nPage;
    return QStringLiteral("学校收费收据");
  }
  int GetTitleHeight(int nPage) override {
    (void)nPage;
    return 2;
  }
  bool FillRows() override {
    card.Fill(m_layout.Fields);
    return true;
  }
  void AfterEdit(int nRow, int nColumn, const QString& text) override {
    (void)nRow, (void)nColumn, (void)text;
    ++afterEdits;
    FillRows();
  }
};

// The card's form: the student's name and the first amount over their
// boxes, the buttons OK, Cancel and print under the card.
class KvFakeCardForm : public CKvCardFrmView {
 public:
  KvFakeCardForm(KvFakeCardDoc* pDoc, QWidget* pParent) : CKvCardFrmView(956, pDoc, pParent) {
    name = KvSetControlId(new QLineEdit(Form()), 1052);
    amount = KvSetControlId(new QLineEdit(Form()), 1300);
    ok = KvSetControlId(new QPushButton(QStringLiteral("&S.确认"), Form()), 1);
    cancel = KvSetControlId(new QPushButton(QStringLiteral("&X.取消"), Form()), 2);
    printButton = KvSetControlId(new QPushButton(QStringLiteral("&P.打印"), Form()), 1050);
    hiddenDefault = KvSetControlId(new QPushButton(QStringLiteral("默认按扭"), Form()), 3);
    for (QWidget* control : QList<QWidget*>{name, amount, ok, cancel, printButton})
      control->resize(control->sizeHint());
  }
  KvFakeCardDoc* doc() const { return static_cast<KvFakeCardDoc*>(GetDocument()); }

  void initialUpdate() override {
    CKvCardFrmView::initialUpdate();
    ExchangeRecord(false);
  }
  void OnUpdate() override {
    CKvCardFrmView::OnUpdate();
    MovePageRect(name, kStudentBox, 3, true);
    MovePageRect(amount, kFirstAmountBox, 3, true);
    const QRect last = doc()->m_layout.PlaceFields(int(doc()->m_layout.Fields.size()) - 1);
    const int top = last.bottom() + 12;
    OffsetPage(ok, doc()->m_layout.PlaceFields(14).left(), top);
    OffsetPage(cancel, last.left() - 200, top);
    OffsetPage(printButton, last.left() - 100, top);
  }
  void ExchangeRecord(bool bSave) override {
    if (bSave) {
      ++KvCardControl().exchangesIn;
      doc()->card.student = name->text();
      doc()->card.amounts[0] = amount->text();
    } else {
      ++KvCardControl().exchangesOut;
      name->setText(doc()->card.student);
      amount->setText(doc()->card.amounts.at(0));
    }
  }
  bool IsReadOnly() override { return KvCardControl().readOnly; }
  bool IsModified(QString& reason) override {
    reason.clear();
    return name->text() != doc()->savedStudent;
  }
  bool SaveRecord(int n) override {
    (void)n;
    ++KvCardControl().saves;
    ExchangeRecord(true);
    if (KvCardControl().saveResult)
      doc()->savedStudent = doc()->card.student;
    UpdateListState();
    return KvCardControl().saveResult;
  }

  QLineEdit* name;
  QLineEdit* amount;
  QPushButton* ok;
  QPushButton* cancel;
  QPushButton* printButton;
  QPushButton* hiddenDefault;
};

// The list of the day's receipts: selecting one loads it into the document
// and the form, dropping the form's edits.
class KvFakeCardList : public CKvListView {
 public:
  KvFakeCardList(KvFakeCardDoc* pDoc, QWidget* pParent) : CKvListView(pParent), m_pDoc(pDoc) {}
  void OnSelChange() override {
    ++KvCardControl().listSelections;
    m_pDoc->card.student = m_pDoc->savedStudent;
    if (auto* pForm = m_pDoc->FindView<KvFakeCardForm>())
      pForm->ExchangeRecord(false);
  }

 private:
  KvFakeCardDoc* m_pDoc;
};

// The receipt window: the list on the left, the card form on the right.
class KvFakeCardFrame : public CFormChildFrm1 {
 public:
  bool CreateClient(CKvDoc* pDoc, const CKvDocTemplate& docTemplate) override {
    if (!CFormChildFrm1::CreateClient(pDoc, docTemplate))
      return false;
    m_pSplitter->addWidget(CreateView<KvFakeCardList, KvFakeCardDoc>(m_pSplitter));
    m_pSplitter->addWidget(CreateView<KvFakeCardForm, KvFakeCardDoc>(m_pSplitter));
    return true;
  }
};

// A tree pane that counts its set-ups.
class KvFakeTreePane : public CKvTreeView {
 public:
  KvFakeTreePane(KvFakeDoc* pDoc, QWidget* pParent) : CKvTreeView(pParent) { (void)pDoc; }
  void initialUpdate() override {
    CKvTreeView::initialUpdate();
    ++KvCardControl().treeUpdates;
  }
};

// A class sheet: the tree of classes beside the grid.
class KvFakeTreeGridFrame : public CFormChildFrm1 {
 public:
  bool CreateClient(CKvDoc* pDoc, const CKvDocTemplate& docTemplate) override {
    if (!CFormChildFrm1::CreateClient(pDoc, docTemplate))
      return false;
    m_pSplitter->addWidget(CreateView<KvFakeTreePane, KvFakeDoc>(m_pSplitter));
    m_pSplitter->addWidget(CreateView<CForthView>(m_pSplitter));
    return true;
  }
};

class KvFakeCardModule : public CFormDataType {
 public:
  KvFakeCardModule() {
    m_nModule = 30;
    m_strCaption = QStringLiteral("测试");
    AddTemplate(CKvDocTemplate::Make<KvFakeCardDoc, KvFakeCardFrame, KvFakeCardForm>(331, 310, false))
        ->AddEntry(0, QStringLiteral("收费收据"), QString(), 0, QStringLiteral("01"), 629, 0);
    AddTemplate(CKvDocTemplate::Make<KvFakeCardDoc, CFormChildFrm, CKvCardView>(331, 311, false))
        ->AddEntry(0, QStringLiteral("收据样张"), QString(), 0, QStringLiteral("01"), 629, 0);
    AddTemplate(CKvDocTemplate::Make<KvFakeDoc, KvFakeTreeGridFrame, CForthView>(331, 312, false))
        ->AddEntry(0, QStringLiteral("班级收费表"), QString(), 0, QStringLiteral("01"), 629, 0);
  }
};
