// The window's choice to serve panels: a refused address changes nothing, a new one keeps the
// connected panels, and the choice is kept for the next start only when it took effect.
#include "service/PanelListening.h"

#include "../link/LinkRig.h"
#include "FakeMatrixControl.h"
#include "PanelClient.h"
#include "core/OutputLocks.h"
#include "net/PanelServer.h"
#include "net/Swp08Server.h"

#include <QSettings>
#include <QTcpServer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace corvantis;
using namespace corvantis::test;

// Each server keeps a choice of its own.
TEST(PanelListeningTest, ARefusedAddressOrAMoveKeepsThePanelsAndOnlyATakenChoiceIsStored)
{
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    FakeMatrixControl matrix(FakeMatrixControl::Layout{});
    OutputLocks locks;
    PanelServer server(matrix, locks);
    PanelListening listening(server, PanelListening::kTextPanels);
    Swp08Server swp08(matrix, locks);
    PanelListening swp08Listening(swp08, PanelListening::kSwp08Controllers);
    EXPECT_EQ(listening.stored(), (PanelListening::Choice{false, "127.0.0.1:9990"}));
    const auto servedAt = [&server] {
        return QStringLiteral("127.0.0.1:%1").arg(server.serverPort());
    };

    const QString free = QStringLiteral("127.0.0.1:%1").arg(freeLoopbackPort());
    ASSERT_EQ(listening.apply({true, free}), QString());
    EXPECT_EQ(listening.stored(), (PanelListening::Choice{true, free}));
    EXPECT_EQ(swp08Listening.stored(), (PanelListening::Choice{false, "127.0.0.1:8910"}));
    EXPECT_FALSE(swp08.isListening());
    PanelClient panel;
    ASSERT_TRUE(panel.open(server.serverPort()));
    const auto answered = [&panel] {
        const int before = panel.acks;
        panel.send("PING:\n\n");
        return panel.waitFor([&] { return panel.acks > before; });
    };

    QTcpServer holder;
    ASSERT_TRUE(holder.listen(QHostAddress::LocalHost));
    const QString taken = QStringLiteral("127.0.0.1:%1").arg(holder.serverPort());
    for (const QString &refused : {taken, QStringLiteral("nowhere:99"), QStringLiteral("9990")}) {
        EXPECT_FALSE(listening.apply({true, refused}).isEmpty()) << qPrintable(refused);
        EXPECT_EQ(servedAt(), free);
        EXPECT_EQ(listening.stored(), (PanelListening::Choice{true, free}));
    }
    EXPECT_TRUE(answered());

    // The old address is let go; the same port taken again moves the socket in place.
    const QString moved = QStringLiteral("127.0.0.1:%1").arg(freeLoopbackPort());
    ASSERT_EQ(listening.apply({true, moved}), QString());
    EXPECT_EQ(servedAt(), moved);
    EXPECT_TRUE(QTcpServer().listen(QHostAddress::LocalHost, free.section(':', 1).toUShort()));
    EXPECT_TRUE(server.listen(QHostAddress::LocalHost, server.serverPort()));
    EXPECT_EQ(servedAt(), moved);
    PanelClient late;
    EXPECT_TRUE(late.open(server.serverPort()));
    EXPECT_TRUE(answered());
    EXPECT_EQ(server.clientCount(), 2);

    ASSERT_EQ(listening.apply({false, moved}), QString());
    EXPECT_FALSE(server.isListening());
    EXPECT_FALSE(listening.stored().enabled);
    ASSERT_EQ(swp08Listening.apply({true, free}), QString());
    EXPECT_TRUE(swp08.isListening());
    EXPECT_EQ(swp08Listening.stored(), (PanelListening::Choice{true, free}));
    EXPECT_EQ(listening.stored(), (PanelListening::Choice{false, moved}));
}
