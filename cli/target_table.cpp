#include "cli/target_table.h"

#include <fmt/core.h>

#include <array>
#include <cmath>
#include <string>

#include "cli/ais_json.h"
#include "store/ais_describe.h"
#include "store/ais_layouts.h"
#include "text/display_text.h"

namespace cli {
namespace {

// The message kinds (AisTargetTable::LastKind: the message id, 24 and 25
// for the two parts of message 24) whose layout carries `field`. A kind's
// layout is slot kind - 1: messages 1 to 23 by their id, then the parts.
constexpr std::uint32_t KindsCarrying(std::string_view field) {
  std::uint32_t kinds = 0;
  for (std::uint32_t kind = 1; kind <= 25; ++kind) {
    for (const store::AisFieldDescriptor& f : store::kAisLayouts[kind - 1].Fields()) {
      if (f.name == field) kinds |= 1u << kind;
    }
  }
  return kinds;
}
static_assert(store::kSlotStaticPartA == 24 - 1 && store::kSlotStaticPartB == 25 - 1);
static_assert(KindsCarrying("heading") == (1u << 1 | 1u << 2 | 1u << 3 | 1u << 18 | 1u << 19));

// A value that is there but says "not available".
using Unavailable = bool (*)(double value);

bool Never(double) { return false; }
bool Zero(double v) { return v == 0.0; }
bool NotLatitude(double v) { return !(std::fabs(v) <= 90.0); }
bool NotLongitude(double v) { return !(std::fabs(v) <= 180.0); }
bool NotAngle(double v) { return !(v >= 0.0 && v < 360.0); }
bool NoTurn(double v) { return std::fabs(v) == 9999.0; }
bool NoAltitude(double v) { return v == 4095.0; }
bool NoHour(double v) { return v == 24.0; }
bool NoMinute(double v) { return v == 60.0; }

// The target keys that come from messages: the layout field each is taken
// from (empty: the position, whose "not available" value is also what an
// entry starts with) and its "not available" value. Texts are null when
// empty; the speed's "not available" depends on the station kind.
struct KeyRule {
  std::string_view key;
  std::string_view field;
  Unavailable unavailable;
};

constexpr std::array<KeyRule, 26> kKeyRules = {{
    {"status", "status", Never},
    {"epfd", "epfd", Never},
    {"accuracy", "accuracy", Never},
    {"raim", "raim", Never},
    {"dte", "dte", Never},
    {"lon", "", NotLongitude},
    {"lat", "", NotLatitude},
    {"speed", "speed", Never},
    {"course", "course", NotAngle},
    {"heading", "heading", NotAngle},
    {"turn", "turn", NoTurn},
    {"shipname", "shipname", Never},
    {"callsign", "callsign", Never},
    {"shiptype", "shiptype", Zero},
    {"to_bow", "dimensions", Never},
    {"to_stern", "dimensions", Never},
    {"to_port", "dimensions", Never},
    {"to_starboard", "dimensions", Never},
    {"imo", "imo", Zero},
    {"eta_month", "eta", Zero},
    {"eta_day", "eta", Zero},
    {"eta_hour", "eta", NoHour},
    {"eta_minute", "eta", NoMinute},
    {"ais_version", "ais_version", Never},
    {"draught", "draught", Zero},
    {"alt", "alt", NoAltitude},
}};

constexpr bool EveryFieldIsCarried() {
  for (const KeyRule& rule : kKeyRules) {
    if (!rule.field.empty() && KindsCarrying(rule.field) == 0) return false;
  }
  return true;
}
static_assert(EveryFieldIsCarried(), "each rule names a field some message carries");

const KeyRule* RuleOf(std::string_view key) {
  for (const KeyRule& rule : kKeyRules) {
    if (rule.key == key) return &rule;
  }
  return nullptr;
}

std::string LastHeard(const store::AisStamp& s) {
  return fmt::format("{:04}-{:02}-{:02}T{:02}:{:02}:{:02}", s.year, s.month, s.day, s.hour,
                     s.minute, s.second);
}

std::string Cell(const Json& value, const char* format) {
  if (value.is_null()) return {};
  if (value.is_string()) return text::DisplayText(value.get<std::string>());
  return fmt::format(fmt::runtime(format), value.get<double>());
}

}  // namespace

void StationMessages::Note(const store::AisTargetTable& table) {
  const int index = table.LastIndex();
  const int kind = table.LastKind();
  // The pair names the last message folded; noting it again is harmless.
  if (index < 0 || kind < 1 || kind > 31) return;
  const auto at = static_cast<std::size_t>(index);
  if (stations_.size() <= at) stations_.resize(at + 1);
  Station& station = stations_[at];
  const std::uint32_t mmsi = table.Entry(index).mmsi;
  // An entry given to another station starts again.
  if (station.mmsi != mmsi) station = {mmsi, 0};
  station.kinds |= 1u << kind;
}

bool StationMessages::Sent(const store::AisTargetTable& table, int index,
                           std::string_view field) const {
  const auto at = static_cast<std::size_t>(index);
  if (index < 0 || at >= stations_.size()) return false;
  const Station& station = stations_[at];
  return station.mmsi == table.Entry(index).mmsi && (station.kinds & KindsCarrying(field)) != 0;
}

std::string_view StationName(std::uint8_t type) {
  switch (static_cast<store::AisTargetType>(type)) {
    case store::AisTargetType::BaseStation:
      return "base";
    case store::AisTargetType::SarAircraft:
      return "SAR";
    case store::AisTargetType::AidToNavigation:
      return "AtoN";
    case store::AisTargetType::ClassA:
      return "A";
    case store::AisTargetType::ClassB:
      return "B";
    case store::AisTargetType::Sart:
      return "SART";
    case store::AisTargetType::Unknown:
      break;
  }
  return {};
}

Json TargetJson(const store::AisTargetTable& table, const StationMessages& messages, int index) {
  const store::AisTarget& t = table.Entry(index);
  Json object = AisValuesJson(store::AisDescribeTarget(t, index));
  for (auto& [key, value] : object.items()) {
    if (key == "station") {
      const std::string_view name = StationName(t.type);
      value = name.empty() ? Json() : Json(std::string(name));
      continue;
    }
    if (value.is_string()) {
      if (value.get<std::string>().empty()) value = nullptr;
      continue;
    }
    const KeyRule* rule = RuleOf(key);
    if (rule == nullptr || value.is_null()) continue;
    const bool sent = rule->field.empty() || messages.Sent(table, index, rule->field);
    const bool speedMissing = key == "speed" && !store::AisSpeedAvailable(t);
    if (!sent || speedMissing || rule->unavailable(value.get<double>())) value = nullptr;
  }
  object["last_heard"] = t.lastHeard.year == 0 ? Json() : Json(LastHeard(t.lastHeard));
  return object;
}

std::vector<int> StationsInUse(const store::AisTargetTable& table) {
  std::vector<int> indices;
  for (int i = 0; i < table.Count(); ++i) {
    if (i == 0 && table.Entry(0).mmsi == 0) continue;  // no own station heard
    indices.push_back(i);
  }
  return indices;
}

void PrintTargetTable(const store::AisTargetTable& table, const StationMessages& messages,
                      std::ostream& out) {
  constexpr const char* kRow =
      "{:>5} {:<7} {:>9} {:<20} {:<7} {:>10} {:>11} {:>6} {:>6} {:>4} {:<8} {:>6} {:>6}\n";
  out << fmt::format(fmt::runtime(kRow), "index", "station", "mmsi", "name", "call", "lat", "lon",
                     "speed", "course", "hdg", "heard", "vdm", "vdo");
  const std::vector<int> shown = StationsInUse(table);
  for (const int i : shown) {
    const Json s = TargetJson(table, messages, i);
    const std::string heard =
        s["last_heard"].is_null() ? std::string() : s["last_heard"].get<std::string>().substr(11);
    out << fmt::format(fmt::runtime(kRow), i, Cell(s["station"], ""), s["mmsi"].get<long long>(),
                       Cell(s["shipname"], ""), Cell(s["callsign"], ""), Cell(s["lat"], "{:.5f}"),
                       Cell(s["lon"], "{:.5f}"), Cell(s["speed"], "{:.1f}"),
                       Cell(s["course"], "{:.1f}"), Cell(s["heading"], "{:.0f}"), heard,
                       s["vdm_count"].get<long long>(), s["vdo_count"].get<long long>());
  }
  out << fmt::format("{} station{}\n", shown.size(), shown.size() == 1 ? "" : "s");
}

}  // namespace cli
