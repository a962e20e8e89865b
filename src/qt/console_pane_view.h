// The console's output pane on screen. It draws the pane's own text (CR LF line breaks)
// straight from the console logic, keeping only an index of where each line starts, so
// appending costs a scan of the new tail and a repaint costs the visible lines only, however
// long the output grows. Read-only for the user; text can be selected with the mouse or
// Ctrl+A and copied with Ctrl+C.
#pragma once

#include <QAbstractScrollArea>
#include <cstddef>
#include <deque>
#include <string>

#include "console/chunked_text.h"

namespace framora::qt {

class ConsolePaneView : public QAbstractScrollArea {
  Q_OBJECT
 public:
  // `text` is the string shown; it must outlive the view and may only grow at its end between
  // calls of Append(), or be replaced followed by Reset().
  ConsolePaneView(const console::ChunkedText& text, QWidget* parent);

  // The text grew at its end.
  void Append();
  // The text was replaced whole.
  void Reset();

  // Selection in bytes of the text, at character boundaries; anchor and caret may be in any
  // order. The caret is scrolled into view.
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
  std::size_t LineCount() const { return lineStarts_.size(); }
  // The first and the last line that are in view.
  std::size_t FirstVisibleLine() const;
  std::size_t LastVisibleLine() const;

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
  void Index(std::size_t from);
  std::size_t LineStart(std::size_t line) const { return lineStarts_[line]; }
  // End of the line's text, without its line break.
  std::size_t LineEnd(std::size_t line) const;
  std::string LineBytes(std::size_t line) const;
  std::size_t LineOf(std::size_t position) const;
  int LineHeight() const;
  int VisibleLines() const;
  qreal XOf(std::size_t line, std::size_t position) const;
  std::size_t PositionAt(QPoint point) const;
  void UpdateScrollBars();
  void ScrollToCaret();

  const console::ChunkedText& text_;
  // Where each line starts; a deque, so that a growing index never copies itself either.
  std::deque<std::size_t> lineStarts_{0};
  std::size_t indexed_ = 0;
  std::size_t widestLine_ = 0;  // in bytes, an estimate of the widest line until it is drawn
  int widestDrawn_ = 0;         // in pixels
  std::size_t anchor_ = 0;
  std::size_t caret_ = 0;
  bool selecting_ = false;
};

}  // namespace framora::qt
