#include "app/form1.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
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
#include <QSettings>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QTimer>
#include <algorithm>

#include "app/contrast.h"
#include "app/firmware_folder.h"
#include "app/firmware_folder_dialog.h"
#include "app/pictures.h"
#include "app/qt_dispatcher.h"
#include "app/widgets.h"
#include "comm/port_errors.h"
#include "text/display_text.h"

namespace app {

using upgrade::Control;
using upgrade::ControlState;
using upgrade::Stage;
using upgrade::WizardOutcome;

namespace {

const char* const kFolderKey = "firmwareFolder";

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString PathText(const std::filesystem::path& path) {
  return QString::fromStdString(text::DisplayText(path.string()));
}

// A colour as the core stores it (0x00BBGGRR); black is the control's own
// text colour.
QColor TextColour(upgrade::Colour colour, const QColor& base) {
  if (colour == upgrade::kBlack) return base;
  return {static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
          static_cast<int>((colour >> 16) & 0xFF)};
}

// Sets a label's text colour, made readable on what is behind it; greyed
// (disabled) text stays readable too.
void SetTextColour(QWidget* widget, const QColor& colour, const QColor& backdrop) {
  const QColor shown = backdrop.isValid() ? ReadableOn(colour, backdrop) : colour;
  QPalette palette = widget->palette();
  if (palette.color(QPalette::Active, QPalette::WindowText) == shown) return;
  palette.setColor(QPalette::Active, QPalette::WindowText, shown);
  palette.setColor(QPalette::Inactive, QPalette::WindowText, shown);
  if (backdrop.isValid()) {
    palette.setColor(QPalette::Disabled, QPalette::WindowText,
                     ReadableOn(QColor(0x9A, 0xA5, 0xB1), backdrop));
  }
  widget->setPalette(palette);
}

// `selected`: the entry the core selected when last shown. True when the
// items were rebuilt.
bool MirrorList(QComboBox* combo, const ControlState& state, int& selected) {
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
  return rebuilt;
}

// Outcomes after which the log is worth keeping: the run failed.
bool IsFailure(WizardOutcome outcome) {
  switch (outcome) {
    case WizardOutcome::None:
    case WizardOutcome::ForceDeclined:
    case WizardOutcome::Declined:
    case WizardOutcome::Cancelled:
    case WizardOutcome::Finished:
      return false;
    case WizardOutcome::NoPorts:
    case WizardOutcome::DetectFailed:
    case WizardOutcome::OpenFailed:
    case WizardOutcome::ConnectTimeout:
    case WizardOutcome::InfoTimeout:
    case WizardOutcome::Identification:
    case WizardOutcome::MissingImage:
    case WizardOutcome::InvalidImage:
    case WizardOutcome::MissingCatalogue:
    case WizardOutcome::TransmissionErrors:
    case WizardOutcome::IncorrectBlockCount:
    case WizardOutcome::SendFailed:
    case WizardOutcome::ProgrammingFailed:
    case WizardOutcome::ChecksumError:
    case WizardOutcome::HungUp:
    case WizardOutcome::UnexpectedPart:
      return true;
  }
  return true;
}

std::unique_ptr<QSettings> OpenSettings(const QString& file) {
  if (!file.isEmpty()) return std::make_unique<QSettings>(file, QSettings::IniFormat);
  return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, "aisfw",
                                     "aisfw-gui");
}

}  // namespace

