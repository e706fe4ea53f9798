// Text in the processor's code page and back. The mode names on the device and in the mode
// files operators already have were typed on Chinese Windows as double-byte characters in
// the system code page (GBK, code page 936); everything else in the program is UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace zel {

// GBK bytes to UTF-8. False, with `utf8` unspecified, when `gbk` holds a byte sequence that
// GBK does not define.
bool gbkToUtf8(std::string_view gbk, std::string& utf8);

// UTF-8 text to GBK. False, with `gbk` unspecified, when `utf8` is not valid UTF-8 or holds
// a character that GBK cannot write.
bool utf8ToGbk(std::string_view utf8, std::string& gbk);

} // namespace zel
