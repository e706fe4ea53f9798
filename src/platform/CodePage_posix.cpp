// GBK <-> UTF-8 through glibc's iconv.
#include "platform/CodePage.h"

#include <cerrno>
#include <iconv.h>

namespace zel {

namespace {

// One conversion, whole or not at all: no transliteration, no skipped bytes.
bool convert(const char* to, const char* from, std::string_view in, std::string& out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    out.assign(in.size() * 2 + 8, '\0'); // GBK to UTF-8 at most 3 bytes for 2
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char* dst = out.data();
    std::size_t dstLeft = out.size();
    bool ok =
        iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1) && srcLeft == 0;
    // Flush any shift state (none for these two, but iconv asks for it).
    if (ok)
        ok = iconv(cd, nullptr, nullptr, &dst, &dstLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return ok;
}

} // namespace

bool gbkToUtf8(std::string_view gbk, std::string& utf8) {
    return convert("UTF-8", "CP936", gbk, utf8);
}

bool utf8ToGbk(std::string_view utf8, std::string& gbk) {
    return convert("CP936", "UTF-8", utf8, gbk);
}

} // namespace zel
