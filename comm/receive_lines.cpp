#include "comm/receive_lines.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace comm {

void ReceiveLineAssembler::OnRxChar(ByteReader& port, std::uint32_t count) {
  char buffer[kReceiveBufferSize];
  std::uint32_t left = count;
  while (left > 0) {
    const auto want =
        static_cast<std::int32_t>(std::min<std::uint32_t>(left, kReceiveBufferSize - 1));
    const std::int32_t got = port.Read(buffer, want);
    if (got <= 0) return;
    buffer[got] = '\0';
    Receive(buffer, static_cast<std::size_t>(got));
    if (got < want) return;
    left -= static_cast<std::uint32_t>(got);
  }
}

void ReceiveLineAssembler::Receive(const char* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const char c = bytes[i];
    if (c == '\0' || c == '\r') continue;
    if (c == '\n') {
      CompleteLine();
    } else if (rxLine_.size() < kLoggedLineLength) {
      rxLine_ += c;
    } else {
      ++dropped_;
    }
  }
}

void ReceiveLineAssembler::CompleteLine() {
  if (dropped_ > 0) {
    rxLine_ += " ... (" + std::to_string(dropped_) +
               (dropped_ == 1 ? " more byte" : " more bytes") + " dropped)";
    dropped_ = 0;
  }
  consumers_.LogReceivedLine(rxLine_);
  if (rxLine_.size() > kMaxLineLength) {
    rxLine_.clear();
    return;
  }
  char handover[104];
  std::memcpy(handover, rxLine_.data(), rxLine_.size());
  std::memcpy(handover + rxLine_.size(), "\r\n", 3);
  rxLine_.clear();
  consumers_.OnDeviceLine(handover);
  consumers_.WatchTextLine(handover);
}

}  // namespace comm
