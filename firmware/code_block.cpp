#include "firmware/code_block.h"

namespace firmware {

bool BlockSum16(std::uint8_t* block) {
  if (block == nullptr) return false;
  const std::uint16_t sum = SumCode(CodeBytes(block)).sum16;
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
