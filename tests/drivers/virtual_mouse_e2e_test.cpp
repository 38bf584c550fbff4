// The real driver libraries against the real vexel-mouse-sim over its socket.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <nlohmann/json.hpp>

#include "driver_test_support.h"
#include "sim/test_reports.h"
#include "sim_process.h"

namespace vexel::test {
namespace {

constexpr uint32_t kWirelessStatus = 1537;
constexpr uint32_t kWirelessConnection = 1538;
constexpr uint32_t kWiredStatus = 1539;
constexpr uint32_t kWiredConnection = 1540;

std::string Hex(const std::vector<uint8_t>& bytes) {
  return protocol::ToHex(bytes, "");
}

class VirtualMouseTest : public LinkLibrariesTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sim_.ready());
    // The libraries choose their back-end on first use.
    setenv("VEXEL_VIRTUAL_MOUSE", sim_.socket().c_str(), 1);
    ASSERT_NO_FATAL_FAILURE(LoadLinks());
    const VexelPostTarget target = posts_.Target();
    wired_->open_dev_monitor(&target, kWiredStatus, kWiredConnection);
    wireless_->open_dev_monitor(&target, kWirelessStatus, kWirelessConnection);
  }

  void TearDown() override {
    LinkLibrariesTest::TearDown();
    unsetenv("VEXEL_VIRTUAL_MOUSE");
  }

  nlohmann::json State() { return nlohmann::json::parse(sim_.Ctl("state")); }

  SimProcess sim_;
};

TEST_F(VirtualMouseTest, ReportsOverEachLinkReachTheMouseOrFail) {
  ASSERT_EQ(wired_->open_feature_device(), 1);
  ASSERT_EQ(wireless_->open_feature_device(), 1);
  auto broken = ValidReport(protocol::kKindButtonMap);
  broken[protocol::ButtonMapLayout::kChecksum] ^= 1;
  EXPECT_EQ(wired_->SetFeature(broken), 0);  // refused by the mouse, not logged
  const auto performance = ValidReport(protocol::kKindPerformance, 7);
  const auto lighting = ValidReport(protocol::kKindLighting, 3);
  EXPECT_EQ(wired_->SetFeature(performance), 1);
  EXPECT_EQ(wireless_->SetFeature(lighting), 1);
  // The receiver acknowledges, naming the kind in the high byte.
  EXPECT_TRUE(posts_.WaitFor({kWirelessStatus, 0x5010, 0x0500}));

  const auto macro = ValidReport(protocol::kKindMacro, 9, 6);
  for (const auto& chunk : MacroChunks(macro, true)) EXPECT_EQ(wireless_->SetFeature(chunk), 1);

  const auto state = State();
  EXPECT_EQ(state["reports"]["04"], Hex(performance));
  EXPECT_EQ(state["reports"]["05"], Hex(lighting));
  EXPECT_EQ(state["reports"]["09"]["6"], Hex(macro));
  ASSERT_EQ(state["log"].size(), 5u);
  EXPECT_EQ(state["log"][0]["link"], "wired");
  EXPECT_EQ(state["log"][1]["link"], "wireless");
  EXPECT_EQ(state["rejected"], 1);

  // GetFeature reads back what the mouse holds now.
  std::vector<uint8_t> buffer(64, 0);
  buffer[0] = protocol::kKindPerformance;
  EXPECT_EQ(wired_->get_feature(buffer.data(), 64), 56);
  EXPECT_TRUE(std::equal(performance.begin(), performance.end(), buffer.begin()));
  sim_.Ctl("press-dpi 4");
  EXPECT_EQ(wired_->get_feature(buffer.data(), 64), 56);
  EXPECT_EQ(buffer[protocol::PerformanceLayout::kDpiStage], 4);
}

TEST_F(VirtualMouseTest, StatusReportsGoOverTheLinkTheMouseTalksOn) {
  sim_.Ctl("press-dpi 3");
  EXPECT_TRUE(posts_.WaitFor({kWiredStatus, 0x1010, 3}));
  sim_.Ctl("unplug wired");
  // Which status goes on which link, and sleep, are the firmware model's rules.
  sim_.Ctl("battery 57 charging");
  EXPECT_TRUE(posts_.WaitFor({kWirelessStatus, 0x4010, 0x3903}));
}

TEST_F(VirtualMouseTest, VirtualMouseGoingAwayIsARemovalAndComingBackAnArrival) {
  ASSERT_EQ(wired_->open_feature_device(), 1);
  sim_.Stop();
  EXPECT_TRUE(posts_.WaitFor({kWiredConnection, 0, 0}));
  EXPECT_TRUE(posts_.WaitFor({kWirelessConnection, 0, 0}));
  EXPECT_EQ(wired_->SetFeature(ValidReport(protocol::kKindLighting)), 0);

  sim_.Start();
  ASSERT_TRUE(sim_.ready());
  EXPECT_TRUE(posts_.WaitFor({kWiredConnection, 1, 0}));
  EXPECT_TRUE(posts_.WaitFor({kWirelessConnection, 1, 0}));
  ASSERT_EQ(wired_->open_feature_device(), 1);
  EXPECT_EQ(wired_->SetFeature(ValidReport(protocol::kKindLighting)), 1);
}

}  // namespace
}  // namespace vexel::test
