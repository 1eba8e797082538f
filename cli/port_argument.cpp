#include "cli/port_argument.h"

#include <filesystem>

namespace cli {

namespace fs = std::filesystem;

PortArgument ResolvePortArgument(const std::string& text) {
  if (text == "auto") return {true, {}};
  if (text.find('/') == std::string::npos) return {false, text};
  std::error_code ec;
  fs::path path = fs::absolute(text, ec);
  if (ec) return {false, text};
  // A link that leads nowhere is kept as typed, so the open error names it.
  const fs::path target = fs::weakly_canonical(path, ec);
  if (!ec) path = target;
  if (path.parent_path() == "/dev") return {false, path.filename().string()};
  return {false, path.string()};
}

SinglePortEnumerator::SinglePortEnumerator(std::string name,
                                           std::unique_ptr<comm::SerialPlatform> platform)
    : name_(std::move(name)), platform_(std::move(platform)) {}

bool SinglePortEnumerator::PresentPortNames(std::vector<std::string>& names) {
  names = {name_};
  return true;
}

bool SinglePortEnumerator::OpensExclusively(const std::string& name) {
  comm::PortError error;
  return platform_->Open(name, error) != nullptr;  // closed again at once
}

std::string SinglePortEnumerator::WhyNotAvailable() {
  comm::PortError error;
  if (platform_->Open(name_, error) != nullptr) return {};
  return error.Message;
}

}  // namespace cli
