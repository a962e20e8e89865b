// An album's track list: where each song starts and what it is called, one line per song, to
// paste into the video's description, where the sharing sites turn it into chapters.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/paths.h"

namespace framora::convert {

struct Track {
  double start = 0;  // seconds from the album's start
  std::string title;
};

// Text on one line: a line break or tab becomes a blank, and blanks at its ends go.
std::string OneLine(std::string_view text);

// A song's title: its title tag, or else its file name without the extension and without a
// leading track number and its separator ("03 - Intro.mp3": "Intro"; a name that is only a
// number stays); on one line, a line break or tab becoming a blank.
std::string TrackTitle(const std::string& path, const std::string& titleTag, ShellKind shell);

// One line per song, its start and its title: "m:ss", or "h:mm:ss" when the album lasts an hour
// or more, as sharing sites read a video's description. Lines end as the system's text files do.
std::string TrackListText(const std::vector<Track>& tracks, double albumSeconds, ShellKind shell);

}  // namespace framora::convert
