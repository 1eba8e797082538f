// Port enumeration on a made-up sysfs tree and on real pseudo-terminals.
// Nothing here opens a port that enumeration found on this machine: ttyS0
// may be its console.

#include "comm/port_enumeration.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>
#include <set>
#include <thread>

#include "comm/comm.h"
#include "comm/hotplug_monitor.h"
#include "tests/comm/pty_pair.h"
#include "tests/temp_folder.h"

namespace comm {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A platform whose check finds free the names it is told, and which records
// every name it was asked about. The enumerator never opens a port.
class ListedPlatform final : public SerialPlatform {
 public:
  struct Opened final : SerialHandle {
    bool SetQueueSizes(std::uint32_t, std::uint32_t) override { return true; }
    int ApplyLineSettings(const LineSettings&) override { return 0; }
    void SetEventMask(std::uint32_t) override {}
    std::uint32_t WaitEvent() override { return 0; }
    void CancelWait() override {}
    void ClearError(std::int32_t& e, TComStat&) override { e = 0; }
    std::int32_t Read(void*, std::int32_t) override { return 0; }
    std::int32_t Write(const void*, std::int32_t n) override { return n; }
    void Purge() override {}
    int LastError() const override { return 0; }
  };
  ListedPlatform(std::set<std::string> openable, std::vector<std::string>* asked)
      : openable_(std::move(openable)), asked_(asked) {}
  std::unique_ptr<SerialHandle> Open(const std::string& name, PortError& error) override {
    ADD_FAILURE() << "opened " << name;
    if (openable_.count(name)) return std::make_unique<Opened>();
    error = {PortErrorKind::Busy, 16, "busy"};
    return nullptr;
  }
  bool IsFree(const std::string& name) override {
    asked_->push_back(name);
    return openable_.count(name) > 0;
  }

 private:
  std::set<std::string> openable_;
  std::vector<std::string>* asked_;
};

class SysfsTree : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = dir_.Path() / "sys-class-tty";
    for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyUSB0", "ttyACM0", "ttyS0", "ttyS1"}) {
      fs::create_directories(root_ / name / "device");
    }
    std::ofstream(root_ / "ttyS0" / "type") << "4\n";
    std::ofstream(root_ / "ttyS1" / "type") << "0\n";  // a legacy placeholder, no UART
    fs::create_directories(root_ / "tty1");            // virtual terminals: no device
    fs::create_directories(root_ / "ptmx");
    std::ofstream(consoles_) << "";
  }
  std::unique_ptr<SysfsPortEnumerator> Ports(std::set<std::string> free,
                                             std::vector<std::string>& asked) {
    return std::make_unique<SysfsPortEnumerator>(
        root_, std::make_unique<ListedPlatform>(std::move(free), &asked), consoles_);
  }
  TempFolder dir_;
  fs::path root_;
  fs::path consoles_ = dir_.Path() / "consoles";
};

TEST_F(SysfsTree, PresentPortsAreTheTtysWithADeviceSortedByPrefixThenNumber) {
  std::vector<std::string> asked;
  auto ports = Ports({"ttyUSB2", "ttyS0"}, asked);
  PortLists lists;
  ListPresentPorts(*ports, lists);
  EXPECT_EQ(lists.PresentPorts,
            (std::vector<std::string>{"ttyACM0", "ttyS0", "ttyUSB0", "ttyUSB2", "ttyUSB10"}));

  ListAvailablePorts(*ports, lists);
  EXPECT_EQ(lists.AvailablePorts, (std::vector<std::string>{"ttyS0", "ttyUSB2"}));
  EXPECT_EQ(asked, lists.PresentPorts);  // every present port checked, in order

  ports->AddExtraPort("/dev/pts/7");
  ListPresentPorts(*ports, lists);
  EXPECT_EQ(lists.PresentPorts.front(), "/dev/pts/7");
}

TEST_F(SysfsTree, AConsoleStaysInTheListButIsNeitherCheckedNorAvailable) {
  std::ofstream(consoles_) << "ttyS0                -W- (EC  p a)    4:64\n"
                              "tty0                 -WU (E     )    4:1\n";
  std::vector<std::string> asked;
  auto ports = Ports({"ttyUSB2", "ttyS0"}, asked);
  PortLists lists;
  ListPresentPorts(*ports, lists);
  ListAvailablePorts(*ports, lists);
  EXPECT_EQ(lists.PresentPorts.size(), 5u);  // typed or picked by name it still opens
  EXPECT_EQ(lists.AvailablePorts, std::vector<std::string>{"ttyUSB2"});
  EXPECT_EQ(std::count(asked.begin(), asked.end(), "ttyS0"),
            0);  // no probe written into the console
  EXPECT_TRUE(ports->IsConsole("/dev/ttyS0"));
  EXPECT_FALSE(ports->IsConsole("ttyS1"));
}

