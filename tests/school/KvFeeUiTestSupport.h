#pragma once
// What the tests of the fee module's windows share: dialogs answered by a
// script (each shown, so that its setup ran, then handed to the script,
// whose result is the dialog's), typing into fields, pressing a control,
// rights for the logged-in operator, and a picture of a window for
// looking at it, what a fee report shows, the class fee sheet's tree
// chosen and its amounts typed, and a receipt printed onto the
// positioned form read back.

#include "app/CKvApp.h"
#include "core/CKvDb.h"
#include "forms/CKvDoc.h"
#include "forms/KvColumnDef.h"
#include "print/KvPdfReadBack.h"
#include "school/CXxDjDoc0.h"
#include "school/CXxDjTreeView.h"
#include "school/CXxDjView0.h"
#include "ui/KvModal.h"
#include "ui/KvObjectNames.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDialog>
#include <QLineEdit>
#include <QString>
#include <QStringList>
#include <QTreeWidgetItem>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <functional>

class KvFeeDialogScript {
 public:
  explicit KvFeeDialogScript(std::function<void(QDialog*)> fn)
      : m_previous(KvSetDialogExec([fn](QDialog* dialog) {
          dialog->show();
          fn(dialog);
          dialog->hide();
          return dialog->result();
        })) {}
  ~KvFeeDialogScript() { KvSetDialogExec(std::move(m_previous)); }
  KvFeeDialogScript(const KvFeeDialogScript&) = delete;
  KvFeeDialogScript& operator=(const KvFeeDialogScript&) = delete;

 private:
  KvDialogExecFn m_previous;
};

// Gives the logged-in operator the rights and loads them.
inline bool KvGrantRights(CKvApp& app, const QStringList& codes) {
  for (const QString& code : codes)
    if (!app.GetDb()->Execute(QStringLiteral("Insert Into PWR(OPNO,PWR) Values('%1','%2')")
                                  .arg(app.GetDataFile().GetOperatorCode(), code)))
      return false;
  return app.GetDataFile().LoadRights();
}

// The text of the line edit `id` of the window.
inline QString KvFieldText(const QWidget* window, int id) {
  const auto* edit = KvDlgItem<QLineEdit>(window, id);
  return edit ? edit->text() : QStringLiteral("<no field>");
}
inline void KvSetField(QWidget* window, int id, const QString& text) {
  if (auto* edit = KvDlgItem<QLineEdit>(window, id))
    edit->setText(text);
}
inline void KvPress(QWidget* window, int id) {
  if (auto* button = KvDlgItem<QAbstractButton>(window, id))
    button->click();
}
// Saves a picture of the window under /tmp when KV_SHOTS is set.
inline void KvShot(QWidget* window, const QString& name) {
  if (!qEnvironmentVariableIsSet("KV_SHOTS"))
    return;
  if (qobject_cast<QDialog*>(window))
    window->adjustSize();
  else
    window->resize(1000, 420);
  window->grab().save(QStringLiteral("/tmp/kv_%1.png").arg(name));
}

// The titles of the columns a report shows (row -1), or a row's texts in
// them.
inline QStringList KvShownCells(const CKvDoc* doc, int row = -1) {
  QStringList texts;
  for (int cell : doc->m_colMap) {
    KvColumnDef def;
    KvParseColumnDef(doc->m_formEntry.formulas.at(cell), def);
    texts << (row < 0 ? def.sTitle : doc->m_rows.at(row).at(cell));
  }
  return texts;
}

// The class fee sheet's tree node reached by the texts, root first; null
// when there is none.
inline QTreeWidgetItem* KvFeeNode(CXxDjDoc0* doc, const QStringList& path) {
  CXxDjTreeView* tree = doc->FindView<CXxDjTreeView>();
  QTreeWidgetItem* item = nullptr;
  for (const QString& text : path) {
    QTreeWidgetItem* next = nullptr;
    const int count = item ? item->childCount() : tree->topLevelItemCount();
    for (int i = 0; i < count && !next; ++i) {
      QTreeWidgetItem* child = item ? item->child(i) : tree->topLevelItem(i);
      if (child->text(0) == text)
        next = child;
    }
    if (!next)
      return nullptr;
    item = next;
  }
  return item;
}
// Selects that node and lets the posted refresh run.
inline void KvChooseFeeNode(CXxDjDoc0* doc, const QStringList& path) {
  QTreeWidgetItem* item = KvFeeNode(doc, path);
  ASSERT_NE(item, nullptr) << qPrintable(path.join(u'/'));
  doc->FindView<CXxDjTreeView>()->setCurrentItem(item);
  QCoreApplication::sendPostedEvents();
}
// The texts of the node's children; empty when there is no such node.
inline QStringList KvFeeNodeChildren(CXxDjDoc0* doc, const QStringList& path) {
  QStringList texts;
  const QTreeWidgetItem* item = KvFeeNode(doc, path);
  for (int i = 0; item && i < item->childCount(); ++i)
    texts.append(item->child(i)->text(0));
  return texts;
}
// Types an amount into the item's column of the sheet's row, as the grid
// does.
inline void KvTypeFeeAmount(CXxDjDoc0* doc, int row, const QString& item, const QString& text) {
  CXxDjView0* grid = doc->FindView<CXxDjView0>();
  for (int c = 0; c < doc->m_formEntry.formulas.size(); ++c) {
    if (doc->ItemCodeOf(c) != item)
      continue;
    doc->m_rows[row][c] = text;
    grid->OnCellChanged(text, row, int(doc->m_colMap.indexOf(c)), QStringLiteral("TEXT"));
    grid->SetChanged(true);
  }
}

// A receipt printed onto the positioned form, read back: the form's fields
// stand at x 30 mm, y 40 mm + 6 mm per field; the number is field 3, the
// amounts of lines 1 and 2 are fields 9 and 12 and the total field 16.
// Each text is printed as often as it is listed, once at each of its
// fields (amounts are right aligned in fourteen places, so their right
// edges line up), and no word starts with "#": every token of the layout
// was replaced, those of unused rows too.
inline void KvExpectPositionedReceipt(const KvPdfReadBack& pdf, const QString& number,
                                      const QList<std::pair<QString, int>>& amounts) {
  ASSERT_TRUE(pdf.ok);
  const QList<KvPdfWord> numbers = pdf.Find(number);
  ASSERT_EQ(numbers.size(), 1) << qPrintable(number);
  EXPECT_NEAR(numbers.first().left, 30.0, 0.5);
  EXPECT_NEAR(numbers.first().top, 40.0 + 6.0 * 3, 0.5);
  QList<double> rights;
  for (const auto& [text, field] : amounts) {
    const QString printed = text;
    const auto listed =
        std::count_if(amounts.begin(), amounts.end(), [&printed](const auto& a) { return a.first == printed; });
    EXPECT_EQ(pdf.Find(text).size(), listed) << qPrintable(text);
    QList<KvPdfWord> words;
    for (const KvPdfWord& word : pdf.Find(text))
      if (std::abs(word.top - (40.0 + 6.0 * field)) <= 0.5)
        words.append(word);
    ASSERT_EQ(words.size(), 1) << qPrintable(text) << " at field " << field;
    EXPECT_GT(words.first().left, 30.0 - 0.5) << qPrintable(text);
    rights << words.first().right;
  }
  for (double right : rights)
    EXPECT_NEAR(right, rights.first(), 0.5);
  QStringList tokens;
  for (const KvPdfWord& word : pdf.words)
    if (word.text.startsWith(u'#'))
      tokens.append(word.text);
  EXPECT_EQ(tokens, QStringList());
}
