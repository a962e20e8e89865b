#!/usr/bin/env bash
# The real program's command line with Debian's ffmpeg and no display: --help and --version;
# three songs (one with a hostile name, one FFmpeg cannot read) made into AVIs as long as the
# songs, then skipped; Ctrl+C during the third of five stops its FFmpeg, leaves none running
# and no unfinished video, and exits 130, and so does a closed terminal (SIGHUP); two songs with
# one video, a link at a video's name, a song that is missing and an FFmpeg that is no program.
set -euo pipefail
version=$3
# shellcheck source=e2e_common.sh
source "$(dirname "$0")/e2e_common.sh"
mkdir -p music five
# stop_batch <signal> <test...>: once the test holds, the signal to $batch; its exit status in
# $status.
stop_batch() {
  local signal=$1 end=$((SECONDS + 60))
  shift
  until "$@"; do
    ((SECONDS < end)) || fail "the batch never got as far as: $*"
    sleep 0.05
  done
  kill "-$signal" "$batch"
  status=0
  wait "$batch" || status=$?
}
ffmpeg_at() { pgrep -f "ffmpeg .*$1" >/dev/null; }

run --version
[ "$status $(cat out.txt)" = "0 Framora audio converter $version" ] || fail "--version"
run --help
[ "$status $(head -c 50 out.txt)" = "0 Usage: Framoraaudioconverter [--help | --version]" ] ||
  fail "--help"

ffmpeg -v error -f lavfi -i testsrc=s=320x240 -frames:v 1 cover.png
hostile="music/it's \$HOME \"100%\" ü!"
ffmpeg -v error -f lavfi -i sine=duration=3 "$hostile.mp3"
ffmpeg -v error -f lavfi -i sine=duration=2 music/tone.wav
echo "no sound in here" >music/broken.wav
run --format avi --image cover.png "$hostile.mp3" music/broken.wav music/tone.wav
[ $status = 1 ] || fail "exit status $status, not 1"
grep -q "^\[2/3\] music/broken.wav: failed to make music/broken.avi: FFmpeg's exit code 1; its last lines:" out.txt ||
  fail "the failure is not named"
for song in "$hostile.mp3" music/tone.wav; do
  awk -v a="$(seconds "$song")" -v v="$(seconds "${song%.*}.avi")" 'BEGIN { exit !(v - a < 0.1 && a - v < 0.1) }' ||
    fail "$song lasts $(seconds "$song") s, its video $(seconds "${song%.*}.avi") s"
done
[ ! -e music/broken.avi ] || fail "the failure left a video"
run --format avi --image cover.png "$hostile.mp3" music/tone.wav
[ "$status $(grep -c ': skipped: File .* allready exists' out.txt)" = "0 2" ] || fail "not skipped"

# An MP4 of a song whose name starts with '-': the MP3's sound is copied packet for packet.
cp "$hostile.mp3" ./-dash.mp3
run --image cover.png --format mp4 -- -dash.mp3
md5() { ffmpeg -v error -i "$1" -map 0:a -c copy -f md5 -; }
[ "$status $(md5 ./-dash.mp4)" = "0 $(md5 ./-dash.mp3)" ] || fail "-dash.mp4"

