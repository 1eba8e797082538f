// Building TForm1's widgets: the header panel, the main panel with the four
// pages and the status area below them, the hidden status bar, and the log
// area below the visible client height. Every control of the core gets its
// widget, named as the core names it and showing its stored caption.

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTimer>
#include <QTreeView>

#include "app/application.h"
#include "app/contrast.h"
#include "app/form1.h"
#include "app/pictures.h"
#include "app/widgets.h"

namespace app {

using upgrade::Control;

namespace {

// Colours of the window.
const QColor kSkyBlue{0xA6, 0xCA, 0xF0};  // the window's background
const QColor kTitleNavy{0x14, 0x40, 0x6E};
const QColor kText{0x1A, 0x1A, 0x1A};
const QColor kQuietText{0x44, 0x55, 0x66};
const QColor kLinkBlue{0x1F, 0x5F, 0xA8};
// The pages' fill inside the rounded frame: opaque, so that every text on a
// page has one known colour behind it.
const QColor kPageColour{0xF4, 0xF9, 0xFD};
// The header fades from white to this on the right.
const QColor kHeaderFade{0xDC, 0xEB, 0xFA};

// The page controls' pages in the order of upgrade::Page and
// upgrade::ModePage.
constexpr std::array<const char*, 4> kPageNames = {
    "TabSheetStart", "TabSheetConnectDevice", "TabSheetFirmwareVersion", "TabSheetFirmwareUpgrade"};
static_assert(kPageNames.size() ==
              static_cast<std::size_t>(upgrade::Page::TabSheetFirmwareUpgrade) + 1);
constexpr std::array<const char*, 2> kModePageNames = {"TabSheetManualDetectComPort",
                                                       "TabSheetAutoConnectComPort"};
static_assert(kModePageNames.size() ==
              static_cast<std::size_t>(upgrade::ModePage::TabSheetAutoConnectComPort) + 1);

// The buttons every page has at its bottom right.
constexpr int kButtonWidth = 96;
constexpr int kButtonHeight = 30;
constexpr int kButtonTop = 216;
constexpr int kFirstButtonLeft = 300;
constexpr int kSecondButtonLeft = 408;

// Pages are this size, inside the rounded frame.
constexpr QSize kPageSize{520, 260};

const char* const kButtonStyle = R"(
QPushButton {
  color: #14406e; font-weight: bold;
  border: 1px solid #5f86b8; border-radius: 5px;
  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #d7e6f7);
}
QPushButton:hover { border-color: #1f5fa8;
  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #c4dbf5); }
QPushButton:pressed, QPushButton:checked { color: #ffffff; border-color: #14406e;
  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #2f6db3, stop:1 #1f5fa8); }
QPushButton:disabled { color: #6b7785; border-color: #b7c4d3; background: #eef2f6; }
QPushButton:focus { border: 2px solid #b35900; }
QProgressBar { border: 1px solid #5f86b8; border-radius: 4px; background: #ffffff; }
QProgressBar::chunk { border-radius: 3px;
  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #5fa8e8, stop:1 #1f5fa8); }
)";

QFont Sized(const QWidget* widget, int pixels, bool bold) {
  QFont font = widget->font();
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

template <typename W>
W* Make(QWidget* parent, const char* name, QRect geometry) {
  auto* widget = new W(parent);
  widget->setObjectName(name);
  widget->setGeometry(geometry);
  return widget;
}

QLabel* MakeLabel(QWidget* parent, QRect geometry,
                  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter) {
  auto* label = new QLabel(parent);
  label->setGeometry(geometry);
  label->setTextFormat(Qt::PlainText);  // device texts are never markup
  label->setAlignment(alignment);
  return label;
}

// A label of the window's own in a fixed text colour.
void SetLabelColour(QLabel* label, const QColor& colour) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colour);
  label->setPalette(palette);
}

QRect ButtonAt(int left) { return {left, kButtonTop, kButtonWidth, kButtonHeight}; }

// A page of a page control: transparent, so the frame shows through.
QWidget* MakePage(const char* name) {
  auto* page = new QWidget;
  page->setObjectName(name);
  page->resize(kPageSize);
  return page;
}

}  // namespace

void TForm1::Bind(Control control, QWidget* widget, const QColor& base, const QColor& backdrop) {
  Binding& binding = controls_[static_cast<std::size_t>(control)];
  binding.widget = widget;
  binding.base = base;
  binding.backdrop = backdrop;
  widget->setObjectName(QString::fromUtf8(upgrade::ControlName(control)));
}

void TForm1::BuildControls() {
  setFont(WindowFont());
  setWindowIcon(ApplicationIcon());

  auto* client = new QWidget(this);
  client->setObjectName("ClientArea");
  client->setAutoFillBackground(true);
  QPalette sky = client->palette();
  sky.setColor(QPalette::Window, kSkyBlue);
  client->setPalette(sky);
  client->setStyleSheet(kButtonStyle);
  setCentralWidget(client);

  BuildHeader(client);
  BuildMainPanel(client);
  BuildLogArea(client);
  BuildStatusBar();

  for (std::size_t i = 0; i < controls_.size(); ++i) {
    if (controls_[i].widget == nullptr) {
      qFatal("control %s has no widget",
             std::string(upgrade::ControlName(static_cast<Control>(i))).c_str());
    }
  }
  FindBackdrops();
}

void TForm1::FindBackdrops() {
  QWidget* header = findChild<QWidget*>("PanelTitle");
  QWidget* pages = findChild<QWidget*>("PageControlFirmwareUpgradeStage");
  QWidget* panel = findChild<QWidget*>("Panel1");
  const QPixmap* background = findChild<PictureBox*>("Image2")->Shown();
  const QImage sky = background != nullptr ? background->toImage() : QImage();
  for (Binding& binding : controls_) {
    QWidget* w = binding.widget;
    if (binding.backdrop.isValid()) continue;
    if (header->isAncestorOf(w)) {
      binding.backdrop = kHeaderFade;  // its darkest
    } else if (pages->isAncestorOf(w)) {
      binding.backdrop = kPageColour;
    } else if (w->parentWidget() == panel && !sky.isNull()) {
      // Below the pages, on the background picture: its darkest pixel
      // under the text (the texts are dark).
      QColor darkest = Qt::white;
      const QRect area = w->geometry().intersected(sky.rect());
      for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
          const QColor c = sky.pixelColor(x, y);
          if (RelativeLuminance(c) < RelativeLuminance(darkest)) darkest = c;
        }
      }
      binding.backdrop = darkest;
    }
  }
}

QWidget* TForm1::BuildHeader(QWidget* parent) {
  auto* header = Make<QWidget>(parent, "PanelTitle", {0, 0, kClientWidth, 50});
  header->setAutoFillBackground(true);
  QPalette palette = header->palette();
  QLinearGradient fade(0, 0, kClientWidth, 0);
  fade.setColorAt(0.0, Qt::white);
  fade.setColorAt(0.45, Qt::white);
  fade.setColorAt(1.0, kHeaderFade);
  palette.setBrush(QPalette::Window, fade);
  header->setPalette(palette);
  auto* rule = Make<QWidget>(header, "PanelTitleRule", {0, 48, kClientWidth, 2});
  rule->setAutoFillBackground(true);
  QPalette navy = rule->palette();
  navy.setColor(QPalette::Window, kTitleNavy);
  rule->setPalette(navy);

  auto* logo = new PictureBox(CompanyImages(), std::nullopt, header);
  logo->setObjectName("ImageLogo");
  logo->move(10, 4);
  logo->setCursor(Qt::PointingHandCursor);
  logo->setToolTip(QString::fromUtf8(upgrade::kMakerWebAddress));
  connect(logo, &PictureBox::clicked, this, &TForm1::OpenMakerWebAddress);

  auto* title = MakeLabel(header, {172, 5, 370, 22}, Qt::AlignRight | Qt::AlignVCenter);
  title->setFont(Sized(title, 15, true));
  Bind(Control::StaticTextTitle, title, kTitleNavy);

  auto* version = MakeLabel(header, {172, 27, 180, 18});
  version->setFont(Sized(version, 11, false));
  Bind(Control::LabelVersion, version, kQuietText);

  auto* web = new LinkLabel(header);
  web->setGeometry(352, 27, 190, 18);
  web->setTextFormat(Qt::PlainText);
  web->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  web->setFont(Sized(web, 11, false));
  Bind(Control::LabelZELOWeb, web, kLinkBlue);
  connect(web, &LinkLabel::clicked, this, &TForm1::OpenMakerWebAddress);
  return header;
}

QWidget* TForm1::BuildMainPanel(QWidget* parent) {
  auto* panel = Make<QWidget>(parent, "Panel1", {0, 50, kClientWidth, 380});
  auto* background = new PictureBox({BackgroundPicture(panel->size())}, std::nullopt, panel);
  background->setObjectName("Image2");
  auto* frame = new RoundedFrame(kPageColour, panel);
  frame->setObjectName("Shape1");
  frame->setGeometry(12, 10, 528, 270);

  auto* pages = Make<QStackedWidget>(panel, "PageControlFirmwareUpgradeStage",
                                     {16, 15, kPageSize.width(), kPageSize.height()});
  for (QWidget* page :
       {BuildChecklistPage(), BuildSerialPortPage(), BuildVersionPage(), BuildUpgradePage()}) {
    pages->addWidget(page);
  }
  Bind(Control::PageControlFirmwareUpgradeStage, pages, kText);

  // Below the pages, on every page.
  auto* status = MakeLabel(panel, {12, 286, 528, 20}, Qt::AlignCenter);
  status->setFont(Sized(status, 13, true));
  Bind(Control::lblUpgradeStatus, status, kText);
  auto* second = MakeLabel(panel, {12, 306, 528, 18}, Qt::AlignCenter);
  Bind(Control::lbl2ndAISUpgradeStatus, second, kTitleNavy);

  auto* bar = Make<QProgressBar>(panel, "", {44, 330, 412, 16});
  bar->setRange(0, 100);
  bar->setTextVisible(false);
  Bind(Control::ProgressBar2, bar, kText);
  auto* percent = MakeLabel(panel, {464, 328, 60, 20});
  percent->setFont(Sized(percent, 12, true));
  Bind(Control::LabelProgressPersent, percent, kTitleNavy);

  auto* blocks = MakeLabel(panel, {12, 352, 528, 18}, Qt::AlignCenter);
  blocks->setFont(Sized(blocks, 11, false));
  Bind(Control::LabelDebugFrmUpg, blocks, kQuietText);

  // Over the pages, between their texts and their buttons.
  auto* quiet = MakeLabel(panel, {28, 196, 496, 34}, Qt::AlignCenter);
  quiet->setWordWrap(true);
  Bind(Control::LabelDeviceQuiet, quiet, kText);
  return panel;
}

QWidget* TForm1::BuildChecklistPage() {
  QWidget* page = MakePage(kPageNames[0]);
  // A sentence rather than a title: a size smaller than the other pages'
  // titles, so it keeps to one line.
  auto* title = MakeLabel(page, {18, 13, 486, 40}, Qt::AlignLeft | Qt::AlignTop);
  title->setWordWrap(true);
  title->setFont(Sized(title, 12, true));
  Bind(Control::StaticTextStartTitle, title, kTitleNavy);

  const std::array<Control, 3> items = {Control::StaticTextStartDescription1,
                                        Control::StaticTextStartDescription2,
                                        Control::StaticTextStartDescription3};
  for (std::size_t i = 0; i < items.size(); ++i) {
    const int top = 60 + static_cast<int>(i) * 44;
    auto* number = MakeLabel(page, {28, top + 2, 24, 24}, Qt::AlignCenter);
    number->setText(QString::number(i + 1));
    number->setStyleSheet(
        "color: white; font-weight: bold; background: #1f5fa8; border-radius: 12px;");
    auto* text = MakeLabel(page, {62, top, 430, 28});
    text->setWordWrap(true);
    Bind(items[i], text, kText);
  }

  // The firmware folder in use, and the way to choose another.
  folderLabel_ = MakeLabel(page, {20, 190, 484, 18});
  folderLabel_->setObjectName("LabelFirmwareFolder");
  folderLabel_->setFont(Sized(folderLabel_, 11, false));
  SetLabelColour(folderLabel_, ReadableOn(kQuietText, kPageColour));
  folderButton_ =
      Make<QPushButton>(page, "SpeedButtonFirmwareFolder", {20, kButtonTop, 150, kButtonHeight});
  folderButton_->setText("Firmware folder...");
  connect(folderButton_, &QPushButton::clicked, this, &TForm1::ChooseFirmwareFolder);

  Bind(Control::SpeedButtonStart, Make<QPushButton>(page, "", ButtonAt(kFirstButtonLeft)), kText);
  Bind(Control::SpeedButtonExit1, Make<QPushButton>(page, "", ButtonAt(kSecondButtonLeft)), kText);
  return page;
}

QWidget* TForm1::BuildSerialPortPage() {
  QWidget* page = MakePage(kPageNames[1]);
  auto* title = MakeLabel(page, {20, 10, 480, 22});
  title->setFont(Sized(title, 13, true));
  Bind(Control::LabelConnectDeviceTitle, title, kTitleNavy);

  auto* manual = Make<QRadioButton>(page, "", {20, 40, 90, 22});
  auto* automatic = Make<QRadioButton>(page, "", {116, 40, 90, 22});
  auto* modes = new QButtonGroup(page);
  modes->addButton(manual);
  modes->addButton(automatic);
  Bind(Control::RadioButtonConnectionModeManual, manual, kText);
  Bind(Control::RadioButtonConnectionModeAuto, automatic, kText);

  Bind(Control::LabelSerialPort, MakeLabel(page, {20, 74, 84, 26}), kText);
  Bind(Control::LabelBaudRate, MakeLabel(page, {20, 106, 84, 26}), kText);

  auto* modePages = Make<QStackedWidget>(page, "PageControlDetectComPortMode", {104, 74, 196, 60});
  QWidget* manualPage = MakePage(kModePageNames[0]);
  auto* port = Make<QComboBox>(manualPage, "", {0, 1, 196, 24});
  port->setEditable(true);
  port->setInsertPolicy(QComboBox::NoInsert);  // the list is the core's
  port->setCompleter(nullptr);                 // a typed path is taken as it is
  // The drop-down shows what the system knows of each port beside its name;
  // the name (column 0) stays the value.
  port->setModel(new QStandardItemModel(0, 2, port));
  auto* portView = new QTreeView(port);
  portView->setHeaderHidden(true);
  portView->setRootIsDecorated(false);
  portView->setAllColumnsShowFocus(true);
  portView->setColumnWidth(0, 120);
  port->setView(portView);
  Bind(Control::cbxComPort, port, kText);
  Bind(Control::cbxBaudRate, Make<QComboBox>(manualPage, "", {0, 33, 196, 24}), kText);
  QWidget* autoPage = MakePage(kModePageNames[1]);
  for (const auto& [control, top] : {std::pair{Control::EditAutoDetectComPort, 1},
                                     std::pair{Control::EditAutoDetectBaudRate, 33}}) {
    auto* edit = Make<QLineEdit>(autoPage, "", {0, top, 196, 24});
    edit->setReadOnly(true);
    QPalette shaded = edit->palette();  // read-only: what the scan tries
    shaded.setColor(QPalette::Base, QColor(0xF2, 0xF5, 0xF9));
    edit->setPalette(shaded);
    Bind(control, edit, kText);
  }
  modePages->addWidget(manualPage);
  modePages->addWidget(autoPage);
  Bind(Control::PageControlDetectComPortMode, modePages, kText);

  // The connection indicator, on the pictures' own fill colour.
  auto* indicator = Make<QLabel>(page, "IndicatorPanel", {322, 42, 178, 92});
  indicator->setStyleSheet(QString("background: %1; border: 1px solid #b9cde4; border-radius: 8px;")
                               .arg(kIndicatorFill.name()));
  auto* toDevice = new PictureBox(ConnectToDeviceImages(), kIndicatorFill, page);
  toDevice->move(351, 54);
  Bind(Control::ImageConnectToDevice, toDevice, kText);
  auto* twoWay = new PictureBox(ConnectTwoWayImages(), kIndicatorFill, page);
  twoWay->move(351 + 44, 54);
  Bind(Control::ImageConnectTwoWay, twoWay, kText);
  auto* state = MakeLabel(page, {330, 96, 162, 26}, Qt::AlignCenter);
  state->setFont(Sized(state, 12, true));
  Bind(Control::LabelConnectionStatus, state, kText, kIndicatorFill);

  auto* note1 = MakeLabel(page, {20, 144, 480, 20});
  note1->setFont(Sized(note1, 12, true));
  Bind(Control::StaticTextSerialPortNote1, note1, kTitleNavy);
  auto* note2 = MakeLabel(page, {20, 164, 480, 46}, Qt::AlignLeft | Qt::AlignTop);
  note2->setWordWrap(true);
  note2->setFont(Sized(note2, 11, false));
  Bind(Control::StaticTextSerialPortNote2, note2, kQuietText);

  auto* openPort = Make<QPushButton>(page, "", ButtonAt(kFirstButtonLeft));
  openPort->setCheckable(true);
  Bind(Control::OpenPort, openPort, kText);
  Bind(Control::SpeedButtonCancel, Make<QPushButton>(page, "", ButtonAt(kSecondButtonLeft)), kText);
  return page;
}

QWidget* TForm1::BuildVersionPage() {
  QWidget* page = MakePage(kPageNames[2]);
  auto* title = MakeLabel(page, {20, 10, 480, 22});
  title->setFont(Sized(title, 13, true));
  Bind(Control::LabelFrmVerTitle, title, kTitleNavy);

  // Each version has two labels; the second lies exactly under the first,
  // in the same colour, so that either reads.
  const struct {
    Control caption, shadow, value;
    int top;
  } rows[] = {
      {Control::LabelFrmVerOriginal, Control::LabelFrmVerOriginal3, Control::LabelFrmVerOriginal1,
       56},
      {Control::LabelFrmVerNew, Control::LabelFrmVerNew3, Control::LabelFrmVerNew1, 96},
  };
  for (const auto& row : rows) {
    Bind(row.caption, MakeLabel(page, {44, row.top, 200, 28}), kText);
    auto* shadow = MakeLabel(page, {260, row.top, 220, 28});
    shadow->setFont(Sized(shadow, 15, true));
    Bind(row.shadow, shadow, kTitleNavy);
    auto* value = MakeLabel(page, {260, row.top, 220, 28});
    value->setFont(Sized(value, 15, true));
    Bind(row.value, value, kTitleNavy);
  }
  auto* question = MakeLabel(page, {44, 152, 440, 26});
  question->setFont(Sized(question, 13, true));
  Bind(Control::LabelFrmVerWantToContinue, question, kText);

  Bind(Control::SpeedButtonFrmVerWantToContinueYes,
       Make<QPushButton>(page, "", ButtonAt(kFirstButtonLeft)), kText);
  Bind(Control::SpeedButtonFrmVerWantToContinueNo,
       Make<QPushButton>(page, "", ButtonAt(kSecondButtonLeft)), kText);
  return page;
}

QWidget* TForm1::BuildUpgradePage() {
  QWidget* page = MakePage(kPageNames[3]);
  auto* title = MakeLabel(page, {20, 10, 480, 22});
  title->setFont(Sized(title, 13, true));
  Bind(Control::LabelFrmUpgTitle, title, kTitleNavy);

  Bind(Control::LabelFrmUpgSerialNumber, MakeLabel(page, {44, 52, 120, 24}), kText);
  auto* serial = MakeLabel(page, {170, 52, 300, 24});
  serial->setFont(Sized(serial, 13, true));
  Bind(Control::LabelFrmUpgSerialNumber1, serial, kTitleNavy);

  auto* message1 = MakeLabel(page, {20, 82, 480, 26}, Qt::AlignCenter);
  message1->setFont(Sized(message1, 14, true));
  Bind(Control::StaticTextFrmUpgMessage1, message1, kText);
  auto* message2 = MakeLabel(page, {20, 108, 480, 24}, Qt::AlignCenter);
  message2->setFont(Sized(message2, 13, false));
  Bind(Control::StaticTextFrmUpgMessage2, message2, kText);

  // The part's time and the whole upgrade's progress, beside the part's own
  // bar below the page. (Room is left under them for a line on the last
  // run.)
  transferTime_ = MakeLabel(page, {20, 138, 480, 18}, Qt::AlignCenter);
  transferTime_->setObjectName("LabelFrmUpgTime");
  transferTime_->setFont(Sized(transferTime_, 12, false));
  SetLabelColour(transferTime_, ReadableOn(kQuietText, kPageColour));
  overallCaption_ = MakeLabel(page, {44, 160, 120, 18});
  overallCaption_->setObjectName("LabelFrmUpgOverall");
  overallCaption_->setText("Both parts");
  overallBar_ = Make<QProgressBar>(page, "ProgressBarOverall", {170, 163, 250, 12});
  overallBar_->setRange(0, 100);
  overallBar_->setTextVisible(false);
  overallPercent_ = MakeLabel(page, {428, 160, 60, 18});
  overallPercent_->setObjectName("LabelFrmUpgOverallPercent");
  overallPercent_->setFont(Sized(overallPercent_, 12, true));
  for (QLabel* label : {overallCaption_, overallPercent_}) {
    SetLabelColour(label, ReadableOn(kTitleNavy, kPageColour));
    label->hide();
  }
  overallBar_->hide();

  Bind(Control::SpeedButtonFrmUpgFinish, Make<QPushButton>(page, "", ButtonAt(kFirstButtonLeft)),
       kText);
  Bind(Control::SpeedButtonExit, Make<QPushButton>(page, "", ButtonAt(kSecondButtonLeft)), kText);
  return page;
}

QWidget* TForm1::BuildLogArea(QWidget* parent) {
  auto* area = Make<QWidget>(parent, "PanelView",
                             {0, kClientHeight, kClientWidth, kLogClientHeight - kClientHeight});
  const QFont fixed = [] {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(11);
    return font;
  }();
  const struct {
    upgrade::LogPane pane;
    const char* name;
    const char* heading;
    int left;
  } panes[] = {{upgrade::LogPane::MemoTX, "MemoTX", "Sent", 6},
               {upgrade::LogPane::MemoRX, "MemoRX", "Received", 279}};
  for (const auto& p : panes) {
    auto* heading = MakeLabel(area, {p.left, 2, 267, 20});
    heading->setText(p.heading);
    heading->setFont(Sized(heading, 12, true));
    auto* memo = Make<QPlainTextEdit>(area, p.name, {p.left, 22, 267, area->height() - 22 - 6});
    memo->setReadOnly(true);
    memo->setMaximumBlockCount(kLogLines);  // the newest lines
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setFont(fixed);
    logPanes_[static_cast<std::size_t>(p.pane)] = memo;
  }
  return area;
}

void TForm1::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName("StatusBar1");
  bar->setSizeGripEnabled(false);
  const struct {
    std::optional<Control> control;
    int width;
  } panels[] = {
      {Control::StatusBarPanel0, 100}, {Control::StatusBarClock, 130}, {{}, 190}, {{}, 160}};
  for (const auto& p : panels) {
    auto* label = new QLabel(bar);
    label->setTextFormat(Qt::PlainText);
    label->setFixedWidth(p.width);
    bar->addWidget(label);
    if (p.control) Bind(*p.control, label, kText);
  }
  bar->hide();
}

void TForm1::BuildTimers() {
  constexpr std::array<const char*, upgrade::kTimerCount> kNames = {"Timer1", "TimerUpgrade",
                                                                    "TimerConnection"};
  for (std::size_t i = 0; i < timers_.size(); ++i) {
    auto* timer = new QTimer(this);
    timer->setObjectName(kNames[i]);
    timer->setInterval(upgrade::TimerInterval(static_cast<upgrade::TimerId>(i)) /
                       setup_.timerSpeedUp);
    timers_[i] = timer;
  }
}

void TForm1::BuildActions() {
  logPanesAction_ = new QAction("Show log panes", this);
  logPanesAction_->setObjectName("ShowLogPanes");
  logPanesAction_->setCheckable(true);
  logPanesAction_->setShortcut(Qt::Key_F12);
  logPanesAction_->setShortcutContext(Qt::WindowShortcut);
  connect(logPanesAction_, &QAction::triggered, this, &TForm1::ShowLogPanes);
  addAction(logPanesAction_);

  saveLogAction_ = new QAction("Save log panes...", this);
  saveLogAction_->setObjectName("SaveLogPanes");
  connect(saveLogAction_, &QAction::triggered, this, &TForm1::SaveLogPanesAs);
  addAction(saveLogAction_);

  folderAction_ = new QAction("Firmware folder...", this);
  folderAction_->setObjectName("ChooseFirmwareFolder");
  connect(folderAction_, &QAction::triggered, this, &TForm1::ChooseFirmwareFolder);
  addAction(folderAction_);
}

}  // namespace app
