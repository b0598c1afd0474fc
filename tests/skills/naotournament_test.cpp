// Tournament record: the log line of each ending, the start-time guard, the
// angle adjustment of endR, replacement of the file and a log that cannot
// be written.
#include "skills/naotournament.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <string>

#include "support/test_files.h"

namespace {

class TournamentLog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.ok());
        in_dir.reset(new InWorkDir(dir.path()));
        record.init(3, 10.0, -10.0, 0.0, 0.0, 1.5, -0.25);
    }
    bool exists(const std::string& name) const { return std::ifstream(name).good(); }

    ScratchWorkDir dir;
    std::unique_ptr<InWorkDir> in_dir;
    Nao_ref_Tournament record;
};

TEST_F(TournamentLog, EachEndingWritesItsLine)
{
    const struct {
        const char* name;
        bool (*end)(Nao_ref_Tournament&);
        const char* line;
    } cases[] = {
        {"timed run", [](Nao_ref_Tournament& r) { return r.endT(25.5, 2, 4.0, 0.5, 0.1); },
         "10.000 25.500 2 (-10.000 0.000 0.000) (4.000 0.500 0.100)\n"},
        {"heading below pi", [](Nao_ref_Tournament& r) { return r.endR(30.0, 1, 2.0, -1.0, 0.5); },
         "10.000 0.000 1 (-10.000 0.000 0.000) (2.000 -1.000 6.783)\n"},
        {"heading above pi", [](Nao_ref_Tournament& r) { return r.endR(30.0, 1, 2.0, -1.0, 3.5); },
         "10.000 0.000 1 (-10.000 0.000 0.000) (2.000 -1.000 3.500)\n"},
        {"kick", [](Nao_ref_Tournament& r) { return r.endK(12.0, 4, 6.25, 2.0); },
         "10.000 0.000 4 (1.500 -0.250 0.000) (6.250 2.000 0.000)\n"},
        {"at the start time", [](Nao_ref_Tournament& r) { return r.endT(10.0, 0, -10.0, 0.0, 0.0); },
         "10.000 10.000 0 (-10.000 0.000 0.000) (-10.000 0.000 0.000)\n"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(c.end(record)) << c.name;
        // A later ending of the same trial replaces the file: one line only.
        EXPECT_EQ(read_text_file("log_tournament_3.txt"), c.line) << c.name;
    }
    EXPECT_NEAR(record.end_angle, 0.0, 1e-12);
}

TEST_F(TournamentLog, EndingBeforeTheStartChangesNothing)
{
    EXPECT_FALSE(record.endT(9.999, 2, 4.0, 0.5, 0.1));
    EXPECT_FALSE(record.endR(9.999, 2, 4.0, 0.5, 0.1));
    EXPECT_FALSE(record.endK(9.999, 2, 4.0, 0.5));
    EXPECT_FALSE(exists("log_tournament_3.txt"));
    EXPECT_EQ(record.end_x, 0);
    EXPECT_EQ(record.end_angle, 0);
    EXPECT_EQ(record.kick_end_x, 0);
}

TEST_F(TournamentLog, InitSetsTheStartAndClearsTheEnd)
{
    record.endT(20.0, 1, 4.0, 0.5, 0.1);
    record.endK(20.0, 1, 3.0, 3.0);
    record.init(7, 2.0, 1.0, 2.0, 0.3, 4.0, 5.0);
    EXPECT_EQ(record.id, 7);
    EXPECT_EQ(record.start_time, 2.0);
    EXPECT_EQ(record.start_angle, 0.3);
    EXPECT_EQ(record.end_x, 0);
    EXPECT_EQ(record.kick_end_y, 0);
    EXPECT_EQ(record.kick_start_y, 5.0);
    EXPECT_EQ(record.log_name(), "log_tournament_7.txt");
}

TEST_F(TournamentLog, LogThatCannotBeCreatedIsReported)
{
    // A directory of the log's name cannot be opened for writing.
    ASSERT_EQ(mkdir("log_tournament_3.txt", 0755), 0);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(record.endT(25.5, 2, 4.0, 0.5, 0.1));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Nao_ref_Tournament fopen log_tournament_3.txt FAILED\n");
}

}  // namespace
