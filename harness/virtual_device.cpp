#include "harness/virtual_device.h"

namespace harness {

VirtualDevice::VirtualDevice(std::shared_ptr<comm::MemoryLine> line, sim::TransponderConfig config)
    : line_(std::move(line)), transponder_(std::move(config)) {
  line_->SetHostWriteHook([this](std::string_view bytes) { FromHost(bytes); });
}

VirtualDevice::~VirtualDevice() { line_->SetHostWriteHook(nullptr); }

void VirtualDevice::FromHost(std::string_view bytes) {
  line_->TakeFromHost();  // the hook has them; nothing else reads the line's copy
  transponder_.SetHostBaud(line_->Settings().BaudRate);
  transponder_.Receive(bytes);
}

void VirtualDevice::Advance(std::int64_t ms) {
  transponder_.SetHostBaud(line_->Settings().BaudRate);
  transponder_.Advance(ms);
  Deliver();
}

void VirtualDevice::Deliver() {
  // Output nobody has the line open for is lost, as on a real line.
  const std::string out = transponder_.TakeOutput();
  if (line_->IsOpen() && !out.empty()) {
    line_->SendToHost(out);
    if (tap_) tap_(transponder_.Now(), out);
  }
  if (transponder_.HungUp() && !line_->IsHungUp()) line_->HangUp();
}

}  // namespace harness
