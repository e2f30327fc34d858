#pragma once
// The rows and columns of a list control (CKvListCtrl): one model that the
// list's details view and its icon views share. A row holds the texts of its
// cells, an image index into the list's icons, a check state and perhaps a
// background colour; a column
// its title and its format (0 left, 1 right, 2 centred). Only the check
// state can be changed through the views: the texts change only through the
// list's own calls.

#include <QAbstractTableModel>
#include <QIcon>
#include <QList>
#include <QRgb>
#include <QStringList>

class KvListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  // Column formats, as the list's GetColumnFormat gives them.
  enum : int { kFormatLeft = 0, kFormatRight = 1, kFormatCenter = 2 };

  explicit KvListModel(QObject* parent);

  // Replaces the columns; the rows keep their texts.
  void SetColumns(const QStringList& titles, const QList<int>& formats);
  int ColumnFormat(int column) const { return m_formats.value(column); }
  QString ColumnTitle(int column) const { return m_titles.value(column); }

  // Appends a row; returns its index.
  int AppendRow(const QStringList& texts, int image);
  void RemoveRow(int row);
  void Clear();

  QString Text(int row, int column) const;
  void SetText(int row, int column, const QString& text);
  bool Checked(int row) const;
  void SetChecked(int row, bool checked);

  void SetIcons(const QList<QIcon>& icons);
  // The background colour of each row from the first on; rows beyond the
  // list keep the views' own background.
  void SetRowColours(const QList<QRgb>& colours);
  // Check boxes in the first column, and whether the first column's texts
  // may be edited in place.
  void SetCheckBoxes(bool on);
  void SetLabelsEditable(bool on);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // The alignment of a column format.
  static Qt::Alignment Alignment(int format);

 private:
  struct Row {
    QStringList texts;
    int image = -1;
    bool checked = false;
  };

  QList<Row> m_rows;
  QStringList m_titles;
  QList<int> m_formats;
  QList<QIcon> m_icons;
  QList<QRgb> m_rowColours;
  bool m_checkBoxes = false;
  bool m_labelsEditable = false;
};
