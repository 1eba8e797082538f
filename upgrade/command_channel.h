#pragma once
// The upgrade engine's vocabulary on the serial line: the proprietary
// commands it sends (DBG, TST, TPS, composed from the store's maker record),
// the raw writes of firmware blocks, and the device's DBG replies it takes
// into BlockReply and PartReply.
//
//   probe          $PZLX,C,DBG,700,1,,,,,,*hh then $PTST,,,,,000vv*hh
//   SendDbg        $P[ZLX,<letter>,]DBG,code,value,,0,,0,,0*hh
//   SendDbgRequest $P[ZLX,<letter>,]DBG,code,value,,,,,,*hh
//   final check    $PTPS,040,<sum as 8 hex digits>*hh
//
// The maker prefix of DBG carries the letter of the last DBG sentence
// received; none before the first.

#include <array>
#include <cstdint>

#include "nmea/framing.h"
#include "nmea/sentence_record.h"
#include "store/nmea_stack.h"
#include "upgrade/port_writer.h"
#include "upgrade/wizard_screen.h"
#include "upgrade/wizard_state.h"

namespace upgrade {

// Reply codes the engine acts on.
inline constexpr std::int16_t kBlockReplyCode = 104;
inline constexpr std::int16_t kPartReplyCode = 3;

// Command codes.
inline constexpr int kDbgProbe = 700;
inline constexpr int kDbgDeviceInfo = 106;
inline constexpr int kDbgRequestPart = 107;
inline constexpr int kDbgBlockCount = 103;
inline constexpr int kTpsImageSum = 40;
inline constexpr int kProbeSearch = 16;
inline constexpr int kProbeDone = 0;

class CommandChannel {
 public:
  struct DeviceReply {
    std::int16_t code = 0;
    float value = 0;
    std::uint8_t fresh = 0;
  };

  // `state`: a failed write is silent while the automatic scan probes.
  CommandChannel(PortWriter& port, store::NmeaStack& nmea, WizardScreen& screen,
                 const WizardState& state);

  // Writes raw bytes. Without an open port: the plain message "Please connect
  // serial port first!" and false. True only when every byte was written.
  bool WriteToPort(const void* bytes, int count);
  // Composes the formatter's sentence from the maker record and writes it,
  // logging it in MemoTX. A failed write is silent in automatic mode.
  bool SendProprietaryCommand(const char* talker, const char* formatter);
  bool SendDbg(int code, int value);
  bool SendDbgRequest(int code, int value);
  bool SendProbe(int tstValue);
  bool SendFinalCheck(std::uint32_t imageSum);

  // A received line (CR LF, NUL-terminated) that the preparation did not
  // take: parsed when it is a sentence of at most 82 characters and its line
  // end, and for a maker sentence its DBG replies are applied.
  void ParseDeviceLine(const char* line);
  void ApplyDeviceReplies();

  // The device's last replies under codes 104 and 3; the sequencer also
  // stores its own values in BlockReply.
  std::int32_t BlockReply = -1;
  std::int32_t PartReply = -1;
  // How many replies under codes 104 and 3 have come in: the device has
  // answered since the count was last seen.
  std::uint32_t RepliesApplied = 0;
  std::array<DeviceReply, 4> DeviceReplyTable{};

 private:
  PortWriter& port_;
  store::NmeaStack& nmea_;
  WizardScreen& screen_;
  const WizardState& state_;
  char parseBuffer_[nmea::kLineBufferSize] = {};
  nmea::SentenceRecord parseRecord_{};
  nmea::SentenceRecord composeRecord_{};
};

}  // namespace upgrade
