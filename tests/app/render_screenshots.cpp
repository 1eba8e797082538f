// gui_screenshots DIR: renders the window to PNG files in DIR, offscreen,
// against aisfw-sim on a pseudo-terminal with the sample firmware (`make
// screenshots`): the four pages, an error box, the automatic mode, a failed
// transfer and the firmware-folder choice. The title bars are drawn here, as
// the offscreen platform has none.

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <functional>
#include <memory>

#include "app/application.h"
#include "app/form1.h"
#include "firmware/image_writer.h"
#include "tests/app/fake_ports.h"
#include "tests/app/gui_test_main.h"
#include "tests/app/message_boxes.h"
#include "tests/process/sim_process.h"

namespace {

constexpr int kTitleBarHeight = 28;

// `client` under a plain title bar with `caption`.
QImage Framed(const QPixmap& client, const QString& caption) {
  QImage image(client.width() + 2, client.height() + kTitleBarHeight + 1, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(image.rect(), QColor(0x2B, 0x3A, 0x4A));
  QLinearGradient bar(0, 0, 0, kTitleBarHeight);
  bar.setColorAt(0, QColor(0x3C, 0x4E, 0x62));
  bar.setColorAt(1, QColor(0x2B, 0x3A, 0x4A));
  p.fillRect(QRect(0, 0, image.width(), kTitleBarHeight), bar);
  QFont font = app::WindowFont();
  font.setBold(true);
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(QRect(10, 0, image.width() - 60, kTitleBarHeight), Qt::AlignVCenter | Qt::AlignLeft,
             caption.trimmed());
  // Minimise and close.
  p.setPen(QPen(QColor(0xD8, 0xE2, 0xEC), 1.6));
  const int right = image.width() - 14;
  const int mid = kTitleBarHeight / 2;
  p.drawLine(right - 5, mid - 5, right + 5, mid + 5);
  p.drawLine(right - 5, mid + 5, right + 5, mid - 5);
  p.drawLine(right - 35, mid + 4, right - 25, mid + 4);
  p.drawPixmap(1, kTitleBarHeight, client);
  return image;
}

// The framed `box` centred over the framed window, with a soft shadow.
QImage BoxOverWindow(const QImage& window, const QImage& box) {
  QImage image = window;
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QPoint at((window.width() - box.width()) / 2, (window.height() - box.height()) / 2 + 10);
  for (int i = 6; i > 0; --i) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 10));
    p.drawRoundedRect(QRect(at, box.size()).adjusted(-i, -i + 3, i, i + 3), 6, 6);
  }
  p.drawImage(at, box);
  return image;
}

class Renderer {
 public:
  explicit Renderer(QString folder) : folder_(std::move(folder)) {}

  bool Run() {
    if (!dir_.isValid() || !QDir().mkpath(folder_)) return Fail("cannot create the folders");
    std::string error;
    if (!firmware::WriteSampleFirmware(dir_.path().toStdString(), error))
      return Fail(error.c_str());
    return Pages() && AutomaticMode() && Failure();
  }

 private:
  // The window on `ports`, its settings and logs kept in the scratch folder.
  bool MakeForm(comm::PortEnumerator& ports) {
    form_.reset();
    app::FormSetup setup;
    setup.ports = &ports;
    setup.describer = &describer_;
    setup.folders.BinFolder = dir_.filePath("Bin").toStdString();
    setup.settingsFile = dir_.filePath("aisfw-gui.ini");
    setup.logFolder = "/tmp/aisfw-gui-logs";  // a short path for the picture
    setup.watchHotplug = false;
    form_ = std::make_unique<app::TForm1>(std::move(setup));
    form_->show();
    if (!QTest::qWaitForWindowExposed(form_.get())) return Fail("the window did not show");
    return true;
  }

