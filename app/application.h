#pragma once
// The program's application object: its title, its look, and the top-level
// catch that shows an escaped exception as an error box and carries on.

#include <QApplication>
#include <QFont>

namespace app {

class Application final : public QApplication {
  Q_OBJECT
 public:
  // Initialises the toolkit, sets the application title (the name the
  // desktop shows for the program and the caption of plain message boxes)
  // and the look every window shares.
  Application(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;
};

// Arial, or the nearest sans font installed.
QFont WindowFont();

}  // namespace app