TEST_F(SysfsTree, AListThatCannotBeReadKeepsThePreviousOne) {
  std::vector<std::string> asked;
  SysfsPortEnumerator missing(root_ / "absent",
                              std::make_unique<ListedPlatform>(std::set<std::string>{}, &asked),
                              consoles_);
  PortLists lists{{"ttyUSB0"}, {}};
  ListPresentPorts(missing, lists);
  EXPECT_EQ(lists.PresentPorts, std::vector<std::string>{"ttyUSB0"});
}

TEST(PortNames, SortByPrefixThenNumber) {
  const std::vector<std::pair<std::string, std::string>> less = {
      {"ttyS2", "ttyS10"},   {"ttyS9", "ttyS10"},   {"ttyACM3", "ttyS0"},
      {"ttyS10", "ttyUSB0"}, {"ttyUSB", "ttyUSB0"}, {"/dev/pts/3", "ttyS0"},
  };
  for (const auto& [a, b] : less) {
    EXPECT_TRUE(PortNameLess(a, b)) << a << " < " << b;
    EXPECT_FALSE(PortNameLess(b, a)) << b << " < " << a;
  }
  EXPECT_EQ(PortDevicePath("ttyUSB0"), "/dev/ttyUSB0");
  EXPECT_EQ(PortDevicePath("/dev/pts/4"), "/dev/pts/4");
}

// Enumeration of given pseudo-terminals through the real trial open.
class GivenPorts final : public PortEnumerator {
 public:
  bool PresentPortNames(std::vector<std::string>& names) override {
    std::lock_guard lock(mutex);
    names = list;
    return true;
  }
  bool OpensExclusively(const std::string& name) override {
    return MakeSystemSerialPlatform()->IsFree(name);
  }
  std::mutex mutex;
  std::vector<std::string> list;
};

TEST(AvailablePorts, APortHeldByAnotherOpenerIsPresentButNotAvailable) {
  testing::PtyPair held, free;
  LoopDispatcher loop;
  TComm holder(loop);
  holder.SetDeviceName(held.SlavePath());
  holder.Open();
  ASSERT_TRUE(holder.Connected());

  GivenPorts ports;
  ports.list = {held.SlavePath(), free.SlavePath()};
  PortLists lists;
  ListPresentPorts(ports, lists);
  ListAvailablePorts(ports, lists);
  EXPECT_EQ(lists.PresentPorts.size(), 2u);
  EXPECT_EQ(lists.AvailablePorts, std::vector<std::string>{free.SlavePath()});

  // The trial open left the free port free.
  TComm user(loop);
  user.SetDeviceName(free.SlavePath());
  user.Open();
  EXPECT_TRUE(user.Connected());
}

struct RecordingView final : PortListView {
  void SelectBaudEntry(int index) override { calls.push_back("baud " + std::to_string(index)); }
  void ClearPortList() override { calls.push_back("clear"); }
  void AddPortItem(const std::string& text) override { calls.push_back("add " + text); }
  void SelectPortItem(int index) override { calls.push_back("select " + std::to_string(index)); }
  void SetPortText(const std::string& text) override { calls.push_back("text " + text); }
  std::vector<std::string> calls;
};

TEST(FillPortList, ListsThePresentPortsOrNA) {
  RecordingView view;
  FillPortList({{"ttyS0", "ttyUSB1"}, {}}, view);
  EXPECT_EQ(view.calls,
            (std::vector<std::string>{"baud 5", "clear", "add ttyS0", "add ttyUSB1", "select 0"}));

  view.calls.clear();
  GivenPorts none;
  PortLists lists{{"ttyUSB0"}, {"ttyUSB0"}};
  RebuildPortLists(none, lists, view);  // the adapter was unplugged
  EXPECT_TRUE(lists.AvailablePorts.empty());
  EXPECT_EQ(view.calls, (std::vector<std::string>{"baud 5", "clear", "add N/A", "text N/A"}));
}

