#include "editor/chanspage.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "app/tracker.h"
#include "app/trackerinside.h"
#include "editor/fxparmform.h"

namespace {

cConfig QuietConfig() {
  cConfig config;
  config.cpuCalc = 0;
  return config;
}

std::string TempSong(const char* name) {
  return (std::filesystem::temp_directory_path() /
          (std::string(name) + std::to_string(::getpid()) + ".zqm"))
      .string();
}

}  // namespace

TEST(ChansPage, Texts) {
  EXPECT_EQ(ChainName(0), "Channel 0");
  EXPECT_EQ(ChainName(15), "Channel 15");
  EXPECT_EQ(ChainName(16), "Aux1");
  EXPECT_EQ(ChainName(19), "Aux4");
  EXPECT_EQ(ChainName(20), "");
  EXPECT_EQ(ChainName(-1), "");
  EXPECT_EQ(SlotCaption(0), "Fx1");
  EXPECT_EQ(SendCaption(3), "Aux4");
  EXPECT_EQ(VolumeText(100), "100%");
  EXPECT_EQ(VolumeToBar(300), 0);
  EXPECT_EQ(BarToVolume(200), 100);
  const char* const menu[] = {"None",
                              "FastFilter 24db",
                              "Delay + Feedback",
                              "Reverberator",
                              "Stereo Expander",
                              "Distorter",
                              "Overdrive",
                              "Flanger/Chorus",
                              "Compressor",
                              "Equalizer (5 Bands)",
                              "Equalizer (7 Bands)",
                              "Flanger/Chorus 2"};
  ASSERT_EQ(EffectTypeCount(), 12);
  for (int i = 0; i < 12; ++i) EXPECT_STREQ(EffectTypeName(i), menu[i]);
  EXPECT_EQ(EffectTypeName(12), nullptr);
}

TEST(ChansPage, DoesNothingUntilAttached) {
  cChansPage page;
  page.SetChannelVolume(0, 10);
  page.SelectChain(3);
  page.ChangeType(0, 3);
  page.SetSend(0, 50);
  EXPECT_EQ(page.Volume(0), 0);
  EXPECT_EQ(page.Chain(), 0);
  EXPECT_EQ(page.Type(0), 0);
  EXPECT_FALSE(page.CanOpen(0));
}

TEST(ChansPage, ChoosingATypeBuildsTheEffectAndNoneDeletesIt) {
  cTracker t(QuietConfig());
  cChansPage page;
  page.Attach(t);
  page.SelectChain(2);
  page.ChangeType(1, 3);
  EXPECT_EQ(Inside(t).Effects().type[1][2], 3u);
  ASSERT_NE(Inside(t).GetFxObjPtr(1, 2), nullptr);
  EXPECT_STREQ(Inside(t).GetFxObjPtr(1, 2)->GetName(), "Reverberator");
  EXPECT_TRUE(page.CanOpen(1));
  EXPECT_TRUE(t.Modified());
  EXPECT_EQ(Inside(t).Renderer().fxEngineOn, 1);  // effects run again after the swap

  t.Edits().MarkSaved();
  page.ChangeType(1, 3);  // the same type keeps the effect and its settings
  EXPECT_FALSE(t.Modified());

  page.ChangeType(1, 0);
  EXPECT_EQ(Inside(t).Effects().type[1][2], 0u);
  EXPECT_EQ(Inside(t).GetFxObjPtr(1, 2), nullptr);
  EXPECT_FALSE(page.CanOpen(1));
  cFxParmForm form;
  EXPECT_FALSE(form.Open(t, 2, 1));  // its "..." shows nothing
  EXPECT_TRUE(form.Rows().empty());
  EXPECT_TRUE(t.Modified());
}

TEST(ChansPage, SendsBelongToChannelChainsOnly) {
  cTracker t(QuietConfig());
  cChansPage page;
  page.Attach(t);
  page.SelectChain(5);
  EXPECT_TRUE(page.SendsVisible());
  page.SetSend(2, 150);
  EXPECT_EQ(page.Send(2), 100);
  EXPECT_EQ(t.GetSend(5, 2), 100);
  EXPECT_TRUE(t.Modified());

  page.SelectChain(17);
  EXPECT_FALSE(page.SendsVisible());
  t.Edits().MarkSaved();
  page.SetSend(2, 40);
  EXPECT_FALSE(t.Modified());
  page.SelectChain(5);
  EXPECT_EQ(page.Send(2), 100);  // read again from the engine
}

TEST(ChansPage, ChannelVolumesAreHeldToTheirRange) {
  cTracker t(QuietConfig());
  cChansPage page;
  page.Attach(t);
  EXPECT_EQ(page.Volume(3), 100);
  page.SetChannelVolume(3, 400);
  EXPECT_EQ(Inside(t).Song().channelVolume[3], 300);
  EXPECT_TRUE(t.Modified());
  page.SetChannelVolume(3, -5);
  EXPECT_EQ(Inside(t).Song().channelVolume[3], 0);
  t.Edits().MarkSaved();
  page.SetChannelVolume(3, 0);  // a control set to the song's own value
  EXPECT_FALSE(t.Modified());
  page.SetChannelVolume(16, 50);
  EXPECT_FALSE(t.Modified());
}

// A page still showing the previous song would write its settings into the
// next one at the first touch.
TEST(ChansPage, ReloadShowsTheSongAfterNewAndLoad) {
  cTracker t(QuietConfig());
  cChansPage page;
  page.Attach(t);
  page.SelectChain(1);
  page.SetChannelVolume(1, 250);
  page.ChangeType(0, 2);
  page.SetSend(3, 70);
  const std::string path = TempSong("murvelon_chanspage_");
  ASSERT_EQ(t.SaveModule(path), 1);

  t.NewModule();
  page.Reload();
  EXPECT_EQ(page.Chain(), 1);
  EXPECT_EQ(page.Volume(1), 100);
  EXPECT_EQ(page.Type(0), 0);
  EXPECT_EQ(page.Send(3), 0);

  ASSERT_EQ(t.LoadModule(path), 1);
  page.Reload();
  EXPECT_EQ(page.Volume(1), 250);
  EXPECT_EQ(page.Type(0), 2);
  EXPECT_EQ(page.Send(3), 70);
  EXPECT_TRUE(page.CanOpen(0));
  std::filesystem::remove(path);
}
