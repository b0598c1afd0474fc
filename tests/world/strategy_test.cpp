// Role strategy: roles and their names, the grid conversions checked
// against the cell layout, bounding boxes, queries, and the text file
// (round trip, malformed files, reports).
#include "world/strategy.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_files.h"

namespace {

void write_all(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> v;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) v.push_back(l);
    return v;
}

std::string joined(const std::vector<std::string>& lines)
{
    std::string s;
    for (const std::string& l : lines) s += l + "\n";
    return s;
}

void set_cell(playerStrategy& s, int x, int y)
{
    int i = 0;
    ASSERT_TRUE(strategy::coordToVec(x, y, i));
    s.zone[i] = true;
}

// A strategy with something in every kind of field.
std::unique_ptr<strategy> sample_strategy(unsigned seed)
{
    std::unique_ptr<strategy> st(new strategy);
    std::mt19937 gen(seed);
    std::uniform_int_distribution<int> cell(0, playerStrategy::NB_CELLS - 1), role(0, NB_PLAYER_ROLES - 1),
        gx(-17, 17), gy(-12, 12);
    for (int p = 0; p < strategy::NB_PARTS; p++)
        for (int r = 0; r < strategyPart::NB_RECORDS; r++) {
            playerStrategy& s = st->part[p].player[r];
            if ((p + r) % 5 != 0)
                for (int k = 0; k < 40; k++) s.zone[cell(gen)] = true;
            s.role = static_cast<playerRole>(role(gen));
            if ((p + r) % 3 != 0) s.set(s.role, gx(gen), gy(gen));
            s.computeBoundingBox();
        }
    return st;
}

void expect_same(const strategy& a, const strategy& b)
{
    for (int p = 0; p < strategy::NB_PARTS; p++)
        for (int r = 0; r < strategyPart::NB_RECORDS; r++) {
            const playerStrategy &x = a.part[p].player[r], &y = b.part[p].player[r];
            for (int i = 0; i < playerStrategy::NB_CELLS; i++)
                ASSERT_EQ(x.zone[i], y.zone[i]) << p << "/" << r << " cell " << i;
            EXPECT_EQ(x.role, y.role) << p << "/" << r;
            EXPECT_EQ(x.x, y.x) << p << "/" << r;
            EXPECT_EQ(x.y, y.y) << p << "/" << r;
            EXPECT_EQ(x.x_min, y.x_min) << p << "/" << r;
            EXPECT_EQ(x.y_min, y.y_min) << p << "/" << r;
            EXPECT_EQ(x.x_max, y.x_max) << p << "/" << r;
            EXPECT_EQ(x.y_max, y.y_max) << p << "/" << r;
        }
}

// Turns the reports on for one test and collects them.
class Reports {
public:
    Reports()
    {
        strategy::debugFlag = true;
        testing::internal::CaptureStderr();
    }
    ~Reports()
    {
        if (!taken_) testing::internal::GetCapturedStderr();
        strategy::debugFlag = false;
    }
    std::string text()
    {
        taken_ = true;
        return testing::internal::GetCapturedStderr();
    }

private:
    bool taken_ = false;
};

TEST(PlayerRole, FamiliesAndNames)
{
    const struct {
        playerRole r;
        int type;
        const char* name;
    } cases[] = {{ATT_3, 1, "ATT_3"},       {GOA_9, 4, "GOA_9"}, {ATT_ROLE, 0, "ATT_ROLE"},
                 {NO_ROLE, 0, "NO_ROLE"},   {MID_0, 2, "MID_0"}, {DEF_9, 3, "DEF_9"},
                 {GOA_ROLE, 0, "GOA_ROLE"}, {ATT_0, 1, "ATT_0"}, {ATT_9, 1, "ATT_9"}};
    for (const auto& c : cases) {
        EXPECT_EQ(roleType(c.r), c.type) << c.name;
        EXPECT_STREQ(stringFromRole(c.r), c.name);
        EXPECT_EQ(roleFromString(c.name), c.r);
    }
    EXPECT_EQ(MID_0, 15);
    EXPECT_EQ(GOA_9, 44);
    EXPECT_EQ(roleFromString("mid_0"), NO_ROLE);
    EXPECT_EQ(roleFromString("MID_0 "), NO_ROLE);
    EXPECT_EQ(roleFromString(""), NO_ROLE);
    // Every name maps back to its value.
    for (int i = 0; i < NB_PLAYER_ROLES; i++) EXPECT_EQ(roleFromString(playerRoleStrings[i]), i);
    for (int bad : {-1, 45, 1000})
        EXPECT_STREQ(stringFromRole(static_cast<playerRole>(bad)), "NO_ROLE") << bad;
}

