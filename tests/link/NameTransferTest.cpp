// Names to and from a spreadsheet file through the core's action path: what an operator's
// spreadsheet round trip keeps, what an import refuses and says, and what one undo restores.
#include "core/AppCore.h"
#include "model/clsRouter.h"
#include "support/ScriptedPlatform.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace corvantis;
using namespace corvantis::test;

namespace {

// The largest matrix of the normal layout, 127 x 127: seven 16 x 16 routers and a 15 x 15 one,
// with a platform that records every box.
constexpr int kPorts = 127;

class NamesRig {
public:
    NamesRig()
    {
        core.settings().ConfigLoaded = true;
        for (int slot = 0; slot < 8; ++slot) {
            auto router = std::make_unique<clsRouter>();
            router->SetRouterType(2);
            router->SetFrameAddress(slot);
            router->SetInputCount(slot < 7 ? 15 : 14);
            router->SetOutputCount(slot < 7 ? 15 : 14);
            router->SetMapIn(slot * 16);
            router->SetMapOut(slot * 16);
            core.config().routers.set(slot, std::move(router));
        }
        core.Rebuild();
    }

    std::string name(AppCore::Side side, int number) const
    {
        return core.NameTextAt(side, number - 1);
    }
    QString path(const char *file) const { return dir.filePath(QString::fromLatin1(file)); }
    void write(const char *file, const QByteArray &bytes) const
    {
        QFile out(path(file));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }
    QByteArray read(const char *file) const
    {
        QFile in(path(file));
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }
    // Runs what the actions queued.
    void settle()
    {
        for (int i = 0; i < 100 && !core.actions().Idle(); ++i)
            QCoreApplication::processEvents();
        ASSERT_TRUE(core.actions().Idle());
    }
    std::string lastBox() const
    {
        return platform.messages.empty() ? std::string() : platform.messages.back().text;
    }

    ScriptedPlatform platform;
    QTemporaryDir dir;
    AppCore core;
};

std::string trickyName(AppCore::Side side, int number)
{
    static const char *parts[] = {"Cam, \"wide\"", "Küche", " padded ", "Łódź 4K", "plain"};
    return std::string(parts[number % 5]) + (side == AppCore::Side::Input ? " i" : " o") +
           std::to_string(number);
}

} // namespace

TEST(NameTransferTest, ExportThenImportRestoresEveryNameAndUndoPutsTheOthersBack)
{
    NamesRig rig;
    for (const auto side : {AppCore::Side::Input, AppCore::Side::Output})
        for (int number = 1; number <= kPorts; ++number) {
            const PhysicalPort owner = rig.core.NameOwnerAt(side, number - 1);
            AppCore::StoreName(*owner.router, side, owner.port, trickyName(side, number));
        }
    rig.core.ExportNamesAction(rig.path("names.csv"));
    rig.settle();
    const QByteArray exported = rig.read("names.csv");
    EXPECT_TRUE(exported.startsWith("direction,number,name\r\n"));
    EXPECT_TRUE(exported.contains("input,5,\"Cam, \"\"wide\"\" i5\"\r\n"));

    for (const auto side : {AppCore::Side::Input, AppCore::Side::Output})
        for (int number = 1; number <= kPorts; ++number) {
            const PhysicalPort owner = rig.core.NameOwnerAt(side, number - 1);
            AppCore::StoreName(*owner.router, side, owner.port, "before");
        }
    rig.core.ImportNamesAction(rig.path("names.csv"));
    rig.settle();
    EXPECT_EQ(rig.lastBox(), "Imported names.csv: 254 names changed.");
    EXPECT_TRUE(rig.core.CanUndoImport());
    for (const auto side : {AppCore::Side::Input, AppCore::Side::Output})
        for (int number = 1; number <= kPorts; ++number)
            ASSERT_EQ(rig.name(side, number), trickyName(side, number)) << number;

    rig.core.UndoImportAction();
    rig.settle();
    EXPECT_FALSE(rig.core.CanUndoImport());
    // Every port of a router named "before": the "!" rule had made them unique.
    EXPECT_EQ(rig.name(AppCore::Side::Input, 1), "before");
    EXPECT_EQ(rig.name(AppCore::Side::Input, 2), "before!");
    EXPECT_EQ(rig.name(AppCore::Side::Output, kPorts), "before!!!!!!!!!!!!!!");
}

