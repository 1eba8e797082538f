#include "comm/memory_serial.h"

#include <cerrno>
#include <cstring>

#include "comm/comm_types.h"
#include "comm/port_errors.h"

namespace comm {

void MemoryLine::SendToHost(std::string_view bytes) {
  if (bytes.empty()) return;
  {
    std::lock_guard lock(mutex_);
    if (hungUp_) return;
    toHost_.append(bytes);
    sentToHost_ += bytes.size();
  }
  changed_.notify_all();
}

std::string MemoryLine::TakeFromHost() {
  std::lock_guard lock(mutex_);
  std::string bytes;
  bytes.swap(fromHost_);
  return bytes;
}

void MemoryLine::SetHostWriteHook(std::function<void(std::string_view)> hook) {
  std::lock_guard lock(mutex_);
  hook_ = std::move(hook);
}

void MemoryLine::HangUp() {
  {
    std::lock_guard lock(mutex_);
    hungUp_ = true;
  }
  changed_.notify_all();
}

void MemoryLine::FailSettings(int error) {
  std::lock_guard lock(mutex_);
  failSettings_ = error;
}

bool MemoryLine::IsOpen() const {
  std::lock_guard lock(mutex_);
  return open_;
}

bool MemoryLine::IsHungUp() const {
  std::lock_guard lock(mutex_);
  return hungUp_;
}

std::size_t MemoryLine::PendingToHost() const {
  std::lock_guard lock(mutex_);
  return toHost_.size();
}

LineSettings MemoryLine::Settings() const {
  std::lock_guard lock(mutex_);
  return settings_;
}

int MemoryLine::SettingsApplied() const {
  std::lock_guard lock(mutex_);
  return settingsApplied_;
}

bool MemoryLine::HangUpReported() const {
  std::lock_guard lock(mutex_);
  return hangUpReported_;
}

bool MemoryLine::Settled() const {
  std::lock_guard lock(mutex_);
  if (!open_) return true;
  return toHost_.empty() && (!hungUp_ || hangUpReported_) && eventsDispatched_ == eventsReported_;
}

// The host's side of an open line.
class MemorySerialHandle final : public SerialHandle {
 public:
  explicit MemorySerialHandle(std::shared_ptr<MemoryLine> line) : line_(std::move(line)) {}

  ~MemorySerialHandle() override {
    std::lock_guard lock(line_->mutex_);
    line_->open_ = false;
    line_->toHost_.clear();
  }

  bool SetQueueSizes(std::uint32_t, std::uint32_t) override { return true; }

  int ApplyLineSettings(const LineSettings& settings) override {
    std::lock_guard lock(line_->mutex_);
    if (line_->failSettings_ != 0) return lastError_ = line_->failSettings_;
    line_->settings_ = settings;
    ++line_->settingsApplied_;
    return 0;
  }

  void SetEventMask(std::uint32_t mask) override {
    std::lock_guard lock(line_->mutex_);
    mask_ = mask;
  }

  std::uint32_t WaitEvent() override {
    MemoryLine& l = *line_;
    std::unique_lock lock(l.mutex_);
    for (;;) {
      if (l.cancelled_) return 0;
      // What arrived before a hang-up is still read, as from a real line.
      if ((mask_ & EV_RXCHAR) && !l.toHost_.empty() && l.sentToHost_ > l.reportedArrivals_) {
        l.reportedArrivals_ = l.sentToHost_;
        ++l.eventsReported_;
        return EV_RXCHAR;
      }
      if (l.hungUp_ && !l.hangUpReported_) {
        l.hangUpReported_ = true;
        errors_ |= CE_HANGUP;
        if (mask_ & EV_ERR) {
          ++l.eventsReported_;
          return EV_ERR;
        }
      }
      l.changed_.wait(lock);
    }
  }

  void CancelWait() override {
    {
      std::lock_guard lock(line_->mutex_);
      line_->cancelled_ = true;
    }
    line_->changed_.notify_all();
  }

  void ClearError(std::int32_t& errors, TComStat& status) override {
    std::lock_guard lock(line_->mutex_);
    // The main thread takes up an event by reading the line's status first.
    if (line_->eventsDispatched_ < line_->eventsReported_) ++line_->eventsDispatched_;
    errors = errors_;
    errors_ = 0;
    status = {};
    status.cbInQue = static_cast<std::uint32_t>(line_->toHost_.size());
  }

  std::int32_t Read(void* buffer, std::int32_t count) override {
    std::lock_guard lock(line_->mutex_);
    if (count <= 0) return 0;
    const std::size_t n = std::min(line_->toHost_.size(), static_cast<std::size_t>(count));
    std::memcpy(buffer, line_->toHost_.data(), n);
    line_->toHost_.erase(0, n);
    return static_cast<std::int32_t>(n);
  }

