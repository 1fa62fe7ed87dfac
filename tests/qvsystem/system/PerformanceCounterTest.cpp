#include "qvsystem/system/PerformanceCounter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

// Guards the state rules: no double start, no stop without a start, and no time shown
// while a measurement runs or before one ended.
TEST(PerformanceCounterTest, StartsAndStopsOnce)
{
    CPerformanceCounter counter;
    EXPECT_FALSE(counter.IsRunning());
    EXPECT_FALSE(counter.HasValidTime());
    EXPECT_EQ(counter.GetElapsedTime(), 0.0);
    EXPECT_FALSE(counter.Stop());

    ASSERT_TRUE(counter.Start());
    EXPECT_FALSE(counter.Start());
    EXPECT_TRUE(counter.IsRunning());
    EXPECT_FALSE(counter.HasValidTime());
    EXPECT_EQ(counter.GetElapsedTime(), 0.0);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_TRUE(counter.Stop());
    EXPECT_FALSE(counter.Stop());
    EXPECT_FALSE(counter.IsRunning());
    EXPECT_TRUE(counter.HasValidTime());
    // The clock is monotonic and the sleep lasts at least its time.
    EXPECT_GE(counter.GetElapsedTime(), 0.002);

    ASSERT_TRUE(counter.Start()); // a new measurement drops the old time
    EXPECT_FALSE(counter.HasValidTime());
    EXPECT_EQ(counter.GetElapsedTime(), 0.0);
}

// Guards the decimals: at most 16, and a negative count must not build a broken format.
TEST(PerformanceCounterTest, ElapsedTimeTextHasTheAskedDecimals)
{
    CPerformanceCounter counter;
    EXPECT_EQ(counter.GetElapsedTimeText(3), QStringLiteral("0.000"));
    ASSERT_TRUE(counter.Start());
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(counter.Stop());

    EXPECT_FALSE(counter.GetElapsedTimeText(0).contains(u'.'));
    const QString sixteen = counter.GetElapsedTimeText(16);
    EXPECT_EQ(sixteen.size() - sixteen.indexOf(u'.') - 1, 16) << sixteen.toStdString();
    EXPECT_TRUE(counter.GetElapsedTimeText(17).isEmpty());
    EXPECT_TRUE(counter.GetElapsedTimeText(-1).isEmpty());
}
