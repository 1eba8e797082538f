#include "cli/preflight.h"

#include <fmt/core.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <span>

#include "cli/json_line.h"
#include "comm/port_errors.h"
#include "firmware/catalogue.h"
#include "firmware/image_validation.h"
#include "firmware/image_writer.h"
#include "text/display_text.h"
#include "upgrade/controls.h"
#include "upgrade/image_stream.h"

namespace cli {
namespace fs = std::filesystem;

namespace {

// The wizard's own texts for a firmware it cannot use, as its message
// boxes show them on a terminal ("Caption: text").
constexpr const char* kNoFirmware = "Error: No firmware is found or incorrect firmware!";
constexpr const char* kNoVersion = "Error: No firmware version is detected!";
constexpr const char* kInvalidFormat = "Invalid firmware upgrade BIN file format!";

constexpr const char* kPortsHint = " aisfw ports lists the serial ports of this machine.";

std::string Shown(const fs::path& path) { return text::DisplayText(path.string()); }

std::string HoldersText(const std::vector<PortHolder>& holders) {
  std::string text;
  for (const PortHolder& holder : holders) {
    if (!text.empty()) text += ", ";
    text += fmt::format(
        "{} (pid {})",
        holder.program.empty() ? std::string("unknown") : text::DisplayText(holder.program),
        holder.pid);
  }
  return text;
}

enum class ImageStatus { Valid, Missing, Unreadable, Invalid };

struct ImageCheck {
  ImageStatus status = ImageStatus::Valid;
  std::string detail;  // why it cannot be used
};

// Reads and validates one image as the wizard will, without keeping it.
ImageCheck CheckImage(const fs::path& path) {
  upgrade::ImageStream image;
  std::string error;
  switch (image.Load(path, error)) {
    case upgrade::ImageStream::LoadResult::Missing:
      return {ImageStatus::Missing, "no such file: " + Shown(path)};
    case upgrade::ImageStream::LoadResult::Unreadable:
      return {ImageStatus::Unreadable, text::DisplayText(error)};
    case upgrade::ImageStream::LoadResult::Loaded:
      break;
  }
  std::string failure;
  std::uint32_t blocks = 0, sum = 0;
  if (!firmware::ValidateImage(image.Bytes(), blocks, sum,
                               [&](const std::string& text) { failure = text; })) {
    return {ImageStatus::Invalid, Shown(path) + ": " + failure};
  }
  return {};
}

// The lines that say why an image cannot be used: the wizard's message,
// then the file.
std::vector<std::string> ImageProblem(const ImageCheck& check, const char* role) {
  if (check.status == ImageStatus::Invalid) {
    return {fmt::format("{}: {}", upgrade::kApplicationTitle, kInvalidFormat),
            fmt::format("aisfw: {} ({})", check.detail, role)};
  }
  return {kNoFirmware, fmt::format("aisfw: {} ({})", check.detail, role)};
}

std::string FolderHint(const upgrade::FirmwareFolders& folders) {
  if (!folders.BinFolder.empty()) return {};
  std::error_code ec;
  return fmt::format(
      "aisfw: without --bin, images are read from {} and the catalogue from {}; --bin DIR names "
      "a folder holding both",
      Shown(folders.Resolve(firmware::kCataloguePath).parent_path()),
      Shown(fs::absolute(folders.Catalogue(firmware::kCataloguePath), ec).parent_path()));
}

Refusal FirmwareRefusal(std::vector<std::string> lines, const upgrade::FirmwareFolders& folders) {
  if (std::string hint = FolderHint(folders); !hint.empty()) lines.push_back(std::move(hint));
  return {ExitCode::Firmware, "firmware-unusable", std::move(lines)};
}

bool CatalogueReadable(const fs::path& catalogue) {
  std::array<char, 2> ignored{};
  return firmware::LookUpVersion(catalogue, ignored, firmware::kCataloguePath);
}

}  // namespace

std::optional<Refusal> CheckNamedPort(const std::string& name, bool force, SystemView& system,
                                      comm::SerialPlatform& platform,
                                      std::vector<std::string>& warnings) {
  const std::string path = comm::PortDevicePath(name);
  const std::string shown = text::DisplayText(path);
  const DeviceNode node = system.Node(path);
  if (!node.exists) {
    return Refusal{ExitCode::NoDevice,
                   "port-unusable",
                   {"aisfw: " + text::DisplayText(comm::DescribeOpenError(path, ENOENT).Message) +
                    kPortsHint}};
  }
  if (!node.characterDevice) {
    return Refusal{ExitCode::NoDevice,
                   "port-unusable",
                   {fmt::format("aisfw: {} is not a serial port: it is no device at all (a folder "
                                "or a file).{}",
                                shown, kPortsHint)}};
  }
  // One trial open tells a port that can never open from one that is busy
  // now (left to the force-connect question); it is closed again at once.
  comm::PortError error;
  if (platform.Open(name, error) == nullptr) {
    switch (error.Kind) {
      case comm::PortErrorKind::PermissionDenied:
        return Refusal{
            ExitCode::NoDevice, "port-unusable", {"aisfw: " + text::DisplayText(error.Message)}};
      case comm::PortErrorKind::NoSuchDevice:
      case comm::PortErrorKind::NotASerialPort:
        return Refusal{ExitCode::NoDevice,
                       "port-unusable",
                       {"aisfw: " + text::DisplayText(error.Message) + kPortsHint}};
      default:
        break;
    }
  }
  // Another program that has the port open would read the device's answers
  // away, and the upgrade would stall half-way.
  const PortHolders holders = system.Holders(path);
  if (holders.programs.empty()) return std::nullopt;
  const std::string who = HoldersText(holders.programs);
  if (!force) {
    return Refusal{
        ExitCode::NoDevice,
        "port-held",
        {fmt::format("aisfw: {} is in use by {}: it would read the device's answers away from the "
                     "upgrade. Close that program (or end it: kill {}), or give --force to use the "
                     "port anyway.",
                     shown, who, holders.programs.front().pid)}};
  }
  warnings.push_back(fmt::format(
      "aisfw: warning: {} is also open in {}; going on as --force says, though what it reads is "
      "lost to the upgrade",
      shown, who));
  return std::nullopt;
}

std::optional<Refusal> CheckFirmwareFolder(const upgrade::FirmwareFolders& folders,
                                           std::vector<std::string>& warnings) {
  const fs::path kernel = folders.Resolve(firmware::ImagePath(firmware::kKernelImage));
  const fs::path imageFolder = kernel.parent_path();
  std::error_code ec;
  if (!fs::is_directory(imageFolder, ec)) {
    return FirmwareRefusal(
        {kNoFirmware,
         fmt::format("aisfw: no firmware folder: {} is not a folder", Shown(imageFolder))},
        folders);
  }
  const ImageCheck kernelCheck = CheckImage(kernel);
  if (kernelCheck.status != ImageStatus::Valid) {
    return FirmwareRefusal(ImageProblem(kernelCheck, "the kernel, sent to every device"), folders);
  }
  std::vector<std::string> missing;
  for (int n = firmware::kFirstApplicationImage; n <= firmware::kLastApplicationImage; ++n) {
    const fs::path path = folders.Resolve(firmware::ImagePath(n));
    const ImageCheck check = CheckImage(path);
    if (check.status == ImageStatus::Missing) {
      missing.push_back(Shown(path));
    } else if (check.status != ImageStatus::Valid) {
      return FirmwareRefusal(ImageProblem(check, "an application image"), folders);
    }
  }
  constexpr auto kApplications = static_cast<std::size_t>(firmware::kLastApplicationImage -
                                                          firmware::kFirstApplicationImage + 1);
  if (missing.size() == kApplications) {
    return FirmwareRefusal(
        {kNoFirmware,
         fmt::format(
             "aisfw: no application image in {} ({} to {})", Shown(imageFolder),
             fs::path(firmware::ImagePath(firmware::kFirstApplicationImage)).filename().string(),
             fs::path(firmware::ImagePath(firmware::kLastApplicationImage)).filename().string())},
        folders);
  }
  // The wizard reads the catalogue after the images, and so it is checked.
  const fs::path catalogue = fs::absolute(folders.Catalogue(firmware::kCataloguePath), ec);
  if (!CatalogueReadable(catalogue)) {
    return FirmwareRefusal(
        {kNoVersion, fmt::format("aisfw: cannot read the catalogue {}", Shown(catalogue))},
        folders);
  }
  for (const std::string& path : missing) {
    warnings.push_back(fmt::format(
        "aisfw: warning: no application image {}: a device whose languages choose it cannot be "
        "upgraded",
        path));
  }
  return std::nullopt;
}

std::vector<std::string> DescribeFirmwareFault(const upgrade::FirmwareFolders& folders,
                                               const std::vector<std::string>& images) {
  std::vector<std::string> lines;
  for (const std::string& relative : images) {
    if (relative.empty()) continue;
    const ImageCheck check = CheckImage(folders.Resolve(relative));
    if (check.status != ImageStatus::Valid) lines.push_back("aisfw: " + check.detail);
  }
  std::error_code ec;
  const fs::path catalogue = fs::absolute(folders.Catalogue(firmware::kCataloguePath), ec);
  if (!CatalogueReadable(catalogue)) {
    lines.push_back(fmt::format("aisfw: cannot read the catalogue {}", Shown(catalogue)));
  }
  return lines;
}

void PrintWarnings(const std::vector<std::string>& lines, Console& console, bool json) {
  for (const std::string& line : lines) {
    console.Err(line);
    if (json) console.Out(JsonLine({{"event", "warning"}, {"text", line}}));
  }
}

std::optional<int> RunPreflight(const std::string& portName, bool force,
                                const upgrade::FirmwareFolders& folders, Console& console,
                                bool json) {
  std::vector<std::string> warnings;
  std::optional<Refusal> refusal;
  if (!portName.empty()) {
    LinuxSystemView system;
    const std::unique_ptr<comm::SerialPlatform> platform = comm::MakeSystemSerialPlatform();
    refusal = CheckNamedPort(portName, force, system, *platform, warnings);
  }
  if (!refusal) refusal = CheckFirmwareFolder(folders, warnings);
  PrintWarnings(warnings, console, json);
  if (!refusal) return std::nullopt;
  for (const std::string& line : refusal->lines) console.Err(line);
  const int code = static_cast<int>(refusal->code);
  if (json) {
    Json text = Json::array();
    for (const std::string& line : refusal->lines) text.push_back(line);
    console.Out(JsonLine({{"event", "refused"}, {"lines", text}}));
    console.Out(JsonLine({{"event", "outcome"},
                          {"outcome", refusal->outcome},
                          {"exit_code", code},
                          {"meaning", ExitCodeMeaning(refusal->code)}}));
  }
  return code;
}

}  // namespace cli
