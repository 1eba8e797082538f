// The window's parts that need no window: its command line, the contrast
// arithmetic, where it looks for firmware and what it reads of a folder, and
// how it reckons a transfer's blocks, time and overall progress.

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "app/command_line.h"
#include "app/contrast.h"
#include "app/firmware_folder.h"
#include "app/upgrade_progress.h"
#include "firmware/image_file.h"
#include "firmware/image_writer.h"
#include "tests/app/gui_test_main.h"
#include "upgrade/transfer_state.h"
#include "upgrade/wizard_state.h"

namespace gui_test {
namespace {

namespace fs = std::filesystem;
using app::CommandLine;

void Write(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

std::vector<std::uint8_t> Image(std::size_t codeBytes) {
  std::vector<std::uint8_t> code(codeBytes);
  for (std::size_t i = 0; i < code.size(); ++i) code[i] = static_cast<std::uint8_t>(i * 7);
  return firmware::PackImage(code);
}

constexpr std::int32_t kTransfer = upgrade::StageNumber(upgrade::Stage::Transfer);
constexpr std::int32_t kFinalCheck = upgrade::StageNumber(upgrade::Stage::FinalCheck);

app::TransferSnapshot Sending(std::int32_t part, std::uint32_t block, std::uint32_t total) {
  app::TransferSnapshot s;
  s.stage = kTransfer;
  s.running = true;
  s.part = part;
  s.block = block;
  s.total = total;
  s.reply = upgrade::kReplyAwaiting;
  return s;
}

}  // namespace

class PartsTest final : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void commandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("strict");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("bin");
    QTest::addColumn<QString>("error");
    const auto row = [](const char* name, QStringList args, bool strict, CommandLine::Action a,
                        QString bin = {}, QString error = {}) {
      QTest::newRow(name) << args << strict << int(a) << bin << error;
    };
    using A = CommandLine::Action;
    row("none", {}, true, A::Run);
    row("--bin DIR", {"--bin", "/opt/fw"}, true, A::Run, "/opt/fw");
    row("--bin=DIR", {"--bin=/opt/fw"}, true, A::Run, "/opt/fw");
    row("the last --bin", {"--bin", "a", "--bin", "b"}, true, A::Run, "b");
    row("--bin alone", {"--bin"}, true, A::UsageError, {}, "--bin needs a folder");
    row("--bin=", {"--bin="}, false, A::UsageError, {}, "--bin needs a folder");
    row("-h", {"-h"}, true, A::Help);
    row("--help after others", {"--bin", "x", "--help"}, true, A::Help, "x");
    row("-V", {"-V"}, true, A::Version);
    row("--version", {"--version"}, true, A::Version);
    row("unknown, strict", {"--bogus"}, true, A::UsageError, {}, "unknown option --bogus");
    row("stray, strict", {"here"}, true, A::UsageError, {}, "unexpected argument here");
    // Before the toolkit has taken its options, they are left to it.
    row("the toolkit's, lenient", {"-platform", "offscreen", "--bin", "d"}, false, A::Run, "d");
    row("help needs no display", {"-platform", "xcb", "--help"}, false, A::Help);
  }
  void commandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, strict);
    QFETCH(int, action);
    QFETCH(QString, bin);
    QFETCH(QString, error);
    std::vector<std::string> args;
    for (const QString& a : arguments) args.push_back(a.toStdString());
    const CommandLine line = app::ParseCommandLine(args, strict);
    QCOMPARE(int(line.action), action);
    QCOMPARE(QString::fromStdString(line.binFolder), bin);
    QCOMPARE(QString::fromStdString(line.error), error);
  }

  void helpAndVersionTexts() {
    const QString help = QString::fromStdString(app::HelpText("aisfw-gui"));
    QVERIFY(help.contains("\nUsage: aisfw-gui [OPTIONS]\n"));
    for (const char* option : {"-h,--help", "-V,--version", "--bin DIR"}) {
      QVERIFY2(help.contains(QString("\n  ") + option), option);
    }
    QVERIFY(QString::fromStdString(app::VersionText())
                .contains(QRegularExpression(R"(^aisfw-gui \d+\.\d+\.\d+\n$)")));
  }

  // Known values of the contrast formula, and a pale colour made readable.
  void contrast() {
    QCOMPARE(app::ContrastRatio(Qt::black, Qt::white), 21.0);
    QCOMPARE(app::ContrastRatio(QColor(0x77, 0x77, 0x77), QColor(0x77, 0x77, 0x77)), 1.0);
    // #767676 on white is the classic 4.5:1 grey.
    QVERIFY(qAbs(app::ContrastRatio(QColor(0x76, 0x76, 0x76), Qt::white) - 4.54) < 0.01);
    // The palest step of the upgrade messages' cycle on the page.
    const QColor pale(225, 225, 255);
    const QColor page(244, 249, 253);
    QVERIFY(app::ContrastRatio(pale, page) < 1.3);
    const QColor shown = app::ReadableOn(pale, page);
    QVERIFY(app::ContrastRatio(shown, page) >= app::kMinimumContrast);
    QVERIFY(app::ContrastRatio(shown, page) <
            app::kMinimumContrast + 0.2);  // no darker than needed
    QVERIFY(shown.blue() > shown.red());   // the hue kept
    // A readable colour is kept; on a dark background a dark one is lightened.
    QCOMPARE(app::ReadableOn(QColor(0, 0, 128), page), QColor(0, 0, 128));
    const QColor lifted = app::ReadableOn(QColor(0, 0, 128), QColor(20, 20, 20));
    QVERIFY(app::ContrastRatio(lifted, QColor(20, 20, 20)) >= app::kMinimumContrast);
  }

  // The default search, in order; the first with a catalogue wins, and with
  // none the first is named.
  void theFirmwareFolderSearch() {
    QTemporaryDir root;
    const fs::path prefix = root.path().toStdString();
    const fs::path program = prefix / "usr/bin";
    const fs::path current = prefix / "home/tech";
    const std::vector<fs::path> candidates = app::FirmwareFolderCandidates(program, current);
    QCOMPARE(candidates.size(), std::size_t{3});
    QCOMPARE(candidates[0], program / "Bin");
    QCOMPARE(candidates[1], prefix / "usr/share/aisfw/Bin");
    QCOMPARE(candidates[2], current / "Bin");

    QCOMPARE(app::FindFirmwareFolder(candidates), candidates[0]);
    for (const fs::path& folder : candidates) fs::create_directories(folder);
    // A folder named Firmware.csv is no catalogue.
    fs::create_directories(candidates[0] / "Firmware.csv");
    Write(candidates[2] / "Firmware.csv", "Bin/App_700.SBIN,K1\n");
    QCOMPARE(app::FindFirmwareFolder(candidates), candidates[2]);
    Write(candidates[1] / "Firmware.csv", "Bin/App_700.SBIN,K1\n");
    QCOMPARE(app::FindFirmwareFolder(candidates), candidates[1]);
  }

  // What a folder's catalogue lists: versions as the upgrade reads them,
  // images valid, missing or damaged, texts escaped, the listing bounded.
  void whatAFolderHolds() {
    QTemporaryDir dir;
    const fs::path folder = dir.path().toStdString();
    QVERIFY(!app::DescribeFirmwareFolder(folder).catalogueFound);

    std::vector<std::uint8_t> kernel = Image(3000);
    std::vector<std::uint8_t> damaged = Image(600);
    damaged[263 + 20] ^= 0xFF;
    std::string error;
    QVERIFY(firmware::WriteFileBytes(folder / "App_700.SBIN", kernel, error));
    QVERIFY(firmware::WriteFileBytes(folder / "App_701.SBIN", damaged, error));
    Write(folder / "Firmware.csv",
          "Bin/App_700.SBIN,K7.0.3\r\n"
          "Bin\\App_701.SBIN,,V7.1.0,extra\n"
          "Bin/App_702.SBIN,V7.2\x1b[2J\n"
          "a line without a comma\n"
          "Bin/App_700.SBIN,again\n");
    const app::FolderReport report = app::DescribeFirmwareFolder(folder);
    QVERIFY(report.catalogueFound);
    QVERIFY(!report.cut);
    QCOMPARE(report.entries.size(), std::size_t{3});
    using State = app::CatalogueEntry::State;
    const struct {
      const char* image;
      const char* version;
      State state;
      std::uint32_t blocks;
    } expected[] = {{"Bin/App_700.SBIN", "K7.0.3", State::Valid, 13},
                    {"Bin\\App_701.SBIN", "V7.1.0", State::Invalid, 0},
                    {"Bin/App_702.SBIN", "V7.2\\x1b[2J", State::Missing, 0}};
    for (std::size_t i = 0; i < std::size(expected); ++i) {
      const app::CatalogueEntry& entry = report.entries[i];
      QCOMPARE(entry.image, std::string(expected[i].image));
      QCOMPARE(entry.version, std::string(expected[i].version));
      QCOMPARE(int(entry.state), int(expected[i].state));
      if (entry.state == State::Valid) QCOMPARE(entry.blocks, expected[i].blocks);
    }
    QVERIFY(report.entries[1].problem.find("block 2") != std::string::npos);
    QVERIFY(report.entries[2].problem.find("App_702.SBIN") != std::string::npos);
    QCOMPARE(app::ImageBlockCount(folder / "App_700.SBIN"), std::optional<std::uint32_t>(13));
    QCOMPARE(app::ImageBlockCount(folder / "App_701.SBIN"), std::optional<std::uint32_t>());

    std::string many;
    for (std::size_t i = 0; i < app::kCatalogueEntryLimit + 5; ++i) {
      many += "Bin/App_" + std::to_string(800 + i) + ".SBIN,V" + std::to_string(i) + "\n";
    }
    Write(folder / "Firmware.csv", many);
    const app::FolderReport bounded = app::DescribeFirmwareFolder(folder);
    QCOMPARE(bounded.entries.size(), app::kCatalogueEntryLimit);
    QVERIFY(bounded.cut);
  }

  // A block is logged when a tick leaves the sequencer awaiting a reply it
  // was not awaiting, or when the device restarted the part.
  void theBlockLine_data() {
    QTest::addColumn<int>("replyBefore");
    QTest::addColumn<int>("blockBefore");
    QTest::addColumn<bool>("readyBefore");
    QTest::addColumn<int>("replyAfter");
    QTest::addColumn<int>("blockAfter");
    QTest::addColumn<bool>("sum16");
    QTest::addColumn<QString>("line");
    const int awaiting = upgrade::kReplyAwaiting;
    QTest::newRow("next block") << 4 << 4 << false << awaiting << 5 << false
                                << "[block 5/64, 263 bytes]";
    QTest::newRow("with the sum") << 4 << 4 << false << awaiting << 5 << true
                                  << "[block 5/64, 264 bytes]";
    QTest::newRow("repeated") << -1 << 5 << false << awaiting << 5 << false
                              << "[block 5/64, again, 263 bytes]";
    QTest::newRow("restarted") << awaiting << 9 << true << awaiting << 1 << false
                               << "[block 1/64, the part restarted, 263 bytes]";
    QTest::newRow("still waiting") << awaiting << 5 << false << awaiting << 5 << false << "";
    QTest::newRow("reply taken, nothing sent") << 5 << 5 << false << 5 << 5 << false << "";
  }
  void theBlockLine() {
    QFETCH(int, replyBefore);
    QFETCH(int, blockBefore);
    QFETCH(bool, readyBefore);
    QFETCH(int, replyAfter);
    QFETCH(int, blockAfter);
    QFETCH(bool, sum16);
    QFETCH(QString, line);
    app::TransferSnapshot before = Sending(1, blockBefore, 64);
    before.reply = replyBefore;
    before.deviceReady = readyBefore;
    app::TransferSnapshot after = Sending(1, blockAfter, 64);
    after.reply = replyAfter;
    after.sum16 = sum16;
    const auto got = app::SentBlockLine(before, after);
    QCOMPARE(got ? QString::fromStdString(*got) : QString(), line);
  }

  // The part's clock starts with block 1; time left follows the pace; the
  // overall progress counts the kernel's and the application's blocks.
  void timeAndOverallProgress() {
    using namespace std::chrono_literals;
    app::UpgradeProgress progress;
    const auto t0 = app::UpgradeProgress::Clock::time_point{} + 1000s;
    app::TransferSnapshot idle = Sending(1, 0, 40);
    idle.reply = upgrade::kReplyStartTransfer;
    progress.SetApplicationBlocks(60);
    progress.Update(idle, Sending(1, 1, 40), t0);
    QCOMPARE(progress.OverallPercent(), std::optional<int>(1));
    app::TransferSnapshot at = Sending(1, 1, 40);
    for (std::uint32_t block = 2; block <= 11; ++block) {
      app::TransferSnapshot before = at;
      before.reply = static_cast<std::int32_t>(block - 1);  // the device's reply
      at = Sending(1, block, 40);
      progress.Update(before, at, t0 + (block - 1) * 2s);
    }
    // 10 blocks in 20 s, 29 to go.
    QCOMPARE(QString::fromStdString(progress.TimeText()),
             QString("Kernel: 0:20 elapsed, about 0:58 left"));
    QCOMPARE(progress.OverallPercent(), std::optional<int>(11));  // 11 of 100

    app::TransferSnapshot check = at;
    check.stage = kFinalCheck;
    check.block = 41;
    progress.Update(at, check, t0 + 90s);
    QVERIFY(QString::fromStdString(progress.TimeText()).startsWith("Kernel: all blocks sent in"));

    // The application: its own clock, the kernel counted whole.
    app::TransferSnapshot waiting = Sending(2, 0, 60);
    waiting.reply = upgrade::kReplyStartTransfer;
    progress.Update(waiting, Sending(2, 1, 60), t0 + 100s);
    QCOMPARE(progress.OverallPercent(), std::optional<int>(41));
    app::TransferSnapshot done = Sending(2, 60, 60);
    done.finished = true;
    progress.Update(done, done, t0 + 200s);
    QCOMPARE(progress.OverallPercent(), std::optional<int>(100));

    // Unknown application size: no overall figure.
    progress.Reset();
    progress.Update(idle, Sending(1, 1, 40), t0);
    QCOMPARE(progress.OverallPercent(), std::optional<int>());
  }
};

}  // namespace gui_test

AISFW_GUI_TEST_MAIN(gui_test::PartsTest)
#include "parts_test.moc"
