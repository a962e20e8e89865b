#include "main_window/main_window.h"

#include <algorithm>
#include <map>

#include "app/identity.h"
#include "app/settings.h"
#include "app/text.h"
#include "convert/names.h"
#include "info/about_form.h"
#include "main_window/drops.h"
#include "main_window/main_form.h"
#include "main_window/song_list.h"
#include "main_window/songs_question.h"
#include "queue/desk.h"
#include "queue/song_queue.h"

namespace framora {

using namespace main_form;

namespace {
constexpr const char* kSelectFile = "Select File";
// Fields of this length or shorter draw a warning at launch; shorter than it stops the launch.
constexpr std::size_t kShortField = 5;
// The output chooser's entry for MP4 videos, after the one for AVI videos.
constexpr int kMp4Entry = 2;
}  // namespace

MainWindowLogic::MainWindowLogic(WindowView& view, MainWindowPorts ports)
    : view_(view), ports_(ports), dialog_(ports.fileDialog) {}

std::string MainWindowLogic::Read(const char* key) {
  return ReadSetting(ports_.settings, kSettingsApp, kSettingsSection, key, "");
}

void MainWindowLogic::Write(const char* key, const std::string& value) {
  WriteSetting(ports_.settings, kSettingsApp, kSettingsSection, key, value);
}

void MainWindowLogic::Message(const std::string& prompt, MessageIcon icon,
                              const std::string& title) {
  ports_.messages.ShowMessage(prompt, icon, title);
}

void MainWindowLogic::Load() {
  // Until an FFmpeg has been chosen (even cancelled, which stores an empty one), the one the
  // system would run is shown; nothing is stored for it.
  const std::optional<std::string> ffmpeg =
      ports_.settings.Read(kSettingsApp, kSettingsSection, kKeyFfmpeg);
  std::optional<std::string> found;
  if (!ffmpeg && ports_.programs != nullptr)
    found = FindProgram(*ports_.programs, ports_.ffmpegSearch);
  view_.SetText(Text1, ffmpeg.value_or(found.value_or("")));
  view_.SetText(Text2, Read(kKeyImage));
  view_.SetText(Text3, Read(kKeyAudio));
  view_.SetText(Text4, Read(kKeySave));
  const auto frame = convert::FrameNamed(Read(kKeyFrame)).value_or(convert::Frame::Blur);
  view_.SetText(cboFrame, std::string(kFrameChoices[static_cast<int>(frame)]));
  Text4_Change();
}

void MainWindowLogic::Text4_Change() {
  view_.SetEnabled(cboFrame, convert::IsMp4Output(view_.Text(Text4)));
}

convert::Frame MainWindowLogic::ChosenFrame() const {
  const std::string chosen = view_.Text(cboFrame);
  for (int i = 0; i < 3; ++i)
    if (chosen == kFrameChoices[i]) return static_cast<convert::Frame>(i);
  return convert::Frame::Blur;
}

void MainWindowLogic::cboFrame_Change() {
  Write(kKeyFrame, std::string(convert::FrameName(ChosenFrame())));
}

void MainWindowLogic::Command1_Click() {
  // FileName is left as the last chooser left it, so a cancelled dialog can still pass.
  dialog_.Filter = "FFMPEG App (*.exe)";
  dialog_.DefaultExt = "";
  dialog_.DialogTitle = kSelectFile;
  dialog_.ShowOpen();
  if (Utf8Length(dialog_.FileName) > 4) {
    view_.SetText(Text1, dialog_.FileName);
  } else {
    Message("not a valid executable filename", MessageIcon::None, identity::kTitle);
  }
  Write(kKeyFfmpeg, view_.Text(Text1));
}

void MainWindowLogic::ChooseMedia(const char* filter, ControlId field, const char* key,
                                  bool several) {
  dialog_.FileName = "";
  dialog_.Filter = filter;
  dialog_.DefaultExt = "";
  dialog_.DialogTitle = kSelectFile;
  dialog_.MultiSelect = several;
  dialog_.ShowOpen();
  dialog_.MultiSelect = false;
  if (dialog_.FileNames.size() > 1) {
    // Several songs at once: the field lists them in file-name order.
    std::vector<std::string> notUsed;
    ChosenSongs(dialog_.FileNames, notUsed);
    if (!notUsed.empty()) NotUsedMessage("Not used of what was chosen:", notUsed);
    return;
  }
  view_.SetText(field, dialog_.FileName);
  Write(key, view_.Text(field));
}

void MainWindowLogic::NotUsedMessage(const char* heading, const std::vector<std::string>& lines) {
  std::string message = heading;
  for (const std::string& line : lines) message += "\r\n" + line;
  Message(message, MessageIcon::None, identity::kTitle);
}

void MainWindowLogic::Chosen(ControlId field, const std::string& path) {
  view_.SetText(field, path);
  if (field == Text1) Write(kKeyFfmpeg, view_.Text(field));
  if (field == Text2) Write(kKeyImage, view_.Text(field));
  if (field == Text3) Write(kKeyAudio, view_.Text(field));
  if (field == Text4) ApplyExtensionRule(false);  // the output path is stored only by the launch
}

void MainWindowLogic::ApplyExtensionRule(bool mp4Chosen) {
  // A name that ends in .mp4 makes an MP4, one that holds .avi anywhere an AVI; any other name
  // gets the extension of the kind chosen in the dialog, an AVI unless it was the MP4 entry.
  const std::string text = view_.Text(Text4);
  if (!convert::IsMp4Output(text) && AsciiLower(text).find(".avi") == std::string::npos)
    view_.SetText(Text4, text + (mp4Chosen ? ".mp4" : ".avi"));
  Text4_Change();
}

// After the choosers' own entries, every kind the program takes, and every file.
void MainWindowLogic::Command2_Click() {
  ChooseMedia(
      "Jpegs (*.jpg)|*.jpg|GIF files (*.gif)|*.gif|PNG files (*.png)|*.png|All pictures|"
      "*.jpg;*.jpeg;*.png;*.gif;*.bmp;*.webp|All files|*.*",
      Text2, kKeyImage);
}

void MainWindowLogic::Command3_Click() {
  ChooseMedia(
      "Wave file (*.wav)|*.wav|MP3 files (*.mp3)|*.mp3|AMR files (*.amr)|*.amr|All audio "
      "files|*.wav;*.mp3;*.amr;*.flac;*.m4a;*.aac;*.ogg;*.opus|All files|*.*",
      Text3, kKeyAudio, true);
}

void MainWindowLogic::Command4_Click() {
  dialog_.FileName = "";
  dialog_.FilterIndex = 1;  // what a cancelled dialog leaves: the AVI entry
  // Each entry, a description alone, lists every file.
  dialog_.Filter = "AVI (*.avi)||MP4 (*.mp4)";
  dialog_.DefaultExt = "";
  dialog_.DialogTitle = kSelectFile;
  dialog_.ShowSave();
  view_.SetText(Text4, dialog_.FileName);
  ApplyExtensionRule(dialog_.FilterIndex == kMp4Entry);
  // The output path is stored only by the launch.
}

void MainWindowLogic::FilesDropped(ControlId control, const std::vector<std::string>& items) {
  // Nothing dropped goes without a word: what is not used is named in one message.
  std::vector<std::string> notUsed;
  const auto refuse = [&](const std::string& what, const char* why) {
    notUsed.push_back(what + ": " + why);
  };
  std::vector<std::string> files;
  std::vector<std::string> sounds;
  for (const std::string& item : items) {
    const std::optional<std::string> path = DroppedPath(item);
    if (!path) {
      refuse(item, "not a file on this computer");
    } else if (ports_.files.IsFolder(*path)) {
      // A folder brings the songs in it.
      const std::size_t before = sounds.size();
      for (const std::string& name : ports_.files.ListFolder(*path)) {
        const std::string file = JoinPath(*path, name, ports_.shell);
        if (FieldForFile(file, ports_.shell) == Text3 && !ports_.files.IsFolder(file))
          sounds.push_back(file);
      }
      if (sounds.size() == before) refuse(*path, "a folder without songs");
    } else {
      files.push_back(*path);
    }
  }
  const bool onField = control == Text1 || control == Text2 || control == Text3 || control == Text4;
  if (onField && control != Text3 && !files.empty()) {
    // A field takes the first file, whatever its kind, as a chooser would.
    Chosen(control, files.front());
    for (std::size_t i = 1; i < files.size(); ++i) refuse(files[i], "the field takes one file");
    files.clear();
  } else if (control == Text3 && sounds.empty() && files.size() == 1) {
    Chosen(control, files.front());  // one file on the audio field, of whatever kind
    files.clear();
  }
  // Beside the fields each file goes where its kind belongs; songs all to the audio field.
  std::map<int, std::string> byField;  // in the fields' order
  for (const std::string& file : files) {
    const std::optional<ControlId> field = FieldForFile(file, ports_.shell);
    if (field == Text3) {
      sounds.push_back(file);
    } else if (!field || onField) {
      refuse(file, "not a song, a picture or FFmpeg");
    } else {
      // Of several of a kind, the last one dropped.
      if (const auto earlier = byField.find(field->number); earlier != byField.end()) {
        refuse(earlier->second, field == Text2 ? "one picture is used, the last one dropped"
                                               : "one FFmpeg is used, the last one dropped");
      }
      byField[field->number] = file;
    }
  }
  for (const auto& [number, file] : byField) Chosen({kWindow, number}, file);
  if (!sounds.empty()) ChosenSongs(sounds, notUsed);
  if (!notUsed.empty()) NotUsedMessage("Not used of what was dropped:", notUsed);
}

void MainWindowLogic::ChosenSongs(std::vector<std::string> songs,
                                  std::vector<std::string>& notUsed) {
  std::sort(songs.begin(), songs.end(), [this](const std::string& a, const std::string& b) {
    return InFileNameOrder(a, b, ports_.shell);
  });
  songs.erase(std::unique(songs.begin(), songs.end()), songs.end());
  if (songs.size() > 1) {
    // A name with a double quote cannot be written between the quotes of a list.
    std::erase_if(songs, [&](const std::string& song) {
      if (ListableSong(song)) return false;
      notUsed.push_back(song +
                        ": its name holds a double quote, which a list of songs cannot hold");
      return true;
    });
  }
  if (songs.empty()) return;
  const std::optional<std::string> field = SongField(songs);
  if (!field) {
    notUsed.push_back(songs.front() + ": this name cannot be written in the audio field");
    return;
  }
  Chosen(Text3, *field);
}

void MainWindowLogic::Remember(const std::string& output) {
  // A picture or list of songs typed or pasted is remembered as a chosen one is.
  Write(kKeyImage, view_.Text(Text2));
  Write(kKeyAudio, view_.Text(Text3));
  Write(kKeySave, output);
}

void MainWindowLogic::LaunchConversion() {
  const std::vector<std::string> songs = SongsInField(view_.Text(Text3));
  if (songs.size() > 1) {
    LaunchSongs(songs);
    return;
  }
  const std::string output = view_.Text(Text4);
  if (ports_.files.FindFirstFile(output)) {
    Message(convert::OutputExistsMessage(output), MessageIcon::Critical, identity::kTitle);
    return;
  }
  Remember(output);
  // The song and its video as the fields name them; -y lets a second Execute make it again,
  // and a cancelled one keeps what FFmpeg finished, as ever.
  auto queue = std::make_shared<queue::SongQueue>(ports_.files, Rules(true));
  if (!WarnedAndReady(songs, *queue)) return;
  queue->AddOne(songs.empty() ? view_.Text(Text3) : songs.front(), output);
  HandOver(std::move(queue));
}

void MainWindowLogic::LaunchSongs(const std::vector<std::string>& songs) {
  // The videos go into the output's folder; its own name is not used, and what exists there
  // is skipped song by song.
  const std::string output = view_.Text(Text4);
  const std::string folder = FolderOf(output, ports_.shell);
  if (output.empty()) {
    Message(
        "The output field is empty: choose the folder of the videos with \"Choose saveas "
        "filename output\".",
        MessageIcon::Critical, identity::kTitle);
    return;
  }
  if (!ports_.files.IsFolder(folder.empty() ? "." : folder)) {
    Message("The folder " + folder + " does not exist - Please choose another filename",
            MessageIcon::Critical, identity::kTitle);
    return;
  }
  Remember(output);
  auto queue = std::make_shared<queue::SongQueue>(ports_.files, Rules(false));
  if (!WarnedAndReady(songs, *queue)) return;
  // Without a picture chosen, each video shows its song's own, or the first one found among the
  // songs: the question says which songs take another's; with none at all nothing can run.
  std::string note;
  if (view_.Text(Text2).empty()) {
    std::vector<std::string> without;
    std::optional<std::string> first;
    for (const std::string& song : songs) {
      if (!queue->Facts(song).Cover()) {
        without.push_back(song);
      } else if (!first) {
        first = song;
      }
    }
    if (!first) {
      Message("No song carries a picture, and none was chosen: choose one with IMAGE FILE.",
              MessageIcon::Critical, identity::kTitle);
      return;
    }
    if (!without.empty()) {
      note = without.size() == 1
                 ? NameOf(without.front(), ports_.shell) + " carries no picture: it gets"
                 : std::to_string(without.size()) + " songs carry no picture: they get";
      note += " the picture of " + NameOf(*first, ports_.shell);
    }
  }
  const SongsAnswer answer = ports_.modal != nullptr
                                 ? AskSongs(*ports_.modal, songs.size(), true, note)
                                 : SongsAnswer::Each;
  if (answer == SongsAnswer::Each) {
    queue->AddEach(songs, {folder, convert::IsMp4Output(output) ? ".mp4" : ".avi"});
  } else if (answer == SongsAnswer::Album) {
    // One video at the output's own path, as one song's; what stands there is refused alike.
    for (const std::string& path : {output, convert::TrackListPathFor(output, ports_.shell)}) {
      if (ports_.files.KindAt(path) != PathKind::None) {
        Message(convert::OutputExistsMessage(path), MessageIcon::Critical, identity::kTitle);
        return;
      }
    }
    queue->AddAlbum(songs, output);
  } else {
    return;
  }
  HandOver(std::move(queue));
}

bool MainWindowLogic::WarnedAndReady(const std::vector<std::string>& songs,
                                     const queue::SongQueue& queue) {
  if (Utf8Length(view_.Text(Text1)) <= kShortField)
    Message("FFMPEG EXE FILE LOCATION MISSING", MessageIcon::None, "FFMPEG LOCATION");
  // One song's picture serves every song without one: an empty field then is no mistake.
  const bool covers = std::any_of(songs.begin(), songs.end(), [&](auto& song) {
    return queue.Facts(song).Cover().has_value();
  });
  if (Utf8Length(view_.Text(Text2)) <= kShortField && !(covers && view_.Text(Text2).empty()))
    Message("IMAGE FILE LOCATION MISSING", MessageIcon::None, "IMAGE LOCATION");
  if (Utf8Length(view_.Text(Text3)) <= kShortField)
    Message("AUDIO FILE LOCATION MISSING", MessageIcon::None, "AUDIO LOCATION");
  return Utf8Length(view_.Text(Text1)) >= kShortField;
}

queue::Rules MainWindowLogic::Rules(bool single) const {
  // One song: a second Execute may make its video again, and a cancelled run keeps what FFmpeg
  // finished, as ever. Several: what exists is skipped, and a stopped song leaves nothing that
  // the same queue run again would skip.
  return {.ffmpeg = view_.Text(Text1),
          .image = view_.Text(Text2),
          .shell = ports_.shell,
          .overwrite = single,
          .single = single,
          .frame = ChosenFrame()};
}

void MainWindowLogic::HandOver(std::shared_ptr<queue::SongQueue> queue) {
  ports_.windows.Show(WindowId::frmReadOutput);
  // The console puts the first video's command into its boxes, and runs the queue from them.
  if (ports_.desk != nullptr) ports_.desk->HandOver(std::move(queue));
}

void MainWindowLogic::Text4_KeyDown(std::uint16_t keyCode, int /*shift*/) {
  if (keyCode != kKeyEnter) return;
  Write(kKeySave, view_.Text(Text4));
  LaunchConversion();
}

void MainWindowLogic::mnuHelp_Click() { ports_.desktop.OpenUrl(identity::kSupportUrl); }

void MainWindowLogic::mnuAbout_Click() {
  // The first reference loads the box; these texts then replace its own defaults.
  WindowView& about = ports_.windows.Ref(WindowId::frmAbout);
  about.SetText(about_form::Caption, std::string("About ") + identity::kTitle);
  about.SetText(about_form::lblVersion, "Version " + std::to_string(identity::kMajor) + "." +
                                            std::to_string(identity::kMinor));
  about.SetText(about_form::lblDescription, identity::kDescription);
  about.SetText(about_form::lblTitle, identity::kTitle);
  ports_.windows.Show(WindowId::frmAbout);
}

void MainWindowLogic::mnuDonate_Click() { ports_.windows.Show(WindowId::frmDonate); }

void MainWindowLogic::mnuExit_Click() { ports_.windows.EndProgram(); }

}  // namespace framora
