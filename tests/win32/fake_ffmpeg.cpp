// Stands in for FFmpeg in the end-to-end test of the program: prints the way FFmpeg does (a
// banner, its inputs and output, progress lines that overwrite each other with bare carriage
// returns, all on standard error) and writes the output file named by its last argument.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string Utf8(const wchar_t* text) {
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
  return out;
}

void Err(const std::string& text) {
  DWORD written = 0;
  ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), text.data(), static_cast<DWORD>(text.size()),
              &written, nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 1;
  std::string image;
  std::string audio;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::wstring(argv[i]) == L"-i") (image.empty() ? image : audio) = Utf8(argv[i + 1]);
  }
  const std::string output = Utf8(argv[argc - 1]);
  Err("ffmpeg version 0.0-framora-test Copyright (c) 2000-2024 the FFmpeg developers\n");
  Err("Input #0, image2, from '" + image + "':\n");
  Err("Input #1, wav, from '" + audio + "':\n");
  Err("Output #0, avi, to '" + output + "':\n");
  Err("frame=   25 fps=0.0 q=2.0 size=     256kB time=00:00:01.00\r");
  Err("frame=   50 fps=0.0 q=2.0 size=     512kB time=00:00:02.00\r");
  Err("frame=   75 fps=0.0 q=2.0 Lsize=     768kB time=00:00:03.00\n");
  FILE* file = ::_wfopen(argv[argc - 1], L"wb");
  if (file == nullptr) {
    Err("could not write the output\n");
    return 1;
  }
  std::fputs(
      "RIFF\x10\x00\x00\x00"
      "AVI LIST",
      file);
  std::fclose(file);
  return 0;
}
