#pragma once
// A sizable docking panel of the main window (the template box is one): a
// dock widget that docks at any edge of the window or floats, and that the
// user resizes by dragging the splitter between it and the work area.
//
// Docked, it draws its own narrow caption strip: two raised grip lines and
// two small flat buttons, hide (command 43020) and dock-or-float (43021).
// The strip runs along the top of a bar docked left or right, with the
// buttons at its right end, and down the left side of a bar docked at the
// top or bottom, with the buttons at its top. Floating, the strip shows the
// bar's title and no buttons. Dragging the strip moves the bar; a double
// click on it docks or floats it.
//
// The bar keeps three sizes: its width docked left or right, its height
// docked at the top or bottom, and its floating size; each follows the
// user's resizing and is used when the bar next takes that place. For that
// the bar holds its content in a client area of its own: setWidget and
// widget of CKvBar put and find the content there. The bar is named
// "id_<id>", so that QMainWindow::saveState and restoreState find it.
//
// With a menu id, a right click on the bar opens that right-click menu
// (through the popup seam); the bar carries out its own two commands and
// passes every other one to the command router, as the main window's menu
// would. Without one, right clicks on the bar are ignored.

#include "ui/KvCommandTarget.h"

#include <QDockWidget>
#include <QIcon>
#include <QList>

class CKvButton;
class QMainWindow;

class CKvBar : public QDockWidget, public KvCommandTarget {
  Q_OBJECT
 public:
  // Where the bar is docked, as kept in the settings with the bar's state.
  enum : int {
    SideFloating = 0,
    SideTop = 0xE81B,
    SideLeft = 0xE81C,
    SideRight = 0xE81D,
    SideBottom = 0xE81E,
  };
  static constexpr int kMinimumSize = 32;

  // A bar with the title, child of the main window `parent`, named after
  // `id`; `size` becomes all three of its sizes. The caller docks it.
  CKvBar(const QString& title, QWidget* parent, const QSize& size, int id);

  // The caption buttons' pictures: 0 hide, 1 dock-or-float on a bar docked
  // left or right, 2 dock-or-float on a bar docked at the top or bottom.
  // Returns the previous list. By default they are the program's images of
  // the two commands.
  QList<QIcon> SetImageList(const QList<QIcon>& icons);

  // The right-click menu of the bar (0: none).
  void SetMenuId(int menuId) { m_menuId = menuId; }
  int MenuId() const { return m_menuId; }

  // The dock side (SideTop ... SideBottom), SideFloating when the bar is not
  // docked in its main window.
  int DockSide() const;
  // The dock area of a stored side; NoDockWidgetArea for any other value.
  static Qt::DockWidgetArea AreaOfSide(int side);
  bool IsHorzDocked() const;
  bool IsVertDocked() const;
  // Neither horizontally nor vertically docked.
  bool IsFloating() const;

  // The sizes: the height of HorzSize counts when docked at the top or
  // bottom, the width of VertSize when docked left or right.
  QSize HorzSize() const { return m_horzSize; }
  QSize VertSize() const { return m_vertSize; }
  QSize FloatSize() const { return m_floatSize; }
  // Sets all three sizes (at least 32 × 32) and gives the bar the one of
  // its place now.
  void SetSizes(const QSize& size);

  // The content of the bar's client area (QDockWidget's own setWidget and
  // widget see the client area).
  void setWidget(QWidget* content);
  QWidget* widget() const { return m_content; }

  // 43020 hides the bar, 43021 docks a floating bar again or floats a
  // docked one; both are always enabled.
  bool HandlesCmd(int id) const override;
  void ExecuteCmd(int id) override;

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QMainWindow* mainWindow() const;
  // Puts the caption strip and its buttons in the shape of the bar's place.
  void updateCaption();

  int m_menuId = 0;
  QSize m_horzSize;
  QSize m_vertSize;
  QSize m_floatSize;
  QList<QIcon> m_images;
  QWidget* m_client;
  QWidget* m_content = nullptr;
  QWidget* m_caption;
  CKvButton* m_hideButton;
  CKvButton* m_dockButton;
};
