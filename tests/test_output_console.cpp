// The output adapters through the program's own console with --sim, as a
// show-control script would drive them.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> RunSim(const std::string& input) {
  char inName[] = "/tmp/lumora-out-XXXXXX";
  const int fd = mkstemp(inName);
  EXPECT_GE(fd, 0);
  {
    std::ofstream f(inName);
    f << input;
  }
  close(fd);
  const std::string command =
      std::string(LUMORA_BIN) + " --headless --console --manual-clock --sim < " + inName + " 2>/dev/null";
  FILE* p = popen(command.c_str(), "r");
  std::string acc;
  char buf[65536];
  while (p && fgets(buf, sizeof buf, p)) acc += buf;
  if (p) pclose(p);
  unlink(inName);
  std::vector<std::string> lines;
  std::istringstream ss(acc);
  for (std::string l; std::getline(ss, l);) lines.push_back(l);
  return lines;
}

TEST(OutputConsole, UsbAdapterSelectUnplugReplugAndTheFrameOnTheLine) {
  const auto out = RunSim(
      "show Portsetup\n"
      "set Portsetup.Combo1 3\n"
      "get Portsetup.Text2\n"
      "click Portsetup.Command2\n"
      "set DeskLevels(1) 77\n"
      "tick\n"
      "get Sim.Ftdi.Calls\n"
      "tick\n"
      "get Sim.Ftdi.Calls\n"
      "sim ftdi present 0\n"
      "tick\n"
      "get Hoofdblad.Status\n"
      "sim ftdi present 1\n"
      "tick\n"
      "get Playdesk.Status\n"
      "get Sim.Ftdi.LastFrame\n"
      "get Sim.Ftdi.Frames\n");
  ASSERT_EQ(out.size(), 17u);
  EXPECT_EQ(out[2], "ok \"Connected\"");
  EXPECT_EQ(out[8], "ok [\"FT_SetBreakOn\",\"FT_SetBreakOff\",\"FT_Write\",\"FT_Write\"]");
  EXPECT_EQ(out[11], "ok \" Open USB Searching\"");
  EXPECT_EQ(out[14], "ok \" Open USB Connected\"");
  EXPECT_EQ(out[15].rfind("ok [0,0,77,0,", 0), 0u) << out[15].substr(0, 40);
  EXPECT_EQ(out[16], "ok 3");
}

TEST(OutputConsole, LostAdaptersReportThroughMessageBoxLines) {
  // A corvex library that cannot be loaded (one without its device takes
  // every frame and reports nothing).
  const auto all = RunSim("sim corvex library 0\nset AdapterType 5\ntick\nget AdapterType\nset AdapterType 2\ntick\n");
  ASSERT_EQ(all.size(), 9u);
  ASSERT_EQ(all[0], "ok");
  const std::vector<std::string> out(all.begin() + 1, all.end());
  EXPECT_EQ(out[1].rfind("msgbox {\"title\":\" DMX ERROR\",\"text\":\" USB DMX Adapter Not Connected or Not Responding\"", 0), 0u) << out[1];
  EXPECT_EQ(out[3], "ok 0");
  EXPECT_EQ(out[5].rfind("msgbox {\"title\":\" DMX ERROR\",\"text\":\" 3-1 DMX Adapter", 0), 0u) << out[5];
  EXPECT_EQ(out[6].rfind("msgbox ", 0), 0u);  // both library calls fail: told twice
  EXPECT_EQ(out[7], "ok");
}

}  // namespace
