#pragma once
// Decoded AIS messages and target entries as lists of named values, for the
// command line to format (it adds the layout of its output, nothing else).

#include <cstdint>
#include <span>
#include <string_view>
#include <variant>
#include <vector>

#include "store/ais_decoder.h"
#include "store/ais_targets.h"

namespace store {

// A whole number, a 32-bit float as stored (positions in degrees), a text
// (its '@' padding trimmed where the name says so), or raw binary bytes.
// Texts and bytes point into the record or entry described.
using AisValue = std::variant<std::int64_t, float, std::string_view, std::span<const std::uint8_t>>;

struct AisNamedValue {
  std::string_view name;
  AisValue value;
};

// How the packed `dimensions` and `eta` fields are described: as the number
// the message carries, or as their parts under the keys of the target
// description (`to_bow` ... `to_starboard`, `eta_month` ... `eta_minute`).
enum class AisPackedFields { Whole, Parts };

// The fields of a decoded message by their snake_case names in layout order,
// `type`, `repeat` and `mmsi` first: only the fields that the message was
// long enough to hold (`bitCount` is its length in bits), then the values the
// decoder adds (`dest_mmsi1` and `dest_mmsi2` of an addressed message 22,
// `data_bytes` of messages 6 and 8). Empty for a record holding no message.
std::vector<AisNamedValue> AisDescribeRecord(const AisDecodedRecord& record, std::uint16_t bitCount,
                                             AisPackedFields packed = AisPackedFields::Whole);

// A target entry under the keys of `aisfw targets --json`, in that order;
// `station` is the entry's AisTargetType.
std::vector<AisNamedValue> AisDescribeTarget(const AisTarget& target, int index);

}  // namespace store
