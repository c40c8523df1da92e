#include "editor/EditorArtwork.h"

#include <QFont>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRectF>
#include <array>

#include "shared/widgets/ArtworkCanvas.h"

namespace quenlow {

namespace {

constexpr std::array<int, 3> kIconPixels = {16, 32, 48};

// The notes box's background: the handheld's screen is drawn in it so that the box blends in.
const QColor kScreenBlue(26, 9, 108);
const QColor kBodyTop(72, 76, 88);
const QColor kBodyBottom(30, 32, 40);
const QColor kBezel(14, 15, 20);
// The About box's title colour.
const QColor kAboutBlue(52, 113, 203);

void drawBody(QPainter& painter, const QRectF& body) {
  QLinearGradient shell(body.topLeft(), body.bottomLeft());
  shell.setColorAt(0.0, kBodyTop);
  shell.setColorAt(1.0, kBodyBottom);
  painter.setPen(QPen(QColor(10, 10, 14), 1.5));
  painter.setBrush(shell);
  painter.drawRoundedRect(body, 22.0, 22.0);
  // A rim of light along the upper edge gives the case its depth.
  painter.setPen(QPen(QColor(140, 146, 160, 150), 1.0));
  painter.setBrush(Qt::NoBrush);
  painter.drawRoundedRect(body.adjusted(2.5, 2.5, -2.5, -2.5), 20.0, 20.0);
}

void drawScreen(QPainter& painter, const QRectF& bezel, const QRectF& screen) {
  painter.setPen(Qt::NoPen);
  painter.setBrush(kBezel);
  painter.drawRoundedRect(bezel, 6.0, 6.0);
  painter.setBrush(kScreenBlue);
  painter.drawRect(screen);

  // The handheld's slide heading: the slide's title bar and its clock, as the agent sends them.
  const QRectF titleBar(screen.left(), screen.top(), screen.width(), 18.0);
  painter.setBrush(QColor(60, 44, 170));
  painter.drawRect(titleBar);
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(11);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(titleBar.adjusted(6.0, 0.0, -6.0, 0.0), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Slide 1"));
  painter.drawText(titleBar.adjusted(6.0, 0.0, -6.0, 0.0), Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("00:00"));

  // The slide's timer, large, between the heading and the notes.
  font.setPixelSize(36);
  painter.setFont(font);
  painter.setPen(QColor(255, 255, 140));
  const QRectF clock(screen.left(), titleBar.bottom() + 6.0, screen.width(),
                     EditorArtwork::kNotesArea.top() - titleBar.bottom() - 14.0);
  painter.drawText(clock, Qt::AlignCenter, QStringLiteral("05:00"));

  // A thin line above the notes area.
  painter.setPen(QPen(QColor(120, 110, 220), 1.0));
  const qreal lineY = EditorArtwork::kNotesArea.top() - 4.5;
  painter.drawLine(QPointF(screen.left() + 6.0, lineY), QPointF(screen.right() - 6.0, lineY));
}

void drawKeys(QPainter& painter, qreal centreX, qreal top) {
  // The direction pad in the middle and two round keys beside it.
  const QPointF pad(centreX, top + 16.0);
  QRadialGradient padFill(pad - QPointF(4.0, 4.0), 18.0);
  padFill.setColorAt(0.0, QColor(110, 114, 126));
  padFill.setColorAt(1.0, QColor(44, 46, 54));
  painter.setPen(QPen(QColor(8, 8, 10), 1.0));
  painter.setBrush(padFill);
  painter.drawEllipse(pad, 16.0, 16.0);
  painter.setBrush(QColor(30, 32, 38));
  painter.drawEllipse(pad, 6.0, 6.0);
  for (const qreal offset : {-58.0, 58.0}) {
    const QPointF key(centreX + offset, top + 16.0);
    QRadialGradient keyFill(key - QPointF(3.0, 3.0), 11.0);
    keyFill.setColorAt(0.0, QColor(100, 104, 116));
    keyFill.setColorAt(1.0, QColor(40, 42, 50));
    painter.setBrush(keyFill);
    painter.drawEllipse(key, 10.0, 10.0);
  }
}

QPixmap drawProgramIcon(int pixels) {
  QPixmap pixmap(pixels, pixels);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  artwork::Smooth(painter);
  const qreal size = pixels;
  // A small handheld with a blue screen and a clock hand: the slides' times.
  const QRectF body(size * 0.18, size * 0.04, size * 0.64, size * 0.92);
  painter.setPen(QPen(QColor(10, 10, 14), qMax(1.0, size / 32.0)));
  QLinearGradient shell(body.topLeft(), body.bottomLeft());
  shell.setColorAt(0.0, kBodyTop);
  shell.setColorAt(1.0, kBodyBottom);
  painter.setBrush(shell);
  painter.drawRoundedRect(body, size * 0.12, size * 0.12);
  const QRectF screen(size * 0.26, size * 0.14, size * 0.48, size * 0.52);
  painter.setPen(Qt::NoPen);
  painter.setBrush(kScreenBlue);
  painter.drawRect(screen);
  const QPointF centre = screen.center();
  const qreal radius = screen.width() * 0.36;
  painter.setPen(QPen(QColor(255, 255, 140), qMax(1.0, size / 20.0)));
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(centre, radius, radius);
  painter.drawLine(centre, centre + QPointF(0.0, -radius * 0.8));
  painter.drawLine(centre, centre + QPointF(radius * 0.6, 0.0));
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(110, 114, 126));
  painter.drawEllipse(QPointF(size * 0.5, size * 0.81), size * 0.08, size * 0.08);
  return pixmap;
}

}  // namespace

QPixmap EditorArtwork::handheld() {
  QPixmap pixmap = artwork::Canvas(kHandheldSize);
  QPainter painter(&pixmap);
  artwork::Smooth(painter);
  const QRectF body(46.5, 6.5, 205.0, 346.0);
  drawBody(painter, body);
  const QRectF screen(kNotesArea.left() - 6.0, 34.0, kNotesArea.width() + 12.0,
                      kNotesArea.bottom() + 1.0 + 8.0 - 34.0);
  drawScreen(painter, screen.adjusted(-5.0, -5.0, 5.0, 5.0), screen);
  drawKeys(painter, body.center().x(), screen.bottom() + 12.0);
  // The speaker slot above the screen.
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(12, 12, 16));
  painter.drawRoundedRect(QRectF(body.center().x() - 18.0, 16.0, 36.0, 4.0), 2.0, 2.0);
  return pixmap;
}

