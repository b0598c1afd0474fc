// Role strategy: for up to ten situations (strategy parts) where each of
// eleven players belongs on the field (a zone of grid cells, a role and a
// home cell), with a line-oriented text file to save and load it. A part
// also has a zone of its own, record 0, which says for which positions of a
// reference point (the ball) it applies.
//
// Grid: 35 columns by 25 rows of 0.9 m cells; grid coordinates x in
// -17..17 and y in -12..12, cell centres at (0.9 x, 0.9 y) m. Cell index
// (12 - y) * 35 + (x + 17): index 0 is the cell (-17, 12), indices grow
// along x first, each following row one y lower.
//
// Text file, every line ending with a line end, 610 lines: for each part p
// = 0..9 the line "p <p>", then for each record 0..11 five lines:
// "s " and 875 characters ('1' for a cell in the zone, else '0', in index
// order); "r " and the role name; "x <n>" and "y <n>" with the home cell,
// or "x NOT_SET" and "y NOT_SET"; "e".
#ifndef BREVANE_WORLD_STRATEGY_H
#define BREVANE_WORLD_STRATEGY_H

#include <climits>

// A fixed underlying type: any int converts to a role value, so that the
// name of a value outside the 45 roles is well defined ("NO_ROLE").
enum playerRole : int {
    NO_ROLE = 0,
    ATT_ROLE,
    MID_ROLE,
    DEF_ROLE,
    GOA_ROLE,
    ATT_0,
    ATT_1,
    ATT_2,
    ATT_3,
    ATT_4,
    ATT_5,
    ATT_6,
    ATT_7,
    ATT_8,
    ATT_9,
    MID_0,
    MID_1,
    MID_2,
    MID_3,
    MID_4,
    MID_5,
    MID_6,
    MID_7,
    MID_8,
    MID_9,
    DEF_0,
    DEF_1,
    DEF_2,
    DEF_3,
    DEF_4,
    DEF_5,
    DEF_6,
    DEF_7,
    DEF_8,
    DEF_9,
    GOA_0,
    GOA_1,
    GOA_2,
    GOA_3,
    GOA_4,
    GOA_5,
    GOA_6,
    GOA_7,
    GOA_8,
    GOA_9
};
const int NB_PLAYER_ROLES = 45;

// The role names in value order.
extern const char* const playerRoleStrings[NB_PLAYER_ROLES];

// The generic role of a numbered role's family: 1 for ATT_0..ATT_9, 2 MID,
// 3 DEF, 4 GOA; 0 for every other value (the generic roles included).
int roleType(playerRole r);
// The first role whose name equals s exactly; NO_ROLE when none does.
playerRole roleFromString(const char* s);
// The name of r; "NO_ROLE" for a value outside 0..44.
const char* stringFromRole(playerRole r);

const int NOT_SET = INT_MIN;

class playerStrategy {
public:
    static const int NB_CELLS = 875;

    bool zone[NB_CELLS];
    playerRole role;
    int x, y;                        // grid coordinates of the home cell; both NOT_SET when unset
    int x_min, y_min, x_max, y_max;  // bounding box of the zone; NOT_SET: none

    playerStrategy() { clear(); }
    // Empty zone, NO_ROLE, no home cell, no box.
    void clear();
    void set(playerRole r, int x, int y);
    // The box of the zone in grid coordinates; an empty zone leaves the box
    // as it was.
    void computeBoundingBox();
};

class strategyPart {
public:
    static const int NB_RECORDS = 12;
    // Record 0: the part's own zone; 1..11: the players by number.
    playerStrategy player[NB_RECORDS];
};

class strategy {
public:
    static const int NB_PARTS = 10;
    static const int NB_COLS = 35;
    static const int NB_ROWS = 25;
    static constexpr double CELL = 0.9;  // m

    // Diagnostic messages on standard error (off; nothing in the programs
    // turns it on).
    static bool debugFlag;

    strategyPart part[NB_PARTS];

    strategy() = default;

    void copy(const strategy& other);
    // Writes the text file (replacing it); false when it cannot be opened.
    bool save(const char* path) const;
    // Reads the text file. The strategy changes only when the whole file
    // reads; a file that does not is reported through debug and leaves the
    // strategy as it was. Records whose zone is empty keep their box.
    bool load(const char* path);

    // The first part, in id order, whose own zone holds the point's cell;
    // -1 for a point off the grid or covered by no part.
    int strategyId(double x, double y) const;
    playerRole roleId(int strategyId, int playerId) const;
    bool insideOwnZone(int strategyId, int playerId, double x, double y) const;
    // The player's home cell in metres; false when it is unset.
    bool zonePosition(int strategyId, int playerId, double& x, double& y) const;
    // The outer cell edges of the player's box in metres.
    bool getBoundingBox(int strategyId, int playerId, double& x_min, double& y_min, double& x_max,
                        double& y_max) const;

    // strategyId in 0..9 and playerId in 1..11.
    static bool checkParameters(int strategyId, int playerId);
    static bool isInGrid(int index);
    static bool isInGrid(int x, int y);
    // Grid conversions: false (outputs untouched) off the grid.
    static bool vecToCoord(int index, int& x, int& y);
    static bool coordToVec(int x, int y, int& index);
    // x / 0.9 and y / 0.9 rounded to the nearest integer, halves away from
    // zero; the outputs are written whenever they are integers, and the
    // result says whether they lie on the grid. A number that is not one,
    // or whose cell number is no int, gives false with the outputs untouched.
    static bool mapFromReal(double x, double y, int& gx, int& gy);
    static bool mapToReal(int gx, int gy, double& x, double& y);
    static bool mapToReal(int index, double& x, double& y);

    // "strategy::" and the formatted message on standard error when
    // debugFlag is set; nothing otherwise.
    static void debug(const char* format, ...) __attribute__((format(printf, 1, 2)));
};

#endif
