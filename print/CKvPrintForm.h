#pragma once
// Prints a positioned-print layout: every field's text at its place on the
// queue's default paper, measured from the paper's corner, with the macro
// tokens in the texts replaced by the values the owner adds.
//
// Replacing looks for the longest token first at each place of a text and
// never looks again inside a value put in, so "#dd" does not eat the start
// of "#ddx", and a value that happens to hold a token stays as it is. A
// token no macro was added for stays in the text.
//
// The owner logs the print itself: the form writes no log entry.

#include "print/CKvPrintJob.h"
#include "print/KvPrintPosFields.h"

#include <QList>
#include <QString>
#include <utility>

class CKvDb;

class CKvPrintForm : public CKvPrintJob {
public:
  // The layout's fields as stored on the connection (null: the
  // application's), over the module's defaults; when they cannot be read
  // the defaults stand and IsLoaded is false.
  CKvPrintForm(CKvDb* db, int layoutId);
  // The given fields of a layout, as they stand.
  CKvPrintForm(int layoutId, const QList<KvPrintPosField>& fields);

  // Adds a token and its value (a token added again takes the new value).
  void AddMacro(const QString& token, const QString& value);
  // A field text with the macros replaced.
  QString Expand(const QString& text) const;

  // Prints with the command: 0xE108 without the print dialog, 57607 with it,
  // 0xE109 as a preview. True when printed.
  bool Print(int command = KV_CMD_FILE_PRINT_DIRECT, QWidget* parent = nullptr);

  const QList<KvPrintPosField>& Fields() const { return m_fields; }
  // Whether the fields are the layout's as stored (or were given).
  bool IsLoaded() const { return m_bLoaded; }

  int PageCount(const KvPageMap& map) override;
  void PrintPage(QPainter& painter, const KvPageMap& map, int page) override;

protected:
  KvPaperRequest Paper() const override;

private:
  void nameAfterLayout();

  int m_layoutId;
  QList<KvPrintPosField> m_fields;
  bool m_bLoaded = true;
  // Tokens longest first.
  QList<std::pair<QString, QString>> m_macros;
};
