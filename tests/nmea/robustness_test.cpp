// Hostile input: random bytes, damaged sentences with valid checksums, and
// over-long lines must be refused cleanly. Run under the sanitizer build,
// these catch any read or write outside the line and record buffers.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "nmea/formatters.h"
#include "nmea/framing.h"
#include "nmea/sentence_library.h"
#include "sentence_text.h"

namespace nmea {
namespace {

using testing_support::Sentence;

const std::vector<std::string> kSeeds = {
    "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,",
    "!AIVDM,2,1,1,A,55?MbV02;H;s<HtKR20EHE:0@T4@Dn2222222216L961O5Gf0NSQEp6ClRp8,0",
    "!AIVDM,2,2,1,A,88888888880,2",
    "!AIABM,1,1,0,211378120,2,6,1@0,0",
    "!AIBBM,1,1,,2,8,1@0,0",
    "$PZLX,C,DBG,700,1,,,,,,",
    "$AIGPQ,GGA",
    "$PTST,,,,,00016",
};

// Random bytes through both entry points, each with a library of its own fed
// the same lines: they must agree on every line that fits a line buffer, a
// refusal always names its fault, and a line without CR LF is refused for it.
TEST(Robustness, RandomBytesGetOneAnswerFromBothEntryPoints) {
  std::mt19937 rng(20261210);
  SentenceLibrary byView;
  SentenceLibrary inPlace;
  SentenceRecord record{};
  for (int i = 0; i < 20000; ++i) {
    std::string line(rng() % 160, '\0');
    for (char& c : line) c = static_cast<char>(rng());
    if (rng() % 2) line += "\r\n";
    const bool viewOk = byView.ParseSentence(line, record);
    ASSERT_EQ(viewOk, byView.LastFault() == SentenceFault::None) << i;

    // The in-place entry with a line buffer of the documented size.
    char buffer[kLineBufferSize];
    const std::size_t n = std::min(line.size(), sizeof buffer - 1);
    std::memcpy(buffer, line.data(), n);
    buffer[n] = '\0';
    const bool inPlaceOk = inPlace.ParseSentence(buffer, record);
    ASSERT_EQ(inPlaceOk, inPlace.LastFault() == SentenceFault::None) << i;

    if (!std::string_view(buffer).ends_with("\r\n")) {
      EXPECT_EQ(inPlace.LastFault(), SentenceFault::LineEnd) << i;
    }
    if (line.size() <= kMaxExpandedLength) {
      EXPECT_EQ(byView.LastFault(), inPlace.LastFault()) << i;
    }
  }
}

// Damaged copies of real sentences, re-summed so that they reach the field
// scanner, the parsers and the assembly. A sentence summed right is never
// refused for its checksum or its line end, and one that is accepted names
// a formatter the table parses, in its category.
TEST(Robustness, DamagedSentencesWithGoodChecksumsAreJudgedByTheirFields) {
  std::mt19937 rng(7);
  const char alphabet[] = ",,,,**$!PZLXQ0123456789ABCDEF.- \x80\xff";
  SentenceLibrary library;
  SentenceRecord record{};
  int accepted = 0;
  for (int i = 0; i < 50000; ++i) {
    std::string text = kSeeds[rng() % kSeeds.size()];
    const int edits = 1 + static_cast<int>(rng() % 6);
    for (int e = 0; e < edits && !text.empty(); ++e) {
      const std::size_t at = rng() % text.size();
      switch (rng() % 3) {
        case 0:
          text[at] = alphabet[rng() % (sizeof alphabet - 1)];
          break;
        case 1:
          text.insert(at, 1 + rng() % 30, alphabet[rng() % (sizeof alphabet - 1)]);
          break;
        default:
          text.erase(at, 1 + rng() % 5);
          break;
      }
    }
    if (text.empty()) continue;  // nothing to sum
    const bool ok = library.ParseSentence(Sentence(text), record);
    const SentenceFault fault = library.LastFault();
    ASSERT_EQ(ok, fault == SentenceFault::None) << text;
    if (text.find('*') == std::string::npos) {
      EXPECT_NE(fault, SentenceFault::Checksum) << text;
      EXPECT_NE(fault, SentenceFault::LineEnd) << text;
    }
    if (!ok) continue;
    ++accepted;
    const FormatterRow* row = FindFormatter(record);
    ASSERT_NE(row, nullptr) << text;
    EXPECT_NE(row->parse, nullptr) << text;
    EXPECT_EQ(record.category, row->category) << text;
  }
  EXPECT_GT(accepted, 1000);  // the parsers were reached, not only the framing
}

TEST(Robustness, RecordHeaderStaysTerminated) {
  // Whatever the line, talker and formatter keep their NUL.
  std::mt19937 rng(99);
  SentenceLibrary library;
  for (int i = 0; i < 5000; ++i) {
    std::string text(1 + rng() % 12, 'A');
    for (char& c : text) c = static_cast<char>('!' + rng() % 90);
    SentenceRecord record;
    std::memset(&record, 0x55, sizeof record);
    library.ParseSentence(Sentence(text), record);
    if (library.LastFault() == SentenceFault::Checksum ||
        library.LastFault() == SentenceFault::TooLong)
      continue;
    EXPECT_EQ(record.talker[2], '\0') << text;
    EXPECT_EQ(record.formatter[3], '\0') << text;
  }
}

}  // namespace
}  // namespace nmea
