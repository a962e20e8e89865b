#include "qt/console_pane_view.h"

#include <QClipboard>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

namespace framora::qt {

namespace {

constexpr int kMargin = 2;  // pixels left of the text
constexpr int kTabWidth = 8;

bool IsLead(char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }

// A line as drawn: tabs expanded to the next multiple of eight columns, other control
// characters left out. The drawing of a line's beginning is the beginning of its drawing, so
// widths of prefixes give positions inside the line.
QString Drawn(std::string_view bytes) {
  const QString in = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QString out;
  out.reserve(in.size());
  for (const QChar c : in) {
    if (c == u'\t') {
      do {
        out += u' ';
      } while (out.size() % kTabWidth != 0);
    } else if (c.unicode() >= 0x20) {
      out += c;
    }
  }
  return out;
}

// "\r\n" becomes "\n"; what the clipboard and the tests see.
QString PlainLines(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    out += bytes[i];
  }
  return QString::fromUtf8(out.data(), static_cast<qsizetype>(out.size()));
}

}  // namespace

ConsolePaneView::ConsolePaneView(const console::ChunkedText& text, QWidget* parent)
    : QAbstractScrollArea(parent), text_(text) {
  setFocusPolicy(Qt::StrongFocus);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  viewport()->setCursor(Qt::IBeamCursor);
  // Dark scroll bars, so that they do not glare beside the black pane.
  QPalette bars = palette();
  bars.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
  bars.setColor(QPalette::Base, QColor(0x20, 0x20, 0x20));
  bars.setColor(QPalette::Button, QColor(0x50, 0x50, 0x50));
  bars.setColor(QPalette::Light, QColor(0x70, 0x70, 0x70));
  bars.setColor(QPalette::Midlight, QColor(0x60, 0x60, 0x60));
  bars.setColor(QPalette::Mid, QColor(0x40, 0x40, 0x40));
  bars.setColor(QPalette::Dark, QColor(0x30, 0x30, 0x30));
  bars.setColor(QPalette::Shadow, Qt::black);
  bars.setColor(QPalette::ButtonText, QColor(0xC8, 0xC8, 0xC8));
  bars.setColor(QPalette::WindowText, QColor(0xC8, 0xC8, 0xC8));
  verticalScrollBar()->setPalette(bars);
  horizontalScrollBar()->setPalette(bars);
  Reset();
}

std::size_t ConsolePaneView::Indexed() const { return std::min(indexed_, text_.size()); }

void ConsolePaneView::Index(std::size_t from) {
  const std::size_t size = text_.size();
  std::size_t at = from;
  text_.ForEachSpan(from, size - from, [&](std::string_view span) {
    const char* const data = span.data();
    std::size_t i = 0;
    while (i < span.size()) {
      const void* found = std::memchr(data + i, '\n', span.size() - i);
      if (found == nullptr) break;
      const std::size_t newline =
          at + static_cast<std::size_t>(static_cast<const char*>(found) - data);
      widestLine_ = std::max(widestLine_, newline - lineStarts_.back());
      lineStarts_.push_back(newline + 1);
      i = newline + 1 - at;
    }
    at += span.size();
  });
  widestLine_ = std::max(widestLine_, size - lineStarts_.back());
  indexed_ = size;
}

void ConsolePaneView::Append() {
  if (text_.size() < indexed_) {  // not an append after all
    Reset();
    return;
  }
  Index(indexed_);
  UpdateScrollBars();
  viewport()->update();
}

void ConsolePaneView::Reset() {
  lineStarts_.assign(1, 0);
  indexed_ = 0;
  widestLine_ = 0;
  widestDrawn_ = 0;
  anchor_ = caret_ = 0;
  selecting_ = false;
  Index(0);
  UpdateScrollBars();
  viewport()->update();
}

std::size_t ConsolePaneView::LineEnd(std::size_t line) const {
  const std::size_t start = lineStarts_[line];
  std::size_t end = line + 1 < lineStarts_.size() ? lineStarts_[line + 1] - 1 : Indexed();
  end = std::max(start, std::min(end, Indexed()));
  if (end > start && text_[end - 1] == '\r') --end;
  return end;
}

std::string ConsolePaneView::LineBytes(std::size_t line) const {
  const std::size_t start = std::min(lineStarts_[line], Indexed());
  return text_.Substr(start, LineEnd(line) - start);
}

std::size_t ConsolePaneView::LineOf(std::size_t position) const {
  const auto after = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), position);
  return static_cast<std::size_t>(after - lineStarts_.begin()) - 1;
}

int ConsolePaneView::LineHeight() const { return std::max(1, fontMetrics().lineSpacing()); }

int ConsolePaneView::VisibleLines() const {
  return std::max(1, viewport()->height() / LineHeight());
}

