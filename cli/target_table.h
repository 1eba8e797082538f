#pragma once
// The AIS stations heard, as the readable table of `aisfw targets` and of
// `aisfw monitor` on a terminal, and as the JSON objects of `targets --json`.
//
// An entry starts with every value zero, and zero reads as a real value
// (stopped, heading north, under way). So what a station never sent shows
// as a blank, and as null in JSON: the command line notes which messages
// each entry was built from (StationMessages), and a value counts as sent
// when one of those messages carries its field. The "not available" values
// of the messages themselves (latitude 91, heading 511, ...) read as blanks
// and nulls too.

#include <cstdint>
#include <ostream>
#include <string_view>
#include <vector>

#include "cli/json_line.h"
#include "store/ais_targets.h"

namespace cli {

class StationMessages {
 public:
  // Notes the message the table folded last; call it after every line.
  void Note(const store::AisTargetTable& table);
  // Whether entry `index` was built from a message whose layout carries the
  // field `field`.
  bool Sent(const store::AisTargetTable& table, int index, std::string_view field) const;

 private:
  struct Station {
    std::uint32_t mmsi = 0;
    std::uint32_t kinds = 0;  // bit k: message kind k (AisTargetTable::LastKind)
  };
  std::vector<Station> stations_;
};

// The station kind as a word: "A", "B", "base", "AtoN", "SAR", "SART";
// empty when unknown.
std::string_view StationName(std::uint8_t type);

// A header, one row per station in use, and the count.
void PrintTargetTable(const store::AisTargetTable& table, const StationMessages& messages,
                      std::ostream& out);

// One entry in use under the keys of store::AisDescribeTarget (`station` as
// its name), then `last_heard`.
Json TargetJson(const store::AisTargetTable& table, const StationMessages& messages, int index);

// The entries in use, in table order (the own station only once heard).
std::vector<int> StationsInUse(const store::AisTargetTable& table);

}  // namespace cli
