// The team's own strategy files: they load, their ball areas cover the
// field and its surroundings, the scripts keep every place on the field for
// both sides, and the kick-off places follow the team's rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "qorvexlib/Strategy.h"

using qorvexlib::formation_t;
using qorvexlib::Strategy;
using qorvexlib::vec2d;

namespace {

const double kHalfLength = 15.0;
const double kHalfWidth = 10.0;
const double kCentreCircle = 2.0;

bool onField(const vec2d& p) { return std::fabs(p.x) <= kHalfLength && std::fabs(p.y) <= kHalfWidth; }

// Ball positions over the field and 3 m beyond its lines, every 0.5 m, plus
// a few wild estimates.
std::vector<vec2d> ballGrid()
{
    std::vector<vec2d> balls;
    for (double x = -18.0; x <= 18.0 + 1e-9; x += 0.5)
        for (double y = -13.0; y <= 13.0 + 1e-9; y += 0.5) balls.push_back(vec2d(x, y));
    balls.push_back(vec2d(40, -40));
    balls.push_back(vec2d(-45, 30));
    return balls;
}

class ShippedPlay : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(play.load("strategies/marvessa/common.xml")); }
    Strategy play;
};

}  // namespace

TEST_F(ShippedPlay, ElevenPlacesPerFormation)
{
    ASSERT_FALSE(play.formations().empty());
    for (const formation_t& f : play.formations()) {
        EXPECT_EQ(f.players.size(), 11u) << f.script;
        for (const vec2d& p : f.players) EXPECT_TRUE(onField(p)) << f.script;
        EXPECT_TRUE(qorvexlib::isIn(f.ball, f.ballArea)) << f.script;
    }
}

TEST_F(ShippedPlay, EveryBallPositionHasAFormation)
{
    for (const vec2d& b : ballGrid()) {
        formation_t out;
        EXPECT_TRUE(play.fetchFormation(b, out)) << b.x << " " << b.y;
    }
}

TEST_F(ShippedPlay, BothSidesKeepEveryPlayerOnTheField)
{
    for (qorvexlib::Side side : {qorvexlib::BLUE, qorvexlib::RED}) {
        for (const vec2d& b : ballGrid()) {
            formation_t out;
            ASSERT_TRUE(play.interpolate(b, side, out))
                << b.x << " " << b.y << " side " << int(side) << ": " << out.lua().errMsg();
            ASSERT_EQ(out.players.size(), 11u);
            for (const vec2d& p : out.players)
                ASSERT_TRUE(onField(p)) << "ball " << b.x << " " << b.y << " side " << int(side) << " place "
                                        << p.x << " " << p.y;
        }
    }
}

TEST_F(ShippedPlay, RedIsBlueMirroredThroughTheCentre)
{
    const vec2d balls[] = {vec2d(3, -2), vec2d(-12, 7), vec2d(8.5, 0.5), vec2d(0, 0)};
    for (const vec2d& b : balls) {
        formation_t blue, red;
        ASSERT_TRUE(play.interpolate(vec2d(-b.x, -b.y), qorvexlib::BLUE, blue));
        ASSERT_TRUE(play.interpolate(b, qorvexlib::RED, red));
        ASSERT_EQ(blue.players.size(), red.players.size());
        for (size_t i = 0; i < blue.players.size(); ++i)
            EXPECT_EQ(red.players[i], vec2d(-blue.players[i].x, -blue.players[i].y)) << i;
        EXPECT_EQ(red.input(), b);
    }
}