TForm1::TForm1(FormSetup setup)
    : setup_(std::move(setup)),
      ownPorts_(setup_.ports == nullptr ? SystemPortEnumerator() : nullptr),
      ports_(setup_.ports != nullptr ? setup_.ports : ownPorts_.get()),
      ownDescriber_(setup_.describer == nullptr ? SystemPortDescriber() : nullptr),
      describer_(setup_.describer != nullptr ? setup_.describer : ownDescriber_.get()),
      ownClock_(setup_.clock == nullptr ? std::make_unique<upgrade::SystemWizardClock>() : nullptr),
      clock_(setup_.clock != nullptr ? setup_.clock : ownClock_.get()),
      settings_(OpenSettings(setup_.settingsFile)),
      openUrl_(setup_.openUrl ? setup_.openUrl
                              : [](const QUrl& url) { return QDesktopServices::openUrl(url); }),
      dispatcher_(std::make_unique<QtDispatcher>()) {
  // 1. The controls, as stored, and the timers the core switches.
  BuildControls();
  BuildTimers();
  BuildActions();
  // 9. The program folder: the executable's, unless the caller chose one.
  if (setup_.folders.ProgramFolder.empty()) {
    setup_.folders.ProgramFolder = QCoreApplication::applicationDirPath().toStdString();
  }
  // The firmware folder: given, else remembered, else found.
  std::error_code ec;
  if (!setup_.folders.BinFolder.empty()) {
    firmwareFolder_ = std::filesystem::absolute(setup_.folders.BinFolder, ec);
  } else if (const QString chosen = settings_->value(kFolderKey).toString();
             !chosen.isEmpty() && std::filesystem::is_directory(chosen.toStdString(), ec)) {
    firmwareFolder_ = chosen.toStdString();
  } else {
    firmwareFolder_ = FindFirmwareFolder(
        FirmwareFolderCandidates(setup_.folders.ProgramFolder, std::filesystem::current_path(ec)));
  }
  // 2.-8. The core: status texts, the serial port (its event hand-over goes
  // through the dispatcher), the port lists, the pages reset to the
  // checklist, the wizard state reset, the sentence library with its AIS
  // tables. It shows its controls as it sets them.
  MakeCore();
  ConnectHandlers();
  if (setup_.watchHotplug) {
    hotplug_ = WatchPorts(*dispatcher_, *ports_, [this] { OnDeviceChange(); },
                          {setup_.hotplugMode, setup_.hotplugRescan});
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

void TForm1::MakeCore() {
  upgrade::FirmwareFolders folders = setup_.folders;
  folders.BinFolder = firmwareFolder_;
  wizard_.reset();
  wizard_ = std::make_unique<connect::Wizard>(
      connect::WizardSetup{*dispatcher_, *ports_, *this, *clock_, std::move(folders), nullptr});
  // Every control shows the core's state, including those it did not change.
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    const auto control = static_cast<Control>(i);
    ControlChanged(control, wizard_->Screen().State(control));
  }
  progress_.Reset();
  ShowFirmwareFolder();
}

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
    SetTextColour(label, TextColour(state.colour, binding.base), binding.backdrop);
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setText(text);
    if (button->isCheckable()) button->setChecked(state.down);
  } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    if (MirrorList(combo, state, binding.selected) && control == Control::cbxComPort) {
      DescribePorts();
    }
  } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    if (edit->text() != text) edit->setText(text);
  } else if (auto* bar = qobject_cast<QProgressBar*>(widget)) {
    bar->setValue(std::clamp(state.value, bar->minimum(), bar->maximum()));
  } else if (auto* pages = qobject_cast<QStackedWidget*>(widget)) {
    pages->setCurrentIndex(state.value);
    if (control == Control::PageControlFirmwareUpgradeStage) {
      // The firmware folder is chosen between runs, on the checklist.
      const bool checklist = state.value == static_cast<int>(upgrade::Page::TabSheetStart);
      folderAction_->setEnabled(checklist);
    }
  } else if (auto* picture = qobject_cast<PictureBox*>(widget)) {
    picture->SetImage(state.value);
  }
  if (wizard_ && wizard_->State().Outcome == WizardOutcome::None) failureArmed_ = true;
}

void TForm1::AppendLog(upgrade::LogPane pane, std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  QString shown = Text(text::DisplayText(line));
  if (shown.size() > kLogLineLength) shown = shown.left(kLogLineLength) + " [...]";
  const auto index = static_cast<std::size_t>(pane);
  // The pane keeps its newest kLogLines lines (setMaximumBlockCount).
  logPanes_[index]->appendPlainText(QTime::currentTime().toString("HH:mm:ss.zzz ") + shown);
  ++logLinesWritten_[index];
}

