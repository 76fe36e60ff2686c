// The desk's list of other Art-Net nodes on real sockets, run by
// health_netns.sh inside a private network namespace: a second node (the
// script's test node, in a namespace of its own) answers the desk's poll and
// sends ArtDmx on the universe the desk sends. The desk lists the node, not
// itself, and flags both conflicts.
#include <net/if.h>
#include <poll.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

#include "app/console.h"
#include "app/desk.h"
#include "output/artnet.h"
#include "app/health_window.h"

namespace lumora {
namespace {

std::string Env(const char* n) {
  const char* v = std::getenv(n);
  return v ? v : "";
}

// Only the namespace the script built may be used: exactly lo and art0.
bool InPrivateNamespace() {
  if (Env("LUMORA_NETNS_PRIVATE") != "1") return false;
  std::set<std::string> names;
  if (struct if_nameindex* ix = if_nameindex()) {
    for (struct if_nameindex* i = ix; i->if_index != 0; ++i) names.insert(i->if_name);
    if_freenameindex(ix);
  }
  return names == std::set<std::string>{"lo", "art0"};
}

class HealthNetns : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(InPrivateNamespace()) << "run through tests/netns/health_netns.sh under unshare -n";
    DeskOptions o;
    o.manualClock = true;
    o.sim = true;
    desk = std::make_unique<Desk>(o, dialogs);
    console = std::make_unique<Console>(*desk, dialogs);
    desk->Start();
    ASSERT_EQ(ArtNet(*desk).fake(), nullptr) << "the node must use the real socket here";
  }
  std::string cmd(const std::string& line) { return console->execute(line).back(); }
  // Real time passes for the network while the desk's clock moves with it.
  void run(int ms) {
    for (int t = 0; t < ms; t += 20) {
      pollfd p{-1, 0, 0};
      poll(&p, 0, 20);
      desk->scheduler().advance(20);
    }
  }
  // Runs until the node list holds `ip` (at most `ms`).
  bool waitForNode(const std::string& ip, int ms) {
    for (int t = 0; t < ms; t += 100) {
      run(100);
      for (const auto& n : ArtNet(*desk).nodes().nodes())
        if (n.ip == ip && n.replied) return true;
    }
    return false;
  }

  ConsoleDialogs dialogs;
  std::unique_ptr<Desk> desk;
  std::unique_ptr<Console> console;
};

TEST_F(HealthNetns, PollListsTheOtherNodeAndFlagsTheFightOverTheDesksUniverse) {
  // The desk sends universe 3, as the other node does.
  ASSERT_EQ(cmd("click Hoofdblad.Art_setup"), "ok");
  ASSERT_EQ(desk->state.ArtNetReady, -1);
  ASSERT_EQ(cmd("click Art_Config.Button1(3)"), "ok");
  ASSERT_EQ(cmd("click Health.Poll"), "ok");
  EXPECT_EQ(cmd("get Health.Poll_Text"), "ok \"ArtPoll sent to 10.255.255.255; replies are listed as they come\"");
  ASSERT_TRUE(waitForNode("10.0.0.6", 5000)) << cmd("get ArtNet.Nodes");
  run(500);

  // Only the other node: the desk hears its own poll, reply and ArtDmx too.
  const std::string nodes = cmd("get ArtNet.Nodes");
  EXPECT_EQ(nodes.find("10.0.0.5"), std::string::npos) << nodes;
  const auto& list = ArtNet(*desk).nodes().nodes();
  ASSERT_EQ(list.size(), 1u) << nodes;
  EXPECT_EQ(list[0].ip, "10.0.0.6");
  EXPECT_EQ(list[0].shortName, "Rival Desk");
  EXPECT_EQ(list[0].longName, "Rival desk in the test namespace");
  EXPECT_EQ(list[0].universes(), std::vector<uint16_t>{7});
  EXPECT_EQ(list[0].sendingNow(desk->scheduler().now()), std::vector<uint16_t>{3});
  EXPECT_NE(nodes.find("\"ip\":\"10.0.0.6\",\"shortName\":\"Rival Desk\",\"longName\":\"Rival desk in the test "
                       "namespace\",\"universes\":[7],\"sending\":[3],\"lastSeenMs\":"),
            std::string::npos)
      << nodes;

  EXPECT_EQ(cmd("get ArtNet.Conflicts"),
            "ok [\"10.0.0.6 (Rival Desk) also sends universe 3: two sources fight over it\","
            "\"10.0.0.6 (Rival Desk) wants universe 7, which nobody sends\"]");
  run(1000);
  EXPECT_EQ(cmd("get Health.Status"), "ok \"warning\"");
  ASSERT_EQ(cmd("show Health"), "ok");
  Health& h = *desk->owned<Health>();
  ASSERT_EQ(h.Nodes_List.ListCount(), 1);
  EXPECT_EQ(h.Nodes_List.List(0).rfind("10.0.0.6\tRival Desk\tRival desk in the test namespace\t7\t3\t", 0), 0u)
      << h.Nodes_List.List(0);
  EXPECT_EQ(h.Conflict_List.ListCount(), 2);

  // The desk stops sending universe 3: the other node alone feeds it.
  ASSERT_EQ(cmd("click Art_Config.Button1(3)"), "ok");
  run(1200);
  EXPECT_EQ(cmd("get ArtNet.Conflicts"), "ok [\"10.0.0.6 (Rival Desk) wants universe 7, which nobody sends\"]");
}

}  // namespace
}  // namespace lumora
