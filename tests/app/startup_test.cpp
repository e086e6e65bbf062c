#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/options.h"
#include "app/query_sweep.h"
#include "app/reset_state.h"
#include "app/startup.h"
#include "editor/editor_clicks.h"
#include "editor/editor_prefs.h"
#include "model/console_model.h"
#include "platform/console_output.h"
#include "platform/desktop.h"
#include "platform/desktop_recording.h"
#include "platform/stop_signal.h"
#include "startup_support.h"
#include "support/test_env.h"
#include "surface/output_queue.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr size_t SETTINGS_QUERIES = 2 + 256 + 1 + 8 * 65 + 37;
constexpr size_t STRIP_QUERIES = 5513;

class Startup : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetAllState();
        useNullDesktop();
        dir = fs::temp_directory_path() /
              ("velumbra-startup-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        saved = testEnvironment("USERPROFILE");
        setTestEnvironment("USERPROFILE", dir.string());
        setConsoleCapture(&output);
    }
    void TearDown() override
    {
        console.stop();
        setConsoleCapture(nullptr);
        setTestEnvironment("USERPROFILE", saved);
        fs::remove_all(dir);
        resetAllState();
    }
    // A preferences file whose bank 1 starts with three empty entries.
    void usePreferences()
    {
        fs::path prefs = dir / "test.prefs";
        std::ofstream(prefs) << "x\nx\n-guiprefs/bank1 8\n-guiprefs/bank1/channels 80 80 80 3 4 5 6 7\n";
        setPreferencesFileOverride(prefs.string().c_str());
    }
    std::vector<std::string> queriesUntilSubscriptions()
    {
        auto all = console.addresses();
        auto end = std::find(all.begin(), all.end(), "/batchsubscribe");
        return std::vector<std::string>(all.begin(), end);
    }
    std::vector<std::vector<uint8_t>> drainQueue()
    {
        std::vector<std::vector<uint8_t>> out;
        SurfaceMessage m;
        while (takeQueuedSurfaceMessage(m)) out.emplace_back(m.data, m.data + m.length);
        return out;
    }

    fs::path dir;
    std::string saved;
    std::string output;
    SweepConsole console;
    BridgeOptions options;
};

size_t indexOf(const std::vector<std::string>& v, const std::string& s)
{
    return static_cast<size_t>(std::find(v.begin(), v.end(), s) - v.begin());
}

TEST_F(Startup, AsksEveryParameterOnceInOrderAndLaysOutTheFirstBank)
{
    usePreferences();
    ASSERT_TRUE(console.start());
    runStartupSynchronisation(options);
    auto q = queriesUntilSubscriptions();
    ASSERT_EQ(q.size(), SETTINGS_QUERIES + STRIP_QUERIES);
    EXPECT_EQ(q[0], "/config/amixenable/X");
    EXPECT_EQ(q[2], "/headamp/000/gain");
    EXPECT_EQ(q[257], "/headamp/127/phantom");
    EXPECT_EQ(q[258], "/-stat/keysolo");
    EXPECT_EQ(q[259], "/fx/1/type");
    EXPECT_EQ(q[260], "/fx/1/par/01");
    EXPECT_EQ(q[SETTINGS_QUERIES - 37], "/config/routing/IN/1-8");
    EXPECT_EQ(q[SETTINGS_QUERIES - 1], "/config/userrout/in/32");
    EXPECT_EQ(q[SETTINGS_QUERIES], "/ch/01/automix/group");

    size_t strip5 = indexOf(q, "/ch/06/automix/group");
    ASSERT_LT(strip5 + 2, q.size());
    EXPECT_EQ(q[strip5 + 2], "/-ha/05/index");
    size_t strip8 = indexOf(q, "/-ha/08/index");
    ASSERT_LT(strip8, q.size());
    EXPECT_EQ(q[strip8 - 1], "/ch/08/config/source");
    size_t strip71 = indexOf(q, "/main/m/mix/on");
    ASSERT_LT(strip71, q.size());
    EXPECT_EQ(q[strip71 - 1], "/main/st/config/color");
    EXPECT_EQ(indexOf(q, "/main/m/mix/pan"), q.size());
    EXPECT_EQ(q[strip71 + 56], "/dca/1/on");
    EXPECT_EQ(q.back(), "/dca/8/config/color");
    for (const auto& a : q) EXPECT_EQ(std::count(q.begin(), q.end(), a), 1) << a;

    // The progress bar, one more star every tenth strip.
    size_t at = 0;
    for (int stars = 1; stars <= 8; ++stars) {
        std::string bar = "\r[" + std::string(static_cast<size_t>(stars), '*') +
                          std::string(static_cast<size_t>(8 - stars), ' ') + "]";
        at = output.find(bar, at);
        ASSERT_NE(at, std::string::npos) << "bar with " << stars << " stars";
    }
    EXPECT_EQ(querySummary().unanswered, 0);
    EXPECT_EQ(output.find("not answered"), std::string::npos);

    // Lamps 24..31 go dark once each during the sweep, before the bank lamps.
    auto sent = drainQueue();
    auto bankLamp = std::find(sent.begin(), sent.end(), std::vector<uint8_t>{0x90, 97, 127});
    ASSERT_NE(bankLamp, sent.end());
    for (uint8_t note = 24; note <= 31; ++note) {
        EXPECT_EQ(std::count(sent.begin(), bankLamp, std::vector<uint8_t>{0x90, note, 0}), 1) << int(note);
    }

    const int expected[8] = {3, 4, 5, 6, 7, BLANK_STRIP, BLANK_STRIP, BLANK_STRIP};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(bankStrips[i], expected[i]) << i;
    EXPECT_EQ(bankSkip[0], 3);
    EXPECT_EQ(startupComplete.load(), 1);
    EXPECT_EQ(surfaceRefreshEnabled, 1);
    EXPECT_EQ(surfacePage, 0);
    EXPECT_STREQ(strips[0].name, "Ch");
    EXPECT_DOUBLE_EQ(strips[79].fader, 0.5);
}

