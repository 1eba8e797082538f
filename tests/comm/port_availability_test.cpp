// Whether a port is free, on real pseudo-terminals held by other programs:
// the check changes nothing on a port it finds in use, sees a holder that
// took no lock, and leaves the machine's consoles alone. And who the busy
// message names.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "comm/comm.h"
#include "comm/port_enumeration.h"
#include "comm/port_holders.h"
#include "tests/comm/held_port.h"
#include "tests/comm/pty_pair.h"
#include "tests/temp_folder.h"

namespace comm {
namespace {

using testing::HeldPort;
using testing::PtyPair;

// The state of a terminal that a check must not change.
struct LineState {
  termios tio{};
  int unread = -1;
  int exclusive = -1;
  bool operator==(const LineState& o) const {
    return tio.c_iflag == o.tio.c_iflag && tio.c_oflag == o.tio.c_oflag &&
           tio.c_cflag == o.tio.c_cflag && tio.c_lflag == o.tio.c_lflag &&
           std::memcmp(tio.c_cc, o.tio.c_cc, sizeof tio.c_cc) == 0 && unread == o.unread &&
           exclusive == o.exclusive;
  }
};

LineState ReadLineState(int fd) {
  LineState s;
  tcgetattr(fd, &s.tio);
  ioctl(fd, FIONREAD, &s.unread);
  ioctl(fd, TIOCGEXCL, &s.exclusive);
  return s;
}

// The machine's own enumerator with an empty sysfs tree: only the ports the
// test adds, and the consoles the test names.
class Enumerator {
 public:
  explicit Enumerator(const std::string& consoles = "") {
    std::filesystem::create_directories(dir_.Path() / "tty");
    std::ofstream(dir_.Path() / "consoles") << consoles;
    ports = std::make_unique<SysfsPortEnumerator>(dir_.Path() / "tty", nullptr,
                                                  dir_.Path() / "consoles");
  }
  std::vector<std::string> Available(const std::vector<std::string>& paths) {
    for (const std::string& p : paths) ports->AddExtraPort(p);
    PortLists lists;
    ListPresentPorts(*ports, lists);
    ListAvailablePorts(*ports, lists);
    return lists.AvailablePorts;
  }
  std::unique_ptr<SysfsPortEnumerator> ports;

