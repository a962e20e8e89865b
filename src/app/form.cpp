#include "app/form.h"

#include <algorithm>

namespace framora {

std::vector<const ControlSpec*> InTabOrder(const FormSpec& form) {
  std::vector<const ControlSpec*> ordered;
  for (const ControlSpec& control : form.controls) ordered.push_back(&control);
  // -1, no tab index, counts as the largest.
  std::stable_sort(ordered.begin(), ordered.end(), [](const ControlSpec* a, const ControlSpec* b) {
    return static_cast<unsigned>(a->tabIndex) < static_cast<unsigned>(b->tabIndex);
  });
  return ordered;
}

std::vector<const ControlSpec*> FocusOrder(const FormSpec& form) {
  std::vector<const ControlSpec*> ordered = InTabOrder(form);
  std::erase_if(ordered, [](const ControlSpec* control) { return !TakesFocus(*control); });
  return ordered;
}

}  // namespace framora
