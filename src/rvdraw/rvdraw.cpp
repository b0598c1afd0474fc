#include "rvdraw/rvdraw.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

int nameBytes(const std::string* name) { return (name ? static_cast<int>(name->size()) : 0) + 1; }

// A shape: the bytes 1 and `shape`, the numbers, the colour and the set name.
unsigned char* newShape(unsigned char shape, const float* values, int count, const float* color,
                        const std::string* setName, int* bufSize)
{
    const int size = 2 + count * kRvFloatChars + 3 + nameBytes(setName);
    unsigned char* buf = new unsigned char[size];
    unsigned char* p = buf;
    p += writeCharToBuf(p, 1);
    p += writeCharToBuf(p, shape);
    for (int i = 0; i < count; ++i) p += writeFloatToBuf(p, values[i]);
    p += writeColorToBuf(p, color);
    writeStringToBuf(p, setName);
    *bufSize = size;
    return buf;
}

}  // namespace

int writeCharToBuf(unsigned char* buf, unsigned char value)
{
    *buf = value;
    return 1;
}

int writeFloatToBuf(unsigned char* buf, float value)
{
    if (std::isnan(value)) value = 0.0f;
    if (value < kRvFloatMin) value = kRvFloatMin;
    if (value > kRvFloatMax) value = kRvFloatMax;
    // "%6f" prints at least 6 characters and, within the clamp, at most
    // "-99999.000000": the buffer holds any of them.
    char text[32];
    std::snprintf(text, sizeof(text), "%6f", value);
    std::memcpy(buf, text, kRvFloatChars);
    return kRvFloatChars;
}

int writeColorToBuf(unsigned char* buf, const float* color)
{
    for (int i = 0; i < 3; ++i) {
        float c = color[i];
        if (!(c > 0.0f)) c = 0.0f;  // NaN too
        if (c > 1.0f) c = 1.0f;
        buf[i] = static_cast<unsigned char>(255 * c);
    }
    return 3;
}

int writeStringToBuf(unsigned char* buf, const std::string* text)
{
    int n = 0;
    if (text) {
        std::memcpy(buf, text->data(), text->size());
        n = static_cast<int>(text->size());
    }
    buf[n] = 0;
    return n + 1;
}

unsigned char* newBufferSwap(const std::string* name, int* bufSize)
{
    const int size = 2 + nameBytes(name);
    unsigned char* buf = new unsigned char[size];
    writeCharToBuf(buf, 0);
    writeCharToBuf(buf + 1, 0);
    writeStringToBuf(buf + 2, name);
    *bufSize = size;
    return buf;
}

unsigned char* newCircle(const float* center, float radius, float thickness, const float* color,
                         const std::string* setName, int* bufSize)
{
    const float v[4] = {center[0], center[1], radius, thickness};
    return newShape(0, v, 4, color, setName, bufSize);
}

unsigned char* newLine(const float* a, const float* b, float thickness, const float* color,
                       const std::string* setName, int* bufSize)
{
    const float v[7] = {a[0], a[1], a[2], b[0], b[1], b[2], thickness};
    return newShape(1, v, 7, color, setName, bufSize);
}

unsigned char* newPoint(const float* p, float size, const float* color, const std::string* setName,
                        int* bufSize)
{
    const float v[4] = {p[0], p[1], p[2], size};
    return newShape(2, v, 4, color, setName, bufSize);
}

unsigned char* newSphere(const float* p, float radius, const float* color, const std::string* setName,
                         int* bufSize)
{
    const float v[4] = {p[0], p[1], p[2], radius};
    return newShape(3, v, 4, color, setName, bufSize);
}