 private:
  TempFolder dir_;
};

TEST(PortAvailability, APortHeldCookedExclusiveWithUnreadInputIsNotAvailableAndComesOutUnchanged) {
  PtyPair pty;
  // The other program: cooked (as a new terminal starts), exclusive, with
  // input it has not read yet.
  const int held = open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(held, 0);
  ASSERT_EQ(ioctl(held, TIOCEXCL), 0);
  pty.Write("unread\n");
  pollfd arrived{held, POLLIN, 0};
  ASSERT_EQ(poll(&arrived, 1, 10000), 1);
  const LineState before = ReadLineState(held);
  ASSERT_TRUE(before.tio.c_lflag & ICANON);
  ASSERT_EQ(before.exclusive, 1);
  ASSERT_GT(before.unread, 0);

  Enumerator ports;
  EXPECT_TRUE(ports.Available({pty.SlavePath()}).empty());
  EXPECT_EQ(ReadLineState(held), before);

  // Nor does an Open take it from its holder, as root neither.
  LoopDispatcher loop;
  TComm port(loop);
  port.SetDeviceName(pty.SlavePath());
  port.Open();
  EXPECT_FALSE(port.Connected());
  EXPECT_EQ(port.LastOpenError().Kind, PortErrorKind::Busy) << port.LastOpenError().Message;
  EXPECT_EQ(ReadLineState(held), before);

  ioctl(held, TIOCNXCL);
  close(held);
}

TEST(PortAvailability, AProgramWithThePortOpenHoldsItEvenWithoutALock) {
  PtyPair pty;
  Enumerator ports;
  {
    HeldPort other(pty.SlavePath(), HeldPort::kPlain);
    EXPECT_TRUE(ports.Available({pty.SlavePath()}).empty());
  }
  EXPECT_EQ(ports.Available({pty.SlavePath()}), std::vector<std::string>{pty.SlavePath()});

  // The far end of a pseudo-terminal keeps its own slave open, as aisfw-sim
  // does: that is the device, not a holder.
  const int ownSlave = open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(ownSlave, 0);
  EXPECT_EQ(ports.Available({pty.SlavePath()}), std::vector<std::string>{pty.SlavePath()});
  EXPECT_TRUE(OpenHolders(pty.SlavePath()).empty());
  close(ownSlave);
}

TEST(PortAvailability, ConsolesAreLeftOutOfTheScanButStillOpenByName) {
  PtyPair console, other;
  // /proc/consoles names devices under /dev; this console is a pty's.
  const std::string name = console.SlavePath().substr(5);  // "pts/N"
  Enumerator ports(name + "                -W- (EC  p a)  136:" + name.substr(4) + "\n");
  EXPECT_TRUE(ports.ports->IsConsole(console.SlavePath()));
  EXPECT_FALSE(ports.ports->IsConsole(other.SlavePath()));
  EXPECT_EQ(ports.Available({console.SlavePath(), other.SlavePath()}),
            std::vector<std::string>{other.SlavePath()});

  LoopDispatcher loop;
  TComm typed(loop);
  typed.SetDeviceName(console.SlavePath());
  typed.Open();
  EXPECT_TRUE(typed.Connected()) << typed.LastOpenError().Message;
}

TEST(PortAvailability, ConsoleNamesAreTheFirstWordOfEachLine) {
  std::istringstream consoles(
      "ttyS0                -W- (EC  p a)    4:64\n"
      "tty0                 -WU (E     )    4:1\n"
      "ttyAMA0              -W- (E  p  )  204:64\n"
      "\n");
  EXPECT_EQ(ConsoleNames(consoles), (std::vector<std::string>{"ttyS0", "tty0", "ttyAMA0"}));
}

TEST(PortBusy, TheMessageNamesTheHolderOfTheLockNotTheFarEnd) {
  PtyPair pty;
  // This process plays the simulator: it holds the master and its own slave
  // (and, being older, comes first in /proc). The child holds the lock.
  const int ownSlave = open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(ownSlave, 0);
  HeldPort tool(pty.SlavePath(), HeldPort::kLock);

  LoopDispatcher loop;
  TComm port(loop);
  port.SetDeviceName(pty.SlavePath());
  port.Open();
  ASSERT_FALSE(port.Connected());
  const std::string& message = port.LastOpenError().Message;
  EXPECT_EQ(port.LastOpenError().Kind, PortErrorKind::Busy);
  EXPECT_NE(message.find("(pid " + std::to_string(tool.Pid()) + ")"), std::string::npos) << message;
  EXPECT_EQ(message.find("pid " + std::to_string(getpid())), std::string::npos) << message;
  close(ownSlave);
}

TEST(PortBusy, TheLockHolderIsReadFromProcLocks) {
  // st_dev 0:0x1a, inode 4 (a devpts node); and a disk file on fe:00.
  const dev_t devpts = makedev(0, 0x1a);
  const dev_t disk = makedev(0xfe, 0);
  const std::string locks =
      "1: POSIX  ADVISORY  WRITE 6523 fe:00:408224 0 EOF\n"
      "2: OFDLCK ADVISORY  WRITE -1 00:1a:9 0 EOF\n"
      "3: FLOCK  ADVISORY  WRITE 7161 00:1a:4 0 EOF\n"
      "3: -> FLOCK  ADVISORY  WRITE 7200 00:1a:4 0 EOF\n"
      "4: FLOCK  ADVISORY  WRITE 7300 00:1a:40 0 EOF\n";
  EXPECT_EQ(LockHolderIn(locks, devpts, 4), 7161);
  EXPECT_EQ(LockHolderIn(locks, devpts, 40), 7300);
  EXPECT_EQ(LockHolderIn(locks, disk, 408224), 6523);
  EXPECT_FALSE(LockHolderIn(locks, devpts, 9).has_value());  // a lock with no process
  EXPECT_FALSE(LockHolderIn(locks, disk, 4).has_value());    // same inode, other filesystem
  EXPECT_FALSE(
      LockHolderIn("3: -> FLOCK  ADVISORY  WRITE 7200 00:1a:4 0 EOF\n", devpts, 4).has_value());
  EXPECT_FALSE(LockHolderIn("", devpts, 4).has_value());
}

}  // namespace
}  // namespace comm
