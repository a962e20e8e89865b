#!/usr/bin/env bash
# Conversions with a real Windows FFmpeg through the program under Wine, driven by
# real_ffmpeg_test.cpp; then every file a case left is read here with ffprobe: a Motion JPEG
# video and an audio stream (H.264 and AAC for an MP4, or an MP3's packets as they were, the
# picture as long as the sound), and the length the case expects (or,
# for a cancelled conversion, a length at all: the file was finished). Arguments: the test program, ffmpeg.exe, a work folder,
# then the command that runs Windows programs.
set -euo pipefail
driver=$1 windows_ffmpeg=$2 work=$3
shift 3
if [ ! -f "$windows_ffmpeg" ]; then
  echo "No Windows FFmpeg at $windows_ffmpeg; scripts/test-windows fetches it."
  exit 77
fi
rm -rf "$work" && mkdir -p "$work"

# The media, under the names the cases use.
make() { ffmpeg -nostdin -v error -y "$@"; }
make -f lavfi -i testsrc=s=640x360 -frames:v 1 "$work/cover.jpg"
cp "$work/cover.jpg" "$work/曲 🎵.jpg"
make -f lavfi -i testsrc=s=640x360 -frames:v 1 "$work/пример (1).png"
make -f lavfi -i testsrc=s=1920x1080 -frames:v 1 "$work/обложка.jpg" # slow enough to cancel
: >"$work/empty.jpg"
make -f lavfi -i sine=d=8 "$work/song.wav"
cp "$work/song.wav" "$work/100% fun %USERNAME%.wav"
make -f lavfi -i sine=d=8 -b:a 128k "$work/rock & roll!.mp3"
make -f lavfi -i sine=d=600:r=16000 "$work/долгая.wav"
mkdir -p "$work/album" "$work/each" "$work/pattern"
for song in "1 it's & 100%" "2 Песня" "3 last"; do cp "$work/rock & roll!.mp3" "$work/album/$song.mp3"; done

windows() { printf 'Z:%s' "${1//\//\\}"; }
FFMPEG_EXE=$(windows "$(realpath "$windows_ffmpeg")") MEDIA=$(windows "$work") \
  "$@" "$driver" --gtest_filter='RealFfmpeg.*'

failures=0
fail() { echo "FAIL: $*" && failures=$((failures + 1)); }
md5() { ffmpeg -nostdin -v error -i "$1" -map 0:a -c copy -f md5 -; }
while IFS=$'\t' read -r file seconds song; do
  if ! info=$(ffprobe -v error -show_entries stream=codec_type,codec_name:format=duration \
    -of default=nw=1 "$work/$file"); then
    fail "ffprobe cannot read $file"
    continue
  fi
  echo "$file: $(echo "$info" | tr '\n' ' ')"
  case ${file,,} in
    *.mp4) video=h264 audio=aac ;;
    *) video=mjpeg audio= ;;
  esac
  # An MP4 keeps an MP3's sound packet for packet, and its picture lasts as long as the sound.
  if [[ ${file,,} == *.mp4 ]]; then
    if [[ $song == *.mp3 ]]; then
      audio=mp3
      [ "$(md5 "$work/$file")" = "$(md5 "$work/$song")" ] || fail "$file: not the packets of $song"
    fi
    lengths=$(ffprobe -v error -show_entries stream=duration -of csv=p=0 "$work/$file" | xargs)
    awk -v l="$lengths" 'BEGIN { split(l, d); exit !(d[1] - d[2] < 0.1 && d[2] - d[1] < 0.1) }' ||
      fail "$file: the picture and the sound last $lengths s"
  fi
  grep -qx "codec_name=$video" <<<"$info" || fail "$file has no $video video"
  if ! grep -qx "codec_type=audio" <<<"$info" || ! grep -q "codec_name=$audio" <<<"$info"; then
    fail "$file has no ${audio:-} audio"
  fi
  duration=$(sed -n 's/^duration=//p' <<<"$info")
  if ! [[ $duration =~ ^[0-9]+\.[0-9]+$ ]] || [ "$(awk -v d="$duration" 'BEGIN { print (d > 0) }')" != 1 ]; then
    fail "$file: no length ($duration)"
  elif [ "$seconds" != 0 ] && [ "$(awk -v d="$duration" -v s="$seconds" 'BEGIN { print (d - s < 0.2 && s - d < 0.2) }')" != 1 ]; then
    fail "$file lasts $duration s, not $seconds s"
  fi
done <"$work/probe.txt"
[ "$failures" -eq 0 ]
