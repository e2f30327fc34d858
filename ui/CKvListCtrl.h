#pragma once
// The list control of the program's dialogs: rows of texts in columns, shown
// in details (a QTreeView, the default) or as large icons, small icons or a
// list (a QListView); both views show one model and share one selection.
//
// Every list has the same right-click menu (300) and keys, copy, cut and
// paste of rows through the private row clipboard format (KvRowClipboard.h),
// select all and invert selection, a find dialog with a history and type-ahead
// search on pinyin initials, per-row background colours, save as, print, page
// setup and printer setup. Each command ends in a virtual operation, so that
// a dialog's own list (a derived class) decides what new, open, modify,
// delete and paste mean; IsCmdEnabled gives the list's rules and IsCmdAllowed
// lets the derived class refuse single commands.
//
// The list takes the application's connection when it is made; the owner
// calls InitList, then SetColumns, then adds the rows with AddRow.

#include "ui/KvListPrint.h"
#include "ui/KvRowControl.h"

#include <QList>
#include <QPoint>
#include <QRgb>
#include <QStringList>
#include <QWidget>

class KvListDelegate;
class KvListModel;
class QAbstractItemView;
class QListView;
class QMenu;
class QStackedLayout;
class QTreeView;

class CKvListCtrl : public QWidget, public KvRowControl, public KvRowSource {
  Q_OBJECT
 public:
  // Style bits (ModifyStyle): the view type in the low two bits, single
  // selection and in-place editing of the first column.
  enum : unsigned {
    LVS_ICON = 0x0000,
    LVS_REPORT = 0x0001,
    LVS_SMALLICON = 0x0002,
    LVS_LIST = 0x0003,
    LVS_TYPEMASK = 0x0003,
    LVS_SINGLESEL = 0x0004,
    LVS_EDITLABELS = 0x0200,
  };
  // Extended style bits (SetExStyle). Rows are always selected whole.
  enum : unsigned {
    LVS_EX_GRIDLINES = 0x0001,
    LVS_EX_CHECKBOXES = 0x0004,
    LVS_EX_FULLROWSELECT = 0x0020,
  };
  // Column formats (GetColumnFormat).
  enum : int { LVCFMT_LEFT = 0, LVCFMT_RIGHT = 1, LVCFMT_CENTER = 2 };

  explicit CKvListCtrl(QWidget* parent = nullptr);
  ~CKvListCtrl() override;

  // --- Setting up ---

  // Takes the clipboard format (GetClipboardFormat) and the icons
  // (LoadImageLists) and removes the row colours.
  void InitList();
  // Icons of the ids GetIconIds gives, for both icon sizes; the icons stay
  // as they were when it gives none.
  void LoadImageLists();
  // Replaces the columns: titles, widths in pixels and GetColumnFormat(i).
  void SetColumns(const QStringList& titles, const QList<int>& widths);
  // Appends a row: the first text in the first column with the image (none
  // when below 0), unchecked, the other texts in the next columns. Returns
  // the number of texts; an empty list adds nothing and returns 0.
  int AddRow(const QStringList& texts, int image = -1);
  void SetExStyle(unsigned bits);
  unsigned GetExStyle() const { return m_nExStyle; }
  void ModifyStyle(unsigned remove, unsigned add);
  unsigned GetStyle() const { return m_nStyle; }
  // The background colour of rows 0, 1, ...; other rows keep the list's.
  void SetRowColours(const QList<QRgb>& colours);

  // --- Rows ---

  int GetItemCount() const;
  QString GetItemText(int row, int column) const;
  void SetItemText(int row, int column, const QString& text);
  void DeleteItem(int row);
  void DeleteAllItems();
  void SetCheck(int row, bool checked);
  bool GetCheck(int row) const;
  bool IsSelected(int row) const;
  // The selected rows, ascending.
  QList<int> GetSelectedRows() const;
  // The first selected row; -1 when none.
  int GetFirstSelected() const;
  // Selects (and shows, and makes current) the first row whose first-column
  // text equals the text; with bNotLess the first row whose text sorts at or
  // after it (code-point order), else the last row. -1 when none qualifies.
  int FindAndSelect(const QString& text, bool bNotLess = false);
  // Selects every row whose first-column text is one of the texts, each
  // text matching one row; returns the number of texts found.
  int SelectTexts(const QStringList& texts);
  int GetColumnCount() const;
  // At most 255 characters.
  QString GetColumnTitle(int column) const;
  // The details column under the screen point; 0 when none.
  int ColumnFromPoint(const QPoint& globalPos) const;