upgrade::MessageAnswer TForm1::ShowMessage(const upgrade::MessageBox& box) {
  QMessageBox dialog(this);
  dialog.setWindowTitle(box.caption.empty() ? QCoreApplication::applicationName()
                                            : Text(box.caption));
  dialog.setTextFormat(Qt::PlainText);
  dialog.setText(Text(box.text) + NotesFor(box));
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

QString TForm1::NotesFor(const upgrade::MessageBox& box) {
  QString notes;
  // The exit question is the first box after the window asked to close.
  if (std::exchange(askingToExit_, false)) {
    const QString left = DeviceLeftNote();
    if (!left.isEmpty()) notes += "\n\n" + left;
    return notes;
  }
  if (box.buttons == upgrade::MessageButtons::OkCancel) return notes;  // a question
  // A failure's box comes right after the core set its outcome.
  const WizardOutcome outcome = wizard_->State().Outcome;
  if (!IsFailure(outcome) || !failureArmed_) return notes;
  failureArmed_ = false;
  if (outcome == WizardOutcome::MissingImage || outcome == WizardOutcome::MissingCatalogue) {
    notes += "\nFirmware folder searched: " + PathText(firmwareFolder_);
  }
  // The log as it stands, for a bug report.
  const QString folder =
      !setup_.logFolder.isEmpty()
          ? setup_.logFolder
          : QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                "/aisfw-gui/logs";
  const QString path = QDir(folder).filePath(
      QString("aisfw-gui-%1.log").arg(QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss")));
  QString error;
  if (QDir().mkpath(folder) && SaveLogPanes(path, error)) {
    lastSavedLog_ = path;
    notes += "\n\nThe log was saved to " + path;
  } else {
    notes += "\n\nThe log could not be saved to " + path + ": " +
             (error.isEmpty() ? QString("the folder cannot be made") : error);
  }
  return notes;
}

QString TForm1::DeviceLeftNote() const {
  const upgrade::WizardState& state = wizard_->State();
  if (state.WizardStage < Stage::Transfer || state.UpgradeFinished) return {};
  const upgrade::TransferState& transfer = wizard_->Transfer();
  QString where;
  if (!state.UpgradeRunning && state.UpgradePart == 2) {
    where = "with its new kernel and no application";
  } else {
    where = QString("part-way through its %1 (block %2 of %3)")
                .arg(state.UpgradePart == 2 ? "application" : "kernel")
                .arg(std::min(transfer.BlockIndex, transfer.BlockTotal))
                .arg(transfer.BlockTotal);
  }
  return "The upgrade is not finished: exiting now leaves the device " + where +
         ", and it must be upgraded again.";
}

void TForm1::TimerChanged(upgrade::TimerId timer, bool enabled) {
  QTimer* t = Timer(timer);
  Tick& tick = ticks_[static_cast<std::size_t>(timer)];
  ++tick.generation;
  tick.queued = false;
  if (enabled) {
    t->start(upgrade::TimerInterval(timer) / setup_.timerSpeedUp);  // a fresh interval
  } else {
    t->stop();
  }
}

void TForm1::QueueTick(upgrade::TimerId timer) {
  Tick& tick = ticks_[static_cast<std::size_t>(timer)];
  if (tick.queued) return;
  tick.queued = true;
  QMetaObject::invokeMethod(
      this, [this, timer, generation = tick.generation] { RunTick(timer, generation); },
      Qt::QueuedConnection);
}

void TForm1::RunTick(upgrade::TimerId timer, unsigned generation) {
  Tick& tick = ticks_[static_cast<std::size_t>(timer)];
  if (generation != tick.generation) return;  // stopped or restarted since
  tick.queued = false;
  switch (timer) {
    case upgrade::TimerId::Timer1:
      wizard_->Timer1Timer();
      break;
    case upgrade::TimerId::TimerUpgrade:
      TransferTick();
      break;
    case upgrade::TimerId::TimerConnection:
      wizard_->TimerConnectionTimer();
      break;
  }
}

void TForm1::TransferTick() {
  const TransferSnapshot before = Snapshot(*wizard_);
  wizard_->TimerUpgradeTimer();
  const TransferSnapshot after = Snapshot(*wizard_);
  if (const auto line = SentBlockLine(before, after)) AppendLog(upgrade::LogPane::MemoTX, *line);
  if (after.stage < upgrade::StageNumber(Stage::Transfer)) return;
  // The application's size is read from its image as the kernel starts, so
  // the overall progress counts both parts from the first block.
  if (!applicationSized_ && after.part == 1 && after.running) {
    applicationSized_ = true;
    upgrade::FirmwareFolders folders = wizard_->Folders();
    progress_.SetApplicationBlocks(
        ImageBlockCount(folders.Resolve(wizard_->DeviceInfo().Records[0].applicationPath)));
  }
  progress_.Update(before, after, UpgradeProgress::Clock::now());
  ShowTransferDetails();
}

void TForm1::ShowTransferDetails() {
  transferTime_->setText(QString::fromStdString(progress_.TimeText()));
  const std::optional<int> overall = progress_.OverallPercent();
  for (QWidget* w : {static_cast<QWidget*>(overallCaption_), static_cast<QWidget*>(overallBar_),
                     static_cast<QWidget*>(overallPercent_)}) {
    w->setVisible(overall.has_value());
  }
  if (overall) {
    overallBar_->setValue(*overall);
    overallPercent_->setText(QString("%1%").arg(*overall));
  }
}

// ---- the user's actions ---------------------------------------------------------

void TForm1::ConnectHandlers() {
  const auto button = [this](Control control) {
    return qobject_cast<QAbstractButton*>(ControlWidget(control));
  };
  connect(button(Control::SpeedButtonStart), &QAbstractButton::clicked, this, [this] {
    wizard_->SpeedButtonStartClick();
    KeepUserChoice();
  });
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
      if (!automatic) KeepUserChoice();
    });
  }
  connect(button(Control::OpenPort), &QAbstractButton::clicked, this, [this] {
    if (!wizard_->Port().Connected()) {
      progress_.Reset();
      applicationSized_ = false;
      ShowTransferDetails();
    }
    wizard_->OpenPortClick();
    Resync(Control::OpenPort);
  });

  // Signals are blocked while the core shows its state: what arrives here
  // is the user's.
  auto* port = qobject_cast<QComboBox*>(ControlWidget(Control::cbxComPort));
  connect(port, &QComboBox::editTextChanged, this, [this](const QString& text) {
    userPort_ = text;
    wizard_->cbxComPortChange(text.toStdString());
  });
  auto* baud = qobject_cast<QComboBox*>(ControlWidget(Control::cbxBaudRate));
  connect(baud, &QComboBox::currentIndexChanged, this, [this](int entry) {
    userBaud_ = entry;
    wizard_->cbxBaudRateChange(entry);
  });

  for (std::size_t i = 0; i < timers_.size(); ++i) {
    const auto timer = static_cast<upgrade::TimerId>(i);
    connect(timers_[i], &QTimer::timeout, this, [this, timer] { QueueTick(timer); });
  }
}

