// Every receiver log of the corpus through aisfw decode, line by line,
// against its golden file (tests/data/golden/nmea/<log>.decode.jsonl).
//
// A difference is a fault or a deliberate change. Only for the latter are
// the files written anew, by `make golden`; the difference of the golden
// files is then reviewed like code before it is committed.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "run_aisfw.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Lines(std::istream& in) {
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(DecodeGolden, EveryReceiverLogDecodesAsItsGoldenFile) {
  const fs::path data = AISFW_TEST_DATA;
  int logs = 0;
  for (const auto& entry : fs::directory_iterator(data / "corpus" / "nmea")) {
    if (entry.path().extension() != ".log") continue;
    ++logs;
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    std::ifstream goldenFile(data / "golden" / "nmea" / (name + ".decode.jsonl"));
    ASSERT_TRUE(goldenFile.good()) << "no golden file: run make golden";
    const std::vector<std::string> golden = Lines(goldenFile);

    const Output run = Aisfw("decode " + entry.path().string());
    ASSERT_EQ(run.exitCode, 0);
    std::istringstream out(run.out);
    const std::vector<std::string> decoded = Lines(out);

    int shown = 0;
    for (std::size_t i = 0; i < std::max(golden.size(), decoded.size()) && shown < 5; ++i) {
      const std::string want = i < golden.size() ? golden[i] : "(no line)";
      const std::string got = i < decoded.size() ? decoded[i] : "(no line)";
      if (want == got) continue;
      ADD_FAILURE() << "line " << i + 1 << "\n  golden:  " << want << "\n  decoded: " << got;
      ++shown;
    }
  }
  EXPECT_GT(logs, 0);
}

}  // namespace
