#include "app/form.h"

#include <algorithm>

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

}  // namespace framora
