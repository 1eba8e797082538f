// The serial port component on a real pseudo-terminal: the test holds the
// master side, the port opens the slave.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <vector>

#include "comm/comm.h"
#include "comm/line_speed.h"
#include "tests/comm/pty_pair.h"
#include "tests/temp_folder.h"

namespace comm {
namespace {

using namespace std::chrono_literals;
using testing::PtyPair;

// Deadlines are generous: the tests wait on conditions, never on time.
constexpr auto kDeadline = 10s;

// Processor time the whole process spends while the main thread runs
// `loop` for `wall`: a spinning event thread would take most of it.
std::chrono::milliseconds CpuTimeWhileWaiting(LoopDispatcher& loop,
                                              std::chrono::milliseconds wall) {
  const auto cpu = [] {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return std::chrono::seconds(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           std::chrono::microseconds(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
  };
  const auto before = cpu();
  loop.RunUntil([] { return false; }, wall);
  return std::chrono::duration_cast<std::chrono::milliseconds>(cpu() - before);
}

class SerialPort : public ::testing::Test {
 protected:
  LoopDispatcher loop_;
  PtyPair pty_;
  TComm port_{loop_};

  void SetUp() override { port_.SetDeviceName(pty_.SlavePath()); }
};

TEST_F(SerialPort, OpensAtEachRateWithTheExactSpeed) {
  for (int i = 0; i < kBaudRateCount; ++i) {
    const auto rate = static_cast<TBaudRate>(i);
    port_.SetBaudRate(rate);
    port_.Open();
    ASSERT_TRUE(port_.Connected()) << BaudRateValue(rate) << ": " << port_.LastOpenError().Message;
    // The master side reads the speed the slave side set.
    EXPECT_EQ(GetLineSpeed(pty_.Master()), BaudRateValue(rate));
    port_.Close();
    EXPECT_FALSE(port_.Connected());
  }
}

TEST_F(SerialPort, BaudRateChangeAppliesAtOnceWhileOpen) {
  port_.SetBaudRate(br9600);
  port_.Open();
  ASSERT_TRUE(port_.Connected());
  port_.SetBaudRate(br128000);
  EXPECT_EQ(GetLineSpeed(pty_.Master()), 128000u);
  port_.SetBaudRate(br4800);
  EXPECT_EQ(GetLineSpeed(pty_.Master()), 4800u);
  EXPECT_TRUE(port_.Connected());
}

TEST_F(SerialPort, SecondOpenerIsRefusedWhileTheFirstHoldsThePort) {
  port_.Open();
  ASSERT_TRUE(port_.Connected());
  // Also as root, which TIOCEXCL alone would let through.
  TComm second(loop_);
  second.SetDeviceName(pty_.SlavePath());
  second.Open();
  EXPECT_FALSE(second.Connected());
  EXPECT_EQ(second.LastOpenError().Kind, PortErrorKind::Busy);
  EXPECT_NE(second.LastOpenError().Message.find("pid " + std::to_string(getpid())),
            std::string::npos)
      << second.LastOpenError().Message;

  port_.Close();
  second.Open();
  EXPECT_TRUE(second.Connected()) << second.LastOpenError().Message;
}

TEST_F(SerialPort, NameAndQueueSizesAreFrozenWhileOpen) {
  port_.Open();
  ASSERT_TRUE(port_.Connected());
  port_.SetDeviceName("/dev/null");
  port_.SetReadBufSize(100);
  port_.SetWriteBufSize(200);
  port_.SetSuspendTime(9);
  port_.SetMonitorEvents(EventBit(evRxChar));
  EXPECT_EQ(port_.DeviceName(), pty_.SlavePath());
  EXPECT_EQ(port_.ReadBufSize(), 4096);
  EXPECT_EQ(port_.WriteBufSize(), 2048);
  EXPECT_EQ(port_.SuspendTime(), 5u);
  EXPECT_EQ(port_.MonitorEvents(), kAllCommEvents);

  port_.Close();
  port_.SetDeviceName("/dev/null");
  port_.SetReadBufSize(100);
  EXPECT_EQ(port_.DeviceName(), "/dev/null");
  EXPECT_EQ(port_.ReadBufSize(), 100);
}

TEST_F(SerialPort, DefaultsOfANewPort) {
  EXPECT_EQ(TComm(loop_).DeviceName(), "Com2");
  EXPECT_EQ(port_.BaudRate(), br9600);
  EXPECT_EQ(port_.Parity(), paNone);
  EXPECT_EQ(port_.StopBits(), sb10);
  EXPECT_EQ(port_.DataBits(), da8);
  EXPECT_EQ(port_.FlowControl(), fcDefault);
  EXPECT_EQ(port_.Options(), 0);
  EXPECT_EQ(port_.ReadTimeout(), 1000);
  EXPECT_EQ(port_.WriteTimeout(), 1000);
  EXPECT_EQ(port_.EventChars().XOnChar(), 0x11);
  EXPECT_EQ(port_.EventChars().XOffChar(), 0x13);
  EXPECT_EQ(port_.EventChars().EvtChar(), 0);
  EXPECT_EQ(EventWaitMask(kAllCommEvents), 0x1FFu);
}

TEST_F(SerialPort, ClosedPortReadsAndWritesMinusOne) {
  char buffer[4] = {};
  EXPECT_EQ(port_.Read(buffer, 4), -1);
  EXPECT_EQ(port_.Write("abc", 3), -1);
  port_.Close();  // closing a closed port does nothing
  EXPECT_FALSE(port_.Connected());
}

TEST_F(SerialPort, OpenOnAnOpenPortRaisesCodeMinusOne) {
  port_.Open();
  ASSERT_TRUE(port_.Connected());
  try {
    port_.Open();
    FAIL() << "no error raised";
  } catch (const CommError& e) {
    EXPECT_STREQ(e.what(), "Port already assigned (open) (Error: -1)");
    EXPECT_EQ(e.Code(), -1);
  }
  EXPECT_TRUE(port_.Connected());
}

TEST_F(SerialPort, UnopenableNamesLeaveThePortClosedWithAReason) {
  const TempFolder dir;
  const std::string regularFile = (dir.Path() / "not-a-port").string();
  std::ofstream(regularFile) << "x";
  struct Case {
    std::string name;
    PortErrorKind kind;
  } cases[] = {
      {"/dev/ttyAisfwDoesNotExist", PortErrorKind::NoSuchDevice},
      {"Com2", PortErrorKind::NoSuchDevice},  // a bare name is looked up under /dev
      {regularFile, PortErrorKind::NotASerialPort},
  };
  for (const Case& c : cases) {
    TComm port(loop_);
    port.SetDeviceName(c.name);
    EXPECT_NO_THROW(port.Open()) << c.name;
    EXPECT_FALSE(port.Connected()) << c.name;
    EXPECT_EQ(port.LastOpenError().Kind, c.kind) << c.name;
    EXPECT_NE(port.LastOpenError().Message.find(PortDevicePath(c.name)), std::string::npos)
        << port.LastOpenError().Message;
  }
}

TEST_F(SerialPort, WritesReachTheOtherEndAndReportAnEmptyOutputQueue) {
  int txEmpty = 0;
  port_.OnTxEmpty = [&](TThreadComm&) { ++txEmpty; };
  port_.Open();
  ASSERT_TRUE(port_.Connected());
  const std::string block(263, '\xC0');
  EXPECT_EQ(port_.Write(block.data(), 263), 263);
  EXPECT_EQ(pty_.Read(263), block);
  EXPECT_TRUE(loop_.RunUntil([&] { return txEmpty > 0; }, kDeadline));
}

TEST_F(SerialPort, EachArrivalGivesOneRxCharWithTheQueuedCount) {
  std::vector<std::uint32_t> counts;
  std::string received;
  port_.OnRxChar = [&](TThreadComm& sender, std::uint32_t count) {
    EXPECT_EQ(&sender, &port_);
    counts.push_back(count);
    char buffer[64];
    const std::int32_t n = sender.Read(buffer, static_cast<std::int32_t>(count));
    received.append(buffer, static_cast<std::size_t>(std::max(n, 0)));
  };
  port_.Open();
  ASSERT_TRUE(port_.Connected());

  pty_.Write("abc");
  ASSERT_TRUE(loop_.RunUntil([&] { return received.size() == 3; }, kDeadline));
  pty_.Write("defgh");
  ASSERT_TRUE(loop_.RunUntil([&] { return received.size() == 8; }, kDeadline));
  EXPECT_EQ(received, "abcdefgh");
  EXPECT_EQ(counts, (std::vector<std::uint32_t>{3, 5}));
}

TEST_F(SerialPort, UnreadBytesAreNotReportedAgainUntilMoreArrive) {
  std::vector<std::uint32_t> counts;
  int statusEvents = 0;
  port_.OnRxChar = [&](TThreadComm&, std::uint32_t count) {
    counts.push_back(count);
  };  // reads nothing
  port_.OnComStatEvent = [&](TThreadComm&, std::uint32_t, TComStat) { ++statusEvents; };
  port_.Open();
  pty_.Write("ab");
  ASSERT_TRUE(loop_.RunUntil([&] { return counts.size() == 1; }, kDeadline));
  pty_.Write("c");
  ASSERT_TRUE(loop_.RunUntil([&] { return counts.size() == 2; }, kDeadline));
  EXPECT_EQ(counts, (std::vector<std::uint32_t>{2, 3}));
  EXPECT_EQ(statusEvents, 2);
}

TEST_F(SerialPort, UnreadBytesOutsideTheMonitoredEventsDoNotSpinTheEventThread) {
  port_.SetMonitorEvents(EventBit(evError));
  port_.Open();
  ASSERT_TRUE(port_.Connected());
  pty_.Write("nobody reads this");
  EXPECT_LT(CpuTimeWhileWaiting(loop_, 500ms), 150ms);
  char buffer[32];
  EXPECT_EQ(port_.Read(buffer, 17), 17);
}

TEST_F(SerialPort, HangUpOfTheOtherEndIsReportedOnceAndCloseReturns) {
  std::vector<std::int32_t> errors;
  int comStatEvents = 0;
  port_.OnError = [&](TThreadComm&, std::int32_t e) { errors.push_back(e); };
  port_.OnComStatEvent = [&](TThreadComm&, std::uint32_t, TComStat) { ++comStatEvents; };
  port_.Open();
  ASSERT_TRUE(port_.Connected());

  pty_.CloseMaster();
  ASSERT_TRUE(loop_.RunUntil([&] { return !errors.empty(); }, kDeadline));
  EXPECT_TRUE(errors[0] & CE_HANGUP);
  // Quiet from then on: no event after event, and no spinning wait.
  const int eventsAtHangUp = comStatEvents;
  EXPECT_LT(CpuTimeWhileWaiting(loop_, 500ms), 150ms);
  EXPECT_EQ(errors.size(), 1u);
  EXPECT_EQ(comStatEvents, eventsAtHangUp);

  const auto start = std::chrono::steady_clock::now();
  port_.Close();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);  // a hang, not a speed target
  EXPECT_FALSE(port_.Connected());
  char buffer[4];
  EXPECT_EQ(port_.Read(buffer, 4), -1);
}

// A dispatcher that holds posted tasks until the test releases them, so an
// event can be caught half-way to the main thread.
class HoldingDispatcher final : public MainThreadDispatcher {
 public:
  void Post(std::function<void()> task) override {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
    posted_.notify_all();
  }
  bool WaitForTask() {
    std::unique_lock lock(mutex_);
    return posted_.wait_for(lock, kDeadline, [&] { return !tasks_.empty(); });
  }
  void RunAll() {
    std::vector<std::function<void()>> tasks;
    {
      std::lock_guard lock(mutex_);
      tasks.swap(tasks_);
    }
    for (auto& t : tasks) t();
  }

 private:
  std::mutex mutex_;
  std::condition_variable posted_;
  std::vector<std::function<void()>> tasks_;
};

TEST(SerialPortClose, NoHandlerRunsForAnEventPendingAtClose) {
  HoldingDispatcher dispatcher;
  PtyPair pty;
  int handlerCalls = 0;
  {
    TComm port(dispatcher);
    port.SetDeviceName(pty.SlavePath());
    port.OnRxChar = [&](TThreadComm&, std::uint32_t) { ++handlerCalls; };
    port.OnComStatEvent = [&](TThreadComm&, std::uint32_t, TComStat) { ++handlerCalls; };
    port.Open();
    ASSERT_TRUE(port.Connected());
    pty.Write("late");
    // The event thread now waits for the main thread, which closes instead:
    // Close must neither deadlock nor let the event through afterwards.
    ASSERT_TRUE(dispatcher.WaitForTask());
    port.Close();
    dispatcher.RunAll();
    EXPECT_EQ(handlerCalls, 0);
  }
  dispatcher.RunAll();  // the port is gone; a late task must not touch it
  EXPECT_EQ(handlerCalls, 0);
}

TEST_F(SerialPort, AHandlerThatClosesThePortEndsTheDispatch) {
  int rxCalls = 0;
  int laterCalls = 0;
  port_.OnRxChar = [&](TThreadComm& sender, std::uint32_t) {
    ++rxCalls;
    sender.Close();
  };
  port_.OnComStatEvent = [&](TThreadComm&, std::uint32_t, TComStat) { ++laterCalls; };
  port_.Open();
  pty_.Write("x");
  ASSERT_TRUE(loop_.RunUntil([&] { return rxCalls == 1; }, kDeadline));
  EXPECT_FALSE(port_.Connected());
  EXPECT_EQ(laterCalls, 0);
  // It opens again and receives as before.
  port_.OnRxChar = [&](TThreadComm& sender, std::uint32_t count) {
    ++rxCalls;
    char buffer[8];
    sender.Read(buffer, static_cast<std::int32_t>(count));
  };
  port_.Open();
  pty_.Write("y");
  EXPECT_TRUE(loop_.RunUntil([&] { return rxCalls == 2; }, kDeadline));
}

// The advice for a device the user may not open, by its mode, owner and
// group and the user's membership.
TEST(PortErrors, PermissionAdviceFollowsTheDevicesGroupBitsAndNeverSuggestsJoiningRoot) {
  struct Case {
    const char* what;
    std::string path;
    mode_t mode;
    uid_t owner;
    const char* ownerName;
    gid_t group;
    const char* groupName;
    bool inGroupNow, listedInGroup;
    std::vector<std::string> says;
  } cases[] = {
      {"a dialout device, user not in dialout",
       "/dev/ttyUSB0",
       S_IFCHR | 0660,
       0,
       "root",
       20,
       "dialout",
       false,
       false,
       {"not in the group 'dialout'", "sudo usermod -aG dialout ann", "log out and in again",
        "crw-rw---- root dialout"}},
      {"joined dialout after logging in",
       "/dev/ttyUSB0",
       S_IFCHR | 0660,
       0,
       "root",
       20,
       "dialout",
       false,
       true,
       {"added to the group 'dialout' after this session started", "newgrp dialout"}},
      {"in dialout and still refused",
       "/dev/ttyUSB0",
       S_IFCHR | 0660,
       0,
       "root",
       20,
       "dialout",
       true,
       true,
       {"you are in its group 'dialout'", "ask the administrator"}},
      {"root's device, no group access",
       "/dev/ttyS4",
       S_IFCHR | 0600,
       0,
       "root",
       0,
       "root",
       false,
       false,
       {"only root may open it (crw------- root root)", "udev rule", "KERNEL==\"ttyS4\"",
        "GROUP=\"dialout\"", "sudo"}},
      {"root's group may use it: still not a group to join",
       "/dev/ttyACM0",
       S_IFCHR | 0660,
       0,
       "root",
       0,
       "root",
       false,
       false,
       {"only root may open it", "udev rule", "sudo"}},
      {"a group that may only read",
       "/dev/ttyUSB1",
       S_IFCHR | 0640,
       0,
       "root",
       20,
       "dialout",
       false,
       false,
       {"only root may open it (crw-r----- root dialout)", "udev rule"}},
      {"another user's terminal",
       "/dev/pts/3",
       S_IFCHR | 0620,
       1001,
       "bob",
       5,
       "tty",
       false,
       false,
       {"only the user 'bob' may open it", "as your own user", "sudo"}},
      {"the user's own device, not writable",
       "/dev/ttyUSB2",
       S_IFCHR | 0400,
       1000,
       "ann",
       1000,
       "ann",
       true,
       true,
       {"it is yours", "chmod u+rw /dev/ttyUSB2"}},
  };
  for (const Case& c : cases) {
    DeviceAccess access;
    access.path = c.path;
    access.known = true;
    access.mode = c.mode;
    access.owner = c.owner;
    access.ownerName = c.ownerName;
    access.group = c.group;
    access.groupName = c.groupName;
    access.userName = "ann";
    access.inGroupNow = c.inGroupNow;
    access.listedInGroup = c.listedInGroup;
    const std::string message = PermissionAdvice(access);
    EXPECT_EQ(message.rfind("Permission denied on " + c.path + ": ", 0), 0u)
        << c.what << ": " << message;
    for (const std::string& part : c.says)
      EXPECT_NE(message.find(part), std::string::npos) << c.what << ": " << message;
    EXPECT_EQ(message.find("-aG root"), std::string::npos) << c.what << ": " << message;
    if (c.group == 0 || (c.mode & 060) != 060) {
      EXPECT_EQ(message.find("usermod"), std::string::npos) << c.what << ": " << message;
    }
  }
}

TEST(PortErrors, ThePermissionMessageReadsTheDevicesModeOwnerAndGroup) {
  const TempFolder dir;
  const std::filesystem::path device = dir.Path() / "ttyTest0";
  std::ofstream(device) << "x";
  ASSERT_EQ(chmod(device.c_str(), 0600), 0);
  const DeviceAccess access = ReadDeviceAccess(device.string());
  ASSERT_TRUE(access.known);
  EXPECT_EQ(access.mode & 0777, 0600u);
  EXPECT_EQ(access.owner, geteuid());
  EXPECT_EQ(access.group, getegid());
  EXPECT_TRUE(access.inGroupNow);
  const PortError error = DescribeOpenError(device.string(), EACCES);
  EXPECT_EQ(error.Kind, PortErrorKind::PermissionDenied);
  EXPECT_NE(error.Message.find("-rw-------"), std::string::npos) << error.Message;

  EXPECT_FALSE(ReadDeviceAccess((dir.Path() / "absent").string()).known);
  EXPECT_NE(PermissionAdvice(ReadDeviceAccess((dir.Path() / "absent").string()))
                .find("you may not open this device"),
            std::string::npos);
}

}  // namespace
}  // namespace comm
