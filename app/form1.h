#pragma once
// TForm1: the wizard's window. It owns the widgets, the three timers, the
// hand-over of the serial port's events and the hot-plug notice; the wizard
// core owns everything else and decides everything. The window mirrors the
// core's controls (upgrade::WizardView) and forwards what the user does to
// the core's handlers. Beside the core's controls it shows what a
// technician expects of a flasher: the firmware folder in use, the ports'
// products, the transfer's time and overall progress, time-stamped logs.

#include <QMainWindow>
#include <QUrl>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "app/system_ports.h"
#include "app/upgrade_progress.h"
#include "connect/wizard.h"
#include "upgrade/controls.h"
#include "upgrade/wizard_view.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSettings;
class QTimer;

namespace app {

class QtDispatcher;

struct FormSetup {
  // The ports the lists show and the automatic mode scans; none: the
  // system's serial ports.
  comm::PortEnumerator* ports = nullptr;
  // What the port list shows beside each port; none: what the system knows.
  PortDescriber* describer = nullptr;
  // Where the images and the catalogue are. A BinFolder given here is used
  // as it is (aisfw-gui --bin); without one the window takes the folder last
  // chosen in it, else the first of the usual places that has a catalogue.
  upgrade::FirmwareFolders folders;
  // The remembered settings (the firmware folder); empty: the user's own.
  QString settingsFile;
  // Where a log is saved after a failure; empty: the user's data folder.
  QString logFolder;
  // The local time and the pause; none: the machine's clock.
  upgrade::WizardClock* clock = nullptr;
  // Opens an address in a browser; none: the desktop's.
  std::function<bool(const QUrl&)> openUrl;
  // Refresh the port list when a serial device arrives or goes.
  bool watchHotplug = true;
  comm::HotplugMonitor::Mode hotplugMode = comm::HotplugMonitor::Mode::KernelEvents;
  std::chrono::milliseconds hotplugRescan = std::chrono::seconds(2);
  // The timers run this many times faster (tests of the time-outs).
  int timerSpeedUp = 1;
};

class TForm1 final : public QMainWindow, public upgrade::WizardView {
  Q_OBJECT
 public:
  // The client area; the log area below kClientHeight is out of view until
  // the technician asks for it. With it the window still fits a 1366 x 768
  // screen under a title bar and a panel.
  static constexpr int kClientWidth = 552;
  static constexpr int kClientHeight = 430;
  static constexpr int kLogClientHeight = 680;
  // Each log pane keeps this many of its newest lines, each cut to
  // kLogLineLength characters.
  static constexpr int kLogLines = 5000;
  static constexpr int kLogLineLength = 1000;

  explicit TForm1(FormSetup setup = {});
  ~TForm1() override;

  connect::Wizard& Wizard() { return *wizard_; }
  // The widget that shows a control of the core.
  QWidget* ControlWidget(upgrade::Control control) const;
  QTimer* Timer(upgrade::TimerId timer) const;

  // The firmware folder the core reads, and whether it was chosen in the
  // window.
  const std::filesystem::path& FirmwareFolder() const { return firmwareFolder_; }
  // Takes `folder` as the firmware folder, and remembers it when asked.
  // Only between runs, on the checklist page (the core starts afresh with
  // it); false elsewhere.
  bool UseFirmwareFolder(const std::filesystem::path& folder, bool remember);
  // Opens the firmware-folder dialog (not modal to the timers: it is
  // opened, not run).
  void ChooseFirmwareFolder();

  // Grows the window to show the two log panes, or shrinks it back (F12,
  // or the context menu).
  void ShowLogPanes(bool show);
  bool LogPanesShown() const { return height() > kClientHeight; }
  // Writes both log panes to `path`. False, with the reason in `error`,
  // when the file could not be written and closed completely; an existing
  // file is then left as it was.
  bool SaveLogPanes(const QString& path, QString& error) const;
  // The log saved after the last failure; empty when none was.
  const QString& LastSavedLog() const { return lastSavedLog_; }