  // The whole list as tab-separated text (the list export's text writer).
  bool WriteText(const QString& path) const;
  // Print identity: the form id and title of the list's print format: what
  // GetPrintInfo gives, else the template id and caption of the CKvDlg the
  // list stands in. False without an open connection or either source.
  bool GetPrintIdentity(int* formId, QString* title) const;

  // The view that shows the rows now, and the details view.
  QAbstractItemView* View() const;
  QTreeView* DetailsView() const { return m_details; }
  // Whether the last in-place edit of a first-column text was cancelled.
  bool LabelEditCancelled() const { return m_bLabelEditCancelled; }

  // --- Virtual operations ---

  // The first-column texts of the selected rows, in row order.
  virtual int GetSelectedTexts(QStringList* texts) const;
  // The selected rows' texts.
  int GetCopyTexts(QStringList* texts) const override;
  bool IsCmdEnabled(int id) override;
  virtual int GetColumnFormat(int column) const;
  virtual void GetIconIds(QList<int>* ids) const;
  // The form id and title for printing; false (the default) leaves it to the
  // dialog the list stands in.
  virtual bool GetPrintInfo(int* formId, QString* title) const;
  virtual void SelectAll();
  virtual void InvertSelection();
  virtual void OnMoveLeft() {}
  virtual void OnMoveRight() {}
  virtual void OnSaveAs();
  virtual void OnPrint();
  virtual void OnPageSetup();
  virtual void OnPrintSetup();

  // Find asks for a text (searched in the column under the mouse when the
  // right-click menu asked) and looks from the row after the first selected
  // one; find next from the row after the last match. Both go round the
  // end of the list.
  void OnFind() override;
  void OnFindNext() override;
  void OnCalculator() override;

  bool HandlesCmd(int id) const override;
  void ExecuteCmd(int id) override;

  // The rows as the export and the printer read them.
  int ColumnCount() const override;
  QString ColumnTitle(int column) const override;
  Qt::Alignment ColumnAlignment(int column) const override;
  int ColumnPixelWidth(int column) const override;
  int RowCount() const override;
  QString CellText(int row, int column) const override;

 signals:
  // An in-place edit of a first-column text ended with this text; the row
  // keeps its old text unless the receiver changes it.
  void labelEdited(int row, const QString& text);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // The right-click menu before OnPrepareContextMenu sees it: menu 300. A
  // list view shows fewer commands.
  virtual QMenu* BuildContextMenu();
  // Forgets the find text and starts the next search at the top.
  void ResetFind();
  // Handles a key of the list's table; true when the key was taken.
  virtual bool HandleKey(const QKeyEvent* event);
  // Whether the list claims the key before the window's shortcuts see it:
  // the keys every row control shares.
  virtual bool ClaimsKey(const QKeyEvent* event) const;

 private:
  friend class KvListDelegate;

  // Shows the view of the style's view type.
  void showViewType();
  QListView* iconView();
  void watchView(QAbstractItemView* view);
  void applySelectionMode();
  void applyEditing();
  void showContextMenu(QAbstractItemView* view, const QPoint& viewportPos);
  // Looks for the find text from the row after the search start, around.
  void search();
  void selectOnly(int row);

  KvListModel* m_model;
  QStackedLayout* m_stack;
  QTreeView* m_details;
  KvListDelegate* m_delegate;
  QListView* m_icons = nullptr;
  unsigned m_nStyle = LVS_REPORT;
  unsigned m_nExStyle = 0;
  int m_nSearchColumn = 1;
  int m_nSearchStart = 0;
  QPoint m_menuPoint;
  bool m_bFromMenu = false;
  bool m_bLabelEditCancelled = false;
  bool m_bEditing = false;
};
