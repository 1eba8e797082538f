// The window without a device: start-up state, the page flow of the
// buttons, the exit question, the message boxes, the log panes, the link,
// the hot-plug refresh and the event hand-over.

#include <QAction>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QUrl>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <thread>

#include "app/contrast.h"
#include "app/form1.h"
#include "app/qt_dispatcher.h"
#include "tests/app/fake_ports.h"
#include "tests/app/gui_test_main.h"
#include "tests/app/message_boxes.h"
#include "tests/comm/pty_pair.h"

namespace gui_test {
namespace {

const QString kCaption = "ZELO AIS Class A Firmware Upgrade";
const QString kTitle = "ZELO AIS Class A Firmware Update";
const QStringList kBaudRates = {"4800", "9600", "19200", "38400", "57600", "115200"};
const QString kManualNote1 = "Select appropriate serial port and baud rate!";
const QString kAutoNote1 = "Auto detect serial port and baud rate!";
const QString kManualNote2 =
    "Notice: When the desired serial port is not listed in the drop down menu, input the port "
    "number directly in the blank field to establish connnection.";
const QString kAutoNote2 =
    "Notice: It can happen that certain virtual com ports are not detected in the auto mode. When "
    "it were the case, switch to manual mode and select the serial port number in the drop down "
    "menu manually.";

// Records the addresses the window asks the desktop to open.
class UrlRecorder final : public QObject {
  Q_OBJECT
 public Q_SLOTS:
  void open(const QUrl& url) { opened << url.toString(); }

 public:
  QStringList opened;
};

// Throws from its event handler, as a bug in a handler would.
class Thrower final : public QObject {
 public:
  explicit Thrower(bool standard) : standard_(standard) {}
  bool event(QEvent* e) override {
    if (e->type() != QEvent::User) return QObject::event(e);
    if (standard_) throw std::runtime_error("handler failed");
    throw 42;
  }

 private:
  bool standard_;
};

}  // namespace

class FormTest final : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<FakePorts> ports_;
  FakeDescriber describer_;
  std::unique_ptr<QTemporaryDir> home_;  // settings and saved logs
  std::unique_ptr<app::TForm1> form_;
  std::unique_ptr<MessageBoxes> boxes_;

  void MakeForm(std::vector<std::string> present = {}, bool hotplug = false,
                const std::function<void(app::FormSetup&)>& adjust = {}) {
    form_.reset();
    ports_ = std::make_unique<FakePorts>(std::move(present));
    app::FormSetup setup;
    setup.ports = ports_.get();
    setup.describer = &describer_;
    setup.settingsFile = home_->filePath("aisfw-gui.ini");
    setup.logFolder = home_->filePath("logs");
    setup.watchHotplug = hotplug;
    setup.hotplugMode = comm::HotplugMonitor::Mode::Rescan;
    setup.hotplugRescan = std::chrono::milliseconds(40);
    if (adjust) adjust(setup);
    form_ = std::make_unique<app::TForm1>(std::move(setup));
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  }

  template <typename W = QWidget>
  W* Find(const char* name) {
    return form_->findChild<W*>(name);
  }
  QString TextOf(const char* name) {
    QWidget* w = Find(name);
    if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text();
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text();
    if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->currentText();
    return "<no control " + QString(name) + ">";
  }
  QString Page() {
    return Find<QStackedWidget>("PageControlFirmwareUpgradeStage")->currentWidget()->objectName();
  }
  QString ModePage() {
    return Find<QStackedWidget>("PageControlDetectComPortMode")->currentWidget()->objectName();
  }
  void Click(const char* name) {
    auto* button = Find<QAbstractButton>(name);
    QVERIFY2(button != nullptr, name);
    QVERIFY2(button->isVisible() && button->isEnabled(), name);
    QTest::mouseClick(button, Qt::LeftButton);
  }
  QStringList Items(const char* name) {
    auto* combo = Find<QComboBox>(name);
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    return items;
  }

 private Q_SLOTS:
  void init() {
    home_ = std::make_unique<QTemporaryDir>();
    describer_ = FakeDescriber();
    boxes_ = std::make_unique<MessageBoxes>();
    MakeForm();
  }
  void cleanup() {
    form_.reset();
    boxes_.reset();
    home_.reset();
  }

