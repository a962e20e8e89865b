#include "platform/win32/win32_text.h"

#include "platform/win32/windows_api.h"

#include <utility>

namespace framora::win32 {

namespace {

std::wstring Widen(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int count = ::MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  if (count <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(count), L'\0');
  ::MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), count);
  return wide;
}

std::string Narrow(UINT codePage, std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int count =
      ::WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (count <= 0) return {};
  std::string text(static_cast<std::size_t>(count), '\0');
  ::WideCharToMultiByte(codePage, 0, wide.data(), size, text.data(), count, nullptr, nullptr);
  return text;
}

}  // namespace

bool NarrowIsUtf8() { return ::GetACP() == CP_UTF8; }

std::string ToNarrow(std::string_view utf8) {
  if (NarrowIsUtf8()) return std::string(utf8);
  return Narrow(CP_ACP, Widen(CP_UTF8, utf8));
}

std::string FromNarrow(std::string_view narrow) {
  if (NarrowIsUtf8()) return std::string(narrow);
  return Narrow(CP_UTF8, Widen(CP_ACP, narrow));
}

NarrowChunkDecoder::NarrowChunkDecoder() : utf8_(NarrowIsUtf8()) {}

void NarrowChunkDecoder::Decode(std::string_view bytes, std::string& chunk) {
  if (utf8_) {
    utf8Decoder_.Decode(bytes, chunk);
    return;
  }
  std::string narrow = std::move(leadByte_);
  leadByte_.clear();
  narrow.append(bytes);
  // A lead byte at the very end lost its second half to the next read. Walk from the start:
  // a trail byte can look like a lead byte, so only a walk knows which is which.
  std::size_t i = 0;
  while (i < narrow.size()) {
    if (::IsDBCSLeadByte(static_cast<BYTE>(narrow[i])) && i + 1 == narrow.size()) {
      leadByte_ = narrow.substr(i);
      narrow.resize(i);
      break;
    }
    i += ::IsDBCSLeadByte(static_cast<BYTE>(narrow[i])) ? 2 : 1;
  }
  chunk = FromNarrow(narrow);
}

void NarrowChunkDecoder::Finish(std::string& chunk) {
  if (utf8_) {
    utf8Decoder_.Finish(chunk);
    return;
  }
  chunk = FromNarrow(leadByte_);
  leadByte_.clear();
}

std::wstring ToWide(std::string_view utf8) { return Widen(CP_UTF8, utf8); }

std::string FromWide(std::wstring_view wide) { return Narrow(CP_UTF8, wide); }

}  // namespace framora::win32
