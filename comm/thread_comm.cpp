#include "comm/thread_comm.h"

#include <pthread.h>

#include <cstdio>
#include <system_error>

namespace comm {
namespace {

std::string FormatError(const char* format, int code) {
  char text[160];
  std::snprintf(text, sizeof text, format, code);
  return text;
}

}  // namespace

CommError::CommError(const char* format, int code)
    : std::runtime_error(FormatError(format, code)), code_(code) {}

void TCommEventChars::Assign(const TCommEventChars& source) {
  for (int i = 0; i < 5; ++i) chars_[i] = source.chars_[i];
}

void TCommEventChars::SetEventChar(int index, char c) {
  chars_[index - 1] = c;
  if (owner_ != nullptr) owner_->ApplyCommState();
}

// One event on its way to the main thread. The event thread waits on it
// until the dispatch is done or Close cancels it.
struct TThreadComm::Handover {
  std::mutex mutex;
  std::condition_variable changed;
  bool done = false;
  bool cancelled = false;
};

TThreadComm::TThreadComm(MainThreadDispatcher& dispatcher, std::unique_ptr<SerialPlatform> platform)
    : dispatcher_(dispatcher),
      platform_(platform ? std::move(platform) : MakeSystemSerialPlatform()) {}

TThreadComm::~TThreadComm() { Close(); }

void TThreadComm::OpenHandle() {
  handle_ = platform_->Open(deviceName_, openError_);
  connected_ = handle_ != nullptr;
}

void TThreadComm::Open() {
  std::unique_lock lock(lock_);
  if (connected_) throw CommError("Port already assigned (open) (Error: %d)", -1);

  OpenHandle();
  if (!connected_) return;
  // Time-outs: the platform's Read and Write carry them; nothing to set.
  try {
    ApplyCommState();
  } catch (const CommError&) {
    // A port whose line cannot be set is of no use; do not leave it open
    // without its event thread.
    CloseHandle();
    throw;
  }
  int pendingError = 0;
  if (!handle_->SetQueueSizes(readBufSize_, writeBufSize_)) pendingError = handle_->LastError();

  handle_->SetEventMask(EventWaitMask(monitorEvents_));
  {
    std::lock_guard guard(handoverMutex_);
    stopping_ = false;
    current_.reset();
  }
  signalEnabled_ = true;
  try {
    eventThread_ = std::thread(&TThreadComm::EventThreadMain, this, handle_.get());
  } catch (const std::system_error&) {
    signalEnabled_ = false;
    CloseHandle();
    return;
  }
  lock.unlock();
  if (pendingError != 0)
    throw CommError("Error initializing Read/Write Buffers (Error: %d)", pendingError);
}

void TThreadComm::Close() {
  if (!connected_) return;
  std::lock_guard lock(lock_);
  signalEnabled_ = false;
  {
    std::lock_guard guard(handoverMutex_);
    stopping_ = true;
    if (current_) {
      {
        std::lock_guard callGuard(current_->mutex);
        current_->cancelled = true;
      }
      current_->changed.notify_all();
    }
  }
  handle_->CancelWait();
  if (eventThread_.joinable()) eventThread_.join();
  CloseHandle();
}

void TThreadComm::CloseHandle() {
  handle_.reset();
  connected_ = false;
}

std::int32_t TThreadComm::Write(const void* buffer, std::int32_t count) {
  if (!connected_) return -1;
  std::lock_guard lock(lock_);
  return handle_->Write(buffer, count);
}

std::int32_t TThreadComm::Read(void* buffer, std::int32_t count) {
  if (!connected_) return -1;
  std::lock_guard lock(lock_);
  if (count <= 0) return 0;
  return handle_->Read(buffer, count);
}

void TThreadComm::ApplyCommState() {
  if (!connected_) return;
  LineSettings s;
  s.BaudRate = BaudRateValue(baudRate_);
  s.Parity = parity_;
  s.StopBits = stopBits_;
  s.ByteSize = 4 + dataBits_;
  s.XonChar = eventChars_.XOnChar();
  s.XoffChar = eventChars_.XOffChar();
  s.ErrorChar = eventChars_.ErrorChar();
  s.EofChar = eventChars_.EofChar();
  s.EvtChar = eventChars_.EvtChar();
  s.Options = options_;
  s.FlowControl = flowControl_;
  handle_->SetQueueSizes(readBufSize_, writeBufSize_);
  if (const int error = handle_->ApplyLineSettings(s); error != 0) {
    throw CommError("Error updating DataControlBlock (Error: %d)", error);
  }
}

void TThreadComm::SetDeviceName(const std::string& name) {
  if (!connected_ && name != deviceName_) deviceName_ = name;
}
void TThreadComm::SetReadBufSize(std::uint16_t size) {
  if (!connected_) readBufSize_ = size;
}
void TThreadComm::SetWriteBufSize(std::uint16_t size) {
  if (!connected_) writeBufSize_ = size;
}
void TThreadComm::SetSuspendTime(std::uint32_t ms) {
  if (!connected_) suspendTime_ = ms;
}
void TThreadComm::SetMonitorEvents(TCommEvents events) {
  if (!connected_) monitorEvents_ = events;
}

// The line-setting setters store, then rewrite an open port's settings.
#define AISFW_LINE_SETTER(Name, Type, field) \
  void TThreadComm::Set##Name(Type value) {  \
    if (value == field) return;              \
    field = value;                           \
    std::lock_guard lock(lock_);             \
    ApplyCommState();                        \
  }
