// The desk's sACN output over the loop-back socket twin, on the manual
// clock: the console's table, the setup window, the project section, the
// source's identity and the streams' start, move and end.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/desk.h"
#include "desk/hoofdblad.h"
#include "output/output_wire.h"
#include "output/sacn_config.h"
#include "output/sacn_output.h"
#include "project/project_format.h"
#include "project/project_menus.h"
#include "tests/desk_fixture.h"
#include "tests/support/file_text.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using sacn::DataFields;

class SacnDesk : public testing::DeskTest {
 protected:
  SacnDesk() { attachTwin(); }
  void attachTwin() {
    auto s = std::make_unique<FakeSacnSocket>();
    sock = s.get();
    SacnOutput::Of(*desk)->setSocket(std::move(s));
  }
  // Every packet sent since the last call, parsed; their destinations in `dest`.
  std::vector<DataFields> take() {
    std::vector<DataFields> out;
    dest.clear();
    for (const auto& s : sock->sent) {
      std::string why;
      auto f = sacn::ParseDataPacket(s.data.data(), s.data.size(), &why);
      EXPECT_TRUE(f) << why;
      EXPECT_EQ(s.port, 5568);
      if (!f) continue;
      out.push_back(*f);
      dest.push_back(sacn::AddressText(s.ipv4));
    }
    sock->sent.clear();
    return out;
  }
  static int Count(const std::vector<DataFields>& v, uint16_t universe, bool terminated) {
    int n = 0;
    for (const auto& f : v)
      n += f.universe == universe && ((f.options & sacn::kOptionTerminated) != 0) == terminated ? 1 : 0;
    return n;
  }
  std::string err(const std::string& line) {
    std::string r = cmd(line);
    EXPECT_EQ(r.rfind("err ", 0), 0u) << line << ": " << r;
    return r.size() > 4 ? r.substr(4) : r;
  }

  FakeSacnSocket* sock = nullptr;
  std::vector<std::string> dest;
};

TEST_F(SacnDesk, ConsoleTableStartsMovesAndStopsTheSenderAtOnce) {
  EXPECT_EQ(get("SacnPorts(0)"), "{\"Enabled\":0,\"Universe\":1,\"Priority\":100,\"Unicast\":\"\"}");
  EXPECT_EQ(get("SacnPorts(7).Universe"), "8");
  EXPECT_FALSE(sock->open);
  ASSERT_EQ(cmd("set Hoofdblad.Timer1.Enabled false"), "ok");
  S().DmxFrame[0] = 17;
  S().DmxFrame[511] = 255;

  ASSERT_EQ(cmd("set SacnPorts(0).Universe 5"), "ok");
  EXPECT_TRUE(take().empty());  // not enabled yet
  ASSERT_EQ(cmd("set SacnPorts(0).Enabled true"), "ok");
  EXPECT_EQ(get("SacnPorts(0).Enabled"), "-1");
  EXPECT_TRUE(sock->open);
  auto got = take();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(dest[0], "239.255.0.5");
  EXPECT_EQ(got[0].universe, 5);
  EXPECT_EQ(got[0].priority, 100);
  EXPECT_EQ(got[0].options, 0);
  EXPECT_EQ(got[0].slots[0], 17);
  EXPECT_EQ(got[0].slots[511], 255);
  EXPECT_EQ(got[0].sourceName, get("Sacn.SourceName").substr(1, got[0].sourceName.size()));
  EXPECT_EQ("\"" + sacn::CidText(got[0].cid) + "\"", get("Sacn.Cid"));
  EXPECT_EQ(get("Sacn.Status"), "\"Sending 1 universe from the automatic interface\"");

  ASSERT_EQ(cmd("set SacnPorts(0).Priority 180"), "ok");
  got = take();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].priority, 180);

  ASSERT_EQ(cmd("set SacnPorts(0).Unicast \"10.0.0.7\""), "ok");
  got = take();  // a new destination is a new stream: the old one ends
  EXPECT_EQ(Count(got, 5, true), 3);
  EXPECT_EQ(Count(got, 5, false), 2);
  EXPECT_EQ(dest.back(), "10.0.0.7");
  EXPECT_EQ(dest[dest.size() - 2], "239.255.0.5");

  ASSERT_EQ(cmd("set SacnPorts(0).Universe 6"), "ok");
  got = take();
  EXPECT_EQ(Count(got, 5, true), 6);  // three each to the group and to 10.0.0.7
  EXPECT_EQ(Count(got, 6, false), 2);
  const uint8_t seqBefore = got.back().sequence;

  ASSERT_EQ(cmd("set SacnPorts(0).Enabled false"), "ok");
  got = take();
  ASSERT_EQ(Count(got, 6, true), 6);
  EXPECT_EQ(got.size(), 6u);
  EXPECT_EQ(got[0].sequence, static_cast<uint8_t>(seqBefore + 1));
  EXPECT_EQ(get("Sacn.Status"), "\"Off\"");
  tick();
  EXPECT_TRUE(take().empty());
  EXPECT_EQ(S().ProjectChanged, -1);
}

