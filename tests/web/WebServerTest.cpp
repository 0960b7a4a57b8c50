// The web panel's server over the real core, the link and the virtual line, with pages as
// QWebSocket clients: what a page asks goes out on the wire, every page sees what the routers
// took, and nothing a page sends (or fails to read) reaches past its own connection.
#include "web/WebServer.h"

#include "../link/CoreRig.h"
#include "../link/LinkRig.h"
#include "WebPage.h"
#include "web/PinHash.h"

#include <QJsonArray>
#include <QProcess>
#include <QTcpSocket>
#include <gtest/gtest.h>

using namespace corvantis;
using namespace corvantis::test;

namespace {

const QString kPin = QStringLiteral("4711");

struct WebRig : CoreRig {
    explicit WebRig(std::initializer_list<int> ports = {16}) : CoreRig(ports)
    {
        server.setAccess({PinHash::make(kPin), true});
        listening = opened && server.listen(QHostAddress::LocalHost, 0);
    }
    quint16 port() const { return server.serverPort(); }
    // Connects the page and, for routing, gives the PIN.
    [[nodiscard]] bool enter(WebPage &page, bool routing = true)
    {
        return page.open(port()) &&
               (!routing || page.ask({{"do", "login"}, {"pin", kPin}}) == "ok");
    }