TEST_F(Startup, AnUnansweredQueryCostsOnlyItsRetriesAndIsReported)
{
    options.queryTimeoutMs = 100;
    std::atomic<bool> knowsKeySolo{false};
    console.shouldAnswer = [&knowsKeySolo](const std::string& a) { return knowsKeySolo || a != "/-stat/keysolo"; };
    ASSERT_TRUE(console.start());
    auto before = Clock::now();
    runStartupSynchronisation(options);
    auto took = Clock::now() - before;
    auto q = queriesUntilSubscriptions();
    EXPECT_EQ(std::count(q.begin(), q.end(), "/-stat/keysolo"), 4);  // once and three retries
    EXPECT_EQ(q.size(), SETTINGS_QUERIES + STRIP_QUERIES + 3);
    QuerySummary s = querySummary();
    EXPECT_EQ(s.unanswered, 1);
    EXPECT_STREQ(s.firstUnanswered[0], "/-stat/keysolo");
    EXPECT_NE(output.find("1 of 6329 parameters were not answered by the mixer (/-stat/keysolo); they are "
                          "asked again in the background"),
              std::string::npos)
        << output;
    EXPECT_GE(took, std::chrono::milliseconds(300));
    EXPECT_EQ(startupComplete.load(), 1);
    EXPECT_EQ(output.find("No answer from the mixer"), std::string::npos) << output;

    // Kept for later: asked again, and answered this time.
    ASSERT_EQ(unansweredWaiting(), 1);
    knowsKeySolo = true;
    EXPECT_TRUE(askUnansweredAgain());
    finishQueries();
    EXPECT_EQ(unansweredWaiting(), 0);
    EXPECT_FALSE(askUnansweredAgain());
    EXPECT_NE(output.find("Mixer answered /-stat/keysolo at last\n"), std::string::npos) << output;
}

// The very first query unanswered by a console that answers others: the
// give-up rule holds for it too, and the line names it instead of the link.
TEST_F(Startup, AFirstQueryTheConsoleDoesNotKnowDoesNotHoldStartUp)
{
    options.queryTimeoutMs = 100;
    console.shouldAnswer = [](const std::string& a) { return a != "/config/amixenable/X"; };
    ASSERT_TRUE(console.start());
    runStartupSynchronisation(options);
    EXPECT_EQ(startupComplete.load(), 1);
    EXPECT_NE(output.find("The mixer answers, but not /config/amixenable/X; going on without it\n"),
              std::string::npos)
        << output;
    EXPECT_EQ(output.find("No answer from the mixer"), std::string::npos) << output;
    EXPECT_EQ(querySummary().unanswered, 1);
    EXPECT_EQ(unansweredWaiting(), 1);
}

TEST_F(Startup, AConsoleThatAnswersLateIsWaitedFor)
{
    auto begin = Clock::now();
    console.shouldAnswer = [begin](const std::string&) {
        return Clock::now() - begin > std::chrono::seconds(3);
    };
    ASSERT_TRUE(console.start());
    runStartupSynchronisation(options);
    EXPECT_GE(Clock::now() - begin, std::chrono::seconds(3));
    std::string line = "No answer from the mixer at 127.0.0.1:" + std::to_string(console.socket.localPort()) +
                       ", retrying...\n";
    size_t first = output.find(line);
    ASSERT_NE(first, std::string::npos) << output;
    EXPECT_EQ(output.find(line, first + 1), std::string::npos) << "printed once";
    EXPECT_EQ(querySummary().unanswered, 0);
    EXPECT_EQ(startupComplete.load(), 1);
}

