#include "print/KvPageSetupParts.h"

#include "core/CKvDb.h"
#include "core/KvDbTransaction.h"
#include "core/KvLockOrder.h"
#include "core/KvMessage.h"
#include "ui/KvObjectNames.h"

#include "ui/CKvColourDlg.h"
#include "ui/CKvFontDlg.h"
#include "ui/KvModal.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>

#include <cstdlib>

void KvShowFontSample(QLabel* label, const KvLogFont& font, const QColor& colour) {
  QStringList parts = {font.faceName, QString::number(std::abs(font.height))};
  if (font.weight >= 700)
    parts << QStringLiteral("加粗");
  if (font.italic)
    parts << QStringLiteral("斜体");
  if (font.underline)
    parts << QStringLiteral("下划线");
  label->setText(parts.join(u' '));
  QPalette colours = label->palette();
  colours.setColor(QPalette::WindowText, colour);
  label->setPalette(colours);
}

bool KvChooseFont(QWidget* parent, KvLogFont* font, QColor* colour) {
  // The chooser works with sizes; a stored height may be negative (the
  // character height rather than the cell height) and keeps its sign.
  KvLogFont shown = *font;
  const bool negative = shown.height < 0;
  shown.height = std::abs(shown.height);
  CKvFontDlg dialog(shown, KvRgbValueOf(*colour), QString(), parent);
  if (KvExecDialog(&dialog) != QDialog::Accepted)
    return false;
  quint32 rgb = 0;
  QString codes;
  dialog.GetResult(&shown, &rgb, &codes);
  if (negative)
    shown.height = -std::abs(shown.height);
  *font = shown;
  *colour = KvColorOf(rgb);
  return true;
}

QGroupBox* KvFontButtonsGroup(QWidget* parent, std::array<QLabel*, 4>& samples,
                              const std::function<void(int role)>& choose) {
  constexpr int kFontButtons = 1010;
  constexpr int kFontSamples = 1020;
  auto* fonts = new QGroupBox(QStringLiteral("字体"), parent);
  auto* layout = new QGridLayout(fonts);
  const QString captions[4] = {QStringLiteral("标题字体..."), QStringLiteral("页眉字体..."),
                               QStringLiteral("正文字体..."), QStringLiteral("页脚字体...")};
  for (int role = 0; role < 4; ++role) {
    auto* button = KvSetControlId(new QPushButton(captions[role], fonts), kFontButtons + role);
    button->setAutoDefault(false);
    samples[role] = KvSetControlId(new QLabel(fonts), kFontSamples + role);
    layout->addWidget(button, role / 2, (role % 2) * 2);
    layout->addWidget(samples[role], role / 2, (role % 2) * 2 + 1);
    QObject::connect(button, &QPushButton::clicked, fonts, [choose, role] { choose(role); });
  }
  layout->setColumnStretch(1, 1);
  layout->setColumnStretch(3, 1);
  return fonts;
}

QLineEdit* KvPageTextEdit(QWidget* parent, int id) {
  auto* edit = KvSetControlId(new QLineEdit(parent), id);
  edit->setMaxLength(255);
  return edit;
}

void KvAddOkCancelRow(QWidget* dialog, QBoxLayout* layout) {
  auto* ok = KvSetControlId(new QPushButton(QStringLiteral("确定"), dialog), KV_IDOK);
  auto* cancel = KvSetControlId(new QPushButton(QStringLiteral("取消"), dialog), KV_IDCANCEL);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
}

bool KvCanStorePageSetup(const CKvDb* db) {
  if (db && db->IsOpenOrFailsAsLost())
    return true;
  // A lost connection has told its loss instead.
  if (!db || !db->IsLost())
    KvMessageBox(QStringLiteral("没有打开的数据文件，无法保存页面设置！"), KV_MB_OK | KV_MB_ICONSTOP);
  return false;
}

bool KvSavePageSetupAsRead(CKvDb* db, const QStringList& tables, const std::function<bool()>& asRead,
                           const std::function<bool()>& write) {
  if (!KvCanStorePageSetup(db))
    return false;
  bool changed = false;
  {
    KvDbTransaction transaction(*db);
    if (!transaction.IsActive())
      return false;
    if (!KvLockTablesInOrder(db, tables))
      return false;
    changed = !asRead();
    if (!changed && write() && transaction.Commit())
      return true;
  }
  if (changed)
    KvMessageBox(QStringLiteral("页面设置已被其他窗口或工作站修改，请重新打开后再修改！"), KV_MB_OK | KV_MB_ICONSTOP);
  return false;
}
