// The rule of the windows, as both front-ends get it: at most one of each, made and loaded on
// first reference, unloaded when closed and destroyed once nothing of it is on the stack, and
// the program's end after the last one or on Exit.
#include "app/window_registry.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/form.h"
#include "fakes/fake_windows.h"

namespace framora {
namespace {

using ::testing::ElementsAre;

class FakeWindow : public RegisteredWindow {
 public:
  FakeWindow(WindowId id, std::vector<std::string>& log) : id_(id), log_(log) { Say("made"); }
  ~FakeWindow() override { Say("destroyed"); }
  WindowView& View() override { return view; }
  void Load() override {
    Say("loaded");
    if (onLoad) onLoad();
  }
  void ShowInFront() override { Say("shown"); }
  void Hide() override { Say("hidden"); }
  bool CanDestroyNow() override { return !running; }

  test::FakeView view;
  bool running = false;
  std::function<void()> onLoad;

 private:
  void Say(const std::string& what) {
    log_.push_back(test::FakeWindowManager::Name(id_) + " " + what);
  }
  WindowId id_;
  std::vector<std::string>& log_;
};

class WindowRegistryTest : public ::testing::Test {
 protected:
  FakeWindow* Window(WindowId id) { return static_cast<FakeWindow*>(registry.Loaded(id)); }

  std::vector<std::string> log;
  std::function<void(FakeWindow&)> onMake;
  int quits = 0;
  int reapRequests = 0;
  WindowRegistry registry{{[this](WindowId id) {
                             auto window = std::make_unique<FakeWindow>(id, log);
                             if (onMake) onMake(*window);
                             return window;
                           },
                           [this] { ++quits; }, [this](WindowRegistry&) { ++reapRequests; }}};
};

TEST_F(WindowRegistryTest, EachWindowIsMadeAndLoadedOnItsFirstReferenceOnly) {
  registry.Ref(WindowId::frmAbout).SetText(about_form::lblTitle, "x");
  registry.Show(WindowId::frmAbout);
  registry.Show(WindowId::frmAbout);
  EXPECT_THAT(log,
              ElementsAre("frmAbout made", "frmAbout loaded", "frmAbout shown", "frmAbout shown"));
  EXPECT_EQ(Window(WindowId::frmAbout)->view.Text("lblTitle"), "x");
  EXPECT_FALSE(registry.IsLoaded(WindowId::frmDonate));
}

TEST_F(WindowRegistryTest, AClosedWindowIsUnloadedAtOnceAndGoesOnceNothingOfItRuns) {
  registry.Show(WindowId::Form1);
  registry.Show(WindowId::frmReadOutput);
  FakeWindow* console = Window(WindowId::frmReadOutput);
  console->running = true;
  registry.Closed(*console);
  EXPECT_FALSE(registry.IsLoaded(WindowId::frmReadOutput));
  EXPECT_EQ(reapRequests, 1);
  registry.ReapClosed();
  EXPECT_EQ(log.back(), "frmReadOutput shown") << "its run is still on the stack";
  console->running = false;
  registry.ReapClosed();
  EXPECT_EQ(log.back(), "frmReadOutput destroyed");

  registry.Show(WindowId::frmReadOutput);  // afresh
  EXPECT_THAT(std::vector<std::string>(log.end() - 3, log.end()),
              ElementsAre("frmReadOutput made", "frmReadOutput loaded", "frmReadOutput shown"));
  EXPECT_EQ(quits, 0);
}

TEST_F(WindowRegistryTest, TheProgramEndsWhenItsLastWindowHasClosed) {
  registry.Show(WindowId::Form1);
  registry.Show(WindowId::frmDonate);
  registry.Closed(*Window(WindowId::Form1));
  EXPECT_EQ(quits, 0);
  EXPECT_FALSE(registry.Ending());
  registry.Closed(*Window(WindowId::frmDonate));
  EXPECT_EQ(quits, 1);
  EXPECT_TRUE(registry.Ending());
}

TEST_F(WindowRegistryTest, ExitHidesEveryWindowAndEndsTheProgramWithoutClosingAny) {
  registry.Show(WindowId::Form1);
  registry.Show(WindowId::frmAbout);
  log.clear();
  registry.EndProgram();
  EXPECT_THAT(log, ElementsAre("Form1 hidden", "frmAbout hidden"));
  EXPECT_EQ(quits, 1);
  EXPECT_TRUE(registry.Ending());
  EXPECT_TRUE(registry.IsLoaded(WindowId::frmAbout));
}

TEST_F(WindowRegistryTest, AWindowThatClosesInItsOwnLoadIsNotLoadedAfterwards) {
  registry.Show(WindowId::Form1);
  onMake = [this](FakeWindow& window) { window.onLoad = [&] { registry.Closed(window); }; };
  registry.Ref(WindowId::frmDonate).SetText(donate_form::Label1, "still written");
  EXPECT_FALSE(registry.IsLoaded(WindowId::frmDonate));
  EXPECT_EQ(log.back(), "frmDonate loaded");
}

// --- The order of Tab, from the descriptions' tab indices ---

TEST(Forms, FocusMovesThroughTheControlsThatTakeItByTabIndex) {
  const auto names = [](const FormDesign& form) {
    std::vector<std::string> order;
    for (const ControlDesign* c : FocusOrder(form)) order.emplace_back(c->name);
    return order;
  };
  EXPECT_THAT(names(main_form::Form()),
              ElementsAre("Command1", "Text1", "Command2", "Command3", "Text2", "Text3", "Picture1",
                          "Text4", "Command4"));
  EXPECT_THAT(names(console_form::Form()),
              ElementsAre("txtCommand", "cmdExecute", "cmdCancel", "rtfOutput", "Text1"));
  EXPECT_THAT(names(about_form::Form()), ElementsAre("cmdOK", "picIcon", "cmdSysInfo"));
  EXPECT_TRUE(names(donate_form::Form()).empty());
  // Labels, lines and a picture without a tab index come last when windows are made.
  EXPECT_EQ(InTabOrder(donate_form::Form()).back()->name, "Image1");
  EXPECT_EQ(InTabOrder(about_form::Form()).back()->name, "Line1_0");
}

TEST(Forms, LabelsAreMadeRightBeforeTheFieldsTheyNameAndTheFieldsStayInTabOrder) {
  std::vector<std::string> made;
  for (const ControlDesign* c : CreationOrder(main_form::Form())) made.emplace_back(c->name);
  EXPECT_THAT(made,
              ElementsAre("Command1", "Label1", "Text1", "Command2", "Command3", "Label2", "Text2",
                          "Label3", "Text3", "Picture1", "Label4", "Text4", "Command4"));
  EXPECT_EQ(AccessibleName(main_form::Form(), *main_form::Form().Find(main_form::Text3)),
            "Audio file location");
  // Every system colour of the descriptions has a value where the platform has none.
  for (const FormDesign* form : {&main_form::Form(), &console_form::Form()}) {
    for (const ControlDesign& c : form->controls) {
      for (const FormColor color : {c.back, c.fore}) {
        if (color != kWindowColor && (color & kSystemColorFlag) != 0) {
          EXPECT_LE(color & 0xFFu, 30u) << c.name;
        }
      }
    }
  }
}

}  // namespace
}  // namespace framora
