// The agent's drawer for a RoboViz monitor on the local machine: every shape
// is one datagram (rvdraw.h) of the drawer's shape set, sent on the debug
// socket that main opened. Colours are components from 0 to 1; lengths in
// metres in the field frame.
#ifndef BREVANE_RVDRAW_ROBOVIZDRAW_H
#define BREVANE_RVDRAW_ROBOVIZDRAW_H

#include <netdb.h>

#include <string>

// The debug stream, opened by main: the UDP socket (neither bound nor
// connected) and the resolved entry whose address every datagram goes to.
// Until main sets them (-1 and null) nothing is sent.
extern int roboviz_sockfd;
extern addrinfo* roboviz_p;

class RobovizDraw_t {
public:
    std::string* name;  // the shape set; null draws under the empty name

    explicit RobovizDraw_t(const char* name);
    ~RobovizDraw_t();
    RobovizDraw_t(const RobovizDraw_t&) = delete;
    RobovizDraw_t& operator=(const RobovizDraw_t&) = delete;

    void drawPoint(float x, float y, float z, float size, float r, float g, float b);
    // The result of sendto (-1 when nothing could be sent).
    int drawLine(float x1, float y1, float z1, float x2, float y2, float z2, float thickness, float r,
                 float g, float b);
    // Two lines through (x, y, z), along x and along y, each 2 x size long.
    void drawCross(float x, float y, float z, float size, float thickness, float r, float g, float b);
    // The cross's four half-arms, each in its own colour: from -x to the
    // centre, from -y to the centre, from the centre to +x, to +y.
    void drawMultiCross(float x, float y, float z, float size, float thickness, float r1, float g1, float b1,
                        float r2, float g2, float b2, float r3, float g3, float b3, float r4, float g4,
                        float b4);
    // A circle on the ground plane.
    void drawCircle(float x, float y, float radius, float thickness, float r, float g, float b);
    // n lines 0.08 long along x, the i-th (from 0) at y - 0.5 - 0.04 i; f
    // plays no part.
    void drawBar(float x, float y, float z, int n, float thickness, float f, float r, float g, float b);
    // The buffer swap of the set: the monitor shows what was drawn since the
    // last one. The result of sendto (-1 when nothing could be sent).
    int update();
    // A line from (x1, y1, z1) of the given length in the ground-plane
    // direction from (x1, y1) to (x2, y2), ending at height z2. Two equal
    // ground-plane points give no direction: nothing is drawn.
    void drawLine2(float x1, float y1, float z1, float x2, float y2, float z2, float length, float thickness,
                   float r, float g, float b);
};

#endif