TEST_F(SacnDesk, BadSettingsAreRefusedWithClearMessagesAndChangeNothing) {
  EXPECT_EQ(err("set SacnPorts(2).Universe 0"), "the universe must be a whole number from 1 to 63999 (0 is not)");
  EXPECT_EQ(err("set SacnPorts(2).Universe 64000"),
            "the universe must be a whole number from 1 to 63999 (64000 is not)");
  EXPECT_EQ(err("set SacnPorts(2).Universe 2.5"), "expected a whole number");
  EXPECT_EQ(err("set SacnPorts(2).Priority 201"), "the priority must be a whole number from 0 to 200 (201 is not)");
  EXPECT_EQ(err("set SacnPorts(2).Priority -1"), "the priority must be a whole number from 0 to 200 (-1 is not)");
  for (const char* bad : {"10.0.0", "10.0.0.256", "::1", "lights.local", "10.0.0.7 "})
    EXPECT_EQ(err(std::string("set SacnPorts(2).Unicast \"") + bad + "\""),
              std::string("'") + bad +
                  "' is not an IPv4 address (four numbers from 0 to 255 with dots between, like 10.0.0.7)")
        << bad;
  EXPECT_NE(err("set Sacn.Interface \"eth0\"").find("is not an IPv4 address"), std::string::npos);
  EXPECT_EQ(err("set SacnPorts(8).Universe 3").rfind("bad index", 0), 0u);
  EXPECT_EQ(err("set Sacn.Cid \"x\""), "read-only");
  EXPECT_EQ(get("SacnPorts(2)"), "{\"Enabled\":0,\"Universe\":3,\"Priority\":100,\"Unicast\":\"\"}");
  EXPECT_EQ(S().ProjectChanged, 0);

  // One universe goes out once: a second output of it is refused.
  ASSERT_EQ(cmd("set SacnPorts(0).Enabled 1"), "ok");
  ASSERT_EQ(cmd("set SacnPorts(1).Universe 1"), "ok");  // an output that is off may name it
  EXPECT_EQ(err("set SacnPorts(1).Enabled 1"), "universe 1 is already sent by output 0");
  EXPECT_EQ(get("SacnPorts(1).Enabled"), "0");
  ASSERT_EQ(cmd("set SacnPorts(1).Universe 2"), "ok");
  ASSERT_EQ(cmd("set SacnPorts(1).Enabled 1"), "ok");
  EXPECT_EQ(err("set SacnPorts(0).Universe 2"), "universe 2 is already sent by output 1");
  EXPECT_EQ(get("SacnPorts(0).Universe"), "1");

  // An interface the twin cannot open is refused; the old one stays.
  sock->openError = "Cannot assign requested address";
  EXPECT_EQ(err("set Sacn.Interface \"10.9.9.9\""),
            "sACN cannot send from 10.9.9.9 (Cannot assign requested address)");
  EXPECT_EQ(get("Sacn.Interface"), "\"\"");
}

