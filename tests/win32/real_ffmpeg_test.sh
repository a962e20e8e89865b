#!/usr/bin/env bash
# Conversions with a real Windows FFmpeg through the program under Wine, driven by
# real_ffmpeg_test.cpp; then every file a case left is read here with ffprobe: a Motion JPEG
# video and an audio stream (H.264 and AAC for an MP4, or an MP3's packets as they were, the
# picture as long as the sound), and the length the case expects (or,
# for a cancelled conversion, a length at all: the file was finished). An album's songs, joined
# by '|', are its length together ("sum" of what ffprobe says, within 0.1 s; "decoded", of
# what they decode to, within 0.1 s a song), its MP3 packets joined by copy, an MP4's chapters'
# titles and its track list; a colour after them (RRGGBB) is its picture's middle at 1 s.
# Arguments: the test program, ffmpeg.exe, a work folder, then the command that runs Windows
# programs.
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
make -f lavfi -i testsrc=s=640x360 -frames:v 1 "$work/cover.png"
make -f lavfi -i testsrc=s=640x360 -frames:v 1 "$work/пример (1).png"
make -f lavfi -i testsrc=s=1920x1080 -frames:v 1 "$work/обложка.jpg" # slow enough to cancel
: >"$work/empty.jpg"
make -f lavfi -i sine=d=8 "$work/song.wav"
cp "$work/song.wav" "$work/100% fun %USERNAME%.wav"
make -f lavfi -i sine=d=8 -b:a 128k "$work/rock & roll!.mp3"
make -f lavfi -i sine=d=600:r=16000 "$work/долгая.wav"
mkdir -p "$work/album" "$work/each" "$work/pattern"
for song in "1 it's & 100%" "2 Песня" "3 last"; do cp "$work/rock & roll!.mp3" "$work/album/$song.mp3"; done
mkdir -p "$work/titled"
make -f lavfi -i sine=d=5.4 -i "$work/cover.jpg" -map 0 -map 1 -c:v copy -disposition:v attached_pic \
  -b:a 128k -metadata title='Ёлка & Ünïcode' "$work/titled/1 cover.mp3"
make -f lavfi -i sine=d=6.3 -b:a 128k -metadata title="It's the second" "$work/titled/2 it's.mp3"
make -f lavfi -i sine=d=7 -b:a 128k -metadata title=Third "$work/titled/3.mp3"
make -f lavfi -i sine=d=1 "$work/second.wav"
# An album of every kind of song: the first carries its front cover; the VBR MP3 has no header
# that tells its length, so only its frames do.
mkdir -p "$work/mixed"
make -f lavfi -i color=c=0xC02020:s=320x240 -frames:v 1 "$work/mixed/cover.png"
make -f lavfi -i sine=f=330:d=3.3 -i "$work/mixed/cover.png" -map 0 -map 1 -c:v copy \
  -disposition:v attached_pic -metadata:s:v comment='Cover (front)' -b:a 128k "$work/mixed/cover song.mp3"
make -f lavfi -i anoisesrc=d=4.7:c=pink -af "volume='if(lt(t,2),0.02,1)':eval=frame" \
  -c:a libmp3lame -q:a 4 -write_xing 0 "$work/mixed/vbr song.mp3"
make -f lavfi -i sine=f=440:d=2.2:r=22050 "$work/mixed/wave song.wav"
make -f lavfi -i sine=f=550:d=3.1 -ac 2 -c:a aac "$work/mixed/m4a song.m4a"
make -f lavfi -i sine=f=660:d=2.6:r=48000 -c:a aac -f adts "$work/mixed/adts song.aac"
make -f lavfi -i sine=f=770:d=1.9:r=96000 -c:a flac "$work/mixed/flac song.flac"
echo "no picture in here" >"$work/not a picture.png"

windows() { printf 'Z:%s' "${1//\//\\}"; }
FFMPEG_EXE=$(windows "$(realpath "$windows_ffmpeg")") MEDIA=$(windows "$work") \
  "$@" "$driver" --gtest_filter='RealFfmpeg.*'

