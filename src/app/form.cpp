#include "app/form.h"

#include "app/text.h"

#include <algorithm>
#include <iterator>

namespace framora {

std::vector<const ControlDesign*> InTabOrder(const FormDesign& form) {
  std::vector<const ControlDesign*> ordered;
  for (const ControlDesign& control : form.controls) ordered.push_back(&control);
  // -1, no tab index, counts as the largest.
  std::stable_sort(ordered.begin(), ordered.end(),
                   [](const ControlDesign* a, const ControlDesign* b) {
                     return static_cast<unsigned>(a->tabIndex) < static_cast<unsigned>(b->tabIndex);
                   });
  return ordered;
}

std::vector<const ControlDesign*> FocusOrder(const FormDesign& form) {
  std::vector<const ControlDesign*> ordered = InTabOrder(form);
  std::erase_if(ordered, [](const ControlDesign* control) { return !TakesFocus(*control); });
  return ordered;
}

std::vector<const ControlDesign*> CreationOrder(const FormDesign& form) {
  std::vector<const ControlDesign*> ordered = InTabOrder(form);
  for (const ControlDesign& label : form.controls) {
    if (label.labelFor.number == 0) continue;
    std::erase(ordered, &label);
    const auto named = std::find_if(ordered.begin(), ordered.end(), [&](const ControlDesign* c) {
      return c->id == label.labelFor;
    });
    ordered.insert(named, &label);
  }
  return ordered;
}

AccessibleRole RoleOf(const ControlDesign& control) {
  switch (control.kind) {
    case ControlKind::Button:
      return AccessibleRole::Button;
    case ControlKind::TextBox:
      return AccessibleRole::Text;
    case ControlKind::Label:
      return AccessibleRole::StaticText;
    case ControlKind::LinkLabel:
      return AccessibleRole::Link;
    case ControlKind::Picture:
      return control.pictureRole;
    case ControlKind::Pane:
      return AccessibleRole::Output;
    case ControlKind::Line:
      return AccessibleRole::Separator;
    case ControlKind::ComboBox:
      return AccessibleRole::ComboBox;
    case ControlKind::ProgressBar:
      return AccessibleRole::ProgressBar;
  }
  return AccessibleRole::StaticText;
}

std::string AccessibleName(const FormDesign& form, const ControlDesign& control) {
  std::string_view text = control.accessibleName;
  for (const ControlDesign& label : form.controls) {
    if (text.empty() && label.labelFor.number != 0 && label.labelFor == control.id) {
      text = label.text;
    }
  }
  std::string name;
  for (const char c : WithoutAccessKeys(text)) {
    if (c != ' ' || (!name.empty() && name.back() != ' ')) name += c;
  }
  if (!name.empty() && name.back() == ' ') name.pop_back();
  return name;
}

std::uint32_t StandardSystemColor(int index) {
  static constexpr std::uint32_t kColors[] = {
      0xC8C8C8, 0x000000, 0x99B4D1, 0xBFCDDB, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
      0x000000, 0x000000, 0xB4B4B4, 0xF4F7FC, 0xABABAB, 0x3399FF, 0xFFFFFF, 0xF0F0F0,
      0xA0A0A0, 0x6D6D6D, 0x000000, 0x434E54, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
      0xFFFFE1, 0xB5B5B5, 0x0066CC, 0xB9D1EA, 0xD7E4F2, 0x3399FF, 0xF0F0F0};
  return index >= 0 && index < static_cast<int>(std::size(kColors)) ? kColors[index] : 0x000000;
}

}  // namespace framora
