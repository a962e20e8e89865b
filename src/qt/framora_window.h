// Base of every window of the Qt front-end: gives the core access to the controls by their
// object names, and tells the window manager when the window has been closed.
#pragma once

#include <QWidget>
#include <functional>

#include "app/windows.h"

namespace framora::qt {

class FramoraWindow : public QWidget, public WindowView {
  Q_OBJECT
 public:
  explicit FramoraWindow(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

  // The window's own load steps; the manager runs them once, right after creation.
  virtual void Load() {}
  // Closed windows count as unloaded at once, even while their destruction waits.
  bool IsClosed() const { return closed_; }

  std::string Text(std::string_view control) const override;
  void SetText(std::string_view control, const std::string& text) override;
  void SetFocus(std::string_view control) override;

  // Client size in pixels for a size in twips (1440 per inch) at the screen's logical dpi.
  static int Twips(int twips);
  void PlaceTwips(QWidget* w, int left, int top, int width, int height);
  void SetClientTwips(int width, int height);

 signals:
  void closedByUser();

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Lets a window delay its destruction (a run still on the stack); default: destroy now.
  virtual bool CanDestroyNow() { return true; }
  void MarkClosed();

 private:
  QWidget* Control(std::string_view name) const;
  bool closed_ = false;
};

}  // namespace framora::qt
