#pragma once
// What the upgrade preparation hands to the sequencer: the open image of the
// current part, its validation results and the transfer counters.

#include <array>
#include <cstdint>

#include "firmware/code_block.h"
#include "upgrade/image_stream.h"

namespace upgrade {

// The sequencer's own values of BlockReply beside the device's replies.
inline constexpr std::int32_t kReplyStartTransfer = -1000;  // send block 1 at the next step
inline constexpr std::int32_t kReplyAwaiting = -10;         // a block or the sum was sent

// The device's verdicts and requests under reply code 104.
inline constexpr std::int32_t kReplyRepeat = -1;
inline constexpr std::int32_t kReplyAskSum = -8889;
inline constexpr std::int32_t kReplyProgrammed = -8888;
inline constexpr std::int32_t kReplyProgramFailed = -4444;
inline constexpr std::int32_t kReplyChecksumError = -4445;

struct TransferState {
  // The image of the part being prepared or sent.
  ImageStream ImageFile;
  // The application image, read and validated with the kernel before the
  // user is asked, and held for the application part that follows it.
  ImageStream ApplicationImage;
  // The image in ImageFile passed validation and nothing has read it since,
  // or a transfer of it runs: a transfer starts only from such an image.
  bool ImageValidated = false;
  std::int32_t ImageSize = 0;
  std::uint32_t BlockIndex = 0;
  std::uint32_t BlockTotal = 0;
  std::uint32_t ErrorBlocks = 0;
  std::uint32_t Retransmissions = 0;
  std::uint32_t BlockHadError = 0;
  std::array<std::uint8_t, firmware::kBlockSize> BlockBuffer{};
  std::uint32_t ImageSum = 0;
  // The image sum went out in this pass: only then is -8888 the device's
  // verdict on the part.
  bool SumSent = false;

  char ImageName[20] = {};
  char CurrentVersion[80] = {};
  char NewVersion[80] = {};

  // The counters of a pass over the image from its first block, as at the
  // start of a transfer and when the device restarts its countdown.
  void RewindForTransfer() {
    ImageSize = static_cast<std::int32_t>(ImageFile.MeasureAndRewind());
    BlockIndex = 0;
    ErrorBlocks = 0;
    Retransmissions = 0;
    BlockHadError = 0;
    SumSent = false;
  }

  // Every image held is let go: the run ended, or a part will not be sent.
  void CloseImage() {
    ImageFile.Close();
    ApplicationImage.Close();
    ImageValidated = false;
  }
  bool HoldsImage() const { return ImageFile.IsOpen() || ApplicationImage.IsOpen(); }

  // What the version page shows belongs to one device and one run.
  void ClearVersions() {
    ImageName[0] = '\0';
    CurrentVersion[0] = '\0';
    NewVersion[0] = '\0';
  }
};

}  // namespace upgrade
