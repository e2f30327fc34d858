#pragma once
// A list as the export sees it, filled in by the test: column titles,
// alignments and widths, and rows of cell texts.

#include "ui/KvListPrint.h"

#include <QList>
#include <QString>
#include <QStringList>

class KvExportTestRows : public KvRowSource {
 public:
  void AddColumn(const QString& title, Qt::Alignment alignment = Qt::AlignLeft, int pixels = 80) {
    m_titles += title;
    m_alignments += alignment;
    m_widths += pixels;
  }
  void AddRow(const QStringList& cells) { m_rows += cells; }

  int ColumnCount() const override { return int(m_titles.size()); }
  QString ColumnTitle(int column) const override { return m_titles.value(column); }
  Qt::Alignment ColumnAlignment(int column) const override { return m_alignments.value(column); }
  int ColumnPixelWidth(int column) const override { return m_widths.value(column); }
  int RowCount() const override { return int(m_rows.size()); }
  QString CellText(int row, int column) const override { return m_rows.value(row).value(column); }

 private:
  QStringList m_titles;
  QList<Qt::Alignment> m_alignments;
  QList<int> m_widths;
  QList<QStringList> m_rows;
};