QPixmap EditorArtwork::aboutPicture() {
  QPixmap pixmap = artwork::Canvas(kAboutPictureSize);
  pixmap.fill(Qt::white);
  QPainter painter(&pixmap);
  artwork::Smooth(painter);
  const QRectF field(QPointF(0.0, 0.0), QSizeF(kAboutPictureSize));
  // The title's blue at the top, fading to white at the foot and at the right edge, where the
  // picture meets the box.
  QLinearGradient down(field.topLeft(), field.bottomLeft());
  down.setColorAt(0.0, kAboutBlue);
  down.setColorAt(0.75, kAboutBlue.lighter(160));
  down.setColorAt(1.0, Qt::white);
  painter.fillRect(field, down);
  QLinearGradient edge(QPointF(field.right() - 24.0, 0.0), field.topRight());
  edge.setColorAt(0.0, QColor(255, 255, 255, 0));
  edge.setColorAt(1.0, Qt::white);
  painter.fillRect(field, edge);

  // The editor's handheld, half size, high enough that the box (which hides the picture's top
  // 9 and bottom 60 rows) shows it and the clock below it whole.
  const QPixmap device = handheld();
  const QSizeF deviceSize = QSizeF(kHandheldSize) * 0.5;
  const QRectF place(QPointF((field.width() - deviceSize.width()) / 2.0 - 6.0, 20.0), deviceSize);
  painter.drawPixmap(place, device, QRectF(device.rect()));

  // A clock face below it: the slides' times are what the editor is for.
  const QPointF centre(place.center().x(), place.bottom() + 32.0);
  painter.setPen(QPen(kAboutBlue.darker(140), 3.0));
  painter.setBrush(Qt::white);
  painter.drawEllipse(centre, 22.0, 22.0);
  painter.setPen(QPen(kScreenBlue, 2.5, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(centre, centre + QPointF(0.0, -15.0));
  painter.drawLine(centre, centre + QPointF(10.0, 4.0));
  return pixmap;
}

QIcon EditorArtwork::programIcon() {
  QIcon icon;
  for (const int pixels : kIconPixels) {
    icon.addPixmap(drawProgramIcon(pixels));
  }
  return icon;
}

}  // namespace quenlow
