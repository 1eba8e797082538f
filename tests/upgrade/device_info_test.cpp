// The device's information block: collecting it line by line, the keys it
// carries, and the two readings that identify the device.

#include "upgrade/device_info.h"

#include "tests/upgrade/engine_bench.h"

namespace upgrade_test {
namespace {

using upgrade::DeviceInfoRecord;
using upgrade::InfoCollector;

DeviceInfoRecord Parsed(const std::vector<std::string>& lines) {
  DeviceInfoRecord record;
  upgrade::ClearDeviceInfo(record);
  for (const std::string& line : lines) upgrade::ParseInfoLine(line.c_str(), record);
  return record;
}

TEST(ParseInfoLine, TakesEachKeyOfTheBlock) {
  const DeviceInfoRecord r =
      Parsed({"[STATIC DATA]\r\n", "Firmware=V1.2.3\r\n", "S/N:(1234567)\r\n", "[ClassA]=1\r\n",
              "[MKD]Language=1,2,3,5\r\n", "[DEVICE DATA END]\r\n"});
  EXPECT_STREQ(r.firmware, "V1.2.3\r\n");
  EXPECT_STREQ(r.serialNumber, "1234567");
  EXPECT_EQ(r.classDigit, 1);
  EXPECT_EQ(r.language, (std::array<std::uint8_t, 4>{1, 2, 3, 5}));
}

TEST(ParseInfoLine, ReadsEachKeyWhereverItStands) {
  struct Row {
    const char* line;
    const char* firmware;
    const char* serial;
    int classDigit;
  };
  const Row rows[] = {
      {"Firmware=V9\r\n", "V9\r\n", "", -1},
      {"Firmware: V9\r\n", " V9\r\n", "", -1},  // one separator character is skipped
      {"Firmware\r\n", "\n", "", -1},
      {"xFirmware", "", "", -1},                // nothing after the key
      {"S/N:(77)[ClassA]=0\r\n", "", "77", 0},  // two keys in one line
      {"S/N:(12345\r\n", "", "12345", -1},      // no ')': to the end of the line
      {"[ClassA]=\r\n", "", "", '\r' - '0'},
  };
  for (const Row& row : rows) {
    const DeviceInfoRecord r = Parsed({row.line});
    EXPECT_STREQ(r.firmware, row.firmware) << row.line;
    EXPECT_STREQ(r.serialNumber, row.serial) << row.line;
    EXPECT_EQ(r.classDigit, row.classDigit) << row.line;
  }
}

TEST(ParseInfoLine, AShortLanguageLineReadsNothingBeyondItsEnd) {
  const DeviceInfoRecord r = Parsed({"[MKD]Language=1\r\n"});
  EXPECT_EQ(r.language[0], 1);
  EXPECT_EQ(r.language[1], static_cast<std::uint8_t>('\n' - '0'));
  EXPECT_EQ(r.language[2], static_cast<std::uint8_t>('\0' - '0'));
  EXPECT_EQ(upgrade::SelectImageFiles(*std::make_unique<DeviceInfoRecord>(r)),
            -1);  // no class line either
}

TEST(SelectImageFiles, NeedsAClassDigitButNotItsValue) {
  DeviceInfoRecord r = Parsed({"[ClassA]=7\r\n", "[MKD]Language=1,2,3,6\r\n"});
  EXPECT_EQ(upgrade::SelectImageFiles(r), 700);
  EXPECT_STREQ(r.kernelPath, "Bin/App_700.SBIN");
  EXPECT_STREQ(r.applicationPath, "Bin/App_703.SBIN");
  EXPECT_EQ(r.pathsChosen, 1);
  r.classDigit = -1;
  EXPECT_EQ(upgrade::SelectImageFiles(r), -1);
  EXPECT_STREQ(r.kernelPath, "");
}

TEST(InfoCollector, CollectsFromTheStartLineToTheEndMarker) {
  InfoCollector c;
  EXPECT_EQ(c.CollectInfoLine("Firmware=V0\r\n", false), InfoCollector::Ignored);  // before a block
  EXPECT_EQ(c.CollectInfoLine("xx[STATIC DATA]\r\n", false), InfoCollector::Started);
  EXPECT_EQ(c.CollectInfoLine("Firmware=V1\r\n", false), InfoCollector::Stored);
  EXPECT_EQ(c.CollectInfoLine(nullptr, false), InfoCollector::Ignored);
  EXPECT_EQ(c.CollectInfoLine("[DEVICE DATA END]\r\n", false), InfoCollector::Complete);
  EXPECT_STREQ(c.Slot(0), "xx[STATIC DATA]\r\n");
  EXPECT_STREQ(c.Slot(1), "Firmware=V1\r\n");
  EXPECT_EQ(c.CollectInfoLine("S/N:(1)\r\n", false), InfoCollector::Ignored);  // idle again
}

TEST(InfoCollector, ASentenceOrAnExclamationMarkEndsTheBlockEarly) {
  for (const char* ending : {"$GPRMC,1*00\r\n", "!AIVDM,1\r\n", "Error!\r\n", "a$b\r\n"}) {
    InfoCollector c;
    c.CollectInfoLine("[STATIC DATA]\r\n", false);
    EXPECT_EQ(c.CollectInfoLine(ending, false), InfoCollector::Complete) << ending;
    EXPECT_EQ(c.CollectInfoLine("S/N:(2)\r\n", false), InfoCollector::Ignored) << ending;
  }
}

TEST(InfoCollector, ABlockOf300LinesOverflowsAndAResetDropsABlock) {
  InfoCollector c;
  c.CollectInfoLine("[STATIC DATA]\r\n", false);
  for (int i = 1; i < 299; ++i)
    ASSERT_EQ(c.CollectInfoLine("line\r\n", false), InfoCollector::Stored);
  EXPECT_EQ(c.CollectInfoLine("line\r\n", false), InfoCollector::Overflow);
  EXPECT_EQ(c.CollectInfoLine("[DEVICE DATA END]\r\n", false), InfoCollector::Ignored);

  c.CollectInfoLine("[STATIC DATA]\r\n", false);
  EXPECT_EQ(c.CollectInfoLine(nullptr, true), InfoCollector::Ignored);
  EXPECT_EQ(c.CollectInfoLine("[DEVICE DATA END]\r\n", false), InfoCollector::Ignored);
  EXPECT_STREQ(c.Slot(1), "");  // a new connection starts with empty slots
}

class Evaluation : public EngineBench {
 protected:
  void SetUp() override { OpenPort(); }
  void Block(const std::vector<std::string>& lines) {
    info_.Collector.CollectInfoLine("[STATIC DATA]\r\n", false);
    for (const std::string& line : lines) info_.Collector.CollectInfoLine(line.c_str(), false);
    ASSERT_EQ(info_.Collector.CollectInfoLine("[DEVICE DATA END]\r\n", false),
              InfoCollector::Complete);
  }
  int Evaluate(upgrade::Stage stage) { return info_.EvaluateDeviceInfo(stage, channel_, screen_); }

