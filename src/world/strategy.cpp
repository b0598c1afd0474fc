#include "world/strategy.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

const char* const playerRoleStrings[NB_PLAYER_ROLES] = {
    "NO_ROLE", "ATT_ROLE", "MID_ROLE", "DEF_ROLE", "GOA_ROLE", "ATT_0", "ATT_1", "ATT_2", "ATT_3",
    "ATT_4",   "ATT_5",    "ATT_6",    "ATT_7",    "ATT_8",    "ATT_9", "MID_0", "MID_1", "MID_2",
    "MID_3",   "MID_4",    "MID_5",    "MID_6",    "MID_7",    "MID_8", "MID_9", "DEF_0", "DEF_1",
    "DEF_2",   "DEF_3",    "DEF_4",    "DEF_5",    "DEF_6",    "DEF_7", "DEF_8", "DEF_9", "GOA_0",
    "GOA_1",   "GOA_2",    "GOA_3",    "GOA_4",    "GOA_5",    "GOA_6", "GOA_7", "GOA_8", "GOA_9"};

int roleType(playerRole r)
{
    if (r >= ATT_0 && r <= ATT_9) return ATT_ROLE;
    if (r >= MID_0 && r <= MID_9) return MID_ROLE;
    if (r >= DEF_0 && r <= DEF_9) return DEF_ROLE;
    if (r >= GOA_0 && r <= GOA_9) return GOA_ROLE;
    return NO_ROLE;
}

playerRole roleFromString(const char* s)
{
    for (int i = 0; i < NB_PLAYER_ROLES; i++)
        if (std::strcmp(playerRoleStrings[i], s) == 0) return static_cast<playerRole>(i);
    return NO_ROLE;
}

const char* stringFromRole(playerRole r)
{
    const int i = static_cast<int>(r);
    return (i >= 0 && i < NB_PLAYER_ROLES) ? playerRoleStrings[i] : playerRoleStrings[NO_ROLE];
}

// ---------------------------------------------------------------- player records

void playerStrategy::clear()
{
    for (bool& c : zone) c = false;
    role = NO_ROLE;
    x = y = NOT_SET;
    x_min = y_min = x_max = y_max = NOT_SET;
}

void playerStrategy::set(playerRole r, int x_, int y_)
{
    role = r;
    x = x_;
    y = y_;
}

void playerStrategy::computeBoundingBox()
{
    int first = -1, last = -1;
    for (int i = 0; i < NB_CELLS; i++) {
        if (!zone[i]) continue;
        if (first < 0) first = i;
        last = i;
    }
    if (first < 0) return;
    int index = 0;
    // Leftmost column holding a cell: columns from x = -17 on, each from its top.
    for (int cx = -17, found = 0; cx <= 17 && !found; cx++)
        for (int cy = 12; cy >= -12 && !found; cy--)
            if (strategy::coordToVec(cx, cy, index) && zone[index]) {
                x_min = cx;
                found = 1;
            }
    // Rightmost: columns from x = 17 down, each from its bottom.
    for (int cx = 17, found = 0; cx >= -17 && !found; cx--)
        for (int cy = -12; cy <= 12 && !found; cy++)
            if (strategy::coordToVec(cx, cy, index) && zone[index]) {
                x_max = cx;
                found = 1;
            }
    int gx = 0;
    strategy::vecToCoord(last, gx, y_min);
    strategy::vecToCoord(first, gx, y_max);
}

// ---------------------------------------------------------------- grid

bool strategy::debugFlag = false;

void strategy::debug(const char* format, ...)
{
    if (!debugFlag) return;
    std::fputs("strategy::", stderr);
    va_list ap;
    va_start(ap, format);
    std::vfprintf(stderr, format, ap);
    va_end(ap);
    std::fputc('\n', stderr);
}

bool strategy::checkParameters(int strategyId, int playerId)
{
    return strategyId >= 0 && strategyId < NB_PARTS && playerId >= 1 && playerId < strategyPart::NB_RECORDS;
}

bool strategy::isInGrid(int index) { return index >= 0 && index < playerStrategy::NB_CELLS; }

bool strategy::isInGrid(int x, int y) { return x >= -17 && x <= 17 && y >= -12 && y <= 12; }

