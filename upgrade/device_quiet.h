#pragma once
// Whether the device has gone quiet while the wizard waits for it. The
// rules have no time-out for the device's answers (a part reply, a block's
// acknowledgement, the verdict), and they keep none here: the wait goes on.
// But a wait the user sees must show that it is one, so after
// kQuietNoticeSeconds without an answer the wizard says so, and again every
// kQuietNoticeSeconds, until the device answers (quiet_notice.h). Time is
// counted in ticks of TimerUpgrade, which runs for the whole program.

#include <cstdint>
#include <string>

#include "upgrade/command_channel.h"
#include "upgrade/quiet_notice.h"
#include "upgrade/transfer_state.h"
#include "upgrade/wizard_state.h"

namespace upgrade {

// The notice as the window shows it: what is awaited and what to try.
std::string QuietNoticeText(const QuietNotice& notice);

class DeviceQuietWatch {
 public:
  enum class Change { None, Notice, Ended };

  // One TimerUpgrade tick: Notice when a notice is due (then Last() holds
  // it); Ended when a notice stood and the wait is over (the device
  // answered, or the wizard waits for something else, or for nothing).
  Change Tick(const WizardState& state, const TransferState& transfer,
              const CommandChannel& channel);
  const QuietNotice& Last() const { return last_; }
  // A notice stands: given, and not answered since.
  bool Quiet() const { return noticed_; }

 private:
  AwaitedAnswer awaiting_ = AwaitedAnswer::None;
  std::uint32_t replies_ = 0;
  std::int64_t ticks_ = 0;
  int nextNotice_ = kQuietNoticeSeconds;
  bool noticed_ = false;
  QuietNotice last_;
};

}  // namespace upgrade
