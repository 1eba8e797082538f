// aisfw targets and the "ais" object of aisfw decode, end to end through the
// built program on a small log whose stations are known.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
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
      "index",    "station",    "mmsi",         "status",    "epfd",        "accuracy",
      "raim",     "dte",        "lon",          "lat",       "speed",       "course",
      "heading",  "turn",       "shipname",     "callsign",  "shiptype",    "to_bow",
      "to_stern", "to_port",    "to_starboard", "imo",       "eta_month",   "eta_day",
      "eta_hour", "eta_minute", "ais_version",  "draught",   "destination", "vendorid",
      "alt",      "vdm_count",  "vdo_count",    "last_heard"};
  for (const json& entry : run.objects) {
    std::vector<std::string> got;
    for (const auto& item : entry.items()) got.push_back(item.key());
    EXPECT_EQ(got, keys);
    EXPECT_FALSE(entry.contains("type")) << "`type` is the message type, as decode has it";
  }

  const json& own = run.objects[0];
  EXPECT_EQ(own["index"], 0);
  EXPECT_EQ(own["mmsi"], 244630386);
  EXPECT_EQ(own["station"], "B") << "a message 18 makes a Class B station";
  EXPECT_EQ(own["vdo_count"], 0) << "an empty channel is not counted";
  EXPECT_TRUE(own["heading"].is_null()) << "511: not available";

  const json& vessel = run.objects[1];
  EXPECT_EQ(vessel["index"], 1);
  EXPECT_EQ(vessel["mmsi"], 371798000);
  EXPECT_EQ(vessel["station"], "A");
  EXPECT_EQ(vessel["vdm_count"], 2) << "heard on A and on B";
  // Floats are the shortest decimals that read back to the stored values.
  EXPECT_EQ(vessel["lat"].dump(), "48.381634");
  EXPECT_EQ(vessel["lon"].dump(), "-123.395386");
  EXPECT_EQ(vessel["speed"].dump(), "12.3");
  EXPECT_EQ(vessel["heading"], 215);
  EXPECT_TRUE(vessel["shipname"].is_null()) << "no static data heard";

  const json& ship = run.objects[2];
  EXPECT_EQ(ship["mmsi"], 351759000);
  EXPECT_EQ(ship["callsign"], "3FOF8  ") << "blanks are kept: only '@' padding goes";
  EXPECT_EQ(ship["destination"].get<std::string>().substr(0, 8), "NEW YORK");
  EXPECT_EQ(ship["imo"], 9134270);
  EXPECT_EQ(ship["draught"].dump(), "12.2");
  for (const char* key : {"to_bow", "to_stern", "to_port", "to_starboard", "eta_month"}) {
    EXPECT_TRUE(ship[key].is_number()) << key;
  }
}

// A station heard only through its static data sent no position, speed,
// course, heading, turn or navigational status: the table leaves them
// blank and JSON says null, where zeros would read as stopped, heading
// north, under way.
TEST_F(TargetsCommand, WhatAStationNeverSentIsBlankAndNull) {
  const Output run = Aisfw("targets --json " + path_.string());
  ASSERT_EQ(run.objects.size(), 3u);
  const json& ship = run.objects[2];
  for (const char* key : {"lat", "lon", "speed", "course", "heading", "turn", "status", "accuracy",
                          "raim", "alt", "vendorid"}) {
    EXPECT_TRUE(ship[key].is_null()) << key << ": " << ship[key];
  }
  const json& vessel = run.objects[1];
  for (const char* key : {"shiptype", "to_bow", "imo", "eta_month", "draught", "ais_version"}) {
    EXPECT_TRUE(vessel[key].is_null()) << key << ": " << vessel[key];
  }
  EXPECT_EQ(vessel["status"], 0) << "under way, as the position report said";

  const Output table = Aisfw("targets " + path_.string());
  std::istringstream lines(table.out);
  std::string header, row;
  std::getline(lines, header);
  for (std::string line; std::getline(lines, line);) {
    if (line.find("351759000") != std::string::npos) row = line;
  }
  ASSERT_FALSE(row.empty()) << table.out;
  // From the latitude column to the heading column: nothing but blanks.
  const std::size_t from = header.find("name");
  const std::size_t lat = header.find("     lat");
  const std::size_t heard = header.find("heard");
  ASSERT_NE(heard, std::string::npos) << header;
  EXPECT_NE(row.substr(from).find("EVER DIADEM"), std::string::npos) << row;
  EXPECT_EQ(row.substr(lat, heard - lat).find_first_not_of(' '), std::string::npos)
      << "[" << row.substr(lat, heard - lat) << "]";
  EXPECT_TRUE(std::regex_search(row.substr(heard), std::regex("^\\d\\d:\\d\\d:\\d\\d ")))
      << "the last heard time: " << row;
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
  EXPECT_NE(table.out.find("index station"), std::string::npos) << table.out;
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
