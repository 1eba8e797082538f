#include "firmware/catalogue.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace firmware {

int ApplicationImageNumber(std::span<const std::uint8_t, 4> language) {
  if (language[0] != 1 || language[1] != 2 || language[2] != 3) return 701;
  switch (language[3]) {
    case 5:
      return 702;
    case 6:
      return 703;
    case 7:
      return 704;
    default:
      return 701;
  }
}

namespace {

// The path as written on either kind of system.
bool LineNamesImage(const char* line, const std::string& slashes, const std::string& backslashes) {
  return std::strstr(line, slashes.c_str()) != nullptr ||
         std::strstr(line, backslashes.c_str()) != nullptr;
}

}  // namespace

bool LookUpVersion(const std::filesystem::path& catalogue, std::span<char> out,
                   const char* imagePath) {
  std::FILE* file = std::fopen(catalogue.c_str(), "r");
  if (file == nullptr) return false;

  std::string slashes = imagePath, backslashes = imagePath;
  for (char& c : slashes) c = c == '\\' ? '/' : c;
  for (char& c : backslashes) c = c == '/' ? '\\' : c;

  char piece[kCatalogueReadBuffer];
  while (std::fgets(piece, sizeof piece, file) != nullptr) {
    if (!LineNamesImage(piece, slashes, backslashes)) continue;
    const char* comma = std::strchr(piece, ',');
    if (comma != nullptr && !out.empty()) {
      const char* from = comma;
      while (*from == ',') ++from;
      std::size_t length = std::strcspn(from, ",");
      length = std::min(length, out.size() - 1);
      std::memcpy(out.data(), from, length);
      out[length] = '\0';
    }
    break;
  }
  // A catalogue that cannot be read (a folder in its place, an I/O error)
  // is as good as a missing one.
  const bool readable = std::ferror(file) == 0;
  std::fclose(file);
  return readable;
}

}  // namespace firmware
