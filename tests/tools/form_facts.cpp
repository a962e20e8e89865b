// Prints what the display tests expect of each real window, read from the window descriptions,
// one tab-separated line each:
//   size  <caption>  <width>  <least height>  <greatest height>   (pixels)
//   focus <caption>  <accessible name>  <role>                     (in tab order)
// The role is the one the Qt front-end reports over AT-SPI.
#include <cstdio>
#include <string>
#include <string_view>

#include "app/form.h"
#include "app/text.h"
#include "console/queue_done.h"
#include "fakes/fake_windows.h"
#include "info/about.h"

namespace framora {
namespace {

// 1440 twips an inch at 96 pixels an inch, to the nearest pixel.
int Pixels(int twips) { return (twips + 7) / 15; }

const char* RoleName(AccessibleRole role) {
  switch (role) {
    case AccessibleRole::Button:
      return "push button";
    case AccessibleRole::Text:
    case AccessibleRole::Output:
      return "text";
    case AccessibleRole::StaticText:
      return "label";
    case AccessibleRole::Link:
      return "link";
    case AccessibleRole::Graphic:
      return "image";
    case AccessibleRole::Separator:
      return "separator";
    case AccessibleRole::ComboBox:
      return "combo box";
    case AccessibleRole::ProgressBar:
      return "progress bar";
  }
  return "unknown";
}

void Print(const FormDesign& form) {
  test::FakeView view;  // the caption as the window's load steps leave it
  view.texts[""] = form.caption;
  if (form.id == WindowId::frmAbout) LoadAbout(view);
  const std::string caption = view.Text("");
  const int height = Pixels(form.clientHeight);
  // A menu bar adds its own height on top of the client area: one line of the platform's menu
  // font.
  const bool menu = !form.menu.empty();
  std::printf("size\t%s\t%d\t%d\t%d\n", caption.c_str(), Pixels(form.clientWidth),
              height + (menu ? 1 : 0), height + (menu ? 60 : 0));
  for (const ControlDesign* control : FocusOrder(form)) {
    std::string name = AccessibleName(form, *control);
    if (name.empty()) name = WithoutAccessKeys(control->text);
    std::printf("focus\t%s\t%s\t%s\n", caption.c_str(), name.c_str(), RoleName(RoleOf(*control)));
  }
}

}  // namespace
}  // namespace framora

int main() {
  using namespace framora;
  for (const FormDesign* form :
       {&main_form::Form(), &console_form::Form(), &about_form::Form(), &donate_form::Form(),
        &songs_question_form::Form(), &console::queue_done_form::Form()}) {
    Print(*form);
  }
}