  // The checklist, the folder choice, an error box, then the pages of an
  // upgrade.
  bool Pages() {
    test_process::SimProcess sim({"--quiet", "--firmware", "V2.1.4", "--serial", "2731405",
                                  "--countdown-ms", "100", "--programming-ms", "200"});
    if (sim.Port().empty()) return Fail("aisfw-sim did not start");
    gui_test::FakePorts ports({"ttyS0", "ttyUSB0"});
    gui_test::MessageBoxes boxes;
    if (!MakeForm(ports)) return false;
    if (!Save("1-checklist.png")) return false;

    Click("SpeedButtonFirmwareFolder");
    auto* dialog = form_->findChild<QDialog*>("FirmwareFolderDialog");
    if (dialog == nullptr || !WaitFor([&] { return dialog->isVisible(); }))
      return Fail("the firmware-folder dialog did not open");
    QTest::qWait(100);
    if (!Write(BoxOverWindow(Window(), Framed(dialog->grab(), dialog->windowTitle())),
               "8-firmware-folder.png"))
      return false;
    dialog->reject();

    // An open failure first, for the error box: a port that is not there.
    Click("SpeedButtonStart");
    Type("/dev/ttyUSB7");
    boxes.Answer(QMessageBox::Ok);  // the force-connect question
    QElapsedTimer shown;
    bool saved = false;
    boxes.Answer({QMessageBox::Ok, [&] { shown.start(); },
                  [&] {
                    if (shown.elapsed() < 150) return false;
                    saved = SaveBox("5-error-message.png");
                    return true;
                  },
                  5'000});
    Click("OpenPort");
    if (!WaitFor([&] { return boxes.Shown().size() == 2 && !QApplication::activeModalWidget(); }))
      return Fail("the open failure was not shown");
    if (!saved) return false;

    // The virtual transponder: connecting, the versions, the transfer.
    Type(QString::fromStdString(sim.Port()));
    boxes.Answer(QMessageBox::Ok);
    Click("OpenPort");
    QTest::qWait(700);
    if (!Save("2-serial-port.png")) return false;
    if (!WaitFor([&] { return Find("SpeedButtonFrmVerWantToContinueYes")->isVisible(); }))
      return Fail("the version page did not ask");
    if (!Save("3-firmware-version.png")) return false;
    Click("SpeedButtonFrmVerWantToContinueYes");
    auto* bar = form_->findChild<QProgressBar*>("ProgressBar2");
    if (!WaitFor([&] { return bar->value() >= 45; })) return Fail("the transfer did not start");
    return Save("4-upgrade.png");
  }

  // The automatic mode scanning: the simulator's port is the only one.
  bool AutomaticMode() {
    test_process::SimProcess sim({"--quiet", "--baud", "38400"});
    if (sim.Port().empty()) return Fail("aisfw-sim did not start");
    gui_test::FakePorts ports({sim.Port()});
    if (!MakeForm(ports)) return false;
    Click("SpeedButtonStart");
    Click("RadioButtonConnectionModeAuto");
    Click("OpenPort");
    QTest::qWait(5'300);  // on to the third rate
    return Save("6-automatic-mode.png");
  }

  // The line goes away during the kernel: the failure and where the log is.
  bool Failure() {
    test_process::SimProcess sim(
        {"--quiet", "--countdown-ms", "100", "--programming-ms", "200", "--fault", "hangup:24"});
    if (sim.Port().empty()) return Fail("aisfw-sim did not start");
    gui_test::FakePorts ports({"ttyUSB0"});
    gui_test::MessageBoxes boxes;
    if (!MakeForm(ports)) return false;
    Click("SpeedButtonStart");
    Type(QString::fromStdString(sim.Port()));
    boxes.Answer(QMessageBox::Ok);
    QElapsedTimer shown;
    bool saved = false;
    boxes.Answer({QMessageBox::Ok, [&] { shown.start(); },
                  [&] {
                    if (shown.elapsed() < 300) return false;
                    saved = SaveBox("7-failure.png");
                    return true;
                  },
                  5'000});
    Click("OpenPort");
    if (!WaitFor([&] { return Find("SpeedButtonFrmVerWantToContinueYes")->isVisible(); }))
      return Fail("the version page did not ask");
    Click("SpeedButtonFrmVerWantToContinueYes");
    if (!WaitFor([&] { return boxes.Shown().size() == 2 && !QApplication::activeModalWidget(); }))
      return Fail("the failure was not shown");
    return saved;
  }

  bool Fail(const char* what) {
    std::fprintf(stderr, "gui_screenshots: %s\n", what);
    return false;
  }
  QWidget* Find(const char* name) { return form_->findChild<QWidget*>(name); }
  void Click(const char* name) {
    QTest::mouseClick(form_->findChild<QAbstractButton*>(name), Qt::LeftButton);
  }
  void Type(const QString& text) {
    QLineEdit* edit = form_->findChild<QComboBox*>("cbxComPort")->lineEdit();
    edit->selectAll();
    QTest::keyClicks(edit, text);
  }
  bool WaitFor(const std::function<bool()>& done) {
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
      if (waited.elapsed() > 60'000) return false;
      QTest::qWait(20);
    }
    return true;
  }
  QImage Window() { return Framed(form_->grab(), form_->windowTitle()); }
  bool Write(const QImage& image, const char* name) {
    const QString path = QDir(folder_).filePath(name);
    if (!image.save(path, "PNG")) return Fail(qPrintable("cannot write " + path));
    std::printf("%s\n", qPrintable(path));
    return true;
  }
  bool Save(const char* name) { return Write(Window(), name); }
  bool SaveBox(const char* name) {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return Fail("no message box open");
    return Write(BoxOverWindow(Window(), Framed(box->grab(), box->windowTitle())), name);
  }

  QString folder_;
  QTemporaryDir dir_{QDir::tempPath() + "/aisfw-sample-XXXXXX"};
  gui_test::FakeDescriber describer_{
      {{"ttyUSB0",
        {"FTDI FT232R USB UART",
         "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3XYZ-if00-port0"}}}};
  std::unique_ptr<app::TForm1> form_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gui_screenshots DIR\n");
    return 2;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  if (!gui_test::FontsInstalled()) {
    std::fprintf(stderr, "gui_screenshots: fc-list finds no font; install fonts-dejavu-core\n");
    return 1;
  }
  app::Application application(argc, argv);
  Renderer renderer(QString::fromLocal8Bit(argv[1]));
  return renderer.Run() ? 0 : 1;
}
