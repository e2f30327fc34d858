#pragma once
// The columns page of the form properties sheet ("栏 属 性"): one row per
// column of the edited template, its check showing whether the grid shows
// the column. New and modify open the column dialog (CKvColumnDlg); a column
// bound to a document field cannot be deleted, and its check changes only
// when the document leaves the column free (its column mark 2). The document
// may force a bound column shown or hidden each time the list is filled.

#include "forms/CKvPublicPage.h"

struct KvColumnDef;

class CKvPublicPage2 : public CKvPublicPage {
  Q_OBJECT
 public:
  enum : int { IDC_LIST = 1007 };

  CKvPublicPage2(CKvDoc* pDoc, KvFormEntry* pEntry, QWidget* parent = nullptr);

  QString Caption() const override;
  void LoadControls() override;

  CKvPublicPageList* List() const { return m_pList; }
  // Rebuilds the rows from the template.
  void Fill();

  // The name of a scale exponent (-6..6): "百万分之一" .. "原数" .. "百万倍".
  static QString ScaleName(int nExponent);
  static QStringList ScaleNames();
  // The name of a column kind: "固定栏", "公式栏", "运算栏".
  static QString KindName(int nKind);

  bool IsListCmdEnabled(int id, bool bListRule) override;
  QList<int> HiddenMenuCommands() const override;
  void OnListNew() override;
  void OnListModify() override;
  void OnListDelete() override;
  void OnListRestoreDefaults() override;
  void OnListCheckChanged(int row, bool checked) override;

 private:
  // Runs the column dialog on the column (new: inserted there); selects the
  // column it leaves.
  void editColumn(int nIndex, bool bNew);
  // 0, 1, ... n - 1: each of n columns where it was.
  static QList<int> sameColumns(qsizetype n);

  CKvPublicPageList* m_pList;
};