TEST_F(SacnDesk, UnchangedFrameKeepsAliveAndExitEndsEveryStream) {
  ASSERT_EQ(cmd("set SacnPorts(3).Enabled true"), "ok");
  ASSERT_EQ(cmd("set SacnPorts(5).Enabled true"), "ok");
  take();
  // Two seconds of output ticks (70 ms) with the frame unchanged: the
  // repeats, then a keep-alive about every 900 ms on each universe.
  ASSERT_EQ(cmd("advance 2000"), "ok");
  auto got = take();
  EXPECT_GE(Count(got, 4, false), 4);
  EXPECT_LE(Count(got, 4, false), 6);
  EXPECT_EQ(Count(got, 4, false), Count(got, 6, false));
  ASSERT_EQ(cmd("set DeskLevels(0) 200"), "ok");
  ASSERT_EQ(cmd("advance 70"), "ok");
  EXPECT_GE(Count(take(), 4, false), 1);  // a change goes with the next tick

  ASSERT_EQ(cmd("queue answer ok"), "ok");  // leave the unsaved outputs
  ASSERT_EQ(cmd("click Hoofdblad.eruit"), "ok");
  ASSERT_TRUE(desk->ended());
  got = take();
  EXPECT_EQ(Count(got, 4, true), 3);
  EXPECT_EQ(Count(got, 6, true), 3);
  EXPECT_EQ(got.size(), 6u);
}

