// The File menu's commands.
#include "app/identity.h"
#include "main_window_fixture.h"

namespace framora::test {
namespace {

class MenuTest : public MainWindowTest {
 protected:
  void SetUp() override {
    windows.onLoad = [](WindowId id, FakeView& v) {
      if (id == WindowId::frmAbout) {
        v.texts[""] = "About Framora audio converter";
        v.texts["lblVersion"] = "Version 1.0.0";
        v.texts["lblDescription"] = "App Description";
      }
    };
  }
};

TEST_F(MenuTest, HelpOpensTheSupportPageOnItsOwnHost) {
  form.mnuHelp_Click();
  ASSERT_EQ(desktop.openedUrls.size(), 1u);
  const std::string url = desktop.openedUrls[0];
  EXPECT_EQ(url.substr(url.size() - 8), "/support");
  auto host = [](const std::string& u) { return u.substr(0, u.find('/', u.find("//") + 2)); };
  EXPECT_NE(host(url), host(identity::kHomeUrl));
  EXPECT_EQ(host(identity::kHomeUrl), host(identity::kDonateUrl));
}

TEST_F(MenuTest, AboutOverwritesTheBoxTextsAfterItsLoadThenShowsIt) {
  form.mnuAbout_Click();
  auto* about = windows.Get(WindowId::frmAbout);
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(about->Text(""), "About Framora audio converter");
  EXPECT_EQ(about->Text("lblVersion"), "Version 1.0");
  EXPECT_EQ(about->Text("lblDescription"),
            "Automatically convert audio files into Framora compatible video using FFMPEG");
  EXPECT_EQ(about->Text("lblTitle"), "Framora audio converter");
  EXPECT_EQ(windows.log.front(), "frmAbout loaded");
  EXPECT_EQ(windows.log.back(), "frmAbout shown");
}

TEST_F(MenuTest, AboutTwiceUsesOneBoxAndRewritesItsTexts) {
  form.mnuAbout_Click();
  windows.Get(WindowId::frmAbout)->texts["lblVersion"] = "changed";
  form.mnuAbout_Click();
  EXPECT_EQ(windows.loads[FakeWindowManager::Index(WindowId::frmAbout)], 1);
  EXPECT_EQ(windows.Get(WindowId::frmAbout)->Text("lblVersion"), "Version 1.0");
}

TEST_F(MenuTest, DonateShowsOneWindowAndWritesNothingIntoIt) {
  form.mnuDonate_Click();
  form.mnuDonate_Click();
  EXPECT_EQ(windows.loads[FakeWindowManager::Index(WindowId::frmDonate)], 1);
  EXPECT_TRUE(windows.Get(WindowId::frmDonate)->texts.empty());
}

TEST_F(MenuTest, ExitEndsTheProgramWithoutStoringOrAsking) {
  Fields("/usr/bin/ffmpeg", "/a.png", "/b.wav", "/out/v.avi");
  form.mnuExit_Click();
  EXPECT_EQ(windows.log, std::vector<std::string>{"end program"});
  EXPECT_TRUE(settings.writes.empty());
  EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace framora::test
