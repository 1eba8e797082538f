#include "app/form1.h"

#include <QAbstractButton>
#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTimer>
#include <QUrl>
#include <algorithm>

#include "app/pictures.h"
#include "app/qt_dispatcher.h"
#include "app/widgets.h"

namespace app {

using upgrade::Control;
using upgrade::ControlState;

namespace {

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A colour as the core stores it (0x00BBGGRR); black is the control's own
// text colour.
QColor TextColour(upgrade::Colour colour, const QColor& base) {
  if (colour == upgrade::kBlack) return base;
  return {static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
          static_cast<int>((colour >> 16) & 0xFF)};
}

void SetTextColour(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  if (palette.color(QPalette::Active, QPalette::WindowText) == colour) return;
  // The disabled colour stays the style's grey (a disabled label is greyed).
  palette.setColor(QPalette::Active, QPalette::WindowText, colour);
  palette.setColor(QPalette::Inactive, QPalette::WindowText, colour);
  widget->setPalette(palette);
}

// `selected`: the entry the core selected when last shown.
void MirrorList(QComboBox* combo, const ControlState& state, int& selected) {
  QStringList items;
  for (const std::string& item : state.items) items << Text(item);
  QStringList shown;
  for (int i = 0; i < combo->count(); ++i) shown << combo->itemText(i);
  const bool rebuilt = items != shown;
  if (rebuilt) {
    combo->clear();
    combo->addItems(items);
  }
  const QString text = Text(state.text);
  if (combo->isEditable()) {
    // A pick or an edit of the user's own changes the text only; the
    // selection follows the core's when the core selects.
    const bool select = rebuilt || state.value != selected;
    if (select && state.value >= 0 && state.value < combo->count()) {
      combo->setCurrentIndex(state.value);
    }
    if (combo->currentText() != text) combo->setEditText(text);
  } else {
    combo->setCurrentIndex(state.value < combo->count() ? state.value : -1);
    // The stored text shows while nothing is selected (the list is empty
    // until Start).
    combo->setPlaceholderText(text);
  }
  selected = state.value;
}

}  // namespace

TForm1::TForm1(FormSetup setup)
    : ownPorts_(setup.ports == nullptr ? std::make_unique<comm::SysfsPortEnumerator>() : nullptr),
      ports_(setup.ports != nullptr ? setup.ports : ownPorts_.get()),
      ownClock_(setup.clock == nullptr ? std::make_unique<upgrade::SystemWizardClock>() : nullptr),
      clock_(setup.clock != nullptr ? setup.clock : ownClock_.get()),
      dispatcher_(std::make_unique<QtDispatcher>()) {
  // 1. The controls, as stored, and the timers the core switches.
  BuildControls();
  BuildTimers();
  BuildActions();
  // 9. The program folder: the executable's, unless the caller chose one.
  if (setup.folders.ProgramFolder.empty()) {
    setup.folders.ProgramFolder = QCoreApplication::applicationDirPath().toStdString();
  }
  // 2.-8. The core: status texts, the serial port (its event hand-over goes
  // through the dispatcher), the port lists, the pages reset to the
  // checklist, the wizard state reset, the sentence library with its AIS
  // tables. It shows its controls as it sets them.
  wizard_ = std::make_unique<connect::Wizard>(connect::WizardSetup{
      *dispatcher_, *ports_, *this, *clock_, std::move(setup.folders), nullptr});
  // Every control shows the core's state, including those it did not change.
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    const auto control = static_cast<Control>(i);
    ControlChanged(control, wizard_->Screen().State(control));
  }
  ConnectHandlers();
  if (setup.watchHotplug) {
    hotplug_ = std::make_unique<comm::HotplugMonitor>(
        *dispatcher_, *ports_, [this] { OnDeviceChange(); }, setup.hotplugMode,
        setup.hotplugRescan);
  }
  // 10. The caption (the title texts and the logo came with the controls).
  setWindowTitle(Text(upgrade::kWindowCaption));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  // 11. The client height that leaves the log area out of view; the window
  // cannot be resized.
  ShowLogPanes(false);
}

TForm1::~TForm1() = default;

QWidget* TForm1::ControlWidget(Control control) const {
  return controls_[static_cast<std::size_t>(control)].widget;
}

