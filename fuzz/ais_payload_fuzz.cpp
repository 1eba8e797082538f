// libFuzzer entry: AIS payloads with every fill-bit count straight into
// de-armouring, the decoder and the target table, with no sentence framing in
// the way. One input is a run of messages into one fresh table, heard a
// second apart; with the first byte's top bit set the table starts full of
// other stations, so that the messages meet eviction too.
//
// Input: [flags] then, repeated:
//   1 byte   fill bits (any value: the assembler passes whatever the
//            sentence said) and, in bit 7, own station (VDO)
//   1 byte   length n of the payload (cut to what a payload may hold)
//   n bytes  the payload text

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "store/ais_chain.h"
#include "tests/store/ais_payload_builder.h"
#include "tests/store/fake_clock.h"

namespace {

using store::testing_support::AisMessageBuilder;

// A position report (message 1) of station `mmsi`.
nmea::AisPayloadRecord PositionOf(std::uint32_t mmsi) {
  AisMessageBuilder m;
  m.U(6, 1).U(2, 0).U(30, mmsi).U(4, 0).S(8, 0).U(10, 52).U(1, 0).S(28, 6000000).S(27, 3000000);
  m.U(12, 900).U(9, 90).U(6, 10).U(2, 0).U(3, 0).U(1, 0).U(19, 0);
  return m.Payload();
}

void Hear(store::AisChain& chain, const nmea::AisPayloadRecord& payload, bool vdo) {
  if (!chain.AisDearmour(payload)) return;
  if (!chain.AisDecodeMessage()) return;
  const int entry = chain.AisTargetsUpdate(0, 0, vdo);
  if (entry >= 0) chain.AisCountMessage(entry, vdo);
  (void)chain.DescribeLastDecoded();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  store::testing_support::FakeClock clock;
  store::AisChain chain(clock);
  if (data[0] & 0x80) {
    for (int i = 0; i < store::AisTargetTable::kCapacity; ++i) {
      Hear(chain, PositionOf(200000000u + static_cast<std::uint32_t>(i)), false);
    }
  }
  std::size_t at = 1;
  while (at + 2 <= size) {
    nmea::AisPayloadRecord payload{};
    std::memcpy(payload.formatter, "VDM", 4);
    payload.total = 1;
    payload.number = 1;
    payload.complete = 1;
    payload.fillBits = static_cast<std::int8_t>(data[at] & 0x7F);
    const bool vdo = (data[at] & 0x80) != 0;
    const std::size_t length =
        std::min<std::size_t>({data[at + 1], size - at - 2, nmea::kMaxPayloadChars});
    std::memcpy(payload.payload, data + at + 2, length);
    payload.payload[length] = '\0';
    at += 2 + std::min<std::size_t>(data[at + 1], size - at - 2);
    ++clock.seconds;
    clock.SetSecondOfYear(static_cast<long>(clock.seconds % 31536000));
    Hear(chain, payload, vdo);
  }
  return 0;
}