    WebServer server{core};
    bool listening = false;
};

QJsonObject routeRequest(int output, int input)
{
    return {{"do", "route"}, {"output", output}, {"input", input}, {"level", 3}};
}

QJsonObject video(const WebPage &page, int output)
{
    return page.state["routes"].toArray()[output].toObject()["video"].toObject();
}

TEST(WebServerTest, APageGetsTheWholeStateAndTheSessionCookie)
{
    WebRig rig;
    ASSERT_TRUE(rig.listening);
    const QByteArray html = WebPage::get(rig.port(), "/");
    EXPECT_TRUE(html.startsWith("HTTP/1.1 200"));
    EXPECT_TRUE(html.contains("Path=/; HttpOnly; SameSite=Strict"));
    EXPECT_TRUE(html.contains("Content-Security-Policy: default-src 'none'"));
    EXPECT_TRUE(WebPage::get(rig.port(), "/../main.cpp").startsWith("HTTP/1.1 404"));

    WebPage page;
    ASSERT_TRUE(page.open(rig.port()));
    const QJsonObject &state = page.state;
    EXPECT_EQ(state["type"], "state");
    EXPECT_EQ(state["matrix"].toObject(),
              (QJsonObject{
                  {"title", "Palomir 16x16"}, {"inputs", 16}, {"outputs", 16}, {"levels", false}}));
    EXPECT_EQ(state["inputs"].toArray()[2].toString().toStdString(),
              rig.name(AppCore::Side::Input, 3));
    EXPECT_EQ(state["routes"].toArray().size(), 16);
    EXPECT_EQ(state["locks"].toArray(), QJsonArray(QJsonArray::fromVariantList(QVariantList(16))));
    EXPECT_EQ(state["routers"].toArray()[0].toObject()["frame"], 0);
    EXPECT_EQ(state["line"].toObject()["state"], "open");
    QJsonObject session = state["session"].toObject();
    EXPECT_GT(session.take("owner").toInt(), OutputLocks::kThisComputer);
    EXPECT_EQ(session, (QJsonObject{{"name", "web 127.0.0.1"},
                                    {"view", true},
                                    {"route", false},
                                    {"pin", true},
                                    {"secure", false}}));
}

// Slow routers: each route is pending from its request on, and no page is told it holds before
// the router took it.
TEST(WebServerTest, ARouteFromAPageGoesOnTheWireAndEveryPageSeesItPendingThenConfirmed)
{
    WebRig rig({8, 8});
    ASSERT_TRUE(rig.listening);
    rig.line.setPacing(true);
    WebPage first;
    WebPage second;
    ASSERT_TRUE(rig.enter(first));
    ASSERT_TRUE(rig.enter(second, false));
    EXPECT_TRUE(first.state["session"].toObject()["route"].toBool());

    ASSERT_EQ(first.ask(routeRequest(3, 5)), "ok");
    for (WebPage *page : {&first, &second})
        ASSERT_TRUE(page->waitFor([&] {
            return video(*page, 3) == QJsonObject{{"input", 5}, {"state", "confirmed"}};
        }));
    EXPECT_EQ(rig.line.receivedFrames().count(CoreRig::route(3, 5)), 1);
    EXPECT_EQ(rig.line.crosspoint(0, 3), 5);

    // Behind a route that waits for a silent router (its order is the core's action path test's).
    rig.line.setRouterSilent(0, true);
    ASSERT_EQ(first.ask(routeRequest(3, 7)), "ok");
    ASSERT_EQ(first.ask(routeRequest(9, 10)), "ok");
    ASSERT_TRUE(second.waitFor([&] { return video(second, 9)["state"] == "confirmed"; }));
    for (WebPage *page : {&first, &second}) {
        EXPECT_EQ(page->videoHistory[3], QStringList({"-1 confirmed", "-1 pending 5", "5 confirmed",
                                                      "5 pending 7", "5 failed"}));
        EXPECT_EQ(page->videoHistory[9],
                  QStringList({"-1 confirmed", "-1 pending 10", "10 confirmed"}));
    }
}

struct Refusal {
    const char *name;
    bool login;
    QByteArray request;
    const char *error;
};

class WebRefusalTest : public ::testing::TestWithParam<Refusal> {};

// Each is answered with why, nothing of it goes on the line, and the page stays connected. A
// wrong PIN is the PIN limit test's, a lock's refusals the locks test's.
TEST_P(WebRefusalTest, IsAnsweredAndChangesNothing)
{
    const Refusal &refusal = GetParam();
    WebRig rig;
    ASSERT_TRUE(rig.listening);
    WebPage page;
    ASSERT_TRUE(rig.enter(page, refusal.login));
    const qsizetype before = page.messages.size();
    page.sendText(QString::fromUtf8(refusal.request));
    ASSERT_TRUE(page.waitFor([&] { return page.messages.size() > before; }));
    EXPECT_EQ(page.messages.back()["error"].toString().toStdString(), refusal.error);
    ASSERT_TRUE(rig.settle());
    for (const QByteArray &frame : rig.line.receivedFrames()) // no "//F00M..." route
        EXPECT_FALSE(frame.contains('M')) << frame.toStdString();
    EXPECT_EQ(page.ask(routeRequest(2, 2)),
              refusal.login ? "ok" : "This page may only view: give the PIN to route");
}

INSTANTIATE_TEST_SUITE_P(
    Requests, WebRefusalTest,
    ::testing::Values(
        Refusal{"ViewOnly", false, R"({"do":"route","output":1,"input":2})",
                "This page may only view: give the PIN to route"},
        Refusal{"NoSuchInput", true, R"({"do":"route","output":1,"input":16})",
                "A route names an output, an input and a level (1 to 3)"},
        Refusal{"Fraction", true, R"({"do":"route","output":1.5,"input":2})",
                "A route names an output, an input and a level (1 to 3)"},
        Refusal{"EmptyTake", true, R"({"do":"take","routes":[]})", "A take holds 1 to 256 routes"},
        Refusal{"NoSalvo", true, R"({"do":"fire","salvo":"Nope"})", "There is no salvo \"Nope\""},
        Refusal{"Unknown", true, R"({"do":"format"})", "Unknown request \"format\""},
        Refusal{"NotJson", true, R"({"do":"route",)", "A request is one JSON object"},
        Refusal{"Array", true, R"([1,2])", "A request is one JSON object"}),
    [](const ::testing::TestParamInfo<Refusal> &info) { return std::string(info.param.name); });

TEST(WebServerTest, PinAttemptsAreLimitedPerAddress)
{
    WebRig rig;
    ASSERT_TRUE(rig.listening);
    WebPage page;
    ASSERT_TRUE(page.open(rig.port()));
    for (int attempt = 0; attempt < 5; ++attempt)
        ASSERT_EQ(page.ask({{"do", "login"}, {"pin", "0000"}}), "Wrong PIN");
    // From another session of the same address too, and the right PIN is not even checked.
    WebPage other;
    ASSERT_TRUE(other.open(rig.port()));
    EXPECT_TRUE(other.ask({{"do", "login"}, {"pin", kPin}}).startsWith("Too many PIN attempts"));
    EXPECT_FALSE(other.state["session"].toObject()["route"].toBool());
}

struct Stranger {
    const char *name;
    WebPage::Options options;
};

class WebStrangerTest : public ::testing::TestWithParam<Stranger> {};

TEST_P(WebStrangerTest, IsClosedBeforeItIsToldAnything)
{
    WebRig rig;
    ASSERT_TRUE(rig.listening);
    WebPage page;
    EXPECT_FALSE(page.open(rig.port(), GetParam().options));
    EXPECT_EQ(page.closeCode, QWebSocketProtocol::CloseCodePolicyViolated);
    EXPECT_TRUE(page.messages.isEmpty());
    EXPECT_EQ(rig.server.clientCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, WebStrangerTest,
    ::testing::Values(Stranger{"ForeignOrigin", {"http://router-control.example", true}},
                      Stranger{"SchemeOfAnother", {"https://127.0.0.1", true}},
                      Stranger{"NoCookie", {{}, false}}),
    [](const ::testing::TestParamInfo<Stranger> &info) { return std::string(info.param.name); });

// Under TLS the page and its WebSocket are encrypted and the cookie is Secure; files that hold
// no certificate or key change nothing.
TEST(WebServerTest, UnderTlsThePageSpeaksWssAndTheCookieIsSecure)
{
    WebRig rig;
    ASSERT_TRUE(rig.listening);
    const QString cert = rig.dataDir.filePath("cert.pem");
    const QString key = rig.dataDir.filePath("key.pem");
    ASSERT_EQ(
        QProcess::execute("openssl", {"req", "-x509", "-newkey", "ec", "-pkeyopt",
                                      "ec_paramgen_curve:prime256v1", "-nodes", "-days", "1",
                                      "-subj", "/CN=127.0.0.1", "-keyout", key, "-out", cert}),
        0);
    const struct {
        QString certificate, key, why;
    } refused[] = {{cert, {}, "TLS needs both a certificate file and a key file"},
                   {cert, rig.dataDir.filePath("none.pem"), "cannot read"},
                   {key, key, "holds no PEM certificate"},
                   {cert, cert, "holds no unencrypted PEM key"}};
    for (const auto &files : refused) {
        EXPECT_FALSE(rig.server.setTls(files.certificate, files.key));
        EXPECT_TRUE(rig.server.errorString().contains(files.why)) << files.why.toStdString();
    }
    ASSERT_TRUE(rig.server.setTls(cert, key));
    ASSERT_FALSE(rig.server.isSecure());
    ASSERT_TRUE(rig.server.listen(QHostAddress::LocalHost, 0));
    EXPECT_TRUE(WebPage::get(rig.port(), "/session", {}, true).contains("SameSite=Strict; Secure"));
    WebPage page;
    ASSERT_TRUE(page.open(rig.port(), {{}, true, true}));
    EXPECT_TRUE(page.state["session"].toObject()["secure"].toBool());
    EXPECT_EQ(page.ask({{"do", "login"}, {"pin", kPin}}), "ok");
    WebPage plain;
    EXPECT_FALSE(plain.open(rig.port(), {"http://127.0.0.1", true, true}));
}

// A page's locks are the window's locks, named after the page; the page frees only its own. A
// take is one batch that skips an output locked against the page and names it.
TEST(WebServerTest, LocksAreSharedWithTheWindowAndNamedAfterThePage)
{
    WebRig rig;
    ASSERT_TRUE(rig.listening);
    WebPage owner;
    WebPage other;
    ASSERT_TRUE(rig.enter(owner));
    ASSERT_TRUE(rig.enter(other));
    ASSERT_EQ(owner.ask({{"do", "lock"}, {"output", 5}}), "ok");
    ASSERT_TRUE(other.waitFor([&] { return !other.state["locks"].toArray()[5].isNull(); }));
    EXPECT_EQ(other.state["locks"].toArray()[5].toObject(),
              (QJsonObject{{"owner", rig.core.locks().holder(5)}, {"name", "web 127.0.0.1"}}));
    EXPECT_EQ(other.ask(routeRequest(5, 1)), "Output 6 is locked by web 127.0.0.1");
    EXPECT_EQ(other.ask({{"do", "unlock"}, {"output", 5}}), "Output 6 is locked by web 127.0.0.1");

    rig.core.LockOutput(9);
    ASSERT_TRUE(owner.waitFor([&] { return !owner.state["locks"].toArray()[9].isNull(); }));
    EXPECT_EQ(owner.state["locks"].toArray()[9].toObject()["name"], "this computer");

    // The page's own lock lets its take through; the window's does not.
    const QJsonArray routes{QJsonObject{{"output", 3}, {"input", 5}},
                            QJsonObject{{"output", 5}, {"input", 2}},
                            QJsonObject{{"output", 9}, {"input", 6}, {"level", 3}}};
    ASSERT_EQ(owner.ask({{"do", "take"}, {"routes", routes}}), "ok");
    ASSERT_TRUE(owner.waitFor([&] {
        return owner.state["batch"].toObject()["result"] == "Take: 2 of 3 confirmed, 1 skipped";
    }));
    EXPECT_EQ(rig.line.crosspoint(0, 3), 5);
    EXPECT_EQ(rig.line.crosspoint(0, 5), 2);
    ASSERT_EQ(owner.ask({{"do", "unlock"}, {"output", 5}}), "ok");
    EXPECT_TRUE(other.waitFor([&] { return other.state["locks"].toArray()[5].isNull(); }));
}

// A salvo fired from a page goes past a silent router and a locked output, every page sees its
// progress and summary, and a retry from the page sends only what failed. The lock is the
// window's: only the page's own owner skips it.
TEST(WebServerTest, ASalvoShowsItsProgressAndSummaryAndRetriesWhatFailed)
{
    WebRig rig({8, 8});
    ASSERT_TRUE(rig.listening);
    Salvos::Salvo salvo{"Evening news", {}};
    for (int frame = 0; frame < 2; ++frame)
        for (int output = 0; output < 4; ++output)
            salvo.routes.append({frame, output, output + 1, 3});
    rig.storeSalvos(Salvos::format({salvo}));
    rig.core.LockOutput(2);
    rig.line.setRouterSilent(1, true);
    ASSERT_TRUE(rig.settle());

    WebPage page;
    WebPage watcher;
    ASSERT_TRUE(rig.enter(page));
    ASSERT_TRUE(rig.enter(watcher, false));
    EXPECT_EQ(watcher.state["salvos"].toArray()[0].toObject(),
              (QJsonObject{{"name", "Evening news"}, {"routes", 8}}));
    ASSERT_EQ(page.ask({{"do", "fire"}, {"salvo", "Evening news"}}), "ok");
    const auto batch = [&] { return watcher.state["batch"].toObject(); };
    ASSERT_TRUE(watcher.waitFor([&] { return batch()["result"].isString(); }, 15000));
    EXPECT_EQ(batch()["result"], "Evening news: 3 of 8 confirmed, 4 failed, 1 skipped");
    EXPECT_EQ(batch()["problems"].toArray().size(), 5);
    bool sawProgress = false;
    for (const QJsonObject &message : std::as_const(watcher.messages))
        sawProgress |= message["batch"].toObject()["running"].toBool();
    EXPECT_TRUE(sawProgress);

    // Which frames a retry sends is the core's salvo test's.
    rig.line.setRouterSilent(1, false);
    ASSERT_EQ(page.ask({{"do", "retry"}, {"batch", batch()["id"]}}), "ok");
    ASSERT_TRUE(watcher.waitFor(
        [&] { return batch()["result"] == "Evening news (retry): 4 of 4 confirmed"; }, 15000));
    EXPECT_EQ(page.ask({{"do", "retry"}, {"batch", batch()["id"].toInt() - 1}}),
              "That summary is no longer the latest");
}

// A page that never reads while the state churns, one that sends too much at once and
// more pages than may connect: each ends alone, and a steady page keeps the truth and routes.
TEST(WebServerTest, HostilePagesEndAloneAndTheSteadyPageKeepsTheTruth)
{
    WebRig rig;
    ASSERT_TRUE(rig.listening);
    WebPage steady;
    ASSERT_TRUE(rig.enter(steady));

    WebPage greedy;
    ASSERT_TRUE(greedy.open(rig.port()));
    greedy.sendText(QString(100 * 1024, QLatin1Char('x')));
    ASSERT_TRUE(greedy.waitFor([&] { return greedy.closed; }));
    EXPECT_EQ(greedy.closeCode, QWebSocketProtocol::CloseCodeTooMuchData);

    // The handshake by hand, then nothing read.
    QTcpSocket deaf;
    deaf.connectToHost(QHostAddress::LocalHost, rig.port());
    ASSERT_TRUE(waitFor([&] { return deaf.state() == QAbstractSocket::ConnectedState; }));
    deaf.setReadBufferSize(1);
    deaf.write("GET /ws HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(rig.port()) +
               "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Key: "
               "dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\nOrigin: "
               "http://127.0.0.1:" +
               QByteArray::number(rig.port()) +
               "\r\nCookie: " + WebPage::sessionCookie(rig.port()) + "\r\n\r\n");
    ASSERT_TRUE(waitFor([&] { return rig.server.clientCount() == 2; }));
    // Long names, renamed back and forth: far more than the system's buffers hold.
    clsRouter &router = *rig.core.config().routers.at(0);
    for (int round = 0; round < 400 && rig.server.clientCount() == 2; ++round) {
        for (int input = 0; input < 16; ++input)
            router.SetRouterInName(input, std::string(2000, char('a' + (round + input) % 26)));
        emit rig.core.namesChanged();
        waitFor([] { return false; }, std::chrono::milliseconds(1));
    }
    EXPECT_EQ(rig.server.clientCount(), 1);

    std::vector<std::unique_ptr<WebPage>> crowd;
    int admitted = 0;
    for (int n = 0; n < 64; ++n) {
        crowd.push_back(std::make_unique<WebPage>());
        admitted += crowd.back()->open(rig.port()) ? 1 : 0;
    }
    EXPECT_EQ(admitted, WebListener::kMaxClients - 1);
    crowd.clear();
    ASSERT_TRUE(waitFor([&] { return rig.server.clientCount() == 1; }));

    ASSERT_EQ(steady.ask(routeRequest(2, 7)), "ok");
    ASSERT_TRUE(steady.waitFor([&] { return video(steady, 2)["input"] == 7; }));
    WebPage late;
    ASSERT_TRUE(late.open(rig.port()));
    for (const char *part : {"inputs", "outputs", "routes", "locks", "routers"})
        EXPECT_EQ(steady.state[part], late.state[part]) << part;
}

} // namespace