QTimer* TForm1::Timer(upgrade::TimerId timer) const {
  return timers_[static_cast<std::size_t>(timer)];
}

// ---- the core's view ---------------------------------------------------------

void TForm1::ControlChanged(Control control, const ControlState& state) {
  Binding& binding = controls_[static_cast<std::size_t>(control)];
  QWidget* widget = binding.widget;
  // What the core shows is no user action: no handler may run for it.
  const QSignalBlocker block(widget);
  widget->setVisible(state.visible);
  widget->setEnabled(state.enabled);
  const QString text = Text(state.text);
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(text);
    SetTextColour(label, TextColour(state.colour, binding.base));
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setText(text);
    if (button->isCheckable()) button->setChecked(state.down);
  } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    MirrorList(combo, state, binding.selected);
  } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    if (edit->text() != text) edit->setText(text);
  } else if (auto* bar = qobject_cast<QProgressBar*>(widget)) {
    bar->setValue(std::clamp(state.value, bar->minimum(), bar->maximum()));
  } else if (auto* pages = qobject_cast<QStackedWidget*>(widget)) {
    pages->setCurrentIndex(state.value);
  } else if (auto* picture = qobject_cast<PictureBox*>(widget)) {
    picture->SetImage(state.value);
  }
}

void TForm1::AppendLog(upgrade::LogPane pane, std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  // Received bytes are whatever the line carried: one character per byte.
  logPanes_[static_cast<std::size_t>(pane)]->appendPlainText(
      QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())));
}

upgrade::MessageAnswer TForm1::ShowMessage(const upgrade::MessageBox& box) {
  QMessageBox dialog(this);
  dialog.setWindowTitle(box.caption.empty() ? QCoreApplication::applicationName()
                                            : Text(box.caption));
  dialog.setTextFormat(Qt::PlainText);
  dialog.setText(Text(box.text));
  switch (box.icon) {
    case upgrade::MessageIcon::None:
      dialog.setIcon(QMessageBox::NoIcon);
      break;
    case upgrade::MessageIcon::Error:
      dialog.setIcon(QMessageBox::Critical);
      break;
    case upgrade::MessageIcon::Warning:
      dialog.setIcon(QMessageBox::Warning);
      break;
  }
  dialog.setStandardButtons(box.buttons == upgrade::MessageButtons::OkCancel
                                ? QMessageBox::Ok | QMessageBox::Cancel
                                : QMessageBox::Ok);
  dialog.setDefaultButton(QMessageBox::Ok);
  // Modal, in a nested event loop: the timers and the port's events go on
  // being handled while the box is open, as the core expects.
  return dialog.exec() == QMessageBox::Ok ? upgrade::MessageAnswer::Ok
                                          : upgrade::MessageAnswer::Cancel;
}

void TForm1::TimerChanged(upgrade::TimerId timer, bool enabled) {
  QTimer* t = Timer(timer);
  if (enabled) {
    t->start(upgrade::TimerInterval(timer));  // a fresh interval
  } else {
    t->stop();
  }
}

// ---- the user's actions ---------------------------------------------------------

