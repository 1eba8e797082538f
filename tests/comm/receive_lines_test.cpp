// Receive line assembly, fed through the same OnRxChar path the port drives.

#include "comm/receive_lines.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace comm {
namespace {

// The port's side: each notification's bytes, served to Read.
class ScriptedReader final : public ByteReader {
 public:
  std::int32_t Read(void* buffer, std::int32_t count) override {
    requests.push_back(count);
    if (failNext) return -1;
    const auto n = std::min<std::size_t>(static_cast<std::size_t>(count), pending.size());
    std::copy_n(pending.begin(), n, static_cast<char*>(buffer));
    pending.erase(0, n);
    return static_cast<std::int32_t>(n);
  }
  std::string pending;
  std::vector<std::int32_t> requests;
  bool failNext = false;
};

// Records what each consumer got, and in which order.
struct Recorder final : public ReceiveConsumers {
  void LogReceivedLine(std::string_view line) override {
    log.emplace_back(line);
    calls.push_back("log");
  }
  void OnDeviceLine(const char* line) override {
    handed.emplace_back(line);
    calls.push_back("device");
  }
  void WatchTextLine(const char* line) override {
    watched.emplace_back(line);
    calls.push_back("watch");
  }

  std::vector<std::string> log, handed, watched, calls;
};

class LineAssembly : public ::testing::Test {
 protected:
  // One notification carrying `bytes`.
  void Arrive(const std::string& bytes) {
    reader_.pending += bytes;
    assembler_.OnRxChar(reader_, static_cast<std::uint32_t>(bytes.size()));
  }

  Recorder consumers_;
  ScriptedReader reader_;
  ReceiveLineAssembler assembler_{consumers_};
};

TEST_F(LineAssembly, ALineSplitAcrossNotificationsIsHandedOverOnceAtItsLf) {
  Arrive("ab");
  EXPECT_TRUE(consumers_.handed.empty());
  EXPECT_EQ(assembler_.RxLine(), "ab");
  Arrive("c\r\n$GP");
  EXPECT_EQ(consumers_.handed, (std::vector<std::string>{"abc\r\n"}));
  EXPECT_EQ(assembler_.RxLine(), "$GP");  // waits for its LF
}

TEST_F(LineAssembly, CrAndNulAreDroppedAndCrLfIsPutBack) {
  Arrive(std::string("abc\r\r\rd\0ef\n", 11));
  Arrive("\r\n");
  EXPECT_EQ(consumers_.handed, (std::vector<std::string>{"abcdef\r\n", "\r\n"}));
  EXPECT_EQ(consumers_.log, (std::vector<std::string>{"abcdef", ""}));
}

TEST_F(LineAssembly, LinesOver82CharactersAreLoggedButNotHandedOver) {
  const std::string longest(82, 'x');
  const std::string tooLong(83, 'y');
  Arrive(longest + "\r\n" + tooLong + "\r\n" + "ok\n");
  EXPECT_EQ(consumers_.log, (std::vector<std::string>{longest, tooLong, "ok"}));
  EXPECT_EQ(consumers_.handed, (std::vector<std::string>{longest + "\r\n", "ok\r\n"}));
}

// A device that sends no line end: what is kept stays bounded however much
// comes, the log shows the start and the count, and the next line is read.
TEST_F(LineAssembly, BytesPastTheLoggedLengthAreCountedNotKept) {
  const std::string chunk(4000, 'x');
  for (int i = 0; i < 250; ++i) Arrive(chunk);  // a megabyte
  EXPECT_EQ(assembler_.RxLine(), std::string(kLoggedLineLength, 'x'));
  EXPECT_EQ(assembler_.DroppedBytes(), 250 * chunk.size() - kLoggedLineLength);
  Arrive("\r\n$GPTXT,01,01,02,after*00\r\n");
  EXPECT_EQ(consumers_.log, (std::vector<std::string>{std::string(kLoggedLineLength, 'x') +
                                                          " ... (999800 more bytes dropped)",
                                                      "$GPTXT,01,01,02,after*00"}));
  EXPECT_EQ(consumers_.handed, std::vector<std::string>{"$GPTXT,01,01,02,after*00\r\n"});
  EXPECT_EQ(assembler_.DroppedBytes(), 0u);
}

TEST_F(LineAssembly, ALineOfTheLoggedLengthIsLoggedWholeOneMoreGetsTheNote) {
  const std::string kept(kLoggedLineLength, 'k');
  Arrive(kept + "\n" + kept + "z\n");
  EXPECT_EQ(consumers_.log, (std::vector<std::string>{kept, kept + " ... (1 more byte dropped)"}));
  EXPECT_TRUE(consumers_.handed.empty());
}

TEST_F(LineAssembly, AFailedOrEmptyReadLeavesTheLineAsItWas) {
  Arrive("par");
  reader_.failNext = true;
  assembler_.OnRxChar(reader_, 5);
  reader_.failNext = false;
  assembler_.OnRxChar(reader_, 5);  // nothing queued: reads 0
  EXPECT_EQ(assembler_.RxLine(), "par");
  Arrive("t\n");
  EXPECT_EQ(consumers_.handed, (std::vector<std::string>{"part\r\n"}));
}

TEST_F(LineAssembly, ACountAboveTheBufferIsReadInPieces) {
  std::string bytes;
  for (int i = 0; i < 400; ++i) bytes += "$GPTXT,01,01,02,line " + std::to_string(i) + "*00\r\n";
  ASSERT_GT(bytes.size(), 2 * kReceiveBufferSize);
  Arrive(bytes);
  for (std::int32_t request : reader_.requests)
    EXPECT_LT(request, static_cast<std::int32_t>(kReceiveBufferSize));
  ASSERT_EQ(consumers_.handed.size(), 400u);
  EXPECT_EQ(consumers_.handed[399], "$GPTXT,01,01,02,line 399*00\r\n");
}

TEST_F(LineAssembly, EachLineIsLoggedThenHandedToTheDeviceConsumerThenTheWatcher) {
  Arrive("[END OF STATIC DATA]\r\nlong" + std::string(90, 'x') + "\n");
  EXPECT_EQ(consumers_.calls, (std::vector<std::string>{"log", "device", "watch", "log"}));
  EXPECT_EQ(consumers_.watched, std::vector<std::string>{"[END OF STATIC DATA]\r\n"});
}

}  // namespace
}  // namespace comm
