// The font chooser and its colour palette: which attributes the result sets
// and which code text it reports.

#include "KvUiTestSupport.h"
#include "ui/CKvColourDlg.h"
#include "ui/CKvFontDlg.h"
#include "ui/KvObjectNames.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>

namespace {
KvLogFont givenFont() {
  KvLogFont font = KvDefaultLogFont();  // 宋体, 14, weight 400
  font.underline = true;
  return font;
}

QString codes(const char* letters) {
  QString text;
  for (const char* letter = letters; *letter; ++letter)
    text += KvFontAttrCode(*letter);
  return text;
}

struct Result {
  KvLogFont font;
  quint32 colour = 0;
  QString codes;
};

Result resultOf(const CKvFontDlg& dialog) {
  Result result;
  dialog.GetResult(&result.font, &result.colour, &result.codes);
  return result;
}

// Runs the palette by clicking one of its buttons or cells.
KvDialogExecFn clickInPalette(const QString& name) {
  return [name](QDialog* dialog) {
    dialog->show();
    auto* target = dialog->findChild<QWidget*>(name);
    EXPECT_NE(target, nullptr) << name.toStdString();
    if (target)
      QTest::mouseClick(target, Qt::LeftButton, {}, target->rect().center());
    return dialog->result();
  };
}
}  // namespace

TEST(FontDialogTest, UntouchedDialogKeepsFaceSizeAndColourAndReportsTheEffects) {
  const quint32 red = KvRgbValue(255, 0, 0);
  CKvFontDlg dialog(givenFont(), red, codes("G"));
  dialog.show();
  auto* faces = KvDlgItem<QComboBox>(&dialog, 1000);
  auto* sizes = KvDlgItem<QComboBox>(&dialog, 1001);
  // The stored face shows even where another face stands in for it.
  EXPECT_EQ(faces->currentText(), QStringLiteral("宋体"));
  EXPECT_EQ(sizes->currentText(), QStringLiteral("14"));
  EXPECT_EQ(dialog.EffectStateOf(CKvFontDlg::Bold), CKvFontDlg::EffectKeep);
  EXPECT_EQ(dialog.EffectStateOf(CKvFontDlg::Underline), CKvFontDlg::EffectOn);
  EXPECT_TRUE(KvDlgItem<QRadioButton>(&dialog, 1009)->isChecked());

  const Result result = resultOf(dialog);
  EXPECT_EQ(result.font.faceName, QStringLiteral("宋体"));
  EXPECT_EQ(result.font.height, 14);
  EXPECT_EQ(result.font.weight, 400);
  EXPECT_TRUE(result.font.underline);
  EXPECT_EQ(result.colour, red);
  EXPECT_EQ(result.codes, codes("BCF"));

  bool chinese = false;
  for (int i = 0; i < faces->count(); ++i)
    chinese = chinese || faces->itemText(i).contains(QStringLiteral("CJK"));
  EXPECT_TRUE(chinese);
}

TEST(FontDialogTest, ChosenFaceSizeAndEffectsAreReported) {
  CKvFontDlg dialog(givenFont(), 0, QString());
  ASSERT_TRUE(KvShowActive(&dialog));
  auto* faces = KvDlgItem<QComboBox>(&dialog, 1000);
  auto* sizes = KvDlgItem<QComboBox>(&dialog, 1001);
  auto* sample = KvDlgItem<QLabel>(&dialog, 1016);

  // Italic off (it is already off: the code still says so).
  auto* tabs = KvDlgItem<QTabBar>(&dialog, 1010);
  tabs->setCurrentIndex(1);
  QTest::mouseClick(KvDlgItem<QRadioButton>(&dialog, 1008), Qt::LeftButton);
  // Underline kept as it is, bold on.
  tabs->setCurrentIndex(2);
  EXPECT_TRUE(KvDlgItem<QRadioButton>(&dialog, 1007)->isChecked());
  QTest::mouseClick(KvDlgItem<QRadioButton>(&dialog, 1009), Qt::LeftButton);
  tabs->setCurrentIndex(0);
  QTest::mouseClick(KvDlgItem<QRadioButton>(&dialog, 1007), Qt::LeftButton);
  EXPECT_GT(sample->font().weight(), QFont::Normal);

  // A size chosen in the list, and another face.
  sizes->setFocus();
  QTest::keyClick(sizes, Qt::Key_Down);
  EXPECT_EQ(sizes->currentText(), QStringLiteral("16"));
  faces->setFocus();
  QTest::keyClick(faces, Qt::Key_Down);
  const QString face = faces->currentText();
  EXPECT_NE(face, QStringLiteral("宋体"));

  QTest::mouseClick(KvDlgItem<QPushButton>(&dialog, 1), Qt::LeftButton);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  const Result result = resultOf(dialog);
  EXPECT_EQ(result.font.faceName, face);
  EXPECT_EQ(result.font.height, 16);
  EXPECT_EQ(result.font.weight, 700);
  EXPECT_FALSE(result.font.italic);
  EXPECT_TRUE(result.font.underline);
  EXPECT_EQ(result.codes, codes("OPGBF"));
}

