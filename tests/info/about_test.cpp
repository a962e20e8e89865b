#include "info/about.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/identity.h"
#include "fakes/fake_desktop.h"
#include "fakes/fake_windows.h"

namespace framora {
namespace {

struct Address {
  std::string scheme, host, path;
};

Address Split(const std::string& url) {
  Address a;
  const auto colon = url.find("://");
  if (colon == std::string::npos) return a;
  a.scheme = url.substr(0, colon);
  const auto slash = url.find('/', colon + 3);
  a.host =
      url.substr(colon + 3, slash == std::string::npos ? std::string::npos : slash - colon - 3);
  a.path = slash == std::string::npos ? "" : url.substr(slash);
  return a;
}

TEST(AboutLoad, WritesCaptionVersionAndTitleInOrder) {
  test::FakeView view;
  std::vector<std::string> writes;
  view.log = &writes;
  view.texts["lblDescription"] = "App Description";
  LoadAbout(view);
  EXPECT_EQ(writes, (std::vector<std::string>{".=About Framora audio converter",
                                              ".lblVersion=Version 1.0.0",
                                              ".lblTitle=Framora audio converter"}));
  EXPECT_EQ(view.texts["lblDescription"], "App Description");
}

TEST(AboutLoad, VersionNumbersArePlainDecimal) {
  EXPECT_EQ(VersionText(1, 0, 0), "Version 1.0.0");
  EXPECT_EQ(VersionText(10, 2, 305), "Version 10.2.305");
  EXPECT_EQ(VersionText(0, 0, 7), "Version 0.0.7");
}

TEST(AboutLink, OpensTheHomePageOncePerClick) {
  test::FakeDesktop desktop;
  OpenHomePage(desktop);
  OpenHomePage(desktop);
  ASSERT_EQ(desktop.openedUrls.size(), 2u);
  EXPECT_EQ(desktop.openedUrls[0], identity::kHomeUrl);
  EXPECT_EQ(desktop.openedUrls[1], identity::kHomeUrl);
  EXPECT_TRUE(desktop.started.empty());
}

TEST(AboutLink, HomeAndDonationPagesShareTheMakersHost) {
  const Address home = Split(identity::kHomeUrl);
  const Address donate = Split(identity::kDonateUrl);
  const Address support = Split(identity::kSupportUrl);
  EXPECT_TRUE(home.scheme == "https" || home.scheme == "http") << identity::kHomeUrl;
  EXPECT_FALSE(home.host.empty());
  EXPECT_EQ(home.path, "/");
  EXPECT_EQ(donate.host, home.host);
  EXPECT_EQ(donate.path, "/say-thanks");
  EXPECT_NE(support.host, home.host);
}

TEST(AboutLink, ShowsTheAddressWithoutSchemeWwwAndFinalSlash) {
  const std::string text(HomeLinkText());
  const std::string host = Split(identity::kHomeUrl).host;
  EXPECT_FALSE(text.empty());
  EXPECT_EQ(text.find_first_of(":/"), std::string::npos) << text;
  EXPECT_FALSE(text.starts_with("www.")) << text;
  EXPECT_TRUE(host == text || host == "www." + text) << host << " shown as " << text;
}

}  // namespace
}  // namespace framora