TEST_F(SacnDesk, SetupWindowShowsTheOutputsAndStoresOnlySoundRows) {
  ASSERT_EQ(cmd("click Hoofdblad.sacn_setup"), "ok");
  EXPECT_EQ(get("Hoofdblad.sacn_setup.Caption"), "\"sACN...\"");
  EXPECT_EQ(get("Sacn_Config.Visible"), "true");
  EXPECT_EQ(get("Sacn_Config.Caption"), "\"sACN Output\"");
  for (int i = 0; i < 8; ++i) {
    const std::string n = std::to_string(i);
    EXPECT_EQ(get("Sacn_Config.txtUniverse(" + n + ")"), "\"" + std::to_string(i + 1) + "\"");
    EXPECT_EQ(get("Sacn_Config.txtPriority(" + n + ")"), "\"100\"");
    EXPECT_EQ(get("Sacn_Config.lblGroup(" + n + ")"), "\"239.255.0." + std::to_string(i + 1) + "\"");
  }
  EXPECT_EQ(get("Sacn_Config.cboInterface"), "\"Automatic\"");
  EXPECT_NE(get("Sacn_Config.lblSource").find("Source: Lumora on "), std::string::npos);

  // The group follows the universe as it is typed.
  ASSERT_EQ(cmd("set Sacn_Config.txtUniverse(2) \"1000\""), "ok");
  EXPECT_EQ(get("Sacn_Config.lblGroup(2)"), "\"239.255.3.232\"");
  ASSERT_EQ(cmd("set Sacn_Config.txtUniverse(2) \"70000\""), "ok");
  EXPECT_EQ(get("Sacn_Config.lblGroup(2)"), "\"-\"");

  struct Bad {
    const char* control;
    const char* value;
    const char* message;
  };
  const Bad bad[] = {
      {"txtUniverse(2)", "70000", " Output 3: the universe must be a whole number from 1 to 63999."},
      {"txtUniverse(2)", "0", " Output 3: the universe must be a whole number from 1 to 63999."},
      {"txtPriority(4)", "201", " Output 5: the priority must be a whole number from 0 to 200."},
      {"txtPriority(4)", "high", " Output 5: the priority must be a whole number from 0 to 200."},
      {"txtUnicast(6)", "10.0.0.300",
       " Output 7: the unicast address '10.0.0.300' is not an IPv4 address (four numbers from 0 to 255 with dots "
       "between, like 10.0.0.7)."},
  };
  for (const Bad& b : bad) {
    ASSERT_EQ(cmd("click Sacn_Config.cmdCancel"), "ok");
    ASSERT_EQ(cmd("click Hoofdblad.sacn_setup"), "ok");
    ASSERT_EQ(cmd(std::string("set Sacn_Config.") + b.control + " \"" + b.value + "\""), "ok");
    ASSERT_EQ(cmd("click Sacn_Config.cmdOK"), "ok");
    ASSERT_EQ(lastEvents.size(), 1u) << b.control;
    EXPECT_NE(lastEvents[0].find(std::string("\"text\":\"") + b.message + "\""), std::string::npos) << lastEvents[0];
    EXPECT_NE(lastEvents[0].find("\"title\":\" sACN Output\""), std::string::npos);
    EXPECT_EQ(get("Sacn_Config.Visible"), "true");  // the edits stay for mending
  }
  ASSERT_EQ(cmd("click Sacn_Config.cmdCancel"), "ok");
  ASSERT_EQ(cmd("click Hoofdblad.sacn_setup"), "ok");
  ASSERT_EQ(cmd("set Sacn_Config.chkSend(0) 1"), "ok");
  ASSERT_EQ(cmd("set Sacn_Config.chkSend(1) 1"), "ok");
  ASSERT_EQ(cmd("set Sacn_Config.txtUniverse(1) \"1\""), "ok");
  ASSERT_EQ(cmd("click Sacn_Config.cmdOK"), "ok");
  ASSERT_EQ(lastEvents.size(), 1u);
  EXPECT_NE(lastEvents[0].find(" Output 2: universe 1 is already sent by output 1."), std::string::npos);
  EXPECT_EQ(S().SacnPorts[0].Enabled, 0);  // nothing was stored
  EXPECT_FALSE(sock->open);

  ASSERT_EQ(cmd("set Sacn_Config.txtUniverse(1) \"300\""), "ok");
  ASSERT_EQ(cmd("set Sacn_Config.txtPriority(1) \" 0 \""), "ok");
  ASSERT_EQ(cmd("set Sacn_Config.txtUnicast(1) \"10.0.0.8\""), "ok");
  ASSERT_EQ(cmd("click Sacn_Config.cmdOK"), "ok");
  EXPECT_TRUE(lastEvents.empty());
  EXPECT_EQ(get("Sacn_Config.Visible"), "false");
  EXPECT_EQ(get("SacnPorts(1)"), "{\"Enabled\":-1,\"Universe\":300,\"Priority\":0,\"Unicast\":\"10.0.0.8\"}");
  EXPECT_EQ(S().ProjectChanged, -1);
  auto got = take();
  EXPECT_EQ(Count(got, 1, false), 1);
  EXPECT_EQ(Count(got, 300, false), 2);
}

