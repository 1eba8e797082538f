#include "firmware/code_block.h"

#include <algorithm>

namespace firmware {

bool BlockSum16(std::uint8_t* block) {
  if (block == nullptr) return false;
  // A length beyond the data area never passes validation; never sum past it.
  const unsigned n = std::min<unsigned>(BlockDataLength(block), kDataAreaSize);
  std::uint16_t sum = 0;
  for (unsigned i = 0; i < n; ++i) sum = static_cast<std::uint16_t>(sum + block[kDataOffset + i]);
  block[kCheckOffset] = static_cast<std::uint8_t>(sum & 0xFF);
  block[kCheckOffset + 1] = static_cast<std::uint8_t>(sum >> 8);
  return true;
}

std::size_t PrepareWireBlock(BlockBuffer& block, bool withSum16) {
  if (!withSum16) return kBlockSize;
  BlockSum16(block.data());
  return kWireBlockWithSum16;
}

}  // namespace firmware
