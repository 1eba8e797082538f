#pragma once
// The exit codes of `aisfw upgrade` and `aisfw info`. Each code has one row
// with its meaning (for --help and the final line), and each way a wizard run
// can end has one row naming its code; every other list is derived.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "cli/command_help.h"
#include "upgrade/wizard_state.h"

namespace cli {

enum class ExitCode : int {
  Upgraded = 0,
  Usage = 1,
  NoDevice = 2,
  Identification = 3,
  Firmware = 4,
  TransferAbandoned = 5,
  DeviceFailure = 6,
  Declined = 7,
  NotNewer = 8,
  // As timeout(1) ends a command whose time ran out.
  TimedOut = 124,
  // Stopped by a signal: 128 + its number, as a shell reports it.
  HungUpTerminal = 129,
  Interrupted = 130,
  Terminated = 143,
};

struct ExitCodeRow {
  ExitCode code;
  std::string_view meaning;
};

inline constexpr std::array<ExitCodeRow, 13> kExitCodes = {{
    {ExitCode::Upgraded, "upgraded (info: the device was read)"},
    {ExitCode::Usage, "usage error"},
    {ExitCode::NoDevice, "no device found, or a port error"},
    {ExitCode::Identification, "the device could not be identified"},
    {ExitCode::Firmware, "image or catalogue error"},
    {ExitCode::TransferAbandoned,
     "transfer abandoned (transmission errors, incorrect block count, send failure, hang-up, "
     "the device ready for another part than the one asked for)"},
    {ExitCode::DeviceFailure, "the device reported a failure (-4444 or -4445)"},
    {ExitCode::Declined, "declined by the user"},
    {ExitCode::NotNewer,
     "not upgraded: the version offered is the running one or older (with --yes, "
     "--allow-reinstall or --allow-older installs it)"},
    {ExitCode::TimedOut, "stopped: the --timeout ran out"},
    {ExitCode::HungUpTerminal, "stopped: the terminal hung up (SIGHUP)"},
    {ExitCode::Interrupted, "interrupted (Ctrl-C)"},
    {ExitCode::Terminated, "stopped by SIGTERM"},
}};

struct OutcomeRow {
  upgrade::WizardOutcome outcome;
  ExitCode code;
};

// In the order of the enumeration, one row each.
inline constexpr std::array<OutcomeRow, 21> kOutcomeExitCodes = {{
    // A run that ends without naming how is a fault of this program.
    {upgrade::WizardOutcome::None, ExitCode::Usage},
    {upgrade::WizardOutcome::NoPorts, ExitCode::NoDevice},
    {upgrade::WizardOutcome::DetectFailed, ExitCode::NoDevice},
    {upgrade::WizardOutcome::OpenFailed, ExitCode::NoDevice},
    {upgrade::WizardOutcome::ConnectTimeout, ExitCode::NoDevice},
    // The port was not among those that open now and --force was not given.
    {upgrade::WizardOutcome::ForceDeclined, ExitCode::NoDevice},
    {upgrade::WizardOutcome::InfoTimeout, ExitCode::Identification},
    {upgrade::WizardOutcome::Identification, ExitCode::Identification},
    {upgrade::WizardOutcome::MissingImage, ExitCode::Firmware},
    {upgrade::WizardOutcome::InvalidImage, ExitCode::Firmware},
    {upgrade::WizardOutcome::MissingCatalogue, ExitCode::Firmware},
    {upgrade::WizardOutcome::Declined, ExitCode::Declined},
    {upgrade::WizardOutcome::TransmissionErrors, ExitCode::TransferAbandoned},
    {upgrade::WizardOutcome::IncorrectBlockCount, ExitCode::TransferAbandoned},
    {upgrade::WizardOutcome::SendFailed, ExitCode::TransferAbandoned},
    {upgrade::WizardOutcome::ProgrammingFailed, ExitCode::DeviceFailure},
    {upgrade::WizardOutcome::ChecksumError, ExitCode::DeviceFailure},
    {upgrade::WizardOutcome::HungUp, ExitCode::TransferAbandoned},
    {upgrade::WizardOutcome::UnexpectedPart, ExitCode::TransferAbandoned},
    {upgrade::WizardOutcome::Cancelled, ExitCode::Interrupted},
    {upgrade::WizardOutcome::Finished, ExitCode::Upgraded},
}};

constexpr bool OutcomeRowsFollowTheEnumeration() {
  for (std::size_t i = 0; i < kOutcomeExitCodes.size(); ++i) {
    if (static_cast<std::size_t>(kOutcomeExitCodes[i].outcome) != i) return false;
  }
  return static_cast<std::size_t>(upgrade::WizardOutcome::Finished) + 1 == kOutcomeExitCodes.size();
}
static_assert(OutcomeRowsFollowTheEnumeration(), "one row per outcome, in enumeration order");

constexpr bool EveryOutcomeCodeIsListed() {
  for (const OutcomeRow& row : kOutcomeExitCodes) {
    bool found = false;
    for (const ExitCodeRow& code : kExitCodes) found = found || code.code == row.code;
    if (!found) return false;
  }
  return true;
}
static_assert(EveryOutcomeCodeIsListed(), "every code an outcome gives has its meaning");

constexpr int ExitCodeOf(upgrade::WizardOutcome outcome) {
  return static_cast<int>(kOutcomeExitCodes[static_cast<std::size_t>(outcome)].code);
}

// The code of a run stopped by signal `number` (SIGINT, SIGTERM, SIGHUP).
ExitCode ExitCodeOfSignal(int number);

std::string_view ExitCodeMeaning(ExitCode code);

// The code with its meaning, for another command's list of exit codes.
ExitCodeText ExitCodeRowOf(ExitCode code);

// The table for --help: one line per code.
std::string ExitCodeHelp();

}  // namespace cli
