#include "upgrade/image_stream.h"

#include <algorithm>
#include <cstring>
#include <system_error>
#include <utility>

#include "firmware/image_file.h"

namespace upgrade {

namespace fs = std::filesystem;

ImageStream::LoadResult ImageStream::Load(const fs::path& path, std::string& error) {
  Close();
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (status.type() == fs::file_type::not_found) {
    error = "no such file: " + path.string();
    return LoadResult::Missing;
  }
  // A device or a pipe in the image's place could be read for ever.
  if (ec || status.type() != fs::file_type::regular) {
    error = path.string() + " is not a file";
    return LoadResult::Unreadable;
  }
  const auto tooLarge = [&] {
    error = path.string() + " is larger than " + std::to_string(kMaxImageBytes / 1024 / 1024) +
            " MiB: no firmware image";
    return LoadResult::Unreadable;
  };
  const std::uintmax_t size = fs::file_size(path, ec);
  if (!ec && size > kMaxImageBytes) return tooLarge();
  std::vector<std::uint8_t> bytes;
  if (!firmware::ReadFileBytes(path, bytes, error)) return LoadResult::Unreadable;
  if (bytes.size() > kMaxImageBytes) return tooLarge();  // it grew while it was read
  bytes_ = std::move(bytes);
  open_ = true;
  return LoadResult::Loaded;
}

void ImageStream::TakeFrom(ImageStream& other) {
  bytes_ = std::exchange(other.bytes_, {});
  open_ = std::exchange(other.open_, false);
  position_ = 0;
  atEnd_ = false;
  other.Close();
}

void ImageStream::Close() {
  bytes_.clear();
  bytes_.shrink_to_fit();
  position_ = 0;
  atEnd_ = false;
  open_ = false;
}

std::size_t ImageStream::Read(void* buffer, std::size_t count) {
  if (!open_) return 0;
  const std::size_t n = std::min(count, bytes_.size() - position_);
  if (n > 0) std::memcpy(buffer, bytes_.data() + position_, n);
  position_ += n;
  if (n < count) atEnd_ = true;
  return n;
}

long ImageStream::MeasureAndRewind() {
  if (!open_) return 0;
  position_ = 0;
  atEnd_ = false;
  return static_cast<long>(bytes_.size());
}

}  // namespace upgrade
