#pragma once
// A combo box whose items carry icons from the program's resources: an item
// has an image, an image for the selected state and an indent (in steps of
// 10 pixels in the drop-down list). Image numbers index the icon list set
// with SetIcons; a number outside it shows no icon. Overlay images are not
// drawn: the overlay argument is kept so that callers can pass the item
// description they have.

#include <QComboBox>
#include <QIcon>
#include <QList>

class CKvComboBoxEx : public QComboBox {
  Q_OBJECT
 public:
  explicit CKvComboBoxEx(QWidget* parent = nullptr);

  // Replaces the icon list with 16 x 16 icons loaded from the resources
  // ":/icons/icon_<id>.png" (or ".svg"), one per id in order. An icon that
  // cannot be loaded keeps its place as an empty icon, so later numbers
  // still point at the icons they were meant for.
  void SetIcons(const QList<int>& iconIds);
  int IconCount() const { return static_cast<int>(m_icons.size()); }

  // Inserts an item at `position` (the end when it is past the end or
  // negative). Negative image, indent and overlay values leave them unset; a
  // selected image of -1 takes the image. Returns the item's index.
  int InsertItem(int position, const QString& text, int image = -1, int selectedImage = -1,
                 int indent = -1, int overlay = -1);
  int AddItem(const QString& text, int image = -1, int selectedImage = -1, int indent = -1,
              int overlay = -1);

  // Searches the items after `start` (-1: from the first) for one whose text
  // begins with `text` (an empty text finds the first empty item). Selects and
  // returns the first match; -1 and no change of the selection when none.
  int FindItem(int start, const QString& text);

  // The icon of an image number; an empty icon outside the list.
  QIcon IconAt(int image) const;

  // Item data roles holding an item's image numbers and indent.
  enum : int {
    ImageRole = Qt::UserRole + 100,
    SelectedImageRole,
    IndentRole,
  };

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void refreshIcons();

  QList<QIcon> m_icons;
};
