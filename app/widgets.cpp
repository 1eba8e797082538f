#include "app/widgets.h"

#include <QMouseEvent>
#include <QPainter>

namespace app {

PictureBox::PictureBox(std::vector<QPixmap> images, std::optional<QColor> fill, QWidget* parent)
    : QWidget(parent), images_(std::move(images)), fill_(fill) {
  if (!images_.empty()) setFixedSize(images_.front().deviceIndependentSize().toSize());
}

void PictureBox::SetImage(int index) {
  if (index == index_) return;
  index_ = index;
  update();
}

const QPixmap* PictureBox::Shown() const {
  if (index_ < 0 || static_cast<std::size_t>(index_) >= images_.size()) return nullptr;
  return &images_[static_cast<std::size_t>(index_)];
}

void PictureBox::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (fill_) p.fillRect(rect(), *fill_);
  if (const QPixmap* image = Shown()) p.drawPixmap(0, 0, *image);
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) Q_EMIT clicked();
  QWidget::mousePressEvent(event);
}

LinkLabel::LinkLabel(QWidget* parent) : QLabel(parent) {
  setCursor(Qt::PointingHandCursor);
  QFont underlined = font();
  underlined.setUnderline(true);
  setFont(underlined);
}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) Q_EMIT clicked();
  QLabel::mousePressEvent(event);
}

void RoundedFrame::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0x6F, 0x95, 0xC4), 1));
  p.setBrush(fill_);
  p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
}

}  // namespace app
