#pragma once
// What happened in a run, told by the core at the moment it happens. The
// view (wizard_view.h) mirrors controls; these events are what a front end
// decides from: the command line prints and exits on them, the windows show
// a run's summary from them, the tests read them. A front end overrides the
// handlers it needs; the others do nothing.
//
//   Trying          the automatic scan opened a port at a rate
//   Connected       the device answered on a port at a rate
//   DeviceRead      the information block was read twice: the device is
//                   identified when both readings agree
//   QuestionReady   the version page asks "Do you want to continue?"
//   BlockSent       a code block went out
//   PartFinished    the device programmed a part (-8888)
//   DeviceQuiet     the device has not answered for a while; the wait goes on
//   RunEnded        the run is over: how, what the user was told, and where
//                   the device was left

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "upgrade/device_info.h"
#include "upgrade/quiet_notice.h"
#include "upgrade/wizard_state.h"

namespace upgrade {

// Where the device stood when a run ended.
struct DeviceLeft {
  Stage stage = Stage::Idle;  // where the run was
  int part = 0;               // 1 kernel, 2 application; 0 before the transfer
  std::uint32_t block = 0;    // the last block sent, of `total`
  std::uint32_t total = 0;
  // The kernel is programmed and the application not started.
  bool betweenParts = false;
};

struct RunEnd {
  WizardOutcome outcome = WizardOutcome::None;
  std::string message;  // what the user was told last; empty: nothing
  DeviceLeft left;
};

struct ConnectionPoint {
  std::string port;
  std::uint32_t baud = 0;
};

// The device's two readings of its information block.
struct DeviceIdentity {
  // Both readings agree and the images could be chosen.
  bool identified = false;
  std::string serialNumber;    // as the device sent it (not escaped), without its line end
  std::string runningVersion;  // its firmware text, without its line end
  std::array<DeviceInfoRecord, 2> readings{};
};

struct VersionQuestion {
  std::string question;  // the page's text
  std::string runningVersion;
  // Known: the image of `part` has been read and validated, the new version
  // looked up, and Yes is offered. Unknown: the device has not said which
  // part it is ready for; only No is of use.
  bool known = false;
  std::string newVersion;
  std::string imageName;     // the application image the catalogue names
  int part = 0;              // the part prepared: 1 kernel, 2 application
  std::uint32_t blocks = 0;  // that part's image, in blocks
};

enum class BlockKind : std::uint8_t {
  Next,       // the block after the one acknowledged
  Again,      // the same block, not received or asked again
  Restarted,  // block 1 again: the device restarted its countdown
};

struct SentBlock {
  int part = 0;  // 1 kernel, 2 application
  std::uint32_t block = 0;
  std::uint32_t total = 0;
  BlockKind kind = BlockKind::Next;
  std::uint32_t retransmissions = 0;  // of this pass over the part
  int percent = 0;                    // of the part's image sent
  std::size_t bytes = 0;              // on the line, the 16-bit sum included
};

class WizardEvents {
 public:
  virtual ~WizardEvents() = default;
  virtual void Trying(const ConnectionPoint& point) { (void)point; }
  virtual void Connected(const ConnectionPoint& point) { (void)point; }
  virtual void DeviceRead(const DeviceIdentity& device) { (void)device; }
  virtual void QuestionReady(const VersionQuestion& question) { (void)question; }
  virtual void BlockSent(const SentBlock& block) { (void)block; }
  virtual void PartFinished(int part) { (void)part; }
  virtual void DeviceQuiet(const QuietNotice& notice) { (void)notice; }
  virtual void RunEnded(const RunEnd& end) { (void)end; }
};

// Every event in order, for tests and the harness.
class EventRecorder : public WizardEvents {
 public:
  enum class Kind : std::uint8_t {
    Trying,
    Connected,
    DeviceRead,
    QuestionReady,
    BlockSent,
    PartFinished,
    DeviceQuiet,
    RunEnded,
  };

  void Trying(const ConnectionPoint& point) override {
    order.push_back(Kind::Trying);
    trials.push_back(point);
  }
  void Connected(const ConnectionPoint& point) override {
    order.push_back(Kind::Connected);
    connections.push_back(point);
  }
  void DeviceRead(const DeviceIdentity& device) override {
    order.push_back(Kind::DeviceRead);
    devices.push_back(device);
  }
  void QuestionReady(const VersionQuestion& question) override {
    order.push_back(Kind::QuestionReady);
    questions.push_back(question);
  }
  void BlockSent(const SentBlock& block) override {
    order.push_back(Kind::BlockSent);
    blocks.push_back(block);
  }
  void PartFinished(int part) override {
    order.push_back(Kind::PartFinished);
    partsFinished.push_back(part);
  }
  void DeviceQuiet(const QuietNotice& notice) override {
    order.push_back(Kind::DeviceQuiet);
    quietNotices.push_back(notice);
  }
  void RunEnded(const RunEnd& end) override {
    order.push_back(Kind::RunEnded);
    ends.push_back(end);
  }

  // The question with the versions known was asked (Yes is offered), among
  // the questions from `from` on.
  bool Asked(std::size_t from = 0) const {
    for (std::size_t i = from; i < questions.size(); ++i)
      if (questions[i].known) return true;
    return false;
  }
  // How the last run ended; None while none has.
  WizardOutcome LastOutcome() const {
    return ends.empty() ? WizardOutcome::None : ends.back().outcome;
  }
  void Clear() { *this = EventRecorder{}; }

  std::vector<Kind> order;
  std::vector<ConnectionPoint> trials;
  std::vector<ConnectionPoint> connections;
  std::vector<DeviceIdentity> devices;
  std::vector<VersionQuestion> questions;
  std::vector<SentBlock> blocks;
  std::vector<int> partsFinished;
  std::vector<QuietNotice> quietNotices;
  std::vector<RunEnd> ends;
};

}  // namespace upgrade
