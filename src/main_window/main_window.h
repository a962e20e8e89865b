// Form1: the main window's behaviour. The front-end forwards each user action to one
// handler here; the handler reaches the controls through the window's view.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/form.h"
#include "app/paths.h"
#include "app/ports.h"
#include "app/program_search.h"
#include "app/windows.h"
#include "convert/picture.h"
#include "main_window/common_dialog.h"

namespace framora {

namespace queue {
class Desk;
class SongQueue;
struct Rules;
}  // namespace queue

struct MainWindowPorts {
  SettingsStore& settings;
  MessageBoxPort& messages;
  FileDialogPort& fileDialog;
  FileSystemPort& files;
  DesktopPort& desktop;
  WindowManager& windows;
  ShellKind shell = ShellKind::Posix;
  // Where to look for FFmpeg while none has been chosen; no look-up without it.
  ProgramSearchPort* programs = nullptr;
  ProgramSearch ffmpegSearch = PosixFfmpegSearch();
  // Where the launch hands the console the songs it planned; none: the command alone.
  queue::Desk* desk = nullptr;
  // Where the launch asks the user in a window of its own (the songs question).
  ModalPort* modal = nullptr;
};

class MainWindowLogic {
 public:
  MainWindowLogic(WindowView& view, MainWindowPorts ports);

  void Load();

  // Choosers.
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Command4_Click();

  // Conversion launch: a click on Picture1, or Enter in Text4.
  void LaunchConversion();
  void Text4_KeyDown(std::uint16_t keyCode, int shift);
  // The output's kind decides whether an MP4's frame can be chosen.
  void Text4_Change();
  // The frame chosen is remembered.
  void cboFrame_Change();

  // Files dropped from a file manager: on one of the four fields, or anywhere else on the
  // window (any other control, or the window itself). Each item is a file: address or a path.
  void FilesDropped(ControlId control, const std::vector<std::string>& items);

  // Menu.
  void mnuHelp_Click();
  void mnuAbout_Click();
  void mnuDonate_Click();
  void mnuExit_Click();

  CommonDialog& CommonDialog1() { return dialog_; }

 private:
  std::string Read(const char* key);
  void Write(const char* key, const std::string& value);
  // What a launch keeps of the fields for the next start.
  void Remember(const std::string& output);
  void Message(const std::string& prompt, MessageIcon icon, const std::string& title);
  // `several`: the dialog takes several files, and several go into the field as a list.
  void ChooseMedia(const char* filter, ControlId field, const char* key, bool several = false);
  // One message naming what a chooser or a drop could not use, a line each.
  void NotUsedMessage(const char* heading, const std::vector<std::string>& lines);
  // What a chooser does with the file the user picked, once it is in the field.
  void Chosen(ControlId field, const std::string& path);
  // Songs for the audio field, put in file-name order; what cannot be listed is added to
  // `notUsed`.
  void ChosenSongs(std::vector<std::string> songs, std::vector<std::string>& notUsed);
  // The launch of several songs: the question, then one video each.
  void LaunchSongs(const std::vector<std::string>& songs);
  // The launch's warnings about short fields; no picture is missing when every song carries one.
  // The queue reads each song once, for the warnings and for its commands.
  bool WarnedAndReady(const std::vector<std::string>& songs, const queue::SongQueue& queue);
  queue::Rules Rules(bool single) const;
  // Shows the console and hands it the queue, whose first command it shows.
  void HandOver(std::shared_ptr<queue::SongQueue> queue);
  // Gives the output path the extension that it lacks.
  void ApplyExtensionRule(bool mp4Chosen);
  // The frame chosen in cboFrame.
  convert::Frame ChosenFrame() const;

  WindowView& view_;
  MainWindowPorts ports_;
  CommonDialog dialog_;
};

}  // namespace framora
