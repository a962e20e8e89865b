// The command line over fakes: what it answers, the files it makes, how it says what became of
// each, and how it stops.
#include <gtest/gtest.h>

#include <algorithm>

#include "batch/batch.h"
#include "convert/command_text.h"
#include "convert/names.h"
#include "convert/song_command.h"
#include "fakes/fake_batch_system.h"
#include "fakes/fake_file_system.h"

namespace framora::test {
namespace {

using convert::QuoteForShell;

using Args = std::vector<std::string>;

// The command of a song's AVI as the batch runs it, written under its temporary name.
std::string Command(const std::string& ffmpeg, const std::string& cover, const std::string& audio,
                    const std::string& output, ShellKind shell) {
  return convert::FfmpegCommand(
      ffmpeg,
      convert::ConversionArguments(
          {cover, audio, {}, output, convert::PartPathFor(output, shell), {}}, shell),
      shell);
}

class BatchTest : public ::testing::Test {
 protected:
  BatchTest() {
    for (const char* cover : {"/p/cover.png", "C:\\p\\cover.png"}) {
      files.AddNormalFile(cover);
      files.contents[cover] = "\x89PNG\r\n\x1A\n\0\0\0\rIHDR";
    }
    files.AddNormalFile("/p/notes.png");
    files.contents["/p/notes.png"] = "these are my notes";
    programs.path = "/usr/bin";
    programs.programs = {"/usr/bin/ffmpeg", "C:\\app\\ffmpeg.exe"};
    // FFmpeg writes the output the batch named, under its temporary name, and fails on an audio
    // file named "broken" (or "quiet", which fails without a word).
    system.onRun = [this](FakeProcessHost& host, const std::string& command) {
      host.exitCode = command.find("broken") == std::string::npos ? 0 : 1;
      if (host.exitCode == 1) host.reads = {{"Input #1, mp3:\n"}, {"broken.mp3: Invalid data\n"}};
      if (command.find("quiet") != std::string::npos) host.exitCode = 1;
      for (const std::string& output : outputs) {
        const std::string part = convert::PartPathFor(output, shell);
        if (command.ends_with(" " + QuoteForShell(part, shell))) Write(part);
      }
    };
  }

  // An AVI each, unless the arguments say otherwise: one run of FFmpeg a song.
  int Run(Args args) {
    if (std::none_of(args.begin(), args.end(), [](const std::string& arg) {
          return arg.starts_with("--format") || arg.starts_with("--album");
        })) {
      args.insert(args.begin(), {"--format", "avi"});
    }
    system.out.clear();
    system.err.clear();
    const ProgramSearch search =
        shell == ShellKind::Posix ? PosixFfmpegSearch() : WindowsFfmpegSearch("C:\\app");
    return batch::RunCommandLine(args, {system, files, programs, search, shell});
  }
  // Songs that exist, for the runs to come.
  void Songs(const Args& songs) {
    for (const std::string& song : songs) files.AddNormalFile(song);
  }
  void Write(const std::string& output) {
    files.AddMatch(output, output);
    files.AddNormalFile(output);
  }

