#pragma once
// Answers the window's modal message boxes as they open, the way a user
// would: each box is recorded, then closed with the next scripted button (OK
// when the script is empty). A scripted answer can wait until a condition
// holds, so a test can watch the window while a box is open.

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <deque>
#include <functional>
#include <vector>

namespace gui_test {

struct ShownBox {
  QString caption;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  QMessageBox::StandardButton answer = QMessageBox::NoButton;
  bool conditionHeld = true;  // the scripted condition held before the answer
};

struct ScriptedAnswer {
  QMessageBox::StandardButton button = QMessageBox::Ok;
  // Runs once the box is open.
  std::function<void()> whenShown;
  // The answer waits until this holds (or `patienceMs` passes).
  std::function<bool()> until;
  int patienceMs = 10'000;
};

class MessageBoxes final : public QObject {
 public:
  MessageBoxes() {
    poll_.setInterval(10);
    connect(&poll_, &QTimer::timeout, this, &MessageBoxes::Poll);
    poll_.start();
  }

  void Answer(ScriptedAnswer answer) { script_.push_back(std::move(answer)); }
  void Answer(QMessageBox::StandardButton button) {
    Answer(ScriptedAnswer{button, {}, {}, 10'000});
  }

  const std::vector<ShownBox>& Shown() const { return shown_; }
  bool AnyShown(const QString& text) const {
    for (const ShownBox& box : shown_) {
      if (box.text == text) return true;
    }
    return false;
  }
  QStringList Texts() const {
    QStringList texts;
    for (const ShownBox& box : shown_) texts << box.text;
    return texts;
  }

 private:
  void Poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    if (box != current_) {
      current_ = box;
      ShownBox seen;
      seen.caption = box->windowTitle();
      seen.text = box->text();
      seen.icon = box->icon();
      for (QAbstractButton* b : box->buttons()) seen.buttons |= box->standardButton(b);
      shown_.push_back(seen);
      answer_ = ScriptedAnswer{};
      if (!script_.empty()) {
        answer_ = std::move(script_.front());
        script_.pop_front();
      }
      waiting_.start();
      if (answer_.whenShown) answer_.whenShown();
    }
    bool held = true;
    if (answer_.until) {
      held = answer_.until();
      if (!held && waiting_.elapsed() < answer_.patienceMs) return;
    }
    shown_.back().answer = answer_.button;
    shown_.back().conditionHeld = held;
    if (QAbstractButton* button = box->button(answer_.button)) {
      button->click();
    } else {
      box->reject();
    }
  }

  QTimer poll_;
  std::deque<ScriptedAnswer> script_;
  ScriptedAnswer answer_;
  QPointer<QMessageBox> current_;
  QElapsedTimer waiting_;
  std::vector<ShownBox> shown_;
};

}  // namespace gui_test
