// The web remote's desk side: which messages a page may send, what each does
// to the desk (through the console's addresses), the state a page is sent,
// and the remote's globals. The server itself is tested over HTTP and in a
// browser (tests/webremote).
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/desk.h"
#include "core/json.h"
#include "playback/playdesk.h"
#include "tests/desk_fixture.h"
#include "webremote/remote_http.h"
#include "webremote/remote_messages.h"
#include "app/web_remote.h"

namespace lumora::webremote {
namespace {

std::optional<RemoteAction> Parse(const std::string& s) {
  std::string e;
  return ParseRemoteMessage(s, e);
}

TEST(WebRemoteMessages, KnownMessagesReadToTheirActions) {
  EXPECT_EQ(Parse(R"({"op":"take"})"), (RemoteAction{RemoteOp::Take, 0, 0}));
  EXPECT_EQ(Parse(R"({"op":"run"})"), (RemoteAction{RemoteOp::Run, 0, 0}));
  EXPECT_EQ(Parse(R"({"op":"clear_all"})"), (RemoteAction{RemoteOp::ClearAll, 0, 0}));
  EXPECT_EQ(Parse(R"({"op":"xfade","value":0})"), (RemoteAction{RemoteOp::Crossfade, 0, 0}));
  EXPECT_EQ(Parse(R"({"value":255,"op":"main"})"), (RemoteAction{RemoteOp::Main, 0, 255}));
  EXPECT_EQ(Parse(R"({"op":"fader","slot":11,"value":200})"), (RemoteAction{RemoteOp::Fader, 11, 200}));
  EXPECT_EQ(Parse(R"({"op":"fader","slot":3.0,"value":1e2})"), (RemoteAction{RemoteOp::Fader, 3, 100}));
  EXPECT_EQ(Parse(R"({"op":"button","slot":15,"down":true})"), (RemoteAction{RemoteOp::Button, 15, 1}));
  EXPECT_EQ(Parse(R"({"op":"button","slot":0,"down":false})"), (RemoteAction{RemoteOp::Button, 0, 0}));
  EXPECT_EQ(Parse(R"({"op":"page","value":-1})"), (RemoteAction{RemoteOp::Page, 0, -1}));
}

TEST(WebRemoteMessages, AnythingElseIsRefusedWithAReason) {
  for (const char* bad : {
           "", "take", "[]", "null", R"("take")", R"({})", R"({"op":1})", R"({"op":"TAKE"})",
           R"({"op":"quit"})", R"j({"op":"set","address":"DmxFrame(0)"})j",
           R"({"op":"take","x":1})",                          // a field the op does not know
           R"({"op":"fader","slot":12,"value":1})",           // slot out of range
           R"({"op":"fader","slot":-1,"value":1})", R"({"op":"fader","slot":0,"value":256})",
           R"({"op":"fader","slot":0,"value":-1})", R"({"op":"fader","slot":0.5,"value":1})",
           R"({"op":"fader","slot":"0","value":1})", R"({"op":"fader","value":1})",
           R"({"op":"fader","slot":0,"value":1e400})", R"({"op":"xfade","value":true})",
           R"({"op":"button","slot":16,"down":true})", R"({"op":"button","slot":1,"down":1})",
           R"({"op":"page","value":0})", R"({"op":"page","value":2})", R"({"op":"main"})",
           R"({"op":"take"} trailing)", "{\"op\":\"take\"",
       }) {
    std::string e;
    EXPECT_FALSE(ParseRemoteMessage(bad, e)) << bad;
    EXPECT_FALSE(e.empty()) << bad;
  }
  std::string e;
  const std::string longMessage = R"({"op":"take")" + std::string(kMaxMessageBytes, ' ') + "}";
  EXPECT_FALSE(ParseRemoteMessage(longMessage, e));
  EXPECT_EQ(e, "message too long");
}

TEST(WebRemoteMessages, ActionsUseThePlayDesksOwnControls) {
  using V = std::vector<std::string>;
  EXPECT_EQ(ConsoleCommandsFor({RemoteOp::Take, 0, 0}), V{"click Playdesk.Run_Autotake"});
  EXPECT_EQ(ConsoleCommandsFor({RemoteOp::Run, 0, 0}), V{"click Playdesk.Run_Switch"});
  // Faders read 0 at the top: a page level of 200 is the fader value 55.
  EXPECT_EQ(ConsoleCommandsFor({RemoteOp::Fader, 4, 200}), V{"set Playdesk.Slider1(4) 55"});
  EXPECT_EQ(ConsoleCommandsFor({RemoteOp::Main, 0, 255}), V{"set Playdesk.Main 0"});
  EXPECT_EQ(ConsoleCommandsFor({RemoteOp::Crossfade, 0, 30}), V{"set Playdesk.Run_Crossfade 30"});
  EXPECT_EQ(ConsoleCommandsFor({RemoteOp::Button, 2, 1}), V{"mousedown Playdesk.Command1(2) left"});
  EXPECT_EQ(ConsoleCommandsFor({RemoteOp::Button, 2, 0}), V{"mouseup Playdesk.Command1(2) left"});
  EXPECT_EQ(ConsoleCommandsFor({RemoteOp::Page, 0, 1}), V{"click Playdesk.Inc_Page(0)"});
  EXPECT_EQ(ConsoleCommandsFor({RemoteOp::Page, 0, -1}), V{"click Playdesk.Dec_Page(0)"});
  EXPECT_EQ(ConsoleCommandsFor({RemoteOp::ClearAll, 0, 0}), V{"click Playdesk.Clear_All"});
  // An action that went wrong on its way (the module boundary) does nothing.
  EXPECT_TRUE(ConsoleCommandsFor({RemoteOp::Fader, 12, 0}).empty());
  EXPECT_TRUE(ConsoleCommandsFor({static_cast<RemoteOp>(99), 0, 0}).empty());
}

TEST(WebRemoteHttp, OnlyTheFixedPathsAreRoutes) {
  EXPECT_EQ(RouteOf("/"), RouteKind::Page);
  EXPECT_EQ(RouteOf("/remote.js"), RouteKind::Script);
  EXPECT_EQ(RouteOf("/login"), RouteKind::Login);
  EXPECT_EQ(RouteOf("/ws"), RouteKind::Socket);
  for (const char* p : {"", "/../etc/passwd", "/%2e%2e/etc/passwd", "//remote.js", "/remote.js/", "/REMOTE.JS",
                        "/remote.js?x", "/./remote.js", "/webremote/index.html", ":/webremote/index.html",
                        "/index.html%00", "/%2fetc%2fpasswd", "/ws/../state"})
    EXPECT_EQ(RouteOf(p), RouteKind::None) << p;
}

TEST(WebRemoteHttp, SignInBodyCarriesExactlySixDigits) {
  EXPECT_EQ(ParsePinBody(R"({"pin":"012345"})"), "012345");
  for (const char* b : {"", "012345", "pin=012345", R"({"pin":12345})", R"({"pin":"12345"})", R"({"pin":"1234567"})",
                        R"({"pin":"12a456"})", R"({"pin":"012345","x":1})", R"({"PIN":"012345"})", "[\"012345\"]"})
    EXPECT_FALSE(ParsePinBody(b)) << b;
  EXPECT_TRUE(SameSecret("123456", "123456"));
  EXPECT_FALSE(SameSecret("123456", "123457"));
  EXPECT_FALSE(SameSecret("123456", "12345"));
  EXPECT_FALSE(SameSecret("", "1"));
}

TEST(WebRemoteHttp, PinsAreSixDigitsAndVary) {
  std::set<std::string> seen;
  for (int i = 0; i < 20; ++i) {
    const std::string p = NewPin();
    ASSERT_EQ(p.size(), 6u);
    EXPECT_EQ(p.find_first_not_of("0123456789"), std::string::npos);
    seen.insert(p);
  }
  EXPECT_GT(seen.size(), 15u);
}

// The desk side, driven as the server would drive it.
class WebRemoteDesk : public lumora::testing::DeskTest {
 protected:
  Remote& remote() { return *desk->owned<Remote>(); }
  Json state() { return *Json::parse(remote().StateJson()); }
  void act(RemoteOp op, int index = 0, int value = 0) { remote().Perform(RemoteAction{op, index, value}); }
};

TEST_F(WebRemoteDesk, IsOffUntilSwitchedOnAndListedAsAWindow) {
  EXPECT_EQ(cmd("get Remote.Enabled"), "ok false");
  EXPECT_EQ(cmd("get Remote.Pin"), "ok \"\"");
  EXPECT_EQ(cmd("get Remote.Clients"), "ok 0");
  EXPECT_EQ(cmd("get Remote.Port"), "ok 8080");
  EXPECT_EQ(cmd("get Remote.Address"), "ok \"127.0.0.1\"");
  EXPECT_EQ(cmd("get Hoofdblad.remote_setup.Caption"), "ok \"Web Remote...\"");
  EXPECT_EQ(cmd("click Hoofdblad.remote_setup"), "ok");
  EXPECT_EQ(cmd("get Remote.Visible"), "ok true");
  EXPECT_EQ(cmd("get Remote.Status"), "ok \" Web remote off\"");
}

TEST_F(WebRemoteDesk, BadAddressOrPortIsRefusedAndNothingStarts) {
  EXPECT_EQ(cmd("set Remote.Port 0"), "err value out of range");
  EXPECT_EQ(cmd("set Remote.Port 70000"), "err value out of range");
  EXPECT_EQ(cmd("set Remote.Address \"desk.local\""), "err not an IP address");
  EXPECT_EQ(cmd("set Remote.Pin \"123456\""), "err read-only");
  cmd("set Remote.txtAddress \"300.1.1.1\"");
  EXPECT_EQ(cmd("set Remote.Enabled true"), "err the address 300.1.1.1 is not an IP address");
  EXPECT_EQ(cmd("get Remote.Enabled"), "ok false");
  EXPECT_EQ(cmd("get Remote.Pin"), "ok \"\"");
  EXPECT_EQ(cmd("get Remote.Status"), "ok \" Web remote not started: the address 300.1.1.1 is not an IP address\"");
}

TEST_F(WebRemoteDesk, TakeFromThePageRunsTheDesksTake) {
  cmd("set Screens(1).Time 1");
  cmd("set Screens(2).Name \"Act two\"");
  cmd("set ScreenCount 3");
  act(RemoteOp::Run);
  EXPECT_EQ(cmd("get RunMode"), "ok -1");
  Json s = state();
  EXPECT_EQ(s.find("runCaption")->asString(), "STOP");
  EXPECT_EQ(s.find("next")->find("num")->asInt(), 2);
  EXPECT_EQ(s.find("next")->find("name")->asString(), "Act two");
  EXPECT_EQ(cmd("get CurrentScreen"), "ok 1");
  act(RemoteOp::Take);
  EXPECT_EQ(state().find("takeCaption")->asString(), "Pause");
  EXPECT_TRUE(state().find("taking")->asBool());
  cmd("advance 3000");
  EXPECT_EQ(cmd("get CurrentScreen"), "ok 2");
  EXPECT_EQ(state().find("live")->find("name")->asString(), "Act two");
  EXPECT_FALSE(state().find("taking")->asBool());
}

TEST_F(WebRemoteDesk, FadersButtonsPagesMainAndClearAllActOnThePlayDesk) {
  act(RemoteOp::Fader, 3, 200);
  EXPECT_EQ(cmd("get PlayFaderLevel(3)"), "ok 200");
  EXPECT_EQ(cmd("get Playdesk.Slider1(3)"), "ok 55");
  EXPECT_EQ(state().find("faders")->items()[3].find("level")->asInt(), 200);
  act(RemoteOp::Page, 0, 1);
  EXPECT_EQ(cmd("get CurrentPage"), "ok 1");
  EXPECT_EQ(state().find("page")->find("num")->asInt(), 2);
  act(RemoteOp::Fader, 0, 100);
  EXPECT_EQ(cmd("get PlayFaderLevel(12)"), "ok 100");
  act(RemoteOp::Page, 0, -1);
  act(RemoteOp::Page, 0, -1);  // already on the first page: stays
  EXPECT_EQ(cmd("get CurrentPage"), "ok 0");
  EXPECT_FALSE(state().find("page")->find("prev")->asBool());
  // A latching button toggles on the press; one that is not is on while held.
  cmd("set ButtonFunctions(1).Latch -1");
  act(RemoteOp::Button, 1, 1);
  act(RemoteOp::Button, 1, 0);
  EXPECT_EQ(cmd("get PlayButtonState(1)"), "ok -1");
  EXPECT_TRUE(state().find("buttons")->items()[1].find("on")->asBool());
  cmd("set ButtonFunctions(2).Latch 0");
  act(RemoteOp::Button, 2, 1);
  EXPECT_EQ(cmd("get PlayButtonState(2)"), "ok -1");
  act(RemoteOp::Button, 2, 0);
  EXPECT_EQ(cmd("get PlayButtonState(2)"), "ok 0");
  act(RemoteOp::Main, 0, 100);
  EXPECT_EQ(cmd("get Playdesk.Main"), "ok 155");
  EXPECT_EQ(state().find("main")->asInt(), 100);
  cmd("set DeskLevels(5) 99");
  act(RemoteOp::ClearAll);
  EXPECT_EQ(cmd("get PlayFaderLevel(3)"), "ok 0");
  EXPECT_EQ(cmd("get PlayButtonState(1)"), "ok 0");
  EXPECT_EQ(cmd("get DeskLevels(5)"), "ok 0");
  EXPECT_EQ(cmd("get Playdesk.Status"), "ok \" Desk Cleared \"");
  EXPECT_EQ(state().find("status")->asString(), " Desk Cleared ");
}

TEST_F(WebRemoteDesk, StateFollowsChangesMadeAtTheDesk) {
  const std::string before = remote().StateJson();
  EXPECT_EQ(remote().StateJson(), before);  // nothing moved: the same text, nothing to send
  cmd("set Playdesk.Slider1(6) 0");
  Json s = state();
  EXPECT_EQ(s.find("faders")->items()[6].find("level")->asInt(), 255);
  EXPECT_NE(remote().StateJson(), before);
  ASSERT_EQ(s.find("faders")->size(), 12u);
  ASSERT_EQ(s.find("buttons")->size(), 16u);
  cmd("set ButtonFunctions(0).Name \"Blinder\"");
  cmd("click Playdesk.Clear_All");  // redraws the page
  EXPECT_EQ(state().find("buttons")->items()[0].find("name")->asString(), "Blinder");
  EXPECT_EQ(state().find("buttons")->items()[0].find("color")->asString().size(), 7u);  // "#rrggbb"
}

}  // namespace
}  // namespace lumora::webremote
