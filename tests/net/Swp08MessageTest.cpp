// The binary panel protocol's requests and answers, general and extended, byte for byte.
#include "net/Swp08Message.h"

#include <gtest/gtest.h>

using namespace corvantis::swp08;

TEST(Swp08Message, ParsesTheNumbersOfRequestsInBothForms)
{
    struct Case {
        const char *name;
        Bytes data;
        Command command;
        Form form;
        int matrix, level, destination, source, device, nameLength;
    };
    constexpr auto G = Form::General;
    constexpr auto X = Form::Extended;
    // clang-format off
    const Case cases[] = {
        // name                   data                                       command                         form matrix level dest source device length
        {"interrogate",           {0x01, 0x21, 0x00, 0x05},                  Command::Interrogate,             G, 2, 1, 5,    0,   0,   0},
        {"interrogate above 127", {0x01, 0x01, 0x70, 0x7F},                  Command::Interrogate,             G, 0, 1, 1023, 0,   0,   0},
        {"connect multipliers",   {0x02, 0x01, 0x12, 0x01, 0x7F},            Command::Connect,                 G, 0, 1, 129,  383, 0,   0},
        {"protect interrogate",   {0x0A, 0x00, 0x00, 0x07, 0x02},            Command::ProtectInterrogate,      G, 0, 0, 7,    0,   2,   0},
        {"protect connect",       {0x0C, 0x00, 0x01, 0x07, 0x02},            Command::ProtectConnect,          G, 0, 0, 7,    0,   130, 0},
        {"source names 8",        {0x64, 0x01, 0x01},                        Command::SourceNamesRequest,      G, 0, 1, 0,    0,   0,   8},
        {"destination names 16",  {0x66, 0x00, 0x03},                        Command::DestinationNamesRequest, G, 0, 0, 0,    0,   0,   16},
        {"ext interrogate",       {0x81, 0x00, 0x01, 0x01, 0x10},            Command::Interrogate,             X, 0, 1, 272,  0,   0,   0},
        {"ext protect connect",   {0x8C, 0x00, 0x01, 0x00, 0x03, 0x01, 0x00}, Command::ProtectConnect,         X, 0, 1, 3,    0,   256, 0},
    };
    // clang-format on
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const Request request = ParseRequest(c.data);
        ASSERT_TRUE(request.valid) << request.reason;
        EXPECT_EQ(request.command, c.command);
        EXPECT_EQ(request.form, c.form);
        EXPECT_EQ(request.matrix, c.matrix);
        EXPECT_EQ(request.level, c.level);
        EXPECT_EQ(request.destination, c.destination);
        EXPECT_EQ(request.source, c.source);
        EXPECT_EQ(request.device, c.device);
        EXPECT_EQ(request.nameLength, c.nameLength);
    }
}

TEST(Swp08Message, RefusesMalformedRequestsWithAReason)
{
    const Bytes cases[] = {
        {},                             // nothing
        {0x01, 0x00, 0x00},             // short
        {0x02, 0x00, 0x00, 0x01},       // short connect
        {0x81, 0x00, 0x00, 0x00},       // short extended
        {0x15, 0x00, 0x00},             // long
        {0x64, 0x00, 0x04},             // no such name length
        {0xE4, 0x00, 0x00},             // names have no extended form here
        {0x03, 0x00, 0x00, 0x00, 0x00}, // an answer, not a request
        {0x7F},                         // unknown
    };
    for (const Bytes &data : cases) {
        const Request request = ParseRequest(data);
        EXPECT_FALSE(request.valid);
        EXPECT_FALSE(request.reason.empty());
    }
}

TEST(Swp08Message, SplitsTallyDumpsAsEachFormAllows)
{
    std::vector<int> sources(130);
    for (int i = 0; i < 130; ++i)
        sources[static_cast<std::size_t>(i)] = 129 - i;
    const auto byteForm = TallyDump(Form::General, 0, 1, 0, sources);
    ASSERT_EQ(byteForm.size(), 2u);
    EXPECT_EQ(byteForm[0].size(), 4u + 128u);
    EXPECT_EQ(Bytes(byteForm[0].begin(), byteForm[0].begin() + 6),
              (Bytes{0x16, 0x01, 128, 0x00, 129, 128}));
    EXPECT_EQ(byteForm[1], (Bytes{0x16, 0x01, 2, 128, 1, 0}));

    const auto extended = TallyDump(Form::Extended, 0, 0, 0, sources);
    ASSERT_EQ(extended.size(), 3u);
    EXPECT_EQ(Bytes(extended[0].begin(), extended[0].begin() + 8),
              (Bytes{0x97, 0x00, 0x00, 64, 0x00, 0x00, 0x00, 129}));
    EXPECT_EQ(extended[2], (Bytes{0x97, 0x00, 0x00, 2, 0x00, 128, 0x00, 1, 0x00, 0x00}));

    const auto word = TallyDump(Form::General, 0, 0, 300, {1000});
    EXPECT_EQ(word, (std::vector<Bytes>{{0x17, 0x00, 1, 0x01, 0x2C, 0x03, 0xE8}}));
}

TEST(Swp08Message, PadsCutsAndSplitsNames)
{
    const std::vector<std::string> names = {"CAM\x10", "Studio A long name", "\xC3\xA9t\xC3\xA9"};
    const auto four = NamesAnswer(Command::SourceNames, 0, 1, 4, 0, names);
    ASSERT_EQ(four.size(), 1u);
    EXPECT_EQ(four[0], (Bytes{0x6A, 0x01, 0x00, 0x00, 0x00, 3, 'C', 'A', 'M', '?', 'S', 't', 'u',
                              'd', '?', '?', 't', '?'}));

    for (int length : {4, 8, 12, 16}) {
        SCOPED_TRACE(length);
        const std::vector<std::string> many(128, "x");
        const auto messages = NamesAnswer(Command::SourceNames, 0, 0, length, 0, many);
        const auto per = static_cast<std::size_t>(NamesPerMessage(length));
        EXPECT_EQ(messages.size(), (128 + per - 1) / per);
        for (const auto &message : messages)
            EXPECT_LE(message.size(), kMaxData);
        // The second message starts at the number after the first one's last name.
        EXPECT_EQ(messages[1][4], per);
    }
}
