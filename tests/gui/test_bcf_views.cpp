// The BCF2000 window and "BCF Setup" under the offscreen platform, with the
// simulated surface: what they show and the acts they forward.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVariant>

#include "app/console.h"
#include "app/desk.h"
#include "gui/gui_host.h"
#include "gui/view.h"
#include "remote/bcf.h"
#include "remote/bcf_configure.h"

namespace lumora::gui {
namespace {

int argc = 1;
char arg0[] = "lumora_gui_tests";
char* argv[] = {arg0, nullptr};

class BcfViews : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!QApplication::instance()) new QApplication(argc, argv);
  }
  BcfViews() {
    DeskOptions o;
    o.manualClock = true;
    o.headless = false;
    o.sim = true;
    desk = std::make_unique<Desk>(o, dialogs);
    host = std::make_unique<GuiHost>(*desk);
    console = std::make_unique<Console>(*desk, dialogs);
    desk->Start();
    run("show BCF_configure");
    setup = host->view(desk->bcfConfigure());
  }
  void run(const std::string& line) {
    const auto out = console->execute(line);
    ASSERT_FALSE(out.empty());
    ASSERT_EQ(out.back().rfind("ok", 0), 0u) << line << ": " << out.back();
    settle();
  }
  void settle() {
    host->syncAll();
    QApplication::processEvents();
  }
  template <typename W>
  static W* child(FormView* v, const char* name) {
    return v ? v->findChild<W*>(name) : nullptr;
  }
  void connectSurface() {
    run("sim midi bcf2000 1");
    child<QPushButton>(setup, "Command1")->click();
    settle();
    bcf = host->view(desk->bcf());
  }
  QList<QVariant> pictureLevels() {
    return child<QWidget>(bcf, "SurfacePicture")->property("levels").toList();
  }

  ConsoleDialogs dialogs;
  std::unique_ptr<Desk> desk;
  std::unique_ptr<GuiHost> host;
  std::unique_ptr<Console> console;
  FormView* setup = nullptr;
  FormView* bcf = nullptr;
};

TEST_F(BcfViews, SetupShowsTheConnectButtonAndBothOptionFrames) {
  ASSERT_TRUE(setup);
  EXPECT_TRUE(setup->isVisible());
  EXPECT_EQ(setup->windowTitle(), "BCF Setup");
  EXPECT_EQ(child<QPushButton>(setup, "Command1")->text(), "Connect to BCF");
  EXPECT_EQ(child<QLabel>(setup, "Label1")->text(), "BCF Update if...");
  EXPECT_EQ(child<QGroupBox>(setup, "Frame1")->title(), "Main Screen");
  EXPECT_EQ(child<QGroupBox>(setup, "Frame2")->title(), "Playback Desk");
  const char* main[] = {"Fader Changed", "Desk Cleared", "Submix is recalled"};
  const char* play[] = {"Follow Sub Mixes in Run Mode", "Follow Channel's in Run Mode", "Submix Recalled"};
  for (int i = 0; i < 3; ++i) {
    auto* a = child<QCheckBox>(setup, ("Check1(" + std::to_string(i) + ")").c_str());
    auto* b = child<QCheckBox>(setup, ("Check2(" + std::to_string(i) + ")").c_str());
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->text(), main[i]);
    EXPECT_EQ(b->text(), play[i]);
    EXPECT_EQ(a->parentWidget(), child<QGroupBox>(setup, "Frame1"));
    EXPECT_EQ(b->parentWidget(), child<QGroupBox>(setup, "Frame2"));
    EXPECT_TRUE(a->isChecked());
  }
  // A tick taken off reaches the model.
  child<QCheckBox>(setup, "Check2(1)")->click();
  settle();
  EXPECT_EQ(desk->bcfConfigure().Check2[1].Value(), 0);
  child<QPushButton>(setup, "Command2")->click();
  settle();
  EXPECT_FALSE(setup->isVisible());
}

TEST_F(BcfViews, ConnectWithoutSurfaceReportsItAndOpensNoWindow) {
  child<QPushButton>(setup, "Command1")->click();
  settle();
  EXPECT_EQ(child<QLineEdit>(setup, "Text1")->text(), " No BCF2000 Found");
  EXPECT_FALSE(desk->bcf().Visible());
}

