#pragma once
// Whole files of bytes on disk, for building images: every failure comes back
// with its reason, and a write counts only once its close succeeded (a full
// disk shows no sooner than the close).

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace firmware {

// Reads the whole file into `bytes`. False, with the reason in `error`, when
// it cannot be opened or a read fails (a directory, an I/O error).
bool ReadFileBytes(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
                   std::string& error);

// Creates or truncates the file and writes `bytes` to it. True only when
// every byte was written and the file closed without error; otherwise false,
// with the reason in `error`.
bool WriteFileBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                    std::string& error);

}  // namespace firmware
