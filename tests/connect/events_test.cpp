// What the core tells a front end: the events of whole runs in virtual time,
// held against what the device received and against the ways a run ends.

#include "tests/connect/wizard_fixture.h"

namespace wizard_test {
namespace {

using Kind = upgrade::EventRecorder::Kind;
using upgrade::BlockKind;
using upgrade::WizardOutcome;

std::size_t Count(const std::vector<Kind>& order, Kind kind) {
  return static_cast<std::size_t>(std::count(order.begin(), order.end(), kind));
}

sim::TransponderConfig Faulty(sim::FaultKind kind, std::optional<long> n = std::nullopt) {
  sim::TransponderConfig config;
  config.faults = {{kind, n}};
  return config;
}

// A clean upgrade: connected once, the device read, the question asked with
// both versions, one block event per block the device received, both parts
// finished, one end, in that order.
TEST_F(WizardTest, AnUpgradeTellsEachStepOnceInOrder) {
  sim::VirtualTransponder& device = Device("ttyV0").Transponder();
  ASSERT_TRUE(rig_->ConnectManually("ttyV0"));
  rig_->PressYes();
  ASSERT_TRUE(rig_->RunUntil([&] { return !Events().ends.empty(); }, 600'000));
  const upgrade::EventRecorder& e = Events();

  ASSERT_EQ(e.connections.size(), 1u);
  EXPECT_EQ(e.connections[0].port, "ttyV0");
  EXPECT_EQ(e.connections[0].baud, 115200u);
  ASSERT_EQ(e.devices.size(), 1u);
  EXPECT_TRUE(e.devices[0].identified);
  EXPECT_EQ(e.devices[0].serialNumber, "1234567");
  EXPECT_EQ(e.devices[0].runningVersion, "V1.0.0");
  ASSERT_TRUE(e.Asked());
  const upgrade::VersionQuestion& q = e.questions.back();
  EXPECT_EQ(q.newVersion, "V2.3.2");
  EXPECT_EQ(q.part, 1);
  EXPECT_EQ(q.blocks, Image(700).size() / 263);
  EXPECT_EQ(q.question, "Do you want to continue?");

  // The device's own count of what arrived, part by part.
  for (int part : {1, 2}) {
    const std::size_t received = device.ReceivedPart(part).size() / 263;
    std::size_t next = 0;
    std::uint32_t last = 0;
    for (const upgrade::SentBlock& b : e.blocks) {
      if (b.part != part) continue;
      if (b.kind == BlockKind::Next) ++next;
      EXPECT_EQ(b.bytes, 263u);
      last = b.block;
      EXPECT_EQ(b.total, received);
    }
    EXPECT_EQ(next, received) << "part " << part;
    EXPECT_EQ(last, received) << "part " << part;
  }
  EXPECT_EQ(e.partsFinished, (std::vector<int>{1, 2}));
  ASSERT_EQ(e.ends.size(), 1u);
  EXPECT_EQ(e.ends[0].outcome, WizardOutcome::Finished);
  EXPECT_TRUE(e.ends[0].message.empty());

  // The order a front end relies on: nothing after the end, the question
  // before the first block.
  EXPECT_EQ(e.order.back(), Kind::RunEnded);
  const auto first = [&](Kind k) { return std::find(e.order.begin(), e.order.end(), k); };
  EXPECT_LT(first(Kind::Connected), first(Kind::DeviceRead));
  EXPECT_LT(first(Kind::DeviceRead), first(Kind::QuestionReady));
  EXPECT_LT(first(Kind::QuestionReady), first(Kind::BlockSent));
  EXPECT_EQ(Count(e.order, Kind::RunEnded), 1u);
}

// Each way a transfer ends says where the device was left, as the device
// itself saw it.
struct LeftCase {
  const char* name;
  sim::FaultKind fault;
  std::optional<long> n;
  WizardOutcome outcome;
  upgrade::Stage stage;
  int part;
  bool betweenParts;
  const char* messageStart;
};

class WhereLeft : public WizardTest, public ::testing::WithParamInterface<LeftCase> {};

TEST_P(WhereLeft, TheEndSaysWhereTheDeviceStands) {
  const LeftCase& c = GetParam();
  sim::VirtualTransponder& device = Device("ttyV0", Faulty(c.fault, c.n)).Transponder();
  ASSERT_TRUE(rig_->ConnectManually("ttyV0"));
  rig_->PressYes();
  ASSERT_TRUE(rig_->RunUntil([&] { return !Events().ends.empty(); }, 600'000));
  rig_->RunFor(3000);
  ASSERT_EQ(Events().ends.size(), 1u);
  const upgrade::RunEnd& end = Events().ends[0];
  EXPECT_EQ(end.outcome, c.outcome);
  EXPECT_EQ(end.message.rfind(c.messageStart, 0), 0u) << end.message;
  EXPECT_EQ(end.left.stage, c.stage);
  EXPECT_EQ(end.left.part, c.part);
  EXPECT_EQ(end.left.betweenParts, c.betweenParts);
  if (c.fault == sim::FaultKind::Hangup) {
    // The last block sent is the last one that reached the device.
    EXPECT_EQ(end.left.block, device.ReceivedPart(c.part).size() / 263);
    EXPECT_EQ(end.left.block, static_cast<std::uint32_t>(*c.n));
  } else if (c.fault == sim::FaultKind::WrongBlock) {
    EXPECT_EQ(end.left.block, static_cast<std::uint32_t>(*c.n)) << "the block answered wrongly";
  } else if (c.stage == upgrade::Stage::FinalCheck) {
    EXPECT_EQ(end.left.block, end.left.total) << "every block was sent";
    EXPECT_EQ(end.left.total, device.ReceivedPart(c.part).size() / 263);
  }
  if (!end.message.empty()) {
    ASSERT_FALSE(View().Messages().empty());
    EXPECT_EQ(View().Messages().back().box.text, end.message) << "the message is the one shown";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Events, WhereLeft,
    ::testing::Values(
        LeftCase{"WrongBlockInTheKernel", sim::FaultKind::WrongBlock, 3,
                 WizardOutcome::IncorrectBlockCount, upgrade::Stage::Transfer, 1, false,
                 "Incorrect block count! (3 -> "},
        LeftCase{"HungUpInTheKernel", sim::FaultKind::Hangup, 5, WizardOutcome::HungUp,
                 upgrade::Stage::Transfer, 1, false, "Serial port disconnected!"},
        LeftCase{"KernelRefused", sim::FaultKind::ProgramFail, 1, WizardOutcome::ProgrammingFailed,
                 upgrade::Stage::FinalCheck, 1, false,
                 "Firmware Upgrade Failure (Error Code=-4444)"},
        LeftCase{"ApplicationSumWrong", sim::FaultKind::BadSum, 2, WizardOutcome::ChecksumError,
                 upgrade::Stage::FinalCheck, 2, false, "Please check the RS-232"},
        LeftCase{"KernelAskedForAgain", sim::FaultKind::ApplicationReply, 1,
                 WizardOutcome::UnexpectedPart, upgrade::Stage::Transfer, 2, true,
                 "The device is ready for the kernel, but the application was requested."}),
    [](const ::testing::TestParamInfo<LeftCase>& row) { return row.param.name; });

// A stop before anything was sent says so: the run ends where it was.
TEST_F(WizardTest, CancelOnTheVersionPageEndsTheRunBeforeTheTransfer) {
  Device("ttyV0");
  ASSERT_TRUE(rig_->ConnectManually("ttyV0"));
  rig_->Wizard().SpeedButtonCancelClick();
  ASSERT_EQ(Events().ends.size(), 1u);
  EXPECT_EQ(Events().ends[0].outcome, WizardOutcome::Cancelled);
  EXPECT_LT(Events().ends[0].left.stage, upgrade::Stage::Transfer);
  EXPECT_EQ(Events().ends[0].left.part, 0);
  rig_->Wizard().SpeedButtonCancelClick();
  EXPECT_EQ(Events().ends.size(), 1u) << "a run that has ended is not ended again";
}

}  // namespace
}  // namespace wizard_test
