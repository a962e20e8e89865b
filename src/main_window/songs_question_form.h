// frmSongsQuestion, the question the launch asks when the audio field holds several songs, as
// designed: see songs_question_form.cpp.
#pragma once

#include "app/form.h"

namespace framora::songs_question_form {

inline constexpr WindowId kWindow = WindowId::frmSongsQuestion;
inline constexpr ControlId lblQuestion{kWindow, 5001};
inline constexpr ControlId cmdEach{kWindow, 5002};
inline constexpr ControlId cmdAlbum{kWindow, 5003};
inline constexpr ControlId cmdCancel{kWindow, 5004};

const FormDesign& Form();

}  // namespace framora::songs_question_form
