// Hostile payloads: random texts of every length with every fill-bit count
// go through de-armouring, the decoder, the description and the target
// table. Run under the sanitizer build, these catch any read or write
// outside the bit buffer, the record or the latest-message buffers.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "ais_payload_builder.h"
#include "fake_clock.h"
#include "store/ais_chain.h"
#include "store/nmea_stack.h"
#include "tests/nmea/sentence_text.h"

namespace store {
namespace {

using testing_support::FakeClock;
using testing_support::PayloadOf;

// A payload character: nearly always a valid one, so that most messages
// get as far as the decoder.
char RandomCharacter(std::mt19937& rng) {
  if (rng() % 200 == 0) return static_cast<char>(1 + rng() % 255);
  const int v = static_cast<int>(rng() % 64);
  return static_cast<char>(v < 40 ? v + 48 : v + 56);
}

TEST(AisRobustness, RandomPayloadsOfEveryLengthAndFillBitCount) {
  std::mt19937 rng(20260314);
  FakeClock clock;
  AisChain chain(clock);
  int decoded = 0;
  for (std::size_t length = 0; length <= nmea::kMaxPayloadChars; ++length) {
    for (int fillBits : {0, 1, 2, 3, 4, 5, 6, -1, -128}) {
      for (int round = 0; round < 64; ++round) {
        std::string text;
        for (std::size_t i = 0; i < length; ++i) text += RandomCharacter(rng);
        // Every message id in turn, the known ones and the refused ones.
        if (length > 0) text[0] = static_cast<char>(round < 40 ? round + 48 : round + 56);

        nmea::AisPayloadRecord payload = PayloadOf(text, fillBits);
        if (!chain.AisDearmour(payload)) continue;
        ASSERT_LE(chain.Bits().bitCount, kAisBitCapacity);
        if (!chain.AisDecodeMessage()) continue;
        ++decoded;
        for (const AisNamedValue& field : chain.DescribeLastDecoded()) {
          if (const auto* text_ = std::get_if<std::string_view>(&field.value)) {
            ASSERT_LE(text_->size(), AisDecodedRecord::kSize);
          }
        }
        const int entry =
            chain.AisTargetsUpdate(static_cast<int>(rng() % 3) - 1, 0, rng() % 8 == 0);
        if (entry >= 0) chain.AisCountMessage(entry, false);
      }
    }
  }
  EXPECT_GT(decoded, 4000);  // the decoder was reached, not only the de-armouring
  const AisTargetTable& table = chain.Targets();
  for (int i = 0; i < table.Count(); ++i) {
    const AisTarget& t = table.Entry(i);
    ASSERT_LT(strnlen(t.name, sizeof t.name), sizeof t.name);
    ASSERT_LT(strnlen(t.callsign, sizeof t.callsign), sizeof t.callsign);
    ASSERT_LT(strnlen(t.destination, sizeof t.destination), sizeof t.destination);
    ASSERT_LT(strnlen(t.vendorId, sizeof t.vendorId), sizeof t.vendorId);
  }
}

// The same through whole sentences, split into up to five fragments, each on
// channel A or B. A message whose fragments all came on one channel, hold
// only payload characters (none empty) and fit 175 characters is assembled whole, with
// the fill bits of its last fragment, whatever the decoder then makes of it;
// any other is refused.
TEST(AisRobustness, RandomMultiSentenceMessagesThroughParseSentence) {
  std::mt19937 rng(7);
  FakeClock clock;
  NmeaStack stack(&clock);
  nmea::SentenceRecord record{};
  int assembled = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    const std::size_t length = rng() % 180;
    for (std::size_t i = 0; i < length; ++i) text += RandomCharacter(rng);
    const std::size_t parts = 1 + (length / 60) + rng() % 2;
    const std::size_t step = parts > 0 ? (length + parts - 1) / parts : 0;
    bool oneChannel = true;
    bool anEmptyPiece = false;
    char firstChannel = 0;
    int fillBits = 0;
    bool ok = false;
    for (std::size_t p = 0; p < parts; ++p) {
      const std::string piece = text.substr(std::min(text.size(), p * step), step);
      anEmptyPiece = anEmptyPiece || piece.empty();
      const char channel = "AB"[rng() % 2];
      if (p == 0) firstChannel = channel;
      oneChannel = oneChannel && channel == firstChannel;
      fillBits = static_cast<int>(rng() % 6);
      const std::string line = nmea::testing_support::Sentence(
          "!AIVDM," + std::to_string(parts) + "," + std::to_string(p + 1) + ",3," + channel + "," +
          piece + "," + std::to_string(fillBits));
      ok = stack.library.ParseSentence(line, record);
    }
    const bool payloadCharacters =
        text.find_first_not_of(
            "0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVW`abcdefghijklmnopqrstuvw") ==
        std::string::npos;
    const nmea::SentenceFault fault = stack.library.LastFault();
    const bool whole =
        ok || fault == nmea::SentenceFault::AisPayload || fault == nmea::SentenceFault::AisMessage;
    SCOPED_TRACE(text);
    // A ',' or '*' in the text makes other fields; an empty payload field
    // reads as the empty-field marker, a space, which no payload holds.
    if (!payloadCharacters || anEmptyPiece) continue;
    ASSERT_EQ(whole, oneChannel && length <= nmea::kMaxPayloadChars) << nmea::FaultName(fault);
    if (!whole) continue;
    ++assembled;
    EXPECT_EQ(std::string(stack.library.LastPayload().payload), text);
    EXPECT_EQ(stack.library.LastPayload().fillBits, fillBits);
  }
  EXPECT_GT(assembled, 1000);
}

}  // namespace
}  // namespace store
