#ifndef BREVANE_KEYFRAME_NAOSIMPLEMOVE_H
#define BREVANE_KEYFRAME_NAOSIMPLEMOVE_H

#include <map>
#include <sstream>
#include <string>

#include "perception/naoparse.h"

// Number of data lines a key-frame file may hold.
constexpr int MAX_JID_LINES = 512;

// Control cycles per unit of the interpolation length n.
constexpr int nb_static_interpolate = 15;

// Appends one joint speed command "(effector speed)" formatted with fmt
// ("(%s %.2f)" or the like). A speed that is not finite, or text that would
// not fit, would reach the server as "nan" or a cut command: the joint is
// left out for this cycle with a line on standard error, and false returned.
bool write_effector_speed(std::stringstream& out, int joint, double speed, const char* fmt = "(%s %.2f)");

// Player of joint-space key frames read from a text file: a header line of
// perceptor joint names, then lines of angles in degrees.
class naosimplemove_t {
public:
    int jid[22];                       // joint id of each column, -1 if none
    int njoints;                       // number of columns
    float angles[MAX_JID_LINES * 22];  // line i, column j at i * njoints + j
    int nlines;                        // data lines read
    int cur_line;                      // next line for next()
    float captured[12];                // leg set-points of the last interpolation step (deg)

    static const float gain;  // speed divisor

    naosimplemove_t() { init(); }

    void init();
    bool load(const char* path, std::map<std::string, NaoParse::JointID>* names);
    // One control cycle of the interpolation from the angles read at its first
    // call to the given line, over 15 * n cycles; true while it runs.
    bool interpolate(int line, int n, std::stringstream& out, bool capture);
    // Plays the next line at once; true while lines remain.
    bool next(std::stringstream& out);

    static void clearAllEffector(std::stringstream& out);

    // The interpolation state is shared by all players; this drops a
    // half-finished interpolation so that the next call starts a new one.
    static void reset_interpolation();
};

#endif
