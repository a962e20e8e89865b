#include "main_window/songs_question.h"

#include "app/form.h"
#include "main_window/songs_question_form.h"

namespace framora {

std::string SongsQuestion(std::size_t songs) {
  const std::string count = std::to_string(songs);
  return count + " songs: make one video for each song, or one album video of all " + count + "?";
}

void SongsQuestionLogic::Load() {
  view_.SetText(songs_question_form::lblQuestion,
                SongsQuestion(songs_) + (note_.empty() ? "" : "\r\n\r\n" + note_));
  view_.SetVisible(songs_question_form::cmdAlbum, albumOffered_);
}

void SongsQuestionLogic::cmdAlbum_Click() {
  if (albumOffered_) Give(SongsAnswer::Album);
}

void SongsQuestionLogic::Closed() {
  if (!answer_) answer_ = SongsAnswer::Cancel;
}

void SongsQuestionLogic::Give(SongsAnswer answer) {
  answer_ = answer;
  frame_.CloseWindow();
}

SongsAnswer AskSongs(ModalPort& modal, std::size_t songs, bool albumOffered,
                     const std::string& note) {
  std::optional<SongsQuestionLogic> logic;
  modal.RunModal(songs_question_form::Form(), [&](WindowView& view, WindowFrame& frame) {
    return TargetOf(logic.emplace(view, frame, songs, albumOffered, note));
  });
  return logic && logic->Answer() ? *logic->Answer() : SongsAnswer::Cancel;
}

}  // namespace framora