TEST_F(SacnDesk, ProjectFileKeepsTheOutputsInASectionOfItsOwn) {
  ASSERT_EQ(cmd("set SacnPorts(0).Universe 12"), "ok");
  ASSERT_EQ(cmd("set SacnPorts(0).Enabled true"), "ok");
  ASSERT_EQ(cmd("set SacnPorts(4).Priority 7"), "ok");
  ASSERT_EQ(cmd("set SacnPorts(4).Unicast \"10.1.2.3\""), "ok");
  S().SacnInterface = "10.0.0.5";
  const std::string text = WriteWholeProject(S(), "08/12/2026");
  const std::string section =
      "\t<Sacn>\r"
      "\t\t<Interface>10.0.0.5</Interface>\r"
      "\t\t<Output>\r\t\t\t<Port>0</Port>\r\t\t\t<Enabled>1</Enabled>\r\t\t\t<Universe>12</Universe>\r"
      "\t\t\t<Priority>100</Priority>\r\t\t</Output>\r"
      "\t\t<Output>\r\t\t\t<Port>4</Port>\r\t\t\t<Universe>5</Universe>\r\t\t\t<Priority>7</Priority>\r"
      "\t\t\t<Unicast>10.1.2.3</Unicast>\r\t\t</Output>\r"
      "\t</Sacn>\r"
      "</Lumora_XML>\r\r\n";
  ASSERT_GE(text.size(), section.size());
  EXPECT_EQ(text.substr(text.size() - section.size()), section);

  // A desk at its defaults writes no section: its files are as before.
  DeskState plain;
  DeskInitTables(plain);
  EXPECT_EQ(WriteWholeProject(plain, "08/12/2026").find("Sacn"), std::string::npos);

  // Read back into a fresh desk: the outputs, and they send at once.
  const fs::path file = fs::temp_directory_path() / ("lumora-sacn-" + std::to_string(getpid()) + ".xml");
  testing::Spit(file, text);
  DeskOptions again;
  again.manualClock = true;
  again.sim = true;
  restart(again);
  attachTwin();
  ASSERT_EQ(LoadProject(*desk, file.string(), true), "");
  fs::remove(file);
  EXPECT_EQ(get("SacnPorts(0)"), "{\"Enabled\":-1,\"Universe\":12,\"Priority\":100,\"Unicast\":\"\"}");
  EXPECT_EQ(get("SacnPorts(4)"), "{\"Enabled\":0,\"Universe\":5,\"Priority\":7,\"Unicast\":\"10.1.2.3\"}");
  EXPECT_EQ(get("Sacn.Interface"), "\"10.0.0.5\"");
  EXPECT_EQ(sock->iface, "10.0.0.5");
  EXPECT_EQ(Count(take(), 12, false), 1);
}

// The section must not change what the reader makes of the rest of the
// file, so a desk that does not know it loads such a file as before.
TEST_F(SacnDesk, SectionLeavesTheRestOfTheFileReadAsBefore) {
  DeskState s;
  DeskInitTables(s);
  s.ProjectName = "Show";
  s.ArtPorts[2].Enabled = -1;
  s.ArtPorts[2].Universe = 2;
  s.PatchTable[0] = 1;
  s.Pages[1].Name = "Page";
  s.Screens[3].Name = "Cue";
  s.ScreenCount = 3;
  s.Submixes[0].Name = "Front";
  s.SacnPorts[1].Enabled = -1;
  s.SacnPorts[1].Unicast = "10.0.0.9";
  const std::string with = WriteWholeProject(s, "08/12/2026");
  const std::size_t at = with.find("\t<Sacn>\r");
  ASSERT_NE(at, std::string::npos);
  const std::string without = with.substr(0, at) + with.substr(with.find("\t</Sacn>\r") + 9);
  EXPECT_EQ(without.find("Sacn"), std::string::npos);

  DeskState a, b;
  DeskInitTables(a);
  DeskInitTables(b);
  const ReadReport ra = ReadProjectText(a, with);
  const ReadReport rb = ReadProjectText(b, without);
  EXPECT_TRUE(ra.sacn);
  EXPECT_FALSE(rb.sacn);
  EXPECT_EQ(ra.network, rb.network);
  EXPECT_EQ(ra.records, rb.records + 1);
  EXPECT_EQ(ra.skipped, rb.skipped);
  // Everything but the sACN settings is the same either way.
  b.SacnPorts = a.SacnPorts;
  b.SacnInterface = a.SacnInterface;
  EXPECT_EQ(WriteWholeProject(a, "08/12/2026"), WriteWholeProject(b, "08/12/2026"));
  EXPECT_EQ(a.ProjectName, "Show");
  EXPECT_EQ(a.SacnPorts[1].Unicast, "10.0.0.9");

  // A file without the section leaves the desk's outputs as they were.
  DeskState c;
  DeskInitTables(c);
  c.SacnPorts[3].Priority = 42;
  ReadProjectText(c, without);
  EXPECT_EQ(c.SacnPorts[3].Priority, 42);
}