  void startsOnTheChecklistPageAtItsFixedSize() {
    QCOMPARE(Page(), QString("TabSheetStart"));
    QCOMPARE(form_->windowTitle(), kCaption);
    QCOMPARE(form_->size(), QSize(552, 430));
    QCOMPARE(form_->minimumSize(), form_->maximumSize());
    QVERIFY(form_->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(form_->windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(form_->centralWidget()->palette().color(QPalette::Window), QColor(0xA6, 0xCA, 0xF0));
    const QFontInfo font(form_->font());
    QVERIFY2(!font.fixedPitch() && !font.family().contains("Serif"), qPrintable(font.family()));

    // Only the upgrade timer runs from the start.
    const struct {
      const char* name;
      int interval;
      bool active;
    } timers[] = {
        {"Timer1", 1000, false}, {"TimerUpgrade", 130, true}, {"TimerConnection", 200, false}};
    for (const auto& t : timers) {
      auto* timer = form_->findChild<QTimer*>(t.name);
      QVERIFY2(timer != nullptr, t.name);
      QCOMPARE(timer->interval(), t.interval);
      QCOMPARE(timer->isActive(), t.active);
    }

    // The log panes lie below the visible client area; the status bar is
    // hidden.
    for (const char* pane : {"MemoTX", "MemoRX"}) {
      QVERIFY(Find(pane)->mapTo(form_.get(), QPoint(0, 0)).y() >= 430);
    }
    QVERIFY(form_->statusBar()->isHidden());
    QCOMPARE(TextOf("StatusBarPanel0"), QString("Disconnect"));
  }

  void everyControlShowsItsCaptionInItsRegion_data() {
    QTest::addColumn<QString>("region");
    QTest::addColumn<QString>("caption");
    const auto row = [](const char* name, const char* region, const QString& caption) {
      QTest::newRow(name) << QString(region) << caption;
    };
    row("StaticTextTitle", "PanelTitle", "Welcome to ZELO AIS Firmware Upgrade");
    row("LabelVersion", "PanelTitle", "Ver 2.2 Build 2015.03.20");
    row("LabelZELOWeb", "PanelTitle", "https://www.zelo.example");
    row("StaticTextStartTitle", "TabSheetStart",
        "Please check below items before starting ZELO AIS Firmware Upgrade:");
    row("StaticTextStartDescription1", "TabSheetStart",
        "Please connect AIS device to PC by USB port.");
    row("StaticTextStartDescription2", "TabSheetStart", "Please power on the AIS device.");
    row("StaticTextStartDescription3", "TabSheetStart",
        "Check the AIS has booted successfully when the power indicator lights.");
    row("SpeedButtonStart", "TabSheetStart", "Start");
    row("SpeedButtonExit1", "TabSheetStart", "Exit");
    row("LabelConnectDeviceTitle", "TabSheetConnectDevice", "Serial Port and Baud Rate Setting");
    row("RadioButtonConnectionModeManual", "TabSheetConnectDevice", "Manual");
    row("RadioButtonConnectionModeAuto", "TabSheetConnectDevice", "Auto");
    row("LabelSerialPort", "TabSheetConnectDevice", "Serial Port");
    row("LabelBaudRate", "TabSheetConnectDevice", "Baud Rate");
    row("StaticTextSerialPortNote1", "TabSheetConnectDevice", kManualNote1);
    row("StaticTextSerialPortNote2", "TabSheetConnectDevice", kManualNote2);
    row("LabelConnectionStatus", "TabSheetConnectDevice", "Disconnect...");
    row("OpenPort", "TabSheetConnectDevice", "Continue");
    row("SpeedButtonCancel", "TabSheetConnectDevice", "Cancel");
    row("LabelFrmVerTitle", "TabSheetFirmwareVersion", "Firmware Version Check");
    row("LabelFrmVerOriginal", "TabSheetFirmwareVersion", "Original Firmware Version");
    row("LabelFrmVerNew", "TabSheetFirmwareVersion", "New Firmware Version");
    row("LabelFrmVerWantToContinue", "TabSheetFirmwareVersion", "Do you want to continue?");
    row("SpeedButtonFrmVerWantToContinueYes", "TabSheetFirmwareVersion", "Yes");
    row("SpeedButtonFrmVerWantToContinueNo", "TabSheetFirmwareVersion", "No");
    row("LabelFrmUpgTitle", "TabSheetFirmwareUpgrade", "Firmware Upgrade");
    row("LabelFrmUpgSerialNumber", "TabSheetFirmwareUpgrade", "Serial Number");
    row("SpeedButtonFrmUpgFinish", "TabSheetFirmwareUpgrade", "Finish");
    row("SpeedButtonExit", "TabSheetFirmwareUpgrade", "Exit");
    // Below the pages: the status line is cleared at start.
    row("lblUpgradeStatus", "Panel1", "");
    row("LabelProgressPersent", "Panel1", "0%");
  }
  void everyControlShowsItsCaptionInItsRegion() {
    QFETCH(QString, region);
    QFETCH(QString, caption);
    const QByteArray name = QTest::currentDataTag();
    QWidget* widget = Find(name.constData());
    QVERIFY2(widget != nullptr, name.constData());
    QCOMPARE(TextOf(name.constData()), caption);
    QWidget* area = Find(region.toUtf8().constData());
    QVERIFY(area != nullptr);
    QVERIFY(area->isAncestorOf(widget));
    // Inside its region's rectangle, wholly.
    const QRect box(widget->mapTo(area, QPoint(0, 0)), widget->size());
    QVERIFY2(area->rect().contains(box), qPrintable(region));
  }

  void theVersionQuestionAndFinishWaitForTheCore() {
    for (const char* name :
         {"LabelFrmVerOriginal1", "LabelFrmVerOriginal3", "LabelFrmVerNew1", "LabelFrmVerNew3",
          "LabelFrmVerWantToContinue", "SpeedButtonFrmVerWantToContinueYes",
          "SpeedButtonFrmVerWantToContinueNo", "lbl2ndAISUpgradeStatus"}) {
      QVERIFY2(Find(name)->isHidden(), name);
    }
    QVERIFY(!Find("SpeedButtonFrmUpgFinish")->isEnabled());
    Click("SpeedButtonStart");
    QVERIFY(!Find("SpeedButtonFrmUpgFinish")->isEnabled());
    QVERIFY(Find("SpeedButtonFrmVerWantToContinueYes")->isHidden());
  }

  void titleAndCaptionDifferInTheirLastWord() {
    QCOMPARE(QCoreApplication::applicationName(), kTitle);
    const QStringList title = QCoreApplication::applicationName().split(' ');
    const QStringList caption = form_->windowTitle().split(' ');
    QCOMPARE(title.size(), caption.size());
    QCOMPARE(title.mid(0, title.size() - 1), caption.mid(0, caption.size() - 1));
    QVERIFY(title.last() != caption.last());
  }

  void startFillsTheBaudListAndSelects115200() {
    QCOMPARE(Items("cbxBaudRate"), QStringList());
    Click("SpeedButtonStart");
    QCOMPARE(Page(), QString("TabSheetConnectDevice"));
    QCOMPARE(Items("cbxBaudRate"), kBaudRates);
    QCOMPARE(TextOf("cbxBaudRate"), QString("115200"));
    // No present port: the list says so.
    QCOMPARE(TextOf("cbxComPort"), QString("N/A"));
  }

  void theModeSwitchSwapsTheInnerPageAndTheNotes() {
    Click("SpeedButtonStart");
    QCOMPARE(ModePage(), QString("TabSheetManualDetectComPort"));
    Click("RadioButtonConnectionModeAuto");
    QCOMPARE(ModePage(), QString("TabSheetAutoConnectComPort"));
    QVERIFY(Find<QRadioButton>("RadioButtonConnectionModeAuto")->isChecked());
    QCOMPARE(TextOf("StaticTextSerialPortNote1"), kAutoNote1);
    QCOMPARE(TextOf("StaticTextSerialPortNote2"), kAutoNote2);
    Click("RadioButtonConnectionModeManual");
    QCOMPARE(ModePage(), QString("TabSheetManualDetectComPort"));
    QVERIFY(Find<QRadioButton>("RadioButtonConnectionModeManual")->isChecked());
    QCOMPARE(TextOf("StaticTextSerialPortNote1"), kManualNote1);
    QCOMPARE(TextOf("StaticTextSerialPortNote2"), kManualNote2);
  }

  void cancelReturnsToTheChecklistInManualMode() {
    Click("SpeedButtonStart");
    Click("RadioButtonConnectionModeAuto");
    Click("SpeedButtonCancel");
    QCOMPARE(Page(), QString("TabSheetStart"));
    QVERIFY(Find<QRadioButton>("RadioButtonConnectionModeManual")->isChecked());
    QCOMPARE(ModePage(), QString("TabSheetManualDetectComPort"));
    QVERIFY(boxes_->Shown().empty());
  }

  // The exit question, while a run holds a port open: Cancel keeps the
  // window, the port, the timers and the page; meanwhile the box lets the
  // timers and the port's events go on. OK closes the port.
  void theExitQuestionKeepsOrClosesAsAnswered() {
    comm::testing::PtyPair pty;
    MakeForm({pty.SlavePath()});
    Click("SpeedButtonStart");
    QCOMPARE(TextOf("cbxComPort"), QString::fromStdString(pty.SlavePath()));
    Click("OpenPort");
    QVERIFY(form_->Wizard().Port().Connected());
    QCOMPARE(TextOf("OpenPort"), QString("Discontinue"));
    QVERIFY(form_->Timer(upgrade::TimerId::Timer1)->isActive());

    auto* received = Find<QPlainTextEdit>("MemoRX");
    QSignalSpy ticks(form_->Timer(upgrade::TimerId::TimerUpgrade), &QTimer::timeout);
    boxes_->Answer({QMessageBox::Cancel,
                    [&] {
                      ticks.clear();
                      pty.Write("$GPTXT,while the box is open\r\n");
                    },
                    [&] {
                      return ticks.count() >= 2 &&
                             received->toPlainText().contains("$GPTXT,while the box is open");
                    },
                    10'000});
    QVERIFY(!form_->close());
    QCOMPARE(boxes_->Shown().size(), std::size_t{1});
    const ShownBox& question = boxes_->Shown().front();
    QCOMPARE(question.text, QString("Are you sure to exit?"));
    QCOMPARE(question.caption, QString("Exit!     "));
    QCOMPARE(question.icon, QMessageBox::Warning);
    QCOMPARE(question.buttons, QMessageBox::Ok | QMessageBox::Cancel);
    QVERIFY2(question.conditionHeld, "timers or port events stopped while the box was open");
    QVERIFY(form_->isVisible());
    QVERIFY(form_->Wizard().Port().Connected());
    QVERIFY(form_->Timer(upgrade::TimerId::Timer1)->isActive());
    QVERIFY(form_->Timer(upgrade::TimerId::TimerConnection)->isActive());
    QCOMPARE(Page(), QString("TabSheetConnectDevice"));

    boxes_->Answer(QMessageBox::Ok);
    QVERIFY(form_->close());
    QVERIFY(!form_->isVisible());
    QVERIFY(!form_->Wizard().Port().Connected());
  }

  // The manual time-out's box is opened from a tick of Timer1 and leaves
  // Timer1 running: the tick that comes while it is open finds the wizard
  // idle and stops the run, so the port closes and the indicator stops
  // before the box is answered.
  void aBoxOpenedFromATimer1TickLetsTheNextTickStopTheRun() {
    comm::testing::PtyPair pty;  // no device answers
    MakeForm({pty.SlavePath()}, false, [](app::FormSetup& setup) { setup.timerSpeedUp = 20; });
    Click("SpeedButtonStart");
    Click("OpenPort");
    QVERIFY(form_->Wizard().Port().Connected());
    QTimer* indicator = form_->Timer(upgrade::TimerId::TimerConnection);
    QVERIFY(indicator->isActive());
    boxes_->Answer({QMessageBox::Ok,
                    {},
                    [&] {
                      return !form_->Wizard().Port().Connected() && !indicator->isActive() &&
                             TextOf("OpenPort") == "Continue";
                    },
                    10'000});
    QTRY_COMPARE_WITH_TIMEOUT(boxes_->Shown().size(), std::size_t{1}, 10'000);
    QTRY_VERIFY(!QApplication::activeModalWidget());
    const ShownBox& box = boxes_->Shown().front();
    QCOMPARE(box.text.split('\n').front(), QString("Serial port connection time out!"));
    QVERIFY2(box.conditionHeld, "the run was still on while the time-out box was open");
    QVERIFY(!form_->Timer(upgrade::TimerId::Timer1)->isActive());
  }

  // Every text, in every colour the core gives it (the upgrade messages'
  // colour cycle at each step, red, blue, navy, its own black) and greyed,
  // keeps a contrast of 4.5:1 with every pixel behind it. The cycle is
  // worked out here from its rule: from blue, 25 per step on two channels,
  // a phase change every 20 ticks.
  void everyTextReadsOnWhatIsBehindIt() {
    std::set<upgrade::Colour> colours = {upgrade::kBlack, upgrade::kRed, upgrade::kBlue,
                                         upgrade::kNavy};
    {
      int tick = 0, phase = 0;
      bool rising = true;
      int r = 0, g = 0, b = 255;
      const int steps[3][2][3] = {{{25, 25, 0}, {-25, 0, -25}},   // phase 0: rising, falling
                                  {{25, 0, 25}, {0, -25, -25}},   // phase 1
                                  {{0, 25, 25}, {-25, -25, 0}}};  // phase 2
      for (int n = 0; n < 600; ++n) {
        ++tick;
        if (tick == 20) {
          tick = 1;
          rising = !rising;
          if (rising) phase = (phase + 1) % 3;
        }
        if (tick % 2 == 0) {
          const int* d = steps[phase][rising ? 0 : 1];
          r += d[0];
          g += d[1];
          b += d[2];
        }
        QVERIFY(r >= 0 && r <= 255 && g >= 0 && g <= 255 && b >= 0 && b <= 255);
        colours.insert(static_cast<upgrade::Colour>(r | g << 8 | b << 16));
      }
      QVERIFY(colours.count(225 | 225 << 8 | 255 << 16) == 1);  // the palest step
    }

    // The labels under test: the core's and the window's own.
    std::vector<std::pair<QLabel*, std::optional<upgrade::Control>>> labels;
    for (std::size_t i = 0; i < upgrade::kControlCount; ++i) {
      const auto control = static_cast<upgrade::Control>(i);
      if (auto* label = qobject_cast<QLabel*>(form_->ControlWidget(control))) {
        if (!form_->statusBar()->isAncestorOf(label)) labels.push_back({label, control});
      }
    }
    for (const char* own : {"LabelFirmwareFolder", "LabelFrmUpgTime", "LabelFrmUpgOverall",
                            "LabelFrmUpgOverallPercent"}) {
      labels.push_back({Find<QLabel>(own), std::nullopt});
    }
    QVERIFY(labels.size() > 30);

    auto* pages = Find<QStackedWidget>("PageControlFirmwareUpgradeStage");
    QWidget* client = form_->centralWidget();
    int checked = 0;
    for (int page = 0; page < pages->count(); ++page) {
      form_->ControlChanged(upgrade::Control::PageControlFirmwareUpgradeStage,
                            {"", upgrade::kBlack, true, true, false, page, {}});
      // What is behind the texts: the window drawn without them.
      for (auto& [label, control] : labels) label->setVisible(false);
      const QImage behind = client->grab().toImage();
      for (auto& [label, control] : labels) label->setVisible(true);

      for (auto& [label, control] : labels) {
        const QWidget* home = label->parentWidget();
        const bool onPage = pages->isAncestorOf(label);
        if (onPage && !pages->widget(page)->isAncestorOf(label)) continue;
        if (!onPage && page > 0) continue;  // outside the pages: once
        const QRect area(label->mapTo(client, QPoint(0, 0)), label->size());
        std::vector<double> luminances;
        for (int y = area.top(); y <= area.bottom(); ++y) {
          for (int x = area.left(); x <= area.right(); ++x) {
            luminances.push_back(app::RelativeLuminance(behind.pixelColor(x, y)));
          }
        }
        const auto worst = [&](const QColor& text) {
          const double l = app::RelativeLuminance(text);
          double low = 21;
          for (const double bg : luminances) {
            low = std::min(low, (std::max(l, bg) + 0.05) / (std::min(l, bg) + 0.05));
          }
          return low;
        };
        const QString name =
            label->objectName().isEmpty() ? home->objectName() : label->objectName();
        if (!control) {
          const double c = worst(label->palette().color(QPalette::WindowText));
          QVERIFY2(c >= 4.5, qPrintable(QString("%1: %2").arg(name).arg(c)));
          ++checked;
          continue;
        }
        const upgrade::ControlState saved = form_->Wizard().Screen().State(*control);
        for (const bool enabled : {true, false}) {
          for (const upgrade::Colour colour : colours) {
            form_->ControlChanged(*control,
                                  {"Upgrade in process!", colour, true, enabled, false, 0, {}});
            const QColor shown = label->palette().color(
                enabled ? QPalette::Active : QPalette::Disabled, QPalette::WindowText);
            const double c = worst(shown);
            QVERIFY2(c >= 4.5, qPrintable(QString("%1 in %2 (%3): %4 on what is behind it")
                                              .arg(name)
                                              .arg(colour, 6, 16, QChar('0'))
                                              .arg(enabled ? "enabled" : "greyed")
                                              .arg(c)));
            ++checked;
          }
        }
        form_->ControlChanged(*control, saved);
      }
    }
    QVERIFY(checked > 1000);
  }

  // Tab moves a visible focus: the focused button is drawn differently,
  // with a ring that stands out from the page.
  void keyboardFocusIsVisible() {
    QApplication::setActiveWindow(form_.get());
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    auto* start = Find<QPushButton>("SpeedButtonStart");
    auto* exit = Find<QPushButton>("SpeedButtonExit1");
    exit->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(exit->hasFocus());
    const QImage plain = start->grab().toImage();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QTRY_VERIFY(start->hasFocus());
    const QImage focused = start->grab().toImage();
    QCOMPARE(focused.size(), plain.size());
    double ring = 1;
    int changed = 0;
    for (int y = 0; y < focused.height(); ++y) {
      for (int x = 0; x < focused.width(); ++x) {
        if (focused.pixel(x, y) == plain.pixel(x, y)) continue;
        ++changed;
        ring =
            std::max(ring, app::ContrastRatio(focused.pixelColor(x, y), QColor(0xF4, 0xF9, 0xFD)));
      }
    }
    QVERIFY2(changed > 100, qPrintable(QString::number(changed)));
    QVERIFY2(ring >= 3, qPrintable(QString::number(ring)));
  }

  void bothExitButtonsAskFirst() {
    for (const char* exit : {"SpeedButtonExit1", "SpeedButtonExit"}) {
      boxes_->Answer(QMessageBox::Cancel);
      Find<QAbstractButton>(exit)->click();
      QVERIFY2(boxes_->AnyShown("Are you sure to exit?"), exit);
      QVERIFY(form_->isVisible());
      MakeForm();
      boxes_ = std::make_unique<MessageBoxes>();
    }
  }

  // The core's boxes: caption (a plain box shows the application title),
  // icon, buttons, and the answer handed back.
  void messageBoxesShowTheCoresBox_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("icon");
    QTest::addColumn<bool>("question");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("shownCaption");
    QTest::addColumn<int>("shownIcon");
    QTest::newRow("plain") << "" << int(upgrade::MessageIcon::None) << false << int(QMessageBox::Ok)
                           << kTitle << int(QMessageBox::NoIcon);
    QTest::newRow("error") << "Error" << int(upgrade::MessageIcon::Error) << false
                           << int(QMessageBox::Ok) << "Error" << int(QMessageBox::Critical);
    QTest::newRow("question, cancelled")
        << "Warning" << int(upgrade::MessageIcon::Warning) << true << int(QMessageBox::Cancel)
        << "Warning" << int(QMessageBox::Warning);
  }
  void messageBoxesShowTheCoresBox() {
    QFETCH(QString, caption);
    QFETCH(int, icon);
    QFETCH(bool, question);
    QFETCH(int, answer);
    QFETCH(QString, shownCaption);
    QFETCH(int, shownIcon);
    boxes_->Answer(static_cast<QMessageBox::StandardButton>(answer));
    const upgrade::MessageAnswer got = form_->ShowMessage(
        {"Text <b>as</b> it is     ", caption.toStdString(),
         question ? upgrade::MessageButtons::OkCancel : upgrade::MessageButtons::Ok,
         static_cast<upgrade::MessageIcon>(icon)});
    QCOMPARE(got, answer == QMessageBox::Ok ? upgrade::MessageAnswer::Ok
                                            : upgrade::MessageAnswer::Cancel);
    QCOMPARE(boxes_->Shown().size(), std::size_t{1});
    const ShownBox& box = boxes_->Shown().front();
    QCOMPARE(box.text, QString("Text <b>as</b> it is     "));
    QCOMPARE(box.caption, shownCaption);
    QCOMPARE(int(box.icon), shownIcon);
    QCOMPARE(box.buttons, question ? QMessageBox::Ok | QMessageBox::Cancel
                                   : QMessageBox::StandardButtons(QMessageBox::Ok));
  }

  // A pick from the list or a typed path becomes the port's name at once;
  // the list keeps what the user chose.
  void aPickedOrTypedPortNamesThePort() {
    MakeForm({"ttyUSB0", "ttyUSB1"});
    Click("SpeedButtonStart");
    auto* list = Find<QComboBox>("cbxComPort");
    list->setCurrentIndex(1);  // as a pick from the drop-down does
    QCOMPARE(form_->Wizard().Port().DeviceName(), std::string("ttyUSB1"));
    QCOMPARE(list->currentIndex(), 1);
    QCOMPARE(list->currentText(), QString("ttyUSB1"));

    list->lineEdit()->selectAll();
    QTest::keyClicks(list->lineEdit(), "/dev/serial/by-id/usb-AIS");
    QCOMPARE(form_->Wizard().Port().DeviceName(), std::string("/dev/serial/by-id/usb-AIS"));
    QCOMPARE(list->currentText(), QString("/dev/serial/by-id/usb-AIS"));
    QCOMPARE(list->lineEdit()->cursorPosition(), list->currentText().size());
    QCOMPARE(Items("cbxComPort"), QStringList({"ttyUSB0", "ttyUSB1"}));
  }

  // A typed path that cannot be opened: after the force-connect question,
  // the open error names the serial layer's reason.
  void aPortOpenFailureSaysWhy() {
    Click("SpeedButtonStart");
    QLineEdit* edit = Find<QComboBox>("cbxComPort")->lineEdit();
    edit->selectAll();
    QTest::keyClicks(edit, "/dev/aisfw-no-such-port");
    QCOMPARE(form_->Wizard().Port().DeviceName(), std::string("/dev/aisfw-no-such-port"));
    Click("OpenPort");
    QTRY_COMPARE(boxes_->Shown().size(), std::size_t{2});
    QCOMPARE(boxes_->Shown()[0].text,
             QString("Note! Any force connect this serial port may cause unpredictable mistakes. "
                     "Continue?"));
    const ShownBox& failure = boxes_->Shown()[1];
    QCOMPARE(failure.caption, QString("Warning"));
    QCOMPARE(failure.icon, QMessageBox::Critical);
    const QStringList lines = failure.text.split('\n');
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[0], QString("Serial port open error! Please check!     "));
    QVERIFY2(lines[1].contains("/dev/aisfw-no-such-port"), qPrintable(lines[1]));
    // A failure saves the log and says where.
    QCOMPARE(lines[2], QString());
    QVERIFY(!form_->LastSavedLog().isEmpty());
    QCOMPARE(lines[3], "The log was saved to " + form_->LastSavedLog());
    QVERIFY(form_->LastSavedLog().startsWith(home_->filePath("logs") + "/"));
    QFile saved(form_->LastSavedLog());
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(saved.readAll().startsWith("Sent\n"));

    QCOMPARE(TextOf("OpenPort"), QString("Continue"));
    QVERIFY(!Find<QPushButton>("OpenPort")->isChecked());
  }

  // With its log panes shown the window still fits a 1366 x 768 laptop
  // screen under a title bar (about 30 px) and a desktop panel (about 40).
  void f12GrowsTheWindowToShowTheLogPanesAndShrinksItBack() {
    QApplication::setActiveWindow(form_.get());
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    QTest::keyClick(form_.get(), Qt::Key_F12);
    QVERIFY2(form_->height() + 30 + 40 <= 768, qPrintable(QString::number(form_->height())));
    QVERIFY(form_->height() >= 430 + 200);  // room for the panes
    QCOMPARE(form_->width(), 552);
    QVERIFY(Find("MemoTX")->isVisible() && Find("MemoRX")->isVisible());
    QVERIFY(!Find("MemoTX")->visibleRegion().isEmpty());
    QTest::keyClick(form_.get(), Qt::Key_F12);
    QCOMPARE(form_->size(), QSize(552, 430));
    QVERIFY(Find("MemoTX")->visibleRegion().isEmpty());
    // The same action is in the context menu, with Save beside it.
    auto* show = form_->findChild<QAction*>("ShowLogPanes");
    QVERIFY(show != nullptr && form_->findChild<QAction*>("SaveLogPanes") != nullptr);
    show->trigger();
    QVERIFY(form_->height() > 430);
  }

  // Each line is time-stamped and shown escaped (a device's control
  // characters and stray bytes never reach the pane raw); the file holds
  // what the panes hold.
  void theLogPanesSaveToAFileOrSayWhyNot() {
    form_->AppendLog(upgrade::LogPane::MemoTX, "$PTST,,,,,00016*18\r\n");
    form_->AppendLog(upgrade::LogPane::MemoRX, "[STATIC DATA]");
    form_->AppendLog(upgrade::LogPane::MemoRX, std::string_view("caf\xe9 \x1b[2J", 9));
    QTemporaryDir dir;
    const QString path = dir.filePath("log.txt");
    QString error;
    QVERIFY2(form_->SaveLogPanes(path, error), qPrintable(error));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString stamp = R"(\d\d:\d\d:\d\d\.\d\d\d )";
    const QRegularExpression expected(QRegularExpression::anchoredPattern(
        "Sent\n" + stamp + R"(\$PTST,,,,,00016\*18\n\n)" + "Received\n" + stamp +
        R"(\[STATIC DATA\]\n)" + stamp + R"(caf\\xe9 \\x1b\[2J\n)"));
    const QString saved = QString::fromUtf8(file.readAll());
    QVERIFY2(expected.match(saved).hasMatch(), qPrintable(saved));

    const QString nowhere = dir.filePath("no-such-folder/log.txt");
    QVERIFY(!form_->SaveLogPanes(nowhere, error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!QFile::exists(nowhere));
  }

  // A pane keeps its newest lines; the saved file says how many went, and
  // a line a device never ends is cut.
  void theLogPanesAreBounded() {
    const int extra = 25;
    for (int i = 0; i < app::TForm1::kLogLines + extra; ++i) {
      form_->AppendLog(upgrade::LogPane::MemoRX, "line " + std::to_string(i));
    }
    form_->AppendLog(upgrade::LogPane::MemoTX, std::string(100'000, 'x'));
    auto* received = Find<QPlainTextEdit>("MemoRX");
    QCOMPARE(received->blockCount(), app::TForm1::kLogLines);
    QVERIFY(received->document()->firstBlock().text().endsWith(" line " + QString::number(extra)));
    QVERIFY(received->document()->lastBlock().text().endsWith(
        " line " + QString::number(app::TForm1::kLogLines + extra - 1)));
    const QString sent = Find<QPlainTextEdit>("MemoTX")->toPlainText();
    QVERIFY(sent.size() < app::TForm1::kLogLineLength + 40);
    QVERIFY(sent.endsWith("[...]"));

    QTemporaryDir dir;
    QString error;
    QVERIFY(form_->SaveLogPanes(dir.filePath("log.txt"), error));
    QFile file(dir.filePath("log.txt"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString saved = QString::fromUtf8(file.readAll());
    QVERIFY2(saved.contains(QString("Received\n(%1 earlier lines are not kept: the pane holds the "
                                    "newest %2)\n")
                                .arg(extra)
                                .arg(app::TForm1::kLogLines)),
             qPrintable(saved.left(300)));
    QVERIFY(!saved.contains(" line 0\n"));
  }

  void theLogoAndTheWebLabelOpenTheMakersAddress() {
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler("https", &recorder, "open");
    QTest::mouseClick(Find("LabelZELOWeb"), Qt::LeftButton);
    QTest::mouseClick(Find("ImageLogo"), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler("https");
    QCOMPARE(recorder.opened,
             QStringList({"https://www.zelo.example", "https://www.zelo.example"}));
  }

  // A device plugged while the serial-port page is shown joins the list;
  // during a run, or on another page, the list is left alone (a scan would
  // lose the port it holds) until the next notice or Start rebuilds it.
  void hotPlugRefreshesTheListOnTheSerialPortPage() {
    comm::testing::PtyPair pty;
    MakeForm({pty.SlavePath()}, true);
    Click("SpeedButtonStart");
    QCOMPARE(Items("cbxComPort").size(), 1);
    ports_->Plug("ttyUSB0");
    QTRY_COMPARE(Items("cbxComPort").size(), 2);
    QVERIFY(Items("cbxComPort").contains("ttyUSB0"));

    QCOMPARE(TextOf("cbxComPort"), QString::fromStdString(pty.SlavePath()));
    Click("OpenPort");
    QVERIFY(form_->Wizard().Port().Connected());
    ports_->Plug("ttyUSB1");
    QTest::qWait(400);  // ten rescans
    QCOMPARE(Items("cbxComPort").size(), 2);
    Click("OpenPort");  // Discontinue
    ports_->Plug("ttyACM0");
    QTRY_COMPARE(Items("cbxComPort").size(), 4);

    Click("SpeedButtonCancel");
    ports_->Plug("ttyACM1");
    QTest::qWait(400);
    QCOMPARE(Items("cbxComPort").size(), 4);
    Click("SpeedButtonStart");
    QCOMPARE(Items("cbxComPort").size(), 5);
  }

  // A typed path and a picked rate survive a device plugged in, a new Start
  // and a trip to the automatic mode; a picked port that is unplugged gives
  // way to the list's first.
  void hotPlugKeepsTheUsersPortAndRate() {
    comm::testing::PtyPair pty;
    MakeForm({"ttyUSB0"}, true);
    Click("SpeedButtonStart");
    const QString typed = QString::fromStdString(pty.SlavePath());
    QLineEdit* edit = Find<QComboBox>("cbxComPort")->lineEdit();
    edit->selectAll();
    QTest::keyClicks(edit, typed);
    Find<QComboBox>("cbxBaudRate")->setCurrentIndex(1);  // 9600, as a pick does
    const auto keeps = [&](const char* when) {
      QVERIFY2(TextOf("cbxComPort") == typed, when);
      QVERIFY2(form_->Wizard().Port().DeviceName() == pty.SlavePath(), when);
      QVERIFY2(TextOf("cbxBaudRate") == "9600", when);
      QVERIFY2(form_->Wizard().Port().BaudRate() == comm::br9600, when);
    };
    keeps("typed");

    ports_->Plug("ttyUSB1");
    QTRY_COMPARE(Items("cbxComPort").size(), 2);
    keeps("after a device was plugged in");
    Click("SpeedButtonCancel");
    Click("SpeedButtonStart");
    keeps("after Start");
    Click("RadioButtonConnectionModeAuto");
    Click("RadioButtonConnectionModeManual");
    keeps("after the automatic mode");

    // A picked port that goes away is no longer valid.
    Find<QComboBox>("cbxComPort")->setCurrentIndex(1);
    QCOMPARE(TextOf("cbxComPort"), QString("ttyUSB1"));
    ports_->Unplug("ttyUSB1");
    QTRY_COMPARE(Items("cbxComPort").size(), 1);
    QCOMPARE(TextOf("cbxComPort"), QString("ttyUSB0"));
    QCOMPARE(TextOf("cbxBaudRate"), QString("9600"));
  }

  // The drop-down shows each port's product and stable name beside it; the
  // value stays the port's name.
  void thePortListShowsProductAndStableName() {
    describer_ =
        FakeDescriber({{"ttyUSB0",
                        {"FTDI FT232R USB UART",
                         "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3XYZ-if00-port0"}}});
    MakeForm({"ttyS4", "ttyUSB0"});
    Click("SpeedButtonStart");
    auto* list = Find<QComboBox>("cbxComPort");
    QCOMPARE(Items("cbxComPort"), QStringList({"ttyS4", "ttyUSB0"}));
    const QAbstractItemModel* model = list->model();
    QCOMPARE(model->columnCount(), 2);
    QCOMPARE(model->index(1, 1).data().toString(),
             QString("FTDI FT232R USB UART   usb-FTDI_FT232R_USB_UART_A10K3XYZ-if00-port0"));
    QCOMPARE(model->index(0, 1).data().toString(), QString());
    QVERIFY(model->index(1, 0).data(Qt::ToolTipRole).toString().contains("/dev/serial/by-id/"));
    list->setCurrentIndex(1);
    QCOMPARE(list->currentText(), QString("ttyUSB0"));
    QCOMPARE(form_->Wizard().Port().DeviceName(), std::string("ttyUSB0"));
  }

  // With no browser, the address is shown to be copied.
  void theWebAddressIsShownWhenNoBrowserOpens() {
    QStringList asked;
    MakeForm({}, false, [&](app::FormSetup& setup) {
      setup.openUrl = [&](const QUrl& url) {
        asked << url.toString();
        return false;
      };
    });
    QTest::mouseClick(Find("LabelZELOWeb"), Qt::LeftButton);
    QTRY_COMPARE(boxes_->Shown().size(), std::size_t{1});
    QCOMPARE(asked, QStringList({"https://www.zelo.example"}));
    QVERIFY2(boxes_->Shown().front().text.endsWith("\nhttps://www.zelo.example"),
             qPrintable(boxes_->Shown().front().text));
  }

  // A folder chosen in the window goes to the core at once and is
  // remembered for the next start; a folder given on the command line is
  // used for its run only.
  void theFirmwareFolderChosenInTheWindowIsUsedAndRemembered() {
    QTemporaryDir folder;
    const std::filesystem::path chosen = folder.path().toStdString();
    Click("SpeedButtonFirmwareFolder");
    QTRY_VERIFY(form_->findChild<QDialog*>("FirmwareFolderDialog") != nullptr);
    auto* dialog = form_->findChild<QDialog*>("FirmwareFolderDialog");
    QTRY_VERIFY(dialog->isVisible());
    auto* path = dialog->findChild<QLineEdit*>("FirmwareFolderPath");
    path->selectAll();
    QTest::keyClicks(path, folder.path());
    QVERIFY(dialog->findChild<QLabel*>("FirmwareFolderSummary")->text().startsWith("No catalogue"));
    dialog->accept();
    QCOMPARE(form_->FirmwareFolder(), chosen);
    QCOMPARE(form_->Wizard().Folders().BinFolder, chosen);
    QVERIFY(TextOf("LabelFirmwareFolder").contains("no catalogue"));

    MakeForm();
    QCOMPARE(form_->FirmwareFolder(), chosen);
    QTemporaryDir other;
    MakeForm({}, false,
             [&](app::FormSetup& setup) { setup.folders.BinFolder = other.path().toStdString(); });
    QCOMPARE(form_->Wizard().Folders().BinFolder,
             std::filesystem::path(other.path().toStdString()));
    MakeForm();
    QCOMPARE(form_->FirmwareFolder(), chosen);

    // Only between runs, on the checklist.
    Click("SpeedButtonStart");
    QVERIFY(!form_->findChild<QAction*>("ChooseFirmwareFolder")->isEnabled());
    QVERIFY(!form_->UseFirmwareFolder(other.path().toStdString(), true));
    QCOMPARE(form_->FirmwareFolder(), chosen);
  }

  // Post never waits for the GUI thread; tasks run there in the order
  // posted; and a task posted while an earlier one waits in a nested event
  // loop (a message box) runs inside that loop.
  void theDispatcherQueuesWithoutBlockingAndKeepsOrder() {
    app::QtDispatcher dispatcher;
    QStringList ran;
    const auto guiThread = std::this_thread::get_id();
    bool allOnGuiThread = true;
    const auto record = [&](const QString& what) {
      ran << what;
      allOnGuiThread = allOnGuiThread && std::this_thread::get_id() == guiThread;
    };
    std::thread poster([&] {
      dispatcher.Post([&] {
        record("A begins");
        std::thread late([&] { dispatcher.Post([&] { record("B"); }); });
        QEventLoop nested;
        QTimer watch;
        connect(&watch, &QTimer::timeout, &nested, [&] {
          if (ran.contains("B")) nested.quit();
        });
        watch.start(5);
        QTimer::singleShot(5'000, &nested, &QEventLoop::quit);
        nested.exec();
        late.join();
        record("A ends");
      });
      for (int i = 0; i < 50; ++i) dispatcher.Post([&, i] { record(QString::number(i)); });
    });
    poster.join();  // the GUI thread runs nothing meanwhile
    QVERIFY(ran.isEmpty());
    QTRY_COMPARE(ran.size(), 53);
    QStringList expected = {"A begins"};
    for (int i = 0; i < 50; ++i) expected << QString::number(i);
    expected << "B"
             << "A ends";
    QCOMPARE(ran, expected);
    QVERIFY(allOnGuiThread);
  }

  void anEscapedExceptionIsShownAndTheProgramGoesOn() {
    Thrower standard(true);
    Thrower other(false);
    QCoreApplication::postEvent(&standard, new QEvent(QEvent::User));
    QCoreApplication::postEvent(&other, new QEvent(QEvent::User));
    // The second box may open over the first: the first one's loop goes on.
    QTRY_COMPARE(boxes_->Shown().size(), std::size_t{2});
    QStringList texts = boxes_->Texts();
    texts.sort();
    QCOMPARE(texts, QStringList({"", "handler failed"}));
    for (const ShownBox& box : boxes_->Shown()) {
      QCOMPARE(box.caption, kTitle);
      QCOMPARE(box.icon, QMessageBox::Critical);
    }
  }
};

}  // namespace gui_test

AISFW_GUI_TEST_MAIN(gui_test::FormTest)
#include "form_test.moc"
