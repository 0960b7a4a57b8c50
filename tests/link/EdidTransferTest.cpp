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

// A router that acknowledges each block once (the doubled one twice, the missing one never),
// and the 16th also with the acknowledgements of the 128 bytes it writes.
ScriptedDevice::Responder blockAnswers(int doubled = -1, int missing = -1)
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
            const int block = (*blocks)++;
            reply += kAck.repeated(block == doubled ? 2 : block == missing ? 0 : 1);
            if (*blocks == EdidTransfer::kBlocks)
                reply += kAck.repeated(EdidTransfer::kEdidSize);
        }
        return reply;
    };
}

// The header, then one block at a time on each acknowledgement: two together carry the next
// block; a missing one ends the transfer. The line is busy throughout. A file of the wrong
// length or none sends nothing.
TEST(EdidTransfer, BlocksGoOutOnTheirAcknowledgementsAndAMissingOneFails)
{
    const struct {
        QByteArray file; // empty: there is none
        int doubled, missing;
        int blocksSent; // -1: not even the header
        QStringList statuses;
    } cases[] = {
        {sampleEdid(), 3, 4, 16, {"Writing EDID", "Download Success!"}},
        {sampleEdid(), -1, 5, 6, {"Download Failed!"}},
        {sampleEdid(256), -1, -1, -1, {"Bad EDID file!"}},
        {{}, -1, -1, -1, {"File not found"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.statuses.join(", ").toStdString());
        const bool succeeds = c.statuses.last() == "Download Success!";
        LinkRig rig(quickRig(kTypeB, 0.05f));
        ScriptedDevice device(blockAnswers(c.doubled, c.missing));
        ASSERT_TRUE(device.open(rig.portLinkPath()));
        EdidTransfer transfer(rig.config.settings, rig.link);
        QSignalSpy status(&transfer, &EdidTransfer::statusChanged);
        QSignalSpy progress(&transfer, &EdidTransfer::progressChanged);
        bool busyThroughout = true;
        QObject::connect(&transfer, &EdidTransfer::progressChanged,
                         [&] { busyThroughout = busyThroughout && rig.link.CommBusy(); });
        QSignalSpy ok(&transfer, &EdidTransfer::okEnabledChanged);
        const QString path =
            c.file.isEmpty() ? rig.dataDir.filePath("absent.bin") : rig.writeFile("e.bin", c.file);

        EXPECT_EQ(finish(transfer.Run(0, path, "COM1")), succeeds);

        const bool sent = c.blocksSent >= 0;
        EXPECT_EQ(
            device.received().left(kHeaderSize + kBlockFrameSize),
            sent ? QByteArrayLiteral("\xBE\xEF\x00\x00\x01\x00\xFF\xFF\xFF\xFF\xFF\xFF\x00\x00")
                 : QByteArray());
        EXPECT_EQ(device.received().size(),
                  sent ? kHeaderSize + c.blocksSent * kBlockFrameSize : 0);
        QStringList statuses;
        for (const QList<QVariant> &args : status)
            statuses << args[0].toString();
        EXPECT_EQ(statuses, c.statuses);
        EXPECT_EQ(status.last()[1].toInt(), succeeds ? EdidTransfer::kGreen : EdidTransfer::kRed);
        EXPECT_EQ(ok.count(), sent ? 1 : 0);
        EXPECT_EQ(rig.platform.messageTexts(),
                  std::vector<std::string>(c.file.isEmpty(), "File Not Found!"));
        EXPECT_TRUE(busyThroughout);
        EXPECT_FALSE(rig.link.CommBusy());
        if (succeeds) {
            ASSERT_EQ(progress.size(), 16 + 1 + 128);
            EXPECT_EQ(progress[1][2].toString(), "12%"); // 12.5 % to even
            EXPECT_EQ(progress.last()[2].toString(), "100%");
        }
    }
}

// Type A borrows the setup dialog's port for the transfer and opens the configured one again
// after it; a line named by its address is used as it is, the COM port the dialog names stays
// untouched and the line is never closed for the transfer.
TEST(EdidTransfer, TypeABorrowsTheSetupDialogsPortUnlessTheLineIsNamedByAnAddress)
{
    for (const bool byAddress : {false, true}) {
        SCOPED_TRACE(byAddress ? "named by an address" : "COM1");
        LinkRig rig(quickRig(kTypeA));
        const QString ports = QString::fromStdString(ProgramDataFolder()) + "ports/";
        ScriptedDevice named(blockAnswers());
        ScriptedDevice configured(blockAnswers());
        ASSERT_TRUE(named.open(ports + "com2"));
        if (byAddress) {
            ASSERT_TRUE(configured.open(ports + "line"));
            rig.config.settings.CommPortAddress = (ports + "line").toStdString();
            ASSERT_FALSE(finish(rig.link.OpenCommPort()));
        } else {
            ASSERT_TRUE(rig.openLineAndPort());
        }
        int closings = 0;
        QObject::connect(&rig.link, &SerialLink::portOpenChanged,
                         [&closings](bool open) { closings += open ? 0 : 1; });
        EdidTransfer transfer(rig.config.settings, rig.link);

        EXPECT_TRUE(finish(transfer.Run(0, rig.writeFile("e.bin", sampleEdid()), "COM2")));

        EXPECT_EQ((byAddress ? configured : named).received().size(),
                  kHeaderSize + 16 * kBlockFrameSize);
        EXPECT_TRUE(byAddress ? named.received().isEmpty() : rig.line.receivedFrames().isEmpty());
        EXPECT_EQ(closings, byAddress ? 0 : 2);
        EXPECT_EQ(rig.config.settings.CommPortName, "COM1");
        EXPECT_TRUE(rig.link.isOpen());
        if (byAddress)
            continue;
        // What the router on the configured port reports on its own still comes in.
        ASSERT_TRUE(waitFor([&] { return rig.line.isAttached(); }));
        QSignalSpy reports(&rig.link, &SerialLink::routerReported);
        ASSERT_TRUE(rig.line.frontPanelRoute(0, 3, 5));
        ASSERT_TRUE(waitFor([&] { return reports.count() == 1; }));
        EXPECT_EQ(reports[0][0].toInt(), 5 * 16 + 3);
    }
}

} // namespace
} // namespace corvantis::test