TEST_F(Startup, AStopEndsTheWaitForASilentConsole)
{
    console.shouldAnswer = [](const std::string&) { return false; };
    ASSERT_TRUE(console.start());
    std::thread stopper([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        requestStop();
    });
    auto before = Clock::now();
    runStartupSynchronisation(options);
    stopper.join();
    EXPECT_LT(Clock::now() - before, std::chrono::seconds(2));
    EXPECT_EQ(startupComplete.load(), 0);
    // The effects files are read before the console is asked anything; the
    // step the stop cut short says nothing more.
    size_t asking = output.find("requesting ");
    ASSERT_NE(asking, std::string::npos) << output;
    EXPECT_EQ(output.find("done", asking), std::string::npos) << "a stopped step prints nothing more: " << output;
}

TEST_F(Startup, WithoutEditorOrPreferencesTheDefaultBanksShowChannelsOneToEight)
{
    ASSERT_TRUE(console.start());
    runStartupSynchronisation(options);
    EXPECT_NE(output.find("Please start X32-Edit or M32-Edit."), std::string::npos);
    EXPECT_NE(output.find("using the default banks"), std::string::npos) << output;
    for (int i = 0; i < 8; ++i) EXPECT_EQ(bankStrips[i], i);
    EXPECT_EQ(bankCount[0], 32);
    EXPECT_EQ(currentDcaGroup, 0);
    EXPECT_EQ(selectedBankSlot, 1);
}

TEST_F(Startup, AnEditorWithItsOwnPreferencesKeepsItsBanks)
{
    fs::create_directories(dir / "AppData" / "Roaming" / "X32-Edit");
    std::ofstream(dir / "AppData" / "Roaming" / "X32-Edit" / "X32Edit.prefs")
        << "x\nx\n-guiprefs/bank1 2\n-guiprefs/bank1/channels 48 49\n";
    installRecordingDesktop();
    addFakeMonitor(DesktopRect{0, 0, 1920, 1080});
    addFakeWindow("X32 EDIT - show", DesktopRect{0, 100, 1188, 851});
    ASSERT_TRUE(console.start());
    runStartupSynchronisation(options);
    EXPECT_NE(output.find("Found\nx1: 0 Y1: 100  x2: 1188  y2:851\n"), std::string::npos) << output;
    EXPECT_EQ(output.find("default banks"), std::string::npos);
    EXPECT_EQ(bankStrips[0], 48);
    EXPECT_EQ(bankStrips[1], 49);
    EXPECT_EQ(bankStrips[2], BLANK_STRIP);
    waitForEditorClicks();
    EXPECT_FALSE(recordedDesktopEvents().empty()) << "the editor is clicked into";
}

class QueryWait : public Startup {};

TEST_F(QueryWait, PushedChangesDoNotReleaseTheQuery)
{
    configureQueries(2000, 1);
    console.beforeAnswer = [this](const std::string&) {
        console.push("/ch/05/mix/fader", 'f');  // counted, but another address
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    };
    ASSERT_TRUE(console.start());
    auto before = Clock::now();
    queryAndWait("/ch/01/mix/fader");
    EXPECT_GE(Clock::now() - before, std::chrono::milliseconds(140));
    EXPECT_DOUBLE_EQ(strips[4].fader, 0.5) << "the pushed change still lands";
    EXPECT_DOUBLE_EQ(strips[0].fader, 0.5);
}

TEST_F(QueryWait, AWindowKeepsSeveralQueriesOutstanding)
{
    configureQueries(5000, 4);
    std::atomic<bool> release{false};
    console.shouldAnswer = [&release](const std::string&) {
        while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return true;
    };
    ASSERT_TRUE(console.start());
    const char* asked[5] = {"/ch/01/mix/fader", "/ch/02/mix/fader", "/ch/03/mix/fader",
                            "/ch/04/mix/fader", "/ch/05/mix/fader"};
    for (int i = 0; i < 4; ++i) queryAndWait(asked[i]);  // all four go out unanswered
    std::atomic<bool> fifthDone{false};
    std::thread fifth([&] {
        queryAndWait(asked[4]);
        fifthDone = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(fifthDone) << "a fifth query waits for room in the window";
    release = true;
    fifth.join();
    finishQueries();
    auto got = console.addresses();
    ASSERT_EQ(got.size(), 5u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(got[i], asked[i]);
    EXPECT_EQ(querySummary().unanswered, 0);
}

TEST(QueryTypes, OracleMatchesTheConsoleConventions)
{
    EXPECT_EQ(consoleTypeFor("/ch/01/mix/fader"), 'f');
    EXPECT_EQ(consoleTypeFor("/ch/01/mix/on"), 'i');
    EXPECT_EQ(consoleTypeFor("/ch/01/dyn/mix"), 'f');
    EXPECT_EQ(consoleTypeFor("/ch/01/config/name"), 's');
    EXPECT_EQ(consoleTypeFor("/fx/3/par/07"), 'f');
    EXPECT_EQ(consoleTypeFor("/-ha/05/index"), 'i');
}

} // namespace
