// No dynamic allocation per sentence on the parse path: this executable
// replaces the global operator new with one that counts, then runs every
// corpus log through a whole NmeaStack (library and record store).

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "store/nmea_stack.h"
#include "tests/corpus_lines.h"

namespace {
// The one global here: what operator new is asked for, process-wide.
std::size_t allocations = 0;
}  // namespace

void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace store {
namespace {

TEST(ParseAllocation, NoneWhileParsingOrComposing) {
  const std::vector<std::string> lines = corpus::ReceiverLogLines();
  ASSERT_GT(lines.size(), 9000u);
  const auto stack = std::make_unique<NmeaStack>();
  nmea::SentenceRecord record{};
  std::array<char, 100> out{};

  const std::size_t before = allocations;
  std::size_t accepted = 0;
  for (int pass = 0; pass < 2; ++pass) {
    for (const std::string& line : lines) accepted += stack->library.ParseSentence(line, record);
    for (const char* f : {"DBG", "TST", "TPS", "RMC", "VDM"}) {
      stack->library.ComposeSentence(out, record, f, "P");
    }
  }
  EXPECT_EQ(allocations - before, 0u);
  EXPECT_GT(accepted, 0u);

  // The counter does count: a string that outgrows its small buffer allocates.
  const std::string big(100, 'x');
  EXPECT_GT(allocations - before, 0u);
}

}  // namespace
}  // namespace store
