// The robot-description files the body parameters write: every number
// against the body files as the test reads them, the template's shape with
// its tail, and the failures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "kin_test_util.h"
#include "kinematics/naoparam.h"

namespace {

using kintest::ScopedChdir;
using kintest::TempDir;

std::string read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string l;
    while (std::getline(in, l)) lines.push_back(l);
    return lines;
}

// "key value" lines of a body file, in file order, read here on their own.
struct BodyFile {
    std::vector<std::string> keys;
    std::map<std::string, double> value;
};

BodyFile read_body_file(const std::string& path) {
    BodyFile b;
    for (const std::string& l : lines_of(read_text(path))) {
        if (l.empty() || l[0] == '#' || l[0] == ' ') continue;
        std::istringstream f(l);
        std::string key;
        double v;
        if (!(f >> key >> v)) continue;
        if (!b.value.count(key)) b.keys.push_back(key);
        b.value[key] = v;
    }
    return b;
}

// A written number line: "(def $Key 0.123000)" or, for a lateral offset,
// "(def $Key (eval $LRFactor * 0.123000))".
struct NumberLine {
    std::string key;
    std::string number;
    bool side_factor;
};

std::vector<NumberLine> number_lines(const std::vector<std::string>& lines) {
    // Three or six decimals: the fixed numbers of the joint block have others.
    static const std::regex plain(R"(^    \(def \$(\w+) +(-?[0-9]+\.(?:[0-9]{3}|[0-9]{6}))\)$)");
    static const std::regex sided(
        R"(^    \(def \$(\w+) \(eval \$LRFactor \* (-?[0-9]+\.(?:[0-9]{3}|[0-9]{6}))\)\)$)");
    std::vector<NumberLine> found;
    std::smatch m;
    for (const std::string& l : lines) {
        if (std::regex_match(l, m, plain)) found.push_back({m[1], m[2], false});
        if (std::regex_match(l, m, sided)) found.push_back({m[1], m[2], true});
    }
    return found;
}

std::string printed(const char* format, double v) {
    char buf[64];
    std::snprintf(buf, sizeof(buf), format, static_cast<float>(v));
    return buf;
}

// The parentheses of the whole file close the one list opened after
// "(RSG 0 1)", and every $variable is defined (a template parameter or a
// def) before it is used.
void expect_well_formed(const std::string& text, const std::string& what) {
    int depth = 0, closed_at_zero = 0;
    std::set<std::string> defined;
    std::istringstream in(text);
    std::string line;
    int n = 0;
    bool in_templ = false;
    while (std::getline(in, line)) {
        ++n;
        std::string code = line.substr(0, line.find(';'));
        for (char c : code) {
            if (c == '(') ++depth;
            if (c == ')' && --depth == 0) ++closed_at_zero;
            ASSERT_GE(depth, 0) << what << " line " << n;
        }
        static const std::regex var(R"(\$(\w+))");
        static const std::regex def(R"(^\s*\(def \$(\w+))");
        std::smatch m;
        if (code.find("(templ") != std::string::npos) in_templ = true;
        std::string defined_here;
        if (std::regex_search(code, m, def)) defined_here = m[1];
        for (std::sregex_iterator it(code.begin(), code.end(), var), end; it != end; ++it) {
            const std::string name = (*it)[1];
            if (in_templ || name == defined_here) {
                defined.insert(name);
                continue;
            }
            EXPECT_TRUE(defined.count(name)) << what << " line " << n << " uses $" << name;
        }
        if (in_templ && code.find(')') != std::string::npos && code.find("(templ") == std::string::npos)
            in_templ = false;
    }
    EXPECT_EQ(depth, 0) << what;
    // (RSG 0 1) and the template's list.
    EXPECT_EQ(closed_at_zero, 2) << what;
}

// The limbs as the program reads them from the shipped body files.
class DescriptionFiles : public ::testing::Test {
protected:
    void SetUp() override {
        NaoBase::reset();
        NaoBase().init("rsg_inputs/naobase_input.txt");
        ASSERT_EQ(left_leg.init("rsg_inputs/naoleg_input_left.txt"), 1);
        ASSERT_EQ(right_leg.init("rsg_inputs/naoleg_input_right.txt"), 1);
        ASSERT_EQ(left_arm.init("rsg_inputs/naoarm_input_left.txt"), 1);
        ASSERT_EQ(right_arm.init("rsg_inputs/naoarm_input_right.txt"), 1);
        ASSERT_EQ(neck.init("rsg_inputs/naoneck_input.txt"), 1);
    }
    void TearDown() override { NaoBase::reset(); }
    std::string written(const char* file) const { return read_text(out.path + file); }

    NaoLeg left_leg, right_leg;
    NaoArm left_arm, right_arm;
    NaoNeck neck;
    TempDir out;
};