void TForm1::Resync(Control control) { ControlChanged(control, wizard_->Screen().State(control)); }

void TForm1::KeepUserChoice() {
  if (wizard_->State().WizardStage != Stage::Idle &&
      wizard_->State().WizardStage != Stage::Starting)
    return;
  const upgrade::WizardScreen& screen = wizard_->Screen();
  if (screen.State(Control::RadioButtonConnectionModeAuto).down) return;
  if (userPort_ && !userPort_->isEmpty() &&
      screen.Text(Control::cbxComPort) != userPort_->toStdString()) {
    // Still valid: listed, or a device file that is there (a typed path).
    const std::string port = userPort_->toStdString();
    const auto& items = screen.State(Control::cbxComPort).items;
    std::error_code ec;
    if (std::find(items.begin(), items.end(), port) != items.end() ||
        std::filesystem::exists(comm::PortDevicePath(port), ec)) {
      wizard_->cbxComPortChange(port);
      Resync(Control::cbxComPort);
    }
  }
  const ControlState& baud = screen.State(Control::cbxBaudRate);
  if (userBaud_ && *userBaud_ >= 0 && *userBaud_ < static_cast<int>(baud.items.size()) &&
      baud.value != *userBaud_) {
    wizard_->cbxBaudRateChange(*userBaud_);
  }
}

void TForm1::DescribePorts() {
  auto* combo = qobject_cast<QComboBox*>(ControlWidget(Control::cbxComPort));
  auto* model = qobject_cast<QStandardItemModel*>(combo->model());
  const std::map<std::string, PortDescription> known = describer_->Describe();
  bool any = false;
  for (int row = 0; row < combo->count(); ++row) {
    const std::string name = combo->itemText(row).toStdString();
    auto found = known.find(name);
    if (found == known.end()) {
      for (auto it = known.begin(); it != known.end(); ++it) {
        if (comm::PortDevicePath(it->first) == name) found = it;
      }
    }
    QString detail;
    QString tip;
    if (found != known.end()) {
      const QString product = QString::fromStdString(found->second.product);
      const QString byId = QString::fromStdString(found->second.byId);
      detail = product;
      if (!byId.isEmpty()) {
        const QString link = byId.section('/', -1);
        detail = detail.isEmpty() ? link : detail + "   " + link;
      }
      tip = product.isEmpty() ? byId : (byId.isEmpty() ? product : product + "\n" + byId);
      any = true;
    }
    if (model != nullptr) {
      auto* item = new QStandardItem(detail);
      item->setEditable(false);
      item->setToolTip(tip);
      model->setItem(row, 1, item);
      if (QStandardItem* first = model->item(row, 0)) first->setToolTip(tip);
    }
  }
  if (auto* view = combo->view(); view != nullptr && any) {
    view->setMinimumWidth(kClientWidth - 120);
  }
}

void TForm1::closeEvent(QCloseEvent* event) {
  // The core asks "Are you sure to exit?" and closes the port on OK.
  askingToExit_ = true;
  const bool close = wizard_->FormClose();
  askingToExit_ = false;
  if (close) {
    event->accept();
  } else {
    event->ignore();
  }
}

