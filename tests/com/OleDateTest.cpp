#include "com/OleDate.h"

#include <cstdlib>
#include <gtest/gtest.h>

TEST(OleDate, PartsFollowTheAutomationEpoch) {
    EXPECT_DOUBLE_EQ(*com::dateFromParts({1899, 12, 30, 0, 0, 0, 0}), 0.0);
    EXPECT_DOUBLE_EQ(*com::dateFromParts({1900, 1, 1, 12, 0, 0, 0}), 2.5);
    // Before the epoch the fraction still counts forwards from the day.
    EXPECT_DOUBLE_EQ(*com::dateFromParts({1899, 12, 29, 6, 0, 0, 0}), -1.25);
    auto parts = com::dateToParts(-1.25);
    ASSERT_TRUE(parts);
    EXPECT_EQ(parts->day, 29);
    EXPECT_EQ(parts->hour, 6);
    auto leap = com::dateToParts(*com::dateFromParts({2024, 2, 29, 23, 59, 59, 999}));
    ASSERT_TRUE(leap);
    EXPECT_EQ(leap->month, 2);
    EXPECT_EQ(leap->day, 29);
    EXPECT_EQ(leap->millisecond, 999);
    EXPECT_FALSE(com::dateFromParts({2023, 2, 29, 0, 0, 0, 0}));
    EXPECT_FALSE(com::dateToParts(1e12));
}

TEST(OleDate, UnixTimesGoThroughTheLocalZone) {
    setenv("TZ", "UTC", 1);
    tzset();
    auto date = com::dateFromTimeT(0);
    ASSERT_TRUE(date);
    EXPECT_DOUBLE_EQ(*date, 25569.0);
    EXPECT_EQ(*com::dateToTimeT(25569.5), 43200);
    EXPECT_DOUBLE_EQ(*com::dateToUnixMillis(*com::dateFromUnixMillis(1733727829123.0)),
                     1733727829123.0);
    unsetenv("TZ");
    tzset();
}
