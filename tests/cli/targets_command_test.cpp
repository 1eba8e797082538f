// aisfw targets and the "ais" object of aisfw decode, end to end through the
// built program on a small log whose stations are known.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "run_aisfw.h"
#include "tests/temp_folder.h"

namespace {

namespace fs = std::filesystem;

// Own ship (VDO, empty channel), one Class A vessel heard twice, a message 5
// in two sentences, and a line that is not NMEA at all.
const char* const kLog =
    "!AIVDO,1,1,,,B3aC3LP00063aj7RNpl03wSUwP06,0*43\n"
    "!AIVDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0*4A\r\n"
    "not a sentence\n"
    "!AIVDM,2,1,1,A,55?MbV02;H;s<HtKR20EHE:0@T4@Dn2222222216L961O5Gf0NSQEp6ClRp8,0*1C\n"
    "!AIVDM,2,2,1,A,88888888880,2*25\n"
    "!AIVDM,1,1,,B,15RTgt0PAso;90TKcjM8h6g208CQ,0*49";  // no line end at all

class TargetsCommand : public testing::Test {
 protected:
  void SetUp() override { std::ofstream(path_, std::ios::binary) << kLog; }
  const TempFolder folder_;
  const fs::path path_ = folder_.Path() / "log.nmea";
};

TEST_F(TargetsCommand, JsonHasOneObjectPerStationWithExactlyTheKeys) {
  const Output run = Aisfw("targets --json " + path_.string());
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_EQ(run.objects.size(), 3u);

  const std::vector<std::string> keys = {
      "index",    "type",       "mmsi",         "status",   "epfd",        "accuracy",
      "raim",     "dte",        "lon",          "lat",      "speed",       "course",
      "heading",  "turn",       "shipname",     "callsign", "shiptype",    "to_bow",
      "to_stern", "to_port",    "to_starboard", "imo",      "eta_month",   "eta_day",
      "eta_hour", "eta_minute", "ais_version",  "draught",  "destination", "vendorid",
      "alt",      "vdm_count",  "vdo_count"};
  for (const json& entry : run.objects) {
    std::vector<std::string> got;
    for (const auto& item : entry.items()) got.push_back(item.key());
    EXPECT_EQ(got, keys);
  }

  const json& own = run.objects[0];
  EXPECT_EQ(own["index"], 0);
  EXPECT_EQ(own["mmsi"], 244630386);
  EXPECT_EQ(own["type"], 4) << "a message 18 makes a Class B station";
  EXPECT_EQ(own["vdo_count"], 0) << "an empty channel is not counted";

  const json& vessel = run.objects[1];
  EXPECT_EQ(vessel["index"], 1);
  EXPECT_EQ(vessel["mmsi"], 371798000);
  EXPECT_EQ(vessel["type"], 3);
  EXPECT_EQ(vessel["vdm_count"], 2) << "heard on A and on B";
  // Floats are the stored 32-bit values with nine significant digits.
  EXPECT_EQ(vessel["lat"].dump(), "48.3816338");
  EXPECT_EQ(vessel["lon"].dump(), "-123.395386");
  EXPECT_EQ(vessel["speed"].dump(), "12.3000002");

  const json& ship = run.objects[2];
  EXPECT_EQ(ship["mmsi"], 351759000);
  EXPECT_EQ(ship["callsign"], "3FOF8  ") << "blanks are kept: only '@' padding goes";
  EXPECT_EQ(ship["destination"].get<std::string>().substr(0, 8), "NEW YORK");
  EXPECT_EQ(ship["imo"], 9134270);
}

TEST_F(TargetsCommand, OwnStationIsLeftOutUntilHeard) {
  std::ofstream(path_, std::ios::binary) << "!AIVDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0*4A\n";
  const Output run = Aisfw("targets --json " + path_.string());
  ASSERT_EQ(run.objects.size(), 1u);
  EXPECT_EQ(run.objects[0]["index"], 1);
}

TEST_F(TargetsCommand, ReadableTableAndErrors) {
  const Output table = Aisfw("targets " + path_.string());
  EXPECT_EQ(table.exitCode, 0);
  EXPECT_NE(table.out.find("index type"), std::string::npos) << table.out;
  EXPECT_NE(table.out.find("EVER DIADEM"), std::string::npos) << table.out;
  EXPECT_NE(table.out.find("3 stations"), std::string::npos) << table.out;

  const Output missing = Aisfw("targets /nonexistent/log.nmea");
  EXPECT_EQ(missing.exitCode, 1);

  const Output piped = Aisfw("targets --json < " + path_.string());
  EXPECT_EQ(piped.objects.size(), 3u);
}

TEST_F(TargetsCommand, ShowsTheSpeedOfAnAircraftInWholeKnots) {
  // Message 9 at 140 knots; then at 1023, its "not available".
  std::ofstream(path_, std::ios::binary) << "!AIVDM,1,1,,A,91b75CA;2<Ph4;0RAV`3Q7P20000,0*6C\n";
  Output run = Aisfw("targets " + path_.string());
  EXPECT_NE(run.out.find(" 140.0 "), std::string::npos) << run.out;
  std::ofstream(path_, std::ios::binary) << "!AIVDM,1,1,,A,91b75CA;?wPh4;0RAV`3Q7P20000,0*2A\n";
  run = Aisfw("targets " + path_.string());
  EXPECT_EQ(run.out.find("1023"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find(" SAR "), std::string::npos) << run.out;
}

TEST_F(TargetsCommand, DecodeAddsTheMessageToTheLineThatCompletesIt) {
  const Output run = Aisfw("decode " + path_.string());
  ASSERT_EQ(run.objects.size(), 6u);
  EXPECT_EQ(run.objects[1]["ais"]["type"], 1);
  EXPECT_EQ(run.objects[1]["ais"]["mmsi"], 371798000);
  EXPECT_EQ(run.objects[1]["ais"]["heading"], 215);
  EXPECT_FALSE(run.objects[2].contains("ais")) << "not a sentence";
  EXPECT_FALSE(run.objects[3].contains("ais")) << "the first of two sentences";
  const json& five = run.objects[4]["ais"];
  EXPECT_EQ(five["type"], 5);
  EXPECT_EQ(five["shipname"].get<std::string>().substr(0, 11), "EVER DIADEM");
  EXPECT_EQ(five["callsign"], "3FOF8  ");
  EXPECT_EQ(five["destination"].get<std::string>().find('@'), std::string::npos)
      << "'@' padding trimmed";
}

}  // namespace