TEST(StrategyGrid, CellIndicesGrowAlongXThenDownRows)
{
    const struct {
        int x, y, index;
    } cases[] = {{-17, 12, 0}, {17, -12, 874}, {0, 0, 437}, {-16, 12, 1}, {-17, 11, 35}, {17, 12, 34}};
    for (const auto& c : cases) {
        int i = -5;
        EXPECT_TRUE(strategy::coordToVec(c.x, c.y, i));
        EXPECT_EQ(i, c.index) << c.x << "," << c.y;
        int x = 99, y = 99;
        EXPECT_TRUE(strategy::vecToCoord(c.index, x, y));
        EXPECT_EQ(x, c.x);
        EXPECT_EQ(y, c.y);
    }
    // Every cell once, in order.
    int expected = 0;
    for (int y = 12; y >= -12; y--)
        for (int x = -17; x <= 17; x++) {
            int i = -1;
            ASSERT_TRUE(strategy::coordToVec(x, y, i));
            ASSERT_EQ(i, expected++);
        }
    EXPECT_EQ(expected, 875);
    const struct {
        int index;
    } off[] = {{875}, {-1}};
    for (const auto& c : off) {
        int x = 7, y = 8;
        EXPECT_FALSE(strategy::vecToCoord(c.index, x, y));
        EXPECT_EQ(x, 7);
        EXPECT_EQ(y, 8);
    }
    int i = 5;
    EXPECT_FALSE(strategy::coordToVec(18, 0, i));
    EXPECT_FALSE(strategy::coordToVec(0, -13, i));
    EXPECT_EQ(i, 5);
}

TEST(StrategyGrid, MetresToCellsAndBack)
{
    const struct {
        double x, y;
        bool ok;
        int gx, gy;
    } cases[] = {
        {0.45, -0.45, true, 1, -1},  // halves away from zero
        {16.0, 0.0, false, 18, 0},   // written, but off the grid
        {15.3, 10.8, true, 17, 12},  // the last cell centres
        {-15.75, -11.25, false, -18, -13}, {0.44, 0.0, true, 0, 0},
    };
    for (const auto& c : cases) {
        int gx = 99, gy = 99;
        EXPECT_EQ(strategy::mapFromReal(c.x, c.y, gx, gy), c.ok) << c.x << "," << c.y;
        EXPECT_EQ(gx, c.gx) << c.x;
        EXPECT_EQ(gy, c.gy) << c.y;
    }
    for (double bad : {double(NAN), double(INFINITY), -double(INFINITY), 1e300}) {
        int gx = 99, gy = 98;
        EXPECT_FALSE(strategy::mapFromReal(bad, 0.0, gx, gy)) << bad;
        EXPECT_FALSE(strategy::mapFromReal(0.0, bad, gx, gy)) << bad;
        EXPECT_EQ(gx, 99);
        EXPECT_EQ(gy, 98);
    }
    double x = 0, y = 0;
    EXPECT_TRUE(strategy::mapToReal(3, -2, x, y));
    EXPECT_DOUBLE_EQ(x, 2.7);
    EXPECT_DOUBLE_EQ(y, -1.8);
    EXPECT_TRUE(strategy::mapToReal(437, x, y));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_FALSE(strategy::mapToReal(18, 0, x, y));
    EXPECT_FALSE(strategy::mapToReal(875, x, y));
    // Every cell centre maps back to its cell.
    for (int i = 0; i < playerStrategy::NB_CELLS; i++) {
        int gx = 0, gy = 0, j = -1;
        ASSERT_TRUE(strategy::mapToReal(i, x, y));
        ASSERT_TRUE(strategy::mapFromReal(x, y, gx, gy));
        ASSERT_TRUE(strategy::coordToVec(gx, gy, j));
        ASSERT_EQ(j, i);
    }
}

