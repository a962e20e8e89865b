// The program's command line from cmd.exe, as a user types it: the name without ".exe" finds
// the console twin, which answers on the console it was started from and whose exit status
// cmd keeps; a batch of two songs with the stand-in for FFmpeg.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"
#include "support/temp_env.h"
#include "win32_test_support.h"

namespace framora::win32 {
namespace {

struct Ran {
  DWORD status = 0;
  std::string output;  // standard output and standard error
};

// `cmd /c line` in the program's folder, as typed at its prompt.
Ran Cmd(const std::string& line) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  EXPECT_TRUE(::CreatePipe(&read, &write, &inherit, 0));
  KernelHandle reader(read);
  ::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = write;
  std::wstring command = L"cmd.exe /c " + ToWide(line);
  PROCESS_INFORMATION info{};
  const std::wstring folder = ToWide(test::ProgramFolder() + FRAMORA_PROGRAM_FOLDER_FROM_TESTS);
  EXPECT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                               folder.c_str(), &startup, &info));
  ::CloseHandle(write);
  KernelHandle process(info.hProcess), thread(info.hThread);
  Ran ran;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got > 0)
    ran.output.append(buffer, got);
  ::WaitForSingleObject(process.get(), INFINITE);
  ::GetExitCodeProcess(process.get(), &ran.status);
  return ran;
}

TEST(CommandLine, TheNameAloneRunsTheConsoleTwinWhoseAnswerAndStatusCmdKeeps) {
  Ran ran = Cmd("Framoraaudioconverter --version");
  EXPECT_EQ(ran.output, "Framora audio converter " FRAMORA_VERSION "\n");
  EXPECT_EQ(ran.status, 0u);
  ran = Cmd("Framoraaudioconverter --bogus");
  EXPECT_NE(ran.output.find("unknown option '--bogus'"), std::string::npos) << ran.output;
  EXPECT_EQ(ran.status, 2u);
}

TEST(CommandLine, ABatchOfTwoSongsBecomesTwoVideosBesideThem) {
  const std::string dir = test::MakeTempDir("batch") + "\\";
  std::ofstream(dir + "cover.jpg") << "\xFF\xD8\xFF jpeg";  // a JPEG's first bytes
  const std::string songs[] = {dir + "one.wav", dir + "it's 100% ü!.mp3"};
  for (const std::string& song : songs) std::ofstream(std::filesystem::path(ToWide(song))) << "x";
  const Ran ran = Cmd("Framoraaudioconverter --ffmpeg \"" + test::ProgramFolder() +
                      "fake_ffmpeg.exe\" --format avi --image \"" + dir + "cover.jpg\" \"" +
                      songs[0] + "\" \"" + songs[1] + "\"");
  EXPECT_EQ(ran.output, "[1/2] " + songs[0] + ": converted: " + dir + "one.avi\n[2/2] " + songs[1] +
                            ": converted: " + dir + "it's 100% ü!.avi\n" +
                            "2 files: 2 converted, 0 skipped, 0 failed\n");
  EXPECT_EQ(ran.status, 0u);
}

}  // namespace
}  // namespace framora::win32
