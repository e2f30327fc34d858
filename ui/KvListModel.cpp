#include "ui/KvListModel.h"

#include <QBrush>
#include <QColor>

KvListModel::KvListModel(QObject* parent) : QAbstractTableModel(parent) {}

void KvListModel::SetColumns(const QStringList& titles, const QList<int>& formats) {
  beginResetModel();
  m_titles = titles;
  m_formats = formats;
  endResetModel();
}

int KvListModel::AppendRow(const QStringList& texts, int image) {
  const int row = int(m_rows.size());
  beginInsertRows(QModelIndex(), row, row);
  m_rows.append(Row{texts, image, false});
  endInsertRows();
  return row;
}

void KvListModel::RemoveRow(int row) {
  if (row < 0 || row >= m_rows.size())
    return;
  beginRemoveRows(QModelIndex(), row, row);
  m_rows.removeAt(row);
  endRemoveRows();
}

void KvListModel::Clear() {
  beginResetModel();
  m_rows.clear();
  endResetModel();
}

QString KvListModel::Text(int row, int column) const {
  if (row < 0 || row >= m_rows.size())
    return QString();
  return m_rows.at(row).texts.value(column);
}

void KvListModel::SetText(int row, int column, const QString& text) {
  if (row < 0 || row >= m_rows.size() || column < 0)
    return;
  QStringList& texts = m_rows[row].texts;
  while (texts.size() <= column)
    texts.append(QString());
  texts[column] = text;
  emit dataChanged(index(row, column), index(row, column), {Qt::DisplayRole});
}

bool KvListModel::Checked(int row) const {
  return row >= 0 && row < m_rows.size() && m_rows.at(row).checked;
}

void KvListModel::SetChecked(int row, bool checked) {
  if (row < 0 || row >= m_rows.size() || m_rows.at(row).checked == checked)
    return;
  m_rows[row].checked = checked;
  emit dataChanged(index(row, 0), index(row, 0), {Qt::CheckStateRole});
}

void KvListModel::SetIcons(const QList<QIcon>& icons) {
  m_icons = icons;
  if (!m_rows.isEmpty())
    emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole});
}

void KvListModel::SetRowColours(const QList<QRgb>& colours) {
  m_rowColours = colours;
  if (!m_rows.isEmpty())
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::BackgroundRole});
}

void KvListModel::SetCheckBoxes(bool on) {
  if (m_checkBoxes == on)
    return;
  beginResetModel();
  m_checkBoxes = on;
  endResetModel();
}

void KvListModel::SetLabelsEditable(bool on) { m_labelsEditable = on; }

int KvListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(m_rows.size());
}

int KvListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(m_titles.size());
}

Qt::Alignment KvListModel::Alignment(int format) {
  switch (format) {
    case kFormatRight: return Qt::AlignRight | Qt::AlignVCenter;
    case kFormatCenter: return Qt::AlignHCenter | Qt::AlignVCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
  }
}

QVariant KvListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= m_rows.size())
    return QVariant();
  const Row& row = m_rows.at(index.row());
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return row.texts.value(index.column());
    case Qt::DecorationRole:
      if (index.column() == 0 && row.image >= 0 && row.image < m_icons.size())
        return m_icons.at(row.image);
      return QVariant();
    case Qt::CheckStateRole:
      if (m_checkBoxes && index.column() == 0)
        return row.checked ? Qt::Checked : Qt::Unchecked;
      return QVariant();
    case Qt::BackgroundRole:
      if (index.row() < m_rowColours.size())
        return QBrush(QColor::fromRgb(m_rowColours.at(index.row())));
      return QVariant();
    case Qt::TextAlignmentRole: return QVariant::fromValue(Alignment(m_formats.value(index.column())));
    default: return QVariant();
  }
}

bool KvListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::CheckStateRole || !m_checkBoxes || !index.isValid() || index.column() != 0)
    return false;
  SetChecked(index.row(), value.toInt() == Qt::Checked);
  return true;
}

QVariant KvListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= m_titles.size())
    return QVariant();
  if (role == Qt::DisplayRole)
    return m_titles.at(section);
  if (role == Qt::TextAlignmentRole)
    return QVariant::fromValue(Alignment(m_formats.value(section)));
  return QVariant();
}

Qt::ItemFlags KvListModel::flags(const QModelIndex& index) const {
  if (!index.isValid())
    return Qt::NoItemFlags;
  Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
  if (index.column() == 0) {
    if (m_checkBoxes)
      flags |= Qt::ItemIsUserCheckable;
    if (m_labelsEditable)
      flags |= Qt::ItemIsEditable;
  }
  return flags;
}
