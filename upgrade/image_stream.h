#pragma once
// The open firmware image of the part being prepared or transferred: a
// binary file read block by block, whose end-of-file state the sequencer
// watches. Closing is idempotent; the destructor closes.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>

namespace upgrade {

class ImageStream {
 public:
  ImageStream() = default;
  ImageStream(const ImageStream&) = delete;
  ImageStream& operator=(const ImageStream&) = delete;
  ~ImageStream() { Close(); }

  // Opens `path` for binary reading (closing any image open before).
  bool Open(const std::filesystem::path& path) {
    Close();
    file_ = std::fopen(path.c_str(), "rb");
    return file_ != nullptr;
  }
  void Close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
  }
  bool IsOpen() const { return file_ != nullptr; }
  std::FILE* Handle() const { return file_; }

  // Up to `count` bytes; fewer at the end of the file.
  std::size_t Read(void* buffer, std::size_t count) {
    return file_ ? std::fread(buffer, 1, count, file_) : 0;
  }
  // A read has met the end of the file.
  bool AtEnd() const { return file_ != nullptr && std::feof(file_) != 0; }
  long Position() const { return file_ ? std::ftell(file_) : 0; }
  // The size in bytes; leaves the file at its start.
  long MeasureAndRewind() {
    if (file_ == nullptr) return 0;
    std::fseek(file_, 0, SEEK_END);
    const long size = std::ftell(file_);
    std::rewind(file_);
    return size;
  }

 private:
  std::FILE* file_ = nullptr;
};

}  // namespace upgrade
