#include "qt/accessible.h"

#include <QAccessibleWidget>
#include <algorithm>
#include <string>

#include "qt/click_label.h"
#include "qt/console_pane_view.h"

namespace framora::qt {

namespace {

QAccessible::Role ToQt(AccessibleRole role) {
  switch (role) {
    case AccessibleRole::Button:
      return QAccessible::Button;
    case AccessibleRole::Link:
      return QAccessible::Link;
    case AccessibleRole::Graphic:
      return QAccessible::Graphic;
    default:
      return QAccessible::StaticText;
  }
}

class ClickLabelAccessible : public QAccessibleWidget {
 public:
  explicit ClickLabelAccessible(ClickLabel* label)
      : QAccessibleWidget(label, ToQt(label->Role())) {}

  QString text(QAccessible::Text t) const override {
    const QString own = QAccessibleWidget::text(t);
    if (t != QAccessible::Name || !own.isEmpty()) return own;
    return Label()->text();  // a link is named by its words
  }
  QStringList actionNames() const override {
    QStringList names = QAccessibleWidget::actionNames();
    if (Label()->Acts()) names.prepend(pressAction());
    return names;
  }
  void doAction(const QString& action) override {
    if (action == pressAction() && Label()->Acts()) {
      // From the event loop: what it starts may show a modal box, and the screen reader waits
      // for this call to return.
      QMetaObject::invokeMethod(Label(), &ClickLabel::Click, Qt::QueuedConnection);
    } else {
      QAccessibleWidget::doAction(action);
    }
  }

 private:
  ClickLabel* Label() const { return static_cast<ClickLabel*>(widget()); }
};

// The pane's text, with offsets in UTF-16 units as screen readers count them, while the pane
// keeps UTF-8 bytes. The count up to the end is kept and only grows with the text, so that
// what lies near the end (the caret, the latest output) is found without reading megabytes;
// when the pane cuts old text out, it is counted afresh (a few hundred kilobytes at most).
class ConsolePaneAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit ConsolePaneAccessible(ConsolePaneView* view)
      : QAccessibleWidget(view, QAccessible::EditableText) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }
  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    state.multiLine = true;
    return state;
  }

  int characterCount() const override { return static_cast<int>(End().units); }
  QString text(int start, int end) const override {
    const std::size_t from = ByteAt(start);
    return QString::fromStdString(View()->Text().Substr(from, ByteAt(end) - from));
  }
  int cursorPosition() const override { return UnitAt(View()->Caret()); }
  void setCursorPosition(int) override {}  // read-only; the caret follows the output
  int selectionCount() const override { return View()->HasSelection() ? 1 : 0; }
  void selection(int index, int* start, int* end) const override {
    *start = *end = 0;
    if (index != 0 || !View()->HasSelection()) return;
    *start = UnitAt(std::min(View()->Anchor(), View()->Caret()));
    *end = UnitAt(std::max(View()->Anchor(), View()->Caret()));
  }
  void addSelection(int start, int end) override { setSelection(0, start, end); }
  void removeSelection(int) override { View()->SetSelection(View()->Caret(), View()->Caret()); }
  void setSelection(int, int start, int end) override {
    View()->SetSelection(ByteAt(start), ByteAt(end));
  }
  QString attributes(int offset, int* start, int* end) const override {
    *start = *end = offset;
    return {};
  }
  QRect characterRect(int) const override { return {}; }
  int offsetAtPoint(const QPoint&) const override { return -1; }
  void scrollToSubstring(int, int) override {}

 private:
  struct Count {
    std::size_t bytes = 0;
    std::size_t units = 0;
  };
  ConsolePaneView* View() const { return static_cast<ConsolePaneView*>(widget()); }

  static bool Lead(char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }
  static std::size_t Units(char c) {
    if (!Lead(c)) return 0;
    return static_cast<unsigned char>(c) >= 0xF0 ? 2 : 1;  // beyond the BMP: a surrogate pair
  }
  // Counted up to the end of the text, counting only what came since the last time.
  Count End() const {
    const console::ChunkedText& text = View()->Text();
    if (View()->Revision() != revision_ || text.size() < end_.bytes) {
      revision_ = View()->Revision();
      end_ = {};
    }
    text.ForEachSpan(end_.bytes, text.size() - end_.bytes, [this](std::string_view span) {
      for (const char c : span) end_.units += Units(c);
      end_.bytes += span.size();
    });
    return end_;
  }
  // Byte and unit of a position, counted from whichever end is nearer.
  int UnitAt(std::size_t byte) const {
    const Count end = End();
    byte = std::min(byte, end.bytes);
    std::size_t units = 0;
    if (byte < end.bytes / 2) {
      View()->Text().ForEachSpan(0, byte, [&](std::string_view s) {
        for (const char c : s) units += Units(c);
      });
      return static_cast<int>(units);
    }
    View()->Text().ForEachSpan(byte, end.bytes - byte, [&](std::string_view s) {
      for (const char c : s) units += Units(c);
    });
    return static_cast<int>(end.units - units);
  }
  std::size_t ByteAt(int unit) const {
    const Count end = End();
    const std::size_t wanted =
        std::clamp<std::size_t>(static_cast<std::size_t>(std::max(unit, 0)), 0, end.units);
    const console::ChunkedText& text = View()->Text();
    if (wanted >= end.units / 2) {
      // Back from the end to the character that starts at the unit wanted.
      std::size_t byte = end.bytes;
      std::size_t units = end.units;
      while (units > wanted && byte > 0) {
        --byte;
        units -= Units(text[byte]);
      }
      return byte;
    }
    std::size_t byte = 0;
    std::size_t units = 0;
    while (byte < end.bytes && (units < wanted || !Lead(text[byte]))) units += Units(text[byte++]);
    return byte;
  }

  mutable Count end_;
  mutable std::size_t revision_ = 0;
};

QAccessibleInterface* MakeAccessible(const QString& className, QObject* object) {
  if (className == QLatin1String(ClickLabel::staticMetaObject.className())) {
    return new ClickLabelAccessible(static_cast<ClickLabel*>(object));
  }
  if (className == QLatin1String(ConsolePaneView::staticMetaObject.className())) {
    return new ConsolePaneAccessible(static_cast<ConsolePaneView*>(object));
  }
  return nullptr;
}

}  // namespace

void InstallAccessibleFactory() {
  static const bool installed = [] {
    QAccessible::installFactory(&MakeAccessible);
    return true;
  }();
  (void)installed;
}

}  // namespace framora::qt
