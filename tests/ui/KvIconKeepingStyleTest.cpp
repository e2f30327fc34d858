// The style that keeps standard icons: an icon asked without an option is
// the one made the first time, drawn as the base style draws it; asked with
// an option, or mirrored for right-to-left, it is the base style's own.

#include "ui/KvIconKeepingStyle.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QStyleFactory>
#include <QStyleOption>

#include <memory>

TEST(KvIconKeepingStyleTest, KeepsIconsAskedWithoutAnOptionAndDrawsThemAsTheBaseStyle) {
  KvIconKeepingStyle style(QStyleFactory::create(QStringLiteral("Fusion")));
  std::unique_ptr<QStyle> base(QStyleFactory::create(QStringLiteral("Fusion")));
  for (QStyle::StandardPixmap icon : {QStyle::SP_TitleBarCloseButton, QStyle::SP_TitleBarMinButton,
                                      QStyle::SP_MessageBoxWarning, QStyle::SP_ArrowBack}) {
    const QIcon first = style.standardIcon(icon);
    EXPECT_EQ(style.standardIcon(icon).cacheKey(), first.cacheKey()) << int(icon);
    EXPECT_EQ(first.pixmap(16).toImage(), base->standardIcon(icon).pixmap(16).toImage()) << int(icon);
  }

  // With an option the base style is asked each time.
  QStyleOption option;
  EXPECT_NE(style.standardIcon(QStyle::SP_TitleBarCloseButton, &option).cacheKey(),
            style.standardIcon(QStyle::SP_TitleBarCloseButton).cacheKey());

  // Right to left keeps an icon of its own.
  const qint64 leftToRight = style.standardIcon(QStyle::SP_ArrowBack).cacheKey();
  QApplication::setLayoutDirection(Qt::RightToLeft);
  const QIcon mirrored = style.standardIcon(QStyle::SP_ArrowBack);
  QApplication::setLayoutDirection(Qt::LeftToRight);
  EXPECT_NE(mirrored.cacheKey(), leftToRight);
  EXPECT_EQ(style.standardIcon(QStyle::SP_ArrowBack).cacheKey(), leftToRight);
}

TEST(KvIconKeepingStyleTest, IsInstalledOnceOverTheApplicationsStyle) {
  const QString name = QApplication::style()->name();
  KvInstallIconKeepingStyle();
  QStyle* installed = QApplication::style();
  ASSERT_NE(qobject_cast<KvIconKeepingStyle*>(installed), nullptr);
  EXPECT_EQ(qobject_cast<KvIconKeepingStyle*>(installed)->baseStyle()->name(), name);
  KvInstallIconKeepingStyle();
  EXPECT_EQ(QApplication::style(), installed);
}
