#pragma once
// A drop-down list whose list is a tree: the choice is made in a hierarchy
// (the accounting units, the school's units). The chosen item's text shows in
// a display field (control 4318) that cannot be typed into; the button beside
// it (control 4317), a click in the field or the Down arrow opens the tree
// below the picker, or above it when the screen ends below, right-aligned
// with it when the screen ends to the right.
//
// In the open tree Enter (or a double click) takes the selected item and
// closes the tree; Tab takes it and moves on to the next control (Shift+Tab:
// the previous one); Escape, or a click elsewhere, closes it and leaves the
// choice as it was. The owner hears of it through the signals, which stand
// for the combo-box notification codes: dropDown (7) after the tree opens,
// closeUp (8) after a choice, selEndCancel (10) after the tree closed without
// one, selChange (1) after SelectText chose an item.

#include <QFrame>
#include <QPersistentModelIndex>
#include <QSize>
#include <QString>

class CKvTreeComboEdit;
class CKvTreeComboTree;
class QToolButton;
class QTreeWidgetItem;

class CKvTreeCombo : public QFrame {
  Q_OBJECT
 public:
  enum : int { IDC_BUTTON = 4317, IDC_EDIT = 4318 };

  explicit CKvTreeCombo(QWidget* parent = nullptr);
  ~CKvTreeCombo() override;

  // The size of the open tree (200 × 200 unless set).
  void SetDropSize(const QSize& size) { m_dropSize = size; }
  QSize DropSize() const { return m_dropSize; }

  // Adds the path: one text per level, the levels separated by "\n". Each
  // level is the existing child with that text (exact comparison) or a new
  // last child, so paths that share their first levels share those items.
  // Returns the item of the last level; null for an empty path.
  QTreeWidgetItem* AddPath(const QString& path);
  // Chooses the item of the path (none is added): it is selected, its text
  // shown, and selChange sent. False when the tree has no such item.
  bool SelectText(const QString& path);
  // The text shown: the chosen item's.
  QString GetSelText() const;
  // Removes every item and the shown text.
  void DeleteAll();

  void ShowDropDown();
  bool IsDroppedDown() const { return m_bDropped; }
  // True when the picker, its field or its open tree has the focus.
  bool HasPickerFocus() const;

  CKvTreeComboTree* Tree() const { return m_tree; }
  CKvTreeComboEdit* Edit() const { return m_edit; }

  // Where the tree opens: below the picker (both in screen coordinates),
  // above it when it would pass the screen's bottom, right-aligned with it
  // when it would pass the screen's right edge.
  static QRect DropRect(const QRect& picker, const QSize& size, const QRect& screen);

 signals:
  void dropDown();
  void closeUp();
  void selEndCancel();
  void selChange();

 private:
  friend class CKvTreeComboEdit;
  friend class CKvTreeComboTree;

  // The button, or a click or the Down arrow in the field.
  void onButton();
  // Takes the tree's selected item and closes the tree.
  void takeSelection();
  // Closes the tree, choosing nothing.
  void cancelDropDown();
  // Takes the selection, then moves the focus on (or back).
  void takeAndTab(bool next);
  // The item of the path; with `add` missing levels are added.
  QTreeWidgetItem* findPath(const QString& path, bool add) const;

  CKvTreeComboEdit* m_edit;
  QToolButton* m_button;
  CKvTreeComboTree* m_tree;
  QSize m_dropSize{200, 200};
  QPersistentModelIndex m_selectedAtDrop;
  bool m_bDropped = false;
};
