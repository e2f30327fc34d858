#include "ui/CKvBar.h"

#include "ui/CKvButton.h"
#include "ui/CKvCommandRouter.h"
#include "ui/KvCommands.h"
#include "ui/KvMenus.h"
#include "ui/KvObjectNames.h"
#include "ui/KvResources.h"

#include <QContextMenuEvent>
#include <QMainWindow>
#include <QMenu>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>
#include <utility>

namespace {
constexpr int kStrip = 16;        // thickness of the docked caption strip
constexpr int kButton = 12;       // the caption buttons are square
constexpr int kButtonStep = 14;   // from one caption button to the next
constexpr int kButtonIcon = 10;
constexpr int kButtonsRoom = 30;  // strip length the two buttons take

// A raised line: highlight along the top and left, shadow along the bottom
// and right.
void drawRaised(QPainter& painter, const QRect& line, const QPalette& palette) {
  const QColor light = palette.color(QPalette::Light);
  const QColor shadow = palette.color(QPalette::Dark);
  painter.fillRect(line.x(), line.y(), line.width(), 1, light);
  painter.fillRect(line.x(), line.y(), 1, line.height(), light);
  painter.fillRect(line.x(), line.bottom(), line.width(), 1, shadow);
  painter.fillRect(line.right(), line.y(), 1, line.height(), shadow);
}

// The bar's caption strip: grip lines and the two buttons while docked, the
// title while floating. Mouse presses on it go on to the dock widget, which
// moves, docks and floats the bar.
class KvBarCaption : public QWidget {
 public:
  explicit KvBarCaption(CKvBar* bar)
      : QWidget(bar),
        m_bar(bar),
        m_hide(KvSetControlId(new CKvButton(this), KV_CMD_BAR_HIDE)),
        m_dock(KvSetControlId(new CKvButton(this), KV_CMD_BAR_TOGGLE_DOCK)) {
    setObjectName(QStringLiteral("caption"));
    for (CKvButton* button : {m_hide, m_dock}) {
      button->setFixedSize(kButton, kButton);
      button->setFocusPolicy(Qt::NoFocus);
    }
  }
  CKvButton* hideButton() const { return m_hide; }
  CKvButton* dockButton() const { return m_dock; }

  QSize sizeHint() const override {
    if (!m_bar->IsFloating())
      return QSize(kStrip, kStrip);
    const QFontMetrics metrics = fontMetrics();
    return QSize(metrics.horizontalAdvance(m_bar->windowTitle()) + 12,
                 std::max(kStrip + 2, metrics.height() + 6));
  }
  QSize minimumSizeHint() const override { return QSize(kStrip, sizeHint().height()); }

  // Places the buttons for the bar's place: down the strip from its top on
  // a bar docked at the top or bottom, at the strip's right end otherwise.
  void placeButtons() {
    if (m_bar->IsHorzDocked()) {
      m_hide->move(2, 3);
      m_dock->move(2, 3 + kButtonStep);
    } else {
      m_dock->move(width() - 31, 3);
      m_hide->move(width() - 31 + kButtonStep, 3);
    }
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const QPalette& pal = palette();
    painter.fillRect(rect(), pal.color(QPalette::Button));
    if (m_bar->IsFloating()) {
      const QRect text = rect().adjusted(6, 0, -4, 0);
      painter.setPen(pal.color(QPalette::ButtonText));
      painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                       fontMetrics().elidedText(m_bar->windowTitle(), Qt::ElideRight,
                                                text.width()));
      return;
    }
    // Two grip lines, 3 pixels thick and 4 apart, along the strip beside
    // the buttons.
    if (m_bar->IsHorzDocked()) {
      const int top = 3 + kButtonsRoom, length = height() - 4 - top;
      for (int x : {4, 8})
        drawRaised(painter, QRect(x, top, 3, length), pal);
    } else {
      const int length = width() - 4 - kButtonsRoom - 4;
      for (int y : {4, 8})
        drawRaised(painter, QRect(4, y, length, 3), pal);
    }
  }
  void resizeEvent(QResizeEvent*) override { placeButtons(); }