// Numbers with three decimals in the arm file; all others have six.
const std::set<std::string> kThreeDecimals = {
    "ShoulderRelTorso_X", "ShoulderRelTorso_Y", "ShoulderRelTorso_Z", "UpperarmRelShoulderY",
    "UpperarmRelShoulderZ", "ElbowRelUpperArm_X", "ElbowRelUpperArm_Y", "ElbowRelUpperArm_Z",
    "LowerarmRelElbow_X", "LowerarmRelElbow_Y", "LowerarmRelElbow_Z"};
// The lateral offsets that $LRFactor signs.
const std::set<std::string> kSided = {"Hip1RelTorso_X", "ShoulderRelTorso_X", "UpperarmRelShoulderX",
                                      "ElbowRelUpperArm_X"};

// Every number of the file is the body file's value of its key, printed
// with its precision; lateral offsets as the right side's (positive for
// a limb's outward offsets), the elbow's inward one as negative. The keys
// come in the body file's order, each once.
void expect_numbers(const std::string& text, const BodyFile& body, const std::string& what) {
    std::vector<NumberLine> found = number_lines(lines_of(text));
    std::vector<std::string> keys;
    for (const NumberLine& l : found) {
        keys.push_back(l.key);
        ASSERT_TRUE(body.value.count(l.key)) << what << ": $" << l.key << " is no body key";
        double v = body.value.at(l.key);
        EXPECT_EQ(l.side_factor, kSided.count(l.key) == 1) << what << " " << l.key;
        if (l.side_factor) v = l.key == "ElbowRelUpperArm_X" ? -std::fabs(v) : std::fabs(v);
        const char* format = kThreeDecimals.count(l.key) ? "%.3f" : "%f";
        EXPECT_EQ(l.number, printed(format, v)) << what << " " << l.key;
        // And the text reads back as the file's number.
        EXPECT_NEAR(std::strtod(l.number.c_str(), nullptr), v, kThreeDecimals.count(l.key) ? 5e-4 : 5e-7)
            << what << " " << l.key;
    }
    EXPECT_EQ(keys, body.keys) << what;
}

TEST_F(DescriptionFiles, LegFileCarriesEveryLegNumberThenTheTail) {
    const std::string tail = read_text("data-rsg/naoleg_end_model.rsg");
    ASSERT_FALSE(tail.empty());
    for (NaoLeg* leg : {&left_leg, &right_leg}) {
        const bool left = leg == &left_leg;
        leg->write_file(out.path.c_str());
        const std::string text = written("naoleg.rsg");
        const std::string what = left ? "left leg" : "right leg";
        expect_numbers(text, read_body_file(left ? "rsg_inputs/naoleg_input_left.txt"
                                                  : "rsg_inputs/naoleg_input_right.txt"),
                       what);
        ASSERT_GT(text.size(), tail.size());
        EXPECT_EQ(text.substr(text.size() - tail.size()), tail) << what;
        EXPECT_EQ(text.rfind("; -*- mode: lisp; -*-\n\n(RSG 0 1)\n(\n    ;\n    ;Template\n", 0), 0u);
        expect_well_formed(text, what);
    }
}

TEST_F(DescriptionFiles, BothLegsWriteTheSameFile) {
    // The side comes from $LRFactor: the right leg's negative offset is
    // written as the left leg's positive one.
    ASSERT_LT(left_leg.Hip1RelTorso_X, 0);
    ASSERT_GT(right_leg.Hip1RelTorso_X, 0);
    left_leg.write_file(out.path.c_str());
    const std::string left = written("naoleg.rsg");
    right_leg.write_file(out.path.c_str());
    EXPECT_EQ(written("naoleg.rsg"), left);
    EXPECT_NE(left.find("    (def $Hip1RelTorso_X (eval $LRFactor * 0.055000))\n"), std::string::npos);
}

TEST_F(DescriptionFiles, ArmFileCarriesEveryArmNumberThenTheTail) {
    const std::string tail = read_text("data-rsg/naoarm_end_model.rsg");
    ASSERT_FALSE(tail.empty());
    for (NaoArm* arm : {&left_arm, &right_arm}) {
        const bool left = arm == &left_arm;
        arm->write_file(out.path.c_str());
        const std::string text = written("naoarm.rsg");
        const std::string what = left ? "left arm" : "right arm";
        expect_numbers(text, read_body_file(left ? "rsg_inputs/naoarm_input_left.txt"
                                                  : "rsg_inputs/naoarm_input_right.txt"),
                       what);
        EXPECT_EQ(text.substr(text.size() - tail.size()), tail) << what;
        // The elbow's offset inwards, whatever the file's sign.
        EXPECT_NE(text.find("    (def $ElbowRelUpperArm_X (eval $LRFactor * -0.010))\n"), std::string::npos)
            << what;
        // The group after $aj4_min ends with a bare line break.
        std::vector<std::string> lines = lines_of(text);
        size_t i = 0;
        while (i < lines.size() && lines[i].find("(def $aj4_min ") == std::string::npos) ++i;
        ASSERT_LT(i + 1, lines.size());
        EXPECT_EQ(lines[i + 1], "") << what;
        EXPECT_EQ(lines[i - 1], "    (def $aj4_min_c2        (eval (eval $right_aj4_min - $left_aj4_min) * 0.5))");
        expect_well_formed(text, what);
    }
}

