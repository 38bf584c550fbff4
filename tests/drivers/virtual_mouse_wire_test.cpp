// The virtual mouse's socket framing and the status input report, as the
// driver libraries read them.
#include "virtual_mouse_wire.h"

#include <gtest/gtest.h>

#include "hid_backend.h"

namespace vexel::wire {
namespace {

TEST(FrameReaderTest, CutsMessagesWhateverPiecesTheyArriveIn) {
  std::vector<uint8_t> stream = Encode(Status(0x4010, 0x3901));
  const auto hello = Encode(Hello(Role::kDevice, 0x1D57, 0xFA61));
  stream.insert(stream.end(), hello.begin(), hello.end());
  for (std::size_t piece : {1u, 3u, 7u, 100u}) {
    FrameReader reader;
    std::vector<uint8_t> cut;
    for (std::size_t at = 0; at < stream.size(); at += piece) {
      reader.Append(std::span(stream).subspan(at, std::min(piece, stream.size() - at)));
      while (auto message = reader.Next()) {
        const auto bytes = Encode(*message);
        cut.insert(cut.end(), bytes.begin(), bytes.end());
      }
    }
    EXPECT_EQ(cut, stream) << "pieces of " << piece;
  }
  for (const std::vector<uint8_t>& damaged :
       {std::vector<uint8_t>{0, 0, 0, 0, 1}, {0xFF, 0xFF, 0xFF, 0xFF}}) {
    FrameReader reader;
    reader.Append(damaged);
    EXPECT_FALSE(reader.Next());
    EXPECT_TRUE(reader.Broken());
  }
}

TEST(WireMessagesTest, MalformedBodiesAreNotParsed) {
  EXPECT_FALSE(ParseHello(Message{MessageType::kHello, {9, 0, 0, 0, 0}}));  // unknown role
  EXPECT_FALSE(ParseHello(Message{MessageType::kHello, {1, 0}}));
  EXPECT_FALSE(ParseStatus(Message{MessageType::kStatus, {1, 2, 3}}));
  EXPECT_FALSE(ReplyOk(Message{MessageType::kReply, {}}));
  EXPECT_EQ(ReplyOk(Reply(false)), std::optional(false));
}

TEST(StatusReportTest, ReadsCodeAndValueLittleEndianFromReport0B) {
  const auto status =
      hiddriver::ParseStatusReport(std::vector<uint8_t>{0x0B, 0x10, 0x40, 0x01, 0x39});
  EXPECT_EQ(std::pair(status->code, status->value),
            (std::pair<uint16_t, uint16_t>(0x4010, 0x3901)));
  // A mouse movement report, one cut short, none.
  for (const std::vector<uint8_t>& other :
       {std::vector<uint8_t>{0x01, 0x00, 0x05, 0x00, 0x00}, {0x0B, 0x10, 0x40, 0x01}, {}})
    EXPECT_FALSE(hiddriver::ParseStatusReport(other));
}

}  // namespace
}  // namespace vexel::wire
