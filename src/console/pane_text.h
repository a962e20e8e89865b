// The console pane's fixed texts and its output rules. The pane holds one string whose line
// breaks are CR LF; these functions decide what a piece of command output turns into.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace framora::console {

inline constexpr std::string_view kCrLf = "\r\n";
inline constexpr std::string_view kPrompt = "C:\\> ";
inline constexpr std::string_view kFolderMask = "C:\\";
inline constexpr std::string_view kClearBanner = "[**] Zelbrin's Version of MS-DOS [**]";
inline constexpr std::string_view kCancelLine = "[**] Process Canceled [**]";
// How the program's own lines are set apart from a command's output.
inline constexpr std::string_view kNoteStart = "[**] ";
inline constexpr std::string_view kNoteEnd = " [**]";

inline constexpr std::string_view kCompleteMessage = "Complete reading output!";
inline constexpr std::string_view kCompleteTitle = "Success!";
inline constexpr std::string_view kCanceledMessage = "Success! Process was canceled!";
inline constexpr std::string_view kErrorTitle = "Error";

// "[**] Framora audio converter v1.0 [**]": the program's name and version, as its caption.
std::string StartBanner();

// What a fresh pane shows: banner, empty line, prompt.
std::string FreshPaneText();

// True when the chunk is the program folder followed by exactly two more characters (the line
// break the interpreter writes after it); such a chunk is shown as the folder mask.
bool IsFolderChunk(std::string_view chunk, std::string_view programFolder);

// Drops every CR and turns every LF into CR LF, so bare LF, CR LF and progress lines that
// overwrite themselves with bare CRs all end up as plain CR LF lines.
std::string NormalizeLineBreaks(std::string_view chunk);
// The same, appended to `out` (so a caller can reuse one buffer for every chunk).
void AppendNormalizedLineBreaks(std::string_view chunk, std::string& out);

// The line between the start of a long output and its newest part, which the pane keeps:
// "[**] 1,234 lines (98.5 MB) of output not shown [**]".
std::string NotShownLine(std::uint64_t bytes, std::uint64_t lines);

// The interpreter's screen-clearing command writes one form feed and nothing else.
bool IsClearScreen(std::string_view chunk);

// What Complete shows when the command ended with a status other than 0: the usual
// message, then "The command failed with exit code N." (Windows status codes, from
// 0xC0000000 on, in hex: "0xC0000005").
std::string FailedCommandMessage(std::int32_t exitCode);

// What the failure message adds when the video that the failed conversion began was removed.
std::string RemovedVideoLine(std::string_view video);

// The text of the message shown for a runner error.
std::string ErrorMessage(std::string_view error, std::int32_t lastDllError);

}  // namespace framora::console
