#include "app/pictures.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <numbers>

namespace app {
namespace {

const QColor kNavy{0x14, 0x40, 0x6E};
const QColor kCableIdle{0x9A, 0xA5, 0xB1};
const QColor kCableActive{0x1F, 0x5F, 0xA8};
const QColor kPulse{0x2E, 0xAD, 0x4B};
const QColor kWave{0x8E, 0xC1, 0xF0};

QPixmap Transparent(QSize size) {
  QPixmap pixmap(size);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

// A horizontal sine line from x0 to x1 around y.
QPainterPath WaveLine(double x0, double x1, double y, double amplitude, double period) {
  QPainterPath path;
  path.moveTo(x0, y);
  for (double x = x0; x <= x1; x += 1.0) {
    path.lineTo(x, y + amplitude * std::sin((x - x0) / period * 2 * std::numbers::pi));
  }
  return path;
}

// The maker's emblem in a square of side `side` at (x, y): a mast sending
// radio waves above the sea.
void DrawEmblem(QPainter& p, double x, double y, double side) {
  p.save();
  p.translate(x, y);
  p.scale(side / 100.0, side / 100.0);
  p.setPen(Qt::NoPen);
  QLinearGradient fill(0, 0, 0, 100);
  fill.setColorAt(0, QColor(0x24, 0x5E, 0x9C));
  fill.setColorAt(1, kNavy);
  p.setBrush(fill);
  p.drawRoundedRect(QRectF(2, 2, 96, 96), 20, 20);

  QPen white(Qt::white, 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(white);
  p.setBrush(Qt::NoBrush);
  p.drawLine(QPointF(50, 36), QPointF(50, 70));  // mast
  p.drawLine(QPointF(38, 70), QPointF(62, 70));  // deck
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(50, 32), 5, 5);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(Qt::white, 5, Qt::SolidLine, Qt::RoundCap));
  for (const double r : {14.0, 25.0}) {
    const QRectF arc(50 - r, 32 - r, 2 * r, 2 * r);
    p.drawArc(arc, -40 * 16, 80 * 16);
    p.drawArc(arc, 140 * 16, 80 * 16);
  }
  p.setPen(QPen(kWave, 6, Qt::SolidLine, Qt::RoundCap));
  p.drawPath(WaveLine(16, 84, 83, 4, 22));
  p.restore();
}

void DrawComputer(QPainter& p) {
  p.setPen(QPen(QColor(0x3A, 0x4A, 0x5C), 1.5));
  QLinearGradient screen(0, 4, 0, 20);
  screen.setColorAt(0, QColor(0xD8, 0xEA, 0xFB));
  screen.setColorAt(1, QColor(0x8E, 0xB8, 0xE4));
  p.setBrush(screen);
  p.drawRoundedRect(QRectF(2.5, 3.5, 26, 18), 2, 2);
  p.setBrush(QColor(0x3A, 0x4A, 0x5C));
  p.setPen(Qt::NoPen);
  p.drawRect(QRectF(13, 22, 5, 4));
  p.drawRoundedRect(QRectF(8, 26, 15, 3), 1, 1);
}

void DrawTransponder(QPainter& p) {
  p.setPen(QPen(kNavy, 1.5, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(113, 7), QPointF(113, 1));  // antenna
  p.setBrush(kNavy);
  p.drawRoundedRect(QRectF(86.5, 7.5, 31, 20), 3, 3);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xB8, 0xE0, 0xB0));
  p.drawRoundedRect(QRectF(90, 11, 16, 10), 1, 1);
  p.setBrush(QColor(0xE4, 0xEC, 0xF4));
  for (const double y : {11.5, 16.0, 20.5}) p.drawEllipse(QPointF(112, y), 1.6, 1.6);
  p.setBrush(QColor(0x3C, 0x8C, 0x3C));
  p.drawRect(QRectF(92, 13, 9, 1.5));
  p.drawRect(QRectF(92, 16.5, 6, 1.5));
}

QPixmap ConnectToDevice(bool active) {
  QPixmap pixmap = Transparent(kConnectToDeviceImageSize);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  DrawComputer(p);
  DrawTransponder(p);
  QPen cable(active ? kCableActive : kCableIdle, 2, active ? Qt::SolidLine : Qt::DashLine,
             Qt::RoundCap);
  p.setPen(cable);
  p.drawLine(QPointF(30, 17), QPointF(85, 17));
  return pixmap;
}

// Two arrows, one each way; `pulse` 0 to 5 places a dot on each, -1 none.
QPixmap TwoWay(const QColor& colour, int pulse) {
  QPixmap pixmap = Transparent(kConnectTwoWayImageSize);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(colour, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawLine(QPointF(4, 11), QPointF(27, 11));
  p.drawPolyline(QPolygonF({QPointF(22, 7), QPointF(27, 11), QPointF(22, 15)}));
  p.drawLine(QPointF(5, 21), QPointF(28, 21));
  p.drawPolyline(QPolygonF({QPointF(10, 17), QPointF(5, 21), QPointF(10, 25)}));
  if (pulse >= 0) {
    p.setPen(Qt::NoPen);
    p.setBrush(kPulse);
    p.drawEllipse(QPointF(6 + 3.5 * pulse, 11), 2.6, 2.6);
    p.drawEllipse(QPointF(26 - 3.5 * pulse, 21), 2.6, 2.6);
  }
  return pixmap;
}

}  // namespace

std::vector<QPixmap> CompanyImages() {
  QPixmap logo = Transparent(kCompanyImageSize);
  QPainter p(&logo);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  DrawEmblem(p, 1, 1, 39);
  QFont word("Arial");
  word.setStyleHint(QFont::SansSerif);
  word.setBold(true);
  word.setPixelSize(24);
  word.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
  p.setFont(word);
  p.setPen(kNavy);
  p.drawText(QRectF(46, 0, 104, 28), Qt::AlignLeft | Qt::AlignBottom, "ZELO");
  QFont tag("Arial");
  tag.setStyleHint(QFont::SansSerif);
  tag.setPixelSize(8);
  tag.setLetterSpacing(QFont::AbsoluteSpacing, 0.6);
  p.setFont(tag);
  p.setPen(QColor(0x24, 0x5E, 0x9C));
  p.drawText(QRectF(47, 28, 103, 12), Qt::AlignLeft | Qt::AlignVCenter, "MARINE ELECTRONICS");
  return {logo};
}

std::vector<QPixmap> ConnectToDeviceImages() {
  const QPixmap idle = ConnectToDevice(false);
  return {idle, idle, idle, idle, idle, ConnectToDevice(true)};
}

std::vector<QPixmap> ConnectTwoWayImages() {
  std::vector<QPixmap> frames = {TwoWay(kCableIdle, -1), TwoWay(kCableActive, -1)};
  for (int pulse = 0; pulse < 6; ++pulse) frames.push_back(TwoWay(kCableActive, pulse));
  return frames;
}

QPixmap BackgroundPicture(QSize size) {
  QPixmap pixmap(size);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, size.height());
  sky.setColorAt(0, QColor(0xC6, 0xDE, 0xF7));
  sky.setColorAt(1, QColor(0xA6, 0xCA, 0xF0));
  p.fillRect(pixmap.rect(), sky);
  // A calm sea along the bottom.
  const double w = size.width();
  const double h = size.height();
  for (int i = 0; i < 3; ++i) {
    p.setPen(QPen(QColor(255, 255, 255, 70 - 18 * i), 2));
    p.drawPath(WaveLine(0, w, h - 30 + 9 * i, 3, 90 + 20 * i));
  }
  return pixmap;
}

QIcon ApplicationIcon() {
  QIcon icon;
  for (const int side : {16, 24, 32, 48, 64, 128}) {
    QPixmap pixmap = Transparent(QSize(side, side));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    DrawEmblem(p, 0, 0, side);
    p.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace app