void TForm1::OpenMakerWebAddress() {
  const QString address = Text(upgrade::kMakerWebAddress);
  if (openUrl_(QUrl(address))) return;
  // No browser: the address, to copy.
  QMessageBox box(this);
  box.setWindowTitle(QCoreApplication::applicationName());
  box.setIcon(QMessageBox::Information);
  box.setTextFormat(Qt::PlainText);
  box.setText("No web browser could be opened. The maker's web address is:\n\n" + address);
  box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  box.exec();
}

void TForm1::OnDeviceChange() {
  // Only the serial-port page shows the list (a run keeps its lists: the
  // core ignores the notice then).
  if (wizard_->Screen().CurrentPage() != upgrade::Page::TabSheetConnectDevice) return;
  wizard_->OnDeviceChange();
  KeepUserChoice();
}

// ---- the firmware folder ---------------------------------------------------------

bool TForm1::UseFirmwareFolder(const std::filesystem::path& folder, bool remember) {
  if (wizard_->State().WizardStage != Stage::Idle ||
      wizard_->Screen().CurrentPage() != upgrade::Page::TabSheetStart) {
    return false;
  }
  std::error_code ec;
  firmwareFolder_ = std::filesystem::absolute(folder, ec);
  if (remember) settings_->setValue(kFolderKey, QString::fromStdString(firmwareFolder_.string()));
  settings_->sync();
  // The core reads its folders once: it starts afresh, as at start-up.
  MakeCore();
  return true;
}

void TForm1::ChooseFirmwareFolder() {
  auto* dialog = new FirmwareFolderDialog(firmwareFolder_, this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  connect(dialog, &QDialog::accepted, this,
          [this, dialog] { UseFirmwareFolder(dialog->Folder(), true); });
  dialog->open();
}

void TForm1::ShowFirmwareFolder() {
  const FolderReport report = DescribeFirmwareFolder(firmwareFolder_);
  const QString path = PathText(firmwareFolder_);
  QString state;
  if (!report.catalogueFound) {
    state = "no catalogue Firmware.csv here";
  } else {
    int valid = 0;
    for (const CatalogueEntry& entry : report.entries)
      valid += entry.state == CatalogueEntry::State::Valid ? 1 : 0;
    state = QString("%1 of %2 images valid").arg(valid).arg(report.entries.size());
  }
  const QFontMetrics metrics(folderLabel_->font());
  const QString prefix = "Firmware: ";
  const QString suffix = " (" + state + ")";
  const int room = folderLabel_->width() - metrics.horizontalAdvance(prefix + suffix);
  folderLabel_->setText(prefix + metrics.elidedText(path, Qt::ElideMiddle, room) + suffix);
  QString tip = path;
  for (const CatalogueEntry& entry : report.entries) {
    tip += "\n" + QString::fromStdString(entry.image) + "  " +
           QString::fromStdString(entry.version) + "  " +
           (entry.state == CatalogueEntry::State::Valid ? QString("%1 blocks").arg(entry.blocks)
                                                        : QString::fromStdString(entry.problem));
  }
  folderLabel_->setToolTip(tip);
}

// ---- the log panes ----------------------------------------------------------------

void TForm1::ShowLogPanes(bool show) {
  setFixedSize(kClientWidth, show ? kLogClientHeight : kClientHeight);
  logPanesAction_->setChecked(show);
}

bool TForm1::SaveLogPanes(const QString& path, QString& error) const {
  QString text;
  const struct {
    upgrade::LogPane pane;
    const char* heading;
  } panes[] = {{upgrade::LogPane::MemoTX, "Sent"}, {upgrade::LogPane::MemoRX, "Received"}};
  for (const auto& p : panes) {
    const auto index = static_cast<std::size_t>(p.pane);
    if (!text.isEmpty()) text += "\n\n";
    text += QString(p.heading) + "\n";
    const long long dropped = logLinesWritten_[index] - logPanes_[index]->blockCount();
    if (dropped > 0 && !logPanes_[index]->toPlainText().isEmpty()) {
      text += QString("(%1 earlier lines are not kept: the pane holds the newest %2)\n")
                  .arg(dropped)
                  .arg(kLogLines);
    }
    text += logPanes_[index]->toPlainText();
  }
  text += "\n";
  // Written beside the target and renamed over it only once it is complete.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    error = file.errorString();
    return false;
  }
  file.write(text.toUtf8());
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
  menu.addSeparator();
  menu.addAction(folderAction_);
  menu.exec(event->globalPos());
}

}  // namespace app
