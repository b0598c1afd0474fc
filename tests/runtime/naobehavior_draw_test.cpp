// The agent's debug drawer: the set "test", one buffer swap per think call.
#include <gtest/gtest.h>

#include <string>

#include "perception/naoparse.h"
#include "rvdraw/robovizdraw.h"
#include "skills/NaoBehavior.h"
#include "support/debug_endpoint.h"

namespace {

class AgentDrawTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        NaoParse::reset_static_state();
        ASSERT_TRUE(endpoint.ok());
    }
    ScopedDebugEndpoint endpoint;
    UdpListener& listener = endpoint.listener;
};

TEST_F(AgentDrawTest, TheAgentDrawsUnderTheSetTest)
{
    NaoBehavior b(3, 0, "T");
    ASSERT_NE(b.draw, nullptr);
    ASSERT_NE(b.draw->name, nullptr);
    EXPECT_EQ(*b.draw->name, "test");
}

TEST_F(AgentDrawTest, EveryThinkAfterTheFirstSendsOneSwap)
{
    NaoBehavior b(3, 0, "T");
    b.Init();
    EXPECT_TRUE(listener.drain().empty());  // nothing at construction or Init
    b.Think("(time (now 0.02))");           // the init message: no drawing
    EXPECT_TRUE(listener.drain().empty());
    const std::string msgs[] = {"(time (now 0.04))", "(GS (unum 3) (team left) (t 0.0) (pm PlayOn))", "",
                                "(broken"};
    for (const std::string& m : msgs) {
        b.Think(m);
        std::vector<Datagram> got = listener.drain();
        ASSERT_EQ(got.size(), 1u) << m;
        EXPECT_EQ(got[0].bytes, std::string("\0\0test\0", 7)) << m;
    }
}

TEST_F(AgentDrawTest, ThinkDrawWithoutADrawerSendsNothing)
{
    NaoBehavior b(3, 0, "T");
    delete b.draw;
    b.draw = nullptr;
    b.Think_draw();
    EXPECT_TRUE(listener.drain().empty());
}

}  // namespace
