// What the fuzzers found (fuzz/parse_sentence_fuzz.cpp), one row each: the
// smallest line that showed it and what the library must make of it now.

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "nmea/sentence_library.h"
#include "sentence_text.h"

namespace nmea {
namespace {

struct Finding {
  const char* name;
  std::string text;  // without checksum
  SentenceFault fault;
};

void PrintTo(const Finding& row, std::ostream* os) { *os << row.text; }

class FoundByFuzzing : public testing::TestWithParam<Finding> {};

TEST_P(FoundByFuzzing, IsJudgedAsItsRowSays) {
  SentenceLibrary library;
  SentenceRecord record{};
  library.ParseSentence(testing_support::Sentence(GetParam().text), record);
  EXPECT_EQ(library.LastFault(), GetParam().fault) << FaultName(library.LastFault());
}

INSTANTIATE_TEST_SUITE_P(
    Parsers, FoundByFuzzing,
    testing::Values(
        // An empty count of an ABM read as 0 and passed its range 1-9: the
        // sentence was taken, and composing it gave one its parser refuses.
        Finding{"AbmEmptySentenceNumber", "!AIABM,1,,0,211378120,2,6,1@0,0", SentenceFault::Range},
        Finding{"AbmEmptyTotal", "!AIABM,,1,0,211378120,2,6,1@0,0", SentenceFault::Range}),
    [](const testing::TestParamInfo<Finding>& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace nmea
