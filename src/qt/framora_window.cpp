#include "qt/framora_window.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextEdit>

// The pictures live in the static Qt library, where nothing would pull them in by itself.
static void InitResources() { Q_INIT_RESOURCE(resources); }

namespace framora::qt {

namespace {
QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }
std::string S(const QString& s) { return s.toUtf8().toStdString(); }
}  // namespace

FramoraWindow::FramoraWindow(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags) {
  setAttribute(Qt::WA_DeleteOnClose, false);  // destruction is ours, see closeEvent
  static const bool resources = [] {
    InitResources();
    return true;
  }();
  (void)resources;
}

int FramoraWindow::Twips(int twips) {
  // Qt sizes are in device-independent pixels, 96 per inch at scale factor 1, so high-dpi
  // screens scale the layout as a whole.
  return (twips + 7) / 15;
}

void FramoraWindow::PlaceTwips(QWidget* w, int left, int top, int width, int height) {
  w->setGeometry(Twips(left), Twips(top), Twips(width), Twips(height));
}

void FramoraWindow::SetClientTwips(int width, int height) {
  setFixedSize(Twips(width), Twips(height));
}

QWidget* FramoraWindow::Control(std::string_view name) const {
  if (name.empty()) return const_cast<FramoraWindow*>(this);
  return findChild<QWidget*>(QString::fromUtf8(name.data(), static_cast<int>(name.size())));
}

std::string FramoraWindow::Text(std::string_view control) const {
  QWidget* w = Control(control);
  if (w == this) return S(windowTitle());
  if (auto* e = qobject_cast<QLineEdit*>(w)) return S(e->text());
  if (auto* l = qobject_cast<QLabel*>(w)) return S(l->text());
  if (auto* b = qobject_cast<QAbstractButton*>(w)) return S(b->text());
  if (auto* p = qobject_cast<QPlainTextEdit*>(w)) return S(p->toPlainText());
  if (auto* t = qobject_cast<QTextEdit*>(w)) return S(t->toPlainText());
  return {};
}

void FramoraWindow::SetText(std::string_view control, const std::string& text) {
  QWidget* w = Control(control);
  if (w == this) {
    setWindowTitle(Q(text));
  } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
    e->setText(Q(text));
  } else if (auto* l = qobject_cast<QLabel*>(w)) {
    l->setText(Q(text));
  } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
    b->setText(Q(text));
  } else if (auto* p = qobject_cast<QPlainTextEdit*>(w)) {
    p->setPlainText(Q(text));
  } else if (auto* t = qobject_cast<QTextEdit*>(w)) {
    t->setPlainText(Q(text));
  }
}

void FramoraWindow::SetFocus(std::string_view control) {
  if (QWidget* w = Control(control)) w->setFocus(Qt::OtherFocusReason);
}

void FramoraWindow::MarkClosed() {
  if (closed_) return;
  closed_ = true;
  emit closedByUser();
}

void FramoraWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  MarkClosed();
  hide();
  if (CanDestroyNow()) deleteLater();
}

}  // namespace framora::qt
