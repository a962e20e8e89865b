#include "qt/framora_window.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "qt/accessible.h"
#include "qt/click_label.h"
#include "qt/qt_text.h"
#include "qt/wrap_button.h"

// The pictures live in the static Qt library, where nothing would pull them in by itself.
static void InitResources() { Q_INIT_RESOURCE(resources); }

namespace framora::qt {

namespace {

Qt::WindowFlags Flags(BorderKind border) {
  constexpr Qt::WindowFlags kFixed =
      Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
  switch (border) {
    case BorderKind::Sizable:
      return {};
    case BorderKind::FixedDialog:
      return Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint | kFixed;
    case BorderKind::FixedToolWindow:
      return Qt::Tool | kFixed;
  }
  return {};
}

// One straight horizontal line; the widget is exactly the line.
class LineControl : public QWidget {
 public:
  LineControl(const QColor& color, QWidget* parent) : QWidget(parent), color_(color) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
  }

 protected:
  void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), color_); }

 private:
  QColor color_;
};

void SetColors(QWidget* w, QPalette::ColorRole backRole, FormColor back,
               QPalette::ColorRole textRole, FormColor text) {
  QPalette p = w->palette();
  if (back != kWindowColor) p.setColor(backRole, ToQColor(back));
  if (text != kWindowColor) p.setColor(textRole, ToQColor(text));
  w->setPalette(p);
}

// A look-alike font can be wider than the one a label was laid out for: rather than cut the
// text off, narrow the font (a condensed face, then smaller sizes) until it fits.
void FitLabelFont(QLabel* label) {
  QFont font = label->font();
  const auto fits = [&] {
    return QFontMetrics(font).horizontalAdvance(label->text()) <= label->width();
  };
  if (fits()) return;
  font.setStretch(QFont::SemiCondensed);
  while (!fits() && font.pointSize() > 8) font.setPointSize(font.pointSize() - 1);
  label->setFont(font);
}

}  // namespace

int FramoraWindow::Twips(int twips) { return (twips + 7) / 15; }

FramoraWindow::FramoraWindow(const FormDesign& form, WindowRegistry* registry)
    : QWidget(nullptr, Flags(form.border)), form_(form), registry_(registry) {
  static const bool resources = [] {
    InitResources();
    return true;
  }();
  (void)resources;
  InstallAccessibleFactory();
  setAttribute(Qt::WA_DeleteOnClose, false);  // the registry destroys closed windows
  setObjectName(Q(form.name));
  setWindowTitle(Q(form.caption));
  setWindowIcon(form.icon == IconKind::Console ? QIcon(":/images/console-icon.png")
                                               : ProgramIcon());
  // A tool window would not keep the program alive on its own; this one may be the last.
  if (form.border == BorderKind::FixedToolWindow) setAttribute(Qt::WA_QuitOnClose, true);
  if (form.back != kWindowColor) {
    setAutoFillBackground(true);
    SetColors(this, QPalette::Window, form.back, QPalette::WindowText, kWindowColor);
  }
  int menuHeight = 0;
  if (!form.menu.empty()) {
    BuildMenu();
    menuHeight = client_->y();
  }
  const QSize size(Twips(form.clientWidth), Twips(form.clientHeight) + menuHeight);
  // A resizable window has no handling for it: its controls keep their places.
  if (form.border == BorderKind::Sizable) {
    resize(size);
  } else {
    setFixedSize(size);
  }
}

void FramoraWindow::BuildMenu() {
  auto* bar = new QMenuBar(this);
  QMenu* menu = nullptr;
  for (const MenuItemDesign& item : form_.menu) {
    QAction* action = nullptr;
    if (item.level == 0) {
      menu = bar->addMenu(Q(item.caption));
      menu->setObjectName(Q(item.name));
      action = menu->menuAction();
    } else {
      action = item.caption == "-" ? menu->addSeparator() : menu->addAction(Q(item.caption));
      action->setObjectName(Q(item.name));
    }
    menuItems_[item.id.number] = action;
  }
  // The client area sits below the menu bar.
  client_ = new QWidget(this);
  client_->setObjectName("client");
  const int menuHeight = bar->sizeHint().height();
  bar->setGeometry(0, 0, Twips(form_.clientWidth), menuHeight);
  client_->setGeometry(0, menuHeight, Twips(form_.clientWidth), Twips(form_.clientHeight));
}

