#include "platform/win32/win32_text.h"

#include "platform/win32/windows_api.h"

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

ConsoleCodePage::ConsoleCodePage() : codePage_(CP_OEMCP) {
  DWORD system = 0;
  if (::GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTCODEPAGE | LOCALE_RETURN_NUMBER,
                       reinterpret_cast<LPWSTR>(&system), sizeof system / sizeof(WCHAR)) > 0 &&
      system != 0) {
    codePage_ = system;
  }
}

std::string ConsoleCodePage::ToUtf8(std::string_view bytes) const {
  return Narrow(CP_UTF8, Widen(codePage_, bytes));
}

bool ConsoleCodePage::IsLeadByte(unsigned char byte) const {
  return ::IsDBCSLeadByteEx(codePage_, byte) != 0;
}

}  // namespace framora::win32

namespace framora {

std::string ToNarrow(std::string_view utf8) {
  if (win32::NarrowIsUtf8()) return std::string(utf8);
  return win32::Narrow(CP_ACP, win32::Widen(CP_UTF8, utf8));
}

std::string FromNarrow(std::string_view narrow) {
  if (win32::NarrowIsUtf8()) return std::string(narrow);
  return win32::Narrow(CP_UTF8, win32::Widen(CP_ACP, narrow));
}

std::wstring ToWide(std::string_view utf8) { return win32::Widen(CP_UTF8, utf8); }

std::string FromWide(std::wstring_view wide) { return win32::Narrow(CP_UTF8, wide); }

}  // namespace framora