  upgrade::DeviceInformation info_;
};

TEST_F(Evaluation, TwoAgreeingReadingsIdentifyTheDeviceAndEndTheProbing) {
  Block({"Firmware=V1\r\n", "S/N:(5)\r\n", "[ClassA]=0\r\n"});
  EXPECT_EQ(Evaluate(upgrade::Stage::FirstReading), upgrade::DeviceInformation::FirstRead);
  EXPECT_EQ(Sent(), Sentence("PZLX,C,DBG,700,1,,,,,,") + Sentence("PTST,,,,,00016"));
  Block({"Firmware=V1\r\n", "S/N:(5)\r\n", "[ClassA]=0\r\n"});
  EXPECT_EQ(Evaluate(upgrade::Stage::SecondReading), upgrade::DeviceInformation::Identified);
  EXPECT_EQ(Sent(), Sentence("PZLX,C,DBG,700,1,,,,,,") + Sentence("PTST,,,,,00000"));
  EXPECT_STREQ(info_.Records[0].applicationPath, "Bin/App_701.SBIN");  // no language line
  EXPECT_TRUE(MessageTexts().empty());
}

TEST_F(Evaluation, ReadingsThatDifferEvenInTrailingBlanksDoNotIdentify) {
  Block({"Firmware=V1\r\n", "S/N:(5)\r\n", "[ClassA]=0\r\n"});
  Evaluate(upgrade::Stage::FirstReading);
  Block({"Firmware=V1 \r\n", "S/N:(5)\r\n", "[ClassA]=0\r\n"});
  EXPECT_EQ(Evaluate(upgrade::Stage::SecondReading), upgrade::DeviceInformation::Failed);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Invalid hardware identification!"});
  EXPECT_EQ(view_.Messages()[0].box.caption, "Error");
}

// Slots keep their text between blocks: a shorter second block leaves the
// first block's later lines in place, and their keys count again.
TEST_F(Evaluation, AShorterSecondBlockLeavesTheFirstBlocksLaterLines) {
  Block({"Firmware=V1\r\n", "S/N:(5)\r\n", "[ClassA]=0\r\n"});
  Evaluate(upgrade::Stage::FirstReading);
  Block({"Firmware=V1\r\n"});
  EXPECT_EQ(Evaluate(upgrade::Stage::SecondReading), upgrade::DeviceInformation::Identified);
  EXPECT_STREQ(info_.Records[1].serialNumber, "5");
}

TEST_F(Evaluation, ABlockAfterTheSecondReadingHasNoRecordAndIsIgnored) {
  Block({"Firmware=V2\r\n"});
  for (const upgrade::Stage stage :
       {upgrade::Stage::Transfer, upgrade::Stage::FinalCheck, upgrade::Stage::Idle}) {
    EXPECT_EQ(Evaluate(stage), upgrade::DeviceInformation::Ignored);
  }
  EXPECT_STREQ(info_.Records[0].firmware, "");
  EXPECT_STREQ(info_.Records[1].firmware, "");
  EXPECT_EQ(Sent(), "");
}

}  // namespace
}  // namespace upgrade_test
