#include "rvdraw/robovizdraw.h"

#include <sys/socket.h>

#include <cmath>

#include "rvdraw/rvdraw.h"

int roboviz_sockfd = -1;
addrinfo* roboviz_p = nullptr;

namespace {

// Sends one datagram to the debug endpoint and frees it.
int send_and_free(unsigned char* buf, int size)
{
    int rc = -1;
    if (roboviz_sockfd >= 0 && roboviz_p != nullptr)
        rc = static_cast<int>(sendto(roboviz_sockfd, buf, static_cast<size_t>(size), 0, roboviz_p->ai_addr,
                                     roboviz_p->ai_addrlen));
    delete[] buf;
    return rc;
}

}  // namespace

RobovizDraw_t::RobovizDraw_t(const char* n) : name(n ? new std::string(n) : nullptr) {}

RobovizDraw_t::~RobovizDraw_t() { delete name; }

void RobovizDraw_t::drawPoint(float x, float y, float z, float size, float r, float g, float b)
{
    const float pos[3] = {x, y, z};
    const float color[3] = {r, g, b};
    int size_bytes = 0;
    unsigned char* buf = newPoint(pos, size, color, name, &size_bytes);
    send_and_free(buf, size_bytes);
}

int RobovizDraw_t::drawLine(float x1, float y1, float z1, float x2, float y2, float z2, float thickness,
                            float r, float g, float b)
{
    const float a[3] = {x1, y1, z1};
    const float e[3] = {x2, y2, z2};
    const float color[3] = {r, g, b};
    int size = 0;
    unsigned char* buf = newLine(a, e, thickness, color, name, &size);
    return send_and_free(buf, size);
}

void RobovizDraw_t::drawCross(float x, float y, float z, float size, float thickness, float r, float g,
                              float b)
{
    drawLine(x - size, y, z, x + size, y, z, thickness, r, g, b);
    drawLine(x, y - size, z, x, y + size, z, thickness, r, g, b);
}

void RobovizDraw_t::drawMultiCross(float x, float y, float z, float size, float thickness, float r1, float g1,
                                   float b1, float r2, float g2, float b2, float r3, float g3, float b3,
                                   float r4, float g4, float b4)
{
    drawLine(x - size, y, z, x, y, z, thickness, r1, g1, b1);
    drawLine(x, y - size, z, x, y, z, thickness, r2, g2, b2);
    drawLine(x, y, z, x + size, y, z, thickness, r3, g3, b3);
    drawLine(x, y, z, x, y + size, z, thickness, r4, g4, b4);
}

void RobovizDraw_t::drawCircle(float x, float y, float radius, float thickness, float r, float g, float b)
{
    const float center[2] = {x, y};
    const float color[3] = {r, g, b};
    int size = 0;
    unsigned char* buf = newCircle(center, radius, thickness, color, name, &size);
    send_and_free(buf, size);
}

void RobovizDraw_t::drawBar(float x, float y, float z, int n, float thickness, float /*f*/, float r, float g,
                            float b)
{
    for (int i = 0; i < n; ++i) {
        const float yi = y - 0.5f - 0.04f * i;
        drawLine(x, yi, z, x + 0.08f, yi, z, thickness, r, g, b);
    }
}

int RobovizDraw_t::update()
{
    int size = 0;
    unsigned char* buf = newBufferSwap(name, &size);
    return send_and_free(buf, size);
}

void RobovizDraw_t::drawLine2(float x1, float y1, float z1, float x2, float y2, float z2, float length,
                              float thickness, float r, float g, float b)
{
    const float dx = x2 - x1;
    const float dy = y2 - y1;
    const float d = std::sqrt(dx * dx + dy * dy);
    if (!(d > 0.0f)) return;
    drawLine(x1, y1, z1, x1 + dx * length / d, y1 + dy * length / d, z2, thickness, r, g, b);
}
