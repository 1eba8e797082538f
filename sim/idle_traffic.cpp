#include "sim/idle_traffic.h"

#include <cstdio>

#include "sim/host_sentence.h"
#include "store/ais_bits.h"

namespace sim {
namespace {

void AppendBits(std::string& bits, std::int64_t value, int width) {
  for (int i = width - 1; i >= 0; --i)
    bits += ((static_cast<std::uint64_t>(value) >> i) & 1u) ? '1' : '0';
}

struct Vessel {
  std::uint32_t mmsi;
  double latitude, longitude;  // degrees
  int speedTenths, courseTenths, heading;
};
constexpr Vessel kVessels[] = {
    {244000101, 59.951, 10.725, 52, 1834, 183},
    {257000202, 59.912, 10.741, 0, 3600, 511},
    {265000303, 59.935, 10.702, 118, 455, 46},
};

}  // namespace

std::string ArmourPayload(const std::string& bits) {
  std::string text;
  for (std::size_t at = 0; at < bits.size(); at += 6) {
    int value = 0;
    for (std::size_t i = 0; i < 6; ++i)
      value = value * 2 + (at + i < bits.size() && bits[at + i] == '1');
    text += store::AisArmourCharacter(static_cast<unsigned>(value));
  }
  return text;
}

std::string PositionSentence(std::int64_t ms) {
  const std::int64_t seconds = 12 * 3600 + ms / 1000;
  char body[96];
  std::snprintf(body, sizeof body,
                "GPRMC,%02d%02d%02d.00,A,5956.4200,N,01043.5100,E,0.0,0.0,100626,,,A",
                static_cast<int>(seconds / 3600 % 24), static_cast<int>(seconds / 60 % 60),
                static_cast<int>(seconds % 60));
  return FrameSentence(body);
}

std::string VesselReport(int index, std::int64_t ms) {
  const Vessel& v = kVessels[index % 3];
  std::string bits;
  AppendBits(bits, 1, 6);  // message 1
  AppendBits(bits, 0, 2);  // repeat
  AppendBits(bits, v.mmsi, 30);
  AppendBits(bits, v.speedTenths == 0 ? 5 : 0, 4);  // moored or under way
  AppendBits(bits, -128, 8);                        // no rate of turn
  AppendBits(bits, v.speedTenths, 10);
  AppendBits(bits, 1, 1);
  AppendBits(bits, static_cast<std::int64_t>(v.longitude * 600000), 28);
  AppendBits(bits, static_cast<std::int64_t>(v.latitude * 600000), 27);
  AppendBits(bits, v.courseTenths, 12);
  AppendBits(bits, v.heading, 9);
  AppendBits(bits, (ms / 1000) % 60, 6);
  AppendBits(bits, 0, 2 + 3 + 1 + 19);  // manoeuvre, spare, RAIM, radio
  std::string sentence = FrameSentence("AIVDM,1,1,,A," + ArmourPayload(bits) + ",0");
  sentence[0] = '!';
  return sentence;
}

}  // namespace sim