  std::int32_t Write(const void* buffer, std::int32_t count) override {
    std::function<void(std::string_view)> hook;
    const std::string_view bytes(static_cast<const char*>(buffer),
                                 count > 0 ? static_cast<std::size_t>(count) : 0);
    {
      std::lock_guard lock(line_->mutex_);
      if (line_->hungUp_) {
        lastError_ = EIO;
        return 0;
      }
      line_->fromHost_.append(bytes);
      hook = line_->hook_;
    }
    if (hook) hook(bytes);
    return count;
  }

  void Purge() override {
    std::lock_guard lock(line_->mutex_);
    line_->toHost_.clear();
  }

  int LastError() const override { return lastError_; }

 private:
  std::shared_ptr<MemoryLine> line_;
  std::uint32_t mask_ = 0;
  std::int32_t errors_ = 0;
  int lastError_ = 0;
};

namespace {

class MemorySerialPlatform final : public SerialPlatform {
 public:
  explicit MemorySerialPlatform(MemoryPorts& ports) : ports_(ports) {}
  std::unique_ptr<SerialHandle> Open(const std::string& name, PortError& error) override {
    return ports_.Open(name, error);
  }

 private:
  MemoryPorts& ports_;
};

}  // namespace

std::shared_ptr<MemoryLine> MemoryPorts::Add(const std::string& name) {
  std::lock_guard lock(mutex_);
  Port& port = ports_[PortDevicePath(name)];
  if (!port.line) port.line = std::make_shared<MemoryLine>();
  return port.line;
}

std::shared_ptr<MemoryLine> MemoryPorts::Replace(const std::string& name) {
  std::lock_guard lock(mutex_);
  Port& port = ports_[PortDevicePath(name)];
  port.line = std::make_shared<MemoryLine>();
  return port.line;
}

std::shared_ptr<MemoryLine> MemoryPorts::Line(const std::string& name) const {
  std::lock_guard lock(mutex_);
  const auto it = ports_.find(PortDevicePath(name));
  return it == ports_.end() ? nullptr : it->second.line;
}

void MemoryPorts::SetHeldElsewhere(const std::string& name, bool held) {
  std::lock_guard lock(mutex_);
  const auto it = ports_.find(PortDevicePath(name));
  if (it != ports_.end()) it->second.heldElsewhere = held;
}

bool MemoryPorts::AllSettled() const {
  std::lock_guard lock(mutex_);
  for (const auto& [path, port] : ports_) {
    if (!port.line->Settled()) return false;
  }
  return true;
}

bool MemoryPorts::PresentPortNames(std::vector<std::string>& names) {
  std::lock_guard lock(mutex_);
  names.clear();
  for (const auto& [path, port] : ports_) {
    names.push_back(path.rfind("/dev/", 0) == 0 && path.find('/', 5) == std::string::npos
                        ? path.substr(5)
                        : path);
  }
  return true;
}

bool MemoryPorts::OpensExclusively(const std::string& name) {
  std::lock_guard lock(mutex_);
  const auto it = ports_.find(PortDevicePath(name));
  return it != ports_.end() && !it->second.heldElsewhere && !it->second.line->IsOpen();
}

std::unique_ptr<SerialPlatform> MemoryPorts::MakePlatform() {
  return std::make_unique<MemorySerialPlatform>(*this);
}

std::unique_ptr<SerialHandle> MemoryPorts::Open(const std::string& name, PortError& error) {
  const std::string path = PortDevicePath(name);
  std::shared_ptr<MemoryLine> line;
  {
    std::lock_guard lock(mutex_);
    const auto it = ports_.find(path);
    if (it == ports_.end()) {
      error = DescribeOpenError(path, ENOENT);
      return nullptr;
    }
    if (it->second.heldElsewhere) {
      error = DescribeOpenError(path, EBUSY);
      return nullptr;
    }
    line = it->second.line;
  }
  {
    std::lock_guard lock(line->mutex_);
    if (line->open_) {
      error = DescribeOpenError(path, EBUSY);
      return nullptr;
    }
    line->open_ = true;
    line->cancelled_ = false;
    line->hangUpReported_ = false;
    line->reportedArrivals_ = line->sentToHost_;
    line->eventsReported_ = line->eventsDispatched_ = 0;
    line->toHost_.clear();  // stale input, as a real open discards it
  }
  error = {};
  return std::make_unique<MemorySerialHandle>(line);
}

}  // namespace comm