TEST_F(ShippedPlay, PlacesFollowTheBall)
{
    // The nearest place is the ball's own; the team moves up with the ball.
    auto meanX = [](const formation_t& f) {
        double s = 0;
        for (const vec2d& p : f.players) s += p.x;
        return s / f.players.size();
    };
    double last = -1e9;
    for (double x = -14.0; x <= 14.0; x += 1.0) {
        formation_t out;
        ASSERT_TRUE(play.interpolate(vec2d(x, 1.0), qorvexlib::BLUE, out));
        out.sort();
        EXPECT_LT(qorvexlib::distance(out.players[0], vec2d(x, 1.0)), 0.6) << x;
        const double m = meanX(out);
        EXPECT_GT(m, last - 1.0) << x;  // no big step back when the ball advances
        last = m;
    }
    formation_t back, front;
    ASSERT_TRUE(play.interpolate(vec2d(-13, 0), qorvexlib::BLUE, back));
    ASSERT_TRUE(play.interpolate(vec2d(13, 0), qorvexlib::BLUE, front));
    EXPECT_GT(meanX(front), meanX(back) + 5.0);
}

TEST(ShippedBeam, KickOffPlacesFollowTheTeamRules)
{
    Strategy beam;
    ASSERT_TRUE(beam.load("strategies/marvessa/beam.xml"));
    formation_t f;
    ASSERT_TRUE(beam.fetchFormation(vec2d(), f));
    ASSERT_EQ(f.players.size(), 11u);
    f.sort();

    std::vector<double> d;
    for (const vec2d& p : f.players) d.push_back(qorvexlib::norm(p));
    for (size_t i = 1; i < d.size(); ++i)
        EXPECT_GT(d[i] - d[i - 1], 0.1) << "places " << i - 1 << " and " << i;

    // Nearest: the kick-off taker, close behind the ball.
    EXPECT_LT(f.players[0].x, 0.0);
    EXPECT_LT(d[0], 1.0);
    for (size_t i = 1; i < f.players.size(); ++i) {
        EXPECT_LT(f.players[i].x, 0.0) << i;
        EXPECT_GT(d[i], kCentreCircle) << i;
        EXPECT_TRUE(onField(f.players[i])) << i;
    }
    // Farthest: the goalkeeper, in front of the own goal.
    EXPECT_LT(qorvexlib::distance(f.players[10], vec2d(-kHalfLength, 0)), 1.5);

    // The script exists and runs; kick-off places do not follow the ball.
    formation_t moved;
    ASSERT_TRUE(beam.interpolate(vec2d(5, 5), qorvexlib::BLUE, moved)) << moved.lua().errMsg();
    EXPECT_TRUE(moved == beam.formations()[0]);
}

// The shared script picks each formation's own follow fractions: a field
// place moves by the fraction of the ball's offset from the reference ball.
TEST_F(ShippedPlay, EachFormationFollowsByItsOwnFractions)
{
    struct Case {
        vec2d ball;
        double fx, fy;
    };
    const Case cases[] = {
        {vec2d(-9.0, 1.0), 0.4, 0.5},  // defence, reference ball (-10, 0)
        {vec2d(1.0, 1.0), 0.6, 0.5},   // midfield, reference ball (0, 0)
        {vec2d(11.0, 1.0), 0.5, 0.4},  // attack, reference ball (10, 0)
    };
    for (const Case& c : cases) {
        formation_t ref, out;
        ASSERT_TRUE(play.fetchFormation(c.ball, ref));
        ASSERT_TRUE(play.interpolate(c.ball, qorvexlib::BLUE, out));
        const double dx = c.ball.x - ref.ball.x, dy = c.ball.y - ref.ball.y;
        for (size_t i = 2; i < ref.players.size(); ++i) {
            const vec2d want(ref.players[i].x + c.fx * dx, ref.players[i].y + c.fy * dy);
            if (!onField(want) || std::fabs(want.x) > kHalfLength - 0.5 || want.x < -12.5 ||
                std::fabs(want.y) > kHalfWidth - 0.5)
                continue;  // clamped to the field
            EXPECT_NEAR(out.players[i].x, want.x, 1e-9) << c.ball.x << " place " << i;
            EXPECT_NEAR(out.players[i].y, want.y, 1e-9) << c.ball.x << " place " << i;
        }
    }
}
