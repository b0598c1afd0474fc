#include "simclient/sexp_parser.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>

namespace {

using sexp::Node;
using sexp::PredicateList;
using sexp::SexpParser;
using sexp::ValueCursor;

std::string first_line(const std::string& path)
{
    std::ifstream in(path.c_str());
    std::string line;
    std::getline(in, line);
    return line;
}

TEST(SexpParser, SplitsAMessageIntoNamedPredicates)
{
    SexpParser p;
    PredicateList l = p.parse("(time (now 0.22))(GS (t 0.00) (pm BeforeKickOff))(HJ (n hj1) (ax -0.5))");
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[0].name(), "time");
    EXPECT_EQ(l[1].name(), "GS");
    EXPECT_EQ(l[2].name(), "HJ");

    std::string pm;
    EXPECT_TRUE(sexp::get_value(l[1], "pm", pm));
    EXPECT_EQ(pm, "BeforeKickOff");
    float ax = 0;
    EXPECT_TRUE(sexp::get_value(l[2], "ax", ax));
    EXPECT_FLOAT_EQ(ax, -0.5f);
    EXPECT_EQ(l[2].find("missing"), nullptr);
}

TEST(SexpParser, CursorReadsValuesInOrderAndStopsOnAMismatch)
{
    SexpParser p;
    PredicateList l = p.parse("(a (pol 1.5 -2 word) (x))");
    ASSERT_EQ(l.size(), 1u);
    ValueCursor c(l[0].find("pol"));
    double d = 0;
    int i = 0;
    std::string w;
    EXPECT_TRUE(c.next(d));
    EXPECT_DOUBLE_EQ(d, 1.5);
    EXPECT_TRUE(c.next(i));
    EXPECT_EQ(i, -2);
    EXPECT_FALSE(c.next(d));  // "word" is no number, the cursor stays
    EXPECT_TRUE(c.next(w));
    EXPECT_EQ(w, "word");
    EXPECT_TRUE(c.at_end());
    EXPECT_FALSE(c.next(w));

    ValueCursor top(&l[0]);
    const Node* pol = top.next_list();
    ASSERT_NE(pol, nullptr);
    EXPECT_EQ(pol->name(), "pol");
    EXPECT_FALSE(top.next(w));  // next element is a list, not an atom
}

TEST(SexpParser, NullCursorReadsNothing)
{
    ValueCursor c(nullptr);
    double d;
    EXPECT_TRUE(c.at_end());
    EXPECT_FALSE(c.next(d));
    EXPECT_EQ(c.next_list(), nullptr);
}

struct NumberCase {
    const char* text;
    bool as_int;
    bool as_float;
    bool as_double;
};

void PrintTo(const NumberCase& c, std::ostream* os) { *os << "text=" << c.text; }

class SexpNumbers : public ::testing::TestWithParam<NumberCase> {};

TEST_P(SexpNumbers, AcceptsOnlyWholeFiniteNumbersInRange)
{
    const NumberCase& c = GetParam();
    Node n;
    n.atom = c.text;
    int i;
    float f;
    double d;
    EXPECT_EQ(sexp::to_value(n, i), c.as_int) << c.text;
    EXPECT_EQ(sexp::to_value(n, f), c.as_float) << c.text;
    EXPECT_EQ(sexp::to_value(n, d), c.as_double) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, SexpNumbers,
    ::testing::Values(NumberCase{"12", true, true, true}, NumberCase{"-0.00", false, true, true},
                      NumberCase{"1e3", false, true, true}, NumberCase{"nan", false, false, false},
                      NumberCase{"NaN", false, false, false}, NumberCase{"inf", false, false, false},
                      NumberCase{"-infinity", false, false, false}, NumberCase{"1e999", false, false, false},
                      NumberCase{"1e300", false, false, true},
                      NumberCase{"99999999999999999999", false, true, true},
                      NumberCase{"12abc", false, false, false}, NumberCase{"", false, false, false},
                      NumberCase{"0x10", false, true, true}));

TEST(SexpParser, ListsAreNotValues)
{
    SexpParser p;
    PredicateList l = p.parse("(a (b 1))");
    ASSERT_EQ(l.size(), 1u);
    double d;
    std::string s;
    EXPECT_FALSE(sexp::to_value(l[0].items[1], d));
    EXPECT_FALSE(sexp::to_value(l[0].items[1], s));
}

struct BrokenCase {
    const char* name;
    const char* text;
    std::vector<std::string> expected;  // names of the predicates kept
};

