#pragma once
// The form properties sheet ("文档属性"): a tabbed dialog over the form
// template behind an open grid document, with the general page and the
// pages of columns, column-head blocks and head and tail fields that the
// document offers (CKvDoc::HasPropertyPage).
//
// The pages change an edited copy of the template; the initial copy, taken
// when the sheet is built, never changes. OK validates the whole template,
// asks the document about each kind of change (CKvDoc::OnLayoutChange),
// and then writes in one transaction: a new sequence number moves the
// template's print settings of every printer and its Cs 9000 rows to the
// new number; the template's rows of the four layout tables are rewritten;
// the current printer's print settings are written back under the new
// number. Other printers' settings stay. A write that fails changes nothing
// and keeps the sheet open. A successful OK is logged (operation 15).
//
// The write first takes the lock of KvFormList and reads the template
// again: when another window or workstation changed, deleted or replaced
// it since the sheet read it, or took the new number, nothing is written,
// "文档模板已被其他窗口或工作站修改，请关闭后重新设置！" (or the number's
// refusal) is shown and the sheet stays open. A title that the store would
// cut ("标题名称太长，返回修改。") and a template left without head and
// tail fields where the module has default ones
// ("表头表尾字域不能全部删除，至少保留一个！") are refused the same way.
//
// F1 over a control (and the title bar's help button) shows the control's
// "What's this" text; a request over no control is ignored.

#include "forms/KvFormEntry.h"

#include <QDialog>

class CKvDoc;
class CKvPublicPage;
class CKvPublicPage1;
class CKvPublicPage2;
class CKvPublicPage3;
class CKvPublicPage4;
class QTabWidget;

class CKvPublicSheet : public QDialog {
  Q_OBJECT
 public:
  // The sheet over the document's template; nFirstPage is the index of the
  // page shown first.
  CKvPublicSheet(CKvDoc* pDoc, const QString& caption, QWidget* parent = nullptr, int nFirstPage = 0);

  CKvDoc* Document() const { return m_pDoc; }
  KvFormEntry& Edited() { return m_edited; }
  const KvFormEntry& Initial() const { return m_initial; }
  QTabWidget* Tabs() const { return m_pTabs; }
  // The pages; null for a page the document does not offer.
  CKvPublicPage1* Page1() const { return m_pPage1; }
  CKvPublicPage2* Page2() const { return m_pPage2; }
  CKvPublicPage3* Page3() const { return m_pPage3; }
  CKvPublicPage4* Page4() const { return m_pPage4; }

  // Command 1: checks, asks, writes and closes (see above).
  void OnOK();
  void accept() override { OnOK(); }

  // Shows the "What's this" text of the control (or of the nearest control
  // around it that has one); false when there is none.
  bool ShowHelpFor(QWidget* control);

 private:
  void addPage(CKvPublicPage* pPage);
  void pageChanged(int index);
  // Asks the document about one kind of change; false stops the OK.
  bool mayChange(int nKind, int nIndex);
  // Whether the sequence number is taken by a stored template or a type of
  // the module.
  bool isNumberUsed(int nFlag, int nForm) const;
  enum class WriteResult { Written, Failed, ChangedElsewhere, NumberTaken };
  // The write of OK, in one transaction under the lock of KvFormList;
  // anything but Written keeps nothing.
  WriteResult writeTemplate(int nOldForm);
  // "文档模板的序号已被使用，返回修改！", the number's field focused.
  void refuseNumber();

  CKvDoc* m_pDoc;
  KvFormEntry m_edited;
  KvFormEntry m_initial;
  // The template's stored layout as the sheet read it, and that read's
  // result (1 stored, 0 not stored, -1 unreadable).
  KvFormEntry m_stored;
  int m_nStoredFound = 0;
  QTabWidget* m_pTabs;
  CKvPublicPage1* m_pPage1 = nullptr;
  CKvPublicPage2* m_pPage2 = nullptr;
  CKvPublicPage3* m_pPage3 = nullptr;
  CKvPublicPage4* m_pPage4 = nullptr;
  int m_nCurrentPage = -1;
};

// Makes 43114 of every form document run the sheet. Called once at start-up.
void KvInstallPublicSheet();
