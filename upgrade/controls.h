#pragma once
// The window's controls as the wizard core addresses them. The core keeps
// the state of every control it changes (text, font colour, visibility,
// enabled state, ...); a front end mirrors that state in its widgets and
// reports what the user does through the core's handlers. Names are those
// of the window's layout, so the procedures can be read against it.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace upgrade {

// Colours as the window stores them: 0x00BBGGRR.
using Colour = std::uint32_t;
inline constexpr Colour kBlack = 0x000000;
inline constexpr Colour kRed = 0x0000FF;
inline constexpr Colour kBlue = 0xFF0000;
inline constexpr Colour kNavy = 0x800000;

enum class Control : std::uint8_t {
  // header panel
  StaticTextTitle,
  LabelVersion,
  LabelZELOWeb,
  // below the pages, on every page
  lblUpgradeStatus,
  lbl2ndAISUpgradeStatus,
  ProgressBar2,  // value: the position, 0..100
  LabelProgressPersent,
  LabelDebugFrmUpg,
  LabelDeviceQuiet,  // over the pages: the device has not answered for a while
  // hidden status bar
  StatusBarPanel0,
  StatusBarClock,  // panel 1
  // the page controls; value: the page shown
  PageControlFirmwareUpgradeStage,
  PageControlDetectComPortMode,
  // checklist page
  StaticTextStartTitle,
  StaticTextStartDescription1,
  StaticTextStartDescription2,
  StaticTextStartDescription3,
  SpeedButtonStart,
  SpeedButtonExit1,
  // serial-port page
  LabelConnectDeviceTitle,
  RadioButtonConnectionModeManual,  // checked: `down`
  RadioButtonConnectionModeAuto,
  LabelSerialPort,
  LabelBaudRate,
  cbxComPort,   // editable list: items, text
  cbxBaudRate,  // list: items, value = selected entry (-1 none), text
  EditAutoDetectComPort,
  EditAutoDetectBaudRate,
  StaticTextSerialPortNote1,
  StaticTextSerialPortNote2,
  ImageConnectToDevice,  // value: image of its list
  ImageConnectTwoWay,    // value: image of its list
  LabelConnectionStatus,
  OpenPort,  // toggle: `down`
  SpeedButtonCancel,
  // firmware-version page
  LabelFrmVerTitle,
  LabelFrmVerOriginal,
  LabelFrmVerNew,
  LabelFrmVerOriginal1,
  LabelFrmVerOriginal3,
  LabelFrmVerNew1,
  LabelFrmVerNew3,
  LabelFrmVerWantToContinue,
  SpeedButtonFrmVerWantToContinueYes,
  SpeedButtonFrmVerWantToContinueNo,
  // upgrade page
  LabelFrmUpgTitle,
  LabelFrmUpgSerialNumber,
  LabelFrmUpgSerialNumber1,
  StaticTextFrmUpgMessage1,
  StaticTextFrmUpgMessage2,
  SpeedButtonFrmUpgFinish,
  SpeedButtonExit,
  Count
};
inline constexpr std::size_t kControlCount = static_cast<std::size_t>(Control::Count);

// Pages of PageControlFirmwareUpgradeStage, in order.
enum class Page : std::uint8_t {
  TabSheetStart,
  TabSheetConnectDevice,
  TabSheetFirmwareVersion,
  TabSheetFirmwareUpgrade
};
// Pages of PageControlDetectComPortMode.
enum class ModePage : std::uint8_t { TabSheetManualDetectComPort, TabSheetAutoConnectComPort };

struct ControlState {
  std::string text;
  Colour colour = kBlack;
  bool visible = true;
  bool enabled = true;
  bool down = false;  // checked radio button, pressed toggle
  int value = 0;      // progress position, image index, page, selected entry
  std::vector<std::string> items;
};

// How the window is stored: each control's name and its state before the
// program changes anything.
struct ControlRow {
  Control control;
  std::string_view name;
  std::string_view caption;
  bool visible = true;
  bool enabled = true;
  bool down = false;
  int value = 0;
};

inline constexpr std::string_view kApplicationTitle = "ZELO AIS Class A Firmware Update";
inline constexpr std::string_view kWindowCaption = "ZELO AIS Class A Firmware Upgrade";
inline constexpr std::string_view kMakerWebAddress = "https://www.zelo.example";

// The notes of the two connection modes.
inline constexpr std::string_view kManualNote1 = "Select appropriate serial port and baud rate!";
inline constexpr std::string_view kManualNote2 =
    "Notice: When the desired serial port is not listed in the drop down menu, input the port "
    "number "
    "directly in the blank field to establish connnection.";
// The version page's question.
inline constexpr std::string_view kContinueQuestion = "Do you want to continue?";
inline constexpr std::string_view kAutoNote1 = "Auto detect serial port and baud rate!";
inline constexpr std::string_view kAutoNote2 =
    "Notice: It can happen that certain virtual com ports are not detected in the auto mode. When "
    "it were "
    "the case, switch to manual mode and select the serial port number in the drop down menu "
    "manually.";