bool strategy::vecToCoord(int index, int& x, int& y)
{
    if (!isInGrid(index)) return false;
    x = index % NB_COLS - 17;
    y = 12 - index / NB_COLS;
    return true;
}

bool strategy::coordToVec(int x, int y, int& index)
{
    if (!isInGrid(x, y)) return false;
    index = (12 - y) * NB_COLS + (x + 17);
    return true;
}

namespace {

// x / 0.9 rounded half away from zero, when that is an int.
bool to_cell(double v, int& out)
{
    const double q = std::round(v / strategy::CELL);
    if (!std::isfinite(q) || q < INT_MIN || q > INT_MAX) return false;
    out = static_cast<int>(q);
    return true;
}

}  // namespace

bool strategy::mapFromReal(double x, double y, int& gx, int& gy)
{
    int cx = 0, cy = 0;
    if (!to_cell(x, cx) || !to_cell(y, cy)) return false;
    gx = cx;
    gy = cy;
    return isInGrid(gx, gy);
}

bool strategy::mapToReal(int gx, int gy, double& x, double& y)
{
    if (!isInGrid(gx, gy)) return false;
    x = CELL * gx;
    y = CELL * gy;
    return true;
}

bool strategy::mapToReal(int index, double& x, double& y)
{
    int gx = 0, gy = 0;
    if (!vecToCoord(index, gx, gy)) return false;
    return mapToReal(gx, gy, x, y);
}

// ---------------------------------------------------------------- queries

void strategy::copy(const strategy& other)
{
    for (int p = 0; p < NB_PARTS; p++) part[p] = other.part[p];
}

int strategy::strategyId(double x, double y) const
{
    int gx = 0, gy = 0, index = 0;
    if (!mapFromReal(x, y, gx, gy) || !coordToVec(gx, gy, index)) return -1;
    for (int p = 0; p < NB_PARTS; p++)
        if (part[p].player[0].zone[index]) return p;
    return -1;
}

playerRole strategy::roleId(int strategyId, int playerId) const
{
    if (!checkParameters(strategyId, playerId)) {
        debug("roleId : error strategyId %d playerId %d", strategyId, playerId);
        return NO_ROLE;
    }
    return part[strategyId].player[playerId].role;
}

bool strategy::insideOwnZone(int strategyId, int playerId, double x, double y) const
{
    if (!checkParameters(strategyId, playerId)) {
        debug("insideOwnZone : error strategyId %d playerId %d", strategyId, playerId);
        return false;
    }
    int gx = 0, gy = 0, index = 0;
    if (!mapFromReal(x, y, gx, gy) || !coordToVec(gx, gy, index)) return false;
    return part[strategyId].player[playerId].zone[index];
}

bool strategy::zonePosition(int strategyId, int playerId, double& x, double& y) const
{
    if (!checkParameters(strategyId, playerId)) {
        debug("zonePosition : error strategyId %d playerId %d", strategyId, playerId);
        return false;
    }
    const playerStrategy& s = part[strategyId].player[playerId];
    if (s.x == NOT_SET || s.y == NOT_SET) return false;
    return mapToReal(s.x, s.y, x, y);
}

bool strategy::getBoundingBox(int strategyId, int playerId, double& x_min, double& y_min, double& x_max,
                              double& y_max) const
{
    if (!checkParameters(strategyId, playerId)) {
        debug("getBoundingBox : error strategyId %d playerId %d", strategyId, playerId);
        return false;
    }
    const playerStrategy& s = part[strategyId].player[playerId];
    if (s.x_min == NOT_SET || s.y_min == NOT_SET || s.x_max == NOT_SET || s.y_max == NOT_SET) {
        debug("getBoundingBox : playerId %d has no bounding box", playerId);
        return false;
    }
    const double h = CELL / 2;
    x_min = CELL * s.x_min - h;
    y_min = CELL * s.y_min - h;
    x_max = CELL * s.x_max + h;
    y_max = CELL * s.y_max + h;
    return true;
}

// ---------------------------------------------------------------- text file