std::size_t ConsolePaneView::FirstVisibleLine() const {
  return static_cast<std::size_t>(std::max(0, verticalScrollBar()->value()));
}

std::size_t ConsolePaneView::LastVisibleLine() const {
  return std::min(LineCount() - 1,
                  FirstVisibleLine() + static_cast<std::size_t>(VisibleLines()) - 1);
}

qreal ConsolePaneView::XOf(std::size_t line, std::size_t position) const {
  const std::size_t start = lineStarts_[line];
  const std::size_t end = LineEnd(line);
  position = std::clamp(position, start, end);
  return QFontMetricsF(font()).horizontalAdvance(Drawn(text_.Substr(start, position - start)));
}

std::size_t ConsolePaneView::PositionAt(QPoint point) const {
  const int row = point.y() < 0 ? -1 - (-point.y() - 1) / LineHeight() : point.y() / LineHeight();
  const long long wanted = static_cast<long long>(FirstVisibleLine()) + row;
  const std::size_t line = static_cast<std::size_t>(
      std::clamp<long long>(wanted, 0, static_cast<long long>(LineCount()) - 1));
  const qreal x = point.x() - kMargin + horizontalScrollBar()->value();

  // The character boundaries of the line, then the one nearest to x.
  std::vector<std::size_t> bounds;
  const std::size_t start = lineStarts_[line];
  const std::size_t end = LineEnd(line);
  for (std::size_t i = start; i < end; ++i) {
    if (IsLead(text_[i])) bounds.push_back(i);
  }
  bounds.push_back(end);
  std::size_t lo = 0;
  std::size_t hi = bounds.size() - 1;
  while (lo < hi) {  // the last boundary at or left of x
    const std::size_t mid = (lo + hi + 1) / 2;
    if (XOf(line, bounds[mid]) <= x) {
      lo = mid;
    } else {
      hi = mid - 1;
    }
  }
  if (lo + 1 < bounds.size()) {
    const qreal left = XOf(line, bounds[lo]);
    const qreal right = XOf(line, bounds[lo + 1]);
    if (x - left > right - x) ++lo;
  }
  return bounds[lo];
}

void ConsolePaneView::UpdateScrollBars() {
  const int visible = VisibleLines();
  QScrollBar* v = verticalScrollBar();
  v->setRange(0, std::max(0, static_cast<int>(LineCount()) - visible));
  v->setPageStep(visible);
  v->setSingleStep(1);

  const qreal average = QFontMetricsF(font()).averageCharWidth();
  const int estimate =
      std::max(widestDrawn_, static_cast<int>(average * static_cast<qreal>(widestLine_)));
  QScrollBar* h = horizontalScrollBar();
  h->setRange(0, std::max(0, estimate + 2 * kMargin - viewport()->width()));
  h->setPageStep(viewport()->width());
  h->setSingleStep(std::max(1, static_cast<int>(average)));
}

void ConsolePaneView::ScrollToCaret() {
  const std::size_t line = LineOf(caret_);
  QScrollBar* v = verticalScrollBar();
  if (line < FirstVisibleLine()) {
    v->setValue(static_cast<int>(line));
  } else if (line > LastVisibleLine()) {
    v->setValue(static_cast<int>(line) - VisibleLines() + 1);
  }
  const int x = static_cast<int>(XOf(line, caret_));
  QScrollBar* h = horizontalScrollBar();
  const int width = viewport()->width() - 2 * kMargin;
  if (x < h->value()) {
    h->setValue(x);
  } else if (x > h->value() + width) {
    h->setValue(x - width);
  }
}

void ConsolePaneView::SetSelection(std::size_t anchor, std::size_t caret) {
  anchor_ = std::min(anchor, Indexed());
  caret_ = std::min(caret, Indexed());
  ScrollToCaret();
  viewport()->update();
}

void ConsolePaneView::SelectAll() { SetSelection(0, Indexed()); }

QString ConsolePaneView::SelectedText() const {
  const std::size_t from = std::min(anchor_, caret_);
  const std::size_t to = std::min(std::max(anchor_, caret_), Indexed());
  if (from >= to) return {};
  return PlainLines(text_.Substr(from, to - from));
}

void ConsolePaneView::Copy() const {
  if (HasSelection()) QGuiApplication::clipboard()->setText(SelectedText());
}

QString ConsolePaneView::PlainText() const { return PlainLines(text_.Substr(0, Indexed())); }

