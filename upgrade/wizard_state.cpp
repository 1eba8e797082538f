#include "upgrade/wizard_state.h"

namespace upgrade {

const char* OutcomeName(WizardOutcome outcome) {
  switch (outcome) {
    case WizardOutcome::None:
      return "none";
    case WizardOutcome::NoPorts:
      return "no-ports";
    case WizardOutcome::DetectFailed:
      return "detect-failed";
    case WizardOutcome::OpenFailed:
      return "open-failed";
    case WizardOutcome::ConnectTimeout:
      return "connect-timeout";
    case WizardOutcome::ForceDeclined:
      return "force-declined";
    case WizardOutcome::InfoTimeout:
      return "info-timeout";
    case WizardOutcome::Identification:
      return "identification";
    case WizardOutcome::MissingImage:
      return "missing-image";
    case WizardOutcome::InvalidImage:
      return "invalid-image";
    case WizardOutcome::MissingCatalogue:
      return "missing-catalogue";
    case WizardOutcome::Declined:
      return "declined";
    case WizardOutcome::TransmissionErrors:
      return "transmission-errors";
    case WizardOutcome::IncorrectBlockCount:
      return "incorrect-block-count";
    case WizardOutcome::SendFailed:
      return "send-failed";
    case WizardOutcome::ProgrammingFailed:
      return "programming-failed";
    case WizardOutcome::ChecksumError:
      return "checksum-error";
    case WizardOutcome::HungUp:
      return "hung-up";
    case WizardOutcome::UnexpectedPart:
      return "unexpected-part";
    case WizardOutcome::Cancelled:
      return "cancelled";
    case WizardOutcome::Finished:
      return "finished";
  }
  return "unknown";
}

}  // namespace upgrade
