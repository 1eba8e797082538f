#pragma once
// What the wizard fuzzer feeds the wizard: the user's plan, the far end's
// output as timed pieces, and the user who follows the plan. Shared with the
// program that records seeds from a well-behaved virtual transponder and
// with the tests that replay what the fuzzer found.
//
// Input format:
//   3 bytes  the user's plan (UserPlan below)
// then, repeated to the end of the input:
//   1 byte   delay before the piece, in units of 10 ms (the rig's step)
//   1 byte   length n of the piece
//   n bytes  the piece, sent to the host as it is
// The clock of the script starts with the wizard (the user opens the port at
// once); a piece that falls due while the port is closed waits for it.

#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "firmware/image_writer.h"
#include "fuzz/conversation_check.h"
#include "harness/virtual_rig.h"

namespace wizard_fuzz {

inline constexpr std::int64_t kDelayUnitMs = 10;
inline constexpr const char* kPort = "ttyV0";

struct Piece {
  std::int64_t delayMs;
  std::string bytes;
};

// What the user does: how the port is chosen, the answer on the version
// page and to every message box, and one more step at a set time.
struct UserPlan {
  enum class Answer : std::uint8_t { Yes, No, None };
  enum class Step : std::uint8_t { None, Cancel, Exit, Finish };
  static constexpr std::int64_t kAnswerUnitMs = 100;
  static constexpr std::int64_t kStepUnitMs = 250;

  bool automatic = false;          // byte 0, bit 0: the automatic mode, else manual at 115200
  Answer answer = Answer::Yes;     // bits 1-2: 0 and 3 Yes, 1 No, 2 none
  bool cancelBoxes = false;        // bit 3: every message box answered Cancel, else OK
  Step step = Step::None;          // bits 4-5: the step below
  std::int64_t answerDelayMs = 0;  // byte 1: how long the user reads the version page
  std::int64_t stepAtMs = 0;       // byte 2: when the step is taken (once its button can be)

  static UserPlan Read(const std::uint8_t* bytes) {
    UserPlan plan;
    plan.automatic = (bytes[0] & 1) != 0;
    const int answer = bytes[0] >> 1 & 3;
    plan.answer = answer == 1 ? Answer::No : answer == 2 ? Answer::None : Answer::Yes;
    plan.cancelBoxes = (bytes[0] & 8) != 0;
    plan.step = static_cast<Step>(bytes[0] >> 4 & 3);
    plan.answerDelayMs = bytes[1] * kAnswerUnitMs;
    plan.stepAtMs = bytes[2] * kStepUnitMs;
    return plan;
  }
  std::string Write() const {
    const int answerBits = answer == Answer::No ? 1 : answer == Answer::None ? 2 : 0;
    std::string out;
    out += static_cast<char>((automatic ? 1 : 0) | answerBits << 1 | (cancelBoxes ? 8 : 0) |
                             static_cast<int>(step) << 4);
    out += static_cast<char>(std::min<std::int64_t>(answerDelayMs / kAnswerUnitMs, 255));
    out += static_cast<char>(std::min<std::int64_t>(stepAtMs / kStepUnitMs, 255));
    return out;
  }
};

struct Script {
  UserPlan user;
  std::vector<Piece> pieces;

