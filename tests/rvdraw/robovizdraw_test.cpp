// The drawer's shapes as they arrive at a listening socket.
#include "rvdraw/robovizdraw.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/debug_endpoint.h"

namespace {

class DrawerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(endpoint.ok()); }
    // Every datagram sent so far, in order, up to the drawer's next swap
    // (sent here as the end mark).
    std::vector<Datagram> sent(RobovizDraw_t& d)
    {
        d.update();
        std::vector<Datagram> all;
        Datagram g;
        while (listener.receive(g, 1000)) {
            if (g.bytes[0] == 0) return all;
            all.push_back(g);
        }
        ADD_FAILURE() << "the end mark did not arrive";
        return all;
    }
    ScopedDebugEndpoint endpoint;
    UdpListener& listener = endpoint.listener;
};

// A line's end points, thickness and colour as read back from its datagram.
struct Line {
    double x1, y1, z1, x2, y2, z2, thickness;
    int r, g, b;
};

Line line_of(const Datagram& d)
{
    EXPECT_EQ(d.bytes.substr(0, 2), std::string("\x01\x01", 2));
    std::vector<double> v = datagram_numbers(d.bytes, 7);
    std::vector<int> c = datagram_color(d.bytes, 7);
    return Line{v[0], v[1], v[2], v[3], v[4], v[5], v[6], c[0], c[1], c[2]};
}

void expect_line(const Line& got, const Line& want, const std::string& what)
{
    const double tol = 1e-3;  // 6-character numbers
    EXPECT_NEAR(got.x1, want.x1, tol) << what;
    EXPECT_NEAR(got.y1, want.y1, tol) << what;
    EXPECT_NEAR(got.z1, want.z1, tol) << what;
    EXPECT_NEAR(got.x2, want.x2, tol) << what;
    EXPECT_NEAR(got.y2, want.y2, tol) << what;
    EXPECT_NEAR(got.z2, want.z2, tol) << what;
    EXPECT_NEAR(got.thickness, want.thickness, tol) << what;
    EXPECT_EQ(got.r, want.r) << what;
    EXPECT_EQ(got.g, want.g) << what;
    EXPECT_EQ(got.b, want.b) << what;
}

TEST_F(DrawerTest, UpdateSendsTheSwapOfItsSet)
{
    RobovizDraw_t d("test");
    EXPECT_EQ(d.update(), 7);
    Datagram g;
    ASSERT_TRUE(listener.receive(g, 1000));
    EXPECT_EQ(g.bytes, std::string("\0\0test\0", 7));
}

TEST_F(DrawerTest, EveryShapeIsOneDatagramOfTheSet)
{
    RobovizDraw_t d("shapes");
    EXPECT_EQ(d.drawLine(0, 0, 0, 1, 2, 3, 2, 1, 0, 0), 54);
    d.drawPoint(1, 2, 3, 4, 0, 1, 0);
    d.drawCircle(-1, 2, 0.5f, 3, 0, 0, 1);
    std::vector<Datagram> got = sent(d);
    ASSERT_EQ(got.size(), 3u);
    const char* const command[] = {"\x01\x01", "\x01\x02", "\x01\x00"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(got[i].bytes.substr(0, 2), std::string(command[i], 2)) << i;
        EXPECT_EQ(got[i].bytes.substr(got[i].bytes.size() - 7), std::string("shapes\0", 7)) << i;
    }
    EXPECT_EQ(datagram_numbers(got[1].bytes, 4), (std::vector<double>{1, 2, 3, 4}));
    EXPECT_EQ(datagram_color(got[1].bytes, 4), (std::vector<int>{0, 255, 0}));
    EXPECT_EQ(datagram_numbers(got[2].bytes, 4), (std::vector<double>{-1, 2, 0.5, 3}));
    EXPECT_EQ(datagram_color(got[2].bytes, 4), (std::vector<int>{0, 0, 255}));
}

