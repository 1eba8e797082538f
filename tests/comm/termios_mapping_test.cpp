// The line settings as termios flags, and the acceptance of a driver's
// rate, checked against the termios flag values and the framings a UART can
// send: what only a real serial adapter would otherwise show.

#include "comm/termios_mapping.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace comm {
namespace {

// A line as a fresh open leaves it (raw, no flow control), with a few flags
// outside the mapping set so that their survival shows.
termios RawLine() {
  termios tio{};
  tio.c_cflag = CS8 | CREAD | CLOCAL | HUPCL;
  tio.c_iflag = IGNBRK;
  tio.c_cc[VMIN] = 1;
  return tio;
}

constexpr tcflag_t kFraming = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB;

TEST(TermiosMapping, DataBitsParityAndStopBits) {
  struct Case {
    const char* name;
    int byteSize;
    TParity parity;
    TStopBits stop;
    tcflag_t framing;  // the c_cflag bits of kFraming that must be set
  } cases[] = {
      {"8N1", 8, paNone, sb10, CS8},
      {"7E1", 7, paEven, sb10, CS7 | PARENB},
      {"7O1", 7, paOdd, sb10, CS7 | PARENB | PARODD},
      {"8M1 (parity bit always 1)", 8, paMark, sb10, CS8 | PARENB | CMSPAR | PARODD},
      {"8S1 (parity bit always 0)", 8, paSpace, sb10, CS8 | PARENB | CMSPAR},
      {"8N2", 8, paNone, sb20, CS8 | CSTOPB},
      {"6E2", 6, paEven, sb20, CS6 | PARENB | CSTOPB},
      {"5N1.5 (CSTOPB with 5 bits)", 5, paNone, sb15, CS5 | CSTOPB},
      {"5O1", 5, paOdd, sb10, CS5 | PARENB | PARODD},
  };
  for (const Case& c : cases) {
    LineSettings s;
    s.ByteSize = c.byteSize;
    s.Parity = c.parity;
    s.StopBits = c.stop;
    termios tio = RawLine();
    // A former setting must not leak into the new one.
    tio.c_cflag |= PARENB | PARODD | CMSPAR | CSTOPB;
    ASSERT_EQ(MapLineSettings(s, tio), 0) << c.name;
    EXPECT_EQ(tio.c_cflag & kFraming, c.framing) << c.name;
    EXPECT_EQ(tio.c_cflag & (CREAD | CLOCAL | HUPCL), CREAD | CLOCAL | HUPCL) << c.name;
  }
}

TEST(TermiosMapping, FramingsALineCannotSendAreRefusedAndChangeNothing) {
  struct Case {
    const char* name;
    int byteSize;
    TStopBits stop;
  } cases[] = {
      {"4 data bits", 4, sb10},
      {"9 data bits", 9, sb10},
      {"1.5 stop bits with 8 data bits", 8, sb15},
      {"1.5 stop bits with 6 data bits", 6, sb15},
      {"2 stop bits with 5 data bits", 5, sb20},
  };
  for (const Case& c : cases) {
    LineSettings s;
    s.ByteSize = c.byteSize;
    s.StopBits = c.stop;
    termios tio = RawLine();
    const termios before = tio;
    EXPECT_EQ(MapLineSettings(s, tio), EINVAL) << c.name;
    EXPECT_EQ(tio.c_cflag, before.c_cflag) << c.name;
    EXPECT_EQ(tio.c_iflag, before.c_iflag) << c.name;
  }
}

TEST(TermiosMapping, FlowControlParityCheckAndHandshakeCharacters) {
  struct Case {
    const char* name;
    TFlowControl flow;
    tcflag_t lineBefore, inputBefore;  // CRTSCTS / IXON|IXOFF already on the line
    tcflag_t line, input;              // expected CRTSCTS and IXON|IXOFF after
  } cases[] = {
      {"none clears both handshakes", fcNone, CRTSCTS, IXON | IXOFF, 0, 0},
      {"CTS: hardware handshake only", fcCTS, 0, IXON | IXOFF, CRTSCTS, 0},
      {"software: XON/XOFF both ways only", fcSoftware, CRTSCTS, 0, 0, IXON | IXOFF},
      {"default keeps what the line has", fcDefault, CRTSCTS, IXOFF, CRTSCTS, IXOFF},
      {"DTR has no tty handshake: kept", fcDTR, 0, IXON, 0, IXON},
  };
  for (const Case& c : cases) {
    LineSettings s;
    s.FlowControl = c.flow;
    termios tio = RawLine();
    tio.c_cflag |= c.lineBefore;
    tio.c_iflag |= c.inputBefore;
    ASSERT_EQ(MapLineSettings(s, tio), 0) << c.name;
    EXPECT_EQ(tio.c_cflag & CRTSCTS, c.line) << c.name;
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), c.input) << c.name;
  }

  LineSettings s;
  s.Options = OptionBit(coParityCheck);
  s.XonChar = 0x01;
  s.XoffChar = '\x7F';
  termios tio = RawLine();
  ASSERT_EQ(MapLineSettings(s, tio), 0);
  EXPECT_TRUE(tio.c_iflag & INPCK);
  EXPECT_EQ(tio.c_cc[VSTART], 0x01);
  EXPECT_EQ(tio.c_cc[VSTOP], 0x7F);
  EXPECT_TRUE(tio.c_iflag & IGNBRK);  // outside the mapping: kept
  // Every other option leaves the parity check off.
  s.Options = OptionBit(coDsrSensitivity) | OptionBit(coIgnoreXOff) | OptionBit(coErrorChar) |
              OptionBit(coNullStrip);
  ASSERT_EQ(MapLineSettings(s, tio), 0);
  EXPECT_FALSE(tio.c_iflag & INPCK);
}

TEST(TermiosMapping, ARateIsTakenWithinThreePercent) {
  struct Case {
    std::uint32_t asked, actual;
    bool taken;
  } cases[] = {
      {115200, 115200, true},
      {115200, 0, true},       // nothing read back: nothing to refuse
      {56000, 57600, true},    // a 16550 at divisor 2: 2.9 % off
      {256000, 255319, true},  // an FTDI divisor
      {250000, 257500, true},  // exactly 3 %
      {250000, 257501, false},
      {128000, 115200, false},  // a 16550 that fell back: 10 % off
      {14400, 9600, false},     // a driver's default rate
      {110, 113, true},
      {110, 114, false},
      {4294967295u, 4294967295u, true},  // no overflow in the arithmetic
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RateTaken(c.asked, c.actual), c.taken) << c.asked << " -> " << c.actual;
  }
}

}  // namespace
}  // namespace comm