TEST(FontDialogTest, PaletteChoosesKeepsOrCancelsTheColour) {
  const quint32 blue = KvRgbValue(0, 0, 255);
  CKvFontDlg dialog(givenFont(), blue, codes("ACE"));
  ASSERT_TRUE(KvShowActive(&dialog));
  auto* swatch = KvDlgItem<QLabel>(&dialog, 1033);
  auto* pick = KvDlgItem<QPushButton>(&dialog, 1032);

  {  // Cancelling leaves the colour as it was.
    KvScopedDialogExec exec(clickInPalette(QStringLiteral("id_2")));
    QTest::mouseClick(pick, Qt::LeftButton);
  }
  EXPECT_EQ(resultOf(dialog).colour, blue);
  EXPECT_FALSE(resultOf(dialog).codes.contains(KvFontAttrCode('Q')));

  {  // The sixth cell is red.
    KvScopedDialogExec exec(clickInPalette(QStringLiteral("colour_5")));
    QTest::mouseClick(pick, Qt::LeftButton);
  }
  EXPECT_EQ(swatch->palette().color(QPalette::Window), QColor(255, 0, 0));
  Result result = resultOf(dialog);
  EXPECT_EQ(result.colour, KvRgbValue(255, 0, 0));
  EXPECT_EQ(result.codes, codes("QH"));

  {  // "保持原状": no colour is reported.
    KvScopedDialogExec exec(clickInPalette(QStringLiteral("id_1008")));
    QTest::mouseClick(pick, Qt::LeftButton);
  }
  EXPECT_EQ(swatch->text(), QStringLiteral("保持原状"));
  result = resultOf(dialog);
  EXPECT_EQ(result.colour, blue);
  EXPECT_EQ(result.codes, codes("H"));
}

TEST(FontDialogTest, ColourCodeInTheGivenCodesShowsTheColourAsKept) {
  CKvFontDlg dialog(givenFont(), 0, codes("QOP"));
  dialog.show();
  EXPECT_EQ(KvDlgItem<QLabel>(&dialog, 1033)->text(), QStringLiteral("保持原状"));
  EXPECT_EQ(KvDlgItem<QComboBox>(&dialog, 1000)->currentIndex(), -1);
  EXPECT_EQ(KvDlgItem<QComboBox>(&dialog, 1001)->currentIndex(), -1);
  EXPECT_EQ(CKvColourDlg::PaletteColours().size(), CKvColourDlg::PaletteNames().size());
}

TEST(FontDialogTest, PaletteCellsCarryTheNamesOfTheirColours) {
  const QList<quint32> colours = CKvColourDlg::PaletteColours();
  const QStringList names = CKvColourDlg::PaletteNames();
  const auto nameOf = [&](quint32 colour) { return names.value(colours.indexOf(colour)); };
  EXPECT_EQ(nameOf(KvRgbValue(128, 0, 128)), QStringLiteral("紫色"));
  EXPECT_EQ(nameOf(KvRgbValue(128, 0, 0)), QStringLiteral("深红"));
  EXPECT_EQ(nameOf(KvRgbValue(255, 0, 0)), QStringLiteral("红色"));

  // The palette shows each cell with that name: clicking the cell named
  // "紫色" chooses purple.
  CKvColourDlg palette(0, 0, 0, 0);
  palette.show();
  QWidget* purple = nullptr;
  for (QWidget* cell : palette.findChildren<QWidget*>()) {
    if (cell->objectName().startsWith(QStringLiteral("colour_")) &&
        cell->toolTip() == QStringLiteral("紫色"))
      purple = cell;
  }
  ASSERT_NE(purple, nullptr);
  QTest::mouseClick(purple, Qt::LeftButton, {}, purple->rect().center());
  EXPECT_TRUE(palette.HasColour());
  EXPECT_EQ(palette.Colour(), KvRgbValue(128, 0, 128));
}
