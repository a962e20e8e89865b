// The console's output pane on screen. It draws the pane's own text (CR LF line breaks)
// straight from the console logic, wrapped at the pane's width as a console window wraps: a
// vertical scroll bar only, and rows worked out once, as the text arrives. A repaint costs the
// visible rows only, however long the output grows. Read-only for the user; text can be
// selected with the mouse or Ctrl+A and copied with Ctrl+C, and a selection over a wrap copies
// the text as it is, with no line break where the row was cut.
#pragma once

#include <QAbstractScrollArea>
#include <QFont>
#include <QTimer>
#include <cstddef>

#include "console/chunked_text.h"
#include "console/pane_rows.h"

namespace framora::qt {

class ConsolePaneView : public QAbstractScrollArea {
  Q_OBJECT
 public:
  // `text` is the string shown; it must outlive the view, and between calls it may only grow
  // at its end (then Append()), lose a stretch (then Cut()), or be replaced (then Reset()).
  ConsolePaneView(const console::ChunkedText& text, QWidget* parent);

  // The text grew at its end.
  void Append();
  // The text was replaced whole.
  void Reset();
  // Bytes [keep, resume) of the text as shown were cut out and `inserted` bytes put in their
  // place; the selection stays on the text it was on.
  void Cut(std::size_t keep, std::size_t resume, std::size_t inserted);

  // The text as shown and its selection. Positions and the length are counted in bytes of the
  // UTF-8 text, positions at character boundaries; anchor and caret may be in any order. The
  // caret is scrolled into view.
  const console::ChunkedText& Text() const { return text_; }
  std::size_t Length() const { return Indexed(); }
  void SetSelection(std::size_t anchor, std::size_t caret);
  std::size_t Anchor() const { return anchor_; }
  std::size_t Caret() const { return caret_; }
  bool HasSelection() const { return anchor_ != caret_; }
  void SelectAll();
  // The selected text with plain LF line breaks, as the clipboard gets it.
  QString SelectedText() const;
  void Copy() const;
  // Everything shown, lines joined by LF.
  QString PlainText() const;
  // How often the text was replaced or cut: what was counted of it before is void.
  std::size_t Revision() const { return revision_; }
  // Whether the rows of a new width are all worked out (see Settle()).
  bool Settled() const { return rows_.Settled(); }

  // Rows on screen: a line wider than the pane takes several.
  std::size_t RowCount() const { return rows_.Count(); }
  std::size_t LineCount() const { return rows_.Lines(); }
  // Where a row starts and ends (before its line break, or where the next row goes on), the
  // row that holds a position, and the text of a row without its line break.
  std::size_t RowStart(std::size_t row) const { return rows_.Start(row); }
  std::size_t RowEnd(std::size_t row) const { return rows_.End(row); }
  std::size_t RowOf(std::size_t position) const { return rows_.RowOf(position); }
  QString RowText(std::size_t row) const;
  // The first and the last row that are in view.
  std::size_t FirstVisibleRow() const;
  std::size_t LastVisibleRow() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  std::size_t Indexed() const;
  // Measures and wraps afresh when the font or the width has changed since the last time.
  void Layout(bool force = false);
  int RowHeight() const;
  int VisibleRows() const;
  qreal XOf(std::size_t row, std::size_t position) const;
  std::size_t PositionAt(QPoint point) const;
  // After a resize, the rows away from the end are cut for the new width a slice at a time,
  // between the events, so that dragging the window's edge never waits for megabytes.
  void Settle();
  void UpdateScrollBar();
  void ScrollToCaret();
  void DrawRow(QPainter& painter, std::size_t row, std::size_t from, std::size_t to,
               QPointF origin) const;

  const console::ChunkedText& text_;
  console::PaneRows rows_;
  // The widget's font as drawn and measured: no kerning and no shaping, so that a row is as
  // wide as its characters added up, the sum the rows were cut by.
  QFont drawFont_;
  std::size_t anchor_ = 0;
  std::size_t caret_ = 0;
  bool selecting_ = false;
  std::size_t revision_ = 0;
  QTimer settleTimer_;
};

}  // namespace framora::qt
