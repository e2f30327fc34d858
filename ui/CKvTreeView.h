#pragma once
// The tree pane of the modules' windows: a tree control that fills a view
// of a document window (a QMdiSubWindow, or a pane of one).
//
// It is a CKvTreeCtrl with the same editing surface: right-click menu 302,
// keys, copy, cut and paste of the selected item's path, find and
// type-ahead, the calculator, check boxes that pass their state to every
// descendant and a double click that opens a leaf. What a view adds:
// - initialUpdate, which the window's owner calls once the view is placed;
//   a derived view fills the tree in its own initialUpdate after the base's;
// - items found by their keys (GetItemKey of their texts): SelectByKeyText
//   finds the item whose copy text is a given text, SelectByPath the item
//   of a list of keys, root first;
// - a find from the find dialog looks from the top, not on from the last
//   match (find next and type-ahead go on from it);
// - its own enabling: copy, cut, open, modify and delete need a selected
//   item, find a tree with items, find next also a find text; every other
//   command is the module's to refuse (IsCmdAllowed). Printing and save as
//   are not the tree's commands: they go on to the window that takes them.
//
// The icons come from GetIconIds; a second (state) icon list is accepted
// and not used. A module's view derives from it and fills in the hooks:
// initialUpdate, GetIconIds, OnPrepareContextMenu, IsCmdAllowed and the
// operations new, open, modify, delete and paste.

#include "ui/CKvTreeCtrl.h"

class CKvTreeView : public CKvTreeCtrl {
  Q_OBJECT
 public:
  explicit CKvTreeView(QWidget* parent = nullptr);

  // Sets the tree up: InitTree (the clipboard format, then InitImages).
  virtual void initialUpdate();

  // --- Hooks ---

  // The icons of GetIconIds.
  virtual void InitImages();
  // The selected item's copy text: the keys of its path joined.
  virtual QString GetCopyText() const;
  // The texts from the top level down to the item (null: the selected
  // item); returns their number, 0 when there is no such item.
  virtual int GetItemPath(QStringList* path, QTreeWidgetItem* item) const;
  // The texts a copy carries: the path of the selected item.
  virtual int GetSelectedPath(QStringList* path) const;
  // Reads rows of the view's clipboard format; returns their number.
  virtual int ReadClipboardRows(QStringList* texts, bool* bCut, bool* bSameFile, CKvDbInfo* from);
  // What pasting the rows means; nothing by default.
  virtual void PasteRows(const QStringList& texts, bool bCut, bool bSameFile,
                         const CKvDbInfo& from);
  // The operator set or cleared the item's box: SetCheckChildren.
  virtual void OnCheckChanged(QTreeWidgetItem* item, bool checked);
  // Every descendant of the item takes the check state.
  virtual void SetCheckChildren(QTreeWidgetItem* item, bool checked);
  // The key by which an item is compared and copied: its text by default.
  virtual QString GetItemKey(const QString& text) const;

  // Selects, expands and shows the item whose path keys joined give the
  // text (the item whose GetCopyText it is): the first such item in
  // pre-order, also where an item's key is only the start of another's.
  // Null, with the selection unchanged, when there is none.
  QTreeWidgetItem* SelectByKeyText(const QString& text);
  // Selects, expands and shows the item reached by taking, level by level
  // from the top, the first item whose key is the path's next entry. Null,
  // with the selection unchanged, when a level has no such item or the path
  // is empty.
  QTreeWidgetItem* SelectByPath(const QStringList& path);

  // Single expand (off by default): the item that becomes current expands,
  // with every item above it, and the branch of the item current before
  // closes up to the items the two share; selecting an item above the old
  // one closes nothing.
  void SetSingleExpand(bool bOn) { m_bSingleExpand = bOn; }

  // --- What the tree control's hooks mean for a view ---

  bool IsCmdEnabled(int id) override;
  // Asks for a text and looks for it from the top.
  void OnFind() override;
  // The commands of menu 302 and nothing else.
  bool HandlesCmd(int id) const override;

  void LoadImageLists() final { InitImages(); }
  int GetPathTexts(QStringList* texts, QTreeWidgetItem* item = nullptr) const final {
    return GetItemPath(texts, item);
  }
  int GetCopyTexts(QStringList* texts) const final { return GetSelectedPath(texts); }
  int ReadClipboard(QStringList* texts, bool* bCut, bool* bSameFile, CKvDbInfo* from) final {
    return ReadClipboardRows(texts, bCut, bSameFile, from);
  }
  void PasteItems(const QStringList& texts, bool bCut, bool bSameFile, const CKvDbInfo& from) final {
    PasteRows(texts, bCut, bSameFile, from);
  }
  void CheckItem(QTreeWidgetItem* item, bool checked) final { OnCheckChanged(item, checked); }
  void CheckChildren(QTreeWidgetItem* item, bool checked) final { SetCheckChildren(item, checked); }
  QString FormatPathPart(const QString& text) const final { return GetItemKey(text); }

 private:
  // Below `parent` (null: the top level), the first item in pre-order whose
  // keys, after `joined`, give `text`.
  QTreeWidgetItem* findKeyText(QTreeWidgetItem* parent, const QString& joined, const QString& text) const;
  void selectAndExpand(QTreeWidgetItem* item);
  void expandSingle(QTreeWidgetItem* current, QTreeWidgetItem* previous);

  bool m_bSingleExpand = false;
};
