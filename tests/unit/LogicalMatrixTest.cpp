#include "model/LogicalMatrix.h"

#include "support/RouterSpec.h"
#include "support/ScriptedPlatform.h"
#include "util/RuntimeError.h"

#include <gtest/gtest.h>

using namespace corvantis;

namespace {

class LogicalMatrixTest : public ::testing::Test {
protected:
    clsRouter *add(int slot)
    {
        routers.set(slot, test::makeRouter({slot}));
        return routers[slot];
    }
    void addSlots(int count)
    {
        for (int s = 0; s < count; ++s)
            add(s);
    }

    test::ScriptedPlatform platform;
    RouterTable routers;
    LogicalMatrix matrix{routers};
};

} // namespace

TEST_F(LogicalMatrixTest, NormalLayoutGivesOverlapsToTheLowerSlotAndUnclaimedPortsToNobody)
{
    auto *first = add(0);
    auto *second = add(1);
    second->SetMapIn(8);
    second->SetMapOut(16);
    second->AudioBreakaway = true;
    matrix.BuildLogicalMatrix(false);
    EXPECT_EQ((std::vector{matrix.InputRouter(8), matrix.InputRouter(15), matrix.InputRouter(16),
                           matrix.InputRouter(24), matrix.MaxInput(), matrix.MaxOutput()}),
              (std::vector{0, 0, 1, -1, 23, 31}));
    EXPECT_TRUE(matrix.AnyAudioBreakaway());

    const ViewOffsets offsets{0, 16};
    const auto port = matrix.cvMatOutToPhy1(2, offsets);
    EXPECT_EQ(std::pair(port.router, port.port), std::pair(second, 2));
    // Column 0 belongs to the first router; input 20 is only on the second.
    EXPECT_EQ((std::vector{
                  matrix.cvPhyOutToMat(2, *second, offsets),
                  matrix.cvPhyOutToMat(16, *second, offsets), matrix.cvMatInToPhy2(20, first, {}),
                  matrix.cvMatInToPhy2(20, second, {}), matrix.cvPhyInToMat(0, *second, {4, 0})}),
              (std::vector{2, -17, -1, 12, 4}));
    EXPECT_THROW(matrix.cvMatOutToPhy1(15, {0, 120}), RuntimeError);

    // Logical ports no router claims belong to nobody.
    routers.clearAll();
    auto *router = add(3);
    router->SetInputCount(7);
    router->SetMapIn(8);
    matrix.BuildLogicalMatrix(false);
    EXPECT_EQ(std::pair(matrix.InputRouter(7), matrix.InputRouter(16)), std::pair(-1, -1));
    EXPECT_FALSE(matrix.AnyAudioBreakaway());
    const auto nobody = matrix.cvMatInToPhy1(2, {});
    EXPECT_EQ(std::pair(nobody.router, nobody.port), (std::pair<clsRouter *, int>(nullptr, -1)));
}

TEST_F(LogicalMatrixTest, PairedLayoutWorkedExampleAndEveryCellRoundTrips)
{
    // Only complete pairs add outputs: a router without its partner adds none.
    for (const auto &[count, maxOutput] : {std::pair{2, 15}, {3, 15}, {4, 31}, {16, 127}}) {
        routers.clearAll();
        addSlots(count);
        matrix.BuildLogicalMatrix(true);
        EXPECT_EQ(std::pair(matrix.MaxInput(), matrix.MaxOutput()), std::pair(31, maxOutput));
    }
    routers[3]->AudioBreakaway = true;
    matrix.BuildLogicalMatrix(true);
    EXPECT_FALSE(matrix.AnyAudioBreakaway());

    const ViewOffsets offsets{0, 32};
    const auto cell = matrix.cvLgMrxMatToPhy(5, 9, offsets);
    EXPECT_EQ(std::tuple(cell.router, cell.output, cell.input), std::tuple(routers[5], 5, 4));
    const auto back = matrix.cvLgMrxPhyToMat(5, 4, *routers[5], offsets);
    EXPECT_EQ(std::pair(back.output, back.input), std::pair(5, 9));
    const auto seven = matrix.cvLgMrxPhyToMat(3, 0, *routers[7], {});
    EXPECT_EQ(std::pair(seven.output, seven.input), std::pair(51, 1));

    for (int o = 0; o <= matrix.MaxOutput(); ++o)
        for (int i = 0; i <= matrix.MaxInput(); ++i) {
            const auto p = matrix.cvLgMrxMapToPhy(o, i);
            ASSERT_NE(p.router, nullptr);
            const auto v = matrix.cvLgMrxPhyToMat(p.output, p.input, *p.router, {});
            ASSERT_EQ(std::pair(v.output, v.input), std::pair(o, i));
        }

    const auto driven = matrix.cvLgMrxMatToPhy_(5, offsets);
    EXPECT_EQ(std::pair(driven.router, driven.port), std::pair(routers[4], 5));
    EXPECT_EQ(matrix.cvMatInToNameIn(9, {}).router, routers[1]);
    EXPECT_EQ(matrix.cvMatOutToNameOut(5, offsets).port, 5);
    EXPECT_EQ(LogicalMatrix::PairPartner(7), 6);
}

TEST_F(LogicalMatrixTest, PairedLayoutRenamesOnlyUntouchedDefaultNames)
{
    addSlots(4);
    routers[1]->SetRouterInName(2, "in 05");
    routers[1]->SetRouterInName(3, "In 5");
    routers[1]->SetRouterInName(4, "Input A");
    routers[0]->SetRouterOutName(1, "Stage");
    matrix.BuildLogicalMatrix(true);
    // Odd slots and slots past 1 keep their own names: nothing reads them in this layout.
    EXPECT_EQ((std::vector{routers[1]->RouterInName(2), routers[1]->RouterInName(3),
                           routers[0]->RouterInName(0), routers[1]->RouterInName(15),
                           routers[2]->RouterOutName(10), routers[0]->RouterOutName(1),
                           routers[3]->RouterOutName(0), routers[2]->RouterInName(0)}),
              (std::vector<std::string>{"Input 05", "In 5", "Input 00", "Input 31", "Output 26",
                                        "Stage", "Out 01", "In 01"}));
}

TEST_F(LogicalMatrixTest, PairedLayoutReportsAMissingRouterInsteadOfCrashing)
{
    add(0);
    add(2);
    add(3);
    EXPECT_THROW(matrix.BuildLogicalMatrix(true), RuntimeError);

    // An even slot of a complete pair is needed for the output names too.
    add(1);
    routers.clear(2);
    EXPECT_THROW(matrix.BuildLogicalMatrix(true), RuntimeError);

    // An empty odd slot is not needed to build; its cells map to no router.
    add(2);
    routers.clear(3);
    add(5);
    add(4);
    ASSERT_NO_THROW(matrix.BuildLogicalMatrix(true));
    EXPECT_EQ(matrix.MaxOutput(), 47);
    EXPECT_EQ(matrix.cvLgMrxMapToPhy(16, 1).router, nullptr);
    EXPECT_EQ(matrix.cvLgMrxMapToPhy(16, 0).router, routers[2]);
}
