#include "LinkRig.h"
#include "link/Framing.h"
#include "link/PortOpenFailure.h"
#include "link/SerialPortTransport.h"

#include <QCoreApplication>
#include <QFile>
#include <QSerialPort>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QTimer>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

namespace corvantis::test {
namespace {

class SerialLinkTest : public ::testing::TestWithParam<int> {};

TEST_P(SerialLinkTest, AnsweredRouteGoesOutOnceAndAnUnansweredOneFiveTimesReportedOnce)
{
    LinkRig rig({.commType = GetParam()});
    ASSERT_TRUE(rig.openLine());

    EXPECT_EQ(finish(rig.link.SendCommand(0, CmdRoute, 4, 2, true)), 6);
    EXPECT_TRUE(rig.link.CommOK());
    EXPECT_TRUE(rig.errorLines.isEmpty());

    rig.line.setSilent(true);
    EXPECT_EQ(finish(rig.link.SendCommand(0, CmdRoute, 5, 2, true)), 0);
    ASSERT_TRUE(waitFor([&] { return rig.line.framesReceived() == 6; }));
    EXPECT_EQ(rig.received(LinkRig::frame(GetParam(), 0, CmdRoute, 4, 2)), 1);
    EXPECT_EQ(rig.received(LinkRig::frame(GetParam(), 0, CmdRoute, 5, 2)), 5);
    EXPECT_EQ(rig.errorLines, QStringList{"No reply from the router"});
    // Only the ASCII framing takes a missing reply as a broken link.
    EXPECT_EQ(rig.link.CommOK(), GetParam() == kTypeA);
    EXPECT_FALSE(rig.link.CommBusy());
}

INSTANTIATE_TEST_SUITE_P(BothFramings, SerialLinkTest, ::testing::Values(kTypeA, kTypeB));

TEST(SerialLink, CallInsideAWaitingCommandTransmitsNothingAndLeavesTheCommandAlone)
{
    LinkRig rig({.commType = kTypeA, .routerTimeout = 0.1f});
    rig.line.setSilent(true);
    ASSERT_TRUE(rig.openLine());

    int innerResult = -99;
    bool busyAfterInner = false;
    QTimer::singleShot(30, &rig.link, [&] {
        innerResult = finish(rig.link.SendCommand(0, CmdRoute, 9, 9, true));
        busyAfterInner = rig.link.CommBusy();
    });
    EXPECT_EQ(finish(rig.link.SendCommand(0, CmdRoute, 1, 1, true)), 0);

    EXPECT_EQ(innerResult, 0);
    EXPECT_TRUE(busyAfterInner);
    EXPECT_EQ(rig.link.transmissions(), 5u);
    EXPECT_EQ(rig.received(LinkRig::frame(kTypeA, 0, CmdRoute, 9, 9)), 0);
}

TEST(SerialLink, PortThatCannotBeOpenedIsReportedWhateverTheTimeout)
{
    LinkRig rig({.commType = kTypeA});
    rig.line.setSilent(true);
    // ports/com1 points at nothing, as when a device was unplugged.
    const std::filesystem::path link = rig.portLinkPath().toStdString();
    std::filesystem::create_directories(link.parent_path());
    std::filesystem::create_symlink(rig.dataDir.path().toStdString() + "/no-such-device", link);

    EXPECT_EQ(finish(rig.link.SendCommand(0, CmdRoute, 4, 2, true)), -2);
    EXPECT_TRUE(finish(rig.engine.RouteOnRouter(rig.router(0), 4, 2, 3)));
    EXPECT_EQ(rig.router(0).RouteState(4)->Video(), -1);
    // The link leads to a device that is not there: the message says so and where it looked.
    const QString missing = "Comm Port 1 is unavailable: no device at " + rig.dataDir.path() +
                            "/no-such-device (the link " + rig.portLinkPath() + " leads there)";
    EXPECT_EQ(rig.errorLines, QStringList({missing, missing}));
    EXPECT_FALSE(rig.link.CommBusy());

    // Without a time-out nothing is waited for, but a command that could not go out still
    // fails and says so; once there is a port the route goes out unanswered and counts as
    // accepted.
    rig.config.settings.RouterTimeout = 0.0f;
    rig.errorLines.clear();
    EXPECT_EQ(finish(rig.link.SendCommand(0, CmdRoute, 4, 2, false)), -2);
    EXPECT_EQ(rig.errorLines, QStringList{missing});
    ASSERT_TRUE(rig.openLine());
    EXPECT_FALSE(rig.link.CommOK());
    EXPECT_FALSE(finish(rig.engine.RouteOnRouter(rig.router(0), 4, 2, 3)));
    EXPECT_TRUE(rig.link.CommOK());
    EXPECT_EQ(rig.router(0).RouteState(4)->Video(), 2);
    EXPECT_EQ(rig.link.transmissions(), 1u);
}

TEST(SerialLink, VanishedDeviceClosesThePortOnceAndTheNextCommandReopensIt)
{
    LinkRig rig({.commType = kTypeA, .routerType = kAliveModel});
    ASSERT_TRUE(rig.openLine());
    ASSERT_EQ(finish(rig.link.SendCommand(0, CmdRoute, 4, 2, true)), 6);
    QSignalSpy online(&rig.poller, &StatusPoller::matrixOnlineChanged);

    rig.line.close();
    ASSERT_TRUE(waitFor([&] { return !rig.link.isOpen(); }));
    // Give a storm of read errors every chance to show.
    finish(rig.link.Delay(std::chrono::milliseconds(300)));
    ASSERT_EQ(rig.errorLines.size(), 1);
    EXPECT_TRUE(rig.errorLines[0].startsWith("Comm Port 1 is unavailable"));
    EXPECT_EQ(online, QList<QVariantList>{{false}});

    ASSERT_TRUE(rig.openLine());
    EXPECT_EQ(finish(rig.link.SendCommand(0, CmdRoute, 5, 3, true)), 6);
    EXPECT_EQ(rig.line.crosspoint(0, 5), 3);
    EXPECT_EQ(rig.errorLines.size(), 1);
}

// Input flushed between the system's "ready" and the read leaves the read with nothing, and
// a socket's last call may have left EAGAIN behind: the device is still there, so the port
// stays open and goes on reading.
TEST(SerialLink, AReadThatFindsItsInputFlushedLosesNothingElse)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_TRUE(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
    SerialPortTransport transport(QString::fromLocal8Bit(::ptsname(master)));
    ASSERT_TRUE(transport.open());
    QSignalSpy lost(&transport, &LinkTransport::errorOccurred);
    QSignalSpy ready(&transport, &LinkTransport::readyRead);
    // A notifier of ours, turned on before the port's, flushes the first input as it arrives.
    auto *const watch = transport.findChild<QSerialPort *>()->findChild<QSocketNotifier *>();
    watch->setEnabled(false);
    QSocketNotifier flusher(watch->socket(), QSocketNotifier::Read);
    QObject::connect(&flusher, &QSocketNotifier::activated, [&] {
        ::tcflush(int(watch->socket()), TCIFLUSH);
        errno = EAGAIN;
        flusher.setEnabled(false);
    });
    watch->setEnabled(true);
    ASSERT_EQ(::write(master, "U\x03\x07", 3), 3);
    ASSERT_TRUE(waitFor([&] { return !flusher.isEnabled(); }));
    ASSERT_EQ(::write(master, "U\x04\x08", 3), 3);
    ASSERT_TRUE(waitFor([&] { return !ready.isEmpty(); }));
    EXPECT_EQ(transport.readAll(), "U\x04\x08");
    EXPECT_TRUE(lost.isEmpty());
    ::close(master);
}

// Each cause of a port that does not open says why and what to do; a link that leads to no
// device is the dangling link test's.
TEST(SerialLink, PortOpenFailureSaysWhyAndWhatToDo)
{
    struct Case {
        PortOpenFailure failure;
        const char *text;
    };
    const Case cases[] = {
        {{"/dev/ttyS0", "/d/ports/com1", false, false, false, {}},
         "no device at /dev/ttyS0 (no link /d/ports/com1 either)"},
        {{"/dev/ttyUSB0", "", false, false, false, {}}, "no device at /dev/ttyUSB0"},
        {{"/dev/ttyUSB0", "", false, true, true, {}},
         "permission denied on /dev/ttyUSB0: add your user to the dialout group, then log in "
         "again"},
        {{"/dev/ttyUSB0", "", false, true, false, "minicom (process 42)"},
         "/dev/ttyUSB0 is in use by minicom (process 42)"},
        {{"/dev/ttyUSB0", "", false, true, false, {}}, ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.failure.Explain(), c.text);

    // The lock file names its holder's process.
    QTemporaryDir locks;
    QFile lock(locks.path() + "/LCK..null");
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write(QByteArray::number(QCoreApplication::applicationPid()) + "\n");
    lock.close();
    const auto held = PortOpenFailure::Probe("/dev/null", "", locks.path().toStdString());
    ASSERT_TRUE(held.heldBy);
    EXPECT_NE(held.heldBy->find("(process " + std::to_string(QCoreApplication::applicationPid())),
              std::string::npos);
}

} // namespace
} // namespace corvantis::test
