#include "queue/song_queue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "fakes/fake_file_system.h"

namespace framora::queue {
namespace {

// A second of 8 kHz mono PCM.
std::string Wave() {
  const auto le = [](std::uint32_t v, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
  };
  const std::string sound(16000, '\0');
  return "RIFF" + le(36 + sound.size(), 4) + "WAVE" + "fmt " + le(16, 4) + le(1, 2) + le(1, 2) +
         le(8000, 4) + le(16000, 4) + le(2, 2) + le(16, 2) + "data" + le(sound.size(), 4) + sound;
}

// Each command ends as the case says; a command that succeeds writes what it names last.
struct ScriptedRunner : CommandRunner {
  std::function<RunEnd(std::size_t)> end;
  test::FakeFileSystem* files = nullptr;
  std::vector<std::string> commands;
  std::vector<std::function<void()>> afterStop;
  std::vector<std::string> writes;  // where a successful run writes, in order of the runs
  RunEnd RunCommand(const std::string& command) override {
    commands.push_back(command);
    const RunEnd ended = end(commands.size() - 1);
    if (ended.exitCode == 0 && !ended.stopped && commands.size() <= writes.size())
      files->contents[writes[commands.size() - 1]] = "video";
    return ended;
  }
  void AfterStop(std::function<void()> work) override { afterStop.push_back(std::move(work)); }
};

struct Quiet : QueueReport {
  void VideoEnded(const SongQueue&, std::size_t) override {}
};

RunEnd Exit(int code) {
  RunEnd end;
  end.exitCode = code;
  return end;
}
RunEnd Stopped(bool stalled) {
  RunEnd end;
  (stalled ? end.stalled : end.stopped) = true;
  return end;
}

TEST(SongQueueRun, DecidesWritesAndLeavesWhatTheCaseSays) {
  struct Case {
    const char* name;
    bool overwrite;
    bool oldVideo;     // a finished video stands at the output
    bool leftover;     // a killed run's part stands beside it
    bool sameAsSong;   // the output is the song itself, under another name
    bool notAPicture;  // the chosen picture is text
    RunEnd (*end)(std::size_t run);
    std::size_t runs;  // commands run
    Outcome outcome;
    const char* video;  // what stands at the output afterwards
  } cases[] = {
      {"made", false, false, false, false, false, [](std::size_t) { return Exit(0); }, 2,
       Outcome::Converted, "video"},
      {"a killed run's part is cleared first", false, false, true, false, false,
       [](std::size_t) { return Exit(0); }, 2, Outcome::Converted, "video"},
      {"a failed overwrite keeps the old video", true, true, false, false, false,
       [](std::size_t run) { return Exit(run == 0 ? 0 : 1); }, 2, Outcome::Failed, "old"},
      {"a stopped overwrite keeps the old video", true, true, false, false, false,
       [](std::size_t run) { return run == 0 ? Exit(0) : Stopped(false); }, 2, Outcome::Stopped,
       "old"},
      {"a stalled FFmpeg fails the video", false, false, false, false, false,
       [](std::size_t) { return Stopped(true); }, 1, Outcome::Failed, nullptr},
      {"not overwriting skips", false, true, false, false, false,
       [](std::size_t) { return Exit(0); }, 0, Outcome::Skipped, "old"},
      {"never over its own song", true, true, false, true, false,
       [](std::size_t) { return Exit(0); }, 0, Outcome::Failed, "old"},
      {"text as a picture fails before FFmpeg", true, true, false, false, true,
       [](std::size_t) { return Exit(0); }, 0, Outcome::Failed, "old"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::FakeFileSystem files;
    files.contents["/m/song.wav"] = Wave();
    files.normalFiles.insert("/m/song.wav");
    files.contents["/m/cover.png"] = c.notAPicture ? "not a picture" : "\x89PNG\r\n\x1A\n....";
    if (c.oldVideo) files.contents["/v/song.mp4"] = "old";
    if (c.leftover) files.contents["/v/.song.mp4.part"] = "stub";
    if (c.sameAsSong) files.sameFile["/v/song.mp4"] = "/m/song.wav";
    SongQueue queue(files,
                    {.ffmpeg = "/bin/ffmpeg", .image = "/m/cover.png", .overwrite = c.overwrite});
    queue.AddOne("/m/song.wav", "/v/song.mp4");
    ScriptedRunner runner;
    runner.end = c.end;
    runner.files = &files;
    runner.writes = {"/tmp/picture", queue[0].part};
    Quiet quiet;
    queue.Run(runner, quiet);
    for (const auto& work : runner.afterStop) work();
    EXPECT_EQ(runner.commands.size(), c.runs);
    EXPECT_EQ(queue[0].outcome, c.outcome) << queue[0].result;
    if (c.video) {
      EXPECT_EQ(files.contents["/v/song.mp4"], c.video);
    } else {
      EXPECT_EQ(files.KindAt("/v/song.mp4"), PathKind::None);
    }
    EXPECT_EQ(files.KindAt("/v/.song.mp4.part"), PathKind::None) << "a part is never left";
    EXPECT_EQ(files.contents["/m/song.wav"], Wave()) << "the song is never touched";
  }
}

TEST(SongQueueRun, EncodesEachPictureOnceAndWritesAnAlbumsListWithItsVideo) {
  test::FakeFileSystem files;
  for (const char* song : {"/m/a.wav", "/m/b.wav", "/m/c.wav"}) {
    files.contents[song] = Wave();
    files.normalFiles.insert(song);
  }
  files.contents["/m/cover.png"] = "\x89PNG\r\n\x1A\n....";
  SongQueue queue(files, {.ffmpeg = "/bin/ffmpeg", .image = "/m/cover.png"});
  queue.AddOne("/m/a.wav", "/v/a.mp4");
  queue.AddOne("/m/b.wav", "/v/b.mp4");
  queue.AddAlbum({"/m/a.wav", "/m/b.wav", "/m/c.wav"}, "/v/all.mp4");
  const std::string listBefore = queue.TrackListText(2);
  EXPECT_EQ(files.tempFolders, 0) << "asking for commands writes nothing";
  ScriptedRunner runner;
  runner.end = [](std::size_t) { return Exit(0); };
  runner.files = &files;
  runner.writes = {"/tmp/picture", queue[0].part, queue[1].part, queue[2].part};
  Quiet quiet;
  queue.Run(runner, quiet);
  ASSERT_EQ(runner.commands.size(), 4u) << "the picture once, then each video";
  for (std::size_t i = 1; i < 4; ++i)
    EXPECT_EQ(runner.commands[i].find("libx264"), std::string::npos);
  EXPECT_EQ(queue.Count().converted, 3u);
  EXPECT_EQ(files.contents["/v/all.txt"], listBefore);
  EXPECT_NE(listBefore.find("0:02"), std::string::npos) << listBefore;
  EXPECT_EQ(files.KindAt("/v/.all.txt.part"), PathKind::None);
}

}  // namespace
}  // namespace framora::queue
