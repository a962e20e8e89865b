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
#include "console/pane_model.h"
#include "console/pane_rows.h"

namespace framora::qt {

class ConsolePaneView : public QAbstractScrollArea {
  Q_OBJECT
 public:
  // `model` follows the pane's text; it must outlive the view, which lays the text out through
  // it and draws what it says.
  ConsolePaneView(console::PaneModel& model, QWidget* parent);

  // At each frame: the model catches up with the pane and takes its selection; the scroll bar
  // follows, the caret is scrolled into view and the pane repainted once.
  void Refresh();

  // The text as shown and its selection. Positions and the length are counted in bytes of the
  // UTF-8 text, positions at character boundaries; anchor and caret may be in any order. The
  // caret is scrolled into view.
  const console::ChunkedText& Text() const { return model_.Text(); }
  std::size_t Length() const { return model_.Text().size(); }
  void SetSelection(std::size_t anchor, std::size_t caret);
  std::size_t Anchor() const { return model_.Anchor(); }
  std::size_t Caret() const { return model_.Caret(); }
  bool HasSelection() const { return Anchor() != Caret(); }
  void SelectAll();
  // The selected text with plain LF line breaks, as the clipboard gets it.
  QString SelectedText() const;
  void Copy() const;
  // Everything shown, lines joined by LF.
  QString PlainText() const;
  // How often the text was replaced or cut: what was counted of it before is void.
  std::size_t Revision() const { return model_.Revision(); }
  // Whether the rows of a new width are all worked out (see Settle()).
  bool Settled() const { return model_.Settled(); }

  // Rows on screen: a line wider than the pane takes several.
  std::size_t RowCount() const { return Rows().Count(); }
  std::size_t LineCount() const { return Rows().Lines(); }
  // Where a row starts and ends (before its line break, or where the next row goes on), the
  // row that holds a position, and the text of a row without its line break.
  std::size_t RowStart(std::size_t row) const { return Rows().Start(row); }
  std::size_t RowEnd(std::size_t row) const { return Rows().End(row); }
  std::size_t RowOf(std::size_t position) const { return Rows().RowOf(position); }
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
  const console::PaneRows& Rows() const { return model_.Rows(); }
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

  // Not the view's own: its reads catch the model up with the pane as its other calls do.
  console::PaneModel& model_;
  // The widget's font as drawn and measured: no kerning and no shaping, so that a row is as
  // wide as its characters added up, the sum the rows were cut by.
  QFont drawFont_;
  bool selecting_ = false;
  QTimer settleTimer_;
};

}  // namespace framora::qt
