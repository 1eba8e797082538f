// aisfw decode end to end: the built program on real logs, on a file of
// awkward lines, on lines too long to be read, on standard input, and on a
// file it cannot read.

#include <fmt/core.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "run_aisfw.h"
#include "tests/temp_folder.h"

namespace {

std::string CorpusLog(const std::string& name) {
  return std::string(AISFW_TEST_DATA) + "/corpus/nmea/" + name;
}

// A sentence with its checksum: the exclusive or of the bytes between the
// start character and '*'.
std::string Framed(const std::string& body) {
  unsigned sum = 0;
  for (std::size_t i = 1; i < body.size(); ++i) sum ^= static_cast<unsigned char>(body[i]);
  return fmt::format("{}*{:02X}", body, sum);
}

std::size_t LineCount(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::size_t lines = 0;
  std::string line;
  while (std::getline(in, line)) ++lines;
  return lines;
}

TEST(DecodeCommand, EveryCorpusLogOneObjectPerLine) {
  for (const auto& entry : std::filesystem::directory_iterator(CorpusLog(""))) {
    if (entry.path().extension() != ".log") continue;
    const Output run = Aisfw("decode " + entry.path().string());
    EXPECT_EQ(run.exitCode, 0) << entry.path();
    ASSERT_EQ(run.objects.size(), LineCount(entry.path().string())) << entry.path();
    for (std::size_t i = 0; i < run.objects.size(); ++i) {
      ASSERT_EQ(run.objects[i]["line"], i + 1) << entry.path();
    }
  }
}

TEST(DecodeCommand, ReadsALogAsTheLibraryDoes) {
  // $GPGGA,112257.00,3844.24011,N,00908.43828,W,1,03,10.5,,,,,,*72 is line 3.
  const Output run = Aisfw("decode " + CorpusLog("polarx2.log"));
  ASSERT_EQ(run.objects.size(), 75u);
  const json& gga = run.objects[2];
  EXPECT_EQ(gga["ok"], true);
  EXPECT_EQ(gga["talker"], "GP");
  EXPECT_EQ(gga["formatter"], "GGA");
  EXPECT_TRUE(gga["maker"].is_null());
  EXPECT_EQ(gga["category"], 1);
  const json& f = gga["fields"];
  EXPECT_EQ(f["time"], "11:22:57.00");
  EXPECT_NEAR(f["lat"].get<double>(), 38.7373352, 1e-5);
  EXPECT_NEAR(f["lon"].get<double>(), -9.140638, 1e-5);
  EXPECT_EQ(f["satellites"], 3);
  EXPECT_EQ(f["hdop"], 10.5);
  EXPECT_TRUE(f["altitude"].is_null()) << "a sentinel prints as null";
  EXPECT_TRUE(f["differential_station"].is_null());
}

// A file of the lines a log really holds: both line ends, a last line with
// none, and every kind of refusal. Nothing stops the run.
TEST(DecodeCommand, AwkwardLinesAreReportedAndPassedOver) {
  const TempFolder folder;
  const std::string path = folder / "lines.nmea";
  {
    std::ofstream out(path, std::ios::binary);
    out << "$PZLX,R,DBG,104,17,,,,,,*3E\r\n"                // 1 maker sentence
        << "$GPGLL,4916.45,N,12311.12,W,225444,A,A*5C\n"    // 2 LF only
        << "$GPGLL,4916.45,N,12311.12,W,225444,A,A*5D\r\n"  // 3 checksum
        << "$SDHDG,101.1,,,7.1,W*20\r\n"                    // 4 unknown formatter
        << "$GPHDT,274.07*7B\r\n"                           // 5 field count
        << "$GPZDA,201530.00,04,07,2002,-14,00*48\n"        // 6 range
        << "$GPTXT," + std::string(100, 'x') + "*00\n"      // 7 too long
        << "just some text\n"                               // 8 not NMEA
        << "\n"                                             // 9 empty
        << "!AIVDM,2,1,1,A,55?MbV02;H;s<HtKR20EHE:0@T4@Dn2222222216L961O5Gf0NSQEp6ClRp8,0*1C\n"  // 10
        << "$AIGPQ,GGA*23\r\n"               // 11 query
        << "$GPTXT,01,01,02,caf\xe9*C0\r\n"  // 12 not UTF-8
        << "$PZLX*1E\r\n"                    // 13 a maker code, no maker sentence
        << "!GPHDT,274.07,T*03\r\n"          // 14 no encapsulation
        << "$GPHDT,,T*1B";                   // 15 no line end
  }
  const Output run = Aisfw("decode " + path);
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_EQ(run.objects.size(), 15u) << run.out;

  const json& dbg = run.objects[0];
  EXPECT_EQ(dbg["ok"], true);
  EXPECT_EQ(dbg["talker"], "P");
  EXPECT_EQ(dbg["formatter"], "DBG");
  EXPECT_EQ(dbg["maker"], "R");
  EXPECT_EQ(dbg["category"], 6);
  EXPECT_EQ(dbg["fields"]["pairs"][0], (json{{"code", 104}, {"value", 17}}));
  EXPECT_EQ(dbg["fields"]["pairs"][1], (json{{"code", nullptr}, {"value", nullptr}}));

  EXPECT_EQ(run.objects[1]["ok"], true);
  EXPECT_EQ(run.objects[1]["fields"]["time"], "22:54:44.00");
  EXPECT_NEAR(run.objects[1]["fields"]["lon"].get<double>(), -123.1853333, 1e-5);

  // A blank line, a line with no '*' and digits that do not match each say
  // so in words of their own.
  const char* reasons[] = {"checksum", "unknown formatter", "field count", "range",
                           "too long", "no checksum",       "blank line"};
  for (int i = 0; i < 7; ++i) {
    const json& line = run.objects[2 + i];
    EXPECT_EQ(line["ok"], false) << line;
    EXPECT_EQ(line["reason"], reasons[i]) << line;
    EXPECT_FALSE(line.contains("fields")) << line;
  }
  EXPECT_EQ(run.objects[3]["formatter"], "HDG") << "the formatter is named once it is known";
  EXPECT_FALSE(run.objects[2].contains("formatter"))
      << "nothing is known of a line that fails its checksum";

  const json& fragment = run.objects[9];
  EXPECT_EQ(fragment["ok"], true);
  EXPECT_EQ(fragment["message"], "fragment");
  EXPECT_EQ(fragment["fields"]["number"], 1);
  EXPECT_EQ(fragment["fields"]["channel"], "A");

  EXPECT_EQ(run.objects[10]["formatter"], "Q");
  EXPECT_EQ(run.objects[10]["category"], 88);
  EXPECT_EQ(run.objects[10]["fields"]["requested"], "GGA");

  EXPECT_EQ(run.objects[11]["fields"]["text"], "caf\xef\xbf\xbd") << "the stray byte is replaced";

  const json& bareMaker = run.objects[12];
  EXPECT_EQ(bareMaker["reason"], "unknown formatter");
  EXPECT_EQ(bareMaker["formatter"], "ZLX");
  EXPECT_TRUE(bareMaker["maker"].is_null());
  EXPECT_EQ(run.objects[13]["reason"], "not an encapsulation sentence");

  EXPECT_EQ(run.objects[14]["ok"], true) << "a last line without its end is read";
  EXPECT_TRUE(run.objects[14]["fields"]["heading"].is_null());
}

// A line longer than any sentence with its metadata is refused whole, with
// its number, and what follows is read as usual: from a file and from a
// pipe, in the middle of the input and at its end.
TEST(DecodeCommand, AnOverlongLineIsRefusedWithItsNumberAndTheRestIsRead) {
  const TempFolder folder;
  const std::string path = folder / "long.nmea";
  const std::string gll = "$GPGLL,4916.45,N,12311.12,W,225444,A,A*5C";
  {
    std::ofstream out(path, std::ios::binary);
    out << gll << "\n"
        << std::string(2 * 1024 * 1024, 'x') << "\r\n"
        << gll << "\r\n"
        << std::string(1024, 'y') << "\n"  // as long as a line may be (no sentence)
        << std::string(1025, 'z') << "\n"  // one more
        << std::string(300000, '$');       // no line end at all
  }
  for (const std::string& input : {path, std::string("- < ") + path}) {
    const Output run = Aisfw("decode " + input);
    EXPECT_EQ(run.exitCode, 0) << input;
    ASSERT_EQ(run.objects.size(), 6u) << input;
    const json tooLong = {{"ok", false}, {"reason", "too long"}};
    for (int line : {2, 5, 6}) {
      EXPECT_EQ(run.objects[line - 1]["line"], line);
      EXPECT_EQ(run.objects[line - 1]["ok"], false);
      EXPECT_EQ(run.objects[line - 1]["reason"], "too long") << run.objects[line - 1];
    }
    EXPECT_EQ(run.objects[0]["ok"], true);
    EXPECT_EQ(run.objects[2]["ok"], true) << "the line after the long one is read";
  }
}

// The classic RMC of NMEA 2.x has no mode field: 11 fields are taken, the
// mode reads as empty, and other counts are still refused.
TEST(DecodeCommand, TakesTheElevenFieldRmcOfOlderReceivers) {
  const TempFolder folder;
  const std::string path = folder / "rmc.nmea";
  const std::string fields = "225446,A,4916.45,N,12311.12,W,000.5,054.7,191194,020.3,E";
  {
    std::ofstream out(path, std::ios::binary);
    out << Framed("$GPRMC," + fields) << "\r\n"           // 11 fields
        << Framed("$GPRMC," + fields + ",A") << "\r\n"    // 12
        << Framed("$GPRMC," + fields + ",A,X") << "\r\n"  // 13
        << Framed("$GPRMC,225446,A,4916.45,N,12311.12,W,000.5,054.7,191194,020.3") << "\r\n";
  }
  const Output run = Aisfw("decode " + path);
  ASSERT_EQ(run.objects.size(), 4u) << run.out;
  const json& old = run.objects[0];
  EXPECT_EQ(old["ok"], true) << old;
  EXPECT_EQ(old["fields"]["speed_knots"], 0.5);
  EXPECT_FALSE(old["fields"]["date"].is_null());
  EXPECT_EQ(old["fields"]["variation_direction"], "E");
  EXPECT_TRUE(old["fields"]["mode"].is_null());
  EXPECT_EQ(run.objects[1]["fields"]["mode"], "A");
  EXPECT_EQ(run.objects[2]["reason"], "field count");
  EXPECT_EQ(run.objects[3]["reason"], "field count");
}

// Floats print as the shortest decimal that reads back to the value, and
// the packed dimensions and ETA as their parts, held against a peer
// decoder's output for the same messages.
TEST(DecodeCommand, AisValuesAsAPeerDecoderGivesThem) {
  const std::string folder = std::string(AISFW_TEST_DATA) + "/corpus/ais/gpsd/";
  std::size_t checked = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string log = entry.path().string();
    if (entry.path().extension() == ".json" || !std::filesystem::exists(log + ".gpsdecode.u.json"))
      continue;
    // The peer's parts of each station's messages, by type and MMSI.
    std::map<std::pair<int, long long>, std::set<std::string>> peer;
    std::ifstream expected(log + ".gpsdecode.u.json");
    for (std::string line; std::getline(expected, line);) {
      const json p = json::parse(line, nullptr, false);
      if (p.is_discarded() || !p.contains("to_bow")) continue;
      std::string parts =
          fmt::format("{}/{}/{}/{}", p["to_bow"].get<int>(), p["to_stern"].get<int>(),
                      p["to_port"].get<int>(), p["to_starboard"].get<int>());
      if (p.contains("eta")) parts += " " + p["eta"].get<std::string>();
      peer[{p["type"].get<int>(), p["mmsi"].get<long long>()}].insert(parts);
    }
    const Output run = Aisfw("decode " + log);
    for (const json& object : run.objects) {
      if (!object.contains("ais")) continue;
      const json& ais = object["ais"];
      EXPECT_FALSE(ais.contains("dimensions") || ais.contains("eta")) << ais;
      if (!ais.contains("to_bow")) continue;
      const auto found = peer.find({ais["type"].get<int>(), ais["mmsi"].get<long long>()});
      if (found == peer.end()) continue;
      std::string parts =
          fmt::format("{}/{}/{}/{}", ais["to_bow"].get<int>(), ais["to_stern"].get<int>(),
                      ais["to_port"].get<int>(), ais["to_starboard"].get<int>());
      if (ais.contains("eta_month")) {
        parts += fmt::format(" {:02}-{:02}T{:02}:{:02}Z", ais["eta_month"].get<int>(),
                             ais["eta_day"].get<int>(), ais["eta_hour"].get<int>(),
                             ais["eta_minute"].get<int>());
      }
      EXPECT_EQ(found->second.count(parts), 1u)
          << log << " line " << object["line"] << ": " << parts;
      ++checked;
    }
  }
  EXPECT_GE(checked, 20u) << "messages with dimensions in the peer's output";

