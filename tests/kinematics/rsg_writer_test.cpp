// The robot-description files the body parameters write: every number
// against the body files as the test reads them, the template's shape with
// its tail, and the failures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
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

std::string read_text(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> lines_of(const std::string& text)
{
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

BodyFile read_body_file(const std::string& path)
{
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

std::vector<NumberLine> number_lines(const std::vector<std::string>& lines)
{
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

std::string printed(const char* format, double v)
{
    char buf[64];
    std::snprintf(buf, sizeof(buf), format, static_cast<float>(v));
    return buf;
}

// The parentheses of the whole file close the one list opened after
// "(RSG 0 1)", and every $variable is defined (a template parameter or a
// def) before it is used.
void expect_well_formed(const std::string& text, const std::string& what)
{
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

// The limbs as the program reads them from the shipped body files, and
// each description file they write.
class DescriptionFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        NaoBase::reset();
        NaoBase().init("rsg_inputs/naobase_input.txt");
        ASSERT_EQ(left_leg.init("rsg_inputs/naoleg_input_left.txt"), 1);
        ASSERT_EQ(right_leg.init("rsg_inputs/naoleg_input_right.txt"), 1);
        ASSERT_EQ(left_arm.init("rsg_inputs/naoarm_input_left.txt"), 1);
        ASSERT_EQ(right_arm.init("rsg_inputs/naoarm_input_right.txt"), 1);
        ASSERT_EQ(neck.init("rsg_inputs/naoneck_input.txt"), 1);
    }
    void TearDown() override { NaoBase::reset(); }
    std::string written(const std::string& file) const { return read_text(out.path + file); }

    struct Description {
        std::string what;
        std::function<void(const char*)> write;  // into a folder
        std::string body_file, output, tail;
        std::string header;  // how the file begins
        std::string open_failure, tail_failure;
    };
    std::vector<Description> descriptions()
    {
        const std::string limb_header = "; -*- mode: lisp; -*-\n\n(RSG 0 1)\n(\n    ;\n    ;Template\n";
        const std::string leg_failures[] = {"NaoLeg wirte_file FAILED\n",
                                            "NaoLeg::write_end fopen data-rsg/naoleg_end_model.rsg FAILED\n"};
        const std::string arm_failures[] = {"NaoArm write_file FAILED\n",
                                            "NaoArm::write_end fopen data-rsg/naoarm_end_model.rsg FAILED\n"};
        return {
            {"left leg", [this](const char* d) { left_leg.write_file(d); },
             "rsg_inputs/naoleg_input_left.txt", "naoleg.rsg", "data-rsg/naoleg_end_model.rsg", limb_header,
             leg_failures[0], leg_failures[1]},
            {"right leg", [this](const char* d) { right_leg.write_file(d); },
             "rsg_inputs/naoleg_input_right.txt", "naoleg.rsg", "data-rsg/naoleg_end_model.rsg", limb_header,
             leg_failures[0], leg_failures[1]},
            {"left arm", [this](const char* d) { left_arm.write_file(d); },
             "rsg_inputs/naoarm_input_left.txt", "naoarm.rsg", "data-rsg/naoarm_end_model.rsg", limb_header,
             arm_failures[0], arm_failures[1]},
            {"right arm", [this](const char* d) { right_arm.write_file(d); },
             "rsg_inputs/naoarm_input_right.txt", "naoarm.rsg", "data-rsg/naoarm_end_model.rsg", limb_header,
             arm_failures[0], arm_failures[1]},
            {"neck", [this](const char* d) { neck.write_file(d); }, "rsg_inputs/naoneck_input.txt",
             "naoneckhead.rsg", "data-rsg/naoneck_end_model.rsg",
             "; -*- mode: lisp; -*-\n\n(RSG 0 1)\n(\n    (templ  $Torso_X $Torso_Y $Torso_Z $loadObj\n",
             "NaoNeck write_file FAILED\n",
             "NaoNeck::write_end fopen data-rsg/naoneck_end_model.rsg FAILED\n"},
        };
    }

    NaoLeg left_leg, right_leg;
    NaoArm left_arm, right_arm;
    NaoNeck neck;
    TempDir out;
};

// Numbers with three decimals in the arm file; all others have six.
const std::set<std::string> kThreeDecimals = {
    "ShoulderRelTorso_X",   "ShoulderRelTorso_Y", "ShoulderRelTorso_Z", "UpperarmRelShoulderY",
    "UpperarmRelShoulderZ", "ElbowRelUpperArm_X", "ElbowRelUpperArm_Y", "ElbowRelUpperArm_Z",
    "LowerarmRelElbow_X",   "LowerarmRelElbow_Y", "LowerarmRelElbow_Z"};
// The lateral offsets that $LRFactor signs.
const std::set<std::string> kSided = {"Hip1RelTorso_X", "ShoulderRelTorso_X", "UpperarmRelShoulderX",
                                      "ElbowRelUpperArm_X"};

// Every number of the file is the body file's value of its key, printed
// with its precision; lateral offsets as the right side's (positive for
// a limb's outward offsets), the elbow's inward one as negative. The keys
// come in the body file's order, each once.
void expect_numbers(const std::string& text, const BodyFile& body, const std::string& what)
{
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

TEST_F(DescriptionFiles, EveryNumberOfTheBodyFileThenTheTail)
{
    for (const Description& d : descriptions()) {
        d.write(out.path.c_str());
        const std::string text = written(d.output);
        expect_numbers(text, read_body_file(d.body_file), d.what);
        const std::string tail = read_text(d.tail);
        ASSERT_FALSE(tail.empty()) << d.tail;
        ASSERT_GT(text.size(), tail.size()) << d.what;
        EXPECT_EQ(text.substr(text.size() - tail.size()), tail) << d.what;
        EXPECT_EQ(text.rfind(d.header, 0), 0u) << d.what;
        expect_well_formed(text, d.what);
    }
}

TEST_F(DescriptionFiles, BothLegsWriteTheSameFile)
{
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

TEST_F(DescriptionFiles, ArmOffsetsAndTheJointBlocksBareLine)
{
    for (NaoArm* arm : {&left_arm, &right_arm}) {
        arm->write_file(out.path.c_str());
        const std::string text = written("naoarm.rsg");
        // The elbow's offset inwards, whatever the file's sign; the upper
        // arm's with six decimals.
        EXPECT_NE(text.find("    (def $ElbowRelUpperArm_X (eval $LRFactor * -0.010))\n"), std::string::npos);
        EXPECT_NE(text.find("    (def $UpperarmRelShoulderX (eval $LRFactor * 0.010000))\n"),
                  std::string::npos);
        // The group after $aj4_min ends with a bare line break.
        std::vector<std::string> lines = lines_of(text);
        size_t i = 0;
        while (i < lines.size() && lines[i].find("(def $aj4_min ") == std::string::npos) ++i;
        ASSERT_LT(i + 1, lines.size());
        EXPECT_EQ(lines[i + 1], "");
        EXPECT_EQ(lines[i - 1],
                  "    (def $aj4_min_c2        (eval (eval $right_aj4_min - $left_aj4_min) * 0.5))");
    }
}

// The description of a heterogeneous type carries the dimensions of the
// type's walk parameter file.
TEST_F(DescriptionFiles, TypeDimensionsComeFromTheWalkFile)
{
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

TEST_F(DescriptionFiles, UnwritableFileIsReportedAndNothingWritten)
{
    const std::string missing = out.path + "no/such/folder/";
    for (const Description& d : descriptions()) {
        ::testing::internal::CaptureStderr();
        d.write(missing.c_str());
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), d.open_failure) << d.what;
        EXPECT_FALSE(std::filesystem::exists(missing + d.output)) << d.what;
    }
}

TEST_F(DescriptionFiles, WithoutTheTailTheFileHoldsTheGeneratedBlocks)
{
    for (const Description& d : descriptions()) {
        // The complete file first, from the source root.
        d.write(out.path.c_str());
        const std::string full = written(d.output);
        const std::string tail = read_text(d.tail);
        ASSERT_FALSE(tail.empty());
        TempDir elsewhere;  // a working directory without data-rsg/
        ScopedChdir in(elsewhere.path);
        ::testing::internal::CaptureStderr();
        d.write(elsewhere.path.c_str());
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), d.tail_failure) << d.what;
        EXPECT_EQ(read_text(elsewhere.path + d.output), full.substr(0, full.size() - tail.size())) << d.what;
    }
}

// The torso's description: the top-level file of the heterogeneous Nao.
TEST_F(DescriptionFiles, TorsoFileThenItsTail)
{
    NaoBase::write_base_file(out.path.c_str());
    const std::string text = written("nao_hetero.rsg");
    const BodyFile body = read_body_file("rsg_inputs/naobase_input.txt");
    // The body file's Torso_X/Y/Z are written as the initial position.
    const std::string head =
        "; -*- mode: lisp; -*-\n\n;\n; nao robot description file.\n;\n\n(RSG 0 1)\n(\n\n(templ $type)\n    "
        "\n"
        ";\n; The torso parameters\n;\n\n"
        "(def $TorsoLength  " +
        printed("%f", body.value.at("TorsoLength")) +
        ")\n"
        "(def $TorsoWidth   " +
        printed("%f", body.value.at("TorsoWidth")) +
        ")\n"
        "(def $TorsoHeight  " +
        printed("%f", body.value.at("TorsoHeight")) +
        ")\n"
        "(def $TorsoMass    " +
        printed("%f", body.value.at("TorsoMass")) +
        ")\n\n"
        "(def $TorsoInitX  " +
        printed("%f", body.value.at("Torso_X")) +
        ")\n"
        "(def $TorsoInitY  " +
        printed("%f", body.value.at("Torso_Y")) +
        ")\n"
        "(def $TorsoInitZ  " +
        printed("%f", body.value.at("Torso_Z")) +
        ")\n\n"
        "(def $loadObj (eval Nao.UseTexture))\n\n";
    EXPECT_EQ(text, head + read_text("data-rsg/naobase_end_model.rsg"));
    expect_well_formed(text, "torso");

    TempDir elsewhere;  // a working directory without data-rsg/
    ScopedChdir in(elsewhere.path);
    ::testing::internal::CaptureStderr();
    NaoBase::write_base_file(elsewhere.path.c_str());
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "NaoBase::write (end_filename) fopen data-rsg/naobase_end_model.rsg FAILED\n");
    EXPECT_EQ(read_text(elsewhere.path + "nao_hetero.rsg"), head);
}

TEST_F(DescriptionFiles, WholeRobotWritesItsFourFilesEachFailureOnItsOwn)
{
    NaoParam p;
    ::testing::internal::CaptureStderr();
    p.init("./", 0, 0);
    ::testing::internal::GetCapturedStderr();
    p.write_rsg_files(out.path.c_str());
    std::set<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(out.path))
        files.insert(e.path().filename().string());
    EXPECT_EQ(files,
              (std::set<std::string>{"nao_hetero.rsg", "naoleg.rsg", "naoarm.rsg", "naoneckhead.rsg"}));
    // Only the left limbs: their files serve both sides.
    const std::string leg = written("naoleg.rsg");
    left_leg.write_file(out.path.c_str());
    EXPECT_EQ(written("naoleg.rsg"), leg);

    const std::string missing = out.path + "no/such/folder/";
    ::testing::internal::CaptureStderr();
    p.write_rsg_files(missing.c_str());
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "NaoBase::write fopen " + missing +
                                                            "nao_hetero.rsg FAILED\n"
                                                            "NaoLeg wirte_file FAILED\n"
                                                            "NaoArm write_file FAILED\n"
                                                            "NaoNeck write_file FAILED\n");
    EXPECT_FALSE(std::filesystem::exists(missing));
}

}  // namespace
