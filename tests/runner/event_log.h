// Records the runner's events as short strings and lets a test act inside each handler.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "runner/read_output.h"

namespace framora::test {

class EventLog : public ReadOutputEvents {
 public:
  std::vector<std::string> events;
  std::vector<std::string> chunks;  // every GotChunk text, the final one included

  std::function<void(const std::string&, std::int32_t&)> onError;
  std::function<void(const std::string&, bool)> onGotChunk;
  std::function<void()> onComplete;
  std::function<void()> onStarting;
  std::function<void()> onCanceled;

  void Error(const std::string& error, std::int32_t& lastDllError) override {
    events.push_back("Error(" + error + "," + std::to_string(lastDllError) + ")");
    if (onError) onError(error, lastDllError);
  }
  void GotChunk(const std::string& sChunk, bool lastChunk) override {
    events.push_back(std::string(lastChunk ? "LastChunk(" : "GotChunk(") + sChunk + ")");
    chunks.push_back(sChunk);
    if (onGotChunk) onGotChunk(sChunk, lastChunk);
  }
  void Complete() override {
    events.push_back("Complete");
    if (onComplete) onComplete();
  }
  void Starting() override {
    events.push_back("Starting");
    if (onStarting) onStarting();
  }
  void Canceled() override {
    events.push_back("Canceled");
    if (onCanceled) onCanceled();
  }

  // The text of every chunk, the final one included.
  std::string Text() const {
    std::string text;
    for (const std::string& chunk : chunks) text += chunk;
    return text;
  }
};

}  // namespace framora::test
