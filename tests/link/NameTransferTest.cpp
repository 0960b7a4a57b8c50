// Names to and from a spreadsheet file through the core's action path: what an operator's
// spreadsheet round trip keeps, what an import refuses and says, and what one undo restores.
#include "CoreRig.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace corvantis;
using namespace corvantis::test;

namespace {

// The largest matrix of the normal layout, 127 x 127: seven 16 x 16 routers and a 15 x 15 one.
constexpr int kPorts = 127;
using Side = AppCore::Side;

struct NamesRig : CoreRig {
    NamesRig() : CoreRig({16, 16, 16, 16, 16, 16, 16, 15}, false) {}
    QString path(const char *file) const { return dataDir.filePath(QString::fromLatin1(file)); }
    void write(const char *file, const QByteArray &bytes) const
    {
        QFile out(path(file));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }
    void import(const char *file)
    {
        core.ImportNamesAction(path(file));
        ASSERT_TRUE(settle());
    }
    std::string lastBox() const
    {
        return platform.messages.empty() ? std::string() : platform.messages.back().text;
    }
    void nameAll(const std::function<std::string(Side, int)> &nameOf)
    {
        for (const auto side : {Side::Input, Side::Output})
            for (int number = 1; number <= kPorts; ++number) {
                const PhysicalPort owner = core.NameOwnerAt(side, number - 1);
                AppCore::StoreName(*owner.router, side, owner.port, nameOf(side, number));
            }
    }
};

std::string trickyName(AppCore::Side side, int number)
{
    static const char *parts[] = {"Cam, wide", "Küche", " padded",   "Łódź 4K",
                                  "plain",     "\"",    "a,\"b\",c", "会議室 "};
    return std::string(parts[number % 8]) + (side == AppCore::Side::Input ? " i" : " o") +
           std::to_string(number);
}

} // namespace

TEST(NameTransferTest, ExportThenImportRestoresEveryNameAndUndoPutsTheOthersBack)
{
    NamesRig rig;
    rig.nameAll(trickyName);
    rig.core.ExportNamesAction(rig.path("names.csv"));
    ASSERT_TRUE(rig.settle());

    rig.nameAll([](Side, int) { return "before"; });
    rig.import("names.csv");
    EXPECT_EQ(rig.lastBox(), "Imported names.csv: 254 names changed.");
    for (const auto side : {Side::Input, Side::Output})
        for (int number = 1; number <= kPorts; ++number)
            ASSERT_EQ(rig.name(side, number), trickyName(side, number)) << number;

    ASSERT_TRUE(rig.core.CanUndoImport());
    rig.core.UndoImportAction();
    ASSERT_TRUE(rig.settle());
    EXPECT_FALSE(rig.core.CanUndoImport());
    // Every port of a router named "before": the "!" rule had made them unique.
    EXPECT_EQ(rig.name(Side::Input, 2), "before!");
    EXPECT_EQ(rig.name(Side::Output, kPorts), "before!!!!!!!!!!!!!!");
}

TEST(NameTransferTest, EachRefusedLineIsReportedWithItsNumberAndTheRestApplies)
{
    NamesRig rig;
    // The file's own faults are the reader's (NamesCsvTest); ";" and control characters are
    // the names' rule.
    rig.write("names.csv", "direction,number,name\ninput,1,Camera 1\ninput,2,Cam;era\n"
                           "output,3,Desk\nsideways,4,Nowhere\noutput,4,Desk\ninput,3,Bell\a\n");
    rig.import("names.csv");
    EXPECT_EQ(rig.lastBox(), "Imported names.csv: 3 names changed.\n"
                             "3 lines refused:\n"
                             "Line 3: \";\" and control characters are not allowed in a name\n"
                             "Line 5: unknown direction \"sideways\" (input or output)\n"
                             "Line 7: \";\" and control characters are not allowed in a name");
    // Two outputs of one router cannot share a name: the second gets the "!".
    EXPECT_EQ((std::vector{rig.name(Side::Input, 1), rig.name(Side::Input, 2),
                           rig.name(Side::Output, 3), rig.name(Side::Output, 4)}),
              (std::vector<std::string>{"Camera 1", clsRouter::DefaultInName(1), "Desk", "Desk!"}));
}

TEST(NameTransferTest, OnlyAnotherPortsNameGetsTheMarkAndNamesMovedBetweenPortsAreNotDuplicates)
{
    NamesRig rig;
    clsRouter &first = *rig.core.NameOwnerAt(Side::Output, 0).router;
    // A port given its own name keeps it; a name another port holds, below or above, gets "!".
    const struct {
        int port;
        const char *name, *stored;
    } stores[] = {
        {0, "A", "A"}, {1, "B", "B"}, {1, "B", "B"}, {2, "A", "A!"}, {2, "Out 04", "Out 04!"}};
    for (const auto &s : stores)
        EXPECT_EQ(AppCore::StoreName(first, Side::Output, s.port, s.name), s.stored) << s.port;
    rig.write("swap.csv", "direction,number,name\r\noutput,1,B\r\noutput,2,A\r\n");
    rig.import("swap.csv");
    EXPECT_EQ(rig.name(Side::Output, 1), "B");
    EXPECT_EQ(rig.name(Side::Output, 2), "A");
}

TEST(NameTransferTest, AFileThatIsNoNamesFileChangesNothing)
{
    const struct {
        const char *file;
        QByteArray bytes; // empty: the file does not exist
        const char *says;
    } cases[] = {
        {"notes.txt", "Shopping list\nmilk\n", "Line 1: bad header"},
        {"missing.csv", {}, "Error: Cannot read"},
    };
    for (const auto &c : cases) {
        NamesRig rig;
        if (!c.bytes.isEmpty())
            rig.write(c.file, c.bytes);
        rig.import(c.file);
        EXPECT_NE(rig.lastBox().find(c.says), std::string::npos) << c.file << ": " << rig.lastBox();
        EXPECT_EQ(rig.name(Side::Input, 1), clsRouter::DefaultInName(0)) << c.file;
    }
}