AISFW_LINE_SETTER(BaudRate, TBaudRate, baudRate_)
AISFW_LINE_SETTER(Parity, TParity, parity_)
AISFW_LINE_SETTER(StopBits, TStopBits, stopBits_)
AISFW_LINE_SETTER(DataBits, TDataBits, dataBits_)
AISFW_LINE_SETTER(Options, TCommOptions, options_)
AISFW_LINE_SETTER(FlowControl, TFlowControl, flowControl_)
#undef AISFW_LINE_SETTER

void TThreadComm::EventThreadMain(SerialHandle* handle) {
  // Named, so that a thread left behind says whose it is.
  pthread_setname_np(pthread_self(), "aisfw-port");
  for (;;) {
    const std::uint32_t mask = handle->WaitEvent();
    if (mask == 0 || !HandOver(mask)) break;
  }
  handle->Purge();
}

bool TThreadComm::HandOver(std::uint32_t mask) {
  auto call = std::make_shared<Handover>();
  {
    std::lock_guard guard(handoverMutex_);
    if (stopping_) return false;
    current_ = call;
  }
  // The task holds the hand-over, not the port's life: once Close has
  // cancelled it, it returns without touching the port.
  dispatcher_.Post([this, call, mask] {
    {
      std::lock_guard guard(call->mutex);
      if (call->cancelled) return;
    }
    DoSignal(mask);
    {
      std::lock_guard guard(call->mutex);
      call->done = true;
    }
    call->changed.notify_all();
  });
  std::unique_lock wait(call->mutex);
  call->changed.wait(wait, [&] { return call->done || call->cancelled; });
  return !call->cancelled;
}

void TThreadComm::DoSignal(std::uint32_t mask) {
  if (signalEnabled_) DispatchEvent(mask);
}

void TThreadComm::DispatchEvent(std::uint32_t mask) {
  std::int32_t errors = 0;
  TComStat status;
  handle_->ClearError(errors, status);

  // A handler may close the port; then no further handler runs.
  const auto live = [this] { return connected_ && signalEnabled_; };
  const auto notify = [&](std::uint32_t bit, const TNotifyEvent& handler) {
    if ((mask & bit) && handler && live()) handler(*this);
  };
  notify(EV_BREAK, OnBreak);
  notify(EV_CTS, OnCts);
  notify(EV_DSR, OnDsr);
  if ((mask & EV_ERR) && OnError && live()) OnError(*this, errors);
  notify(EV_RING, OnRing);
  notify(EV_RLSD, OnRlsd);
  if ((mask & EV_RXCHAR) && OnRxChar && status.cbInQue > 0 && live())
    OnRxChar(*this, status.cbInQue);
  notify(EV_RXFLAG, OnRxFlag);
  notify(EV_TXEMPTY, OnTxEmpty);
  if (OnComStatEvent && live()) OnComStatEvent(*this, mask, status);
}

}  // namespace comm