  // upgrade::WizardView
  void ControlChanged(upgrade::Control control, const upgrade::ControlState& state) override;
  void AppendLog(upgrade::LogPane pane, std::string_view line) override;
  upgrade::MessageAnswer ShowMessage(const upgrade::MessageBox& box) override;
  void TimerChanged(upgrade::TimerId timer, bool enabled) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  struct Binding {
    QWidget* widget = nullptr;
    QColor base;        // the text colour shown for the core's black
    QColor backdrop;    // what is behind the text, at its darkest
    int selected = -1;  // a list's entry the core selected, as last shown
  };
  // A timer's tick is run from the event queue, not inside the timer's own
  // event: Qt fires no timer again while its event is being handled, and a
  // message box opened from a tick would stop that timer's ticks.
  struct Tick {
    unsigned generation = 0;  // a start or stop forgets ticks already queued
    bool queued = false;
  };

  // Building the window (form1_layout.cpp).
  void BuildControls();
  QWidget* BuildHeader(QWidget* parent);
  QWidget* BuildMainPanel(QWidget* parent);
  QWidget* BuildChecklistPage();
  QWidget* BuildSerialPortPage();
  QWidget* BuildVersionPage();
  QWidget* BuildUpgradePage();
  QWidget* BuildLogArea(QWidget* parent);
  void BuildStatusBar();
  void BuildTimers();
  void BuildActions();
  // `backdrop`: what is behind the text; none: found from where the widget
  // sits once the window is built.
  void Bind(upgrade::Control control, QWidget* widget, const QColor& base,
            const QColor& backdrop = QColor());
  void FindBackdrops();

  // The core, made for the firmware folder (again when it changes).
  void MakeCore();
  // Wiring the widgets to the core's handlers.
  void ConnectHandlers();
  // Shows the core's state of `control` again, after a click that the
  // widget may have answered on its own (a toggle, a radio button).
  void Resync(upgrade::Control control);
  void QueueTick(upgrade::TimerId timer);
  void RunTick(upgrade::TimerId timer, unsigned generation);
  void TransferTick();
  void ShowTransferDetails();
  void OpenMakerWebAddress();
  void OnDeviceChange();
  // Puts the user's own port and baud rate back after the core refilled
  // the lists, when they are still valid.
  void KeepUserChoice();
  void DescribePorts();
  void ShowFirmwareFolder();
  void SaveLogPanesAs();
  // The lines the window adds to a core's box.
  QString NotesFor(const upgrade::MessageBox& box);
  QString DeviceLeftNote() const;

  FormSetup setup_;
  std::unique_ptr<comm::PortEnumerator> ownPorts_;
  comm::PortEnumerator* ports_;
  std::unique_ptr<PortDescriber> ownDescriber_;
  PortDescriber* describer_;
  std::unique_ptr<upgrade::WizardClock> ownClock_;
  upgrade::WizardClock* clock_;
  std::unique_ptr<QSettings> settings_;
  std::function<bool(const QUrl&)> openUrl_;

  std::array<Binding, upgrade::kControlCount> controls_{};
  std::array<QTimer*, upgrade::kTimerCount> timers_{};
  std::array<Tick, upgrade::kTimerCount> ticks_{};
  std::array<QPlainTextEdit*, 2> logPanes_{};
  std::array<long long, 2> logLinesWritten_{};
  QAction* logPanesAction_ = nullptr;
  QAction* saveLogAction_ = nullptr;
  QAction* folderAction_ = nullptr;
  QLabel* folderLabel_ = nullptr;
  QPushButton* folderButton_ = nullptr;
  QLabel* transferTime_ = nullptr;
  QLabel* overallCaption_ = nullptr;
  QProgressBar* overallBar_ = nullptr;
  QLabel* overallPercent_ = nullptr;

  std::filesystem::path firmwareFolder_;
  std::optional<QString> userPort_;
  std::optional<int> userBaud_;
  UpgradeProgress progress_;
  bool applicationSized_ = false;
  // A failure gets its notes once: armed while the core's outcome is none.
  bool failureArmed_ = true;
  bool askingToExit_ = false;
  QString lastSavedLog_;

  // Destroyed in reverse order: the hot-plug monitor, then the core (which
  // closes the port), and only then the dispatcher they post to.
  std::unique_ptr<QtDispatcher> dispatcher_;
  std::unique_ptr<connect::Wizard> wizard_;
  std::unique_ptr<comm::HotplugMonitor> hotplug_;
};

}  // namespace app
