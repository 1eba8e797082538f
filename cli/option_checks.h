#pragma once
// Checks of numeric options, so that a value a command cannot use is a
// usage error with its reason, not a surprise later.

#include <CLI/CLI.hpp>

namespace cli {

// A number of seconds: finite, from 0 to a year.
CLI::Validator SecondsCheck();

// A time limit in seconds: finite, above 0, up to a year.
CLI::Validator TimeLimitCheck();

// A count of things: a whole number from 0.
CLI::Validator CountCheck();

// A serial line speed in bit/s that the port offers, or "auto".
CLI::Validator BaudRateOrAutoCheck();

}  // namespace cli
