#include "cli/ais_json.h"

#include <fmt/core.h>

#include <charconv>
#include <cmath>
#include <string>
#include <type_traits>

namespace cli {
namespace {

using Json = nlohmann::ordered_json;

Json FloatJson(float value) {
  if (!std::isfinite(value)) return nullptr;
  const std::string text = fmt::format("{:.9g}", value);
  double result = 0.0;
  std::from_chars(text.data(), text.data() + text.size(), result);
  return result;
}

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
            return FloatJson(value);
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
