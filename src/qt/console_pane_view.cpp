#include "qt/console_pane_view.h"

#include <QClipboard>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

namespace framora::qt {

namespace {

constexpr int kMargin = 2;    // pixels left and right of the text
constexpr qreal kUnits = 64;  // the rows measure in 1/64 pixel, as the font engine does

QString FromUtf8(std::string_view bytes) {
  return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// A run of a row as drawn: what takes no room left out.
QString Drawn(std::string_view bytes) {
  QString text = FromUtf8(bytes);
  text.removeIf([](QChar c) { return console::Invisible(c.unicode()); });
  return text;
}

// What the clipboard and the tests see.
QString PlainLines(std::string_view bytes) { return FromUtf8(console::CopiedText(bytes)); }

}  // namespace

ConsolePaneView::ConsolePaneView(console::PaneModel& model, QWidget* parent)
    : QAbstractScrollArea(parent), model_(model) {
  setFocusPolicy(Qt::StrongFocus);
  // Always there, so that the rows never depend on whether the text fills the pane.
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  viewport()->setCursor(Qt::IBeamCursor);
  // Dark scroll bar, so that it does not glare beside the black pane.
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
  settleTimer_.setSingleShot(true);
  settleTimer_.setInterval(0);
  connect(&settleTimer_, &QTimer::timeout, this, &ConsolePaneView::Settle);
  Layout(true);
}

void ConsolePaneView::Layout(bool force) {
  const std::int64_t width =
      static_cast<std::int64_t>(viewport()->width() - 2 * kMargin) * static_cast<int>(kUnits);
  if (!force && width == model_.Width()) return;
  if (force) {
    drawFont_ = font();
    drawFont_.setKerning(false);
    drawFont_.setStyleStrategy(
        QFont::StyleStrategy(drawFont_.styleStrategy() | QFont::PreferNoShaping));
    const QFontMetricsF metrics(drawFont_, viewport());
    model_.SetLayout(
        [metrics](char32_t c) -> std::int32_t {
          if (console::Invisible(c)) return 0;
          const qreal advance = c < 0x10000 ? metrics.horizontalAdvance(QChar(c))
                                            : metrics.horizontalAdvance(QString::fromUcs4(&c, 1));
          return static_cast<std::int32_t>(std::lround(advance * kUnits));
        },
        width);
  } else {
    model_.SetWidth(width);  // the rows near the end now, the others in slices
    if (!model_.Settled()) settleTimer_.start();
  }
  UpdateScrollBar();
  ScrollToCaret();
  viewport()->update();
}

void ConsolePaneView::Refresh() {
  model_.Sync();
  UpdateScrollBar();
  ScrollToCaret();
  viewport()->update();
}

void ConsolePaneView::Settle() {
  // The text at the top of the pane stays there while the rows before it change.
  QScrollBar* v = verticalScrollBar();
  const bool atEnd = v->value() == v->maximum();
  const std::size_t top = RowStart(FirstVisibleRow());
  constexpr std::size_t kSliceBytes = std::size_t{1} << 20;  // a few milliseconds
  if (!model_.Settle(kSliceBytes)) settleTimer_.start();
  UpdateScrollBar();
  v->setValue(atEnd ? v->maximum() : static_cast<int>(RowOf(top)));
  viewport()->update();
}

int ConsolePaneView::RowHeight() const {
  return std::max(1, QFontMetrics(drawFont_, viewport()).lineSpacing());
}

int ConsolePaneView::VisibleRows() const { return std::max(1, viewport()->height() / RowHeight()); }

std::size_t ConsolePaneView::FirstVisibleRow() const {
  // The rows may have become fewer since the scroll bar last followed them.
  return std::min(static_cast<std::size_t>(std::max(0, verticalScrollBar()->value())),
                  RowCount() - 1);
}

std::size_t ConsolePaneView::LastVisibleRow() const {
  return std::min(RowCount() - 1, FirstVisibleRow() + static_cast<std::size_t>(VisibleRows()) - 1);
}

QString ConsolePaneView::RowText(std::size_t row) const {
  const std::size_t start = RowStart(row);
  return FromUtf8(Text().Substr(start, RowEnd(row) - start));
}

qreal ConsolePaneView::XOf(std::size_t row, std::size_t position) const {
  return static_cast<qreal>(Rows().X(row, position)) / kUnits;
}

std::size_t ConsolePaneView::PositionAt(QPoint point) const {
  const int height = RowHeight();
  const int row = point.y() < 0 ? -1 - (-point.y() - 1) / height : point.y() / height;
  const long long wanted = static_cast<long long>(FirstVisibleRow()) + row;
  const auto clamped = static_cast<std::size_t>(
      std::clamp<long long>(wanted, 0, static_cast<long long>(RowCount()) - 1));
  return Rows().PositionAt(clamped, std::llround((point.x() - kMargin) * kUnits));
}

void ConsolePaneView::UpdateScrollBar() {
  const int visible = VisibleRows();
  QScrollBar* v = verticalScrollBar();
  v->setRange(0, std::max(0, static_cast<int>(RowCount()) - visible));
  v->setPageStep(visible);
  v->setSingleStep(1);
}

void ConsolePaneView::ScrollToCaret() {
  const std::size_t row = RowOf(Caret());
  QScrollBar* v = verticalScrollBar();
  if (row < FirstVisibleRow()) {
    v->setValue(static_cast<int>(row));
  } else if (row > LastVisibleRow()) {
    v->setValue(static_cast<int>(row) - VisibleRows() + 1);
  }
}

void ConsolePaneView::SetSelection(std::size_t anchor, std::size_t caret) {
  model_.SetSelection(anchor, caret);
  ScrollToCaret();
  viewport()->update();
}

void ConsolePaneView::SelectAll() { SetSelection(0, Length()); }

QString ConsolePaneView::SelectedText() const {
  const std::size_t from = std::min(Anchor(), Caret());
  const std::size_t to = std::max(Anchor(), Caret());
  if (from >= to) return {};
  return PlainLines(Text().Substr(from, to - from));
}

void ConsolePaneView::Copy() const {
  if (HasSelection()) QGuiApplication::clipboard()->setText(SelectedText());
}

QString ConsolePaneView::PlainText() const { return PlainLines(Text().Substr(0, Length())); }

void ConsolePaneView::DrawRow(QPainter& painter, std::size_t row, std::size_t from, std::size_t to,
                              QPointF origin) const {
  const console::ChunkedText& text = Text();
  Rows().ForEachRun(row, from, to, [&](std::size_t runFrom, std::size_t runTo, std::int64_t x) {
    const QString run = Drawn(text.Substr(runFrom, runTo - runFrom));
    if (!run.isEmpty()) {
      painter.drawText(QPointF(origin.x() + static_cast<qreal>(x) / kUnits, origin.y()), run);
    }
  });
}

void ConsolePaneView::paintEvent(QPaintEvent*) {
  Layout();  // in case the width changed without a resize event reaching us
  QPainter painter(viewport());
  const QPalette& pal = palette();
  painter.fillRect(viewport()->rect(), pal.brush(QPalette::Base));
  painter.setFont(drawFont_);
  const QFontMetricsF metrics(drawFont_, viewport());
  const int height = RowHeight();

  // Like a rich text box, the selection shows only while the pane has the focus.
  const bool showSelection = HasSelection() && hasFocus();
  const std::size_t selFrom = std::min(Anchor(), Caret());
  const std::size_t selTo = std::max(Anchor(), Caret());

  const std::size_t first = FirstVisibleRow();
  const std::size_t last = std::min(RowCount() - 1, first + VisibleRows());
  for (std::size_t row = first; row <= last; ++row) {
    const int top = static_cast<int>(row - first) * height;
    const QPointF origin(kMargin, top + metrics.ascent());
    const std::size_t start = RowStart(row);
    const std::size_t end = RowEnd(row);
    painter.setPen(pal.color(QPalette::Text));
    DrawRow(painter, row, start, end, origin);

    if (!showSelection) continue;
    const std::size_t nextStart = row + 1 < RowCount() ? RowStart(row + 1) : end;
    if (selTo <= start || selFrom >= std::max(end, nextStart)) continue;
    const std::size_t from = std::max(selFrom, start);
    const std::size_t to = std::min(selTo, end);
    const qreal x0 = XOf(row, from);
    qreal x1 = XOf(row, to);
    if (selTo > end && nextStart > end) x1 += metrics.averageCharWidth();  // the line break
    painter.fillRect(QRectF(kMargin + x0, top, x1 - x0, height), pal.brush(QPalette::Highlight));
    painter.setPen(pal.color(QPalette::HighlightedText));
    DrawRow(painter, row, from, to, origin);
  }
}

void ConsolePaneView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  Layout();
  UpdateScrollBar();
  ScrollToCaret();
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
  model_.SetSelection(event->modifiers() & Qt::ShiftModifier ? Anchor() : at, at);
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
  model_.SetSelection(Anchor(), PositionAt(at));
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
  // The word under the mouse: the run of characters between blanks, wherever its rows end.
  const std::size_t at = PositionAt(event->position().toPoint());
  const auto [from, to] = console::WordAt(Text(), at);
  model_.SetSelection(from, to);
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
  if (event->type() == QEvent::FontChange) Layout(true);
}

}  // namespace framora::qt
