// Keeps every window at most once and loads it on first reference.
#pragma once

#include <QPointer>
#include <array>
#include <functional>

#include "app/windows.h"
#include "qt/framora_window.h"

namespace framora::qt {

class QtWindowManager : public WindowManager {
 public:
  using Factory = std::function<FramoraWindow*(WindowId)>;
  explicit QtWindowManager(Factory factory) : factory_(std::move(factory)) {}
  ~QtWindowManager() override;

  WindowView& Ref(WindowId id) override;
  void Show(WindowId id) override;
  bool IsLoaded(WindowId id) const override;
  void EndProgram() override;

  FramoraWindow* Loaded(WindowId id) const;
  bool Ending() const { return ending_; }

 private:
  Factory factory_;
  std::array<QPointer<FramoraWindow>, 4> windows_;
  bool ending_ = false;
};

}  // namespace framora::qt
