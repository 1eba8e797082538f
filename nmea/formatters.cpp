#include "nmea/formatters.h"

#include <algorithm>
#include <cstring>

namespace nmea {
namespace {

// A formatter packed into one number, characters taken as unsigned bytes;
// a shorter name ("Q") is padded with NULs.
constexpr std::uint32_t Key(std::string_view formatter) {
  std::uint32_t key = 0;
  for (std::size_t i = 0; i < 3; ++i) {
    key = key << 8 | (i < formatter.size() ? static_cast<unsigned char>(formatter[i]) : 0u);
  }
  return key;
}

constexpr std::size_t kRows = std::size(kFormatters);

// The rows by key, for a binary search: every sentence looks its formatter
// up, once.
struct Entry {
  std::uint32_t key;
  std::uint8_t row;
  std::uint8_t familySlot;
};

constexpr std::array<Entry, kRows> SortedEntries() {
  std::array<Entry, kRows> entries{};
  std::array<std::uint8_t, 256> nextSlot{};
  for (std::size_t i = 0; i < kRows; ++i) {
    const FormatterRow& row = kFormatters[i];
    entries[i] = {Key(row.name), static_cast<std::uint8_t>(i), nextSlot[row.category]++};
  }
  std::sort(entries.begin(), entries.end(), [](Entry a, Entry b) { return a.key < b.key; });
  return entries;
}
constexpr auto kSorted = SortedEntries();

// The rows hold what the rest of the library takes for granted.
constexpr bool RowsWellFormed() {
  for (std::size_t i = 1; i < kRows; ++i) {
    if (kSorted[i - 1].key >= kSorted[i].key) return false;  // each formatter once
  }
  for (const FormatterRow& row : kFormatters) {
    const bool query = row.name == "Q";
    if (row.name.size() != (query ? 1u : 3u)) return false;
    if (query != (row.category == CategoryQuery)) return false;
    // Only a parsed formatter has a field count and fields to print, and
    // only one with a category is kept (and encoded) by the store.
    if ((row.parse == nullptr) != row.body.empty()) return false;
    if (row.parse == nullptr && (row.compose != nullptr || row.fields.most != 0)) return false;
    if (row.parse != nullptr && row.fields.step == 0) return false;
    if (row.encoded && (row.category == CategoryNone || row.category == CategoryOther))
      return false;
    if (row.ring && (row.category != CategoryAis || row.compose == nullptr)) {
      return false;
    }
  }
  return true;
}
static_assert(RowsWellFormed());

const Entry* Find(std::string_view formatter) {
  if (formatter.empty() || formatter.size() > 3) return nullptr;
  const std::uint32_t key = Key(formatter);
  const auto* it = std::lower_bound(kSorted.begin(), kSorted.end(), key,
                                    [](const Entry& e, std::uint32_t k) { return e.key < k; });
  return it != kSorted.end() && it->key == key ? &*it : nullptr;
}

}  // namespace

const FormatterRow* FindFormatter(std::string_view formatter) {
  const Entry* entry = Find(formatter);
  return entry == nullptr ? nullptr : &kFormatters[entry->row];
}

const FormatterRow* FindFormatter(const SentenceRecord& record) {
  return FindFormatter(std::string_view(record.formatter, strnlen(record.formatter, 3)));
}

int FamilySlot(const FormatterRow& row) { return Find(row.name)->familySlot; }

}  // namespace nmea