void PrintTo(const BrokenCase& c, std::ostream* os) { *os << c.name; }

class SexpBroken : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(SexpBroken, KeepsTheCompletePredicatesOnly)
{
    const BrokenCase& c = GetParam();
    SexpParser p;
    PredicateList l = p.parse(c.text);
    std::vector<std::string> names;
    for (const Node& n : l) names.push_back(n.name());
    EXPECT_EQ(names, c.expected) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Table, SexpBroken,
                         ::testing::Values(BrokenCase{"empty", "", {}},
                                           BrokenCase{"only_spaces", "  \n\t ", {}},
                                           BrokenCase{"truncated_last", "(A (x 1))(B (y 2", {"A"}},
                                           BrokenCase{"truncated_inner", "(A (x 1))(B (y 2)(C", {"A"}},
                                           BrokenCase{"stray_close", ")))(A (x 1)))(B)", {"A", "B"}},
                                           BrokenCase{"empty_lists", "()(A ())", {"", "A"}},
                                           BrokenCase{"junk_between", "junk (A) more junk (B)", {"A", "B"}},
                                           BrokenCase{"only_open", "((((((((", {}}),
                         [](const ::testing::TestParamInfo<BrokenCase>& i) {
                             return std::string(i.param.name);
                         });

TEST(SexpParser, EmptyListHasNoNameAndNoValues)
{
    SexpParser p;
    PredicateList l = p.parse("()");
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(l[0].name(), "");
    EXPECT_EQ(l[0].find(""), nullptr);
    ValueCursor c(&l[0]);
    EXPECT_TRUE(c.at_end());
}

TEST(SexpParser, DropsAPredicateNestedTooDeepAndKeepsTheRest)
{
    std::string deep = "(A 1)";
    for (size_t i = 0; i < SexpParser::kMaxDepth + 5; ++i) deep += "(";
    for (size_t i = 0; i < SexpParser::kMaxDepth + 5; ++i) deep += ")";
    deep += "(B 2)";
    SexpParser p;
    PredicateList l = p.parse(deep);
    ASSERT_EQ(l.size(), 2u);
    EXPECT_EQ(l[0].name(), "A");
    EXPECT_EQ(l[1].name(), "B");
}

TEST(SexpParser, SurvivesDeepNestingOfAWholeBuffer)
{
    SexpParser p;
    EXPECT_TRUE(p.parse(std::string(32768, '(')).empty());
    std::string balanced = std::string(16000, '(') + std::string(16000, ')');
    EXPECT_TRUE(p.parse(balanced).empty());
}

TEST(SexpParser, SurvivesRandomJunk)
{
    std::mt19937 rng(12345);
    const std::string alphabet = "()()  ab1.-e9nanif\n\t\x01\xff";
    SexpParser p;
    for (int round = 0; round < 20; ++round) {
        std::string junk(32768, ' ');
        for (char& ch : junk) ch = alphabet[rng() % alphabet.size()];
        PredicateList l = p.parse(junk);
        for (const Node& n : l) EXPECT_TRUE(n.is_list);
    }
}

TEST(SexpParser, TreatsAnEmbeddedNulAsASeparator)
{
    SexpParser p;
    std::string text("(A 1)\0(B 2)", 11);
    PredicateList l = p.parse(text);
    ASSERT_EQ(l.size(), 2u);
    EXPECT_EQ(l[1].name(), "B");
}

TEST(SexpParser, ReadsARealServerMessage)
{
    std::string msg = first_line(BREVANE_SOURCE_DIR "/tests/data/server_before_kickoff.txt");
    ASSERT_FALSE(msg.empty());
    SexpParser p;
    PredicateList l = p.parse(msg);
    int hj = 0;
    const Node* see = nullptr;
    for (const Node& n : l) {
        if (n.name() == "HJ") ++hj;
        if (n.name() == "See") see = &n;
    }
    EXPECT_EQ(hj, 22);
    ASSERT_NE(see, nullptr);
    const Node* ball = see->find("B");
    ASSERT_NE(ball, nullptr);
    ValueCursor c(ball->find("pol"));
    double d, a, e;
    ASSERT_TRUE(c.next(d) && c.next(a) && c.next(e));
    EXPECT_DOUBLE_EQ(d, 1.89);
    EXPECT_DOUBLE_EQ(a, 0.02);
    EXPECT_DOUBLE_EQ(e, -57.96);
}

}  // namespace
