// Text at the edges of the Win32 adapters. The core speaks UTF-8; the "A" functions speak the
// process's narrow code page (UTF-8 itself where the manifest's code page is honoured), and the
// front-end's windows speak UTF-16.
#pragma once

#include <string>
#include <string_view>

#include "app/text.h"
#include "runner/line_chunk_decoder.h"

// ToNarrow, FromNarrow, ToWide and FromWide are the core's (app/text.h), defined here.
namespace framora::win32 {

// Whether the narrow code page is UTF-8, so that narrow text needs no conversion.
bool NarrowIsUtf8();

// The code page of a new console, in which cmd.exe writes its own messages into a pipe: the
// system's OEM code page, whatever the program's own (the manifest makes that UTF-8).
class ConsoleCodePage final : public NarrowCodePage {
 public:
  ConsoleCodePage();
  std::string ToUtf8(std::string_view bytes) const override;
  bool IsLeadByte(unsigned char byte) const override;

 private:
  unsigned int codePage_;
};

}  // namespace framora::win32
