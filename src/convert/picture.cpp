#include "convert/picture.h"

namespace framora::convert {

std::string PictureSource::Stream() const {
  return stream ? "[0:v:" + std::to_string(*stream) + "]" : "[0:v]";
}

std::string StillPictureGraph(const std::string& picture, const std::string& sound) {
  // The picture (an animated GIF's first) is read and converted once; the video shows it at
  // 0 s, at each whole second in between, and last where the sound ends, so that the encoder's
  // work follows the length of the song and the picture lasts exactly as long as the sound:
  //  - premultiply: what is transparent in a PNG or GIF becomes black, not whatever colour
  //    its hidden pixels hold;
  //  - pad: H.264 in yuv420p needs even sizes; an odd one gains a line rather than being
  //    scaled, which would blur every pixel;
  //  - loop, not the reader's -loop 1: that one decodes the picture anew for every frame, and
  //    GIF's reader has no such option;
  //  - the frames in between run 2.5 s ahead until an overlay, placed outside the frame so
  //    that it shows nothing, ends them with a tiny picture of every tenth piece of the sound
  //    (showwaves), which ends with the sound; set back by 1.5 s they end more than a second
  //    before it;
  //  - concat puts the first frame before them, and the last after the whole decoded sound:
  //    a segment starts where the longest stream of the one before ends, a video's end being
  //    taken a mean frame's length after its last frame (hence the second of margin). The
  //    sound it passes on is not used.
  return picture +
         "trim=end_frame=1,premultiply=inplace=1,pad=ceil(iw/2)*2:ceil(ih/2)*2,"
         "format=yuv420p,split=3[first][still][last];"
         "[still]loop=-1:1,setpts=(N+2.5)/TB[each];" +
         sound +
         "asplit=3[song][wave][rest];"
         "[wave]aselect=not(mod(n\\,10)),showwaves=s=16x16:r=30[w];"
         "[each][w]overlay=x=-16:y=-16:shortest=1,setpts=PTS-1.5/TB[between];"
         "[first][between]concat=n=2:v=1:a=0[start];[rest]aselect=0[none];"
         "[start][song][last][none]concat=n=2:v=1:a=1[v][end];[end]anullsink";
}

std::string LoopedPictureGraph(const std::string& picture) {
  // The picture reader's -loop 1 in a graph, at its 25 frames a second, for a song's picture.
  return picture + "loop=-1:1,setpts=N/25/TB,fps=25[v]";
}

std::vector<std::string> Mp4VideoOptions() {
  return {// the encoded frames keep their times; otherwise the gaps are filled with copies
          "-vsync", "vfr",
          // H.264 tuned for a still picture, visually lossless; the slower presets only spend
          // time on a picture that does not change; no B-frames, which would end the stream's
          // length at the last frame but one
          "-c:v", "libx264", "-preset", "veryfast", "-tune", "stillimage", "-crf", "18", "-bf", "0",
          // the colour format every player and sharing site decodes
          "-pix_fmt", "yuv420p"};
}

}  // namespace framora::convert