 private:
  CKvBar* m_bar;
  CKvButton* m_hide;
  CKvButton* m_dock;
};

// The bar's client area, holding its content. Its size hint is the bar's
// stored size for where it is docked, so that the main window gives the bar
// that size when it docks at a new place (a restored state keeps its own).
class KvBarClient : public QWidget {
 public:
  explicit KvBarClient(CKvBar* bar) : QWidget(bar), m_bar(bar) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
  }
  QSize sizeHint() const override {
    return QSize(m_bar->VertSize().width(), m_bar->HorzSize().height());
  }

 private:
  CKvBar* m_bar;
};

// The receiver of the bar's right-click menu: the bar runs its own
// commands, the router every other one, as from the main window's menu.
class BarMenuReceiver : public KvCommandTarget {
 public:
  explicit BarMenuReceiver(CKvBar* bar) : m_bar(bar) {}
  bool HandlesCmd(int) const override { return true; }
  bool IsCmdEnabled(int id) override {
    return m_bar->HandlesCmd(id) ? KvCmdEnabled(m_bar, id)
                                 : CKvCommandRouter::Instance()->IsEnabled(id);
  }
  void ExecuteCmd(int id) override {
    if (m_bar->HandlesCmd(id))
      m_bar->ExecuteCmd(id);
    else
      CKvCommandRouter::Instance()->Execute(id);
  }

 private:
  CKvBar* m_bar;
};
}  // namespace

CKvBar::CKvBar(const QString& title, QWidget* parent, const QSize& size, int id)
    : QDockWidget(title, parent) {
  setObjectName(KvControlObjectName(id));
  m_horzSize = m_vertSize = m_floatSize = size.expandedTo(QSize(kMinimumSize, kMinimumSize));
  m_images = {KvResourceIcon(KV_CMD_BAR_HIDE), KvResourceIcon(KV_CMD_BAR_TOGGLE_DOCK),
              KvResourceIcon(KV_CMD_BAR_TOGGLE_DOCK)};

  auto* caption = new KvBarCaption(this);
  m_caption = caption;
  m_hideButton = caption->hideButton();
  m_dockButton = caption->dockButton();
  m_hideButton->setToolTip(QStringLiteral("Hide Docked Window"));
  m_dockButton->setToolTip(QStringLiteral("Minimize Docked Window"));
  connect(m_hideButton, &QPushButton::clicked, this, [this] { ExecuteCmd(KV_CMD_BAR_HIDE); });
  connect(m_dockButton, &QPushButton::clicked, this,
          [this] { ExecuteCmd(KV_CMD_BAR_TOGGLE_DOCK); });
  setTitleBarWidget(caption);
  m_client = new KvBarClient(this);
  // The minimum goes on the client area: a minimum set on the dock widget
  // itself would keep the one its layout gives it while floating.
  m_client->setMinimumSize(kMinimumSize, kMinimumSize);
  QDockWidget::setWidget(m_client);

  connect(this, &QDockWidget::topLevelChanged, this, &CKvBar::updateCaption);
  connect(this, &QDockWidget::dockLocationChanged, this, &CKvBar::updateCaption);
  updateCaption();
}

QList<QIcon> CKvBar::SetImageList(const QList<QIcon>& icons) {
  QList<QIcon> previous = std::exchange(m_images, icons);
  updateCaption();
  return previous;
}

QMainWindow* CKvBar::mainWindow() const { return qobject_cast<QMainWindow*>(parentWidget()); }

int CKvBar::DockSide() const {
  QMainWindow* window = mainWindow();
  if (isFloating() || !window)
    return SideFloating;
  switch (window->dockWidgetArea(const_cast<CKvBar*>(this))) {
    case Qt::TopDockWidgetArea: return SideTop;
    case Qt::LeftDockWidgetArea: return SideLeft;
    case Qt::RightDockWidgetArea: return SideRight;
    case Qt::BottomDockWidgetArea: return SideBottom;
    default: return SideFloating;
  }
}

