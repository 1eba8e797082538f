#pragma once
// What the wizard fuzzer feeds the wizard: the far end's output as timed
// pieces, and the user who answers each page. Shared with the program that
// records seeds from a well-behaved virtual transponder.
//
// Input format, repeated to the end of the input:
//   1 byte   delay before the piece, in units of 10 ms (the rig's step)
//   1 byte   length n of the piece
//   n bytes  the piece, sent to the host as it is
// The clock of the script starts with the wizard (the user opens the port at
// once); a piece that falls due while the port is closed waits for it.

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "firmware/image_writer.h"
#include "harness/virtual_rig.h"

namespace wizard_fuzz {

inline constexpr std::int64_t kDelayUnitMs = 10;
inline constexpr const char* kPort = "ttyV0";

struct Piece {
  std::int64_t delayMs;
  std::string bytes;
};

inline std::vector<Piece> ParseScript(const std::uint8_t* data, std::size_t size) {
  std::vector<Piece> pieces;
  std::size_t at = 0;
  while (at + 2 <= size) {
    const std::int64_t delay = data[at] * kDelayUnitMs;
    const std::size_t length = std::min<std::size_t>(data[at + 1], size - at - 2);
    pieces.push_back({delay, std::string(reinterpret_cast<const char*>(data + at + 2), length)});
    at += 2 + length;
  }
  return pieces;
}

inline std::string WriteScript(const std::vector<Piece>& pieces) {
  std::string out;
  for (const Piece& piece : pieces) {
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

// A firmware folder with tiny images (3 blocks each), made once per process.
inline const std::filesystem::path& FirmwareFolder() {
  static const std::filesystem::path folder = [] {
    char pattern[] = "/tmp/aisfw-wizard-fuzz-XXXXXX";
    const std::filesystem::path made = mkdtemp(pattern);
    std::filesystem::create_directories(made / "Bin");
    std::ofstream catalogue(made / "Bin/Firmware.csv");
    for (int number = firmware::kKernelImage; number <= firmware::kLastApplicationImage; ++number) {
      std::vector<std::uint8_t> code(2 * 256);
      for (std::size_t i = 0; i < code.size(); ++i)
        code[i] = static_cast<std::uint8_t>(i * 7 + number);
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

// The user: Start, manual mode on the port at 115200, Continue, and Yes once
// the version page asks. Runs until `limitMs` of virtual time have passed.
inline void PlayUser(harness::VirtualRig& rig, std::int64_t limitMs) {
  rig.PressStart();
  rig.ChooseManual(kPort);
  rig.PressContinue();
  bool answered = false;
  rig.RunUntil(
      [&] {
        if (!answered &&
            rig.View().State(upgrade::Control::SpeedButtonFrmVerWantToContinueYes).visible) {
          answered = true;
          rig.PressYes();
        }
        return false;
      },
      limitMs);
}

}  // namespace wizard_fuzz
