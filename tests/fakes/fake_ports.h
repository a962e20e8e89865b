// Every port of a window's context as a fake, wired into one AppContext. A test that wants
// the program's own window registry puts it in ctx.windows.
#pragma once

#include <memory>

#include "app/app_context.h"
#include "fakes/fake_desktop.h"
#include "fakes/fake_file_dialog.h"
#include "fakes/fake_file_system.h"
#include "fakes/fake_message_box.h"
#include "fakes/fake_process_host.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_settings.h"
#include "fakes/fake_windows.h"
#include "queue/desk.h"

namespace framora::test {

struct FakePorts {
  FakePorts() {
    ctx.settings = &settings;
    ctx.messages = &messages;
    ctx.fileDialog = &dialog;
    ctx.desktop = &desktop;
    ctx.files = &files;
    ctx.registry = &registry;
    ctx.windows = &windows;
    ctx.programs = &programs;
    ctx.desk = &desk;
    ctx.makeProcessHost = [] { return std::make_unique<FakeProcessHost>(); };
  }
  FakePorts(const FakePorts&) = delete;
  FakePorts& operator=(const FakePorts&) = delete;

  FakeSettings settings;
  FakeMessageBox messages;
  FakeFileDialog dialog;
  FakeDesktop desktop;
  FakeFileSystem files;
  FakeRegistry registry;
  FakeWindowManager windows;
  FakeProgramSearch programs;
  queue::Desk desk;
  AppContext ctx;
};

}  // namespace framora::test
