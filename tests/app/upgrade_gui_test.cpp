// The window against the virtual transponder in real time: aisfw-sim on a
// pseudo-terminal, its path typed into the port list, Continue, the version
// page, Yes, and the whole upgrade, read off the window; then the same with
// the line hanging up in mid-transfer.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "app/form1.h"
#include "firmware/image_writer.h"
#include "tests/app/fake_ports.h"
#include "tests/app/gui_test_main.h"
#include "tests/app/message_boxes.h"
#include "tests/app/sim_process.h"

namespace gui_test {
namespace {

namespace fs = std::filesystem;

constexpr int kStepLimitMs = 30'000;
const QString kForceConnect =
    "Note! Any force connect this serial port may cause unpredictable mistakes. Continue?";

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// An image of `blocks` code blocks (the last one short) of made-up code.
std::vector<std::uint8_t> MakeImage(std::size_t blocks, std::uint8_t seed) {
  std::vector<std::uint8_t> code(blocks * 256 - 77);
  for (std::size_t i = 0; i < code.size(); ++i) {
    code[i] = static_cast<std::uint8_t>(seed + i * 31 + (i >> 8));
  }
  return firmware::PackImage(code);
}

bool WriteFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

}  // namespace

class UpgradeGuiTest final : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  fs::path bin_;
  std::vector<std::uint8_t> kernel_;
  std::vector<std::uint8_t> application_;
  FakePorts ports_;  // none: the device is reached by a typed path
  std::unique_ptr<app::TForm1> form_;
  std::unique_ptr<MessageBoxes> boxes_;

  template <typename W = QWidget>
  W* Find(const char* name) {
    return form_->findChild<W*>(name);
  }
  QString Label(const char* name) { return Find<QLabel>(name)->text(); }
  QString Page() {
    return Find<QStackedWidget>("PageControlFirmwareUpgradeStage")->currentWidget()->objectName();
  }
  void Click(const char* name) {
    auto* button = Find<QAbstractButton>(name);
    QVERIFY2(button->isVisible() && button->isEnabled(), name);
    QTest::mouseClick(button, Qt::LeftButton);
  }

  // From the checklist to the version page's question, on `port`.
  void ConnectTo(const std::string& port) {
    app::FormSetup setup;
    setup.ports = &ports_;
    setup.folders.BinFolder = bin_;
    setup.watchHotplug = false;
    form_ = std::make_unique<app::TForm1>(std::move(setup));
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    Click("SpeedButtonStart");
    QLineEdit* edit = Find<QComboBox>("cbxComPort")->lineEdit();
    edit->selectAll();
    QTest::keyClicks(edit, QString::fromStdString(port));
    // A typed path is not among the openable ports the system lists.
    boxes_->Answer(QMessageBox::Ok);
    Click("OpenPort");
    QTRY_VERIFY_WITH_TIMEOUT(Find("SpeedButtonFrmVerWantToContinueYes")->isVisible(), kStepLimitMs);
    QCOMPARE(boxes_->Texts(), QStringList({kForceConnect}));
  }

 private Q_SLOTS:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    bin_ = fs::path(dir_.path().toStdString()) / "Bin";
    fs::create_directories(bin_);
    kernel_ = MakeImage(24, 0x11);
    application_ = MakeImage(31, 0x5A);
    // The device's languages 1,2,3,5 choose application image 702.
    QVERIFY(WriteFile(bin_ / "App_700.SBIN", kernel_));
    QVERIFY(WriteFile(bin_ / "App_702.SBIN", application_));
    std::ofstream catalogue(bin_ / "Firmware.csv");
    catalogue << "Bin/App_700.SBIN,K7.0.3\nBin/App_702.SBIN,V7.2.9\n";
    catalogue.close();
    QVERIFY(static_cast<bool>(catalogue));
  }
  void init() { boxes_ = std::make_unique<MessageBoxes>(); }
  void cleanup() {
    form_.reset();
    boxes_.reset();
  }

  void upgradesTheKernelAndTheApplication() {
    const fs::path parts = fs::path(dir_.path().toStdString()) / "parts";
    SimProcess sim({"--quiet", "--out", parts.string(), "--firmware", "V6.1.0", "--serial",
                    "4455667", "--countdown-ms", "40", "--programming-ms", "40"});
    QVERIFY(!sim.Port().empty());
    ConnectTo(sim.Port());
    QCOMPARE(Page(), QString("TabSheetFirmwareVersion"));
    for (const char* original : {"LabelFrmVerOriginal1", "LabelFrmVerOriginal3"}) {
      QCOMPARE(Label(original), QString("V6.1.0"));
    }
    for (const char* next : {"LabelFrmVerNew1", "LabelFrmVerNew3"}) {
      QCOMPARE(Label(next), QString("V7.2.9"));
    }
    QVERIFY(Find("LabelFrmVerWantToContinue")->isVisible());

    Click("SpeedButtonFrmVerWantToContinueYes");
    QTRY_COMPARE_WITH_TIMEOUT(Label("StaticTextFrmUpgMessage1"),
                              QString("Firmware upgrade finished."), 2 * kStepLimitMs);
    QCOMPARE(Page(), QString("TabSheetFirmwareUpgrade"));
    QCOMPARE(Label("StaticTextFrmUpgMessage2"), QString("Please restart your AIS device."));
    QCOMPARE(Label("LabelFrmUpgSerialNumber1"), QString("4455667"));
    QCOMPARE(Label("LabelProgressPersent"), QString("100%"));
    QCOMPARE(boxes_->Texts(), QStringList({kForceConnect}));
    QVERIFY(ReadBytes(parts / "kernel.bin") == kernel_);
    QVERIFY(ReadBytes(parts / "application.bin") == application_);

    QVERIFY(Find("SpeedButtonFrmUpgFinish")->isEnabled());
    Click("SpeedButtonFrmUpgFinish");
    QCOMPARE(Page(), QString("TabSheetStart"));
  }

  // The line goes away after five blocks of the kernel: the failure is
  // shown, and the window goes on answering the user.
  void aHangUpEndsInAFailureMessage() {
    SimProcess sim(
        {"--quiet", "--countdown-ms", "40", "--programming-ms", "40", "--fault", "hangup:5"});
    QVERIFY(!sim.Port().empty());
    ConnectTo(sim.Port());
    Click("SpeedButtonFrmVerWantToContinueYes");
    const QStringList failures = {
        "Serial port disconnected! Please check the cable and the device, then try again.",
        "Command sending fail!"};
    QTRY_VERIFY_WITH_TIMEOUT(boxes_->Texts().size() >= 2, kStepLimitMs);
    qInfo() << "the failure shown:" << boxes_->Texts()[1];
    QVERIFY2(failures.contains(boxes_->Texts()[1]), qPrintable(boxes_->Texts().join(" | ")));
    QVERIFY(Label("StaticTextFrmUpgMessage1") != "Firmware upgrade finished.");

    // Responsive: the Exit button asks its question, and Cancel keeps the
    // window.
    boxes_->Answer(QMessageBox::Cancel);
    const qsizetype before = boxes_->Texts().size();
    Find<QAbstractButton>(Page() == "TabSheetStart" ? "SpeedButtonExit1" : "SpeedButtonExit")
        ->click();
    QCOMPARE(boxes_->Texts().size(), before + 1);
    QCOMPARE(boxes_->Texts().last(), QString("Are you sure to exit?"));
    QVERIFY(form_->isVisible());
  }
};

}  // namespace gui_test

AISFW_GUI_TEST_MAIN(gui_test::UpgradeGuiTest)
#include "upgrade_gui_test.moc"
