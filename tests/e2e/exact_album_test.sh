#!/usr/bin/env bash
# Albums heard where their chapters say, and runs that never destroy or fake a video, on the real
# command line with Debian's ffmpeg. Each song opens with a second of silence before its tone, so
# that silencedetect hears where every song begins in the album: its chapter may start at most
# 0.03 s after that, and the album lasts the songs' sum. Mixes: MP3s without a VBR header with a
# CBR one (copied), M4A with ADTS, a WAV with twenty MP3s at another rate, FLAC, Ogg Vorbis and
# Opus, and a name with a line break. Then: a failed or refused overwrite keeps the old video; a
# video over its own song is refused; kill -9 leaves no video that the next run would skip; a
# track list is as readable as its video.
set -euo pipefail
# shellcheck source=e2e_common.sh
source "$(dirname "$0")/e2e_common.sh"
export TMPDIR=$work/tmp
# What is heard of a song, decoded: FFmpeg's own guess of its length is off for an MP3 without a
# VBR header.
heard() {
  ffmpeg -v error -i "$1" -map 0:a -ar 48000 -ac 1 -f s16le - | wc -c | awk '{ print $1 / 96000 }'
}
# song <file> <seconds of tone> [encoder options...]
song() {
  local file=$1 tone=$2
  shift 2
  ffmpeg -v error -f lavfi -i "sine=f=$((300 + RANDOM % 900)):duration=$tone,adelay=1000:all=1" \
    "$@" "$file"
}
ffmpeg -v error -f lavfi -i color=c=blue:s=320x240 -frames:v 1 cover.png

song nx1.mp3 10 -write_xing 0 -q:a 0
song nx2.mp3 8 -write_xing 0 -q:a 9
song cbr.mp3 3.5 -b:a 128k
song m4a.m4a 5 -c:a aac
song adts.aac 4 -c:a aac
song w.wav 3 -ar 22050
for i in $(seq 20); do song "m$i.mp3" "1.$((i % 10))" -ar 44100; done
song f.flac 2.5
song v.ogg 3 -c:a libvorbis
song o.opus 2 -c:a libopus
song "line
break.mp3" 2
song lb2.mp3 3

# [like=<mp4>] album <name> <songs...>: made, as long as its songs, each chapter where its song is heard.
album() {
  local name=$1
  shift
  run --image cover.png --album "$name" "$@"
  [ "$status" = 0 ] || fail "$name: exit status $status"
  local sum
  sum=$(for s in "$@"; do heard "$s"; done | awk '{ s += $1 } END { print s }')
  awk -v v="$(seconds "$name")" -v s="$sum" -v n=$# 'BEGIN { d = v - s; exit !(d < 0.1 * n && -d < 0.1 * n) }' ||
    fail "$name lasts $(seconds "$name") s for $sum s of songs"
  # An AVI has no chapters: its songs must be heard where the MP4 of the same songs says.
  paste <(ffprobe -v error -show_entries chapter=start_time -of csv=p=0 "${like:-$name}") \
    <(ffmpeg -nostats -i "$name" -map 0:a -af silencedetect=n=-40dB:d=0.5 -f null - 2>&1 |
      sed -n 's/.*silence_end: \([0-9.]*\).*/\1/p') |
    awk -v n=$# -v name="$name" '
      { heard = $2 - 1; late = $1 - heard; count++
        if (late > 0.03 || late < -0.1) { printf "%s: chapter %d at %s, its song heard at %.3f\n", name, count, $1, heard; bad = 1 } }
      END { if (count != n) { printf "%s: %d chapters or songs heard, not %d\n", name, count, n; bad = 1 }; exit bad }' ||
    fail "$name's chapters"
  [ "$(grep -c "" "${name%.*}.txt")" = $# ] || fail "$name's track list"
}
album copied.mp4 nx1.mp3 nx2.mp3 cbr.mp3
album aac.mp4 m4a.m4a adts.aac
album aac-first.mp4 adts.aac m4a.m4a
album drift.mp4 w.wav m{1..20}.mp3
album kinds.mp4 f.flac v.ogg o.opus nx2.mp3
like=kinds.mp4 album "kinds avi.avi" f.flac v.ogg o.opus nx2.mp3
album "line break.mp4" "line
break.mp3" lb2.mp3

# A refused or failed overwrite keeps the video that stood there.
cp copied.mp4 keep.mp4
before=$(md5sum <keep.mp4)
echo "no picture" >notes.png
run --image notes.png --overwrite --album keep.mp4 cbr.mp3
[ "$status $(md5sum <keep.mp4)" = "2 $before" ] || fail "a text as the picture: $status"
printf 'garbage' >broken.mp3
run --image cover.png --overwrite --album keep.mp4 broken.mp3 cbr.mp3
[ "$status $(md5sum <keep.mp4)" = "1 $before" ] || fail "an album of a broken song: $status"
cp broken.mp3 keep.mp3 # FFmpeg fails on it
run --image cover.png --format mp4 --overwrite keep.mp3
[ "$status $(md5sum <keep.mp4)" = "1 $before" ] || fail "a failed FFmpeg: $status"
[ -z "$(find . tmp -maxdepth 1 -name '.keep*' -o -path 'tmp/?*')" ] || fail "a failed run left files"

# Never a video over one of its own inputs.
cp m4a.m4a own.mp4
run --image cover.png --format mp4 --overwrite --output-dir . own.mp4
{ [ "$status" = 1 ] && grep -q "would be written over its song" out.txt; } || fail "own.mp4: $status"
cmp -s own.mp4 m4a.m4a || fail "own.mp4 was written over"
cp cbr.mp3 first.mp3
run --image cover.png --overwrite --album first.mp3 first.mp3 nx2.mp3
{ [ "$status" = 1 ] && cmp -s first.mp3 cbr.mp3; } || fail "an album over its first song: $status"

# A batch killed outright leaves its part, never a video; the next run makes the video.
ffmpeg -v error -f lavfi -i sine=duration=1200:sample_rate=8000 long.wav
"$program" --image cover.png --format avi long.wav >out.txt 2>err.txt &
batch=$!
end=$((SECONDS + 60))
until [ -s .long.avi.part ]; do
  ((SECONDS < end)) || fail "the long song's video never began"
  sleep 0.05
done
kill -KILL "$batch"
wait "$batch" || true
end=$((SECONDS + 20))
while pgrep -f "ffmpeg .*$work" >/dev/null; do
  ((SECONDS < end)) || fail "FFmpeg outlived the killed batch"
  sleep 0.1
done
[ ! -e long.avi ] || fail "a killed run left a video at its name"
ffmpeg -v error -f lavfi -i sine=duration=2 long.wav -y
run --image cover.png --format avi long.wav
{ [ "$status" = 0 ] && [ ! -e .long.avi.part ] && grep -q "converted: long.avi" out.txt; } ||
  fail "the run after the kill: $status"

# The track list is as readable as its video.
(
  umask 022
  run --image cover.png --album perms.mp4 cbr.mp3 nx2.mp3
)
[ "$(stat -c %A perms.txt)" = "$(stat -c %A perms.mp4)" ] || fail "perms: $(stat -c %A perms.txt perms.mp4)"
echo "exact albums OK"
