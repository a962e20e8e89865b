#include "convert/names.h"

#include "app/text.h"

namespace framora::convert {

bool IsMp4Output(const std::string& output) {
  return output.size() >= 4 && AsciiLower(output.substr(output.size() - 4)) == ".mp4";
}

std::string VideoPathFor(const std::string& song, const Naming& naming, ShellKind shell) {
  const std::string name = StemOf(NameOf(song, shell)) + naming.extension;
  if (naming.folder) return JoinPath(*naming.folder, name, shell);
  return song.substr(0, song.size() - NameOf(song, shell).size()) + name;
}

std::string TrackListPathFor(const std::string& video, ShellKind shell) {
  const std::string name = NameOf(video, shell);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0 || AsciiLower(name.substr(dot)) == ".txt")
    return video + ".txt";
  return video.substr(0, video.size() - name.size() + dot) + ".txt";
}

std::string PartPathFor(const std::string& path, ShellKind shell) {
  const std::string name = NameOf(path, shell);
  return path.substr(0, path.size() - name.size()) + "." + name + ".part";
}

std::string OutputExistsMessage(const std::string& output) {
  return "File " + output + " allready exists - Please choose another filename";
}

}  // namespace framora::convert