TEST(NameTransferTest, EachRefusedLineIsReportedWithItsNumberAndTheRestApplies)
{
    NamesRig rig;
    rig.write("names.csv", "direction,number,name\n"
                           "input,1,Camera 1\n"
                           "input,2,Cam;era\n"
                           "output,3,Desk\n"
                           "sideways,4,Nowhere\n"
                           "output,129,Far\n"
                           "input,1,Again\n"
                           "output,5,\"open\n"
                           "output,4,Desk\n");
    rig.core.ImportNamesAction(rig.path("names.csv"));
    rig.settle();
    EXPECT_EQ(rig.lastBox(), "Imported names.csv: 3 names changed.\n"
                             "5 lines refused:\n"
                             "Line 3: \";\" is not allowed in a name\n"
                             "Line 5: unknown direction \"sideways\" (input or output)\n"
                             "Line 6: number \"129\" is not a whole number from 1 to 128\n"
                             "Line 7: input 1 is named on an earlier line\n"
                             "Line 8: unterminated quote");
    EXPECT_EQ(rig.name(AppCore::Side::Input, 1), "Camera 1");
    EXPECT_EQ(rig.name(AppCore::Side::Input, 2), clsRouter::DefaultInName(1));
    // Two outputs of one router cannot share a name: the second gets the "!".
    EXPECT_EQ(rig.name(AppCore::Side::Output, 3), "Desk");
    EXPECT_EQ(rig.name(AppCore::Side::Output, 4), "Desk!");
}

TEST(NameTransferTest, NamesMovedBetweenPortsAreNotTakenForDuplicates)
{
    NamesRig rig;
    const PhysicalPort first = rig.core.NameOwnerAt(AppCore::Side::Output, 0);
    AppCore::StoreName(*first.router, AppCore::Side::Output, 0, "A");
    AppCore::StoreName(*first.router, AppCore::Side::Output, 1, "B");
    rig.write("swap.csv", "direction,number,name\r\noutput,1,B\r\noutput,2,A\r\n");
    rig.core.ImportNamesAction(rig.path("swap.csv"));
    rig.settle();
    EXPECT_EQ(rig.name(AppCore::Side::Output, 1), "B");
    EXPECT_EQ(rig.name(AppCore::Side::Output, 2), "A");
}

TEST(NameTransferTest, AFileThatIsNoNamesFileChangesNothing)
{
    struct Case {
        const char *file;
        QByteArray bytes; // empty: the file does not exist
        const char *says;
    };
    const Case cases[] = {
        {"latin1.csv",
         "direction,number,name\ninput,1,K\xfc"
         "che\n",
         "Line 2: invalid UTF-8"},
        {"notes.txt", "Shopping list\nmilk\n", "Line 1: bad header"},
        {"binary.csv", QByteArray("\x00\x01\x02\xff\xfe", 5), "Line 1:"},
        {"missing.csv", {}, "Error: Cannot read"},
    };
    for (const Case &c : cases) {
        NamesRig rig;
        if (!c.bytes.isEmpty())
            rig.write(c.file, c.bytes);
        rig.core.ImportNamesAction(rig.path(c.file));
        rig.settle();
        EXPECT_NE(rig.lastBox().find(c.says), std::string::npos) << c.file << ": " << rig.lastBox();
        EXPECT_EQ(rig.name(AppCore::Side::Input, 1), clsRouter::DefaultInName(0)) << c.file;
    }
}