void FramoraWindow::Build(EventTarget target, const SpecialControl& special) {
  // The rows name handlers of one class; the logic given must be of it.
  if (form_.logic != nullptr && target.type != form_.logic) {
    qFatal("%s: its logic is not of the class its description is for", form_.name.data());
  }
  target_ = target;
  for (const MenuItemDesign& item : form_.menu) {
    if (item.on) {
      connect(MenuItem(item.id), &QAction::triggered, this, [this, &item] { Fire(item.on); });
    }
  }
  for (const ControlDesign* design : CreationOrder(form_)) {
    const ControlDesign& control = *design;
    QWidget* w = Make(control, client_, special);
    w->setObjectName(Q(control.name));
    const TwipsRect& r = control.rect;
    w->setGeometry(Twips(r.left), Twips(r.top), Twips(r.width), Twips(r.height));
    if (!control.font.face.empty()) {
      QFont font(Q(control.font.face));
      font.setPointSizeF(control.font.points);
      font.setBold(control.font.bold);
      font.setUnderline(control.font.underline);
      w->setFont(font);
    }
    if (auto* label = qobject_cast<QLabel*>(w); label && !control.wordWrap) FitLabelFont(label);
    if (control.autoSize) {
      if (auto* label = qobject_cast<QLabel*>(w); label && !label->pixmap().isNull()) {
        label->resize(label->pixmap().size());
      }
    }
    // Fields and pictures are named by their labels or by what they are for; buttons and
    // labels by their own words.
    if (const std::string name = AccessibleName(form_, control); !name.empty()) {
      w->setAccessibleName(Q(name));
    }
    controls_[control.id.number] = w;
    if (control.on) Wire(control, w);
    // What the user types or picks, not what the program writes (setText does not edit, and
    // setCurrentIndex does not activate).
    if (auto* box = qobject_cast<QLineEdit*>(w); box && control.onChange) {
      connect(box, &QLineEdit::textEdited, this, [this, &control] { Fire(control.onChange); });
    }
    if (auto* list = qobject_cast<QComboBox*>(w); list && control.onChange) {
      connect(list, &QComboBox::activated, this, [this, &control] { Fire(control.onChange); });
    }
  }
  for (const ControlDesign& control : form_.controls) {
    if (control.labelFor.number == 0) continue;
    if (auto* label = Control<QLabel>(control.id)) label->setBuddy(Widget(control.labelFor));
  }
  const std::vector<const ControlDesign*> focusOrder = FocusOrder(form_);
  for (std::size_t i = 0; i + 1 < focusOrder.size(); ++i) {
    setTabOrder(Widget(focusOrder[i]->id), Widget(focusOrder[i + 1]->id));
  }
  if (!focusOrder.empty()) Widget(focusOrder.front()->id)->setFocus();
}

