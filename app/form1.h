#pragma once
// TForm1: the wizard's window. It owns the widgets, the three timers, the
// hand-over of the serial port's events and the hot-plug notice; the wizard
// core owns everything else and decides everything. The window mirrors the
// core's controls (upgrade::WizardView) and forwards what the user does to
// the core's handlers.

#include <QMainWindow>
#include <array>
#include <memory>

#include "comm/hotplug_monitor.h"
#include "connect/wizard.h"
#include "upgrade/controls.h"
#include "upgrade/wizard_view.h"

class QPlainTextEdit;
class QTimer;

namespace app {

class QtDispatcher;

struct FormSetup {
  // The ports the lists show and the automatic mode scans; none: the
  // system's serial ports.
  comm::PortEnumerator* ports = nullptr;
  // Where the images and the catalogue are.
  upgrade::FirmwareFolders folders;
  // The local time and the pause; none: the machine's clock.
  upgrade::WizardClock* clock = nullptr;
  // Refresh the port list when a serial device arrives or goes.
  bool watchHotplug = true;
  comm::HotplugMonitor::Mode hotplugMode = comm::HotplugMonitor::Mode::KernelEvents;
  std::chrono::milliseconds hotplugRescan = std::chrono::seconds(2);
};

class TForm1 final : public QMainWindow, public upgrade::WizardView {
  Q_OBJECT
 public:
  // The client area; the log area below kClientHeight is out of view until
  // the technician asks for it.
  static constexpr int kClientWidth = 552;
  static constexpr int kClientHeight = 430;
  static constexpr int kStoredClientHeight = 808;

  explicit TForm1(FormSetup setup = {});
  ~TForm1() override;

  connect::Wizard& Wizard() { return *wizard_; }
  // The widget that shows a control of the core.
  QWidget* ControlWidget(upgrade::Control control) const;
  QTimer* Timer(upgrade::TimerId timer) const;

  // Grows the window to show the two log panes, or shrinks it back (F12,
  // or the context menu).
  void ShowLogPanes(bool show);
  bool LogPanesShown() const { return height() > kClientHeight; }
  // Writes both log panes to `path`. False, with the reason in `error`,
  // when the file could not be written and closed completely; an existing
  // file is then left as it was.
  bool SaveLogPanes(const QString& path, QString& error) const;

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
    int selected = -1;  // a list's entry the core selected, as last shown
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
  void Bind(upgrade::Control control, QWidget* widget, const QColor& base);

  // Wiring the widgets to the core's handlers.
  void ConnectHandlers();
  // Shows the core's state of `control` again, after a click that the
  // widget may have answered on its own (a toggle, a radio button).
  void Resync(upgrade::Control control);
  void OpenMakerWebAddress();
  void OnDeviceChange();
  void SaveLogPanesAs();

  std::unique_ptr<comm::PortEnumerator> ownPorts_;
  comm::PortEnumerator* ports_;
  std::unique_ptr<upgrade::WizardClock> ownClock_;
  upgrade::WizardClock* clock_;

  std::array<Binding, upgrade::kControlCount> controls_{};
  std::array<QTimer*, upgrade::kTimerCount> timers_{};
  std::array<QPlainTextEdit*, 2> logPanes_{};
  QAction* logPanesAction_ = nullptr;
  QAction* saveLogAction_ = nullptr;

  // Destroyed in reverse order: the hot-plug monitor, then the core (which
  // closes the port), and only then the dispatcher they post to.
  std::unique_ptr<QtDispatcher> dispatcher_;
  std::unique_ptr<connect::Wizard> wizard_;
  std::unique_ptr<comm::HotplugMonitor> hotplug_;
};

}  // namespace app
