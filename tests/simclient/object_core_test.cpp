#include "simclient/object_core.h"

#include <gtest/gtest.h>

namespace {

TEST(ObjectCore, MakesTheParserOnlyAfterItsBundleWasImported)
{
    sexp::ObjectCore core(".FIRST_TEST");
    EXPECT_EQ(core.dir(), ".FIRST_TEST");
    EXPECT_EQ(core.New("SexpParser"), nullptr);
    EXPECT_FALSE(core.ImportBundle("rubysceneimporter"));
    EXPECT_EQ(core.New("SexpParser"), nullptr);
    EXPECT_TRUE(core.ImportBundle("sexpparser"));
    std::shared_ptr<sexp::SexpParser> p = core.New("SexpParser");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->parse("(time (now 1.5))(GS (t 0))").size(), 2u);
    // Each call is a new instance; unknown classes give none.
    EXPECT_NE(core.New("SexpParser"), p);
    EXPECT_EQ(core.New("sexpparser"), nullptr);
    EXPECT_EQ(core.New("BaseParser"), nullptr);
}

}  // namespace