void TForm1::ConnectHandlers() {
  const auto button = [this](Control control) {
    return qobject_cast<QAbstractButton*>(ControlWidget(control));
  };
  connect(button(Control::SpeedButtonStart), &QAbstractButton::clicked, this,
          [this] { wizard_->SpeedButtonStartClick(); });
  connect(button(Control::SpeedButtonCancel), &QAbstractButton::clicked, this,
          [this] { wizard_->SpeedButtonCancelClick(); });
  connect(button(Control::SpeedButtonFrmUpgFinish), &QAbstractButton::clicked, this,
          [this] { wizard_->SpeedButtonFrmUpgFinishClick(); });
  connect(button(Control::SpeedButtonFrmVerWantToContinueYes), &QAbstractButton::clicked, this,
          [this] { wizard_->SpeedButtonFrmVerWantToContinueYesClick(); });
  connect(button(Control::SpeedButtonFrmVerWantToContinueNo), &QAbstractButton::clicked, this,
          [this] { wizard_->SpeedButtonFrmVerWantToContinueNoClick(); });
  // Both Exit buttons close the window, which asks first.
  for (const Control exit : {Control::SpeedButtonExit1, Control::SpeedButtonExit}) {
    connect(button(exit), &QAbstractButton::clicked, this, &QWidget::close);
  }
  for (const auto& [control, automatic] :
       {std::pair{Control::RadioButtonConnectionModeManual, false},
        std::pair{Control::RadioButtonConnectionModeAuto, true}}) {
    connect(button(control), &QAbstractButton::clicked, this, [this, automatic] {
      wizard_->RadioButtonConnectionModeAutoClick(automatic);
      Resync(Control::RadioButtonConnectionModeManual);
      Resync(Control::RadioButtonConnectionModeAuto);
    });
  }
  connect(button(Control::OpenPort), &QAbstractButton::clicked, this, [this] {
    wizard_->OpenPortClick();
    Resync(Control::OpenPort);
  });

  auto* port = qobject_cast<QComboBox*>(ControlWidget(Control::cbxComPort));
  connect(port, &QComboBox::editTextChanged, this,
          [this](const QString& text) { wizard_->cbxComPortChange(text.toStdString()); });
  auto* baud = qobject_cast<QComboBox*>(ControlWidget(Control::cbxBaudRate));
  connect(baud, &QComboBox::currentIndexChanged, this,
          [this](int entry) { wizard_->cbxBaudRateChange(entry); });

  connect(Timer(upgrade::TimerId::Timer1), &QTimer::timeout, this,
          [this] { wizard_->Timer1Timer(); });
  connect(Timer(upgrade::TimerId::TimerUpgrade), &QTimer::timeout, this,
          [this] { wizard_->TimerUpgradeTimer(); });
  connect(Timer(upgrade::TimerId::TimerConnection), &QTimer::timeout, this,
          [this] { wizard_->TimerConnectionTimer(); });
}

void TForm1::Resync(Control control) { ControlChanged(control, wizard_->Screen().State(control)); }

void TForm1::closeEvent(QCloseEvent* event) {
  // The core asks "Are you sure to exit?" and closes the port on OK.
  if (wizard_->FormClose()) {
    event->accept();
  } else {
    event->ignore();
  }
}

void TForm1::OpenMakerWebAddress() {
  QDesktopServices::openUrl(QUrl(Text(upgrade::kMakerWebAddress)));
}

void TForm1::OnDeviceChange() {
  // Only the serial-port page shows the list (a run keeps its lists: the
  // core ignores the notice then).
  if (wizard_->Screen().CurrentPage() != upgrade::Page::TabSheetConnectDevice) return;
  wizard_->OnDeviceChange();
}

// ---- the log panes ----------------------------------------------------------------

void TForm1::ShowLogPanes(bool show) {
  setFixedSize(kClientWidth, show ? kStoredClientHeight : kClientHeight);
  logPanesAction_->setChecked(show);
}

bool TForm1::SaveLogPanes(const QString& path, QString& error) const {
  QString text = "Sent\n";
  text += logPanes_[static_cast<std::size_t>(upgrade::LogPane::MemoTX)]->toPlainText();
  text += "\n\nReceived\n";
  text += logPanes_[static_cast<std::size_t>(upgrade::LogPane::MemoRX)]->toPlainText();
  text += "\n";
  // Written beside the target and renamed over it only once it is complete.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    error = file.errorString();
    return false;
  }
  file.write(text.toLatin1());
  if (!file.commit()) {
    error = file.errorString();
    return false;
  }
  return true;
}

void TForm1::SaveLogPanesAs() {
  const QString suggested =
      QString("aisfw-log-%1.txt").arg(QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss"));
  const QString path = QFileDialog::getSaveFileName(this, "Save log panes", suggested,
                                                    "Text files (*.txt);;All files (*)");
  if (path.isEmpty()) return;
  QString error;
  if (!SaveLogPanes(path, error)) {
    QMessageBox::warning(this, "Save log panes",
                         QString("The log panes were not saved to %1:\n%2").arg(path, error));
  }
}

void TForm1::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  menu.addAction(logPanesAction_);
  menu.addAction(saveLogAction_);
  menu.exec(event->globalPos());
}

}  // namespace app
