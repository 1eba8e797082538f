#pragma once
// TThreadComm: the serial port itself. Settings with their setter rules, the
// recursive port lock, Open/Close/Read/Write, and one event thread per open
// port that hands each event to the main thread and waits until it has been
// dispatched to the handlers. All handlers run on the main thread, and the
// port is used from the main thread only (a handler may close it).

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

#include "comm/comm_types.h"
#include "comm/main_thread.h"
#include "comm/port_errors.h"
#include "comm/serial_platform.h"

namespace comm {

class TThreadComm;

// The component's error: the message with its "(Error: %d)" filled in.
class CommError : public std::runtime_error {
 public:
  CommError(const char* format, int code);
  int Code() const { return code_; }

 private:
  int code_;
};

// Source of received bytes for the line assembly; the port is one.
class ByteReader {
 public:
  virtual ~ByteReader() = default;
  virtual std::int32_t Read(void* buffer, std::int32_t count) = 0;
};

// The five special characters, owned by the port. Setting one rewrites the
// owner's line settings (without taking the port lock).
class TCommEventChars {
 public:
  explicit TCommEventChars(TThreadComm* owner) : owner_(owner) {}

  char XOnChar() const { return chars_[0]; }
  char XOffChar() const { return chars_[1]; }
  char ErrorChar() const { return chars_[2]; }
  char EofChar() const { return chars_[3]; }
  char EvtChar() const { return chars_[4]; }
  void SetXOnChar(char c) { SetEventChar(1, c); }
  void SetXOffChar(char c) { SetEventChar(2, c); }
  void SetErrorChar(char c) { SetEventChar(3, c); }
  void SetEofChar(char c) { SetEventChar(4, c); }
  void SetEvtChar(char c) { SetEventChar(5, c); }

  // Copies all five characters (the owner stays).
  void Assign(const TCommEventChars& source);

 private:
  void SetEventChar(int index, char c);

  TThreadComm* owner_;
  char chars_[5] = {0x11, 0x13, 0, 0, 0};
};

using TNotifyEvent = std::function<void(TThreadComm& sender)>;
using TRxCharEvent = std::function<void(TThreadComm& sender, std::uint32_t count)>;
using TCommErrorEvent = std::function<void(TThreadComm& sender, std::int32_t errors)>;
using TComStatEvent =
    std::function<void(TThreadComm& sender, std::uint32_t status, TComStat comStat)>;

class TThreadComm : public ByteReader {
 public:
  // `dispatcher` runs the event hand-over on the main thread and must
  // outlive the port. Without a platform the system's own is used.
  explicit TThreadComm(MainThreadDispatcher& dispatcher,
                       std::unique_ptr<SerialPlatform> platform = nullptr);
  ~TThreadComm() override;
  TThreadComm(const TThreadComm&) = delete;
  TThreadComm& operator=(const TThreadComm&) = delete;

  // Opens DeviceName and starts the event thread. A port that cannot be
  // opened leaves Connected() false and raises nothing; LastOpenError()
  // says why. Raises CommError: "Port already assigned (open) (Error: -1)",
  // "Error initializing Read/Write Buffers (Error: %d)" (after the port is
  // fully open), "Error updating DataControlBlock (Error: %d)".
  void Open();
  // Stops the event thread and closes the port without waiting for the
  // device. No handler runs after it returns. Nothing while closed.
  void Close();
  bool Connected() const { return connected_; }
  // Bytes written or read; -1 when the port is not open.
  std::int32_t Write(const void* buffer, std::int32_t count);
  std::int32_t Read(void* buffer, std::int32_t count) override;

  // Why the last Open left the port closed (Kind None after a success).
  const PortError& LastOpenError() const { return openError_; }

  // Frozen while open: the setter is ignored.
  const std::string& DeviceName() const { return deviceName_; }
  void SetDeviceName(const std::string& name);
  std::uint16_t ReadBufSize() const { return readBufSize_; }
  void SetReadBufSize(std::uint16_t size);
  std::uint16_t WriteBufSize() const { return writeBufSize_; }
  void SetWriteBufSize(std::uint16_t size);
  std::uint32_t SuspendTime() const { return suspendTime_; }
  void SetSuspendTime(std::uint32_t ms);
  TCommEvents MonitorEvents() const { return monitorEvents_; }
  void SetMonitorEvents(TCommEvents events);

  // Applied to an open port at once.
  TBaudRate BaudRate() const { return baudRate_; }
  void SetBaudRate(TBaudRate rate);
  TParity Parity() const { return parity_; }
  void SetParity(TParity parity);
  TStopBits StopBits() const { return stopBits_; }
  void SetStopBits(TStopBits bits);
  TDataBits DataBits() const { return dataBits_; }
  void SetDataBits(TDataBits bits);
  TCommOptions Options() const { return options_; }
  void SetOptions(TCommOptions options);
  TFlowControl FlowControl() const { return flowControl_; }
  void SetFlowControl(TFlowControl flow);

  TCommEventChars& EventChars() { return eventChars_; }

  // Stored only.
  std::int32_t ReadTimeout() const { return readTimeout_; }
  void SetReadTimeout(std::int32_t ms) { readTimeout_ = ms; }
  std::int32_t WriteTimeout() const { return writeTimeout_; }
  void SetWriteTimeout(std::int32_t ms) { writeTimeout_ = ms; }

  // Handlers, called on the main thread in this order for one event.
  TNotifyEvent OnBreak, OnCts, OnDsr;
  TCommErrorEvent OnError;
  TNotifyEvent OnRing, OnRlsd;
  TRxCharEvent OnRxChar;
  TNotifyEvent OnRxFlag, OnTxEmpty;
  TComStatEvent OnComStatEvent;

 protected:
  // Opens the platform handle; sets the connected flag on success.
  virtual void OpenHandle();

 private:
  friend class TCommEventChars;
  struct Handover;

  // Writes the line settings to an open port; raises on failure.
  void ApplyCommState();
  void CloseHandle();
  void EventThreadMain(SerialHandle* handle);
  // Waits until the main thread has dispatched `mask`; false when closed.
  bool HandOver(std::uint32_t mask);
  void DoSignal(std::uint32_t mask);
  void DispatchEvent(std::uint32_t mask);

  MainThreadDispatcher& dispatcher_;
  std::unique_ptr<SerialPlatform> platform_;
  std::unique_ptr<SerialHandle> handle_;
  std::recursive_mutex lock_;

  std::string deviceName_ = "Com2";
  std::int32_t readTimeout_ = 1000;
  std::int32_t writeTimeout_ = 1000;
  std::uint16_t readBufSize_ = 4096;
  std::uint16_t writeBufSize_ = 2048;
  std::uint32_t suspendTime_ = 5;
  TCommEvents monitorEvents_ = kAllCommEvents;
  TBaudRate baudRate_ = br9600;
  TParity parity_ = paNone;
  TStopBits stopBits_ = sb10;
  TDataBits dataBits_ = da8;
  bool connected_ = false;
  TCommEventChars eventChars_{this};
  TCommOptions options_ = 0;
  TFlowControl flowControl_ = fcDefault;
  PortError openError_;

  // The event thread and its hand-over; signalEnabled_ is the thread's
  // OnSignal, cleared first by Close.
  std::thread eventThread_;
  bool signalEnabled_ = false;
  std::mutex handoverMutex_;
  bool stopping_ = false;
  std::shared_ptr<Handover> current_;
};

}  // namespace comm