# The third song lasts long enough for FFmpeg to be found at work.
for i in 1 2 4 5; do cp music/tone.wav "five/$i.wav"; done
ffmpeg -v error -f lavfi -i sine=duration=1800:sample_rate=8000 five/3.wav
"$program" --format avi --image cover.png five/{1,2,3,4,5}.wav >out.txt 2>err.txt &
batch=$!
stop_batch INT ffmpeg_at 'five/\.3\.avi\.part'
[ $status = 130 ] || fail "exit status $status after Ctrl+C, not 130"
! pgrep -af "ffmpeg .*$work" || fail "FFmpeg still runs"
[ "$(tail -n 2 out.txt)" = "[3/5] five/3.wav: stopped: five/3.avi not made
Stopped: 2 converted, 0 skipped, 0 failed, 3 not converted" ] || fail "the report"
[ ! -e five/3.avi ] || fail "the unfinished video is left"

# The terminal closes during the first song.
"$program" --format avi --image cover.png five/3.wav five/4.wav >out.txt 2>err.txt &
batch=$!
stop_batch HUP ffmpeg_at 'five/\.3\.avi\.part'
[ $status = 130 ] || fail "exit status $status after SIGHUP, not 130"
! pgrep -af "ffmpeg .*$work" || fail "FFmpeg still runs after SIGHUP"
if [ -e five/3.avi ] || [ -e five/4.avi ]; then fail "a video is left after SIGHUP"; fi

# Two songs with one video: the second fails, the first's video stays its own.
mkdir -p same/in same/out
cp music/tone.wav same/in/a.wav
cp "$hostile.mp3" same/in/a.mp3
ln -s nowhere same/out/link.avi
cp music/tone.wav same/in/link.wav
run --format avi --overwrite --output-dir same/out --image cover.png same/in/a.mp3 same/in/a.wav same/in/none.wav
[ $status = 1 ] || fail "exit status $status with two songs for one video, not 1"
grep -q "^\[2/3\] same/in/a.wav: failed to make same/out/a.avi: same output as same/in/a.mp3" out.txt || fail "no clash"
grep -q "^\[3/3\] same/in/none.wav: failed to make same/out/none.avi: there is no such song" out.txt || fail "missing song"
[ "$(seconds same/out/a.avi | cut -c1)" = 3 ] || fail "a.avi is not the video of a.mp3"
# A link at a video's name is skipped, or with --overwrite refused, and stays a link.
run --format avi --image cover.png --output-dir same/out same/in/link.wav
grep -q "skipped: File same/out/link.avi allready exists" out.txt || fail "the link is not skipped"
run --format avi --overwrite --image cover.png --output-dir same/out same/in/link.wav
grep -q "failed to make same/out/link.avi: what stands there is no file" out.txt || fail "link replaced"
[ -L same/out/link.avi ] || fail "the link at the video's name is gone"
# An FFmpeg that is not a program is a usage error before any song; a script that is one is the
# user's choice.
run --ffmpeg ./cover.png --image cover.png same/in/a.wav
if [ $status != 2 ] || ! grep -q "is not a program that can run" err.txt || [ -s out.txt ]; then
  fail "--ffmpeg naming a picture: status $status"
fi
printf '#!/bin/sh\nexec ffmpeg "$@"\n' >ff.sh
chmod +x ff.sh
run --format avi --ffmpeg ./ff.sh --image cover.png --output-dir same same/in/a.wav
if [ $status != 0 ] || [ ! -s same/a.avi ]; then fail "an FFmpeg script: status $status"; fi

# An album without --image: three MP3s with titles, the first carrying a picture, become one MP4
# as long as the three with a chapter each, and its track list; songs at two rates, one a WAV,
# are joined by encoding, into an MP4 and an AVI. Without any picture nothing runs.
al="it's [al]: bum,2;x" # read as a filter's option, a list's path
mkdir -p "$al" tmp
export TMPDIR=$work/tmp # where the albums' files go, and from where they go afterwards
ffmpeg -v error -f lavfi -i sine=duration=3 -i cover.png -map 0 -map 1 -c:v copy \
  -disposition:v attached_pic -metadata "title=It's & 100% \"so\"" "$al/1 a.mp3"
ffmpeg -v error -f lavfi -i sine=f=600:duration=2.5 -metadata title=Zwei "$al/2 b.mp3"
ffmpeg -v error -f lavfi -i sine=f=800:duration=4 "$al/10 c.mp3"
ffmpeg -v error -f lavfi -i sine=duration=2:sample_rate=22050 -ac 2 "$al/low.wav"
run --album "My album.mp4" "$al/1 a.mp3" "$al/2 b.mp3" "$al/10 c.mp3"
grep -q "converted: My album.mp4, its track list: My album.txt" out.txt || fail "album: $status"
sum() { for song in "$@"; do seconds "$song"; done | awk '{ s += $1 } END { print s }'; }
near() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a - b < 0.1 && b - a < 0.1) }'; }
near "$(seconds "My album.mp4")" "$(sum "$al"/{"1 a","2 b","10 c"}.mp3)" || fail "album length"
[ "$(ffprobe -v error -show_entries chapter_tags=title -of csv=p=0 "My album.mp4" | tr '\n' '|')" = \
  "\"It's & 100% \"\"so\"\"\"|Zwei|c|" ] || fail "chapters"
[ "$(cat "My album.txt")" = "$(printf '0:00 %s\n0:03 Zwei\n0:05 c' "It's & 100% \"so\"")" ] ||
  fail "track list: $(cat "My album.txt")"
for album in mixed.mp4 "mixed avi.avi"; do
  run --album "$album" "$al/1 a.mp3" "$al/low.wav" "$al/2 b.mp3"
  near "$(seconds "$album")" "$(sum "$al"/{"1 a.mp3",low.wav,"2 b.mp3"})" || fail "$album length"
done
run --album none.mp4 "$al/2 b.mp3" "$al/10 c.mp3"
grep -q "failed to make none.mp4: no song carries a picture, and none was chosen" out.txt || fail "none"
run "$al/2 b.mp3"
grep -qF "failed to make $al/2 b.mp4: $al/2 b.mp3 carries no picture, and none was chosen" out.txt ||
  fail "a song without a picture"
# An album stopped halfway leaves nothing that a retry would skip.
"$program" --album long.mp4 "$al/1 a.mp3" five/3.wav >out.txt 2>err.txt &
batch=$!
stop_batch INT test -e .long.mp4.part
[ "$status $(ls -A tmp .long.* long.* 2>/dev/null)" = "130 tmp:" ] ||
  fail "after the album's stop: $status $(ls -A tmp .long.* long.*)"
echo "batch OK"
