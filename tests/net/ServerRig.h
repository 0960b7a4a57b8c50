#pragma once
// A control server on 127.0.0.1 over a scripted matrix, and clients it has counted in before
// they send.
#include "FakeMatrixControl.h"
#include "core/OutputLocks.h"

#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace corvantis::test {

template <typename Server, typename Client> struct ServerRig {
    explicit ServerRig(const FakeMatrixControl::Layout &layout) : matrix(layout)
    {
        EXPECT_TRUE(server.listen(QHostAddress::LocalHost, 0))
            << server.errorString().toStdString();
    }
    std::unique_ptr<Client> client()
    {
        const int before = server.clientCount();
        auto c = std::make_unique<Client>();
        EXPECT_TRUE(c->open(server.serverPort()));
        EXPECT_TRUE(QTest::qWaitFor([&] { return server.clientCount() > before; }));
        return c;
    }

    FakeMatrixControl matrix;
    OutputLocks locks;
    Server server{matrix, locks};
};

} // namespace corvantis::test
