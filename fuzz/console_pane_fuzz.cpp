// Any sequence of output chunks, delivered to the console window through its runner, keeps
// the pane well-formed: no CR without its LF and no LF without its CR. After each chunk the
// pane shows exactly what the chunk stands for: the folder mask for the program folder plus
// two characters, the clear banner alone for a lone form feed, and otherwise the chunk itself
// appended with only its line breaks changed. The pane's rows, worked out piece by piece as a
// display does, end up as when worked out over the whole text at once, and no row is wider than
// the pane but for the blanks that end it or a character wider than a row.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "console/console_logic.h"
#include "console/pane_model.h"
#include "console/pane_rows.h"
#include "console/pane_text.h"
#include "fakes/fake_message_box.h"
#include "fakes/fake_process_host.h"
#include "fakes/fake_windows.h"
#include "fuzz_check.h"

namespace {

using framora::fuzz::Check;
using framora::fuzz::Fail;
using framora::fuzz::Visible;
namespace console = framora::console;

// Runner chunks are UTF-8 text. Bytes below 0x80 stay as they are (CR, LF and form feed
// included); the others pick a character of two to four bytes, so that character counts and
// byte counts differ often.
std::string Text(std::string_view bytes) {
  static constexpr std::string_view kWide[] = {"\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
                                               "\xC3\x9F", "\xE2\x80\xA8", "\xEF\xBF\xBD"};
  std::string text;
  for (unsigned char c : bytes) {
    if (c < 0x80)
      text += static_cast<char>(c);
    else
      text += kWide[c % std::size(kWide)];
  }
  return text;
}

std::size_t Characters(std::string_view text) {
  std::size_t n = 0;
  for (unsigned char c : text) n += (c & 0xC0) != 0x80;
  return n;
}

// The text without its last `count` characters.
std::string_view DropCharacters(std::string_view text, std::size_t count) {
  std::size_t end = text.size();
  while (count > 0 && end > 0) {
    --end;
    if ((static_cast<unsigned char>(text[end]) & 0xC0) != 0x80) --count;
  }
  return text.substr(0, end);
}

std::string WithoutCr(std::string_view text) {
  std::string out;
  for (char c : text)
    if (c != '\r') out += c;
  return out;
}

void CheckLineBreaks(const std::string& pane) {
  for (std::size_t i = 0; i < pane.size(); ++i) {
    if (pane[i] == '\r' && (i + 1 == pane.size() || pane[i + 1] != '\n'))
      Fail("bare CR in the pane: " + Visible(pane));
    if (pane[i] == '\n' && (i == 0 || pane[i - 1] != '\r'))
      Fail("bare LF in the pane: " + Visible(pane));
  }
}

// Characters of three widths, the blank included, and some that take no room.
std::int32_t Width(char32_t c) { return static_cast<std::int32_t>(c % 4); }

class View : public console::ConsoleView {
 public:
  void ShowModeless() override {}
  void CloseWindow() override {}
  void PaneChanged() override {
    if (!pane) return;
    CheckLineBreaks(pane->Text());
    if (model) model->Sync();
  }
  console::ConsolePane* pane = nullptr;
  std::unique_ptr<console::PaneModel> model;
};

void CheckRows(const console::PaneRows& rows, const console::ChunkedText& text,
               std::int64_t width) {
  console::PaneRows whole(text);
  whole.SetLayout(Width, width);
  Check(whole.Count() == rows.Count(), "rows worked out piece by piece differ in number");
  for (std::size_t r = 0; r < rows.Count(); ++r) {
    Check(rows.Start(r) == whole.Start(r), "a row worked out piece by piece starts elsewhere");
    const std::size_t start = rows.Start(r);
    Check(start == text.size() || (static_cast<unsigned char>(text[start]) & 0xC0) != 0x80,
          "a row starts inside a character");
    // Blanks may hang past the edge, and what takes no room may follow them there.
    std::size_t end = rows.End(r);
    while (end > start) {
      std::size_t last = end - 1;
      while (last > start && (static_cast<unsigned char>(text[last]) & 0xC0) == 0x80) --last;
      if (text[last] != ' ' && text[last] != '\t' && rows.X(r, last) != rows.X(r, end)) break;
      end = last;
    }
    std::size_t first = start + 1;  // after the row's first character
    while (first < end && (static_cast<unsigned char>(text[first]) & 0xC0) == 0x80) ++first;
    if (rows.X(r, end) > width && rows.X(r, end) != rows.X(r, std::min(first, end)))
      Fail("a row is wider (" + std::to_string(rows.X(r, end)) + ") than the pane (" +
           std::to_string(width) + "), and not for one wide character: \"" +
           Visible(text.Substr(start, rows.End(r) - start)) + "\"");
  }
}

// What the pane must be after `chunk` arrived on top of `before`. The message is only built
// when a rule is broken: panes grow large, and this runs for every chunk.
void CheckChunk(const std::string& before, const std::string& chunk, const std::string& folder,
                const std::string& after) {
  auto broken = [&](const char* rule) {
    Fail(std::string(rule) + ": chunk \"" + Visible(chunk) + "\" (folder \"" + Visible(folder) +
         "\") turned \"" + Visible(before) + "\" into \"" + Visible(after) + "\"");
  };
  if (Characters(chunk) >= 3 && DropCharacters(chunk, 2) == folder) {
    if (after != before + "C:\\\r\n") broken("folder mask");
  } else if (chunk == "\f") {
    if (after != std::string(console::kClearBanner) + "\r\n") broken("form feed");
  } else {
    if (after.compare(0, before.size(), before) != 0) broken("text before the chunk changed");
    if (WithoutCr(std::string_view(after).substr(before.size())) != WithoutCr(chunk))
      broken("chunk not shown as it came");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string folder = Text(input.ConsumeRandomLengthString(48));

  framora::test::FakeView controls;
  controls.texts["Text1"] = "ffmpeg -i in.wav out.avi";
  View view;
  framora::test::FakeMessageBox messages;
  framora::test::FakeProcessHost host;

  // Chunk kinds: free text (most of them), the folder plus two characters, the folder plus
  // another number of characters, a lone form feed. Some reads wait a slice first, so the
  // runner yields in the middle of a read.
  auto chunk = [&]() -> std::string {
    switch (input.ConsumeIntegralInRange(0, 5)) {
      case 0:
        return folder + Text(input.ConsumeBytesAsString(2));
      case 1:
        return folder + Text(input.ConsumeBytesAsString(input.ConsumeIntegralInRange(0, 4)));
      case 2:
        return "\f";
      default: {
        std::string text = Text(input.ConsumeRandomLengthString(300));
        // A read never delivers more than 256 characters.
        while (Characters(text) > 256) text = std::string(DropCharacters(text, 1));
        return text;
      }
    }
  };
  for (int i = 0; i < 64 && input.remaining_bytes() > 0; ++i) {
    framora::test::FakeProcessHost::Read read;
    if (input.ConsumeIntegralInRange(0, 7) == 0) read.waitSlices = 1;
    read.chunk = chunk();
    host.reads.push_back(read);
  }
  host.finalChunk = input.ConsumeBool() ? chunk() : std::string();

  const std::int64_t width = input.ConsumeIntegralInRange(1, 40);
  auto logic = std::make_unique<console::ConsoleLogic>(
      controls, view, console::ConsolePorts{messages, host, folder, nullptr, {}});
  view.pane = &logic->Pane();
  view.model =
      std::make_unique<console::PaneModel>(logic->Pane(), console::PaneModel::Display::Rows);
  view.model->SetLayout(Width, width);
  logic->Load();
  CheckLineBreaks(logic->Pane().Text());

  // Each read looks back at what the previous chunk did to the pane.
  std::string before = logic->Pane().Text();
  std::string pending;
  bool havePending = false;
  host.onRead = [&] {
    const std::string now = logic->Pane().Text();
    if (havePending) CheckChunk(before, pending, folder, now);
    before = now;
    pending = host.reads.empty() ? host.finalChunk : host.reads.front().chunk;
    havePending = true;
  };
  // Complete appends CR LF and the prompt and then says so: the final chunk's part is what
  // comes before that tail.
  bool completed = false;
  messages.whileShown = [&](const framora::test::FakeMessageBox::Message& m) {
    if (m.prompt != console::kCompleteMessage) Fail("unexpected message box: " + m.prompt);
    completed = true;
    const std::string now = logic->Pane().Text();
    const std::string tail = "\r\n" + std::string(console::kPrompt);
    if (now.size() < tail.size() || now.compare(now.size() - tail.size(), tail.size(), tail) != 0)
      Fail("Complete did not end the pane with a prompt: " + Visible(now));
    CheckChunk(before, pending, folder, now.substr(0, now.size() - tail.size()));
  };

  logic->Execute();
  Check(completed, "the run ended without Complete");
  CheckLineBreaks(logic->Pane().Text());
  CheckRows(view.model->Rows(), logic->Pane().Chars(), width);
  return 0;
}
