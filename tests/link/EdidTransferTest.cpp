#include "link/EdidTransfer.h"

#include "LinkRig.h"
#include "ScriptedDevice.h"

#include <QFile>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace corvantis::test {
namespace {

constexpr int kHeaderSize = 5;
constexpr int kBlockFrameSize = 9;

// Acknowledgements that come return the wait at once; the time-out only runs out where one
// is missing, so it stays generous elsewhere, for a busy machine.
RigOptions quickRig(int commType = kTypeB, float routerTimeout = 0.5f)
{
    return {.commType = commType, .routerTimeout = routerTimeout, .pacing = false};
}

// An EDID that starts with the standard header, then counts.
QByteArray sampleEdid(int size = EdidTransfer::kEdidSize)
{
    QByteArray edid = QByteArrayLiteral("\x00\xFF\xFF\xFF\xFF\xFF\xFF\x00");
    while (edid.size() < size)
        edid += static_cast<char>(edid.size() * 7);
    return edid.left(size);
}

QString writeFile(const LinkRig &rig, const QString &name, const QByteArray &bytes)
{
    const QString path = rig.dataDir.path() + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

// A router that takes the header and blocks as they come and answers each block with what
// ackFor says; after the 16th block the acknowledgements of the written bytes follow.
ScriptedDevice::Responder blockAnswers(std::function<QByteArray(int block)> ackFor,
                                       int writtenAcks = EdidTransfer::kEdidSize)
{
    auto headerSeen = std::make_shared<bool>(false);
    auto blocks = std::make_shared<int>(0);
    return [=](QByteArray &pending) {
        QByteArray reply;
        if (!*headerSeen && pending.size() >= kHeaderSize) {
            pending.remove(0, kHeaderSize);
            *headerSeen = true;
        }
        while (*headerSeen && pending.size() >= kBlockFrameSize) {
            pending.remove(0, kBlockFrameSize);
            reply += ackFor((*blocks)++);
            if (*blocks == EdidTransfer::kBlocks)
                reply += QByteArray(writtenAcks, '\x06');
        }
        return reply;
    };
}

struct Recorder {
    explicit Recorder(EdidTransfer &transfer, SerialLink &link)
    {
        QObject::connect(&transfer, &EdidTransfer::statusChanged, &transfer,
                         [this](const QString &text, int colour) {
                             statuses << text;
                             lastColour = colour;
                         });
        QObject::connect(&transfer, &EdidTransfer::progressChanged, &transfer,
                         [this, &link](int, int, const QString &percent) {
                             percents << percent;
                             busyThroughout = busyThroughout && link.CommBusy();
                         });
    }
    QStringList statuses;
    QStringList percents;
    int lastColour = 0;
    bool busyThroughout = true;
};

TEST(EdidTransfer, DownloadToTheVirtualLineSucceedsBlockByBlock)
{
    LinkRig rig(quickRig());
    ASSERT_TRUE(rig.openLine());
    const QByteArray edid = sampleEdid();
    const QString path = writeFile(rig, "monitor.bin", edid);
    EdidTransfer transfer(rig.config.settings, rig.link);
    Recorder record(transfer, rig.link);
    QSignalSpy finished(&transfer, &EdidTransfer::finished);

    EXPECT_TRUE(transfer.Run(0, path, "COM1"));

    EXPECT_EQ(record.statuses, (QStringList{"Writing EDID", "Download Success!"}));
    EXPECT_EQ(record.lastColour, EdidTransfer::kGreen);
    ASSERT_EQ(record.percents.size(), 16 + 1 + 128);
    EXPECT_EQ(record.percents[0], "6%");
    EXPECT_EQ(record.percents[1], "12%"); // 12.5 % rounds to even
    EXPECT_EQ(record.percents[15], "100%");
    EXPECT_EQ(record.percents[16], "0%");
    EXPECT_EQ(record.percents[17], "1%");
    EXPECT_EQ(record.percents.last(), "100%");
    EXPECT_TRUE(record.busyThroughout);
    EXPECT_FALSE(rig.link.CommBusy());
    ASSERT_EQ(finished.count(), 1);
    EXPECT_TRUE(finished[0][0].toBool());

    const auto frames = rig.line.receivedFrames();
    ASSERT_EQ(frames.size(), 1 + 16);
    EXPECT_EQ(frames[0], QByteArrayLiteral("\xBE\xEF\x00\x00\x01"));
    EXPECT_EQ(frames[1], QByteArrayLiteral("\x00\xFF\xFF\xFF\xFF\xFF\xFF\x00\x00"));
    EXPECT_EQ(rig.line.edid(0), edid);
    EXPECT_EQ(rig.link.transmissions(), 17u);
}

TEST(EdidTransfer, TwoAcknowledgementsTogetherCarryTheNextBlock)
{
    LinkRig rig(quickRig());
    // Block 3 is answered twice at once, block 4 not at all.
    ScriptedDevice device(blockAnswers([](int block) {
        return block == 3   ? QByteArray(2, '\x06')
               : block == 4 ? QByteArray()
                            : QByteArray(1, '\x06');
    }));
    ASSERT_TRUE(device.open(rig.portLinkPath()));
    EdidTransfer transfer(rig.config.settings, rig.link);
    Recorder record(transfer, rig.link);

    EXPECT_TRUE(transfer.Run(0, writeFile(rig, "e.bin", sampleEdid()), "COM1"));

    EXPECT_EQ(device.received().size(), kHeaderSize + 16 * kBlockFrameSize);
    EXPECT_EQ(record.statuses.last(), "Download Success!");
}

TEST(EdidTransfer, MissingAcknowledgementStopsTheTransferAsAFailure)
{
    LinkRig rig(quickRig(kTypeB, 0.05f));
    ScriptedDevice device(
        blockAnswers([](int block) { return block == 5 ? QByteArray() : QByteArray(1, '\x06'); }));
    ASSERT_TRUE(device.open(rig.portLinkPath()));
    EdidTransfer transfer(rig.config.settings, rig.link);
    Recorder record(transfer, rig.link);
    QSignalSpy ok(&transfer, &EdidTransfer::okEnabledChanged);
    QSignalSpy cancel(&transfer, &EdidTransfer::cancelEnabledChanged);

    EXPECT_FALSE(transfer.Run(0, writeFile(rig, "e.bin", sampleEdid()), "COM1"));

    // Nothing more goes out after the block that was not acknowledged.
    EXPECT_EQ(device.received().size(), kHeaderSize + 6 * kBlockFrameSize);
    EXPECT_EQ(record.statuses, QStringList{"Download Failed!"});
    EXPECT_EQ(record.lastColour, EdidTransfer::kRed);
    EXPECT_EQ(record.percents.size(), 5);
    ASSERT_EQ(ok.count(), 1);
    EXPECT_TRUE(ok[0][0].toBool());
    ASSERT_EQ(cancel.count(), 1);
    EXPECT_TRUE(cancel[0][0].toBool());
    EXPECT_FALSE(rig.link.CommBusy());
}

TEST(EdidTransfer, WriteAcknowledgementShortOfAllBytesIsAFailure)
{
    LinkRig rig(quickRig(kTypeB, 0.05f));
    ScriptedDevice device(blockAnswers([](int) { return QByteArray(1, '\x06'); }, 127));
    ASSERT_TRUE(device.open(rig.portLinkPath()));
    EdidTransfer transfer(rig.config.settings, rig.link);
    Recorder record(transfer, rig.link);
    QSignalSpy cancel(&transfer, &EdidTransfer::cancelEnabledChanged);

    EXPECT_FALSE(transfer.Run(0, writeFile(rig, "e.bin", sampleEdid()), "COM1"));

    EXPECT_EQ(record.statuses, (QStringList{"Writing EDID", "Download Failed!"}));
    // Cancel is off while the router writes and back on at the end.
    ASSERT_EQ(cancel.count(), 2);
    EXPECT_FALSE(cancel[0][0].toBool());
    EXPECT_TRUE(cancel[1][0].toBool());
    EXPECT_FALSE(rig.link.CommBusy());
}

TEST(EdidTransfer, FileOfTheWrongLengthOrMissingSendsNothing)
{
    LinkRig rig(quickRig());
    ASSERT_TRUE(rig.openLine());
    EdidTransfer transfer(rig.config.settings, rig.link);
    Recorder record(transfer, rig.link);
    QSignalSpy finished(&transfer, &EdidTransfer::finished);

    EXPECT_FALSE(transfer.Run(0, writeFile(rig, "short.bin", sampleEdid(127)), "COM1"));
    EXPECT_FALSE(transfer.Run(0, writeFile(rig, "long.bin", sampleEdid(256)), "COM1"));
    EXPECT_TRUE(rig.platform.messages.empty());
    EXPECT_FALSE(transfer.Run(0, rig.dataDir.path() + "/absent.bin", "COM1"));

    EXPECT_EQ(record.statuses, (QStringList{"Bad EDID file!", "Bad EDID file!", "File not found"}));
    EXPECT_EQ(record.lastColour, EdidTransfer::kRed);
    ASSERT_EQ(rig.platform.messages.size(), 1u);
    EXPECT_EQ(rig.platform.messages.front().text, "File Not Found!");
    EXPECT_EQ(rig.platform.messages.front().icon, MessageIcon::Exclamation);
    EXPECT_EQ(finished.count(), 3);
    EXPECT_EQ(rig.link.transmissions(), 0u);
    EXPECT_FALSE(rig.link.isOpen());
    EXPECT_FALSE(rig.link.CommBusy());
}

TEST(EdidTransfer, TypeABorrowsTheSetupDialogsPortOnlyForTheTransfer)
{
    LinkRig rig(quickRig(kTypeA));
    ASSERT_TRUE(rig.openLine());
    rig.config.settings.CommPortName = "COM7";

    EdidTransfer transfer(rig.config.settings, rig.link);
    EXPECT_TRUE(transfer.Run(0, writeFile(rig, "e.bin", sampleEdid()), "COM1"));

    EXPECT_EQ(rig.line.edid(0), sampleEdid());
    EXPECT_EQ(rig.config.settings.CommPortName, "COM7");
    EXPECT_FALSE(rig.link.isOpen());
}

} // namespace
} // namespace corvantis::test
