// aisfw validate / aisfw pack: firmware images from the command line.

#include <fmt/core.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cli/command_help.h"
#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "firmware/code_block.h"
#include "firmware/image_file.h"
#include "firmware/image_validation.h"
#include "firmware/image_writer.h"

namespace cli {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// Validates one image; prints one line and returns whether it passed. An
// image that cannot be opened or read says so, in words that tell it from
// an image in the wrong format.
bool ValidateOne(const std::string& path) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rbe"));
  if (!file) {
    fmt::print(stderr, "{}: cannot open: {}\n", path, std::strerror(errno));
    return false;
  }
  std::string failure;
  std::uint32_t blocks = 0;
  std::uint32_t sum = 0;
  if (!firmware::ValidateImage(file.get(), blocks, sum,
                               [&](const std::string& text) { failure = text; })) {
    fmt::print("{}: {}\n", path, failure);
    return false;
  }
  fmt::print("{}: valid, {} blocks (end block included), image sum {:08X}\n", path, blocks, sum);
  return true;
}

// An output that is a file already is kept unless --force says otherwise;
// a device (/dev/null, /dev/full) is no file to lose.
bool RefusesToOverwrite(const std::filesystem::path& output, bool force) {
  std::error_code ec;
  if (force || !std::filesystem::is_regular_file(output, ec)) return false;
  fmt::print(stderr, "aisfw pack: {} exists; --force overwrites it\n", output.string());
  return true;
}

}  // namespace

void AddValidateCommand(CLI::App& app, int& exitCode) {
  auto* cmd = app.add_subcommand("validate", "Check firmware images (.SBIN) block by block");
  auto files = std::make_shared<std::vector<std::string>>();
  // Each image is reported on its own: one that is missing does not keep
  // the others from being checked.
  cmd->add_option("IMAGE", *files, "Image files to check")->required();
  SetExitCodes(cmd, {{0, "every image is valid"},
                     {1, "usage error, or an image is missing, unreadable or invalid"}});
  cmd->callback([files, &exitCode] {
    for (const std::string& path : *files) {
      if (!ValidateOne(path)) exitCode = 1;
    }
  });
}

void AddPackCommand(CLI::App& app, int& exitCode) {
  auto* cmd = app.add_subcommand(
      "pack", "Build a firmware image from a binary, or a sample firmware folder with --sample");
  struct Options {
    std::string input, output, sampleFolder;
    bool force = false;
  };
  auto opt = std::make_shared<Options>();
  cmd->add_option("INPUT", opt->input, "Binary file holding the code");
  cmd->add_option("OUTPUT", opt->output, "Image file to write (.SBIN)");
  cmd->add_option("--sample", opt->sampleFolder,
                  "Write Bin/App_700..704.SBIN and Bin/Firmware.csv of made-up firmware under "
                  "this folder")
      ->type_name("DIR");
  cmd->add_flag("--force", opt->force, "Overwrite files that exist already");
  SetExitCodes(cmd, {{0, "written"},
                     {1,
                      "usage error, an output exists already (without --force), or a file "
                      "could not be read or written"}});
  cmd->callback([opt, &exitCode] {
    if (!opt->sampleFolder.empty()) {
      const std::filesystem::path folder(opt->sampleFolder);
      bool exists = RefusesToOverwrite(folder / "Bin/Firmware.csv", opt->force);
      for (int n = firmware::kKernelImage; n <= firmware::kLastApplicationImage && !exists; ++n) {
        exists = RefusesToOverwrite(folder / firmware::ImagePath(n), opt->force);
      }
      if (exists) {
        exitCode = static_cast<int>(ExitCode::Usage);
        return;
      }
      std::string error;
      if (!firmware::WriteSampleFirmware(opt->sampleFolder, error)) {
        fmt::print(stderr, "aisfw pack: {}\n", error);
        exitCode = 1;
        return;
      }
      fmt::print("sample firmware written to {}/Bin\n", opt->sampleFolder);
      return;
    }
    if (opt->input.empty() || opt->output.empty()) {
      fmt::print(stderr, "aisfw pack: give INPUT and OUTPUT, or --sample DIR\n");
      exitCode = static_cast<int>(ExitCode::Usage);
      return;
    }
    if (RefusesToOverwrite(opt->output, opt->force)) {
      exitCode = static_cast<int>(ExitCode::Usage);
      return;
    }
    std::vector<std::uint8_t> code;
    std::string error;
    if (!firmware::ReadFileBytes(opt->input, code, error)) {
      fmt::print(stderr, "aisfw pack: {}\n", error);
      exitCode = 1;
      return;
    }
    const std::vector<std::uint8_t> image = firmware::PackImage(code);
    if (!firmware::WriteFileBytes(opt->output, image, error)) {
      fmt::print(stderr, "aisfw pack: {}\n", error);
      exitCode = 1;
      return;
    }
    fmt::print("{}: {} code bytes in {} blocks\n", opt->output, code.size(),
               image.size() / firmware::kBlockSize);
  });
}

}  // namespace cli
