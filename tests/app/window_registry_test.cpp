// The rule of the windows, as both front-ends get it: at most one of each, made and loaded on
// first reference, unloaded when closed and destroyed once nothing of it is on the stack, and
// the program's end after the last one or on Exit.
#include "app/window_registry.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
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

// --- The order of Tab and of creation, from the descriptions' tab indices ---

const FormDesign* const kForms[] = {&main_form::Form(), &console_form::Form(), &about_form::Form(),
                                    &donate_form::Form()};

std::vector<std::string> Names(const std::vector<const ControlDesign*>& controls) {
  std::vector<std::string> names;
  for (const ControlDesign* c : controls) names.emplace_back(c->name);
  return names;
}

// Tab indices out of the written order; a label, a picture and a button without a tab index.
constexpr ControlId Id(int number) { return {WindowId::frmDonate, number}; }
constexpr ControlDesign kShuffled[] = {
    {.id = Id(1), .kind = ControlKind::Button, .name = "late", .tabIndex = 4},
    {.id = Id(2), .kind = ControlKind::Button, .name = "unindexed"},
    {.id = Id(3), .kind = ControlKind::Picture, .name = "graphic"},
    {.id = Id(4), .kind = ControlKind::TextBox, .name = "field", .tabIndex = 2},
    {.id = Id(5), .kind = ControlKind::Label, .name = "label", .tabIndex = 0, .labelFor = Id(4)},
    {.id = Id(6), .kind = ControlKind::Picture, .name = "pressable", .tabIndex = 1},
};
// clang-format off
constexpr FormDesign kShuffledForm{WindowId::frmDonate, "shuffled", "", 0, 0, BorderKind::Sizable,
                                   IconKind::Program, kWindowColor, kShuffled, {}};
// clang-format on

TEST(Forms, FocusMovesThroughTheControlsThatTakeItByTabIndex) {
  EXPECT_THAT(Names(InTabOrder(kShuffledForm)),
              ElementsAre("label", "pressable", "field", "late", "unindexed", "graphic"));
  EXPECT_THAT(Names(FocusOrder(kShuffledForm)),
              ElementsAre("pressable", "field", "late", "unindexed"));
  for (const FormDesign* form : kForms) {
    SCOPED_TRACE(form->name);
    // No two controls share a tab index, and those without one come last.
    const std::vector<const ControlDesign*> tab = InTabOrder(*form);
    for (std::size_t i = 1; i < tab.size(); ++i) {
      if (tab[i]->tabIndex >= 0) {
        EXPECT_LT(tab[i - 1]->tabIndex, tab[i]->tabIndex);
      }
    }
    // Tab reaches every control that takes the focus, once, in that order; each has its index.
    std::vector<const ControlDesign*> focus;
    std::ranges::copy_if(tab, std::back_inserter(focus), [](auto* c) { return TakesFocus(*c); });
    EXPECT_EQ(FocusOrder(*form), focus);
    EXPECT_TRUE(std::ranges::all_of(focus, [](auto* c) { return c->tabIndex >= 0; }));
  }
}

TEST(Forms, LabelsAreMadeRightBeforeTheFieldsTheyNameAndTheFieldsStayInTabOrder) {
  EXPECT_THAT(Names(CreationOrder(kShuffledForm)),
              ElementsAre("pressable", "label", "field", "late", "unindexed", "graphic"));
  for (const FormDesign* form : kForms) {
    SCOPED_TRACE(form->name);
    const std::vector<const ControlDesign*> made = CreationOrder(*form);
    ASSERT_EQ(made.size(), form->controls.size());
    for (std::size_t i = 0; i < made.size(); ++i) {
      if (made[i]->labelFor.number == 0) continue;
      ASSERT_LT(i + 1, made.size()) << made[i]->name;
      EXPECT_EQ(made[i + 1]->id, made[i]->labelFor) << made[i]->name;
    }
  }
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
