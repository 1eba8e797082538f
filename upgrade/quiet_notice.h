#pragma once
// The wizard's decision that the device has been quiet for a while, as a
// front end gets it: what the wizard waits for, where the transfer stands,
// and for how long there has been no answer.

#include <cstdint>

namespace upgrade {

// What the wizard waits for from the device.
enum class AwaitedAnswer : std::uint8_t {
  None,
  PartReady,   // the answer to a part request: ready for the kernel or the application
  BlockReply,  // a block's acknowledgement, the request for the sum, or the verdict
};

// A notice comes after this long without an answer, and again each time as
// long again has passed.
inline constexpr int kQuietNoticeSeconds = 10;

struct QuietNotice {
  AwaitedAnswer awaiting = AwaitedAnswer::None;
  int part = 0;             // 1 kernel, 2 application
  std::uint32_t block = 0;  // BlockReply: the block last sent, of `total`
  std::uint32_t total = 0;
  int seconds = 0;  // since the device last answered, a multiple of kQuietNoticeSeconds
};

}  // namespace upgrade