TEST_F(SacnDesk, BadOutputsInAFileAreSkippedAndTheRestRead) {
  const std::string text =
      "<Lumora_XML>\r\t<Sacn>\r\t\t<Interface>not-an-address</Interface>\r"
      "\t\t<Output><Port>9</Port><Universe>1</Universe><Priority>1</Priority></Output>\r"
      "\t\t<Output><Port>1</Port><Universe>0</Universe><Priority>1</Priority></Output>\r"
      "\t\t<Output><Port>2</Port><Universe>4</Universe><Priority>250</Priority></Output>\r"
      "\t\t<Output><Port>3</Port><Universe>4</Universe><Priority>9</Priority><Unicast>x</Unicast></Output>\r"
      "\t\t<Output><Port>4</Port><Enabled>1</Enabled><Universe>44</Universe><Priority>9</Priority></Output>\r"
      "\t\t<Output><Port>5</Port><Enabled>1</Enabled><Universe>44</Universe><Priority>9</Priority></Output>\r"
      "\t\t<Output><Port>6</Port><Universe>2.5</Universe><Priority>9</Priority></Output>\r"
      "\t</Sacn>\r</Lumora_XML>\r";
  DeskState s;
  DeskInitTables(s);
  s.SacnPorts[0].Enabled = -1;
  const ReadReport r = ReadProjectText(s, text);
  EXPECT_TRUE(r.sacn);
  EXPECT_EQ(r.skipped, 5);
  EXPECT_EQ(s.SacnInterface, "");
  EXPECT_EQ(s.SacnPorts[0].Enabled, 0);  // not in the file: back to its defaults
  EXPECT_EQ(s.SacnPorts[4].Enabled, -1);
  EXPECT_EQ(s.SacnPorts[4].Universe, 44);
  EXPECT_EQ(s.SacnPorts[5].Universe, 44);
  EXPECT_EQ(s.SacnPorts[5].Enabled, 0);  // a second output of universe 44 stays off
  EXPECT_EQ(s.SacnPorts[6].Universe, 7);
}

TEST(SacnSource, CidIsMadeOnceAndKeptWithTheUserSettings) {
  const fs::path dir = fs::temp_directory_path() / ("lumora-sacn-cid-" + std::to_string(getpid()));
  fs::remove_all(dir);
  ConsoleDialogs dialogs;
  auto cidOf = [&](const fs::path& folder) {
    DeskOptions o;
    o.manualClock = true;
    o.sim = true;
    o.configFolder = folder.string();
    Desk d(o, dialogs);
    return SacnOutput::Of(d)->cidText();
  };
  const std::string first = cidOf(dir / "a");
  ASSERT_TRUE(sacn::ParseCid(first));
  EXPECT_NE(testing::Slurp(dir / "a" / "settings.conf").find("sacn_cid=" + first + "\n"), std::string::npos);
  EXPECT_EQ(cidOf(dir / "a"), first);   // the next run of the desk
  EXPECT_NE(cidOf(dir / "b"), first);   // another user
  // A name of the user's own replaces the default.
  {
    DeskOptions o;
    o.manualClock = true;
    o.configFolder = (dir / "a").string();
    Desk d(o, dialogs);
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    EXPECT_EQ(SacnOutput::Of(d)->sourceName(), std::string("Lumora on ") + host);
  }
  testing::Spit(dir / "a" / "settings.conf", testing::Slurp(dir / "a" / "settings.conf") + "sacn_source_name=Booth\n");
  {
    DeskOptions o;
    o.manualClock = true;
    o.configFolder = (dir / "a").string();
    Desk d(o, dialogs);
    EXPECT_EQ(SacnOutput::Of(d)->sourceName(), "Booth");
    EXPECT_EQ(SacnOutput::Of(d)->cidText(), first);
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace lumora
