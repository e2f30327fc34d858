#pragma once
// Where dialogs and views were last left: one screen rectangle per window id
// for the whole run. Loaded from the settings ("<KvGetRegKeyPath()>\DlgPos",
// one value per id: "left top right bottom", right and bottom just outside
// the window) at start-up, saved at exit; a dialog restores its place when it
// opens and remembers it when it closes. Two windows that share an id share
// a position.
//
// Rectangles are the window's frame (frameGeometry) in screen pixels, and a
// window is placed with move(), which positions the frame: the size is never
// restored. A stored place that lies on no screen is not applied. Window
// positions are the window system's business on Wayland: they take effect
// under X11 or XWayland.

#include <QList>
#include <QRect>

class QWidget;

class CKvDlgPos {
 public:
  // Replaces the held entries by the stored ones; returns their count.
  int Load();
  // Writes every held entry whose place (left and top) differs from the
  // stored one; a window that was only resized keeps its stored value.
  void Save();
  // The index of the id and (when pRect is given) a copy of its rectangle;
  // -1 when the id is not held.
  int Find(int nId, QRect* pRect = nullptr) const;
  // Stores the window's current frame rectangle under the id; a null
  // window does nothing.
  void Remember(int nId, const QWidget* pWindow);
  // Moves the window's top-left corner to the stored place, keeping its
  // size. False when the window is null, the id is not held or the place
  // lies on no screen.
  bool Restore(int nId, QWidget* pWindow);
  // Restore; else places the window by nCode relative to a reference (the
  // given one; else with bRelativeToParent the window's parent; else the
  // main window, or the parent when there is none): 0 leaves it, 10 puts
  // it into the reference's bottom-right corner, 11 centres it below the
  // reference (kept on the screen), any other code leaves it. False when
  // the window is null or a placement has no reference.
  bool RestoreOnScreen(int nId, QWidget* pWindow, int nCode, bool bRelativeToParent,
                       QWidget* pReference = nullptr);

  // Number of held entries.
  int Count() const { return int(m_ids.size()); }

 private:
  QList<int> m_ids;
  QList<QRect> m_rects;
};

// The application's dialog positions.
CKvDlgPos& KvGetDlgPos();