TEST_F(DrawerTest, CrossesAndBarsAreLines)
{
    RobovizDraw_t d("test");
    d.drawCross(1, 2, 0.5f, 0.25f, 3, 1, 0, 0);
    std::vector<Datagram> cross = sent(d);
    ASSERT_EQ(cross.size(), 2u);
    expect_line(line_of(cross[0]), {0.75, 2, 0.5, 1.25, 2, 0.5, 3, 255, 0, 0}, "cross along x");
    expect_line(line_of(cross[1]), {1, 1.75, 0.5, 1, 2.25, 0.5, 3, 255, 0, 0}, "cross along y");

    d.drawMultiCross(1, 2, 0.5f, 0.25f, 3, 1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 1, 1);
    std::vector<Datagram> multi = sent(d);
    ASSERT_EQ(multi.size(), 4u);
    expect_line(line_of(multi[0]), {0.75, 2, 0.5, 1, 2, 0.5, 3, 255, 0, 0}, "from -x");
    expect_line(line_of(multi[1]), {1, 1.75, 0.5, 1, 2, 0.5, 3, 0, 255, 0}, "from -y");
    expect_line(line_of(multi[2]), {1, 2, 0.5, 1.25, 2, 0.5, 3, 0, 0, 255}, "to +x");
    expect_line(line_of(multi[3]), {1, 2, 0.5, 1, 2.25, 0.5, 3, 255, 255, 255}, "to +y");

    d.drawBar(2, 1, 0.1f, 3, 2, 99, 0, 1, 1);
    std::vector<Datagram> bar = sent(d);
    ASSERT_EQ(bar.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const double y = 1 - 0.5 - 0.04 * i;
        expect_line(line_of(bar[i]), {2, y, 0.1, 2.08, y, 0.1, 2, 0, 255, 255}, "bar " + std::to_string(i));
    }
    d.drawBar(2, 1, 0.1f, 0, 2, 99, 0, 1, 1);
    EXPECT_TRUE(sent(d).empty());
}

TEST_F(DrawerTest, Line2GoesTheGivenLengthTowardsTheSecondPoint)
{
    RobovizDraw_t d("test");
    // Direction (3, 4) from (1, 1): 10 m of it end at (7, 9).
    d.drawLine2(1, 1, 0.2f, 4, 5, 0.7f, 10, 2, 1, 1, 0);
    // Backwards along y.
    d.drawLine2(0, 0, 0, 0, -2, 0, 0.5f, 1, 1, 1, 0);
    std::vector<Datagram> got = sent(d);
    ASSERT_EQ(got.size(), 2u);
    expect_line(line_of(got[0]), {1, 1, 0.2, 7, 9, 0.7, 2, 255, 255, 0}, "3-4-5");
    expect_line(line_of(got[1]), {0, 0, 0, 0, -0.5, 0, 1, 255, 255, 0}, "along -y");
}

TEST_F(DrawerTest, Line2BetweenEqualGroundPointsDrawsNothing)
{
    RobovizDraw_t d("test");
    d.drawLine2(1, 2, 0, 1, 2, 5, 3, 2, 1, 0, 0);
    EXPECT_TRUE(sent(d).empty());
}

TEST_F(DrawerTest, UnnamedSetDrawsUnderTheEmptyName)
{
    RobovizDraw_t d(nullptr);
    EXPECT_EQ(d.name, nullptr);
    EXPECT_EQ(d.update(), 3);
    Datagram g;
    ASSERT_TRUE(listener.receive(g, 1000));
    EXPECT_EQ(g.bytes, std::string("\0\0\0", 3));
}

TEST(DrawerWithoutEndpoint, SendsNothingAndSaysSo)
{
    ASSERT_EQ(roboviz_p, nullptr);
    RobovizDraw_t d("test");
    EXPECT_EQ(d.update(), -1);
    EXPECT_EQ(d.drawLine(0, 0, 0, 1, 1, 1, 1, 1, 1, 1), -1);
    d.drawCross(0, 0, 0, 1, 1, 1, 1, 1);
}

}  // namespace
