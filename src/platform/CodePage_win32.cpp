// GBK <-> UTF-8 through the code-page calls, code page 936 whatever the system's own is.
#include "platform/CodePage.h"

#include <windows.h>

namespace zel {

namespace {

constexpr UINT kGbk = 936;

bool toWide(UINT codePage, std::string_view in, std::wstring& wide) {
    wide.clear();
    if (in.empty())
        return true;
    const int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(),
                                      static_cast<int>(in.size()), nullptr, 0);
    if (n <= 0)
        return false;
    wide.resize(static_cast<std::size_t>(n));
    return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(),
                               static_cast<int>(in.size()), wide.data(), n) == n;
}

bool fromWide(UINT codePage, const std::wstring& wide, std::string& out) {
    out.clear();
    if (wide.empty())
        return true;
    // UTF-8 takes neither flag; for GBK a character without a form must fail, not become '?'.
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultArg = codePage == CP_UTF8 ? nullptr : &usedDefault;
    const int n = WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, usedDefaultArg);
    if (n <= 0 || usedDefault)
        return false;
    out.resize(static_cast<std::size_t>(n));
    return WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()),
                               out.data(), n, nullptr, usedDefaultArg) == n &&
           !usedDefault;
}

} // namespace

bool gbkToUtf8(std::string_view gbk, std::string& utf8) {
    std::wstring wide;
    return toWide(kGbk, gbk, wide) && fromWide(CP_UTF8, wide, utf8);
}

bool utf8ToGbk(std::string_view utf8, std::string& gbk) {
    std::wstring wide;
    // MB_ERR_INVALID_CHARS makes malformed UTF-8 fail instead of becoming U+FFFD.
    return toWide(CP_UTF8, utf8, wide) && fromWide(kGbk, wide, gbk);
}

} // namespace zel
