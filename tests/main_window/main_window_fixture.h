// A main window wired to fakes, with the four fields as a fake view.
#pragma once

#include <gtest/gtest.h>

#include "app/settings.h"
#include "fakes/fake_desktop.h"
#include "fakes/fake_file_dialog.h"
#include "fakes/fake_file_system.h"
#include "fakes/fake_message_box.h"
#include "fakes/fake_settings.h"
#include "fakes/fake_windows.h"
#include "main_window/main_window.h"
#include "queue/desk.h"
#include "queue/song_queue.h"

namespace framora::test {

class MainWindowTest : public ::testing::Test {
 protected:
  FakeSettings settings;
  FakeMessageBox messages;
  FakeFileDialog dialog;
  FakeFileSystem files;
  FakeDesktop desktop;
  FakeWindowManager windows;
  FakeView view;
  FakeProgramSearch programs;
  queue::Desk desk;
  FakeModal modal;  // answers the songs question with the button it is told to click
  MainWindowLogic form{
      view, MainWindowPorts{settings, messages, dialog, files, desktop, windows, ShellKind::Posix,
                            &programs, PosixFfmpegSearch(), &desk, &modal}};

  std::optional<std::string> Stored(const char* key) {
    return settings.Read(kSettingsApp, kSettingsSection, key);
  }
  void Store(const char* key, const std::string& value) {
    settings.values[{kSettingsApp, kSettingsSection, key}] = value;
  }
  void Fields(const std::string& t1, const std::string& t2, const std::string& t3,
              const std::string& t4) {
    view.texts["Text1"] = t1;
    view.texts["Text2"] = t2;
    view.texts["Text3"] = t3;
    view.texts["Text4"] = t4;
  }
};

}  // namespace framora::test
