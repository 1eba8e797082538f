#pragma once
// What `aisfw upgrade` and `aisfw info` check before the port is opened, so
// that nothing is said to the device when the run cannot succeed: the port
// named is one that can open and that no other program reads, and the
// firmware folder holds a catalogue and whole images. Each refusal names the
// port or file it is about; the firmware's own message texts come first, as
// the wizard shows them, and the file follows on a line of its own.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/console.h"
#include "cli/exit_codes.h"
#include "cli/system_view.h"
#include "comm/serial_platform.h"
#include "upgrade/wizard_operations.h"

namespace cli {

struct Refusal {
  ExitCode code = ExitCode::Usage;
  // How the run ended, for the JSON outcome: "port-unusable", "port-held",
  // "firmware-unusable".
  const char* outcome = "";
  std::vector<std::string> lines;  // for standard error, in order
};

// The port named by --port (a name or a path; not "auto"). Refused when it
// does not exist, is no serial port or may not be opened (with the fix), and
// when other programs have it open, unless `force`; then `warnings` names
// them. A port that exists but does not open now for another reason (held
// exclusively, ...) is left to the wizard's force-connect question.
std::optional<Refusal> CheckNamedPort(const std::string& name, bool force, SystemView& system,
                                      comm::SerialPlatform& platform,
                                      std::vector<std::string>& warnings);

// The firmware folder: the catalogue can be read, the kernel image and every
// application image present are whole. An application image that is missing
// is a warning only (a device that does not need it can still be upgraded).
std::optional<Refusal> CheckFirmwareFolder(const upgrade::FirmwareFolders& folders,
                                           std::vector<std::string>& warnings);

// Warnings on standard error; with --json each is a "warning" event too.
void PrintWarnings(const std::vector<std::string>& lines, Console& console, bool json);

// Every check before the port is opened, on this machine: the port named
// (`portName` empty: the automatic scan, which skips ports that do not
// open) and the firmware folder. Prints the warnings, and a refusal with
// its JSON outcome; the exit code of a refusal, none when the run goes on.
std::optional<int> RunPreflight(const std::string& portName, bool force,
                                const upgrade::FirmwareFolders& folders, Console& console,
                                bool json);

// After the wizard gave up on the firmware: what is wrong with the files it
// used (the images at these relative paths and the catalogue), each named.
std::vector<std::string> DescribeFirmwareFault(const upgrade::FirmwareFolders& folders,
                                               const std::vector<std::string>& images);

}  // namespace cli
