#include "info/donate.h"

#include <gtest/gtest.h>

#include <string>

#include "app/identity.h"
#include "app/text.h"
#include "fakes/fake_desktop.h"
#include "info/donate_form.h"

namespace framora {
namespace {

TEST(Donate, AppealIsReproducedToTheCharacter) {
  const std::string appeal(donate_form::Form().Find(donate_form::Label1)->text);
  EXPECT_EQ(Utf8Length(appeal), 284u);  // characters, trailing blank included
  EXPECT_EQ(appeal,
            "If you appreciate the time,money and effort it took to build this software please "
            "consider making a donation (any is better than none). If you wish your name and/ "
            "or web-site (as a donor) will be listed on the donor page it will give me "
            "incentive to keep making! Thanks in advance .. ");
}

TEST(Donate, PictureOpensTheDonationPageOncePerClick) {
  test::FakeDesktop desktop;
  for (int click = 1; click <= 3; ++click) {
    OpenDonationPage(desktop);
    ASSERT_EQ(desktop.openedUrls.size(), static_cast<std::size_t>(click));
    EXPECT_EQ(desktop.openedUrls.back(), identity::kDonateUrl);
  }
}

}  // namespace
}  // namespace framora
