// A started desk on a manual clock with scripted dialogs and the console,
// shared by the desk's tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/console.h"
#include "app/desk.h"

namespace lumora::testing {

class DeskTest : public ::testing::Test {
 protected:
  explicit DeskTest(bool sim = true) {
    DeskOptions o;
    o.manualClock = true;
    o.sim = sim;
    restart(o);
  }

  // A fresh desk with these options (the next run of the program).
  void restart(const DeskOptions& o) {
    console.reset();
    desk.reset();
    desk = std::make_unique<Desk>(o, dialogs);
    console = std::make_unique<Console>(*desk, dialogs);
    desk->Start();
    dialogs.takeEvents();
  }

  // Runs a console command; returns its final line (events are kept in
  // lastEvents).
  std::string cmd(const std::string& line) {
    auto out = console->execute(line);
    lastEvents.assign(out.begin(), out.end() - 1);
    return out.back();
  }
  // The value of `get ADDRESS` as JSON text; fails the test on err.
  std::string get(const std::string& addr) {
    std::string r = cmd("get " + addr);
    EXPECT_EQ(r.rfind("ok ", 0), 0u) << addr << ": " << r;
    return r.size() > 3 ? r.substr(3) : r;
  }
  void tick() { cmd("tick"); }

  DeskState& S() { return desk->state; }

  ConsoleDialogs dialogs;
  std::unique_ptr<Desk> desk;
  std::unique_ptr<Console> console;
  std::vector<std::string> lastEvents;
};

}  // namespace lumora::testing
