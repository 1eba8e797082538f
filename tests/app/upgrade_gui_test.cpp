// The window against the virtual transponder in real time: aisfw-sim on a
// pseudo-terminal, its path typed into the port list, Continue, the version
// page, Yes, and the whole upgrade, read off the window, with the firmware
// folder given as --bin gives it and as it is chosen in the window; a
// folder without the firmware, named in the message; the exit question
// during a transfer; the line hanging up in mid-transfer.

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "app/command_line.h"
#include "app/form1.h"
#include "firmware/image_writer.h"
#include "tests/app/fake_ports.h"
#include "tests/app/gui_test_main.h"
#include "tests/app/message_boxes.h"
#include "tests/process/sim_process.h"

namespace gui_test {
namespace {

using test_process::SimProcess;

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
  QTemporaryDir elsewhere_;  // the current folder: no firmware there
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

  void MakeForm(const fs::path& binFolder) {
    app::FormSetup setup;
    setup.ports = &ports_;
    setup.folders.BinFolder = binFolder;
    // Nothing beside the program: only what the test gives is found.
    setup.folders.ProgramFolder = elsewhere_.path().toStdString();
    setup.settingsFile = elsewhere_.filePath("aisfw-gui.ini");
    setup.logFolder = elsewhere_.filePath("logs");
    setup.watchHotplug = false;
    form_ = std::make_unique<app::TForm1>(std::move(setup));
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  }

  // From the checklist through Continue on `port` (the form made).
  void StartOn(const std::string& port) {
    Click("SpeedButtonStart");
    QLineEdit* edit = Find<QComboBox>("cbxComPort")->lineEdit();
    edit->selectAll();
    QTest::keyClicks(edit, QString::fromStdString(port));
    // A typed path is not among the openable ports the system lists.
    boxes_->Answer(QMessageBox::Ok);
    Click("OpenPort");
  }

  // From the checklist to the version page's question, on `port`, with the
  // firmware in `binFolder`.
  void ConnectTo(const std::string& port, const fs::path& binFolder) {
    MakeForm(binFolder);
    StartOn(port);
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
    // The program is started from another folder.
    QVERIFY(QDir::setCurrent(elsewhere_.path()));
  }
  void init() { boxes_ = std::make_unique<MessageBoxes>(); }
  void cleanup() {
    form_.reset();
    boxes_.reset();
  }

  // Started from another folder with --bin DIR. Meanwhile the upgrade page
  // shows the part's time and both parts' progress, the log shows the
  // blocks, and the exit question says where the device would be left
  // (Cancel, and the upgrade goes on).
  void upgradesWithTheFolderGivenAsBin() {
    const fs::path parts = fs::path(dir_.path().toStdString()) / "parts";
    SimProcess sim({"--quiet", "--out", parts.string(), "--firmware", "V6.1.0", "--serial",
                    "4455667", "--countdown-ms", "40", "--programming-ms", "40"});
    QVERIFY(!sim.Port().empty());
    const app::CommandLine line = app::ParseCommandLine({"--bin", bin_.string()}, true);
    QCOMPARE(int(line.action), int(app::CommandLine::Action::Run));
    ConnectTo(sim.Port(), line.binFolder);
    QCOMPARE(Page(), QString("TabSheetFirmwareVersion"));
    for (const char* original : {"LabelFrmVerOriginal1", "LabelFrmVerOriginal3"}) {
      QCOMPARE(Label(original), QString("V6.1.0"));
    }
    for (const char* next : {"LabelFrmVerNew1", "LabelFrmVerNew3"}) {
      QCOMPARE(Label(next), QString("V7.2.9"));
    }
    QVERIFY(Find("LabelFrmVerWantToContinue")->isVisible());

    Click("SpeedButtonFrmVerWantToContinueYes");
    auto* overall = Find<QProgressBar>("ProgressBarOverall");
    // 24 code blocks and the end block.
    QTRY_VERIFY_WITH_TIMEOUT(Label("LabelDebugFrmUpg") == "6/25", kStepLimitMs);
    QVERIFY2(Label("LabelFrmUpgTime")
                 .contains(QRegularExpression(R"(^Kernel: 0:0\d elapsed, about 0:0\d left$)")),
             qPrintable(Label("LabelFrmUpgTime")));
    QVERIFY(overall->isVisible());
    // 6 of 25 + 32 blocks.
    QVERIFY2(overall->value() >= 9 && overall->value() <= 11,
             qPrintable(QString::number(overall->value())));
    const QString sent = Find<QPlainTextEdit>("MemoTX")->toPlainText();
    QVERIFY2(
        sent.contains(QRegularExpression(R"(\d\d:\d\d:\d\d\.\d\d\d \[block 1/25, 263 bytes\])")),
        qPrintable(sent.right(400)));

    boxes_->Answer(QMessageBox::Cancel);
    Find<QAbstractButton>("SpeedButtonExit")->click();
    const QString question = boxes_->Texts().last();
    QVERIFY2(question.contains(QRegularExpression(
                 "^Are you sure to exit\\?\n\nThe upgrade is not finished: exiting now leaves the "
                 "device part-way through its kernel \\(block \\d+ of 25\\), and it must be "
                 "upgraded again\\.$")),
             qPrintable(question));

    QTRY_COMPARE_WITH_TIMEOUT(Label("StaticTextFrmUpgMessage1"),
                              QString("Firmware upgrade finished."), 2 * kStepLimitMs);
    QCOMPARE(Page(), QString("TabSheetFirmwareUpgrade"));
    QCOMPARE(overall->value(), 100);
    QCOMPARE(Label("StaticTextFrmUpgMessage2"), QString("Please restart your AIS device."));
    QCOMPARE(Label("LabelFrmUpgSerialNumber1"), QString("4455667"));
    QCOMPARE(Label("LabelProgressPersent"), QString("100%"));
    QCOMPARE(boxes_->Texts(), QStringList({kForceConnect, question}));
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
    ConnectTo(sim.Port(), bin_);
    Click("SpeedButtonFrmVerWantToContinueYes");
    const QStringList failures = {
        "Serial port disconnected! Please check the cable and the device, then try again.",
        "Command sending fail!"};
    QTRY_VERIFY_WITH_TIMEOUT(boxes_->Texts().size() >= 2, kStepLimitMs);
    const QStringList shown = boxes_->Texts()[1].split("\n\n");
    qInfo() << "the failure shown:" << shown.front();
    QVERIFY2(failures.contains(shown.front()), qPrintable(boxes_->Texts().join(" | ")));
    // The log was saved, with the blocks that went out.
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[1], "The log was saved to " + form_->LastSavedLog());
    QFile saved(form_->LastSavedLog());
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(saved.readAll().contains("[block 5/25, 263 bytes]"));
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

