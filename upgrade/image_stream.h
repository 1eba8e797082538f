#pragma once
// The image of a part being prepared or transferred, held in memory from the
// moment it is read until its part ends: what is validated is exactly what is
// sent, whatever happens to the file meanwhile (a stick pulled, a sync client
// replacing it). It reads like the file it came from: record by record from a
// position, a read that meets the end marks it, as end-of-file does.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace upgrade {

// The largest image file accepted: images are a few hundred KiB; anything
// this large is no image, and is never read whole into memory.
inline constexpr std::uintmax_t kMaxImageBytes = 16u * 1024u * 1024u;

class ImageStream {
 public:
  enum class LoadResult {
    Loaded,
    Missing,     // no such file
    Unreadable,  // not a regular file, too large, or a read failed: `error` says which
  };

  ImageStream() = default;
  ImageStream(const ImageStream&) = delete;
  ImageStream& operator=(const ImageStream&) = delete;

  // Reads the whole file at `path` (dropping any image held before).
  LoadResult Load(const std::filesystem::path& path, std::string& error);
  // Takes the image `other` holds; `other` is empty afterwards.
  void TakeFrom(ImageStream& other);
  void Close();
  bool IsOpen() const { return open_; }
  std::span<const std::uint8_t> Bytes() const { return bytes_; }

  // Up to `count` bytes from the position on; fewer at the end, and then the
  // end is marked.
  std::size_t Read(void* buffer, std::size_t count);
  // A read has met the end of the image.
  bool AtEnd() const { return open_ && atEnd_; }
  long Position() const { return static_cast<long>(position_); }
  // The size in bytes; leaves the position at the start.
  long MeasureAndRewind();

 private:
  std::vector<std::uint8_t> bytes_;
  std::size_t position_ = 0;
  bool atEnd_ = false;
  bool open_ = false;
};

}  // namespace upgrade
