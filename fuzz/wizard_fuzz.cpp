// libFuzzer entry: the whole wizard in virtual time, with arbitrary bytes
// from the far end of the line while it connects, identifies and transfers.
// Whatever the device says, the wizard must not crash or hang, must send no
// block that is not a block of a validated image, and must not report a
// finished upgrade unless the device answered -8888 for every part it was
// sent (both, or only the application when the device answered the kernel
// request with "ready for the application").

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <set>

#include "fuzz/wizard_script.h"
#include "nmea/framing.h"

namespace {

// Every block of every image, as stored (the check byte aside), with the
// images that hold it.
const std::map<std::string, std::set<int>>& ImageBlocks() {
  static const std::map<std::string, std::set<int>> blocks = [] {
    std::map<std::string, std::set<int>> all;
    for (int number = firmware::kKernelImage; number <= firmware::kLastApplicationImage; ++number) {
      std::ifstream in(wizard_fuzz::FirmwareFolder() / firmware::ImagePath(number),
                       std::ios::binary);
      const std::string image((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
      for (std::size_t at = 0; at + 263 <= image.size(); at += 263)
        all[image.substr(at, 262)].insert(number);
    }
    return all;
  }();
  return blocks;
}

// How many checksummed "DBG 104 -8888" replies the bytes carry.
int ProgrammedReplies(const std::string& bytes) {
  int count = 0;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find('\n', start);
    std::string line =
        bytes.substr(start, end == std::string::npos ? std::string::npos : end - start);
    start = end == std::string::npos ? bytes.size() : end + 1;
    line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
    line.erase(std::remove(line.begin(), line.end(), '\0'), line.end());
    const std::size_t dollar = line.find('$');
    if (dollar == std::string::npos || line.find("DBG,104,-8888,") == std::string::npos) continue;
    const std::string sentence = line.substr(dollar) + "\r\n";
    if (nmea::VerifyChecksum(sentence.c_str())) ++count;
  }
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<wizard_fuzz::Piece> script = wizard_fuzz::ParseScript(data, size);
  harness::VirtualRig rig({wizard_fuzz::FirmwareFolder(), {}});
  std::string delivered;
  std::size_t next = 0;
  std::int64_t due = 0;
  rig.AddFarEnd(wizard_fuzz::kPort, [&](std::int64_t now, comm::MemoryLine& line) {
    if (!line.IsOpen()) return;
    while (next < script.size() && now >= due + script[next].delayMs) {
      due += script[next].delayMs;
      line.SendToHost(script[next].bytes);
      delivered += script[next].bytes;
      ++next;
    }
  });
  // The images whose blocks went out (a block that several hold names none).
  std::set<int> imagesSent;
  rig.Ports().Line(wizard_fuzz::kPort)->SetHostWriteHook([&](std::string_view bytes) {
    if (bytes.size() < 263 || bytes.substr(0, 4) != "C0DE") return;
    const auto block = ImageBlocks().find(std::string(bytes.substr(0, 262)));
    if (block == ImageBlocks().end()) {
      std::fprintf(stderr, "a block that no image holds was sent\n");
      std::abort();
    }
    if (block->second.size() == 1) imagesSent.insert(*block->second.begin());
  });

  std::int64_t total = 0;
  for (const auto& piece : script) total += piece.delayMs;
  wizard_fuzz::PlayUser(rig, total + 60'000);

  const upgrade::WizardState& state = rig.Wizard().State();
  if (std::getenv("WIZARD_FUZZ_TRACE") != nullptr) {
    std::fprintf(stderr, "outcome %s, stage %d, %zu of %zu pieces sent\n",
                 upgrade::OutcomeName(state.Outcome), upgrade::StageNumber(state.WizardStage), next,
                 script.size());
    // The log panes, as a bug report would carry them.
    for (const upgrade::LogPane pane : {upgrade::LogPane::MemoTX, upgrade::LogPane::MemoRX}) {
      std::fprintf(stderr, "-- %s\n", pane == upgrade::LogPane::MemoTX ? "sent" : "received");
      for (const std::string& line : rig.View().Log(pane)) {
        std::fprintf(stderr, "%s\n", line.c_str());
      }
    }
  }
  if ((state.UpgradeFinished || state.Outcome == upgrade::WizardOutcome::Finished) &&
      (imagesSent.empty() || ProgrammedReplies(delivered) < static_cast<int>(imagesSent.size()))) {
    std::fprintf(stderr, "a finished upgrade without the device's -8888 for each part sent\n");
    std::abort();
  }
  if (rig.Wizard().Transfer().ImageFile.IsOpen() && !state.UpgradeRunning &&
      !state.PartRequestPending && state.FileCheckState != upgrade::kFileCheckPrepared) {
    std::fprintf(stderr, "an image left open outside a transfer\n");
    std::abort();
  }
  return 0;
}
