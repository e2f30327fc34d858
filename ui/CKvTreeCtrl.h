#pragma once
// The tree control of the program's dialogs and the base of its code trees.
//
// It shares the list control's ways: a right-click menu (302) whose commands
// end in virtual operations, copy, cut and paste through the row clipboard
// format (KvRowClipboard.h), the find dialog with its history, type-ahead
// search on pinyin initials, and the calculator. Particular to the tree:
// - a copy carries the path of the selected item, root first, one text per
//   level;
// - a search walks the items in pre-order from the item after the last
//   match and offers to start again from the top;
// - a check box the operator sets or clears passes its state to every
//   descendant (never up to the parents);
// - a double click on a leaf opens it.
//
// The owner calls InitTree, then fills the tree with QTreeWidgetItems (one
// column; ImageIcon gives the icons of GetIconIds).

#include "ui/KvRowControl.h"

#include <QIcon>
#include <QList>
#include <QStringList>
#include <QTreeWidget>

class CKvTreeCtrl : public QTreeWidget, public KvRowControl {
  Q_OBJECT
 public:
  explicit CKvTreeCtrl(QWidget* parent = nullptr);

  void OnCalculator() override;
  // Takes the clipboard format (GetClipboardFormat) and the icons.
  virtual void InitTree();
  // The item icons of the first list of GetIconIds.
  virtual void LoadImageLists();
  // Two lists of icon ids: the first gives the item icons; the second is
  // accepted for the derived trees that give one, and not used.
  virtual void GetIconIds(QList<int>* itemIcons, QList<int>* secondIcons) const;
  bool IsCmdEnabled(int id) override;
  // The texts of GetPathTexts, each through FormatPathPart, joined.
  virtual QString GetPathText(QTreeWidgetItem* item = nullptr) const;
  // The texts from the root down to the item (null: the selected item);
  // returns their number, 0 when there is no such item.
  virtual int GetPathTexts(QStringList* texts, QTreeWidgetItem* item = nullptr) const;
  // The selected item's text; false and empty when none is selected.
  virtual bool GetSelectedText(QString* text) const;
  // The path of the selected item.
  int GetCopyTexts(QStringList* texts) const override;
  // The operator set or cleared the item's check box: CheckChildren.
  virtual void CheckItem(QTreeWidgetItem* item, bool checked);
  // Every descendant of the item gets the check state.
  virtual void CheckChildren(QTreeWidgetItem* item, bool checked);
  // A level's text as GetPathText joins it; unchanged by default.
  virtual QString FormatPathPart(const QString& text) const;
  // Below the item (null: the whole tree), at any depth, the first item in
  // pre-order whose text equals the text; it is selected. Null when none.
  virtual QTreeWidgetItem* FindChildText(QTreeWidgetItem* parent, const QString& text);
  // Find and find next search in pre-order from the item after the last
  // match.
  void OnFind() override;
  void OnFindNext() override;

  // The icon of an image index (none outside the icons loaded).
  QIcon ImageIcon(int image) const { return m_icons.value(image); }
  // The selected item; null when none.
  QTreeWidgetItem* SelectedItem() const;

  bool HandlesCmd(int id) const override;

 protected:
  // Forgets the find text and starts the next search at the top.
  void ResetFind();
  // Claims the keys every row control shares before the window's shortcuts
  // see them.
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  // Looks for the find text in pre-order from the search position.
  void search();
  // The check state of the item's box; -1 when it has none.
  static int checkState(const QTreeWidgetItem* item);

  QList<QIcon> m_icons;
  int m_nSearchStart = 0;
};