failures=0
fail() { echo "FAIL: $*" && failures=$((failures + 1)); }
md5() { ffmpeg -nostdin -v error "$@" -map 0:a -c copy -f md5 -; }
tag() { ffprobe -v error -show_entries "$1" -of default=nw=1:nk=1 "$2"; }
# decoded <file>: how long its sound lasts, decoded: its samples, counted at one rate.
decoded() {
  ffmpeg -nostdin -v error -i "$1" -map 0:a:0 -ac 1 -ar 48000 -f s16le - | wc -c |
    awk '{ printf "%.6f", $1 / 96000 }'
}
# middle <file>: the colour in the middle of its picture at 1 s, as RRGGBB.
middle() {
  ffmpeg -nostdin -v error -ss 1 -i "$1" -frames:v 1 -vf 'crop=16:16:(iw-16)/2:(ih-16)/2,scale=1:1' \
    -f rawvideo -pix_fmt rgb24 - | od -An -tx1 | tr -d ' \n'
}
while IFS=$'\t' read -r file seconds song colour; do
  IFS='|' read -ra songs <<<"$song"
  within=0.2 source=(-i "$work/$song")
  if [ "$seconds" = sum ] || [ "$seconds" = decoded ]; then
    # An album: its songs one after another, each a chapter and a line of its track list.
    measure=$seconds seconds=0 within=0.1 titles='' tracks='' list=$work/joined.ffconcat
    [ "$measure" = sum ] || within=$(awk -v n="${#songs[@]}" 'BEGIN { print 0.1 * n }')
    : >"$list"
    for s in "${songs[@]}"; do
      title=$(tag format_tags=title "$work/$s") name=${s##*/}
      title=${title:-${name%.*}} titles+=$title$'\n'
      tracks+=$(awk -v s="$seconds" 'BEGIN { s = int(s + 1e-6); printf "%d:%02d", s / 60, s % 60 }')
      tracks+=" $title"$'\r\n'
      if [ "$measure" = sum ]; then length=$(tag format=duration "$work/$s"); else length=$(decoded "$work/$s"); fi
      seconds=$(awk -v a="$seconds" -v b="$length" 'BEGIN { printf "%.6f", a + b }')
      echo "file '${s//\'/\'\\\'\'}'" >>"$list"
    done
    source=(-f concat -safe 0 -i "$list")
    if [[ ${file,,} == *.mp4 ]] && [ "$(tag chapter_tags=title "$work/$file")" != "${titles%$'\n'}" ]; then
      fail "$file: chapters"
    fi
    cmp -s <(printf %s "$tracks") "$work/${file%.*}.txt" || fail "$file: its track list"
  fi
  if [ -n "${colour:-}" ]; then
    shown=$(middle "$work/$file") near=no
    if [[ $shown =~ ^[0-9a-f]{6}$ ]]; then
      near=yes
      for i in 0 2 4; do
        d=$((16#${shown:i:2} - 16#${colour:i:2}))
        [ "${d#-}" -le 40 ] || near=no
      done
    fi
    [ "$near" = yes ] || fail "$file shows #$shown at 1 s, not its cover's #$colour"
  fi
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
    if ! printf '%s\n' "${songs[@]}" | grep -qv '\.mp3$'; then
      audio=mp3
      [ "$(md5 -i "$work/$file")" = "$(md5 "${source[@]}")" ] || fail "$file: not the packets of $song"
    fi
    # A song's own picture is marked attached to it; a video's picture must not be.
    [ "$(ffprobe -v error -select_streams v:0 -show_entries stream_disposition=attached_pic \
      -of csv=p=0 "$work/$file")" = 0 ] || fail "$file: its picture is marked attached"
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
  elif [ "$seconds" != 0 ] && [ "$(awk -v d="$duration" -v s="$seconds" -v w="$within" 'BEGIN { print (d - s < w && s - d < w) }')" != 1 ]; then
    fail "$file lasts $duration s, not $seconds s"
  fi
done <"$work/probe.txt"
[ "$failures" -eq 0 ]
