// The settings contract shared by the windows: one application, one section, four keys.
#pragma once

#include <string>

#include "app/ports.h"

namespace framora {

inline constexpr const char* kSettingsApp = "Framora audio converter";
inline constexpr const char* kSettingsSection = "config";
inline constexpr const char* kKeyFfmpeg = "ffmpeg-location";
inline constexpr const char* kKeyImage = "image-file";
inline constexpr const char* kKeyAudio = "audio-file";
inline constexpr const char* kKeySave = "save-file";
// How an MP4 shows its picture: "blur", "black" or "cover" (see convert/picture.h).
inline constexpr const char* kKeyFrame = "frame";

std::string ReadSetting(SettingsStore& store, const std::string& app, const std::string& section,
                        const std::string& key, const std::string& defaultValue);
void WriteSetting(SettingsStore& store, const std::string& app, const std::string& section,
                  const std::string& key, const std::string& value);

}  // namespace framora