TEST_F(DescriptionFiles, NeckFileCarriesNeckAndHeadThenTheTail) {
    const std::string tail = read_text("data-rsg/naoneck_end_model.rsg");
    ASSERT_FALSE(tail.empty());
    neck.write_file(out.path.c_str());
    const std::string text = written("naoneckhead.rsg");
    expect_numbers(text, read_body_file("rsg_inputs/naoneck_input.txt"), "neck");
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    EXPECT_EQ(text.rfind("; -*- mode: lisp; -*-\n\n(RSG 0 1)\n(\n    (templ  $Torso_X $Torso_Y $Torso_Z $loadObj\n", 0), 0u);
    expect_well_formed(text, "neck");
}

// The description of a heterogeneous type carries the dimensions of the
// type's walk parameter file.
TEST_F(DescriptionFiles, TypeDimensionsComeFromTheWalkFile) {
    NaoParam p;
    p.init("./", 3, 0);
    const BodyFile walk = read_body_file("walk_inputs/NAO-DE2014-3.txt");
    p.right_leg.write_file(out.path.c_str());
    p.left_arm.write_file(out.path.c_str());
    std::map<std::string, std::string> got;
    for (const char* f : {"naoleg.rsg", "naoarm.rsg"})
        for (const NumberLine& l : number_lines(lines_of(written(f)))) got[l.key] = l.number;
    EXPECT_EQ(got["ThighRelHip2_Z"], printed("%f", walk.value.at("ThighRelHip2_Z")));
    EXPECT_EQ(got["AnkleRelShank_Z"], printed("%f", walk.value.at("AnkleRelShank_Z")));
    EXPECT_EQ(got["Hip1RelTorso_X"], printed("%f", std::fabs(walk.value.at("Hip1RelTorso_X"))));
    EXPECT_EQ(got["ElbowRelUpperArm_Y"], printed("%.3f", walk.value.at("ElbowRelUpperArm_Y")));
}

TEST_F(DescriptionFiles, UnwritableFileIsReportedAndNothingWritten) {
    const std::string missing = out.path + "no/such/folder/";
    struct Row {
        const char* file;
        const char* message;
    } rows[] = {
        {"naoleg.rsg", "NaoLeg wirte_file FAILED\n"},
        {"naoarm.rsg", "NaoArm write_file FAILED\n"},
        {"naoneckhead.rsg", "NaoNeck write_file FAILED\n"},
    };
    for (const Row& r : rows) {
        ::testing::internal::CaptureStderr();
        const std::string f = r.file;
        if (f == "naoleg.rsg") left_leg.write_file(missing.c_str());
        if (f == "naoarm.rsg") left_arm.write_file(missing.c_str());
        if (f == "naoneckhead.rsg") neck.write_file(missing.c_str());
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), r.message);
        EXPECT_FALSE(std::filesystem::exists(missing + r.file));
    }
}

TEST_F(DescriptionFiles, WithoutTheTailTheFileHoldsTheGeneratedBlocks) {
    // The complete files first, from the source root.
    left_leg.write_file(out.path.c_str());
    left_arm.write_file(out.path.c_str());
    neck.write_file(out.path.c_str());
    struct Row {
        const char* file;
        const char* tail;
        const char* message;
        std::string full;
    } rows[] = {
        {"naoleg.rsg", "data-rsg/naoleg_end_model.rsg",
         "NaoLeg::write_end fopen data-rsg/naoleg_end_model.rsg FAILED\n", written("naoleg.rsg")},
        {"naoarm.rsg", "data-rsg/naoarm_end_model.rsg",
         "NaoArm::write_end fopen data-rsg/naoarm_end_model.rsg FAILED\n", written("naoarm.rsg")},
        {"naoneckhead.rsg", "data-rsg/naoneck_end_model.rsg",
         "NaoNeck::write_end fopen data-rsg/naoneck_end_model.rsg FAILED\n",
         written("naoneckhead.rsg")},
    };
    TempDir elsewhere;  // a working directory without data-rsg/
    TempDir partial;
    ScopedChdir in(elsewhere.path);
    for (const Row& r : rows) {
        const std::string f = r.file;
        ::testing::internal::CaptureStderr();
        if (f == "naoleg.rsg") left_leg.write_file(partial.path.c_str());
        if (f == "naoarm.rsg") left_arm.write_file(partial.path.c_str());
        if (f == "naoneckhead.rsg") neck.write_file(partial.path.c_str());
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), r.message);
        const std::string tail = read_text(std::string(BREVANE_SOURCE_DIR "/") + r.tail);
        ASSERT_FALSE(tail.empty());
        EXPECT_EQ(read_text(partial.path + r.file), r.full.substr(0, r.full.size() - tail.size()))
            << r.file;
    }
}

}  // namespace
