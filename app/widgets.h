#pragma once
// Small widgets the window is built of: a picture from an image list (the
// logo and the connection indicator), a label that opens a link, and the
// rounded frame around the pages.

#include <QColor>
#include <QLabel>
#include <QPixmap>
#include <QWidget>
#include <optional>
#include <vector>

namespace app {

// Shows one picture of an image list, drawn over a fill colour (none:
// transparent). Emits clicked() on a left click.
class PictureBox final : public QWidget {
  Q_OBJECT
 public:
  PictureBox(std::vector<QPixmap> images, std::optional<QColor> fill, QWidget* parent);

  // Shows image `index`; an index outside the list shows only the fill.
  void SetImage(int index);
  int Image() const { return index_; }
  const QPixmap* Shown() const;

 Q_SIGNALS:
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  std::vector<QPixmap> images_;
  std::optional<QColor> fill_;
  int index_ = 0;
};

// A label that looks and acts as a link.
class LinkLabel final : public QLabel {
  Q_OBJECT
 public:
  explicit LinkLabel(QWidget* parent);

 Q_SIGNALS:
  void clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
};

// Shape1: the rounded frame the pages sit in, filled with `fill`.
class RoundedFrame final : public QWidget {
  Q_OBJECT
 public:
  RoundedFrame(QColor fill, QWidget* parent) : QWidget(parent), fill_(fill) {}

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor fill_;
};

}  // namespace app