  // Nothing beside the program nor in the current folder: the folder is
  // chosen in the window, and the upgrade goes through.
  void upgradesWithTheFolderChosenInTheWindow() {
    SimProcess sim({"--quiet", "--countdown-ms", "40", "--programming-ms", "40"});
    QVERIFY(!sim.Port().empty());
    MakeForm({});
    QVERIFY(form_->FirmwareFolder() != bin_);
    Click("SpeedButtonFirmwareFolder");
    auto* dialog = form_->findChild<QDialog*>("FirmwareFolderDialog");
    QVERIFY(dialog != nullptr);
    auto* path = dialog->findChild<QLineEdit*>("FirmwareFolderPath");
    path->selectAll();
    QTest::keyClicks(path, QString::fromStdString(bin_.string()));
    // The catalogue's images and versions, as the folder has them.
    QCOMPARE(dialog->findChild<QLabel*>("FirmwareFolderSummary")->text(),
             QString("The catalogue lists 2 images; 2 of them are here and valid."));
    dialog->accept();
    QCOMPARE(form_->FirmwareFolder(), bin_);

    StartOn(sim.Port());
    QTRY_VERIFY_WITH_TIMEOUT(Find("SpeedButtonFrmVerWantToContinueYes")->isVisible(), kStepLimitMs);
    Click("SpeedButtonFrmVerWantToContinueYes");
    QTRY_COMPARE_WITH_TIMEOUT(Label("StaticTextFrmUpgMessage1"),
                              QString("Firmware upgrade finished."), 2 * kStepLimitMs);
  }

  // A folder without the images, or without the catalogue: the message
  // names the folder that was searched.
  void aWrongFolderIsNamedInTheMessage_data() {
    QTest::addColumn<bool>("withImages");
    QTest::addColumn<QString>("message");
    QTest::newRow("no images") << false << "No firmware is found or incorrect firmware!     ";
    QTest::newRow("no catalogue") << true << "No firmware version is detected!     ";
  }
  void aWrongFolderIsNamedInTheMessage() {
    QFETCH(bool, withImages);
    QFETCH(QString, message);
    const fs::path wrong = fs::path(dir_.path().toStdString()) / QTest::currentDataTag();
    fs::create_directories(wrong);
    if (withImages) {
      fs::copy_file(bin_ / "App_700.SBIN", wrong / "App_700.SBIN");
      fs::copy_file(bin_ / "App_702.SBIN", wrong / "App_702.SBIN");
    }
    SimProcess sim({"--quiet"});
    QVERIFY(!sim.Port().empty());
    MakeForm(wrong);
    StartOn(sim.Port());
    QTRY_VERIFY_WITH_TIMEOUT(boxes_->Texts().size() >= 2, kStepLimitMs);
    const QStringList lines = boxes_->Texts()[1].split('\n');
    QVERIFY(lines.size() >= 2);
    QCOMPARE(lines[0], message);
    QCOMPARE(lines[1], "Firmware folder searched: " + QString::fromStdString(wrong.string()));
  }
};

}  // namespace gui_test

AISFW_GUI_TEST_MAIN(gui_test::UpgradeGuiTest)
#include "upgrade_gui_test.moc"
