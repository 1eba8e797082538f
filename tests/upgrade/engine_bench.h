#pragma once
// The engine's pieces on a real port component over an in-memory line: what
// the engine writes is read back from the line, and what the device says is
// handed to the engine as received lines.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "comm/comm.h"
#include "comm/main_thread.h"
#include "comm/memory_serial.h"
#include "harness/virtual_rig.h"
#include "store/nmea_stack.h"
#include "upgrade/command_channel.h"
#include "upgrade/wizard_screen.h"

namespace upgrade_test {

// "$" + body + "*hh\r\n" with the checksum worked out here.
inline std::string Sentence(const std::string& body) {
  unsigned sum = 0;
  for (char c : body) sum ^= static_cast<unsigned char>(c);
  char tail[8];
  std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
  return "$" + body + tail;
}

class EngineBench : public ::testing::Test {
 public:
  EngineBench() { line_ = ports_.Add("ttyV0"); }
  ~EngineBench() override { port_.Close(); }

  void OpenPort() {
    port_.SetDeviceName("ttyV0");
    port_.Open();
    ASSERT_TRUE(port_.Connected());
  }
  // Everything written to the line since the last call.
  std::string Sent() { return line_->TakeFromHost(); }
  // A line from the device, as the line assembly hands it over.
  void Receive(const std::string& line) { channel_.ParseDeviceLine(line.c_str()); }
  void SetAutoMode(bool automatic) { wizardState_.AutomaticMode = automatic; }
  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const auto& m : view_.Messages()) texts.push_back(m.box.text);
    return texts;
  }

  harness::RecordingView view_;
  upgrade::WizardScreen screen_{view_};
  comm::MemoryPorts ports_;
  std::shared_ptr<comm::MemoryLine> line_;
  comm::LoopDispatcher dispatcher_;
  comm::TComm port_{dispatcher_, ports_.MakePlatform()};
  store::NmeaStack nmea_;
  upgrade::ThreadCommWriter writer_{port_};
  upgrade::WizardState wizardState_;
  upgrade::CommandChannel channel_{writer_, nmea_, screen_, wizardState_};
};

}  // namespace upgrade_test