inline constexpr std::array<ControlRow, kControlCount> kControlRows = {{
    {Control::StaticTextTitle, "StaticTextTitle", "Welcome to ZELO AIS Firmware Upgrade"},
    {Control::LabelVersion, "LabelVersion", "Ver 2.2 Build 2015.03.20"},
    {Control::LabelZELOWeb, "LabelZELOWeb", kMakerWebAddress},
    {Control::lblUpgradeStatus, "lblUpgradeStatus", "Upgrading ..."},
    {Control::lbl2ndAISUpgradeStatus, "lbl2ndAISUpgradeStatus", "2nd AIS", false},
    {Control::ProgressBar2, "ProgressBar2", ""},
    {Control::LabelProgressPersent, "LabelProgressPersent", "0%"},
    {Control::LabelDebugFrmUpg, "LabelDebugFrmUpg", "BlockCount"},
    {Control::LabelDeviceQuiet, "LabelDeviceQuiet", "", false},
    {Control::StatusBarPanel0, "StatusBarPanel0", "Disconnect"},
    {Control::StatusBarClock, "StatusBarClock", ""},
    {Control::PageControlFirmwareUpgradeStage, "PageControlFirmwareUpgradeStage", ""},
    {Control::PageControlDetectComPortMode, "PageControlDetectComPortMode", ""},
    {Control::StaticTextStartTitle, "StaticTextStartTitle",
     "Please check below items before starting ZELO AIS Firmware Upgrade:"},
    {Control::StaticTextStartDescription1, "StaticTextStartDescription1",
     "Please connect AIS device to PC by USB port."},
    {Control::StaticTextStartDescription2, "StaticTextStartDescription2",
     "Please power on the AIS device."},
    {Control::StaticTextStartDescription3, "StaticTextStartDescription3",
     "Check the AIS has booted successfully when the power indicator lights."},
    {Control::SpeedButtonStart, "SpeedButtonStart", "Start"},
    {Control::SpeedButtonExit1, "SpeedButtonExit1", "Exit"},
    {Control::LabelConnectDeviceTitle, "LabelConnectDeviceTitle",
     "Serial Port and Baud Rate Setting"},
    {Control::RadioButtonConnectionModeManual, "RadioButtonConnectionModeManual", "Manual", true,
     true, true},
    {Control::RadioButtonConnectionModeAuto, "RadioButtonConnectionModeAuto", "Auto"},
    {Control::LabelSerialPort, "LabelSerialPort", "Serial Port"},
    {Control::LabelBaudRate, "LabelBaudRate", "Baud Rate"},
    {Control::cbxComPort, "cbxComPort", ""},
    {Control::cbxBaudRate, "cbxBaudRate", "115200", true, true, false, -1},
    {Control::EditAutoDetectComPort, "EditAutoDetectComPort", ""},
    {Control::EditAutoDetectBaudRate, "EditAutoDetectBaudRate", ""},
    {Control::StaticTextSerialPortNote1, "StaticTextSerialPortNote1", kManualNote1},
    {Control::StaticTextSerialPortNote2, "StaticTextSerialPortNote2", kManualNote2},
    {Control::ImageConnectToDevice, "ImageConnectToDevice", "", true, true, false, 4},
    {Control::ImageConnectTwoWay, "ImageConnectTwoWay", "", true, true, false, 0},
    {Control::LabelConnectionStatus, "LabelConnectionStatus", "Disconnect", true, false},
    {Control::OpenPort, "OpenPort", "Continue"},
    {Control::SpeedButtonCancel, "SpeedButtonCancel", "Cancel"},
    {Control::LabelFrmVerTitle, "LabelFrmVerTitle", "Firmware Version Check"},
    {Control::LabelFrmVerOriginal, "LabelFrmVerOriginal", "Original Firmware Version"},
    {Control::LabelFrmVerNew, "LabelFrmVerNew", "New Firmware Version"},
    {Control::LabelFrmVerOriginal1, "LabelFrmVerOriginal1", ""},
    {Control::LabelFrmVerOriginal3, "LabelFrmVerOriginal3", ""},
    {Control::LabelFrmVerNew1, "LabelFrmVerNew1", ""},
    {Control::LabelFrmVerNew3, "LabelFrmVerNew3", ""},
    {Control::LabelFrmVerWantToContinue, "LabelFrmVerWantToContinue", kContinueQuestion},
    {Control::SpeedButtonFrmVerWantToContinueYes, "SpeedButtonFrmVerWantToContinueYes", "Yes"},
    {Control::SpeedButtonFrmVerWantToContinueNo, "SpeedButtonFrmVerWantToContinueNo", "No"},
    {Control::LabelFrmUpgTitle, "LabelFrmUpgTitle", "Firmware Upgrade"},
    {Control::LabelFrmUpgSerialNumber, "LabelFrmUpgSerialNumber", "Serial Number"},
    {Control::LabelFrmUpgSerialNumber1, "LabelFrmUpgSerialNumber1", ""},
    {Control::StaticTextFrmUpgMessage1, "StaticTextFrmUpgMessage1",
     "Do not turn off or disconnect the device !"},
    {Control::StaticTextFrmUpgMessage2, "StaticTextFrmUpgMessage2",
     "Please restart your AIS device."},
    {Control::SpeedButtonFrmUpgFinish, "SpeedButtonFrmUpgFinish", "Finish", true, false},
    {Control::SpeedButtonExit, "SpeedButtonExit", "Exit"},
}};

constexpr bool RowsFollowTheEnumeration() {
  for (std::size_t i = 0; i < kControlRows.size(); ++i) {
    if (static_cast<std::size_t>(kControlRows[i].control) != i || kControlRows[i].name.empty())
      return false;
  }
  return true;
}
static_assert(RowsFollowTheEnumeration(), "one row per control, in the order of the enumeration");

inline std::string_view ControlName(Control control) {
  return kControlRows[static_cast<std::size_t>(control)].name;
}

}  // namespace upgrade
