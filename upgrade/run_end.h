#pragma once
// The one way a run ends, whatever ends it: a failure of the connection,
// the identification, the preparation or the transfer, the user's No or
// Cancel, the line hanging up, or both parts programmed. It takes where the
// device stands before anything is reset, stops the transfer, lets go of
// every image, keeps the outcome, shows the message, and tells the front
// end (WizardEvents::RunEnded).

#include <string_view>

#include "upgrade/transfer_state.h"
#include "upgrade/wizard_events.h"
#include "upgrade/wizard_screen.h"
#include "upgrade/wizard_state.h"

namespace upgrade {

// How the message of a run's end is shown.
enum class EndBox : std::uint8_t {
  Error,  // an error box with the given caption
  Plain,  // a plain box (the application's title)
  Shown,  // already shown where the failure was found: kept for the event only
};

class RunEnding {
 public:
  RunEnding(WizardState& state, TransferState& transfer, WizardScreen& screen,
            WizardEvents& events);

  // Ends the run with `outcome`. A failure or a stop goes back to Idle with
  // the device no longer identified; a finished upgrade stays where it is
  // until Finish. An empty `text` shows no box.
  void EndRun(WizardOutcome outcome, std::string_view text, EndBox box = EndBox::Error,
              std::string_view caption = "Error");
  // Where the device stands now.
  DeviceLeft Where() const;

  WizardEvents& Events() { return events_; }

 private:
  WizardState& state_;
  TransferState& transfer_;
  WizardScreen& screen_;
  WizardEvents& events_;
};

}  // namespace upgrade
