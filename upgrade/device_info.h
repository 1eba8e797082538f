#pragma once
// The device's information block and what the engine learns from it.
//
// After the information request the device prints, between its sentences:
//   [STATIC DATA]            starts a block
//   Firmware=V1.2.3          firmware text: from 9 characters after "Firmware"
//   S/N:(1234567)            serial number: up to the next ')'
//   [ClassA]=1               class digit (1: blocks go with a 16-bit sum)
//   [END OF STATIC DATA]
//   [MKD]Language=1,2,3,5    language digits: which application image
//   [DEVICE DATA END]        ends the block; so does any line with '$' or '!'
// The block is read twice (stages 3 and 4); the device is identified when
// both readings agree in firmware text and serial number and the images can
// be chosen.

#include <array>
#include <cstdint>
#include <memory>

#include "upgrade/wizard_state.h"

namespace upgrade {

class CommandChannel;
class WizardScreen;

// The message when the two readings differ or the images cannot be chosen.
inline constexpr const char* kInvalidIdentification = "Invalid hardware identification!";

struct DeviceInfoRecord {
  char firmware[80] = {};  // the rest of the Firmware line, line end included
  char serialNumber[80] = {};
  std::int32_t classDigit = -1;  // -1: no "[ClassA]=" line
  char kernelPath[80] = {};
  char applicationPath[80] = {};
  std::uint8_t pathsChosen = 0;
  std::array<std::uint8_t, 4> language{};
};

void ClearDeviceInfo(DeviceInfoRecord& record);
// Takes every key the line carries into the record.
void ParseInfoLine(const char* line, DeviceInfoRecord& record);
// Chooses the kernel and application images: 700 on success, -1 (kernel path
// emptied) without a class digit.
int SelectImageFiles(DeviceInfoRecord& record);

// Collects one information block, line by line.
class InfoCollector {
 public:
  static constexpr std::size_t kSlots = 300;
  static constexpr std::size_t kSlotSize = 200;

  enum Result : int { Overflow = -1, Ignored = 0, Started = 1, Stored = 2, Complete = 3 };

  InfoCollector();
  // A line with its CR LF (NUL-terminated) or none; `reset` drops a block
  // begun before and empties the slots (a new connection).
  int CollectInfoLine(const char* line, bool reset);
  // The slots in order; slots keep their text between blocks until a reset.
  const char* Slot(std::size_t index) const { return slots_[index].data(); }

 private:
  bool collecting_ = false;
  std::size_t count_ = 0;
  std::unique_ptr<std::array<std::array<char, kSlotSize>, kSlots>> storage_;
  std::array<std::array<char, kSlotSize>, kSlots>& slots_;
};

// The two readings and their evaluation.
class DeviceInformation {
 public:
  enum Result : int { Failed = -1, Ignored = 0, FirstRead = 1, Identified = 5 };

  // Called with a complete block in stage 3 (first reading: probes again) or
  // stage 4 (second reading: compares, chooses the images, ends the probing).
  // A block in any other stage has no record and is ignored.
  int EvaluateDeviceInfo(Stage stage, CommandChannel& channel, WizardScreen& screen);
  bool SameDevice() const;

  InfoCollector Collector;
  std::array<DeviceInfoRecord, 2> Records;
};

}  // namespace upgrade
