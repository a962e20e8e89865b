// The question the launch asks when the audio field holds several songs: one video for each
// song, or one album video of them all. Its window is frmSongsQuestion (songs_question_form.cpp),
// shown modally through the ModalPort.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "app/windows.h"

namespace framora {

enum class SongsAnswer { Each, Album, Cancel };

// "N songs: make one video for each song, or one album video of all N?"
std::string SongsQuestion(std::size_t songs);

// frmSongsQuestion: the handlers its description names. Each answer closes the window; closing
// it any other way (Esc, its close box, the program's end) is Cancel.
class SongsQuestionLogic {
 public:
  SongsQuestionLogic(WindowView& view, WindowFrame& frame, std::size_t songs, bool albumOffered,
                     std::string note = {})
      : view_(view),
        frame_(frame),
        songs_(songs),
        albumOffered_(albumOffered),
        note_(std::move(note)) {}

  // Writes the question, and the note below it; the album button shows only where an album is
  // offered.
  void Load();
  void cmdEach_Click() { Give(SongsAnswer::Each); }
  // Not an answer where no album is offered, whatever pressed it.
  void cmdAlbum_Click();
  void cmdCancel_Click() { Give(SongsAnswer::Cancel); }
  void Closed();

  // What the user answered; nothing while the question is open.
  std::optional<SongsAnswer> Answer() const { return answer_; }

 private:
  void Give(SongsAnswer answer);

  WindowView& view_;
  WindowFrame& frame_;
  std::size_t songs_;
  bool albumOffered_;
  std::string note_;
  std::optional<SongsAnswer> answer_;
};

// Asks the question for `songs` songs in its own modal window, with a note below it (what the
// songs without a picture show), and returns the answer; Album only where `albumOffered`.
SongsAnswer AskSongs(ModalPort& modal, std::size_t songs, bool albumOffered,
                     const std::string& note = {});

}  // namespace framora
