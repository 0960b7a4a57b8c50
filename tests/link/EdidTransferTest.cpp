#include "link/EdidTransfer.h"

#include "LinkRig.h"
#include "ScriptedDevice.h"
#include "util/GeneralFunctions.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace corvantis::test {
namespace {

constexpr int kHeaderSize = 5;
constexpr int kBlockFrameSize = 9;
const QByteArray kAck(1, '\x06');

QByteArray sampleEdid(int size = EdidTransfer::kEdidSize)
{
    QByteArray edid = QByteArrayLiteral("\x00\xFF\xFF\xFF\xFF\xFF\xFF\x00");
    while (edid.size() < size)
        edid += static_cast<char>(edid.size() * 7);
    return edid.left(size);
}

// A router that answers block k with ackFor(k), and the 16th also with the acknowledgements
// of the 128 bytes it writes.
ScriptedDevice::Responder blockAnswers(std::function<QByteArray(int block)> ackFor)
{
    auto blocks = std::make_shared<int>(-1); // -1: header not seen yet
    return [=](QByteArray &pending) {
        QByteArray reply;
        if (*blocks < 0 && pending.size() >= kHeaderSize) {
            pending.remove(0, kHeaderSize);
            *blocks = 0;
        }
        while (*blocks >= 0 && pending.size() >= kBlockFrameSize) {
            pending.remove(0, kBlockFrameSize);
            reply += ackFor((*blocks)++);
            if (*blocks == EdidTransfer::kBlocks)
                reply += kAck.repeated(EdidTransfer::kEdidSize);
        }
        return reply;
    };
}

struct Recorder {
    Recorder(EdidTransfer &transfer, SerialLink &link)
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

// The header, then one block at a time on each acknowledgement: two together carry the next
// block; a missing one ends the transfer. The line is busy throughout.
TEST(EdidTransfer, BlocksGoOutOnTheirAcknowledgementsAndAMissingOneFails)
{
    const struct {
        std::function<QByteArray(int)> ackFor;
        bool succeeds;
        int blocksSent;
    } cases[] = {
        {[](int block) { return block == 3   ? kAck + kAck
                                : block == 4 ? QByteArray()
                                             : kAck; },
         true, 16},
        {[](int block) { return block == 5 ? QByteArray() : kAck; }, false, 6},
    };
    for (const auto &c : cases) {
        LinkRig rig(quickRig(kTypeB, 0.05f));
        ScriptedDevice device(blockAnswers(c.ackFor));
        ASSERT_TRUE(device.open(rig.portLinkPath()));
        EdidTransfer transfer(rig.config.settings, rig.link);
        Recorder record(transfer, rig.link);
        QSignalSpy ok(&transfer, &EdidTransfer::okEnabledChanged);

        EXPECT_EQ(finish(transfer.Run(0, rig.writeFile("e.bin", sampleEdid()), "COM1")),
                  c.succeeds);

        EXPECT_EQ(device.received().left(kHeaderSize + kBlockFrameSize),
                  QByteArrayLiteral("\xBE\xEF\x00\x00\x01\x00\xFF\xFF\xFF\xFF\xFF\xFF\x00\x00"));
        EXPECT_EQ(device.received().size(), kHeaderSize + c.blocksSent * kBlockFrameSize);
        EXPECT_EQ(record.statuses, (c.succeeds ? QStringList{"Writing EDID", "Download Success!"}
                                               : QStringList{"Download Failed!"}));
        EXPECT_EQ(record.lastColour, c.succeeds ? EdidTransfer::kGreen : EdidTransfer::kRed);
        EXPECT_EQ(ok.count(), 1);
        EXPECT_TRUE(record.busyThroughout);
        EXPECT_FALSE(rig.link.CommBusy());
        if (c.succeeds) {
            ASSERT_EQ(record.percents.size(), 16 + 1 + 128);
            EXPECT_EQ(record.percents[1], "12%"); // 12.5 % to even
            EXPECT_EQ(record.percents.last(), "100%");
        }
    }
}

TEST(EdidTransfer, FileOfTheWrongLengthOrMissingSendsNothing)
{
    LinkRig rig(quickRig(kTypeB));
    ASSERT_TRUE(rig.openLine());
    EdidTransfer transfer(rig.config.settings, rig.link);
    Recorder record(transfer, rig.link);

    EXPECT_FALSE(finish(transfer.Run(0, rig.writeFile("long.bin", sampleEdid(256)), "COM1")));
    EXPECT_TRUE(rig.platform.messages.empty());
    EXPECT_FALSE(finish(transfer.Run(0, rig.dataDir.path() + "/absent.bin", "COM1")));

    EXPECT_EQ(record.statuses, (QStringList{"Bad EDID file!", "File not found"}));
    EXPECT_EQ(record.lastColour, EdidTransfer::kRed);
    ASSERT_EQ(rig.platform.messages.size(), 1u);
    EXPECT_EQ(rig.platform.messages.front().text, "File Not Found!");
    EXPECT_EQ(rig.link.transmissions(), 0u);
    EXPECT_FALSE(rig.link.CommBusy());
}

TEST(EdidTransfer, TypeABorrowsTheSetupDialogsPortThenReopensTheConfiguredOne)
{
    LinkRig rig(quickRig(kTypeA));
    ASSERT_TRUE(rig.openLineAndPort());
    // The setup dialog names COM2, where another router takes the file.
    ScriptedDevice device(blockAnswers([](int) { return kAck; }));
    ASSERT_TRUE(device.open(QString::fromStdString(ProgramDataFolder()) + "ports/com2"));
    EdidTransfer transfer(rig.config.settings, rig.link);

    EXPECT_TRUE(finish(transfer.Run(0, rig.writeFile("e.bin", sampleEdid()), "COM2")));

    EXPECT_EQ(device.received().size(), kHeaderSize + 16 * kBlockFrameSize);
    EXPECT_EQ(rig.config.settings.CommPortName, "COM1");
    EXPECT_TRUE(rig.link.isOpen());
    // What the router on the configured port reports on its own still comes in.
    ASSERT_TRUE(waitFor([&] { return rig.line.isAttached(); }));
    QSignalSpy reports(&rig.link, &SerialLink::routerReported);
    ASSERT_TRUE(rig.line.frontPanelRoute(0, 3, 5));
    ASSERT_TRUE(waitFor([&] { return reports.count() == 1; }));
    EXPECT_EQ(reports[0][0].toInt(), 5 * 16 + 3);
}

// A line named by its address is used as it is: the COM port the dialog names stays untouched
// and the configured line is never closed for the transfer.
TEST(EdidTransfer, TypeAKeepsALineNamedByAnAddress)
{
    LinkRig rig(quickRig(kTypeA));
    const QString ports = QString::fromStdString(ProgramDataFolder()) + "ports/";
    ScriptedDevice configured(blockAnswers([](int) { return kAck; }));
    ScriptedDevice named(blockAnswers([](int) { return kAck; }));
    ASSERT_TRUE(configured.open(ports + "line"));
    ASSERT_TRUE(named.open(ports + "com2"));
    rig.config.settings.CommPortAddress = (ports + "line").toStdString();
    ASSERT_FALSE(finish(rig.link.OpenCommPort()));
    int closings = 0;
    QObject::connect(&rig.link, &SerialLink::portOpenChanged,
                     [&closings](bool open) { closings += open ? 0 : 1; });
    EdidTransfer transfer(rig.config.settings, rig.link);

    EXPECT_TRUE(finish(transfer.Run(0, rig.writeFile("e.bin", sampleEdid()), "COM2")));

    EXPECT_EQ(configured.received().size(), kHeaderSize + 16 * kBlockFrameSize);
    EXPECT_TRUE(named.received().isEmpty());
    EXPECT_EQ(closings, 0);
}

} // namespace
} // namespace corvantis::test
