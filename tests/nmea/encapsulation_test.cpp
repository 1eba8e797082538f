// The encapsulation parsers and the assembly of multi-sentence messages.

#include <gtest/gtest.h>

#include <string>

#include "nmea/sentence_library.h"
#include "sentence_text.h"

namespace nmea {
namespace {

using testing_support::Sentence;

struct ParseCase {
  const char* name;
  std::string line;
  bool accepted;
  SentenceFault fault;
};

class EncapsulationParser : public testing::TestWithParam<ParseCase> {};

TEST_P(EncapsulationParser, AcceptsOrRefuses) {
  SentenceLibrary library;
  SentenceRecord record{};
  // A single-sentence message completes at once, so acceptance means the
  // parser took it; an ABM is assembled but never handed on.
  const bool ok = library.ParseSentence(GetParam().line, record);
  EXPECT_EQ(ok, GetParam().accepted);
  EXPECT_EQ(library.LastFault(), GetParam().fault) << FaultName(library.LastFault());
}

const std::string k62(62, '0');
const std::string k63(63, '0');

INSTANTIATE_TEST_SUITE_P(
    Encapsulation, EncapsulationParser,
    testing::Values(
        ParseCase{"Vdm62WithoutSequence", Sentence("!AIVDM,1,1,,A," + k62 + ",0"), true,
                  SentenceFault::None},
        ParseCase{"Vdm63WithoutSequence", Sentence("!AIVDM,1,1,,A," + k63 + ",0"), false,
                  SentenceFault::Length},
        ParseCase{"Vdm63WithSequence0", Sentence("!AIVDM,1,1,0,A," + k63 + ",0"), false,
                  SentenceFault::Length},
        ParseCase{"Vdm63WithSequence3", Sentence("!AIVDM,1,1,3,A," + k63 + ",0"), true,
                  SentenceFault::None},
        ParseCase{"VdmEmptyFillBits", Sentence("!AIVDM,1,1,,A,13aE,"), false, SentenceFault::Range},
        ParseCase{"VdmFillBits6", Sentence("!AIVDM,1,1,,A,13aE,6"), false, SentenceFault::Range},
        ParseCase{"VdmTotal10", Sentence("!AIVDM,10,1,,A,13aE,0"), false, SentenceFault::Range},
        ParseCase{"VdmSequence10", Sentence("!AIVDM,1,1,10,A,13aE,0"), false, SentenceFault::Range},
        // 128 is the byte that marks an empty field, but this one is not empty.
        ParseCase{"VdmSequence128", Sentence("!AIVDM,1,1,128,A,13aE,0"), false,
                  SentenceFault::Range},
        ParseCase{"VdmFillBits128", Sentence("!AIVDM,1,1,,A,13aE,128"), false,
                  SentenceFault::Range},
        ParseCase{"VdmFiveFields", Sentence("!AIVDM,1,1,,A,13aE"), false,
                  SentenceFault::FieldCount},
        ParseCase{"VdmSevenFields", Sentence("!AIVDM,1,1,,A,13aE,0,0"), false,
                  SentenceFault::FieldCount},
        ParseCase{"VdoEmptyChannel", Sentence("!AIVDO,1,1,,,B3aC,0"), true, SentenceFault::None},
        ParseCase{"AbmChannel2", Sentence("!AIABM,1,1,0,211378120,2,6,1@0,0"), false,
                  SentenceFault::Addressed},
        ParseCase{"AbmSequence4", Sentence("!AIABM,1,1,4,211378120,2,6,1@0,0"), false,
                  SentenceFault::Range},
        ParseCase{"AbmEmptySequence", Sentence("!AIABM,1,1,,211378120,2,6,1@0,0"), false,
                  SentenceFault::Range},
        ParseCase{"AbmMessage8", Sentence("!AIABM,1,1,0,211378120,2,8,1@0,0"), false,
                  SentenceFault::Range},
        ParseCase{"AbmEmptyChannel", Sentence("!AIABM,1,1,0,211378120,,6,1@0,0"), false,
                  SentenceFault::Range},
        ParseCase{"AbmMmsiTooLarge", Sentence("!AIABM,1,1,0,1000000000,2,6,1@0,0"), false,
                  SentenceFault::Range},
        ParseCase{"Bbm", Sentence("!AIBBM,1,1,,2,8,1@0,0"), false, SentenceFault::Addressed},
        ParseCase{"BbmTotal10", Sentence("!AIBBM,10,1,,2,8,1@0,0"), false, SentenceFault::Range}),
    [](const testing::TestParamInfo<ParseCase>& row) { return std::string(row.param.name); });

TEST(EncapsulationParser, AbmStoresItsFields) {
  SentenceLibrary library;
  SentenceRecord record{};
  library.ParseSentence(Sentence("!AIABM,1,1,3,211378120,2,12,1@0,2"), record);
  const EncapsulationBody& body = record.body.encapsulation;
  EXPECT_EQ(body.sequenceId, 3);
  EXPECT_EQ(+body.destination, 211378120u);
  EXPECT_EQ(body.channel, 2) << "the ABM channel is a number";
  EXPECT_EQ(body.messageId, 12);
  EXPECT_STREQ(body.payload, "1@0");
  EXPECT_EQ(body.fillBits, 2);
}

// A type 5 message in two sentences (the second carries the fill bits).
const std::string kPart1 =
    Sentence("!AIVDM,2,1,1,A,55?MbV02;H;s<HtKR20EHE:0@T4@Dn2222222216L961O5Gf0NSQEp6ClRp8,0");
const std::string kPart2 = Sentence("!AIVDM,2,2,1,A,88888888880,2");

TEST(Assembly, TwoSentencesMakeOneMessageWithTheLastFillBits) {
  SentenceLibrary library;
  SentenceRecord record{};
  EXPECT_FALSE(library.ParseSentence(kPart1, record));
  EXPECT_EQ(library.LastFault(), SentenceFault::Fragment);
  const auto& ring = library.Encapsulation().Ring(EncapsulationKind::VDM);
  EXPECT_EQ(ring.slots[0].number, 1);
  EXPECT_EQ(ring.slots[0].complete, 0);

  ASSERT_TRUE(library.ParseSentence(kPart2, record));
  const AisPayloadRecord& payload = library.LastPayload();
  EXPECT_STREQ(payload.payload,
               "55?MbV02;H;s<HtKR20EHE:0@T4@Dn2222222216L961O5Gf0NSQEp6ClRp888888888880");
  EXPECT_EQ(payload.fillBits, 2);
  EXPECT_EQ(payload.total, 2);
  EXPECT_EQ(payload.number, 2);
  EXPECT_EQ(payload.channel, 'A');
  EXPECT_EQ(payload.complete, 0) << "handed on, the slot is free again";
  EXPECT_EQ(ring.current, 1) << "the next message goes into the next slot";
}

TEST(Assembly, ContinuationThatDoesNotFitIsRefusedAndTheSlotKept) {
  SentenceLibrary library;
  SentenceRecord record{};
  EXPECT_FALSE(library.ParseSentence(kPart1, record));
  // Sentence 2 of a three-sentence message does not continue a two-sentence one.
  EXPECT_FALSE(library.ParseSentence(Sentence("!AIVDM,3,2,1,A,88888888880,2"), record));
  EXPECT_EQ(library.LastFault(), SentenceFault::BrokenFragment);
  EXPECT_EQ(library.Encapsulation().Ring(EncapsulationKind::VDM).slots[0].total, 2);
  // The right part 2 still completes the message.
  EXPECT_TRUE(library.ParseSentence(kPart2, record));
}

TEST(Assembly, InterleavedMessagesAreNotSplicedAndTheLaterOneCompletes) {
  SentenceLibrary library;
  SentenceRecord record{};
  // Two two-sentence messages, one per channel, their sentences interleaved:
  // A1 B1 A2 B2. B1 starts the slot over, A2 does not continue it, B2 does.
  EXPECT_FALSE(library.ParseSentence(kPart1, record));
  EXPECT_FALSE(
      library.ParseSentence(Sentence("!AIVDM,2,1,4,B,8@2<HV@0BkLfrhhJWM9=SjAk=B@pOwfN,0"), record));
  EXPECT_FALSE(library.ParseSentence(kPart2, record));
  EXPECT_EQ(library.LastFault(), SentenceFault::BrokenFragment);
  ASSERT_TRUE(library.ParseSentence(Sentence("!AIVDM,2,2,4,B,P0P,2"), record));
  EXPECT_STREQ(library.LastPayload().payload, "8@2<HV@0BkLfrhhJWM9=SjAk=B@pOwfNP0P");
  EXPECT_EQ(library.LastPayload().channel, 'B');

  // The same sequence id on the other channel is another message too.
  EXPECT_FALSE(library.ParseSentence(kPart1, record));
  EXPECT_FALSE(library.ParseSentence(Sentence("!AIVDM,2,2,1,B,88888888880,2"), record));
  EXPECT_EQ(library.LastFault(), SentenceFault::BrokenFragment);
  EXPECT_TRUE(library.ParseSentence(kPart2, record));
  EXPECT_EQ(library.LastPayload().channel, 'A');
}

TEST(Assembly, SecondSentenceWithoutTheFirstFails) {
  SentenceLibrary library;
  SentenceRecord record{};
  EXPECT_FALSE(library.ParseSentence(kPart2, record));
  EXPECT_EQ(library.LastFault(), SentenceFault::BrokenFragment);
}

TEST(Assembly, ANewFirstSentenceRestartsTheSlot) {
  SentenceLibrary library;
  SentenceRecord record{};
  EXPECT_FALSE(library.ParseSentence(Sentence("!AIVDM,2,1,7,B,AAAA,0"), record));
  EXPECT_FALSE(library.ParseSentence(kPart1, record));
  ASSERT_TRUE(library.ParseSentence(kPart2, record));
  EXPECT_EQ(std::string(library.LastPayload().payload).substr(0, 4), "55?M");
}

TEST(Assembly, PayloadBeyond175CharactersIsRefused) {
  SentenceLibrary library;
  SentenceRecord record{};
  const std::string chunk(62, 'w');
  EXPECT_FALSE(library.ParseSentence(Sentence("!AIVDM,3,1,1,A," + chunk + ",0"), record));
  EXPECT_FALSE(library.ParseSentence(Sentence("!AIVDM,3,2,1,A," + chunk + ",0"), record));
  EXPECT_FALSE(library.ParseSentence(Sentence("!AIVDM,3,3,1,A," + chunk + ",0"), record));
  EXPECT_EQ(library.LastFault(), SentenceFault::PayloadTooLong);
  const auto& slot = library.Encapsulation().Ring(EncapsulationKind::VDM).slots[0];
  EXPECT_EQ(slot.number, 0) << "the slot is cleared";
  EXPECT_STREQ(slot.payload, "");

  // Exactly 175 characters still fit.
  const std::string last(51, 'w');
  EXPECT_FALSE(library.ParseSentence(Sentence("!AIVDM,3,1,1,A," + chunk + ",0"), record));
  EXPECT_FALSE(library.ParseSentence(Sentence("!AIVDM,3,2,1,A," + chunk + ",0"), record));
  EXPECT_TRUE(library.ParseSentence(Sentence("!AIVDM,3,3,1,A," + last + ",0"), record));
  EXPECT_EQ(std::string(library.LastPayload().payload).size(), 175u);
}

TEST(Assembly, TheAbmRingFillsAndThenBlocks) {
  SentenceLibrary library;
  SentenceRecord record{};
  const std::string abm = Sentence("!AIABM,1,1,0,211378120,1,6,1@0,0");
  for (int i = 0; i < 10; ++i) {
    EXPECT_FALSE(library.ParseSentence(abm, record));
    EXPECT_EQ(library.LastFault(), SentenceFault::Addressed) << "message " << i;
  }
  auto& ring = library.Encapsulation().Ring(EncapsulationKind::ABM);
  EXPECT_EQ(ring.current, 0);
  for (const auto& slot : ring.slots) EXPECT_EQ(slot.complete, 1);

  EXPECT_FALSE(library.ParseSentence(abm, record));
  EXPECT_EQ(library.LastFault(), SentenceFault::RingBlocked);

  // A consumer that releases the slot lets the next message in.
  ring.slots[0].complete = 0;
  EXPECT_FALSE(library.ParseSentence(abm, record));
  EXPECT_EQ(library.LastFault(), SentenceFault::Addressed);
  // The VDM ring is not affected by a blocked ABM ring.
  EXPECT_TRUE(library.ParseSentence(Sentence("!AIVDM,1,1,,A,13aE,0"), record));
}

TEST(Assembly, CompletedAbmKeepsDestinationAndMessageId) {
  SentenceLibrary library;
  SentenceRecord record{};
  EXPECT_FALSE(library.ParseSentence(Sentence("!AIABM,2,1,1,211378120,1,12,AAAA,0"), record));
  // A continuation to another destination is no part of the message.
  EXPECT_FALSE(library.ParseSentence(Sentence("!AIABM,2,2,1,211378121,1,12,BBBB,0"), record));
  EXPECT_EQ(library.LastFault(), SentenceFault::BrokenFragment);

  EXPECT_FALSE(library.ParseSentence(Sentence("!AIABM,2,2,1,211378120,1,12,BBBB,4"), record));
  EXPECT_EQ(library.LastFault(), SentenceFault::Addressed);
  const auto& slot = library.Encapsulation().Ring(EncapsulationKind::ABM).slots[0];
  EXPECT_EQ(+slot.destination, 211378120u);
  EXPECT_EQ(slot.messageId, 12);
  EXPECT_STREQ(slot.payload, "AAAABBBB");
  EXPECT_EQ(slot.fillBits, 4);
  EXPECT_EQ(slot.complete, 1);
}

}  // namespace
}  // namespace nmea
