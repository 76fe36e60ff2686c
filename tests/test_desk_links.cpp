// The composition root hands every window below it the links it needs: each
// link is the higher window's own control or operation, and a window found by
// its class is the one the desk made.
#include "desk_fixture.h"
#include "desk/about.h"
#include "desk/button_function_form.h"
#include "desk/channel_names.h"
#include "desk/editpatchlist.h"
#include "desk/fader_function_form.h"
#include "desk/hoofdblad.h"
#include "desk/project_text.h"
#include "desk/realout.h"
#include "output/art_config.h"
#include "output/portsetup.h"
#include "playback/instant_screen.h"
#include "playback/namedit.h"
#include "playback/playdesk.h"
#include "remote/bcf.h"
#include "remote/bcf_configure.h"
#include "remote/cli.h"
#include "sequences/chases_form.h"
#include "sequences/fixture_browser.h"
#include "sequences/fixture_prop.h"

namespace lumora::testing {
namespace {

class DeskLinksTest : public DeskTest {};

TEST_F(DeskLinksTest, EveryWindowIsFoundByItsClass) {
  Desk& d = *desk;
  const DeskBase& base = d;
  EXPECT_EQ(&base.window<Hoofdblad>(), &d.hoofdblad());
  EXPECT_EQ(&base.window<Realout>(), &d.realout());
  EXPECT_EQ(&base.window<editpatchlist>(), &d.patchEditor());
  EXPECT_EQ(&base.window<Channel_Names>(), &d.channelNames());
  EXPECT_EQ(&base.window<Fader_Function_Form>(), &d.faderFunctionForm());
  EXPECT_EQ(&base.window<Button_Function_Form>(), &d.buttonFunctionForm());
  EXPECT_EQ(&base.window<Project_text>(), &d.projectText());
  EXPECT_EQ(&base.window<frmAbout>(), &d.about());
  EXPECT_EQ(&base.window<Portsetup>(), &d.portSetup());
  EXPECT_EQ(&base.window<Art_Config>(), &d.artConfig());
  EXPECT_EQ(&base.window<Playdesk>(), &d.playdesk());
  EXPECT_EQ(&base.window<namedit>(), &d.nameEditor());
  EXPECT_EQ(&base.window<instant_screen>(), &d.instantScreen());
  EXPECT_EQ(&base.window<Chases>(), &d.chases());
  EXPECT_EQ(&base.window<Fixture_Prop>(), &d.fixtureProp());
  EXPECT_EQ(&base.window<Fixture_Browser>(), &d.fixtureBrowser());
  EXPECT_EQ(&base.window<BCF>(), &d.bcf());
  EXPECT_EQ(&base.window<BCF_configure>(), &d.bcfConfigure());
  EXPECT_EQ(&base.window<CLI>(), &d.cli());
  // A base class finds the first window of that kind: the fader editor is
  // made before the button editor.
  EXPECT_EQ(&base.window<FunctionEditor>(), static_cast<FunctionEditor*>(&d.faderFunctionForm()));
}

TEST_F(DeskLinksTest, TheMainDeskLinkIsTheMainDesksOwnControls) {
  Hoofdblad& h = desk->hoofdblad();
  MainDesk& m = desk->mainDesk();
  EXPECT_EQ(&m.form, static_cast<Form*>(&h));
  EXPECT_EQ(&m.Status, &h.Status);
  EXPECT_EQ(&m.Timer1, &h.Timer1);
  EXPECT_EQ(&m.Art_Time, &h.Art_Time);
  EXPECT_EQ(&m.Picture1, &h.Picture1);
  EXPECT_EQ(&m.Label3, &h.Label3);
  EXPECT_EQ(&m.port_setup, &h.port_setup);
  EXPECT_EQ(&m.LoadXML, &h.LoadXML);
  EXPECT_EQ(&m.Load_P_XML, &h.Load_P_XML);
  EXPECT_EQ(&m.SaveXML, &h.SaveXML);
  EXPECT_EQ(&m.Save_Instant, &h.Save_Instant);
  EXPECT_EQ(&m.Save_Submix_XML, &h.Save_Submix_XML);
  EXPECT_EQ(&m.Save_Patch_XML, &h.Save_Patch_XML);
  EXPECT_EQ(&m.Save_Chase_XML, &h.Save_Chase_XML);
  // Its redraw is the main desk's: the level box follows the table.
  S().DeskLevels[h.ChannelOf(0)] = 123;
  m.RefreshDesk();
  EXPECT_EQ(h.Text1[0].Text(), " 123");
}

TEST_F(DeskLinksTest, ThePlaybackDesksLinksReachTheWindowsAboveIt) {
  EXPECT_EQ(&desk->playStatus(), &desk->playdesk().Status);
  ASSERT_NE(desk->links().surface, nullptr);
  // The function editors open from the playback desk on the page's first
  // fader and button.
  EXPECT_FALSE(desk->faderFunctionForm().Visible());
  EXPECT_EQ(cmd("click Playdesk.Fader_Change"), "ok");
  EXPECT_TRUE(desk->faderFunctionForm().Visible());
  EXPECT_FALSE(desk->buttonFunctionForm().Visible());
  EXPECT_EQ(cmd("click Playdesk.Button_Change"), "ok");
  EXPECT_TRUE(desk->buttonFunctionForm().Visible());
  // Project information opens from the main desk's menu.
  EXPECT_FALSE(desk->projectText().Visible());
  EXPECT_EQ(cmd("click Hoofdblad.project_info"), "ok");
  EXPECT_TRUE(desk->projectText().Visible());
}

}  // namespace
}  // namespace lumora::testing
