// libFuzzer entry: any bytes as the catalogue Bin/Firmware.csv, looked up for
// every image; and the first four bytes as a device's language digits.
// Whatever the catalogue holds, the version is NUL-terminated within its 80
// bytes, is text the catalogue holds (after a comma, without one), and a
// catalogue that matches nothing leaves it as it was.

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "firmware/catalogue.h"
#include "firmware/image_writer.h"

namespace {

// One file for the whole run, rewritten for each input.
struct CatalogueFile {
  CatalogueFile() {
    const char* tmp = std::getenv("TMPDIR");
    path = std::string(tmp != nullptr ? tmp : "/tmp") + "/aisfw-catalogue-fuzz-XXXXXX";
    fd = mkstemp(path.data());
    if (fd < 0) {
      std::perror("catalogue_fuzz: mkstemp");
      std::abort();
    }
  }
  ~CatalogueFile() {
    close(fd);
    unlink(path.c_str());
  }
  void Write(const std::uint8_t* data, std::size_t size) const {
    if (ftruncate(fd, 0) != 0 ||
        (size > 0 && pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))) {
      std::perror("catalogue_fuzz: write");
      std::abort();
    }
  }
  std::string path;
  int fd = -1;
};

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "catalogue_fuzz: %s\n", what);
  std::abort();
}

void CheckLanguage(const std::uint8_t* data) {
  const std::array<std::uint8_t, 4> digits{data[0], data[1], data[2], data[3]};
  const int image = firmware::ApplicationImageNumber(digits);
  // 1, 2, 3 and then 5, 6 or 7 choose 702 to 704; anything else 701.
  int expected = 701;
  if (digits[0] == 1 && digits[1] == 2 && digits[2] == 3) {
    if (digits[3] == 5) expected = 702;
    if (digits[3] == 6) expected = 703;
    if (digits[3] == 7) expected = 704;
  }
  if (image != expected) Fail("the language digits chose the wrong application image");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const CatalogueFile file;
  if (size >= 4) CheckLanguage(data);

  file.Write(data, size);
  const std::string_view catalogue(reinterpret_cast<const char*>(data), size);
  // What the caller's text holds before: a short text and 'x' to the end.
  std::vector<char> before(80, 'x');
  std::snprintf(before.data(), before.size(), "%s", "as before");
  for (int number = firmware::kKernelImage; number <= firmware::kLastApplicationImage; ++number) {
    const std::string image = firmware::ImagePath(number);
    // Exactly 80 bytes on the heap, so a write past them is caught.
    std::vector<char> out = before;
    if (!firmware::LookUpVersion(file.path, out, image.c_str()))
      Fail("a readable catalogue was reported unreadable");
    if (out == before) continue;  // no matching line: left as it was

    const auto end = std::find(out.begin(), out.end(), '\0');
    if (end == out.end()) Fail("the version is not NUL-terminated within its 80 bytes");
    const std::string version(out.begin(), end);
    if (version.find(',') != std::string::npos) Fail("the version holds a comma");
    if (catalogue.find("," + version) == std::string_view::npos)
      Fail("the version is not text after a comma of the catalogue");
  }
  return 0;
}
