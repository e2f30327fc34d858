#pragma once
// The common base of the four pages of the form properties sheet
// (CKvPublicSheet), and the list control the three list pages share.
//
// A page holds the sheet's document and the edited template, which it
// changes in place as the operator works; nothing reaches the data file
// before the sheet's OK. Pages show no hints over their controls: F1 over a
// control shows its "What's this" text instead (the sheet does that).
//
// The sheet fills every page's controls when it is built (LoadControls), so
// the sheet's OK can read a page that was never shown. OnSetActive runs each
// time the page is shown, OnKillActive when another page is chosen and in
// the sheet's OK.

#include "ui/CKvListCtrl.h"
#include "ui/CKvPropertyPage.h"

#include <QList>
#include <QStringList>

class CKvDoc;
class CKvPublicPage;
class KvFormEntry;

// The list of a page: its commands, its right-click menu, its clipboard rows
// and its check boxes end in the page.
class CKvPublicPageList : public CKvListCtrl {
  Q_OBJECT
 public:
  CKvPublicPageList(CKvPublicPage* pPage, int nIconId, QWidget* parent);

  // The columns: titles, widths in pixels and formats (LVCFMT_*; left for
  // columns not listed).
  void SetPageColumns(const QStringList& titles, const QList<int>& widths,
                      const QList<int>& formats = {});
  // Widens each column whose texts (or check and icon) need more room than
  // its width; the page calls it after filling the rows.
  void FitColumns();
  // Sets the row's check without telling the page.
  void SetCheckQuietly(int row, bool checked);
  // Selects exactly the rows given (the last one current and shown).
  void SelectRows(const QList<int>& rows);

  int GetColumnFormat(int column) const override;
  void GetIconIds(QList<int>* ids) const override;
  bool IsCmdEnabled(int id) override;
  bool HandlesCmd(int id) const override;
  void ExecuteCmd(int id) override;
  int GetCopyTexts(QStringList* texts) const override;
  void PasteItems(const QStringList& texts, bool bCut, bool bSameFile,
                  const CKvDbInfo& from) override;
  void OnPrepareContextMenu(QMenu* popup) override;
  void OnNew() override;
  void OnOpen() override;
  void OnModify() override;
  void OnDelete() override;

 private:
  CKvPublicPage* m_pPage;
  int m_nIconId;
  QList<int> m_formats;
  QList<int> m_widths;
  bool m_bQuiet = false;
};

class CKvPublicPage : public CKvPropertyPage {
  Q_OBJECT
 public:
  CKvPublicPage(unsigned templateId, CKvDoc* pDoc, KvFormEntry* pEntry, QWidget* parent = nullptr);

  CKvDoc* Document() const { return m_pDoc; }
  KvFormEntry& Entry() const { return *m_pEntry; }
  // The page's caption, its tab's text.
  virtual QString Caption() const = 0;

  // Shows the edited template in the controls.
  virtual void LoadControls() {}
  virtual void OnSetActive() {}
  // Moves what the controls hold into the edited template.
  virtual void OnKillActive() {}

  // No hints over the page's controls.
  void GetToolTipText(QString* text, int controlId) override;

  // --- What the page's list asks (list pages only) ---

  // The page's rule for a command of its list, after the list's own rule
  // (bListRule); the list's rule by default.
  virtual bool IsListCmdEnabled(int id, bool bListRule) { (void)id; return bListRule; }
  // The commands the page's list leaves out of its right-click menu; 43406
  // is added after "删除".
  virtual QList<int> HiddenMenuCommands() const { return {}; }
  virtual void OnListNew() {}
  virtual void OnListModify() {}
  virtual void OnListDelete() {}
  virtual void OnListRestoreDefaults() {}
  // The texts a copy of the selected rows carries.
  virtual void GetListCopyTexts(QStringList* texts) const { texts->clear(); }
  virtual void OnListPaste(const QStringList& texts) { (void)texts; }
  // The operator ticked or cleared the row's check.
  virtual void OnListCheckChanged(int row, bool checked) { (void)row, (void)checked; }

 protected:
  // The control's "What's this" text, which F1 over it shows.
  static void SetHelp(QWidget* control, const QString& text);

 private:
  CKvDoc* m_pDoc;
  KvFormEntry* m_pEntry;
};
