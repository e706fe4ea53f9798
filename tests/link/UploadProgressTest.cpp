// Upload progress: every upload frame carries its place, and the answers reach the System
// panel as one coalesced message that the panel reads the latest count from.
#include "LinkTestSupport.h"

namespace zel::test {
namespace {

class UploadProgressTest : public LinkTest {
protected:
    // Takes the next queued frame into TxRecord and feeds the device's acknowledgement.
    void answerNext() {
        ASSERT_EQ(command.takeHead(TxRecord), 1);
        const std::uint8_t code = TxRecord[3];
        const Bytes ack = {0xFF, 0x55, 0x03, code, 0x00, static_cast<std::uint8_t>(0x03 + code)};
        ASSERT_GE(feed(ack), 0);
    }
};

TEST_F(UploadProgressTest, UploadFramesAreNumberedAfterWhatWasQueuedBefore) {
    command.queueCommand(cmd::UserMode, 0); // queued earlier: not part of the upload
    command.queueUploadAll();
    const std::vector<FrameRecord> frames = drainQueue();
    ASSERT_EQ(frames.size(), kUploadFrameCount + 1);
    EXPECT_EQ(frames[0].get16(mark::UploadOrdinal), 0);
    for (std::size_t i = 1; i < frames.size(); ++i)
        ASSERT_EQ(frames[i].get16(mark::UploadOrdinal), static_cast<int>(i)) << "frame " << i;
    EXPECT_EQ(frameOf(frames.back()), hex("FF 55 03 35 00 38")) << "the upload ends as before";
}

TEST_F(UploadProgressTest, AnswersPostOneMessageUntilThePanelTakesIt) {
    command.queueCommand(cmd::UserMode, 0);
    command.queueUploadAll();
    answerNext(); // the earlier command: no progress
    EXPECT_EQ(command.uploadAnswered(), 0);

    answerNext(); // while the panel is closed nothing is posted, the count still moves
    EXPECT_EQ(command.uploadAnswered(), 1);
    EXPECT_FALSE(systemPanel.tryTake().has_value());

    command.setSystemPanel(&systemPanel);
    for (int i = 0; i < 3; ++i)
        answerNext();
    EXPECT_EQ(command.uploadAnswered(), 4);
    auto first = systemPanel.tryTake();
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->id, WM_SYSTEM_UPLOAD_PROGRESS);
    EXPECT_FALSE(systemPanel.tryTake().has_value()) << "one message for a burst of answers";

    command.uploadProgressTaken();
    answerNext();
    ASSERT_TRUE(systemPanel.tryTake().has_value());
    EXPECT_EQ(command.uploadAnswered(), 5);

    // A repeat request is no answer.
    command.uploadProgressTaken();
    ASSERT_EQ(command.takeHead(TxRecord), 1);
    const std::uint8_t code = TxRecord[3];
    ASSERT_GE(feed({0xFF, 0x55, 0x03, code, 0x02, static_cast<std::uint8_t>(0x05 + code)}), 0);
    EXPECT_EQ(command.uploadAnswered(), 5);
    EXPECT_FALSE(systemPanel.tryTake().has_value());

    // A new upload starts from nothing.
    command.clearQueue();
    command.queueUploadAll();
    EXPECT_EQ(command.uploadAnswered(), 0);
}

} // namespace
} // namespace zel::test
