#include "firmware/image_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace firmware {
namespace {

std::string Reason(const char* what, const std::filesystem::path& path, int error) {
  return std::string(what) + " " + path.string() + ": " + std::strerror(error);
}

}  // namespace

bool ReadFileBytes(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
                   std::string& error) {
  bytes.clear();
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    error = Reason("cannot open", path, errno);
    return false;
  }
  std::uint8_t buffer[65536];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
  const int readError = std::ferror(file) ? errno : 0;
  std::fclose(file);
  if (readError != 0) {
    error = Reason("cannot read", path, readError);
    return false;
  }
  return true;
}

bool WriteFileBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                    std::string& error) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    error = Reason("cannot create", path, errno);
    return false;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const int writeError = written ? 0 : errno;
  // The close flushes what the stream still holds: its failure is a failed write.
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    error = Reason("cannot write", path, written ? errno : writeError);
    return false;
  }
  return true;
}

}  // namespace firmware
