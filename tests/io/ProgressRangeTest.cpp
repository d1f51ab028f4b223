#include "io/ProgressRange.h"

#include <gtest/gtest.h>

#include <vector>
#include "support/RecordingRange.h"

namespace vorlune {
namespace {

using test::RecordingRange;
TEST(ProgressRange, MovesReportOnlyRealChangesAndStayInRange)
{
    RecordingRange r;
    r.Init(100, 250);
    EXPECT_EQ(r.Position(), 100u);  // clamped
    EXPECT_TRUE(r.positions.empty());

    r.Init(100, 10);
    r.Advance(-50);  // clamped at 0
    r.Advance(0);
    r.Advance(30);
    r.Advance(500);  // clamped at the range
    r.Complete();    // already there: no report
    EXPECT_EQ(r.positions, (std::vector<uint32_t>{0, 30, 100}));

    r.SetRange(100);  // unchanged: nothing
    r.SetRange(40);   // position follows the smaller range
    EXPECT_EQ(r.Position(), 40u);
    EXPECT_EQ(r.positions.back(), 40u);
    EXPECT_EQ(r.positions.size(), 4u);
}

TEST(ProgressRange, PercentsInBothDirections)
{
    RecordingRange r;
    EXPECT_EQ(r.Percent(), 0u);  // zero range
    r.Init(3100, 0);
    r.SetPercent(50.0f);
    EXPECT_EQ(r.Position(), 1550u);
    r.SetPercent(-3.0f);
    EXPECT_EQ(r.Position(), 0u);
    r.SetPercent(250.0f);
    EXPECT_EQ(r.Position(), 3100u);
    r.SetPercent(33.3f);
    EXPECT_EQ(r.Position(), 1032u);  // truncated
    EXPECT_EQ(r.Percent(), 33u);

    // Large ranges must not overflow the percentage arithmetic.
    r.Init(0xF0000000u, 0xE0000000u);
    EXPECT_EQ(r.Percent(), 93u);
}

TEST(ProgressRange, CancelAndFailRunTheirHandlersOnce)
{
    RecordingRange r;
    r.Cancel();
    r.Cancel();
    r.Fail();
    r.Fail();
    EXPECT_TRUE(r.IsCancelled());
    EXPECT_TRUE(r.IsFailed());
    EXPECT_EQ(r.cancels, 1);
    EXPECT_EQ(r.fails, 1);
    r.Init(10, 0);
    EXPECT_FALSE(r.IsCancelled());
    EXPECT_FALSE(r.IsFailed());
}

TEST(ProgressRange, BeginReportsTheStartEvenWhenTheRangeIsUnchangedAndKeepsACancel)
{
    RecordingRange r;
    r.Begin(3100);
    r.Complete();
    r.Fail();
    r.Cancel();
    r.Begin(3100);
    EXPECT_TRUE(r.IsCancelled());  // a cancel made before the work began holds
    EXPECT_FALSE(r.IsFailed());
    EXPECT_EQ(r.Position(), 0u);
    EXPECT_EQ(r.Range(), 3100u);
    EXPECT_EQ(r.positions, (std::vector<uint32_t>{0, 3100, 0}));
}

TEST(NestedProgress, CarriesItsPositionIntoTheParentsSlice)
{
    RecordingRange root;
    root.Init(3100, 1000);
    NestedProgress nested = MakeNested(&root, 100);
    EXPECT_EQ(nested.Range(), 100u);
    EXPECT_EQ(nested.Base(), 1000u);
    nested.Advance(50);
    EXPECT_EQ(root.Position(), 1050u);
    nested.Complete();
    EXPECT_EQ(root.Position(), 1100u);
}

TEST(NestedProgress, ScalesItsOwnRangeToTheSpan)
{
    RecordingRange root;
    root.Init(1000, 0);
    NestedProgress nested(&root, 1000, 200);
    nested.Advance(100);
    EXPECT_EQ(root.Position(), 500u);
    nested.Advance(1);
    EXPECT_EQ(root.Position(), 505u);  // 1000 * 101 / 200, integer
}

TEST(NestedProgress, SpanIsCutToWhatTheParentHasLeft)
{
    RecordingRange root;
    root.Init(100, 50);
    NestedProgress nested(&root, 80);
    EXPECT_EQ(nested.Span(), 50u);
    EXPECT_EQ(nested.Range(), 50u);
    nested.Complete();
    EXPECT_EQ(root.Position(), 100u);

    // Even an own range larger than the cut span never pushes the parent past its end.
    RecordingRange full;
    full.Init(100, 100);
    NestedProgress none(&full, 40, 10);
    EXPECT_EQ(none.Span(), 0u);
    none.Complete();
    EXPECT_EQ(full.Position(), 100u);
}

TEST(NestedProgress, ThreeLevelsAddUp)
{
    RecordingRange root;
    root.Init(3100, 0);
    {
        NestedProgress open(&root, 1000);
        NestedProgress decode(&open, 500);
        decode.SetPercent(50.0f);
        EXPECT_EQ(open.Position(), 250u);
        EXPECT_EQ(root.Position(), 250u);
        decode.Complete();
        NestedProgress load(&open, open.Range() - open.Position());
        load.Complete();
        EXPECT_EQ(root.Position(), 1000u);
    }
    // A zero own range carries nothing.
    NestedProgress empty(&root, 0);
    empty.Complete();
    EXPECT_EQ(root.Position(), 1000u);
}

TEST(NestedProgress, CancelAndFailSpreadUpwardsButNotDown)
{
    RecordingRange root;
    root.Init(100, 0);
    NestedProgress a(&root, 50);
    NestedProgress b(&a, 20);
    EXPECT_FALSE(b.IsCancelled());
    root.Cancel();
    EXPECT_TRUE(b.IsCancelled());  // sees the parent's flag

    RecordingRange root2;
    root2.Init(100, 0);
    NestedProgress c(&root2, 50);
    NestedProgress d(&c, 20);
    d.Fail();
    EXPECT_TRUE(root2.IsFailed());
    EXPECT_EQ(root2.fails, 1);
    d.Fail();
    EXPECT_EQ(root2.fails, 1);
    d.Cancel();
    EXPECT_TRUE(root2.IsCancelled());

    NestedProgress orphan(nullptr, 40);
    orphan.Advance(10);
    orphan.Fail();
    EXPECT_TRUE(orphan.IsFailed());
    EXPECT_EQ(orphan.Range(), 40u);
}

}  // namespace
}  // namespace vorlune
