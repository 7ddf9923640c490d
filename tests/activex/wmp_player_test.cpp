// The media player control on a scripted engine and the virtual clock: its template state, its
// states and events, and the script commands it hands out as the position moves.

#include <gtest/gtest.h>

#include "platform/activex/register.h"
#include "platform/activex/wmp_player.h"
#include "platform/mediafile/script_schedule.h"
#include "tests/activex/fixture.h"
#include "tests/support/fake_player.h"

using media::AsfScriptCommand;
using namespace platform::player;

namespace {

std::vector<std::string> Texts(const std::vector<AsfScriptCommand>& commands) {
    std::vector<std::string> out;
    for (const AsfScriptCommand& c : commands)
        out.push_back(c.text.toStdString());
    return out;
}

TEST(ScriptCommandSchedule, HandsOutEachCommandOnceInTimeOrder) {
    media::ScriptCommandSchedule s;
    // Out of order in the file; the two at 200 keep theirs.
    s.Load({{200, "TEXT", "c"}, {0, "TEXT", "a"}, {100, "TEXT", "b"}, {200, "TEXT", "d"}});
    EXPECT_EQ(Texts(s.Due(0)), (std::vector<std::string>{"a"}));
    EXPECT_EQ(Texts(s.Due(150)), (std::vector<std::string>{"b"}));
    EXPECT_TRUE(s.Due(150).empty());
    EXPECT_EQ(Texts(s.Due(1000)), (std::vector<std::string>{"c", "d"}));
    EXPECT_TRUE(s.Rest().empty());

    s.Rewind();
    EXPECT_EQ(Texts(s.Due(100)), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(Texts(s.Rest()), (std::vector<std::string>{"c", "d"}));
    s.Load({{50, "TEXT", "x"}});
    EXPECT_EQ(Texts(s.Due(60)), (std::vector<std::string>{"x"}));
}

TEST(ScriptCommandSchedule, ParameterIsItsLeadingDigits) {
    const std::pair<const char*, LONG> cases[] = {
        {"123", 123},
        {"0", 0},
        {"12abc", 12},
        {"abc", 0},
        {"", 0},
        {"-5", 0},
        {"99999999999999999999", 2147483647},
        {"2147483647", 2147483647},
        {"2147483648", 2147483647},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(media::ScriptParameterValue(text), value) << text;
}

class PlayerTest : public testing_support::HarnessTest {
protected:
    PlayerTest() {
        platform::RegisterActiveXControls();
        host.Create(nullptr, "host", WS_VISIBLE, CRect(0, 0, 320, 240), nullptr, 0);
        const DialogItem item{1130,
                              CWMPControl::kClassName,
                              "uiMode=none;stretchToFit=1;autoStart=1;volume=50;"
                              "enableErrorDialogs=0;URL=",
                              0,
                              0,
                              100,
                              100,
                              0};
        control = platform::MakeItemControl(item.className);
        EXPECT_TRUE(control->Create(item.className, item.text, WS_CHILD | WS_VISIBLE,
                                    CRect(0, 0, 320, 240), &host, item.id));
        EXPECT_TRUE(player.SubclassDlgItem(1130, &host));
        events.Listen(host, 1130, {kPlayStateChange, kScriptCommand, kMediaError});
        path = env.File("run.wmv").ToQString();
        EXPECT_TRUE(testing_support::WriteMarkedAsf(
            path, {{0, "TEXT", "1"}, {100, "TEXT", "2"}, {200, "TEXT", "3"}, {200, "TEXT", "4"}}));
    }
    std::vector<std::string> Take() { return std::exchange(events.log, {}); }

    testing_support::FakePlayer fake;
    activex_test::Host host;
    std::unique_ptr<CWnd> control;
    CWMPPlayer4 player;
    activex_test::Recorder events;
    QString path;
};

TEST_F(PlayerTest, TemplateStateAndMembers) {
    const PlayerSettings* s = player.Player()->Settings();
    ASSERT_TRUE(s);
    EXPECT_EQ(s->uiMode, "none");
    EXPECT_TRUE(s->stretchToFit);
    EXPECT_TRUE(s->autoStart);
    EXPECT_EQ(s->volume, 50);
    EXPECT_FALSE(s->enableErrorDialogs);
    EXPECT_EQ(player.get_URL(), "");
    EXPECT_FLOAT_EQ(fake.volume, 0.5f);
    EXPECT_EQ(player.get_playState(), 0);
    // Nothing to play: the controls do nothing.
    player.get_controls().play();
    EXPECT_TRUE(fake.Take().empty());
    EXPECT_TRUE(Take().empty());
    // Read-only and unknown members are refused.
    EXPECT_EQ(player.SetProperty(kPlayState, VarI4(3)), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(player.get_controls().InvokeMethod(54), DISP_E_MEMBERNOTFOUND);
}

TEST_F(PlayerTest, StatesAreRaisedBeforeTheCallReturns) {
    player.put_URL(CString(path));
    EXPECT_EQ(fake.Take(), (std::vector<std::string>{"open run.wmv", "play"}));
    EXPECT_EQ(Take(), (std::vector<std::string>{"5101(3)"}));
    EXPECT_EQ(player.get_playState(), 3);
    player.get_controls().play();  // playing already
    player.get_controls().pause();
    EXPECT_EQ(Take(), (std::vector<std::string>{"5101(2)"}));
    player.get_controls().play();
    player.get_controls().stop();
    player.get_controls().stop();
    EXPECT_EQ(Take(), (std::vector<std::string>{"5101(3)", "5101(1)"}));
    EXPECT_EQ(fake.Take(), (std::vector<std::string>{"pause", "play", "stop"}));
}

TEST_F(PlayerTest, MarkersFireOnceInOrderAsThePositionPasses) {
    player.put_URL(CString(path));
    Take();
    fake.MoveTo(0);
    EXPECT_EQ(Take(), (std::vector<std::string>{"5301(\"TEXT\",\"1\")"}));
    // The watch reads the position every 50 ms, without reports.
    fake.position = 150;
    clock.Advance(50);
    fake.MoveTo(150);
    EXPECT_EQ(Take(), (std::vector<std::string>{"5301(\"TEXT\",\"2\")"}));
    // Paused, nothing fires; the place is kept.
    player.get_controls().pause();
    fake.MoveTo(1000);
    clock.Advance(200);
    EXPECT_EQ(Take(), (std::vector<std::string>{"5101(2)"}));
    player.get_controls().play();
    clock.Advance(50);
    EXPECT_EQ(Take(), (std::vector<std::string>{"5101(3)", "5301(\"TEXT\",\"3\")",
                                                "5301(\"TEXT\",\"4\")"}));
    // Stop rewinds.
    player.get_controls().stop();
    player.get_controls().play();
    fake.MoveTo(100);
    EXPECT_EQ(Take(), (std::vector<std::string>{"5101(1)", "5101(3)", "5301(\"TEXT\",\"1\")",
                                                "5301(\"TEXT\",\"2\")"}));
    // So does a new URL.
    player.put_URL(CString(path));
    fake.MoveTo(0);
    EXPECT_EQ(Take(), (std::vector<std::string>{"5301(\"TEXT\",\"1\")"}));
}

TEST_F(PlayerTest, TheEndAndFailuresComeThroughTheLoop) {
    player.put_URL(CString(path));
    fake.MoveTo(100);
    Take();
    fake.End();
    EXPECT_TRUE(Take().empty()) << "not inside the engine's report";
    clock.RunPending();
    EXPECT_EQ(Take(), (std::vector<std::string>{"5301(\"TEXT\",\"3\")", "5301(\"TEXT\",\"4\")",
                                                "5101(1)"}));
    EXPECT_EQ(player.get_playState(), 1);

    player.get_controls().play();
    Take();
    fake.Fail("Could not demultiplex stream.");
    clock.RunPending();
    EXPECT_EQ(Take(),
              (std::vector<std::string>{"9080(\"Could not demultiplex stream.\")", "5101(1)"}));
    // Late news of a file replaced meanwhile is dropped.
    player.get_controls().play();
    fake.Fail("old");
    player.put_URL(CString(path));
    Take();
    clock.RunPending();
    EXPECT_TRUE(Take().empty());
    EXPECT_EQ(player.get_playState(), 3);
}

TEST_F(PlayerTest, AFileWithoutMarkersPlays) {
    const QString plain = env.File("plain.wmv").ToQString();
    ASSERT_TRUE(testing_support::WriteMarkedAsf(plain, {}));
    player.put_URL(CString(plain));
    EXPECT_EQ(player.Player()->Schedule().Size(), 0u);
    fake.MoveTo(5000);
    fake.End();
    clock.RunPending();
    EXPECT_EQ(Take(), (std::vector<std::string>{"5101(3)", "5101(1)"}));
}

}  // namespace
