// The serial component over an in-memory line: what only a real UART showed
// so far (the line settings handed to the platform, a refused setting), and
// the memory line itself, on which the virtual-time tests rest.

#include <gtest/gtest.h>

#include "comm/comm.h"
#include "comm/main_thread.h"
#include "comm/memory_serial.h"

namespace comm {
namespace {

class MemoryLineTest : public ::testing::Test {
 protected:
  MemoryLineTest() { line_ = ports_.Add("ttyV0"); }
  ~MemoryLineTest() override { port_.Close(); }
  void Open() {
    port_.SetDeviceName("ttyV0");
    port_.Open();
    ASSERT_TRUE(port_.Connected());
  }

  MemoryPorts ports_;
  std::shared_ptr<MemoryLine> line_;
  LoopDispatcher loop_;
  TComm port_{loop_, ports_.MakePlatform()};
};

// Each property reaches the platform as the line setting it stands for.
TEST_F(MemoryLineTest, PropertiesBecomeLineSettings) {
  Open();
  struct Row {
    std::function<void()> set;
    std::function<bool(const LineSettings&)> holds;
    const char* what;
  };
  const Row rows[] = {
      {[&] { port_.SetBaudRate(br57600); },
       [](const LineSettings& s) { return s.BaudRate == 57600; }, "57600"},
      {[&] { port_.SetBaudRate(br14400); },
       [](const LineSettings& s) { return s.BaudRate == 14400; }, "14400"},
      {[&] { port_.SetBaudRate(br256000); },
       [](const LineSettings& s) { return s.BaudRate == 256000; }, "256000"},
      {[&] { port_.SetDataBits(da7); }, [](const LineSettings& s) { return s.ByteSize == 7; },
       "7 bits"},
      {[&] { port_.SetDataBits(da5); }, [](const LineSettings& s) { return s.ByteSize == 5; },
       "5 bits"},
      {[&] { port_.SetParity(paMark); }, [](const LineSettings& s) { return s.Parity == paMark; },
       "mark"},
      {[&] { port_.SetStopBits(sb15); }, [](const LineSettings& s) { return s.StopBits == sb15; },
       "1.5"},
      {[&] { port_.SetFlowControl(fcCTS); },
       [](const LineSettings& s) { return s.FlowControl == fcCTS; }, "cts"},
      {[&] { port_.SetOptions(OptionBit(coParityCheck)); },
       [](const LineSettings& s) { return s.Options == OptionBit(coParityCheck); }, "parity check"},
      {[&] { port_.EventChars().SetXOnChar('Q'); },
       [](const LineSettings& s) { return s.XonChar == 'Q'; }, "xon"},
  };
  for (const Row& row : rows) {
    const int before = line_->SettingsApplied();
    row.set();
    EXPECT_GT(line_->SettingsApplied(), before) << row.what;
    EXPECT_TRUE(row.holds(line_->Settings())) << row.what;
  }
}

// A port whose line cannot be set is closed before the error is raised.
TEST_F(MemoryLineTest, ARefusedSettingClosesThePortBeforeRaising) {
  line_->FailSettings(22);
  port_.SetDeviceName("ttyV0");
  try {
    port_.Open();
    FAIL() << "no error raised";
  } catch (const CommError& e) {
    EXPECT_STREQ(e.what(), "Error updating DataControlBlock (Error: 22)");
    EXPECT_EQ(e.Code(), 22);
  }
  EXPECT_FALSE(port_.Connected());
  EXPECT_FALSE(line_->IsOpen());
  line_->FailSettings(0);
  port_.Open();
  EXPECT_TRUE(port_.Connected());

  // While open, a refused change raises and leaves the port open.
  line_->FailSettings(5);
  EXPECT_THROW(port_.SetBaudRate(br4800), CommError);
  EXPECT_TRUE(port_.Connected());
}

TEST_F(MemoryLineTest, OnlyOneHostAtATimeAndMissingPortsSaySo) {
  Open();
  TComm second(loop_, ports_.MakePlatform());
  second.SetDeviceName("ttyV0");
  second.Open();
  EXPECT_FALSE(second.Connected());
  EXPECT_EQ(second.LastOpenError().Kind, PortErrorKind::Busy);
  EXPECT_FALSE(ports_.OpensExclusively("ttyV0"));

  second.SetDeviceName("ttyV7");
  second.Open();
  EXPECT_EQ(second.LastOpenError().Kind, PortErrorKind::NoSuchDevice);
  std::vector<std::string> names;
  ports_.PresentPortNames(names);
  EXPECT_EQ(names, std::vector<std::string>{"ttyV0"});
}

// Bytes arrive through the event thread; what arrived before a hang-up is
// read before the hang-up is reported, and writes then fail.
TEST_F(MemoryLineTest, DataThenHangUpReachTheMainThreadInOrder) {
  std::vector<std::string> events;
  port_.OnRxChar = [&](TThreadComm& sender, std::uint32_t count) {
    std::string bytes(count, '\0');
    sender.Read(bytes.data(), static_cast<std::int32_t>(count));
    events.push_back("rx " + bytes);
  };
  port_.OnError = [&](TThreadComm&, std::int32_t errors) {
    events.push_back(errors & CE_HANGUP ? "hangup" : "error");
  };
  Open();
  line_->SendToHost("last words");
  line_->HangUp();
  ASSERT_TRUE(loop_.RunUntil([&] { return ports_.AllSettled(); }, std::chrono::seconds(10)));
  EXPECT_EQ(events, (std::vector<std::string>{"rx last words", "hangup"}));
  EXPECT_EQ(port_.Write("x", 1), 0);
  port_.Close();  // returns: the event thread waits for nothing more
  EXPECT_FALSE(line_->IsOpen());
}

}  // namespace
}  // namespace comm
