// Hostile input: random bytes, damaged sentences with valid checksums, and
// over-long lines must be refused cleanly. Run under the sanitizer build,
// these catch any read or write outside the line and record buffers.

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

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

TEST(Robustness, RandomBytesNeverCrash) {
  std::mt19937 rng(20261210);
  SentenceLibrary library;
  SentenceRecord record{};
  for (int i = 0; i < 20000; ++i) {
    std::string line(rng() % 160, '\0');
    for (char& c : line) c = static_cast<char>(rng());
    if (rng() % 2) line += "\r\n";
    library.ParseSentence(line, record);

    // The in-place entry with a line buffer of the documented size.
    char buffer[kLineBufferSize];
    const std::size_t n = std::min(line.size(), sizeof buffer - 1);
    std::memcpy(buffer, line.data(), n);
    buffer[n] = '\0';
    library.ParseSentence(buffer, record);
  }
}

// Damaged copies of real sentences, re-summed so that they reach the field
// scanner, the parsers and the assembly.
TEST(Robustness, DamagedSentencesWithGoodChecksumsNeverCrash) {
  std::mt19937 rng(7);
  const char alphabet[] = ",,,,**$!PZLXQ0123456789ABCDEF.- \x80\xff";
  SentenceLibrary library;
  SentenceRecord record{};
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
    library.ParseSentence(Sentence(text), record);
  }
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
