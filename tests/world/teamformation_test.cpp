// The fixed kick-off table.
#include <gtest/gtest.h>

#include "world/teamformation.h"

TEST(FormT, FreshPlace)
{
    form_t f(30.0, 20.0);
    EXPECT_EQ(f.L, 30.0);
    EXPECT_EQ(f.W, 20.0);
    EXPECT_EQ(f.x, -1.0);
    EXPECT_EQ(f.y, 0.0);
    EXPECT_EQ(f.theta, 0.0);
}

TEST(FormT, TableFor30By20)
{
    const double expected[11][2] = {{-15, 0},           {-1.5, 0},
                                    {-30.0 / 7.0, 4},   {10.0 / 3.0, -2.5},
                                    {-5, -2.5},         {-11.538461538, 20.0 / 11.0},
                                    {-11.538461538, 0}, {-11.538461538, -20.0 / 11.0},
                                    {-9.375, 1},        {-9.375, 0},
                                    {-9.375, -1}};
    for (int n = 1; n <= 11; ++n) {
        form_t f(30.0, 20.0);
        f.theta = 1.0;
        f.init(n);
        EXPECT_NEAR(f.x, expected[n - 1][0], 1e-8) << n;
        EXPECT_NEAR(f.y, expected[n - 1][1], 1e-8) << n;
        EXPECT_EQ(f.theta, 0.0) << n;
    }
}

TEST(FormT, ScalesWithTheFieldExceptTheKickOffTaker)
{
    form_t a(18.0, 12.0);
    a.init(2);
    EXPECT_EQ(a.x, -1.5);
    a.init(1);
    EXPECT_EQ(a.x, -9.0);
    a.init(4);  // in front of the centre line
    EXPECT_NEAR(a.x, 2.0, 1e-12);
    EXPECT_NEAR(a.y, -1.5, 1e-12);
}

TEST(FormTDeathTest, NumberOutsideTheTeamEndsWithFailure)
{
    for (int n : {0, 12, -3}) {
        form_t f(30.0, 20.0);
        EXPECT_EXIT(f.init(n), ::testing::ExitedWithCode(1),
                    "player_number error: given " + std::to_string(n) + "\n")
            << n;
    }
}
