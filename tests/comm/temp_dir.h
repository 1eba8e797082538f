#pragma once
// A fresh temporary folder of the test's own (mkdtemp), removed with its
// contents at the end: two builds testing at once never share a name.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace comm::testing {

class TempDir {
 public:
  TempDir() {
    std::string pattern = ::testing::TempDir() + "aisfw-comm-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp " + pattern);
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace comm::testing
