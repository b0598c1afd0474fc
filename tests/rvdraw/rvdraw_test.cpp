// The drawing datagrams byte by byte.
#include "rvdraw/rvdraw.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

std::string bytes_of(unsigned char* buf, int size)
{
    std::string s(reinterpret_cast<const char*>(buf), static_cast<size_t>(size));
    delete[] buf;
    return s;
}

const std::string kTest = "test";

TEST(RvDatagram, BufferSwapOfTheSetTestIsSevenBytes)
{
    int size = 0;
    unsigned char* buf = newBufferSwap(&kTest, &size);
    std::string d = bytes_of(buf, size);
    EXPECT_EQ(d, std::string("\0\0test\0", 7));
}

TEST(RvDatagram, RedLineOfThicknessTwoIsFiftyTwoBytes)
{
    const float a[3] = {0, 0, 0};
    const float b[3] = {1, 2, 3};
    const float red[3] = {1, 0, 0};
    int size = 0;
    unsigned char* buf = newLine(a, b, 2, red, &kTest, &size);
    std::string d = bytes_of(buf, size);
    const std::string expected = std::string("\x01\x01", 2) + "0.0000" + "0.0000" + "0.0000" + "1.0000" +
                                 "2.0000" + "3.0000" + "2.0000" + std::string("\xff\x00\x00", 3) +
                                 std::string("test\0", 5);
    EXPECT_EQ(size, 52);
    EXPECT_EQ(d, expected);
}

// Each builder with a name of n bytes: total length and command bytes.
struct ShapeCase {
    const char* shape;
    int base_length;
    unsigned char command[2];
};

std::string build(const ShapeCase& c, const std::string* name)
{
    const float p[3] = {0.5f, -1.25f, 2.0f};
    const float q[3] = {3, 4, 5};
    const float color[3] = {0.2f, 0.4f, 0.6f};
    int size = -1;
    unsigned char* buf = nullptr;
    const std::string s = c.shape;
    if (s == "swap") buf = newBufferSwap(name, &size);
    if (s == "circle") buf = newCircle(p, 1.5f, 2, color, name, &size);
    if (s == "line") buf = newLine(p, q, 2, color, name, &size);
    if (s == "point") buf = newPoint(p, 3, color, name, &size);
    if (s == "sphere") buf = newSphere(p, 0.25f, color, name, &size);
    return bytes_of(buf, size);
}

class ShapeLength : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(ShapeLength, IsItsBaseLengthPlusTheName)
{
    const ShapeCase& c = GetParam();
    const std::string names[] = {"", "test", "a longer set name"};
    for (const std::string& n : names) {
        std::string d = build(c, &n);
        ASSERT_EQ(d.size(), c.base_length + n.size()) << n;
        EXPECT_EQ(static_cast<unsigned char>(d[0]), c.command[0]);
        EXPECT_EQ(static_cast<unsigned char>(d[1]), c.command[1]);
        // The name ends the datagram, NUL terminated.
        EXPECT_EQ(d.substr(d.size() - n.size() - 1), n + std::string(1, '\0'));
    }
    // Without a name the name field is the NUL byte alone.
    std::string d = build(c, nullptr);
    ASSERT_EQ(d.size(), static_cast<size_t>(c.base_length));
    EXPECT_EQ(d.back(), '\0');
}

INSTANTIATE_TEST_SUITE_P(Table, ShapeLength,
                         ::testing::Values(ShapeCase{"swap", 3, {0, 0}}, ShapeCase{"circle", 30, {1, 0}},
                                           ShapeCase{"line", 48, {1, 1}}, ShapeCase{"point", 30, {1, 2}},
                                           ShapeCase{"sphere", 30, {1, 3}}),
                         [](const ::testing::TestParamInfo<ShapeCase>& i) {
                             return std::string(i.param.shape);
                         });

TEST(RvDatagram, ShapesCarryTheirNumbersInOrderThenTheColour)
{
    struct Row {
        ShapeCase shape;
        std::string numbers;
    } rows[] = {
        {{"circle", 30, {1, 0}}, "0.5000-1.2501.50002.0000"},
        {{"point", 30, {1, 2}}, "0.5000-1.2502.00003.0000"},
        {{"sphere", 30, {1, 3}}, "0.5000-1.2502.00000.2500"},
        {{"line", 48, {1, 1}}, "0.5000-1.2502.00003.00004.00005.00002.0000"},
    };
    for (const Row& r : rows) {
        std::string d = build(r.shape, &kTest);
        EXPECT_EQ(d.substr(2, r.numbers.size()), r.numbers) << r.shape.shape;
        // 255 x 0.2, 0.4, 0.6, integer parts.
        EXPECT_EQ(d.substr(2 + r.numbers.size(), 3), std::string("\x33\x66\x99", 3)) << r.shape.shape;
    }
}

// One number: the first 6 characters of "%6f", clamped to what 6
// characters can hold, and never more than 6 bytes written.
TEST(RvDatagram, NumbersAreSixCharactersAndNeverOverrun)
{
    const float inf = std::numeric_limits<float>::infinity();
    struct Row {
        float value;
        const char* text;
    } rows[] = {
        {1.5f, "1.5000"},      {-0.25f, "-0.250"},    {123.456f, "123.45"},   {0.0f, "0.0000"},
        {999999.0f, "999999"}, {-99999.0f, "-99999"}, {1234567.0f, "999999"}, {-1e30f, "-99999"},
        {3e38f, "999999"},     {inf, "999999"},       {-inf, "-99999"},       {std::nanf(""), "0.0000"},
    };
    for (const Row& r : rows) {
        unsigned char buf[16];
        std::memset(buf, '#', sizeof(buf));
        EXPECT_EQ(writeFloatToBuf(buf, r.value), 6);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 6), r.text) << r.value;
        for (size_t i = 6; i < sizeof(buf); ++i) ASSERT_EQ(buf[i], '#') << r.value;
    }
}

TEST(RvDatagram, ColourComponentsAreClampedThenScaled)
{
    struct Row {
        float c;
        unsigned char byte;
    } rows[] = {
        {0.5f, 127}, {0.0f, 0},   {1.0f, 255}, {-0.5f, 0},
        {1.5f, 255}, {-40.0f, 0}, {2.0f, 255}, {std::nanf(""), 0},
    };
    for (const Row& r : rows) {
        const float color[3] = {r.c, 0.0f, 1.0f};
        unsigned char buf[4] = {9, 9, 9, 9};
        EXPECT_EQ(writeColorToBuf(buf, color), 3);
        EXPECT_EQ(buf[0], r.byte) << r.c;
        EXPECT_EQ(buf[1], 0);
        EXPECT_EQ(buf[2], 255);
        EXPECT_EQ(buf[3], 9);
    }
}

TEST(RvDatagram, FieldWritersReportTheirBytes)
{
    unsigned char buf[8];
    EXPECT_EQ(writeCharToBuf(buf, 7), 1);
    EXPECT_EQ(buf[0], 7);
    EXPECT_EQ(writeStringToBuf(buf, &kTest), 5);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 5), std::string("test\0", 5));
    EXPECT_EQ(writeStringToBuf(buf, nullptr), 1);
    EXPECT_EQ(buf[0], 0);
}

}  // namespace
