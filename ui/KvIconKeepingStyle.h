#pragma once
// The program's style: the platform's own, except that a standard icon
// asked for without a style option (the child window's system menu and
// title buttons, the message box icons) is made once and handed out again.
//
// Why: the base style builds each such icon anew from its image files and
// pixmaps, decoding PNGs every time; every document window asks for five of
// them as it is made, which cost more than the window's own panes.

#include <QHash>
#include <QIcon>
#include <QProxyStyle>

class KvIconKeepingStyle : public QProxyStyle {
  Q_OBJECT
 public:
  // Takes ownership of base.
  explicit KvIconKeepingStyle(QStyle* base);

  QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption* option = nullptr,
                     const QWidget* widget = nullptr) const override;

 private:
  // Keyed by icon and layout direction (the arrows are mirrored right to
  // left).
  mutable QHash<quint64, QIcon> m_icons;
};

// Makes the application's style a KvIconKeepingStyle over the one it has,
// once; nothing without a QApplication.
void KvInstallIconKeepingStyle();
