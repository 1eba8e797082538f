#include "cli/ais_json.h"

#include <string>
#include <type_traits>

namespace cli {
namespace {

Json HexJson(std::span<const std::uint8_t> bytes) {
  std::string text;
  text.reserve(bytes.size() * 2);
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (const std::uint8_t b : bytes) {
    text += kHex[b >> 4];
    text += kHex[b & 0xF];
  }
  return text;
}

}  // namespace

Json AisValuesJson(const std::vector<store::AisNamedValue>& values) {
  Json object = Json::object();
  for (const store::AisNamedValue& v : values) {
    object[std::string(v.name)] = std::visit(
        [](const auto& value) -> Json {
          using T = std::decay_t<decltype(value)>;
          if constexpr (std::is_same_v<T, float>) {
            return ShortestJson(value);
          } else if constexpr (std::is_same_v<T, std::string_view>) {
            return std::string(value);
          } else if constexpr (std::is_same_v<T, std::span<const std::uint8_t>>) {
            return HexJson(value);
          } else {
            return value;
          }
        },
        v.value);
  }
  return object;
}

}  // namespace cli