TEST(StrategyZones, BoundingBoxes)
{
    const struct {
        const char* name;
        std::vector<std::pair<int, int>> cells;
        int x_min, y_min, x_max, y_max;
    } cases[] = {
        {"one cell", {{3, -2}}, 3, -2, 3, -2},
        {"scattered", {{-5, 4}, {2, -3}, {2, 6}, {0, 0}}, -5, -3, 2, 6},
        {"corners", {{-17, -12}, {17, 12}}, -17, -12, 17, 12},
        {"column", {{-9, 1}, {-9, 2}, {-9, -4}}, -9, -4, -9, 2},
    };
    for (const auto& c : cases) {
        strategy st;
        playerStrategy& s = st.part[2].player[4];
        for (const auto& xy : c.cells) set_cell(s, xy.first, xy.second);
        s.computeBoundingBox();
        EXPECT_EQ(s.x_min, c.x_min) << c.name;
        EXPECT_EQ(s.y_min, c.y_min) << c.name;
        EXPECT_EQ(s.x_max, c.x_max) << c.name;
        EXPECT_EQ(s.y_max, c.y_max) << c.name;
        double x0, y0, x1, y1;
        ASSERT_TRUE(st.getBoundingBox(2, 4, x0, y0, x1, y1)) << c.name;
        EXPECT_NEAR(x0, 0.9 * c.x_min - 0.45, 1e-12);
        EXPECT_NEAR(y0, 0.9 * c.y_min - 0.45, 1e-12);
        EXPECT_NEAR(x1, 0.9 * c.x_max + 0.45, 1e-12);
        EXPECT_NEAR(y1, 0.9 * c.y_max + 0.45, 1e-12);
    }
    strategy st;
    set_cell(st.part[0].player[1], 3, -2);
    st.part[0].player[1].computeBoundingBox();
    double x0, y0, x1, y1;
    ASSERT_TRUE(st.getBoundingBox(0, 1, x0, y0, x1, y1));
    EXPECT_DOUBLE_EQ(x0, 2.25);
    EXPECT_DOUBLE_EQ(y0, -2.25);
    EXPECT_DOUBLE_EQ(x1, 3.15);
    EXPECT_DOUBLE_EQ(y1, -1.35);
    // An empty zone has no box, and computing one changes nothing.
    playerStrategy& empty = st.part[0].player[2];
    empty.computeBoundingBox();
    EXPECT_EQ(empty.x_min, NOT_SET);
    Reports r;
    EXPECT_FALSE(st.getBoundingBox(0, 2, x0, y0, x1, y1));
    EXPECT_EQ(r.text(), "strategy::getBoundingBox : playerId 2 has no bounding box\n");
}

