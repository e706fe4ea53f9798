// Mode names between UTF-8 and the GBK bytes of the store: what fits, what is refused, and
// names from old files and devices shown whatever bytes they hold.
#include "modes/ModeName.h"
#include "model/Globals.h"
#include "platform/CodePage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace zel {
namespace {

struct EncodeCase {
    const char* name;
    const char* utf8;
    const char* gbk; // null: refused
    const char* says;
};

TEST(ModeName, EncodesIntoTwentyGbkBytesOrSaysWhy) {
    g_bChinese = 0;
    const EncodeCase cases[] = {
        {"latin", "KTV Room 1", "KTV Room 1", ""},
        {"twenty latin letters", "12345678901234567890", "12345678901234567890", ""},
        {"both scripts", "中文KTV", "\xD6\xD0\xCE\xC4KTV", ""},
        {"ten Chinese characters", "客厅一二三四五六七八",
         "\xBF\xCD\xCC\xFC\xD2\xBB\xB6\xFE\xC8\xFD\xCB\xC4\xCE\xE5\xC1\xF9\xC6\xDF\xB0\xCB", ""},
        {"eleven Chinese characters", "客厅一二三四五六七八九", nullptr,
         "at most 20 bytes (10 Chinese characters), not 22"},
        {"twenty-one letters", "123456789012345678901", nullptr, "not 21"},
        {"newline", "x\"\nscene=9", nullptr, "control characters"},
        {"tab", "a\tb", nullptr, "control characters"},
        {"delete", "a\x7F", nullptr, "control characters"},
        {"no GBK form", "\xF0\x9F\x8E\xA4", nullptr, "cannot store"},
        {"broken UTF-8", "a\xE4\xB8", nullptr, "cannot store"},
    };
    for (const EncodeCase& c : cases) {
        std::string stored, error;
        const bool ok = encodeModeName(c.utf8, stored, error);
        if (c.gbk) {
            EXPECT_TRUE(ok) << c.name << ": " << error;
            EXPECT_EQ(stored, c.gbk) << c.name;
            EXPECT_EQ(decodeModeName(stored.data(), stored.size()), c.utf8) << c.name;
        } else {
            EXPECT_FALSE(ok) << c.name;
            EXPECT_NE(error.find(c.says), std::string::npos) << c.name << ": " << error;
        }
    }
    std::string stored, error;
    g_bChinese = 1;
    EXPECT_FALSE(encodeModeName("客厅一二三四五六七八九", stored, error));
    EXPECT_EQ(error, "模式名称最多 20 字节（10 个汉字），现为 22 字节");
    g_bChinese = 0;
}

TEST(ModeName, DecodesStoredBytesWhateverTheyHold) {
    const struct {
        const char* name;
        std::string stored;
        const char* shown;
    } cases[] = {
        {"space padding", std::string("KTV 1               "), "KTV 1"},
        {"NUL padding of the old program", std::string("\xBF\xCD\xCC\xFC\0\0\0\0", 8), "客厅"},
        {"no GBK at FF", std::string("A\xFF\xFFZ"), "A\xEF\xBF\xBD\xEF\xBF\xBDZ"},
        {"a lead byte cut off at the end", std::string("AB\xD6"), "AB\xEF\xBF\xBD"},
        {"all blank", std::string(20, ' '), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decodeModeName(c.stored.data(), c.stored.size()), c.shown) << c.name;

    DeviceParams p{};
    std::memcpy(p.modeName[5], "\xD6\xD0\xCE\xC4KTV             ", 20);
    EXPECT_EQ(modeNameText(p, 5), "中文KTV");
    EXPECT_EQ(modeNameText(p, 6), "");
}

TEST(CodePage, ConvertsBothWaysAndRefusesWhatGbkCannotHold) {
    std::string out;
    ASSERT_TRUE(utf8ToGbk("KTV 包房", out));
    EXPECT_EQ(out, "KTV \xB0\xFC\xB7\xBF");
    ASSERT_TRUE(gbkToUtf8("KTV \xB0\xFC\xB7\xBF", out));
    EXPECT_EQ(out, "KTV 包房");
    ASSERT_TRUE(gbkToUtf8("", out));
    EXPECT_EQ(out, "");
    EXPECT_FALSE(utf8ToGbk("\xF0\x9F\x8E\xA4", out));
    EXPECT_FALSE(utf8ToGbk("\xC3", out));
    EXPECT_FALSE(gbkToUtf8("\xFF\xFF", out));
    EXPECT_FALSE(gbkToUtf8("\xB0", out));
}

} // namespace
} // namespace zel