bool strategy::save(const char* path) const
{
    FILE* f = std::fopen(path, "w");
    if (f == nullptr) {
        debug("save : unable to save %s", path);
        return false;
    }
    char cells[playerStrategy::NB_CELLS + 1];
    for (int p = 0; p < NB_PARTS; p++) {
        std::fprintf(f, "p %d\n", p);
        for (const playerStrategy& s : part[p].player) {
            for (int i = 0; i < playerStrategy::NB_CELLS; i++) cells[i] = s.zone[i] ? '1' : '0';
            cells[playerStrategy::NB_CELLS] = '\0';
            std::fprintf(f, "s %s\n", cells);
            std::fprintf(f, "r %s\n", stringFromRole(s.role));
            if (s.x == NOT_SET || s.y == NOT_SET)
                std::fprintf(f, "x NOT_SET\ny NOT_SET\n");
            else
                std::fprintf(f, "x %d\ny %d\n", s.x, s.y);
            std::fprintf(f, "e\n");
        }
    }
    const bool ok = std::fflush(f) == 0 && !std::ferror(f);
    return (std::fclose(f) == 0) && ok;
}

namespace {

// Reads the lines of a strategy file: at most 878 characters each (longer
// ones come in pieces). A line too short to hold its token and the blank
// after it reads as an empty line.
class strategy_reader {
public:
    explicit strategy_reader(FILE* f) : f_(f) {}

    // The next line, or null at the end of the file.
    const char* next()
    {
        if (std::fgets(line_, sizeof(line_), f_) == nullptr) return nullptr;
        if (std::strlen(line_) < 2) line_[0] = '\0';
        return line_;
    }

private:
    FILE* f_;
    char line_[879];
};

// The value text of a line (from its third character) without its line end.
std::string value_of(const char* line)
{
    std::string v(line + 2);
    if (!v.empty() && v.back() == '\n') v.pop_back();
    return v;
}

int coordinate_of(const char* line)
{
    const std::string v = value_of(line);
    if (v == "NOT_SET") return NOT_SET;
    const long n = std::strtol(v.c_str(), nullptr, 10);
    // NOT_SET itself only by name.
    if (n <= INT_MIN) return INT_MIN + 1;
    if (n > INT_MAX) return INT_MAX;
    return static_cast<int>(n);
}

}  // namespace

bool strategy::load(const char* path)
{
    FILE* f = std::fopen(path, "r");
    if (f == nullptr) {
        debug("load : unable to load %s", path);
        return false;
    }
    // Read into a copy, so that a broken file changes nothing; the copy
    // also gives empty zones the boxes they had.
    std::unique_ptr<strategy> next(new strategy(*this));
    strategy_reader in(f);
    std::string error;
    // The next line, when it starts with the token; else the error.
    auto expect = [&in, &error](char token) -> const char* {
        const char* line = in.next();
        if (line == nullptr)
            error = "EOF unexpected";
        else if (line[0] != token)
            error = std::string("expected token : ") + token;
        return error.empty() ? line : nullptr;
    };
    for (int p = 0; p < NB_PARTS && error.empty(); p++) {
        const char* line = expect('p');
        if (line && std::strtol(line + 2, nullptr, 10) != p) error = "expected token : p";
        for (int r = 0; r < strategyPart::NB_RECORDS && error.empty(); r++) {
            playerStrategy& s = next->part[p].player[r];
            if (!(line = expect('s'))) break;
            // 875 cells and the line end.
            if (std::strlen(line + 2) != playerStrategy::NB_CELLS + 1) {
                error = "expected token : s";
                break;
            }
            for (int i = 0; i < playerStrategy::NB_CELLS; i++) s.zone[i] = line[2 + i] == '1';
            if (!(line = expect('r'))) break;
            s.role = roleFromString(value_of(line).c_str());
            if (!(line = expect('x'))) break;
            s.x = coordinate_of(line);
            if (!(line = expect('y'))) break;
            s.y = coordinate_of(line);
            if (s.x == NOT_SET || s.y == NOT_SET) s.x = s.y = NOT_SET;
            if (!expect('e')) break;
            s.computeBoundingBox();
        }
    }
    std::fclose(f);
    if (!error.empty()) {
        debug("load : warning error in %s : %s", path, error.c_str());
        return false;
    }
    copy(*next);
    return true;
}
