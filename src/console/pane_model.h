// The console pane as a display shows it: the one place that follows the pane's text as it
// grows, is cut and is replaced, and answers in the display's terms: the rows of a front-end
// that draws them itself, or the edits of a RichEdit that holds its own copy of the text, and
// the selection as byte offsets or RichEdit positions.
//
// Every call first catches up with what the pane did since the last one, so a new font, a new
// width, a slice of a re-wrap or a read always works on the text as it now is: the rows can
// never be laid out over a cut text and then moved by the same cut a second time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "console/console_pane.h"
#include "console/pane_rows.h"

namespace framora::console {

// Positions in a RichEdit count UTF-16 units, and a line break (CR LF, or a lone CR or LF) is
// one paragraph mark: a LF right after a CR adds nothing. `from` must start a character.
std::size_t EditUnits(const ChunkedText& text, std::size_t from, std::size_t count);
// The same bytes as the RichEdit gets them: each line break as one CR, and a NUL, which would
// end the text there, left out (it counts nothing either). A byte that starts no character
// shows as U+FFFD.
std::u16string EditText(const ChunkedText& text, std::size_t from, std::size_t count);

// Characters that take no room and are not drawn: control characters, and the line and
// paragraph separators, which would start a new line of their own when drawn.
bool Invisible(char32_t c);
// What a copy of the pane's text gives the clipboard: each CR LF as LF.
std::string CopiedText(std::string_view bytes);
// The word a double click at byte `at` selects: the run between blanks (space, tab, line
// breaks), wherever its rows end, as [first, second).
std::pair<std::size_t, std::size_t> WordAt(const ChunkedText& text, std::size_t at);

class PaneModel {
 public:
  enum class Display {
    Rows,      // the front-end draws the rows (Qt)
    RichEdit,  // the front-end feeds a RichEdit, which wraps by itself (Windows)
  };
  // `pane` must outlive the model, which is its one display: nothing else takes its delta.
  // `near` is how much of the end a new width lays out at once (see PaneRows::SetWidth).
  PaneModel(ConsolePane& pane, Display display, std::size_t near = PaneRows::kNear);
  PaneModel(const PaneModel&) = delete;
  PaneModel& operator=(const PaneModel&) = delete;

  // At each frame: catches up, and the pane's own selection (the logic's SelStart and
  // SelLength, in characters) becomes the display's.
  void Sync();

  // The text shown and its rows, laid out with the measure and width of SetLayout. A RichEdit
  // model keeps no rows: the RichEdit wraps by itself.
  const ChunkedText& Text();
  const PaneRows& Rows();
  void SetLayout(PaneRows::Measure measure, std::int64_t width);
  std::int64_t Width() const { return rows_.Width(); }
  void SetWidth(std::int64_t width);
  bool Settle(std::size_t budget);
  bool Settled() const { return rows_.Settled(); }
  // How often the text was replaced or cut: what was counted of it before is void.
  std::size_t Revision();

  // The display's selection in bytes of the text, at character boundaries; a cut moves it with
  // its text, a replacement takes it to the start. The user sets it with the mouse, the pane
  // at each Sync.
  std::size_t Anchor();
  std::size_t Caret();
  void SetSelection(std::size_t anchor, std::size_t caret);

  // What the RichEdit must do, in order, to hold the text: put `text` in place of positions
  // [from, to) (an append is a replacement at the end), or of everything when `all` is set.
  struct Edit {
    bool all = false;
    std::size_t from = 0;
    std::size_t to = 0;
    std::u16string text;
  };
  std::vector<Edit> TakeEdits();
  // The selection in RichEdit positions, start first.
  std::pair<std::size_t, std::size_t> EditSelection();

 private:
  void CatchUp();
  std::size_t ByteOf(std::size_t character) const;
  std::size_t EditPosition(std::size_t byte) const;
  void AddEdit(bool all, std::size_t from, std::size_t to, std::size_t byte, std::size_t count);

  ConsolePane& pane_;
  const Display display_;
  PaneRows rows_;
  std::size_t revision_ = 0;
  std::size_t anchor_ = 0;
  std::size_t caret_ = 0;
  std::vector<Edit> edits_;
  std::size_t editLength_ = 0;  // what the RichEdit holds once the edits are done
};

}  // namespace framora::console
