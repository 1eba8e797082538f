#include "app/application.h"

#include <QMessageBox>
#include <QStyle>
#include <QStyleFactory>
#include <exception>

#include "upgrade/controls.h"

namespace app {
namespace {

void ShowEscapedError(const QString& text) {
  QMessageBox::critical(QApplication::activeWindow(), QCoreApplication::applicationName(), text);
}

}  // namespace

QFont WindowFont() {
  QFont font("Arial");
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(12);
  return font;
}

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
  // The title, not the display name: Qt would append a display name to
  // every window caption.
  setApplicationName(QString::fromUtf8(upgrade::kApplicationTitle.data(),
                                       static_cast<qsizetype>(upgrade::kApplicationTitle.size())));
  setDesktopFileName("aisfw-gui");
  // The window is laid out to the pixel: one style and one light palette on
  // every desktop.
  if (QStyle* fusion = QStyleFactory::create("Fusion")) {
    setStyle(fusion);
    setPalette(fusion->standardPalette());
  }
  setFont(WindowFont());
}

bool Application::notify(QObject* receiver, QEvent* event) {
  // An exception must not unwind through the toolkit's event loop.
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    ShowEscapedError(QString::fromUtf8(error.what()));
  } catch (...) {
    ShowEscapedError(QString());
  }
  return false;
}

}  // namespace app