QWidget* FramoraWindow::Make(const ControlDesign& control, QWidget* parent,
                             const SpecialControl& special) {
  if (QWidget* made = special ? special(control, parent) : nullptr) return made;
  const QString text = Q(control.text);
  const bool coloured = control.back != kWindowColor || control.fore != kWindowColor;
  QWidget* w = nullptr;
  switch (control.kind) {
    case ControlKind::Button: {
      auto* button =
          control.wordWrap ? new WrapButton(text, parent) : new QPushButton(text, parent);
      const bool anyDefault = std::any_of(form_.controls.begin(), form_.controls.end(),
                                          [](const ControlDesign& c) { return c.isDefault; });
      button->setDefault(control.isDefault);
      button->setAutoDefault(anyDefault);  // Enter presses the focused button, as in a dialog
      w = button;
      break;
    }
    case ControlKind::Label:
    case ControlKind::LinkLabel: {
      auto* label = control.kind == ControlKind::LinkLabel ? new ClickLabel(RoleOf(control), parent)
                                                           : new QLabel(parent);
      label->setText(text);
      label->setTextFormat(Qt::PlainText);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      label->setWordWrap(control.wordWrap);
      if (control.back != kWindowColor) label->setAutoFillBackground(true);
      SetColors(label, QPalette::Window, control.back, QPalette::WindowText, control.fore);
      w = label;
      break;
    }
    case ControlKind::TextBox: {
      auto* box = new QLineEdit(text, parent);
      SetColors(box, QPalette::Base, control.back, QPalette::Text, control.fore);
      w = box;
      break;
    }
    case ControlKind::Picture: {
      auto* picture = new ClickLabel(RoleOf(control), parent);
      picture->setPixmap(QPixmap(":/images/" + Q(control.picture) + ".png"));
      picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      if (TakesFocus(control)) picture->setFocusPolicy(Qt::StrongFocus);
      w = picture;
      break;
    }
    case ControlKind::Line:
      w = new LineControl(ToQColor(control.fore), parent);
      break;
    case ControlKind::Pane:
      w = new QWidget(parent);  // the window makes its own pane; an empty place otherwise
      break;
    case ControlKind::ComboBox: {
      auto* list = new QComboBox(parent);
      for (const std::string_view item : control.items) list->addItem(Q(item));
      w = list;
      break;
    }
    case ControlKind::ProgressBar: {
      auto* bar = new QProgressBar(parent);
      bar->setRange(0, 100);
      bar->setValue(0);
      bar->setTextVisible(false);  // the label above it says it in words
      w = bar;
      break;
    }
  }
  // In a window of another colour, what has no colours of its own keeps the usual ones.
  if (!coloured && form_.back != kWindowColor) w->setPalette(QGuiApplication::palette());
  return w;
}

void FramoraWindow::Wire(const ControlDesign& control, QWidget* widget) {
  if (control.on.kind != EventKind::Click) {
    widget->installEventFilter(this);  // Enter, in eventFilter()
    return;
  }
  // One that cannot be clicked now does nothing, whatever clicked it.
  const auto click = [this, widget, &control] {
    if (widget->isEnabled() && widget->isVisibleTo(this)) Fire(control.on);
  };
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    connect(button, &QAbstractButton::clicked, this, click);
  } else if (auto* clickable = qobject_cast<ClickLabel*>(widget)) {
    clickable->setCursor(Qt::PointingHandCursor);
    connect(clickable, &ClickLabel::clicked, this, click);
  }
}

int FramoraWindow::Fire(const EventHandler& handler, int key, int shift) {
  if (closed_ || !handler) return key;  // a click still queued when the window went away
  struct Running {
    FramoraWindow& window;
    explicit Running(FramoraWindow& w) : window(w) { ++window.running_; }
    ~Running() {
      if (--window.running_ == 0 && window.closed_ && window.registry_ != nullptr) {
        window.registry_->ReapSoon();
      }
    }
  } running(*this);
  return handler.run(target_.logic, key, shift);
}

void FramoraWindow::Load() { Fire(form_.onLoad); }

bool FramoraWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) {
    return QWidget::eventFilter(watched, event);
  }
  for (const ControlDesign& control : form_.controls) {
    if (!control.on || control.on.kind == EventKind::Click || Widget(control.id) != watched) {
      continue;
    }
    // The shift state as the key handlers take it: 1 Shift, 2 Ctrl, 4 Alt.
    const Qt::KeyboardModifiers held = key->modifiers();
    const int shift = (held & Qt::ShiftModifier ? 1 : 0) | (held & Qt::ControlModifier ? 2 : 0) |
                      (held & Qt::AltModifier ? 4 : 0);
    const int passed = Fire(control.on, kKeyEnter, shift);
    return control.on.kind == EventKind::KeyPress && passed == 0;  // swallowed
  }
  return QWidget::eventFilter(watched, event);
}