TEST(Hotplug, ARescanReportsAChangedListOnTheMainThread) {
  LoopDispatcher loop;
  GivenPorts ports;
  ports.list = {"ttyUSB0"};
  int changes = 0;
  {
    HotplugMonitor monitor(
        loop, ports, [&] { ++changes; }, HotplugMonitor::Mode::Rescan, 20ms);
    ASSERT_EQ(monitor.ActiveMode(), HotplugMonitor::Mode::Rescan);
    loop.RunUntil([] { return false; }, 100ms);
    EXPECT_EQ(changes, 0);  // the same list is no change
    {
      std::lock_guard lock(ports.mutex);
      ports.list.push_back("ttyACM0");
    }
    ASSERT_TRUE(loop.RunUntil([&] { return changes == 1; }, 10s));
    std::lock_guard lock(ports.mutex);
    ports.list.clear();
  }
  loop.RunPending();  // a change seen just before the monitor went
  loop.RunUntil([] { return false; }, 60ms);
  EXPECT_EQ(changes, 1);
}

// A kernel device event: NUL-separated fields.
std::string Uevent(std::initializer_list<const char*> fields) {
  std::string message;
  for (const char* f : fields) message.append(f).push_back('\0');
  return message;
}

TEST(Hotplug, KernelEventsOfTtyDevicesAreRecognised) {
  const std::string plugged =
      Uevent({"add@/devices/pci0000:00/usb1/1-1/1-1:1.0/ttyUSB0/tty/ttyUSB0", "ACTION=add",
              "DEVPATH=/devices/pci0000:00/usb1/1-1/1-1:1.0/ttyUSB0/tty/ttyUSB0", "SUBSYSTEM=tty",
              "DEVNAME=ttyUSB0", "SEQNUM=4242"});
  EXPECT_TRUE(IsTtyAddOrRemove(plugged.data(), plugged.size()));
  const std::string removed =
      Uevent({"remove@/devices/x/tty/ttyACM0", "ACTION=remove", "SUBSYSTEM=tty"});
  EXPECT_TRUE(IsTtyAddOrRemove(removed.data(), removed.size()));
  const std::string usb = Uevent({"add@/devices/x", "ACTION=add", "SUBSYSTEM=usb"});
  EXPECT_FALSE(IsTtyAddOrRemove(usb.data(), usb.size()));
  const std::string changed = Uevent({"change@/devices/x", "ACTION=change", "SUBSYSTEM=tty"});
  EXPECT_FALSE(IsTtyAddOrRemove(changed.data(), changed.size()));
}

// One descriptor left: the kernel's event socket takes it and the eventfd
// that would wake the wait on it cannot be made. The monitor must rescan
// instead, and its destruction must return rather than wait for ever.
TEST(Hotplug, WithoutItsEventfdItRescansAndStillStops) {
  LoopDispatcher loop;
  GivenPorts ports;
  ports.list = {"ttyUSB0"};
  auto changes = std::make_shared<std::atomic<int>>(0);
  const auto makeMonitor = [&](HotplugMonitor::Mode mode) {
    return std::make_unique<HotplugMonitor>(
        loop, ports, [changes] { ++*changes; }, mode, 20ms);
  };
  // Each way once with descriptors to spare: the sanitizer's type check
  // needs a pipe the first time it meets a type, and later finds it cached.
  makeMonitor(HotplugMonitor::Mode::KernelEvents).reset();
  makeMonitor(HotplugMonitor::Mode::Rescan).reset();

  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
  const int lowestFree = open("/dev/null", O_RDONLY | O_CLOEXEC);
  ASSERT_GE(lowestFree, 0);
  close(lowestFree);
  rlimit tight = saved;
  tight.rlim_cur = static_cast<rlim_t>(lowestFree) + 1;
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &tight), 0);
  auto monitor = makeMonitor(HotplugMonitor::Mode::KernelEvents);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);
  EXPECT_EQ(monitor->ActiveMode(), HotplugMonitor::Mode::Rescan);

  {
    std::lock_guard lock(ports.mutex);
    ports.list.push_back("ttyACM0");
  }
  EXPECT_TRUE(loop.RunUntil([&] { return *changes == 1; }, 10s));

  // Destroyed on a thread of its own, so a hang fails the test instead of
  // stopping the run.
  auto gone = std::make_shared<std::promise<void>>();
  std::future<void> done = gone->get_future();
  std::thread([m = std::move(monitor), gone]() mutable {
    m.reset();
    gone->set_value();
  }).detach();
  EXPECT_EQ(done.wait_for(10s), std::future_status::ready) << "the monitor did not stop";
}

}  // namespace
}  // namespace comm
