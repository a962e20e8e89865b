#include "console/pane_text.h"

#include <cstdio>
#include <cstring>

#include "app/identity.h"
#include "app/text.h"

namespace framora::console {

namespace {
bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
}  // namespace

std::string StartBanner() { return std::string("[**] ") + identity::kMainCaption + " [**]"; }

std::string FreshPaneText() {
  std::string text = StartBanner();
  text += kCrLf;
  text += kCrLf;
  text += kPrompt;
  return text;
}

bool IsFolderChunk(std::string_view chunk, std::string_view programFolder) {
  // Nearly every chunk differs from the folder at once: no need to count its characters.
  if (chunk.size() < programFolder.size() + 2 || !chunk.starts_with(programFolder)) return false;
  if (Utf8Length(chunk) < 3) return false;
  // Step back over two characters; a character starts at every byte that is not a
  // continuation byte, the same way Utf8Length counts them.
  std::size_t end = chunk.size();
  for (int dropped = 0; dropped < 2 && end > 0;) {
    --end;
    if (!IsContinuationByte(chunk[end])) ++dropped;
  }
  return chunk.substr(0, end) == programFolder;
}

void AppendNormalizedLineBreaks(std::string_view chunk, std::string& out) {
  if (chunk.empty()) return;
  // Most chunks are long runs of text with a few LFs and no CR: look for the two separately
  // (memchr is fast) and copy the runs between them whole.
  const char* p = chunk.data();
  const char* const end = p + chunk.size();
  const auto next = [end](const char* from, char c) {
    const void* found = std::memchr(from, c, static_cast<std::size_t>(end - from));
    return found ? static_cast<const char*>(found) : end;
  };
  const char* cr = next(p, '\r');
  const char* lf = next(p, '\n');
  while (p != end) {
    const char* stop = cr < lf ? cr : lf;
    out.append(p, static_cast<std::size_t>(stop - p));
    if (stop == end) break;
    if (stop == lf) {
      out += kCrLf;
      lf = next(stop + 1, '\n');
    } else {
      cr = next(stop + 1, '\r');
    }
    p = stop + 1;
  }
}

std::string NormalizeLineBreaks(std::string_view chunk) {
  std::string out;
  out.reserve(chunk.size() + chunk.size() / 8);
  AppendNormalizedLineBreaks(chunk, out);
  return out;
}

std::string NotShownLine(std::uint64_t bytes, std::uint64_t lines) {
  const std::string digits = std::to_string(lines);
  std::string count;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) count += ',';
    count += digits[i];
  }
  char megabytes[32];
  std::snprintf(megabytes, sizeof megabytes, "%.1f MB",
                static_cast<double>(bytes) / (1024.0 * 1024.0));
  std::string line = "[**] ";
  line += count;
  line += lines == 1 ? " line (" : " lines (";
  line += megabytes;
  line += ") of output not shown [**]";
  return line;
}

bool IsClearScreen(std::string_view chunk) { return chunk == "\f"; }

std::string RemovedVideoLine(std::string_view video) {
  std::string line = "What FFmpeg had written of ";
  line += video;
  line += " was removed, so that the conversion can run again.";
  return line;
}

std::string FailedCommandMessage(std::int32_t exitCode) {
  std::string text(kCompleteMessage);
  text += kCrLf;
  text += "The command failed with exit code ";
  // Windows' own status codes (a crash is 0xC0000005) are known, and searched for, in hex.
  const auto code = static_cast<std::uint32_t>(exitCode);
  if (code >= 0xC0000000u) {
    char hex[11];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(code));
    text += hex;
  } else {
    text += std::to_string(exitCode);
  }
  text += ".";
  return text;
}

std::string ErrorMessage(std::string_view error, std::int32_t lastDllError) {
  std::string text = "Error!";
  text += kCrLf;
  text += "Description: ";
  text += error;
  text += kCrLf;
  text += "LastDLLError: ";
  text += std::to_string(lastDllError);
  return text;
}

}  // namespace framora::console