void ConsolePaneView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  const QPalette& pal = palette();
  painter.fillRect(viewport()->rect(), pal.brush(QPalette::Base));
  painter.setFont(font());
  const QFontMetricsF metrics(font());
  const int height = LineHeight();
  const qreal left = kMargin - horizontalScrollBar()->value();

  // Like a rich text box, the selection shows only while the pane has the focus.
  const bool showSelection = HasSelection() && hasFocus();
  const std::size_t selFrom = std::min(anchor_, caret_);
  const std::size_t selTo = std::max(anchor_, caret_);

  int widest = widestDrawn_;
  const std::size_t last = std::min(LineCount() - 1, FirstVisibleLine() + VisibleLines());
  for (std::size_t line = FirstVisibleLine(); line <= last; ++line) {
    const int top = static_cast<int>(line - FirstVisibleLine()) * height;
    const qreal baseline = top + metrics.ascent();
    const QString drawn = Drawn(LineBytes(line));
    const qreal width = metrics.horizontalAdvance(drawn);
    widest = std::max(widest, static_cast<int>(width));
    painter.setPen(pal.color(QPalette::Text));
    painter.drawText(QPointF(left, baseline), drawn);

    if (!showSelection) continue;
    const std::size_t start = lineStarts_[line];
    const std::size_t end = LineEnd(line);
    const std::size_t nextStart = line + 1 < LineCount() ? lineStarts_[line + 1] : end;
    if (selTo <= start || selFrom >= std::max(end, nextStart)) continue;
    const std::size_t from = std::max(selFrom, start);
    const std::size_t to = std::min(selTo, end);
    const qreal x0 = XOf(line, from);
    qreal x1 = XOf(line, to);
    if (selTo > end && nextStart > end) x1 += metrics.averageCharWidth();  // the line break
    painter.fillRect(QRectF(left + x0, top, x1 - x0, height), pal.brush(QPalette::Highlight));
    painter.setPen(pal.color(QPalette::HighlightedText));
    painter.drawText(QPointF(left + x0, baseline), Drawn(text_.Substr(from, to - from)));
  }
  if (widest > widestDrawn_) {
    widestDrawn_ = widest;
    QMetaObject::invokeMethod(
        this, [this] { UpdateScrollBars(); }, Qt::QueuedConnection);
  }
}

void ConsolePaneView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

void ConsolePaneView::keyPressEvent(QKeyEvent* event) {
  QScrollBar* v = verticalScrollBar();
  if (event->matches(QKeySequence::SelectAll)) {
    SelectAll();
  } else if (event->matches(QKeySequence::Copy)) {
    Copy();
  } else if (event->matches(QKeySequence::MoveToStartOfDocument)) {
    v->setValue(0);
  } else if (event->matches(QKeySequence::MoveToEndOfDocument)) {
    v->setValue(v->maximum());
  } else if (event->key() == Qt::Key_PageUp) {
    v->triggerAction(QAbstractSlider::SliderPageStepSub);
  } else if (event->key() == Qt::Key_PageDown) {
    v->triggerAction(QAbstractSlider::SliderPageStepAdd);
  } else if (event->key() == Qt::Key_Up) {
    v->triggerAction(QAbstractSlider::SliderSingleStepSub);
  } else if (event->key() == Qt::Key_Down) {
    v->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  } else {
    event->ignore();  // nothing is typed into the pane
  }
}

void ConsolePaneView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const std::size_t at = PositionAt(event->position().toPoint());
  if (!(event->modifiers() & Qt::ShiftModifier)) anchor_ = at;
  caret_ = at;
  selecting_ = true;
  viewport()->update();
}

void ConsolePaneView::mouseMoveEvent(QMouseEvent* event) {
  if (!selecting_) return;
  const QPoint at = event->position().toPoint();
  if (at.y() < 0) verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
  if (at.y() > viewport()->height()) {
    verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  }
  caret_ = PositionAt(at);
  viewport()->update();
}

void ConsolePaneView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !selecting_) return;
  selecting_ = false;
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (HasSelection() && clipboard->supportsSelection()) {
    clipboard->setText(SelectedText(), QClipboard::Selection);
  }
}

void ConsolePaneView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  // The word under the mouse: the run of characters between blanks.
  const std::size_t at = PositionAt(event->position().toPoint());
  const std::size_t line = LineOf(at);
  const std::size_t start = lineStarts_[line];
  const std::size_t end = LineEnd(line);
  const auto blank = [this](std::size_t i) { return text_[i] == ' ' || text_[i] == '\t'; };
  std::size_t from = at;
  while (from > start && !blank(from - 1)) --from;
  std::size_t to = at;
  while (to < end && !blank(to)) ++to;
  anchor_ = from;
  caret_ = to;
  selecting_ = false;
  viewport()->update();
}

void ConsolePaneView::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  viewport()->update();
}

void ConsolePaneView::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  viewport()->update();
}

void ConsolePaneView::changeEvent(QEvent* event) {
  QAbstractScrollArea::changeEvent(event);
  if (event->type() == QEvent::FontChange) {
    widestDrawn_ = 0;
    UpdateScrollBars();
  }
}

}  // namespace framora::qt
