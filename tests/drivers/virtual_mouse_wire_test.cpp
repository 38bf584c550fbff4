#include "virtual_mouse_wire.h"

#include <gtest/gtest.h>

namespace vexel::wire {
namespace {

TEST(FrameReaderTest, CutsMessagesWhateverPiecesTheyArriveIn) {
  std::vector<uint8_t> stream = Encode(Status(0x4010, 0x3901));
  const auto hello = Encode(Hello(Role::kDevice, 0x1D57, 0xFA61));
  stream.insert(stream.end(), hello.begin(), hello.end());
  for (std::size_t piece : {1u, 3u, 7u, 100u}) {
    FrameReader reader;
    std::vector<Message> messages;
    for (std::size_t at = 0; at < stream.size(); at += piece) {
      reader.Append(std::span(stream).subspan(at, std::min(piece, stream.size() - at)));
      while (auto message = reader.Next()) messages.push_back(*message);
    }
    ASSERT_EQ(messages.size(), 2u) << "pieces of " << piece;
    const auto status = ParseStatus(messages[0]);
    ASSERT_TRUE(status);
    EXPECT_EQ(status->code, 0x4010);
    EXPECT_EQ(status->value, 0x3901);
    const auto parsed = ParseHello(messages[1]);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->role, Role::kDevice);
    EXPECT_EQ(parsed->product_id, 0xFA61);
  }
}

TEST(FrameReaderTest, DamagedLengthBreaksTheStream) {
  for (const std::vector<uint8_t>& bytes :
       {std::vector<uint8_t>{0, 0, 0, 0, 1}, std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}}) {
    FrameReader reader;
    reader.Append(bytes);
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

}  // namespace
}  // namespace vexel::wire