TEST(StrategyQueries, PartsRolesZonesAndHomes)
{
    strategy st;
    // Parts 3 and 6 both cover the cell (0, 0); only part 6 covers (5, 5).
    set_cell(st.part[3].player[0], 0, 0);
    set_cell(st.part[6].player[0], 0, 0);
    set_cell(st.part[6].player[0], 5, 5);
    EXPECT_EQ(st.strategyId(0.1, -0.2), 3);
    EXPECT_EQ(st.strategyId(4.6, 4.4), 6);
    EXPECT_EQ(st.strategyId(-8.0, 3.0), -1);
    EXPECT_EQ(st.strategyId(16.0, 0.0), -1);
    EXPECT_EQ(st.strategyId(NAN, 0.0), -1);

    st.part[6].player[11].set(DEF_2, -4, 3);
    set_cell(st.part[6].player[11], -4, 3);
    EXPECT_EQ(st.roleId(6, 11), DEF_2);
    EXPECT_TRUE(st.insideOwnZone(6, 11, -3.7, 2.8));
    EXPECT_FALSE(st.insideOwnZone(6, 11, 0.0, 0.0));
    EXPECT_FALSE(st.insideOwnZone(6, 11, 20.0, 0.0));
    double x = 7, y = 7;
    EXPECT_TRUE(st.zonePosition(6, 11, x, y));
    EXPECT_DOUBLE_EQ(x, -3.6);
    EXPECT_DOUBLE_EQ(y, 2.7);
    x = y = 7;
    EXPECT_FALSE(st.zonePosition(6, 10, x, y));  // no home cell
    EXPECT_EQ(x, 7);

    const struct {
        int sid, pid;
    } bad[] = {{-1, 1}, {10, 1}, {0, 0}, {0, 12}};
    for (const auto& b : bad) {
        Reports r;
        EXPECT_FALSE(strategy::checkParameters(b.sid, b.pid));
        EXPECT_EQ(st.roleId(b.sid, b.pid), NO_ROLE);
        EXPECT_FALSE(st.insideOwnZone(b.sid, b.pid, 0, 0));
        double bx = 3, by = 4, bx1 = 5, by1 = 6;
        EXPECT_FALSE(st.zonePosition(b.sid, b.pid, bx, by));
        EXPECT_FALSE(st.getBoundingBox(b.sid, b.pid, bx, by, bx1, by1));
        EXPECT_EQ(bx, 3);
        EXPECT_EQ(by1, 6);
        const std::string ids =
            "strategyId " + std::to_string(b.sid) + " playerId " + std::to_string(b.pid) + "\n";
        EXPECT_EQ(r.text(), "strategy::roleId : error " + ids + "strategy::insideOwnZone : error " + ids +
                                "strategy::zonePosition : error " + ids +
                                "strategy::getBoundingBox : error " + ids);
    }
    // Without the switch nothing is printed.
    testing::internal::CaptureStderr();
    st.roleId(-1, 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

class StrategyFile : public ::testing::Test {
protected:
    ScratchWorkDir dir;
    std::string path(const std::string& name) const { return (dir.path() / name).string(); }
};

TEST_F(StrategyFile, SavedStrategyLoadsBackUnchanged)
{
    std::unique_ptr<strategy> st = sample_strategy(3);
    const std::string f = path("roles.txt");
    ASSERT_TRUE(st->save(f.c_str()));
    const std::vector<std::string> lines = lines_of(read_text_file(f));
    ASSERT_EQ(lines.size(), 610u);
    EXPECT_EQ(lines[0], "p 0");
    EXPECT_EQ(lines[1].size(), 877u);
    EXPECT_EQ(lines[1].substr(0, 2), "s ");
    EXPECT_EQ(lines[2], std::string("r ") + stringFromRole(st->part[0].player[0].role));
    EXPECT_EQ(lines[61], "p 1");
    EXPECT_EQ(lines[609], "e");

    std::unique_ptr<strategy> back(new strategy);
    ASSERT_TRUE(back->load(f.c_str()));
    expect_same(*st, *back);

    std::unique_ptr<strategy> copied(new strategy);
    copied->copy(*st);
    expect_same(*st, *copied);
}

TEST_F(StrategyFile, EmptyZonesKeepTheBoxTheyHad)
{
    std::unique_ptr<strategy> st(new strategy);
    const std::string f = path("empty.txt");
    ASSERT_TRUE(st->save(f.c_str()));
    std::unique_ptr<strategy> target(new strategy);
    playerStrategy& s = target->part[4].player[7];
    set_cell(s, 1, 1);
    s.computeBoundingBox();
    ASSERT_TRUE(target->load(f.c_str()));
    EXPECT_FALSE(s.zone[0]);
    int i = 0;
    strategy::coordToVec(1, 1, i);
    EXPECT_FALSE(s.zone[i]);
    EXPECT_EQ(s.x_min, 1);
    EXPECT_EQ(s.y_max, 1);
}

TEST_F(StrategyFile, HalfSetHomeCellLoadsUnsetAndSavesBackUnset)
{
    std::unique_ptr<strategy> st(new strategy);
    const std::string f = path("half.txt");
    ASSERT_TRUE(st->save(f.c_str()));
    std::vector<std::string> lines = lines_of(read_text_file(f));
    // Part 0, record 3: lines 1 + 3 * 5 + (s, r, x, y, e).
    ASSERT_EQ(lines[18], "x NOT_SET");
    lines[19] = "y 4";
    write_all(f, joined(lines));
    ASSERT_TRUE(st->load(f.c_str()));
    EXPECT_EQ(st->part[0].player[3].x, NOT_SET);
    EXPECT_EQ(st->part[0].player[3].y, NOT_SET);
    lines[18] = "x -3";
    write_all(f, joined(lines));
    ASSERT_TRUE(st->load(f.c_str()));
    EXPECT_EQ(st->part[0].player[3].x, -3);
    EXPECT_EQ(st->part[0].player[3].y, 4);
    st->part[0].player[3].y = NOT_SET;
    ASSERT_TRUE(st->save(f.c_str()));
    lines = lines_of(read_text_file(f));
    EXPECT_EQ(lines[18], "x NOT_SET");
    EXPECT_EQ(lines[19], "y NOT_SET");
}

// A file that does not read leaves the strategy as it was (no part is
// replaced before the error is found) and says why.
TEST_F(StrategyFile, MalformedFilesChangeNothing)
{
    std::unique_ptr<strategy> good = sample_strategy(11);
    const std::string f = path("good.txt");
    ASSERT_TRUE(good->save(f.c_str()));
    const std::string text = read_text_file(f);
    const std::vector<std::string> lines = lines_of(text);
    const size_t last_s = 610 - 5;  // the last record's 's' line
    const struct {
        const char* name;
        std::string file;
        const char* error;
    } cases[] = {
        {"874 cells", joined([&] {
             auto l = lines;
             l[last_s].pop_back();
             return l;
         }()),
         "expected token : s"},
        // Read as 's' and 876 cells without a line end, then the line end alone.
        {"876 cells", joined([&] {
             auto l = lines;
             l[last_s] += "0";
             return l;
         }()),
         "expected token : r"},
        {"609 lines", joined(std::vector<std::string>(lines.begin(), lines.end() - 1)), "EOF unexpected"},
        {"s line without its line end",
         joined(std::vector<std::string>(lines.begin(), lines.begin() + last_s)) + lines[last_s],
         "expected token : s"},
        {"last line shorter than two characters", text.substr(0, text.size() - 1), "expected token : e"},
        {"wrong part number", joined([&] {
             auto l = lines;
             l[549] = "p 8";
             return l;
         }()),
         "expected token : p"},
        {"role line missing", joined([&] {
             auto l = lines;
             l.erase(l.begin() + 601);
             return l;
         }()),
         "expected token : r"},
        {"empty file", "", "EOF unexpected"},
        {"lone p", "p", "expected token : p"},
    };
    ASSERT_EQ(lines[549], "p 9");
    ASSERT_EQ(lines[601].substr(0, 2), "r ");
    for (const auto& c : cases) {
        std::unique_ptr<strategy> st = sample_strategy(5);
        std::unique_ptr<strategy> before(new strategy(*st));
        const std::string bad = path("bad.txt");
        write_all(bad, c.file);
        Reports r;
        EXPECT_FALSE(st->load(bad.c_str())) << c.name;
        EXPECT_EQ(r.text(), "strategy::load : warning error in " + bad + " : " + c.error + "\n") << c.name;
        expect_same(*st, *before);
    }
}

TEST_F(StrategyFile, UnopenableFilesAreReported)
{
    strategy st;
    const std::string missing = path("none/roles.txt");
    Reports r;
    EXPECT_FALSE(st.save(missing.c_str()));
    EXPECT_FALSE(st.load(missing.c_str()));
    EXPECT_EQ(r.text(), "strategy::save : unable to save " + missing + "\nstrategy::load : unable to load " +
                            missing + "\n");
}

}  // namespace
