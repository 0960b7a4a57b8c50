#include "link/PortAddress.h"

#include <gtest/gtest.h>

namespace corvantis::test {
namespace {

struct AddressCase {
    const char *text;
    PortAddress::Kind kind;
    const char *hostOrDevice; // nullptr: refused
    int port;
};

class PortAddressParse : public ::testing::TestWithParam<AddressCase> {};

TEST_P(PortAddressParse, GivesTheLineOrSaysWhatIsExpected)
{
    const AddressCase &c = GetParam();
    QString error;
    const auto address = PortAddress::Parse(QString::fromUtf8(c.text), "/data/", &error);
    if (!c.hostOrDevice) {
        ASSERT_FALSE(address.has_value());
        EXPECT_TRUE(
            error.contains(QStringLiteral("\"%1\"").arg(QString::fromUtf8(c.text).trimmed())))
            << error.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("socket://HOST:PORT"))) << error.toStdString();
        return;
    }
    ASSERT_TRUE(address.has_value()) << error.toStdString();
    EXPECT_EQ(address->kind, c.kind);
    if (address->isNetwork()) {
        EXPECT_EQ(address->host.toStdString(), c.hostOrDevice);
        EXPECT_EQ(address->port, c.port);
    } else {
        EXPECT_EQ(address->device.toStdString(), c.hostOrDevice);
    }
}

constexpr auto kDevice = PortAddress::Kind::Device;
constexpr auto kTcp = PortAddress::Kind::Tcp;
constexpr auto kRfc = PortAddress::Kind::Rfc2217;

const AddressCase kAddressCases[] = {
#ifndef _WIN32
    AddressCase{"COM1", kDevice, "/dev/ttyS0", 0},
#else
    AddressCase{"COM3", kDevice, "COM3", 0},
    AddressCase{"COM10", kDevice, "\\\\.\\COM10", 0},
#endif
    AddressCase{"/dev/ttyUSB0", kDevice, "/dev/ttyUSB0", 0},
    AddressCase{"socket://127.0.0.1:4001", kTcp, "127.0.0.1", 4001},
    AddressCase{"rfc2217://[::1]:65535", kRfc, "::1", 65535},
    AddressCase{"RFC2217://router-line:2217", kRfc, "router-line", 2217},
    AddressCase{"", kDevice, nullptr, 0},
    AddressCase{"COM0", kDevice, nullptr, 0},
    AddressCase{"ttyUSB0", kDevice, nullptr, 0},
    AddressCase{"tcp://127.0.0.1:4001", kDevice, nullptr, 0},
    AddressCase{"socket://127.0.0.1", kDevice, nullptr, 0},
    AddressCase{"socket://127.0.0.1:65536", kDevice, nullptr, 0},
    AddressCase{"socket://127.0.0.1:+80", kDevice, nullptr, 0},
    AddressCase{"socket://::1:4001", kDevice, nullptr, 0},
    AddressCase{"socket://[127.0.0.1]:4001", kDevice, nullptr, 0},
    AddressCase{"socket://bad_host:4001", kDevice, nullptr, 0},
    AddressCase{"rfc2217://host:4001/", kDevice, nullptr, 0}};

INSTANTIATE_TEST_SUITE_P(EveryForm, PortAddressParse, ::testing::ValuesIn(kAddressCases));

} // namespace
} // namespace corvantis::test
