// aisfw validate / aisfw pack: firmware images from the command line.

#include <fmt/core.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "firmware/image_validation.h"
#include "firmware/image_writer.h"

namespace cli {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// Validates one image; prints one line and returns whether it passed.
bool ValidateOne(const std::string& path) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
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

}  // namespace

void AddValidateCommand(CLI::App& app, int& exitCode) {
  auto* cmd = app.add_subcommand("validate", "Check firmware images (.SBIN) block by block");
  auto files = std::make_shared<std::vector<std::string>>();
  cmd->add_option("IMAGE", *files, "Image files to check")->required()->check(CLI::ExistingFile);
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
  };
  auto opt = std::make_shared<Options>();
  cmd->add_option("INPUT", opt->input, "Binary file holding the code");
  cmd->add_option("OUTPUT", opt->output, "Image file to write (.SBIN)");
  cmd->add_option("--sample", opt->sampleFolder,
                  "Write Bin/App_700..704.SBIN and Bin/Firmware.csv of made-up firmware under "
                  "this folder");
  cmd->callback([opt, &exitCode] {
    if (!opt->sampleFolder.empty()) {
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
      fmt::print(stderr, "aisfw pack: give INPUT and OUTPUT, or --sample FOLDER\n");
      exitCode = 2;
      return;
    }
    std::ifstream in(opt->input, std::ios::binary);
    if (!in) {
      fmt::print(stderr, "aisfw pack: cannot open {}\n", opt->input);
      exitCode = 1;
      return;
    }
    const std::vector<std::uint8_t> code{std::istreambuf_iterator<char>(in), {}};
    const std::vector<std::uint8_t> image = firmware::PackImage(code);
    std::ofstream out(opt->output, std::ios::binary);
    out.write(reinterpret_cast<const char*>(image.data()),
              static_cast<std::streamsize>(image.size()));
    // A small image sits in the stream's buffer until the close writes it:
    // only a close that succeeded means the image is on disk.
    out.close();
    if (!out) {
      fmt::print(stderr, "aisfw pack: cannot write {}\n", opt->output);
      exitCode = 1;
      return;
    }
    fmt::print("{}: {} code bytes in {} blocks\n", opt->output, code.size(), image.size() / 263);
  });
}

}  // namespace cli
