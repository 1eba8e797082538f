#pragma once
// The device's ordinary NMEA output while no upgrade runs: its own position
// in a $GPRMC sentence and position reports of vessels it hears in !AIVDM
// sentences (message 1, one sentence each).

#include <cstdint>
#include <string>

namespace sim {

// $GPRMC for the time `ms` since the device started (from 12:00:00 UTC).
std::string PositionSentence(std::int64_t ms);

// !AIVDM carrying a message 1 of vessel `index` (0-2) at time `ms`.
std::string VesselReport(int index, std::int64_t ms);

// The six-bit text of an AIS message given as bits (most significant bit
// of each field first); pads the last character with zero bits.
std::string ArmourPayload(const std::string& bits);

}  // namespace sim
