#include "console/pane_model.h"

#include <algorithm>
#include <string_view>

namespace framora::console {

bool Invisible(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0x2028 || c == 0x2029;
}

std::string CopiedText(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    out += bytes[i];
  }
  return out;
}

std::pair<std::size_t, std::size_t> WordAt(const ChunkedText& text, std::size_t at) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  std::size_t from = std::min(at, text.size());
  while (from > 0 && !blank(text[from - 1])) --from;
  std::size_t to = std::min(at, text.size());
  while (to < text.size() && !blank(text[to])) ++to;
  return {from, to};
}

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Calls f(code) for each character of bytes [from, from + count) as the RichEdit holds it:
// each line break as one CR, nothing for a NUL. A character that the bytes do not make whole
// (cut short, a byte that starts none, a surrogate, beyond U+10FFFF) is U+FFFD; stray
// continuation bytes belong to the character before them, as in the rows.
template <typename F>
void ForEachEditCharacter(const ChunkedText& text, std::size_t from, std::size_t count, F&& f) {
  if (from >= text.size()) return;
  const std::size_t end = from + std::min(count, text.size() - from);
  bool afterCr = from > 0 && text[from - 1] == '\r';
  for (std::size_t i = from; i < end;) {
    const auto lead = static_cast<unsigned char>(text[i++]);
    char32_t code = lead;
    if (lead >= 0x80) {
      const std::size_t want = lead < 0xC0 || lead >= 0xF8 ? 1
                               : lead >= 0xF0              ? 4
                               : lead >= 0xE0              ? 3
                                                           : 2;
      code = want == 4 ? lead & 0x07u : want == 3 ? lead & 0x0Fu : lead & 0x1Fu;
      std::size_t n = 1;
      for (; n < want && i < end && IsContinuation(static_cast<unsigned char>(text[i])); ++n, ++i) {
        code = code << 6 | (static_cast<unsigned char>(text[i]) & 0x3Fu);
      }
      if (want == 1 || n < want || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) {
        code = kReplacement;
      }
    }
    while (i < end && IsContinuation(static_cast<unsigned char>(text[i]))) ++i;
    const bool lineFeedOfCrLf = code == '\n' && afterCr;
    afterCr = code == '\r';
    if (code == 0 || lineFeedOfCrLf) continue;
    f(code == '\n' ? char32_t{'\r'} : code);
  }
}

}  // namespace

std::size_t EditUnits(const ChunkedText& text, std::size_t from, std::size_t count) {
  std::size_t units = 0;
  ForEachEditCharacter(text, from, count, [&](char32_t c) { units += c > 0xFFFF ? 2 : 1; });
  return units;
}

std::u16string EditText(const ChunkedText& text, std::size_t from, std::size_t count) {
  std::u16string out;
  ForEachEditCharacter(text, from, count, [&](char32_t c) {
    if (c > 0xFFFF) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  });
  return out;
}

PaneModel::PaneModel(ConsolePane& pane, Display display, std::size_t near)
    : pane_(pane), display_(display), rows_(pane.Chars(), near) {
  // The display starts from the whole text as it is: the rows have laid it out already.
  (void)pane_.TakeDelta();
  AddEdit(true, 0, 0, 0, pane_.Chars().size());
}

void PaneModel::CatchUp() {
  if (!pane_.HasUnseenChange()) return;
  const ConsolePane::Delta d = pane_.TakeDelta();
  const ChunkedText& text = pane_.Chars();
  const bool rows = display_ == Display::Rows;
  if (d.replaced) {
    ++revision_;
    anchor_ = caret_ = 0;
    if (rows) {
      rows_.Reset();
    } else {
      AddEdit(true, 0, 0, 0, text.size());
    }
    return;
  }
  if (d.cut) {
    ++revision_;
    const auto moved = [&d](std::size_t at) {
      return at < d.keep ? at : at < d.resume ? d.keep : at - d.resume + d.keep + d.inserted;
    };
    anchor_ = moved(anchor_);
    caret_ = moved(caret_);
    if (rows) {
      rows_.Cut(d.keep, d.resume, d.inserted);
    } else {
      // From the end of the start that is kept to where the newest text it holds resumes,
      // counted back from its end.
      const std::size_t resumed = d.keep + d.inserted;
      AddEdit(false, EditUnits(text, 0, d.keep),
              editLength_ - EditUnits(text, resumed, d.from - resumed), d.keep, d.inserted);
    }
  }
  if (rows) {
    rows_.Append();  // only the new tail is measured
  } else if (d.from < text.size()) {
    AddEdit(false, editLength_, editLength_, d.from, text.size() - d.from);
  }
}

void PaneModel::AddEdit(bool all, std::size_t from, std::size_t to, std::size_t byte,
                        std::size_t count) {
  if (display_ != Display::RichEdit) return;
  Edit edit{all, from, to, EditText(pane_.Chars(), byte, count)};
  if (all) {
    edits_.clear();  // what came before is gone anyway
    editLength_ = edit.text.size();
  } else {
    editLength_ = from + edit.text.size() + (editLength_ - to);
  }
  edits_.push_back(std::move(edit));
}

void PaneModel::Sync() {
  CatchUp();
  const std::size_t start = pane_.SelStart();
  anchor_ = ByteOf(start);
  caret_ = ByteOf(start + pane_.SelLength());
}

std::size_t PaneModel::ByteOf(std::size_t character) const {
  const ChunkedText& text = pane_.Chars();
  if (character >= pane_.Length()) return text.size();  // the usual case, no counting
  std::size_t chars = 0;
  for (std::size_t at = 0; at < text.size();) {
    const std::string_view span = text.SpanAt(at);
    for (std::size_t i = 0; i < span.size(); ++i) {
      if (IsContinuation(static_cast<unsigned char>(span[i]))) continue;
      if (chars++ == character) return at + i;
    }
    at += span.size();
  }
  return text.size();
}

const ChunkedText& PaneModel::Text() {
  CatchUp();
  return pane_.Chars();
}

const PaneRows& PaneModel::Rows() {
  CatchUp();
  return rows_;
}

void PaneModel::SetLayout(PaneRows::Measure measure, std::int64_t width) {
  CatchUp();
  rows_.SetLayout(std::move(measure), width);
}

void PaneModel::SetWidth(std::int64_t width) {
  CatchUp();
  rows_.SetWidth(width);
}

bool PaneModel::Settle(std::size_t budget) {
  CatchUp();
  return rows_.Settle(budget);
}

std::size_t PaneModel::Revision() {
  CatchUp();
  return revision_;
}

std::size_t PaneModel::Anchor() {
  CatchUp();
  return anchor_;
}

std::size_t PaneModel::Caret() {
  CatchUp();
  return caret_;
}

void PaneModel::SetSelection(std::size_t anchor, std::size_t caret) {
  CatchUp();
  anchor_ = std::min(anchor, pane_.Chars().size());
  caret_ = std::min(caret, pane_.Chars().size());
}

std::vector<PaneModel::Edit> PaneModel::TakeEdits() {
  CatchUp();
  std::vector<Edit> edits;
  edits.swap(edits_);
  return edits;
}

std::size_t PaneModel::EditPosition(std::size_t byte) const {
  return byte >= pane_.Chars().size() ? editLength_ : EditUnits(pane_.Chars(), 0, byte);
}

std::pair<std::size_t, std::size_t> PaneModel::EditSelection() {
  CatchUp();
  return {EditPosition(std::min(anchor_, caret_)), EditPosition(std::max(anchor_, caret_))};
}

}  // namespace framora::console