QWidget* FramoraWindow::Widget(ControlId control) const {
  if (control.window != form_.id) return nullptr;
  if (control.number == 0) return const_cast<FramoraWindow*>(this);
  const auto found = controls_.find(control.number);
  return found == controls_.end() ? nullptr : found->second;
}

QAction* FramoraWindow::MenuItem(ControlId item) const {
  const auto found = menuItems_.find(item.number);
  return found == menuItems_.end() ? nullptr : found->second;
}

std::string FramoraWindow::Text(ControlId control) const {
  QWidget* w = Widget(control);
  if (w == this) return S(windowTitle());
  if (auto* e = qobject_cast<QLineEdit*>(w)) return S(e->text());
  if (auto* l = qobject_cast<QLabel*>(w)) return S(l->text());
  if (auto* b = qobject_cast<QAbstractButton*>(w)) return S(b->text());
  if (auto* c = qobject_cast<QComboBox*>(w)) return S(c->currentText());
  if (auto* p = qobject_cast<QProgressBar*>(w)) return S(p->property("framoraText").toString());
  return {};
}

void FramoraWindow::SetText(ControlId control, const std::string& text) {
  QWidget* w = Widget(control);
  if (w == this) {
    setWindowTitle(Q(text));
  } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
    e->setText(Q(text));
  } else if (auto* l = qobject_cast<QLabel*>(w)) {
    l->setText(Q(text));
  } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
    b->setText(Q(text));
  } else if (auto* c = qobject_cast<QComboBox*>(w)) {
    c->setCurrentIndex(std::max(0, c->findText(Q(text))));
  } else if (auto* p = qobject_cast<QProgressBar*>(w)) {
    // The per cent, "-1" for a job without a known end (a busy bar), empty for no job.
    p->setProperty("framoraText", Q(text));
    const int percent = text.empty() ? 0 : std::atoi(text.c_str());
    p->setRange(0, percent < 0 ? 0 : 100);
    p->setValue(std::max(percent, 0));
  }
}

void FramoraWindow::SetEnabled(ControlId control, bool enabled) {
  if (QWidget* w = Widget(control); w != nullptr && w != this) w->setEnabled(enabled);
}

void FramoraWindow::SetFocus(ControlId control) {
  if (QWidget* w = Widget(control)) w->setFocus(Qt::OtherFocusReason);
}

void FramoraWindow::SetVisible(ControlId control, bool visible) {
  if (QWidget* w = Widget(control); w != nullptr && w != this) w->setVisible(visible);
}

void FramoraWindow::ShowInFront() {
  show();
  raise();
  activateWindow();
}

void FramoraWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  if (closed_) return;
  Fire(form_.onClosed);
  closed_ = true;
  hide();
  if (registry_ != nullptr) registry_->Closed(*this);
}

void FramoraWindow::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  const bool escape = event->key() == Qt::Key_Escape;
  for (const ControlDesign& control : form_.controls) {
    if ((enter && control.isDefault) || (escape && control.isCancel)) {
      if (auto* button = Control<QAbstractButton>(control.id)) {
        button->click();
        return;
      }
    }
  }
  QWidget::keyPressEvent(event);
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 45, 48, 64, 128, 256})
    icon.addFile(QStringLiteral(":/images/app-icon-%1.png").arg(size), QSize(size, size));
  return icon;
}

std::uint32_t ColorToRgb(FormColor color) {
  if (color & kSystemColorFlag) return StandardSystemColor(static_cast<int>(color & 0xFFu));
  const std::uint32_t r = color & 0xFFu;
  const std::uint32_t g = (color >> 8) & 0xFFu;
  const std::uint32_t b = (color >> 16) & 0xFFu;
  return (r << 16) | (g << 8) | b;
}

QColor ToQColor(FormColor color) { return QColor::fromRgb(ColorToRgb(color)); }

}  // namespace framora::qt
