// The question of several songs, over a modal window made of texts.
#include <gtest/gtest.h>

#include "fakes/fake_windows.h"
#include "main_window/songs_question.h"

namespace framora {
namespace {

using namespace songs_question_form;

// Each button answers and closes the window; anything else cancels (the close box: no click).
TEST(SongsQuestion, EachButtonAnswersAndClosesAndAnyOtherWayOutCancels) {
  using enum SongsAnswer;
  const std::tuple<bool, std::optional<ControlId>, SongsAnswer> cases[] = {
      {true, cmdEach, Each},        {true, cmdAlbum, Album},   {true, cmdCancel, Cancel},
      {true, std::nullopt, Cancel}, {false, cmdAlbum, Cancel}, {false, cmdEach, Each}};
  for (const auto& [albumOffered, click, answer] : cases) {
    test::FakeModal modal;
    modal.click = click;
    EXPECT_EQ(AskSongs(modal, 14, albumOffered), answer);
    EXPECT_EQ(modal.view.Text("lblQuestion"),
              "14 songs: make one video for each song, or one album video of all 14?");
    EXPECT_EQ(modal.view.visible["cmdAlbum"], albumOffered);
    EXPECT_EQ(modal.closedItself, answer != Cancel || click == cmdCancel);
  }
}

}  // namespace
}  // namespace framora