  const Output one = Aisfw("decode " + folder + "sample.aivdm");
  ASSERT_FALSE(one.objects.empty());
  EXPECT_NE(one.out.find("\"speed\":12.3,"), std::string::npos) << one.out.substr(0, 600);
  EXPECT_EQ(one.out.find("12.3000002"), std::string::npos);
}

TEST(DecodeCommand, VerboseAddsTheLineAsRead) {
  const TempFolder folder;
  const std::string path = folder / "two.nmea";
  std::ofstream(path, std::ios::binary) << "$GPHDT,274.07,T*03\r\nnoise\x1b[2J\n";
  const Output run = Aisfw("decode -v " + path);
  ASSERT_EQ(run.objects.size(), 2u);
  EXPECT_EQ(run.objects[0]["text"], "$GPHDT,274.07,T*03");
  EXPECT_EQ(run.objects[1]["text"], "noise\x1b[2J");
  EXPECT_EQ(run.out.find('\x1b'), std::string::npos) << "escaped in the JSON text";
}

TEST(DecodeCommand, ReadsStandardInput) {
  const std::string log = CorpusLog("saab-r4.log");
  const Output fromFile = Aisfw("decode " + log);
  const Output fromStdin = Aisfw("decode < " + log);
  const Output fromDash = Aisfw("decode - < " + log);
  EXPECT_EQ(fromStdin.exitCode, 0);
  EXPECT_EQ(fromStdin.out, fromFile.out);
  EXPECT_EQ(fromDash.out, fromFile.out);
}

TEST(DecodeCommand, AFileThatCannotBeReadFails) {
  const TempFolder folder;
  const Output run = Aisfw("decode " + folder / "no_such_file.nmea");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.out.empty());
}

}  // namespace
