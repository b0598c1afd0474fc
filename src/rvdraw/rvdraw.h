// Datagrams of the RoboViz monitor's drawing protocol. Every command is one
// datagram: two command bytes, the shape's numbers as 6-character texts,
// its colour as 3 bytes and the name of the shape set it belongs to, NUL
// terminated. The monitor shows a set when the set's buffer swap arrives.
//
//   command      bytes 0, 1  then                                   length
//   buffer swap  0, 0        name                                   3 + name
//   circle       1, 0        x y radius thickness, colour, name     30 + name
//   line         1, 1        x1 y1 z1 x2 y2 z2 thickness, colour,   48 + name
//                            name
//   point        1, 2        x y z size, colour, name               30 + name
//   sphere       1, 3        x y z radius, colour, name             30 + name
//
// A null name writes the NUL byte alone. Each builder allocates a buffer of
// exactly the datagram's length (new[]), fills it and returns it with its
// length in *bufSize; the caller frees it with delete[].
#ifndef BREVANE_RVDRAW_RVDRAW_H
#define BREVANE_RVDRAW_RVDRAW_H

#include <string>

// Bytes of one number: the first 6 characters of "%6f", so 1.5 is "1.5000",
// -0.25 "-0.250" and 123.456 "123.45". Values beyond what 6 characters can
// hold are clamped to -99999 and 999999; NaN is written as 0.
const int kRvFloatChars = 6;
const float kRvFloatMin = -99999.0f;
const float kRvFloatMax = 999999.0f;

// Each writer fills buf from its start and returns the bytes written.
int writeCharToBuf(unsigned char* buf, unsigned char value);
int writeFloatToBuf(unsigned char* buf, float value);
// 3 bytes, red, green, blue: the integer part of 255 x the component, each
// component clamped to [0, 1] first.
int writeColorToBuf(unsigned char* buf, const float* color);
// The name's bytes and a NUL byte; a null name the NUL byte alone.
int writeStringToBuf(unsigned char* buf, const std::string* text);

unsigned char* newBufferSwap(const std::string* name, int* bufSize);
unsigned char* newCircle(const float* center, float radius, float thickness, const float* color,
                         const std::string* setName, int* bufSize);
unsigned char* newLine(const float* a, const float* b, float thickness, const float* color,
                       const std::string* setName, int* bufSize);
unsigned char* newPoint(const float* p, float size, const float* color, const std::string* setName,
                        int* bufSize);
unsigned char* newSphere(const float* p, float radius, const float* color, const std::string* setName,
                         int* bufSize);

#endif
