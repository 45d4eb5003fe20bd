#include <gtest/gtest.h>

#include "ConvertCore.h"
#include "ProgressParser.h"

namespace {

struct ClockCase {
    const char* text;
    int32_t seconds;
};

TEST(ParseClock, ReadsThreeFieldsRoundingHalfUp) {
    const ClockCase cases[] = {
        {"00:01:23.45", 83},
        {" 00:01:23.45", 83},
        {"01:02:03.50", 3724},
        {"00:00:00.49", 0},
        {"00:00:00.50", 1},
        {"00:00:02.50", 3},
        {"1:2:3:", 3723}, // a trailing colon adds no field
        {"1::3", 3603},   // an empty field counts 0
        {"5.5", 0},
        {"1:2", 0},
        {"1:2:3:4", 0},
        {"N/A", 0},
        {"", 0},
        {"00:00:05.12\rframe=", 5}, // the field converts up to the carriage return
        {"10:00:00.00", 36000},
        {"00:00:1e1", 10},            // an exponent is part of a number
        {"+00:+01:+02", 62},
        {"inf:nan:1", 1},             // not numbers: each such field counts 0
        {"9999999999999999:0:0", 0}, // beyond 64 bits: not a clock
    };
    for (const ClockCase& c : cases)
        EXPECT_EQ(parseClock(c.text), c.seconds) << '"' << c.text << '"';
}

TEST(ParseClock, NegativeFieldGivesNegativeCount) {
    EXPECT_EQ(parseClock("-1:00:00"), -3600 + 1); // -3600 + 0.5 truncates toward zero
}

TEST(ProbeLog, TakesTheClockBetweenTheFirstDurationAndItsComma) {
    struct {
        const char* log;
        int32_t seconds;
    } cases[] = {
        {"Input #0, matroska,webm, from 'a.mkv':\r\n  Duration: 00:01:23.45, start: 0.000000, "
         "bitrate: 2500 kb/s\r\n",
         83},
        {"  Duration: N/A, start: 0.000000\r\n", 0},
        {"  Duration: 00:00:10.00, start: 0\r\n  Duration: 00:00:20.00, start: 0\r\n", 10},
        {"    DURATION        : 00:00:07.000000000\r\n", 0}, // a tag of the source, not the length
        {"  Duration: 00:00:10.00 and no comma after it\r\n", 0},
        {"", 0},
        {"  Duration: 01:00:01.00, start: 0\r\n", 3601},
    };
    for (const auto& c : cases)
        EXPECT_EQ(durationFromProbeLog(c.log), c.seconds) << c.log;
}

// handleOutputChunk on an engine whose current job lasts `duration` seconds.
class OutputChunks : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(engine.addJob(L"C:\\v\\a.mkv"));
        engine.currentIndex = 0;
        engine.jobs[0]->durationSeconds = 120;
        engine.jobs[0]->progress = 33;
    }
    int32_t progressAfter(std::initializer_list<const char*> chunks) {
        for (const char* chunk : chunks)
            engine.handleOutputChunk(chunk);
        return engine.jobs[0]->progress;
    }
    ConvertCore engine;
};

TEST_F(OutputChunks, StatusLinesSetTheProgressFromTheFirstTime) {
    struct {
        std::initializer_list<const char*> chunks;
        int32_t progress;
    } cases[] = {
        {{"frame=   51 fps=0.0 q=2.0 size=     256kB time=00:00:02.04 bitrate=1028.0kbits/s \r"}, 1},
        {{"size= 1kB time=00:01:00.50 bitrate=1\r"}, 50},
        {{"size= 1kB time=00:03:00.00 bitrate=1\r"}, 100},
        {{"frame=  10 size= 1kB tim", "e=00:01:00.00 bitrate=1\r"}, 50}, // split over two reads
        {{"time=00:00:10.00 a\rtime=00:00:20.00 b\r"}, 8},
        {{"size= 1kB time=00:01:00.00 bitrate=1\n"}, 50},
        {{"time=N/A bitrate=N/A\r"}, 33},
        {{"size= 1kB time=00:00:05.00\r"}, 33}, // no blank after the clock
        {{"Stream #0:0: Video: h264\r\n"}, 33},
        {{"time=00:00:00.40 x\r"}, 33},
        {{"time=-01:00:00.00 x\r"}, 33}, // a negative position leaves it as it was
    };
    for (const auto& c : cases) {
        engine.jobs[0]->progress = 33;
        EXPECT_EQ(progressAfter(c.chunks), c.progress) << *c.chunks.begin();
        // Whatever was gathered, a line-ended text leaves nothing behind:
        // a fresh complete line is read on its own.
        EXPECT_EQ(progressAfter({"time=00:00:12.00 x\r"}), 10);
    }
}

TEST_F(OutputChunks, AnUnendedLineWaitsForItsEnd) {
    EXPECT_EQ(progressAfter({"frame= 1 time=00:01:00.00 bitrate"}), 33);
    EXPECT_EQ(progressAfter({"=1.0\r"}), 50);
}

TEST_F(OutputChunks, WithoutADurationChunksAreDiscardedAndTheBufferKept) {
    engine.handleOutputChunk("frame= 1 time=00:01:");
    engine.jobs[0]->durationSeconds = 0;
    EXPECT_EQ(progressAfter({"time=00:01:00.00 x\r"}), 33);
    engine.jobs[0]->durationSeconds = 120;
    // The text kept from before the zero-duration chunk is completed now.
    EXPECT_EQ(progressAfter({"30.00 x\r"}), 75);
}

TEST(StatusTime, ALineThatNeverEndsStaysBounded) {
    std::string pending;
    std::string flood(4096, 'x');
    int32_t seconds = 0;
    for (int i = 0; i < 1000; ++i) {
        EXPECT_FALSE(takeStatusTime(pending, flood.data(), flood.size(), seconds));
        ASSERT_LE(pending.size(), maxPendingOutput);
    }
    EXPECT_TRUE(takeStatusTime(pending, " time=00:00:03.00 \r", 19, seconds));
    EXPECT_EQ(seconds, 3);
    EXPECT_TRUE(pending.empty());
}

TEST(FailureReport, IsFoundWholeOrSplitAndTheTailStaysSmall) {
    struct Case {
        std::vector<std::string> chunks;
        bool found;
    } cases[] = {
        {{"video:809kB audio:227kB\r\nConversion failed!\r\n"}, true},
        {{"Error writing trailer\r\nConversion fai", "led!\r\n"}, true},
        {{"C", "o", "nversion failed", "!"}, true},
        {{"Conversion failed"}, false},
        {{"frame=  289 time=00:00:11.60\r", "video:809kB audio:227kB\r\n"}, false},
    };
    for (const Case& c : cases) {
        std::string tail;
        bool found = false;
        for (const std::string& chunk : c.chunks) {
            found = findInStream(tail, chunk.data(), chunk.size(), toolFailureReport) || found;
            EXPECT_LT(tail.size(), std::string(toolFailureReport).size());
        }
        EXPECT_EQ(found, c.found) << c.chunks[0];
    }
}

TEST(ProgressPercent, TruncatesAndCaps) {
    EXPECT_EQ(progressPercent(2, 120), 1);
    EXPECT_EQ(progressPercent(61, 120), 50);
    EXPECT_EQ(progressPercent(180, 120), 100);
    EXPECT_EQ(progressPercent(2147483647, 1), 100);
    EXPECT_EQ(progressPercent(-5, 120), -1);
    EXPECT_EQ(progressPercent(10, 0), -1);
}

} // namespace