TEST_F(BcfViews, ConnectOpensTheSurfaceWindowInMainDeskMode) {
  connectSurface();
  EXPECT_EQ(child<QLineEdit>(setup, "Text1")->text(), "Connected");
  ASSERT_TRUE(bcf);
  EXPECT_TRUE(bcf->isVisible());
  EXPECT_EQ(bcf->windowTitle(), "BCF2000");
  EXPECT_EQ(child<QLineEdit>(bcf, "Text2")->text(), " BCF2000 Connection Made ");
  EXPECT_EQ(child<QLineEdit>(bcf, "Text3")->text(), " Main Desk");
  EXPECT_FALSE(child<QPushButton>(bcf, "Pannel_Dec")->isEnabled());
  EXPECT_TRUE(child<QPushButton>(bcf, "Pannel_Inc")->isEnabled());
  EXPECT_EQ(child<QLabel>(bcf, "GroupLabel")->text(), "Desk channels 1 - 8");
}

TEST_F(BcfViews, PictureFollowsTheLevelsOfTheFaderGroupShown) {
  connectSurface();
  run("sim midi cc 81 127");
  EXPECT_EQ(pictureLevels().value(0).toInt(), 254);
  for (int i = 16; i < 24; ++i) desk->state.DeskLevels[i] = static_cast<int16_t>(i);
  run("sim midi cc 91 127");
  EXPECT_EQ(child<QLabel>(bcf, "GroupLabel")->text(), "Desk channels 17 - 24");
  EXPECT_EQ(child<QLineEdit>(bcf, "Text1")->text(), " 2 On");
  const auto l = pictureLevels();
  ASSERT_EQ(l.size(), 8);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(l[i].toInt(), 16 + i);
  // A level changed by the desk itself shows on the next sync.
  desk->state.DeskLevels[20] = 99;
  settle();
  EXPECT_EQ(pictureLevels().value(4).toInt(), 99);
}

TEST_F(BcfViews, ModePanelPagesToThePlaybackDeskAndTheInertModes) {
  connectSurface();
  desk->state.PlayFaderLevel[2] = 77;
  child<QPushButton>(bcf, "Pannel_Inc")->click();
  settle();
  EXPECT_EQ(child<QLineEdit>(bcf, "Text3")->text(), " Playback Desk");
  EXPECT_TRUE(child<QPushButton>(bcf, "Pannel_Dec")->isEnabled());
  EXPECT_EQ(child<QLabel>(bcf, "GroupLabel")->text(), "Playback faders 1 - 8");
  EXPECT_EQ(pictureLevels().value(2).toInt(), 77);
  for (int i = 0; i < 4; ++i) child<QPushButton>(bcf, "Pannel_Inc")->click();
  settle();
  EXPECT_EQ(child<QLineEdit>(bcf, "Text3")->text(), " User Config");
  EXPECT_FALSE(child<QPushButton>(bcf, "Pannel_Inc")->isEnabled());
  EXPECT_TRUE(pictureLevels().isEmpty());  // an inert mode drives no faders
  EXPECT_EQ(child<QLabel>(bcf, "GroupLabel")->text(), "");
}

TEST_F(BcfViews, ExitClosesTheWindowAndItsPorts) {
  connectSurface();
  child<QPushButton>(bcf, "Exit")->click();
  settle();
  EXPECT_FALSE(bcf->isVisible());
  run("sim midi cc 81 100");
  EXPECT_EQ(desk->state.DeskLevels[0], 0);
}

TEST_F(BcfViews, SurfaceWindowControlsDoNotOverlap) {
  connectSurface();
  QList<QWidget*> ws;
  for (const char* n : {"SurfacePicture", "GroupLabel", "Pannel_Dec", "Text3", "Pannel_Inc", "Text2", "Text1", "Exit"}) {
    auto* w = child<QWidget>(bcf, n);
    ASSERT_TRUE(w) << n;
    ws << w;
  }
  for (int i = 0; i < ws.size(); ++i)
    for (int j = i + 1; j < ws.size(); ++j)
      EXPECT_FALSE(ws[i]->geometry().intersects(ws[j]->geometry()))
          << ws[i]->objectName().toStdString() << " / " << ws[j]->objectName().toStdString();
}

}  // namespace
}  // namespace lumora::gui
