#include "ui/CKvColourDlg.h"

#include "ui/KvObjectNames.h"

#include <QEnterEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr unsigned kTemplate = 827;
constexpr int kKeepButton = 1008;
constexpr int kCellFrame = 1002;

// One colour cell: a swatch that shows a black two-pixel frame while the
// mouse is over it and reports a click.
class ColourCell : public QWidget {
 public:
  ColourCell(const QColor& colour, QWidget* parent) : QWidget(parent), m_colour(colour) {
    setFixedSize(28, 20);
    setCursor(Qt::PointingHandCursor);
  }
  std::function<void()> clicked;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const QRect inner = rect().adjusted(3, 3, -3, -3);
    painter.fillRect(inner, m_colour);
    painter.setPen(palette().color(QPalette::Shadow));
    painter.drawRect(inner.adjusted(0, 0, -1, -1));
    if (m_hover) {
      QPen pen(Qt::black);
      pen.setWidth(2);
      painter.setPen(pen);
      painter.drawRect(rect().adjusted(1, 1, -1, -1));
    }
  }
  void enterEvent(QEnterEvent*) override {
    m_hover = true;
    update();
  }
  void leaveEvent(QEvent*) override {
    m_hover = false;
    update();
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
        clicked)
      clicked();
  }

 private:
  QColor m_colour;
  bool m_hover = false;
};
}  // namespace

QList<quint32> CKvColourDlg::PaletteColours() {
  return {KvRgbValue(0, 0, 0),       KvRgbValue(255, 255, 255), KvRgbValue(128, 128, 128),
          KvRgbValue(192, 192, 192), KvRgbValue(128, 0, 0),     KvRgbValue(255, 0, 0),
          KvRgbValue(128, 128, 0),   KvRgbValue(255, 255, 0),   KvRgbValue(0, 128, 0),
          KvRgbValue(0, 255, 0),     KvRgbValue(0, 128, 128),   KvRgbValue(0, 255, 255),
          KvRgbValue(0, 0, 128),     KvRgbValue(0, 0, 255),     KvRgbValue(128, 0, 128),
          KvRgbValue(255, 0, 255)};
}

QStringList CKvColourDlg::PaletteNames() {
  return {QStringLiteral("黑色"), QStringLiteral("白色"), QStringLiteral("深灰"),
          QStringLiteral("灰色"), QStringLiteral("深红"), QStringLiteral("红色"),
          QStringLiteral("深黄"), QStringLiteral("黄色"), QStringLiteral("绿色"),
          QStringLiteral("鲜绿"), QStringLiteral("青色"), QStringLiteral("蓝绿"),
          QStringLiteral("深蓝"), QStringLiteral("蓝色"), QStringLiteral("紫色"),
          QStringLiteral("粉红")};
}

CKvColourDlg::CKvColourDlg(quint32 colour, int x, int y, int swatchHeight, QWidget* parent)
    : CKvDlg(kTemplate, parent), m_colour(colour), m_position(x, y), m_swatchHeight(swatchHeight) {
  setWindowTitle(QStringLiteral("颜色"));
  auto* frame = KvSetControlId(new QFrame(this), kCellFrame);
  frame->setFrameShape(QFrame::StyledPanel);
  auto* grid = new QGridLayout(frame);
  const QList<quint32> colours = PaletteColours();
  const QStringList names = PaletteNames();
  // Two columns of eight cells, each with its name beside it.
  for (int i = 0; i < colours.size(); ++i) {
    auto* cell = new ColourCell(KvColorOf(colours.at(i)), frame);
    cell->setObjectName(QStringLiteral("colour_") + QString::number(i));
    cell->setToolTip(names.at(i));
    cell->clicked = [this, i] { ChooseCell(i); };
    const int row = i % 8;
    const int column = (i / 8) * 2;
    grid->addWidget(cell, row, column);
    grid->addWidget(new QLabel(names.at(i), frame), row, column + 1);
  }
  auto* keep = KvSetControlId(new QPushButton(QStringLiteral("保持原状"), this), kKeepButton);
  auto* cancel = KvSetControlId(new QPushButton(QStringLiteral("取消选择"), this), KV_IDCANCEL);
  connect(keep, &QPushButton::clicked, this, [this] { keepAsIs(); });
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(keep);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(frame);
  layout->addLayout(buttons);
}

void CKvColourDlg::OnInitDialog() {
  CKvDlg::OnInitDialog();
  adjustSize();
  QPoint at = m_position;
  const QScreen* screen = QGuiApplication::screenAt(at);
  if (!screen)
    screen = QGuiApplication::primaryScreen();
  if (screen && at.y() + frameGeometry().height() > screen->availableGeometry().bottom())
    at.ry() -= frameGeometry().height() + m_swatchHeight;
  move(at);
}

void CKvColourDlg::ChooseCell(int index) {
  const QList<quint32> colours = PaletteColours();
  if (index < 0 || index >= colours.size())
    return;
  m_colour = colours.at(index);
  m_hasColour = true;
  done(Accepted);
}

void CKvColourDlg::keepAsIs() {
  m_hasColour = false;
  done(Accepted);
}