Qt::DockWidgetArea CKvBar::AreaOfSide(int side) {
  switch (side) {
    case SideTop: return Qt::TopDockWidgetArea;
    case SideLeft: return Qt::LeftDockWidgetArea;
    case SideRight: return Qt::RightDockWidgetArea;
    case SideBottom: return Qt::BottomDockWidgetArea;
    default: return Qt::NoDockWidgetArea;
  }
}

bool CKvBar::IsHorzDocked() const {
  const int side = DockSide();
  return side == SideTop || side == SideBottom;
}

bool CKvBar::IsVertDocked() const {
  const int side = DockSide();
  return side == SideLeft || side == SideRight;
}

bool CKvBar::IsFloating() const { return !IsHorzDocked() && !IsVertDocked(); }

void CKvBar::SetSizes(const QSize& size) {
  m_horzSize = m_vertSize = m_floatSize = size.expandedTo(QSize(kMinimumSize, kMinimumSize));
  m_client->updateGeometry();
  if (isFloating()) {
    resize(m_floatSize);
  } else if (!IsFloating()) {
    const bool horz = IsHorzDocked();
    mainWindow()->resizeDocks({this}, {horz ? m_horzSize.height() : m_vertSize.width()},
                              horz ? Qt::Vertical : Qt::Horizontal);
  }
}

void CKvBar::setWidget(QWidget* content) {
  if (content == m_content)
    return;
  // As with QDockWidget, the content replaced is hidden, not deleted.
  if (m_content) {
    m_client->layout()->removeWidget(m_content);
    m_content->hide();
  }
  m_content = content;
  if (content)
    m_client->layout()->addWidget(content);
}

bool CKvBar::HandlesCmd(int id) const {
  return id == KV_CMD_BAR_HIDE || id == KV_CMD_BAR_TOGGLE_DOCK;
}

void CKvBar::ExecuteCmd(int id) {
  if (id == KV_CMD_BAR_HIDE) {
    hide();
  } else if (id == KV_CMD_BAR_TOGGLE_DOCK) {
    if (isFloating()) {
      setFloating(false);
    } else {
      setFloating(true);
      resize(m_floatSize);
    }
  }
}

void CKvBar::contextMenuEvent(QContextMenuEvent* event) {
  // Handled here either way: the main window's own menu of bars does not
  // open over the bar.
  event->accept();
  if (m_menuId == 0)
    return;
  const QPoint at = event->reason() == QContextMenuEvent::Keyboard ? mapToGlobal(QPoint(0, 5))
                                                                   : event->globalPos();
  const std::unique_ptr<QMenu> menu(KvBuildPopupMenu(m_menuId, window()));
  BarMenuReceiver receiver(this);
  KvTrackPopupMenu(menu.get(), at, &receiver);
}

void CKvBar::resizeEvent(QResizeEvent* event) {
  QDockWidget::resizeEvent(event);
  if (!isVisible())
    return;
  // The user's resizing is kept for the place the bar is in.
  switch (DockSide()) {
    case SideTop:
    case SideBottom: m_horzSize.setHeight(height()); break;
    case SideLeft:
    case SideRight: m_vertSize.setWidth(width()); break;
    default:
      if (isFloating())
        m_floatSize = size();
      break;
  }
}

void CKvBar::updateCaption() {
  const bool floating = IsFloating();
  const bool horz = IsHorzDocked();
  // A bar docked at the top or bottom carries its strip down its left side.
  if (features().testFlag(DockWidgetVerticalTitleBar) != horz)
    setFeatures(features() ^ DockWidgetVerticalTitleBar);
  m_hideButton->setVisible(!floating);
  m_dockButton->setVisible(!floating);
  const QIcon none;
  m_hideButton->SetIcon(m_images.value(0, none), kButtonIcon, kButtonIcon);
  m_dockButton->SetIcon(m_images.value(horz ? 2 : 1, none), kButtonIcon, kButtonIcon);
  auto* caption = static_cast<KvBarCaption*>(m_caption);
  caption->placeButtons();
  caption->updateGeometry();
  caption->update();
}
