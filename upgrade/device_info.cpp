#include "upgrade/device_info.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "firmware/catalogue.h"
#include "firmware/image_writer.h"
#include "upgrade/command_channel.h"
#include "upgrade/wizard_screen.h"

namespace upgrade {
namespace {

// Copies [from, from + length) into a text field, cut to fit.
template <std::size_t N>
void CopyText(char (&field)[N], const char* from, std::size_t length) {
  length = std::min(length, N - 1);
  std::memcpy(field, from, length);
  field[length] = '\0';
}

// The character at `offset` from `key` within the line, or NUL past its end.
char CharAt(const char* key, std::size_t offset) {
  const std::size_t length = std::strlen(key);
  return offset < length ? key[offset] : '\0';
}

}  // namespace

void ClearDeviceInfo(DeviceInfoRecord& record) {
  record.firmware[0] = '\0';
  record.serialNumber[0] = '\0';
  record.language = {};
  record.classDigit = -1;
  record.pathsChosen = 0;
}

void ParseInfoLine(const char* line, DeviceInfoRecord& record) {
  if (const char* key = std::strstr(line, "Firmware")) {
    // The key's 8 characters and one separator are skipped.
    const std::size_t rest = std::strlen(key);
    if (rest >= 9)
      CopyText(record.firmware, key + 9, rest - 9);
    else
      record.firmware[0] = '\0';
  }
  if (const char* key = std::strstr(line, "S/N:(")) {
    const char* from = key + 5;
    const char* close = std::strchr(from, ')');
    // Without its ')', the number runs to the end of the line.
    const std::size_t length =
        close != nullptr ? static_cast<std::size_t>(close - from) : std::strcspn(from, "\r\n");
    CopyText(record.serialNumber, from, length);
  }
  if (const char* key = std::strstr(line, "[ClassA]=")) {
    record.classDigit = CharAt(key, 9) - '0';
  }
  if (const char* key = std::strstr(line, "[MKD]Language=")) {
    for (std::size_t i = 0; i < 4; ++i) {
      record.language[i] = static_cast<std::uint8_t>(CharAt(key, 14 + 2 * i) - '0');
    }
  }
}

int SelectImageFiles(DeviceInfoRecord& record) {
  if (record.classDigit == -1) {
    record.kernelPath[0] = '\0';
    return -1;
  }
  const std::string application =
      firmware::ImagePath(firmware::ApplicationImageNumber(record.language));
  CopyText(record.applicationPath, application.data(), application.size());
  record.pathsChosen = 1;
  const std::string kernel = firmware::ImagePath(firmware::kKernelImage);
  CopyText(record.kernelPath, kernel.data(), kernel.size());
  return firmware::kKernelImage;
}

InfoCollector::InfoCollector()
    : storage_(std::make_unique<std::array<std::array<char, kSlotSize>, kSlots>>()),
      slots_(*storage_) {
  for (auto& slot : slots_) slot.fill('\0');
}

int InfoCollector::CollectInfoLine(const char* line, bool reset) {
  if (reset) {
    collecting_ = false;
    count_ = 0;
    // A new connection reads a device afresh: the slots keep their text from
    // one block to the next, but not from an earlier run, or the lines of a
    // device connected before would stand in for lines this one left out.
    for (auto& slot : slots_) slot[0] = '\0';
    return Ignored;
  }
  if (line == nullptr) return Ignored;
  const auto store = [&](std::size_t slot) {
    std::array<char, kSlotSize>& s = slots_[slot];
    const std::size_t length = std::min(std::strlen(line), kSlotSize - 1);
    std::memcpy(s.data(), line, length);
    s[length] = '\0';
  };
  if (!collecting_) {
    if (std::strstr(line, "[STATIC DATA]") == nullptr) return Ignored;
    store(0);
    count_ = 1;
    collecting_ = true;
    return Started;
  }
  if (std::strchr(line, '!') != nullptr || std::strchr(line, '$') != nullptr ||
      std::strstr(line, "[DEVICE DATA END]") != nullptr) {
    collecting_ = false;
    count_ = 0;
    return Complete;
  }
  store(count_);
  ++count_;
  if (count_ >= kSlots) {
    collecting_ = false;
    count_ = 0;
    return Overflow;
  }
  return Stored;
}

bool DeviceInformation::SameDevice() const {
  return std::strcmp(Records[0].firmware, Records[1].firmware) == 0 &&
         std::strcmp(Records[0].serialNumber, Records[1].serialNumber) == 0;
}

int DeviceInformation::EvaluateDeviceInfo(Stage stage, CommandChannel& channel,
                                          WizardScreen& screen) {
  if (stage != Stage::FirstReading && stage != Stage::SecondReading) return Ignored;
  DeviceInfoRecord& record = Records[stage == Stage::FirstReading ? 0 : 1];
  ClearDeviceInfo(record);
  for (std::size_t i = 0; i < InfoCollector::kSlots; ++i) ParseInfoLine(Collector.Slot(i), record);

  if (stage == Stage::FirstReading) {
    channel.SendProbe(kProbeSearch);
    return FirstRead;
  }
  if (!SameDevice() || SelectImageFiles(Records[0]) < 0) {
    screen.Error(kInvalidIdentification);
    return Failed;
  }
  channel.SendProbe(kProbeDone);
  return Identified;
}

}  // namespace upgrade
