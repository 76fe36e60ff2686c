// The console as a separate process, as scripts and show control drive it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Runs lumora with the given options and input; returns stdout lines.
std::vector<std::string> runLumora(const std::string& opts, const std::string& input, int* status = nullptr) {
  char inName[] = "/tmp/lumora-in-XXXXXX";
  int fd = mkstemp(inName);
  EXPECT_GE(fd, 0);
  {
    std::ofstream f(inName);
    f << input;
  }
  close(fd);
  std::string command = std::string(LUMORA_BIN) + " " + opts + " < " + inName + " 2>/dev/null";
  FILE* p = popen(command.c_str(), "r");
  std::vector<std::string> lines;
  char buf[65536];
  std::string acc;
  while (fgets(buf, sizeof buf, p)) acc += buf;
  int st = pclose(p);
  if (status) *status = st;
  unlink(inName);
  std::istringstream ss(acc);
  std::string l;
  while (std::getline(ss, l)) lines.push_back(l);
  return lines;
}

TEST(ConsoleProcess, SetTickGetThroughTheFrame) {
  auto out = runLumora("--headless --console --manual-clock",
                       "set DeskLevels(0) 200\ntick\nget DmxFrame(0)\nget Hoofdblad.Status\n");
  ASSERT_EQ(out.size(), 4u);
  EXPECT_EQ(out[0], "ok");
  EXPECT_EQ(out[1], "ok");
  EXPECT_EQ(out[2], "ok 200");
  EXPECT_EQ(out[3], "ok \" Main Desk Running \"");
}

TEST(ConsoleProcess, EndOfInputEndsTheProgramAnsweringDefaults) {
  int st = -1;
  auto out = runLumora("--headless --console --manual-clock", "set ProjectChanged -1\n", &st);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0], "ok");
  EXPECT_NE(out[1].find("\"answer\":\"cancel\""), std::string::npos);
  EXPECT_EQ(st, 0);
}

TEST(ConsoleProcess, QuitEndsAtOnceAndLaterLinesAreNotRead) {
  auto out = runLumora("--headless --console --manual-clock", "quit\nget DmxFrame(0)\n");
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0], "ok");
}

TEST(ConsoleProcess, RealTimeClockRunsTheTickByItself) {
  // Without --manual-clock the output tick fires on its own; a burst of
  // commands is answered in order and the frame follows the level.
  std::string in = "set DeskLevels(0) 123\n";
  for (int i = 0; i < 40; ++i) in += "get AdapterType\n";
  in += "get DmxFrame(0)\n";
  auto out = runLumora("--headless --console", in);
  ASSERT_EQ(out.size(), 42u);
  EXPECT_EQ(out[0], "ok");
  EXPECT_EQ(out[1], "ok 0");
}

TEST(ConsoleProcess, UnknownOptionIsRefused) {
  int st = 0;
  runLumora("--frobnicate", "", &st);
  EXPECT_NE(st, 0);
}

}  // namespace
