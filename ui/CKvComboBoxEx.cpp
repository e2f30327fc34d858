#include "ui/CKvComboBoxEx.h"

#include "ui/KvResources.h"

#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>
#include <QStylePainter>

namespace {
constexpr int kIconSize = 16;
constexpr int kIndentStep = 10;

// Draws the drop-down list's items with their indent and, for the
// highlighted item, its selected image.
class IndentedIconDelegate : public QStyledItemDelegate {
 public:
  IndentedIconDelegate(const CKvComboBoxEx* combo, QObject* parent)
      : QStyledItemDelegate(parent), m_combo(combo) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem indented(option);
    indented.rect.setLeft(option.rect.left() + indentOf(index));
    QStyledItemDelegate::paint(painter, indented, index);
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.rwidth() += indentOf(index);
    return size;
  }

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    if (option->state & QStyle::State_Selected) {
      const QVariant selected = index.data(CKvComboBoxEx::SelectedImageRole);
      if (selected.isValid())
        option->icon = m_combo->IconAt(selected.toInt());
    }
  }

 private:
  static int indentOf(const QModelIndex& index) {
    return qMax(0, index.data(CKvComboBoxEx::IndentRole).toInt()) * kIndentStep;
  }

  const CKvComboBoxEx* m_combo;
};
}  // namespace

CKvComboBoxEx::CKvComboBoxEx(QWidget* parent) : QComboBox(parent) {
  setIconSize(QSize(kIconSize, kIconSize));
  setItemDelegate(new IndentedIconDelegate(this, this));
}

void CKvComboBoxEx::SetIcons(const QList<int>& iconIds) {
  m_icons.clear();
  m_icons.reserve(iconIds.size());
  for (int id : iconIds)
    m_icons.append(KvResourceIcon(id));
  refreshIcons();
}

QIcon CKvComboBoxEx::IconAt(int image) const {
  if (image < 0 || image >= m_icons.size())
    return QIcon();
  return m_icons.at(image);
}

int CKvComboBoxEx::InsertItem(int position, const QString& text, int image, int selectedImage,
                              int indent, int overlay) {
  Q_UNUSED(overlay);
  if (position < 0 || position > count())
    position = count();
  insertItem(position, text);
  if (image >= 0)
    setItemData(position, image, ImageRole);
  const int selected = selectedImage == -1 ? image : selectedImage;
  if (selected >= 0)
    setItemData(position, selected, SelectedImageRole);
  if (indent >= 0)
    setItemData(position, indent, IndentRole);
  setItemIcon(position, image >= 0 ? IconAt(image) : QIcon());
  return position;
}

int CKvComboBoxEx::AddItem(const QString& text, int image, int selectedImage, int indent,
                           int overlay) {
  return InsertItem(count(), text, image, selectedImage, indent, overlay);
}

int CKvComboBoxEx::FindItem(int start, const QString& text) {
  for (int i = qMax(start + 1, 0); i < count(); ++i) {
    const QString item = itemText(i);
    const bool match = text.isEmpty() ? item.isEmpty() : item.startsWith(text);
    if (match) {
      setCurrentIndex(i);
      return i;
    }
  }
  return -1;
}

void CKvComboBoxEx::refreshIcons() {
  for (int i = 0; i < count(); ++i) {
    const QVariant image = itemData(i, ImageRole);
    setItemIcon(i, image.isValid() ? IconAt(image.toInt()) : QIcon());
  }
}

// The closed box shows the current item with its selected image.
void CKvComboBoxEx::paintEvent(QPaintEvent* event) {
  Q_UNUSED(event);
  QStylePainter painter(this);
  painter.setPen(palette().color(QPalette::Text));
  QStyleOptionComboBox option;
  initStyleOption(&option);
  const QVariant selected = itemData(currentIndex(), SelectedImageRole);
  if (selected.isValid())
    option.currentIcon = IconAt(selected.toInt());
  if (currentIndex() < 0 && !placeholderText().isEmpty()) {
    option.palette.setBrush(QPalette::ButtonText, option.palette.placeholderText());
    option.currentText = placeholderText();
  }
  painter.drawComplexControl(QStyle::CC_ComboBox, option);
  painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}
