// The window's choice to serve panels: a refused address changes nothing, the choice is kept
// for the next start only when it took effect.
#include "service/PanelListening.h"

#include "FakeMatrixControl.h"
#include "core/OutputLocks.h"
#include "net/PanelServer.h"

#include <QSettings>
#include <QTcpServer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace corvantis;
using namespace corvantis::test;

TEST(PanelListeningTest, ARefusedAddressKeepsTheServerAndTheStoredChoiceAsTheyWere)
{
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    FakeMatrixControl matrix(FakeMatrixControl::Layout{});
    OutputLocks locks;
    PanelServer server(matrix, locks);
    PanelListening listening(server);

    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const QString free = QStringLiteral("127.0.0.1:%1").arg(probe.serverPort());
    probe.close();
    ASSERT_EQ(listening.apply({true, free}), QString());
    EXPECT_TRUE(server.isListening());
    EXPECT_EQ(PanelListening::stored(), (PanelListening::Choice{true, free}));

    QTcpServer holder;
    ASSERT_TRUE(holder.listen(QHostAddress::LocalHost));
    const QString taken = QStringLiteral("127.0.0.1:%1").arg(holder.serverPort());
    for (const QString &refused : {taken, QStringLiteral("nowhere:99"), QStringLiteral("9990")}) {
        EXPECT_FALSE(listening.apply({true, refused}).isEmpty()) << qPrintable(refused);
        EXPECT_TRUE(server.isListening()) << qPrintable(refused);
        EXPECT_EQ(QStringLiteral("127.0.0.1:%1").arg(server.serverPort()), free);
        EXPECT_EQ(PanelListening::stored(), (PanelListening::Choice{true, free}));
    }

    ASSERT_EQ(listening.apply({false, free}), QString());
    EXPECT_FALSE(server.isListening());
    EXPECT_FALSE(PanelListening::stored().enabled);
}
