// Fixture files: golden bytes, round trips, the header check, "single" vs
// any other second line, number lines, and bad files refused whole.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "desk_fixture.h"
#include "sequences/chases_form.h"
#include "sequences/fixture_file.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream b;
  b << in.rdbuf();
  return b.str();
}
void WriteAll(const fs::path& p, const std::string& t) {
  std::ofstream out(p, std::ios::binary);
  out << t;
}
std::vector<std::string> SplitCrLf(const std::string& t) {
  std::vector<std::string> v;
  std::size_t b = 0;
  while (b < t.size()) {
    auto e = t.find("\r\n", b);
    if (e == std::string::npos) {
      v.push_back(t.substr(b));
      break;
    }
    v.push_back(t.substr(b, e - b));
    b = e + 2;
  }
  return v;
}
std::string Join(const std::vector<std::string>& v) {
  std::string t;
  for (auto& l : v) t += l + "\r\n";
  return t;
}

class FixtureFile : public testing::DeskTest {
 protected:
  FixtureFile() {
    dir = fs::temp_directory_path() / ("lumora_fxt_" + std::to_string(::getpid()) + "_" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
    EXPECT_EQ(cmd("show Chases"), "ok");
  }
  ~FixtureFile() override { fs::remove_all(dir); }
  // A recognisable fixture in slot fx.
  void Fill(int fx, const std::string& name) {
    const auto x = static_cast<std::size_t>(fx);
    S().FixtureName[x] = name;
    for (std::size_t f = 0; f < 6; ++f) S().FixtureFunctionName[x][f] = name + " fn" + std::to_string(f);
    for (std::size_t f = 0; f < 4; ++f)
      for (std::size_t k = 0; k < 21; ++k) {
        S().FixtureButtonText[x][f][k] = "b" + std::to_string(f * 100 + k);
        S().FixtureLow[x][f][k] = static_cast<int16_t>(fx + k - 3);
        S().FixtureHigh[x][f][k] = static_cast<int16_t>(k % 2);
        S().FixtureColour[x][f][k] = std::to_string(fx * 1000 + k);
      }
  }
  std::string load(const fs::path& p) {
    cmd("queue file " + p.string());
    return cmd("click Chases.Load_Fixture");
  }
  std::string save(const fs::path& p, bool single) {
    cmd("queue file " + p.string());
    return cmd(single ? "click Chases.Save_Fixture_Single" : "click Chases.Save_Fixture_All");
  }
  fs::path dir;
};

TEST(FixtureNumbers, NumberLinesCarryOneBlankEachSideOrAMinus) {
  EXPECT_EQ(FixtureNumberLine(5), " 5 ");
  EXPECT_EQ(FixtureNumberLine(0), " 0 ");
  EXPECT_EQ(FixtureNumberLine(-3), "-3 ");
  EXPECT_EQ(FixtureNumberLine(255), " 255 ");
}

TEST_F(FixtureFile, SingleFileGoldenLayout) {
  S().SelectedFixture = 2;
  const auto x = 2;
  S().FixtureName[x] = "";
  S().FixtureFunctionName[x][0] = "Colour";
  S().FixtureButtonText[x][0][0] = "Red";
  S().FixtureLow[x][0][0] = 5;
  S().FixtureHigh[x][0][0] = 1;
  S().FixtureColour[x][0][0] = "255";
  S().FixtureLow[x][0][1] = -3;
  S().FixtureColour[x][3][20] = "-2147483633";
  ASSERT_EQ(save(dir / "one", true), "ok");
  const std::string t = ReadAll(dir / "one.FXT");  // default extension added
  const auto lines = SplitCrLf(t);
  ASSERT_EQ(lines.size(), 345u);
  EXPECT_EQ(t.substr(0, 22), "DMXFIXTUREV2\r\nsingle\r\n");
  EXPECT_EQ(lines[2], "");  // empty name
  EXPECT_EQ(lines[3], "Colour");
  EXPECT_EQ(lines[9], "Red");
  EXPECT_EQ(lines[10], " 5 ");
  EXPECT_EQ(lines[11], " 1 ");
  EXPECT_EQ(lines[12], "255");
  EXPECT_EQ(lines[14], "-3 ");
  EXPECT_EQ(lines[344], "-2147483633");
  // Every line ends in CR LF, nothing else.
  EXPECT_EQ(t.size() >= 2 ? t.substr(t.size() - 2) : "", "\r\n");
  std::size_t lf = 0, crlf = 0;
  for (std::size_t i = 0; i < t.size(); ++i)
    if (t[i] == '\n') {
      ++lf;
      if (i > 0 && t[i - 1] == '\r') ++crlf;
    }
  EXPECT_EQ(lf, 345u);
  EXPECT_EQ(crlf, 345u);
  // Loading it back into another slot gives the same block.
  S().SelectedFixture = 7;
  ASSERT_EQ(load(dir / "one.FXT"), "ok");
  EXPECT_EQ(S().FixtureName[7], "");
  EXPECT_EQ(S().FixtureLow[7][0][1], -3);
  EXPECT_EQ(S().FixtureButtonText[7][0][0], "Red");
  EXPECT_EQ(S().FixtureColour[7][3][20], "-2147483633");
}

TEST_F(FixtureFile, SaveAllThenLoadRestoresTwentyTypesByteExactAndLeavesTypeTwenty) {
  for (int fx = 0; fx < 21; ++fx) Fill(fx, "Fix" + std::to_string(fx));
  ASSERT_EQ(save(dir / "all.FXT", false), "ok");
  const std::string saved = ReadAll(dir / "all.FXT");
  EXPECT_EQ(SplitCrLf(saved).size(), 6862u);
  EXPECT_EQ(SplitCrLf(saved)[1], "all");
  const auto before = TakeFixtures(S());
  ClearFixtures(S());
  S().FixtureName[20] = "keep me";
  ASSERT_EQ(load(dir / "all.FXT"), "ok");
  for (int fx = 0; fx < 20; ++fx) EXPECT_EQ(S().FixtureName[fx], before.Name[fx]);
  for (int fx = 0; fx < 20; ++fx) {
    EXPECT_TRUE(S().FixtureLow[fx] == before.Low[fx]);
    EXPECT_TRUE(S().FixtureColour[fx] == before.Colour[fx]);
  }
  EXPECT_EQ(S().FixtureName[20], "keep me");
  ASSERT_EQ(save(dir / "again.FXT", false), "ok");
  EXPECT_EQ(ReadAll(dir / "again.FXT"), saved);
  // Loading does not mark the project changed.
  S().ProjectChanged = 0;
  load(dir / "all.FXT");
  EXPECT_EQ(S().ProjectChanged, 0);
  // The lists show the names.
  EXPECT_EQ(get("Chases.Fixture_Sel.List(3)"), "\"Fix3\"");
}

TEST_F(FixtureFile, LowerCaseHeaderIsRefusedAndNothingChanges) {
  Fill(0, "A");
  const std::string good = FixtureFileText(S(), true, 0);
  std::string bad = good;
  bad.replace(0, 12, "dmxfixturev2");
  WriteAll(dir / "bad.FXT", bad);
  Fill(0, "Original");
  const auto before = TakeFixtures(S());
  EXPECT_EQ(load(dir / "bad.FXT"), "ok");
  ASSERT_EQ(lastEvents.size(), 2u);  // the file dialog and the message
  EXPECT_NE(lastEvents[1].find("\"Not a LUMORA Fixture V.2 file !\""), std::string::npos);
  EXPECT_NE(lastEvents[1].find("\"buttons\":\"ok\""), std::string::npos);
  EXPECT_TRUE(TakeFixtures(S()).Name == before.Name);
  EXPECT_TRUE(TakeFixtures(S()).ButtonText == before.ButtonText);
}

TEST_F(FixtureFile, AnySecondLineOtherThanSingleReadsTwentyBlocks) {
  for (int fx = 0; fx < 20; ++fx) Fill(fx, "T" + std::to_string(fx));
  auto lines = SplitCrLf(FixtureFileText(S(), false, 0));
  lines[1] = "SINGLE";
  WriteAll(dir / "upper.FXT", Join(lines));
  ClearFixtures(S());
  S().SelectedFixture = 5;
  ASSERT_EQ(load(dir / "upper.FXT"), "ok");
  EXPECT_EQ(S().FixtureName[0], "T0");
  EXPECT_EQ(S().FixtureName[19], "T19");
  EXPECT_EQ(S().FixtureButtonText[19][3][20], "b320");
  // A SINGLE header over a one-block file ends early: refused whole.
  Fill(5, "Only");
  auto one = SplitCrLf(FixtureFileText(S(), true, 5));
  one[1] = "Single";
  WriteAll(dir / "short.FXT", Join(one));
  ClearFixtures(S());
  load(dir / "short.FXT");
  EXPECT_EQ(S().FixtureName[0], "");
  ASSERT_EQ(lastEvents.size(), 2u);
  EXPECT_NE(lastEvents[1].find("ends early"), std::string::npos);
}

TEST_F(FixtureFile, NumberLinesAllowBlanksAndRoundTiesToEven) {
  Fill(0, "N");
  auto lines = SplitCrLf(FixtureFileText(S(), true, 0));
  lines[10] = "   7";
  lines[11] = "2.5 ";
  lines[14] = " 3.5";
  lines[15] = "-0.5";
  WriteAll(dir / "n.FXT", Join(lines));
  S().SelectedFixture = 0;
  ASSERT_EQ(load(dir / "n.FXT"), "ok");
  EXPECT_EQ(S().FixtureLow[0][0][0], 7);
  EXPECT_EQ(S().FixtureHigh[0][0][0], 2);
  EXPECT_EQ(S().FixtureLow[0][0][1], 4);
  EXPECT_EQ(S().FixtureHigh[0][0][1], 0);
}

TEST_F(FixtureFile, BadNumbersAndShortFilesAreRefusedLeavingTheTableAsItWas) {
  Fill(0, "Good");
  const std::string good = FixtureFileText(S(), true, 0);
  Fill(0, "Before");
  const auto before = TakeFixtures(S());
  auto expectUnchanged = [&](const std::string& why) {
    const auto now = TakeFixtures(S());
    EXPECT_TRUE(now.Name == before.Name) << why;
    EXPECT_TRUE(now.Low == before.Low) << why;
    EXPECT_TRUE(now.High == before.High) << why;
    EXPECT_TRUE(now.ButtonText == before.ButtonText) << why;
    EXPECT_TRUE(now.Colour == before.Colour) << why;
  };
  for (const char* bad : {"x", "", "12abc", "40000", "-40000", "1e3", "0x10", "inf", "nan"}) {
    auto lines = SplitCrLf(good);
    lines[200] = lines[200].find_first_of("0123456789") != std::string::npos && lines[200].back() == ' ' ? bad : lines[200];
    // line 200 (0-based) is a number line of some entry
    lines[202] = bad;
    WriteAll(dir / "b.FXT", Join(lines));
    load(dir / "b.FXT");
    ASSERT_EQ(lastEvents.size(), 2u) << bad;
    EXPECT_NE(lastEvents[1].find("bad number"), std::string::npos) << bad;
    expectUnchanged(bad);
  }
  for (std::size_t cut : {std::size_t{14}, std::size_t{22}, good.size() / 2, good.size() - 30}) {
    WriteAll(dir / "c.FXT", good.substr(0, cut));
    load(dir / "c.FXT");
    expectUnchanged("cut at " + std::to_string(cut));
  }
  // A missing file is reported, not a crash.
  load(dir / "missing.FXT");
  ASSERT_EQ(lastEvents.size(), 2u);
  expectUnchanged("missing");
}

TEST_F(FixtureFile, RandomDamageNeverCrashesAndNeverHalfLoads) {
  Fill(0, "Seed");
  const std::string good = FixtureFileText(S(), false, 0);
  std::mt19937 rng(1234);
  for (int round = 0; round < 300; ++round) {
    std::string t = good;
    const int edits = 1 + static_cast<int>(rng() % 6);
    for (int e = 0; e < edits; ++e) {
      const std::size_t at = rng() % t.size();
      switch (rng() % 3) {
        case 0: t[at] = static_cast<char>(rng() % 256); break;
        case 1: t.erase(at, 1 + rng() % 40); break;
        default: t.insert(at, 1, static_cast<char>(rng() % 256)); break;
      }
      if (t.empty()) t = "x";
    }
    DeskState copy = S();
    const auto res = LoadFixtureText(t, copy, 3);
    if (res.status != FixtureLoadResult::Ok) {
      EXPECT_TRUE(copy.FixtureName == S().FixtureName);
      EXPECT_TRUE(copy.FixtureLow == S().FixtureLow);
    }
  }
}

TEST_F(FixtureFile, CancelledDialogsDoNothing) {
  Fill(0, "Stay");
  cmd("queue file cancel");
  EXPECT_EQ(cmd("click Chases.Load_Fixture"), "ok");
  EXPECT_EQ(S().FixtureName[0], "Stay");
  cmd("queue file cancel");
  EXPECT_EQ(cmd("click Chases.Save_Fixture_All"), "ok");
  EXPECT_TRUE(fs::is_empty(dir));
}

TEST_F(FixtureFile, ClearFixtureAsksAndResetsTheSelectedType) {
  Fill(4, "Head");
  S().SelectedFixture = 4;
  cmd("click Chases.Clear_Fixture");  // nothing queued: Cancel is the default
  EXPECT_EQ(S().FixtureName[4], "Head");
  ASSERT_EQ(lastEvents.size(), 1u);
  EXPECT_NE(lastEvents[0].find("\"Current Fixture information will Be Lost Are You Sure \""), std::string::npos);
  EXPECT_NE(lastEvents[0].find("\" Clear Fixture\""), std::string::npos);
  EXPECT_NE(lastEvents[0].find("question"), std::string::npos);
  cmd("queue answer ok");
  cmd("click Chases.Clear_Fixture");
  EXPECT_EQ(S().FixtureName[4], "");
  for (std::size_t f = 0; f < 4; ++f)
    for (std::size_t k = 0; k < 21; ++k) {
      EXPECT_EQ(S().FixtureButtonText[4][f][k], "");
      EXPECT_EQ(S().FixtureLow[4][f][k], 0);
      EXPECT_EQ(S().FixtureHigh[4][f][k], 1);
      EXPECT_EQ(S().FixtureColour[4][f][k], "-2147483633");
    }
  EXPECT_EQ(S().FixtureFunctionName[4][5], "");
  EXPECT_EQ(S().FixtureName[3], "");
}

TEST_F(FixtureFile, ShippedFixtureFilesLoad) {
  const fs::path shipped = fs::path(LUMORA_SOURCE_DIR) / "sequences" / "fixtures";
  ASSERT_TRUE(fs::exists(shipped / "rgb_par.FXT"));
  ASSERT_TRUE(fs::exists(shipped / "moving_head.FXT"));
  S().SelectedFixture = 1;
  ASSERT_EQ(load(shipped / "rgb_par.FXT"), "ok");
  EXPECT_TRUE(lastEvents.size() == 1u) << (lastEvents.size() > 1 ? lastEvents[1] : "");
  EXPECT_EQ(S().FixtureName[1], "RGB Par");
  S().SelectedFixture = 2;
  ASSERT_EQ(load(shipped / "moving_head.FXT"), "ok");
  EXPECT_EQ(S().FixtureName[2], "Moving Head");
  EXPECT_LT(S().FixtureLow[2][2][0], S().FixtureHigh[2][2][0]);
}

}  // namespace
}  // namespace lumora