  FakeBatchSystem system;
  FakeFileSystem files;
  FakeProgramSearch programs;
  ShellKind shell = ShellKind::Posix;
  std::vector<std::string> outputs;  // what FFmpeg may write
};

TEST_F(BatchTest, HelpAndVersionAnswerAndUsageErrorsSayWhatIsWrong) {
  EXPECT_EQ(Run({"--version"}), 0);
  EXPECT_EQ(system.out, "Framora audio converter 1.0.0\n");
  EXPECT_EQ(Run({"--image", "x", "--help", "--bogus"}), 0);
  EXPECT_EQ(system.out.rfind("Usage: Framoraaudioconverter", 0), 0u) << system.out;

  const std::pair<Args, std::string> errors[] = {
      {{"--image", "/p/cover.png"}, "no audio files"},
      {{"--album=", "a.mp3"}, "--album needs a file name"},
      {{"--album", "a.mp4", "--output-dir", "/o", "a.mp3"}, "--album FILE names the video"},
      {{"--bogus", "a.mp3"}, "unknown option '--bogus'"},
      {{"a.mp3", "--image"}, "--image needs a value: --image COVER"},
      {{"--image=/p/cover.png", "--format", "mkv", "a.mp3"}, "--format takes mp4 or avi"},
      {{"--image=/p/cover.png", "--frame", "square", "a.mp3"},
       "--frame takes blur, black or cover"},
      {{"--image", "/p/notes.png", "a.mp3"}, "the picture /p/notes.png is not a JPEG, PNG"},
      {{"--image=/p/cover.png", "--overwrite=yes", "a.mp3"}, "--overwrite takes no value"},
      {{"--image", "/p/none.png", "a.mp3"}, "the cover '/p/none.png' is not a file"},
      {{"--image", "/p/cover.png", "--output-dir", "/no", "a.mp3"}, "folder '/no' does not exist"},
      {{"--image=/p/cover.png", "--ffmpeg", "/p/notes.txt", "a.mp3"}, "not a program that can run"},
      {{"--image=/p/cover.png", "--ffmpeg=nothere", "a.mp3"}, "--ffmpeg 'nothere' was not found"},
  };
  for (const auto& [args, error] : errors) {
    EXPECT_EQ(Run(args), batch::kUsage) << error;
    EXPECT_NE(system.err.find(error), std::string::npos) << system.err;
  }
  programs.programs.clear();
  EXPECT_EQ(Run({"--image", "/p/cover.png", "a.mp3"}), batch::kUsage);
  EXPECT_NE(system.err.find("FFmpeg (ffmpeg) was not found"), std::string::npos) << system.err;
  EXPECT_TRUE(system.out.empty());
  EXPECT_TRUE(system.commands.empty());
}

TEST_F(BatchTest, EachAudioBecomesAVideoBesideItAFailureIsNamedAndTheBatchGoesOn) {
  const std::string hostile = "/m/it's $HOME \"100%\" ü!";
  outputs = {"/m/a.avi", "/m/broken.avi", hostile + ".avi"};
  const Args batch = {"--image", "/p/cover.png", "/m/a.wav", "/m/broken.mp3", hostile + ".mp3"};
  Songs({"/m/a.wav", "/m/broken.mp3", hostile + ".mp3"});
  EXPECT_EQ(Run(batch), batch::kFailed);
  const auto command = [](const std::string& audio, const std::string& output) {
    return Command("/usr/bin/ffmpeg", "/p/cover.png", audio, output, ShellKind::Posix);
  };
  EXPECT_EQ(system.commands,
            (Args{command("/m/a.wav", "/m/a.avi"), command("/m/broken.mp3", "/m/broken.avi"),
                  command(hostile + ".mp3", hostile + ".avi")}));
  EXPECT_EQ(
      system.out,
      "[1/3] /m/a.wav: converted: /m/a.avi\n"
      "[2/3] /m/broken.mp3: failed to make /m/broken.avi: FFmpeg's exit code 1; its last lines:\n"
      "    Input #1, mp3:\n"
      "    broken.mp3: Invalid data\n"
      "[3/3] " +
          hostile + ".mp3: converted: " + hostile +
          ".avi\n"
          "3 files: 2 converted, 0 skipped, 1 failed\n");
  EXPECT_EQ(files.removed, Args{"/m/.broken.avi.part"}) << "what the failed run may have left";

  // Again, with the two that were converted: both are skipped with the launch's message.
  programs.programs.insert("/usr/bin/ff");
  EXPECT_EQ(Run({"--ffmpeg", "ff", "--image", "/p/cover.png", "/m/a.wav", hostile + ".mp3"}), 0);
  EXPECT_EQ(system.out,
            "[1/2] /m/a.wav: skipped: File /m/a.avi allready exists - Please choose another "
            "filename\n[2/2] " +
                hostile + ".mp3: skipped: File " + hostile +
                ".avi allready exists - Please choose another filename\n"
                "2 files: 0 converted, 2 skipped, 0 failed\n");
  EXPECT_EQ(system.commands.size(), 3u);
}

TEST_F(BatchTest, VideosAreNamedAfterTheAudioInItsFolderOrTheOutputFolder) {
  files.folders = {"/out", "E:\\v\\"};
  outputs = {"/out/song.mp4", "/out/.hidden.mp4", "/out/x.y.mp4"};
  Songs({"/a/song.mp3", "/b/song.wav", "/c/.hidden", "/c/x.y.z", "C:\\m\\a.mp3", "D:b.wav",
         "C:/m/c.amr"});
  const std::string frame = std::string("\xFF\xFB\x90\x00", 4) + std::string(413, '\0');
  files.contents["/a/song.mp3"] = frame + frame + frame + frame;
  EXPECT_EQ(Run({"--image", "/p/cover.png", "--output-dir", "/out", "--format=mp4", "--",
                 "/a/song.mp3", "/b/song.wav", "/c/.hidden", "/c/x.y.z"}),
            1);
  // The picture is encoded once, by the first video's first run.
  EXPECT_EQ(system.commands.size(), 4u) << "the second song.mp4 is not overwritten";
  EXPECT_NE(system.commands[0].find("-filter_complex_script"), std::string::npos);
  EXPECT_NE(system.commands[1].find("-c:a copy "), std::string::npos) << "an MP3 is copied";
  EXPECT_NE(system.out.find(
                "[2/4] /b/song.wav: failed to make /out/song.mp4: same output as /a/song.mp3"),
            std::string::npos);

  shell = ShellKind::Cmd;
  outputs = {"C:\\m\\a.avi", "D:b.avi", "E:\\v\\c.avi"};
  EXPECT_EQ(Run({"--image", "C:\\p\\cover.png", "C:\\m\\a.mp3", "D:b.wav"}), 0);
  EXPECT_EQ(Run({"--image", "C:\\p\\cover.png", "--output-dir", "E:\\v\\", "C:/m/c.amr"}), 0);
  EXPECT_EQ(system.commands.back(), Command("C:\\app\\ffmpeg.exe", "C:\\p\\cover.png", "C:/m/c.amr",
                                            "E:\\v\\c.avi", ShellKind::Cmd));
}

TEST_F(BatchTest, EachSongHasAVideoOfItsOwnAndWhatStandsThereIsLeftAlone) {
  Songs({"/in/a.mp3", "/in/a.wav", "/d1/b.mp3", "/d2/b.mp3", "/in/c.mp3", "/in/d.mp3",
         "C:\\m\\A.mp3", "C:\\m\\a.wav"});
  files.folders = {"/out", "C:\\out", "/in/folder.mp3"};
  files.kinds = {{"/out/c.avi", PathKind::Link}, {"/out/d.avi", PathKind::Folder}};
  struct Case {
    Args args;
    std::string line;  // what becomes of the song that cannot run
    std::size_t runs;
  };
  const Case cases[] = {
      {{"/in/a.mp3", "/in/a.wav"},
       "[2/2] /in/a.wav: failed to make /out/a.avi: same output as /in/a.mp3",
       1},
      {{"/d1/b.mp3", "/d2/b.mp3"},
       "[2/2] /d2/b.mp3: failed to make /out/b.avi: same output as /d1/b.mp3",
       1},
      {{"/in/a.mp3", "/in/a.mp3"},
       "[2/2] /in/a.mp3: failed to make /out/a.avi: same output as /in/a.mp3",
       1},
      {{"C:\\m\\A.mp3", "C:/m/a.wav"},
       "[2/2] C:/m/a.wav: failed to make C:\\out\\a.avi: same output as C:\\m\\A.mp3",
       1},
      {{"/in/c.mp3"},
       "[1/1] /in/c.mp3: failed to make /out/c.avi: what stands there is no file",
       0},
      {{"/in/d.mp3"}, "[1/1] /in/d.mp3: failed to make /out/d.avi: a folder stands there", 0},
      {{"/in/none.mp3"},
       "[1/1] /in/none.mp3: failed to make /out/none.avi: there is no such song",
       0},
      {{"/in/folder.mp3"},
       "[1/1] /in/folder.mp3: failed to make /out/folder.avi: the song is a folder",
       0},
  };
  for (const Case& c : cases) {
    shell = c.args[0].starts_with("C:") ? ShellKind::Cmd : ShellKind::Posix;
    const bool windows = shell == ShellKind::Cmd;
    const Args cover = {"--overwrite", "--output-dir", windows ? "C:\\out" : "/out", "--image",
                        windows ? "C:\\p\\cover.png" : "/p/cover.png"};
    Args args = cover;
    args.insert(args.end(), c.args.begin(), c.args.end());
    system.commands.clear();
    EXPECT_EQ(Run(args), batch::kFailed) << c.line;
    EXPECT_NE(system.out.find(c.line), std::string::npos) << system.out;
    EXPECT_EQ(system.commands.size(), c.runs) << c.line;
  }
  // Without --overwrite, anything that stands at the name is skipped, and nothing is removed.
  shell = ShellKind::Posix;
  EXPECT_EQ(Run({"--output-dir", "/out", "--image", "/p/cover.png", "/in/c.mp3", "/in/d.mp3"}), 0);
  EXPECT_NE(system.out.find("2 files: 0 converted, 2 skipped"), std::string::npos) << system.out;
  EXPECT_TRUE(files.removed.empty());
}

TEST_F(BatchTest, OnWindowsTheBatchExpandsWildcardsAsWindowsProgramsDo) {
  shell = ShellKind::Cmd;
  files.entries["C:\\album"] = {"10 c.mp3", "02 B.MP3", "1 a.mp3", "notes.txt", "sub.mp3"};
  files.folders.insert("C:\\album\\sub.mp3");
  Songs(
      {"C:\\album\\10 c.mp3", "C:\\album\\02 B.MP3", "C:\\album\\1 a.mp3", "C:\\album\\notes.txt"});
  EXPECT_EQ(Run({"--image", "C:\\p\\cover.png", "C:\\album\\*.mp?", "C:\\none\\*.wav"}), 1);
  EXPECT_EQ(system.commands.size(), 3u);
  for (const char* line :
       {"[1/4] C:\\album\\1 a.mp3: ", "[2/4] C:\\album\\02 B.MP3: ", "[3/4] C:\\album\\10 c.mp3: ",
        "[4/4] C:\\none\\*.wav: failed: no file matches it"}) {
    EXPECT_NE(system.out.find(line), std::string::npos) << line << "\n" << system.out;
  }
}

TEST_F(BatchTest, WhatAFailedRunLeftIsRemovedButNeverAFileThatWasThereBefore) {
  Write("/m/old.avi");  // overwritten on request: FFmpeg may have emptied it, but it stays
  Songs({"/m/old.wav", "/m/quiet.wav", "/m/new.wav", "/m/third.wav"});
  outputs = {"/m/old.avi", "/m/quiet.avi"};
  EXPECT_EQ(
      Run({"--overwrite", "--image", "/p/cover.png", "/m/old.wav", "/m/quiet.wav", "/m/new.wav"}),
      1);
  EXPECT_EQ(system.commands.size(), 3u);
  EXPECT_NE(system.out.find("[1/3] /m/old.wav: converted"), std::string::npos) << system.out;
  EXPECT_NE(
      system.out.find("[2/3] /m/quiet.wav: failed to make /m/quiet.avi: FFmpeg's exit code 1\n"),
      std::string::npos);
  EXPECT_NE(
      system.out.find("[3/3] /m/new.wav: failed to make /m/new.avi: FFmpeg ended (exit code 0) "
                      "without writing it"),
      std::string::npos)
      << system.out;
  EXPECT_EQ(files.removed, Args{"/m/.quiet.avi.part"});
  EXPECT_EQ(files.KindAt("/m/old.avi"), PathKind::File) << "replaced by its new video";

  // A run that cannot start is named by the runner's error.
  system.processError = 2;
  EXPECT_EQ(Run({"--image", "/p/cover.png", "/m/third.wav"}), 1);
  EXPECT_NE(system.out.find("failed to make /m/third.avi: CreateProcess failed. (2)"),
            std::string::npos)
      << system.out;
}

TEST_F(BatchTest, ATerminalSeesEachFilesProgressInOneLineAndOthersOnlyTheResults) {
  outputs = {"/m/a.avi"};
  Songs({"/m/a.wav"});
  const auto onRun = system.onRun;
  system.onRun = [&](FakeProcessHost& host, const std::string& command) {
    onRun(host, command);
    host.reads = {{"Input #1, wav\n  Duration: 00:00:10.00, start\n"},
                  {"frame=1 time=00:00:02.90 \r"},
                  {"frame=2 time=00:00:02.95 \r"},  // still 29 %: the line stays
                  {"frame=3 time=00:00:10.00 \r"}};
  };
  system.terminal = true;
  EXPECT_EQ(Run({"--image", "/p/cover.png", "/m/a.wav"}), 0);
  EXPECT_EQ(system.out,
            "\r[1/1] /m/a.wav\r[1/1] /m/a.wav  29 %\r[1/1] /m/a.wav  100 %"
            "\r[1/1] /m/a.wav: converted: /m/a.avi\n1 file: 1 converted, 0 skipped, 0 failed\n");
  system.terminal = false;
  files.RemoveFile("/m/a.avi");
  EXPECT_EQ(Run({"--image", "/p/cover.png", "/m/a.wav"}), 0);
  EXPECT_EQ(system.out,
            "[1/1] /m/a.wav: converted: /m/a.avi\n1 file: 1 converted, 0 skipped, "
            "0 failed\n");
}

TEST_F(BatchTest, AStopDuringTheThirdOfFiveEndsItsFfmpegAsCancelDoesAndLeavesTheRest) {
  outputs = {"/m/1.avi", "/m/2.avi", "/m/3.avi"};
  Songs({"/m/1.wav", "/m/2.wav", "/m/3.wav", "/m/4.wav", "/m/5.wav"});
  const auto onRun = system.onRun;
  system.onRun = [&](FakeProcessHost& host, const std::string& command) {
    onRun(host, command);
    if (system.commands.size() == 3) {
      host.reads = {{"frame=1\r", 50}};
      host.onRead = [&] { system.stop = true; };  // Ctrl+C while FFmpeg works
    }
  };
  EXPECT_EQ(
      Run({"--image", "/p/cover.png", "/m/1.wav", "/m/2.wav", "/m/3.wav", "/m/4.wav", "/m/5.wav"}),
      batch::kStopped);
  EXPECT_EQ(system.commands.size(), 3u);
  // Its tree is ended beside the batch, which waits for that before the video goes.
  EXPECT_EQ(system.stopWaits, std::vector<std::size_t>{1});
  EXPECT_EQ(files.removed, Args{"/m/.3.avi.part"});
  EXPECT_NE(system.out.find("[3/5] /m/3.wav: stopped: /m/3.avi not made\n"
                            "Stopped: 2 converted, 0 skipped, 0 failed, 3 not converted\n"),
            std::string::npos)
      << system.out;
}

TEST_F(BatchTest, AFailureShowsAFewShortLinesHoweverMuchFfmpegWrote) {
  system.onRun = [](FakeProcessHost& host, const std::string&) {
    host.exitCode = 1;
    for (int i = 0; i < 5000; ++i) host.reads.push_back({"Error while decoding stream #0:0\n"});
    host.reads.push_back({std::string(199, 'x') + "é" + std::string(100000, 'y') + "\n"});
    host.reads.push_back({"Conversion failed!"});
  };
  Songs({"/m/a.wav"});
  EXPECT_EQ(Run({"--image", "/p/cover.png", "/m/a.wav"}), 1);
  const std::string error = "\n    Error while decoding stream #0:0";
  EXPECT_EQ(system.out.substr(system.out.find(": failed")),
            ": failed to make /m/a.avi: FFmpeg's exit code 1; its last lines:" + error + error +
                error + "\n    " + std::string(199, 'x') + "\n    Conversion failed!\n" +
                "1 file: 0 converted, 0 skipped, 1 failed\n");
}

}  // namespace
}  // namespace framora::test
