#include "cli/option_checks.h"

#include <charconv>
#include <cmath>
#include <string>

#include "comm/comm_types.h"

namespace cli {
namespace {

constexpr double kMostSeconds = 365.0 * 24 * 3600;

// A number of seconds up to a year; above 0 unless `zero` allows it.
CLI::Validator SecondsFrom(bool zero) {
  return CLI::Validator(
      [zero](std::string& text) -> std::string {
        double value = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
          return "'" + text + "' is not a number of seconds";
        }
        if (value < 0 || (!zero && value == 0) || value > kMostSeconds) {
          const std::string most = std::to_string(static_cast<long>(kMostSeconds));
          return zero ? "'" + text + "' is not from 0 to " + most
                      : "'" + text + "' is not a time limit above 0 and up to " + most + " seconds";
        }
        return {};
      },
      "");
}

}  // namespace

CLI::Validator SecondsCheck() { return SecondsFrom(true); }

CLI::Validator TimeLimitCheck() { return SecondsFrom(false); }

CLI::Validator CountCheck() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        unsigned long value = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec != std::errc() || end != text.data() + text.size()) {
          return "'" + text + "' is not a whole number from 0";
        }
        return {};
      },
      "");
}

CLI::Validator BaudRateOrAutoCheck() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        if (text == "auto") return {};
        unsigned long value = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        comm::TBaudRate rate{};
        if (ec != std::errc() || end != text.data() + text.size() || value > UINT32_MAX ||
            !comm::BaudRateFromValue(static_cast<std::uint32_t>(value), rate)) {
          return "'" + text + "' is not a baud rate the port offers (110 ... 256000) or auto";
        }
        return {};
      },
      "");
}

}  // namespace cli