  std::int64_t Length() const {
    std::int64_t total = 0;
    for (const Piece& piece : pieces) total += piece.delayMs;
    return total;
  }
};

inline Script ParseScript(const std::uint8_t* data, std::size_t size) {
  Script script;
  if (size < 3) return script;
  script.user = UserPlan::Read(data);
  std::size_t at = 3;
  while (at + 2 <= size) {
    const std::int64_t delay = data[at] * kDelayUnitMs;
    const std::size_t length = std::min<std::size_t>(data[at + 1], size - at - 2);
    script.pieces.push_back(
        {delay, std::string(reinterpret_cast<const char*>(data + at + 2), length)});
    at += 2 + length;
  }
  return script;
}

inline std::string WriteScript(const Script& script) {
  std::string out = script.user.Write();
  for (const Piece& piece : script.pieces) {
    std::int64_t delay = piece.delayMs / kDelayUnitMs * kDelayUnitMs;  // whole units
    std::size_t at = 0;
    do {  // long waits and long pieces take several records
      const auto units =
          static_cast<std::uint8_t>(std::min<std::int64_t>(delay / kDelayUnitMs, 255));
      delay -= units * kDelayUnitMs;
      const std::size_t length =
          delay > 0 ? 0 : std::min<std::size_t>(piece.bytes.size() - at, 255);
      out += static_cast<char>(units);
      out += static_cast<char>(length);
      out += piece.bytes.substr(at, length);
      at += length;
    } while (delay > 0 || at < piece.bytes.size());
  }
  return out;
}

// A firmware folder with tiny images (3 blocks each, no two code blocks
// alike), made once per process.
inline const std::filesystem::path& FirmwareFolder() {
  static const std::filesystem::path folder = [] {
    char pattern[] = "/tmp/aisfw-wizard-fuzz-XXXXXX";
    const std::filesystem::path made = mkdtemp(pattern);
    std::filesystem::create_directories(made / "Bin");
    std::ofstream catalogue(made / "Bin/Firmware.csv");
    for (int number = firmware::kKernelImage; number <= firmware::kLastApplicationImage; ++number) {
      std::vector<std::uint8_t> code(2 * 256);
      for (std::size_t i = 0; i < code.size(); ++i)
        code[i] = static_cast<std::uint8_t>(i * 7 + i / 256 * 101 + number);  // no two blocks alike
      const std::vector<std::uint8_t> image = firmware::PackImage(code);
      std::ofstream(made / firmware::ImagePath(number), std::ios::binary)
          .write(reinterpret_cast<const char*>(image.data()),
                 static_cast<std::streamsize>(image.size()));
      catalogue << firmware::ImagePath(number) << ",V" << number << "\n";
    }
    return made;
  }();
  return folder;
}

// The images of that folder, as the device receives them.
inline std::vector<ImageFacts> FirmwareImages() {
  std::vector<ImageFacts> images;
  for (int number = firmware::kKernelImage; number <= firmware::kLastApplicationImage; ++number)
    images.push_back(ImageFacts::Read(number, FirmwareFolder() / firmware::ImagePath(number)));
  return images;
}

// What the user's steps tell whoever watches the run.
struct UserWatch {
  std::function<void()> saidYes;    // just before Yes is pressed
  std::function<void()> afterStep;  // after every step of the rig
};

// The user: Start, the port chosen as planned, Continue; on the version page
// the planned answer once Yes and No can be pressed and the page has been
// read; the planned step once its button can be pressed (Exit at any time).
// Runs until `limitMs` of virtual time have passed or the user has left
// (true: the window is gone).
inline bool PlayUser(harness::VirtualRig& rig, const UserPlan& plan, std::int64_t limitMs,
                     const UserWatch& watch = {}) {
  using upgrade::Control;
  rig.PressStart();
  if (plan.automatic) {
    rig.ChooseAuto();
  } else {
    rig.ChooseManual(kPort);
  }
  rig.PressContinue();
  const auto pressable = [&rig](Control control) {
    const upgrade::ControlState& state = rig.View().State(control);
    return state.visible && state.enabled;
  };
  std::optional<std::int64_t> asked;
  bool answered = plan.answer == UserPlan::Answer::None;
  bool stepped = plan.step == UserPlan::Step::None;
  bool left = false;
  rig.RunUntil(
      [&] {
        if (watch.afterStep) watch.afterStep();
        if (!answered && pressable(Control::SpeedButtonFrmVerWantToContinueNo)) {
          if (!asked) asked = rig.Now();
          if (rig.Now() - *asked >= plan.answerDelayMs) {
            if (plan.answer == UserPlan::Answer::No) {
              answered = true;
              rig.PressNo();
            } else if (pressable(Control::SpeedButtonFrmVerWantToContinueYes)) {
              answered = true;
              if (watch.saidYes) watch.saidYes();
              rig.PressYes();
            }
          }
        }
        if (!stepped && rig.Now() >= plan.stepAtMs) {
          switch (plan.step) {
            case UserPlan::Step::Cancel:
              if (pressable(Control::SpeedButtonCancel)) {
                stepped = true;
                rig.Wizard().SpeedButtonCancelClick();
              }
              break;
            case UserPlan::Step::Finish:
              if (pressable(Control::SpeedButtonFrmUpgFinish)) {
                stepped = true;
                rig.Wizard().SpeedButtonFrmUpgFinishClick();
              }
              break;
            default:
              stepped = true;
              left = rig.ExitProgram();
              break;
          }
        }
        return left;
      },
      limitMs);
  return left;
}

}  // namespace wizard_fuzz
