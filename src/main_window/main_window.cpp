#include "main_window/main_window.h"

#include <map>

#include "app/identity.h"
#include "app/settings.h"
#include "app/text.h"
#include "console/console_form.h"
#include "info/about_form.h"
#include "main_window/drops.h"
#include "main_window/main_form.h"

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

void MainWindowLogic::ChooseMedia(const char* filter, ControlId field, const char* key) {
  dialog_.FileName = "";
  dialog_.Filter = filter;
  dialog_.DefaultExt = "";
  dialog_.DialogTitle = kSelectFile;
  dialog_.ShowOpen();
  view_.SetText(field, dialog_.FileName);
  Write(key, view_.Text(field));
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
  if (IsMp4Output(text) || AsciiLower(text).find(".avi") != std::string::npos) return;
  view_.SetText(Text4, text + (mp4Chosen ? ".mp4" : ".avi"));
}

void MainWindowLogic::Command2_Click() {
  ChooseMedia("Jpegs (*.jpg)|*.jpg|GIF files (*.gif)|*.gif|PNG files (*.png)|*.png", Text2,
              kKeyImage);
}

void MainWindowLogic::Command3_Click() {
  ChooseMedia("Wave file (*.wav)|*.wav|MP3 files (*.mp3)|*.mp3|AMR files (*.amr)|*.amr", Text3,
              kKeyAudio);
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
  std::vector<std::string> files;
  for (const std::string& item : items) {
    std::optional<std::string> path = DroppedPath(item);
    if (path && !ports_.files.IsFolder(*path)) files.push_back(std::move(*path));
  }
  if (files.empty()) return;
  if (control == Text1 || control == Text2 || control == Text3 || control == Text4) {
    Chosen(control, files.front());
    return;
  }
  // Beside the fields each file goes where its kind belongs; of several, the last one.
  std::map<int, std::string> byField;  // in the fields' order
  for (const std::string& file : files) {
    if (const auto field = FieldForFile(file)) byField[field->number] = file;
  }
  for (const auto& [number, file] : byField) Chosen({kWindow, number}, file);
}

void MainWindowLogic::LaunchConversion() {
  const std::string output = view_.Text(Text4);
  if (ports_.files.FindFirstFile(output)) {
    Message(OutputExistsMessage(output), MessageIcon::Critical, identity::kTitle);
    return;
  }
  Write(kKeySave, output);

  if (Utf8Length(view_.Text(Text1)) <= kShortField)
    Message("FFMPEG EXE FILE LOCATION MISSING", MessageIcon::None, "FFMPEG LOCATION");
  if (Utf8Length(view_.Text(Text2)) <= kShortField)
    Message("IMAGE FILE LOCATION MISSING", MessageIcon::None, "IMAGE LOCATION");
  if (Utf8Length(view_.Text(Text3)) <= kShortField)
    Message("AUDIO FILE LOCATION MISSING", MessageIcon::None, "AUDIO LOCATION");
  if (Utf8Length(view_.Text(Text1)) < kShortField) return;

  ports_.windows.Show(WindowId::frmReadOutput);
  const std::string command = BuildConversionCommand(
      view_.Text(Text1), view_.Text(Text2), view_.Text(Text3), view_.Text(Text4), ports_.shell,
      ProbeSound(ports_.files, view_.Text(Text3)));
  WindowView& console = ports_.windows.Ref(WindowId::frmReadOutput);
  console.SetText(console_form::Text1, command);
  console.SetText(console_form::txtCommand, command);
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
