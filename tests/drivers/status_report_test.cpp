#include <gtest/gtest.h>

#include "hid_backend.h"

namespace vexel::hiddriver {
namespace {

TEST(StatusReportTest, ReadsCodeAndValueLittleEndianFromReport0B) {
  const std::vector<uint8_t> battery = {0x0B, 0x10, 0x40, 0x01, 0x39};
  const auto status = ParseStatusReport(battery);
  ASSERT_TRUE(status);
  EXPECT_EQ(status->code, 0x4010);
  EXPECT_EQ(status->value, 0x3901);

  const std::vector<std::vector<uint8_t>> others = {
      {0x01, 0x00, 0x05, 0x00, 0x00},  // a mouse movement report
      {0x0B, 0x10, 0x40, 0x01},        // cut short
      {},
  };
  for (const auto& report : others) EXPECT_FALSE(ParseStatusReport(report));
}

}  // namespace
}  // namespace vexel::hiddriver
