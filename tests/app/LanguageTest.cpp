// The UI language: locale default, the stored per-user choice and the switch, on a settings
// folder of the test's own.
#include "app/Language.h"
#include "model/Globals.h"
#include "platform/Locale.h"
#include "platform/UserSettings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace zel {
namespace {

namespace fs = std::filesystem;

class LanguageTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("zel-lang-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                 "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        if (const char* old = std::getenv("XDG_CONFIG_HOME"))
            m_oldConfig = old;
        ::setenv("XDG_CONFIG_HOME", m_dir.c_str(), 1);
    }
    void TearDown() override {
        if (m_oldConfig)
            ::setenv("XDG_CONFIG_HOME", m_oldConfig->c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
        fs::remove_all(m_dir);
        g_bChinese = 0;
        g_systemLcid = 0;
    }
    static std::optional<std::uint32_t> stored() {
        return UserSettings::readDword(kLanguageKey, kLanguageValue);
    }

    fs::path m_dir;
    std::optional<std::string> m_oldConfig;
};

TEST(LocaleTest, LocaleNamesMapToTheirLcid) {
    struct Case {
        const char* name;
        std::uint32_t lcid;
    };
    for (const Case& c :
         {Case{"zh_CN.UTF-8", 0x0804}, Case{"zh_TW.UTF-8", 0x0404}, Case{"zh_HK", 0x0C04},
          Case{"zh_SG.GB2312", 0x1004}, Case{"en_US.UTF-8", 0x0409}, Case{"en_GB", 0x0809},
          Case{"en_ZA.UTF-8", 0x0409}, Case{"de_DE@euro", 0x0407}, Case{"ja_JP.eucJP", 0x0411},
          Case{"C", 0x0409}, Case{"POSIX", 0x0409}, Case{"", 0x0409}, Case{"xx_YY", 0x0409}})
        EXPECT_EQ(lcidFromLocaleName(c.name), c.lcid) << c.name;
}

TEST_F(LanguageTest, FirstRunTakesTheLocaleAndStoresIt) {
    struct Case {
        std::uint32_t lcid;
        int chinese;
    };
    // Only the PRC locale selects Chinese; Taiwan and Singapore stay English.
    for (const Case& c : {Case{0x0804, 1}, Case{0x0409, 0}, Case{0x0404, 0}, Case{0x1004, 0}}) {
        fs::remove_all(m_dir / "zel");
        chooseLanguageFromLocale(c.lcid);
        EXPECT_EQ(g_systemLcid, c.lcid);
        EXPECT_EQ(g_bChinese, c.chinese) << std::hex << c.lcid;
        loadLanguage();
        EXPECT_EQ(g_bChinese, c.chinese) << std::hex << c.lcid;
        EXPECT_EQ(stored(), std::optional<std::uint32_t>(static_cast<std::uint32_t>(c.chinese)))
            << std::hex << c.lcid;
    }
}

TEST_F(LanguageTest, StoredChoiceOverridesTheLocale) {
    struct Case {
        std::uint32_t lcid;
        std::uint32_t storedValue;
        int chinese;
    };
    for (const Case& c : {Case{0x0804, 0, 0}, Case{0x0409, 1, 1}, Case{0x0409, 7, 1}}) {
        ASSERT_TRUE(UserSettings::createKey(kLanguageKey));
        ASSERT_TRUE(UserSettings::writeDword(kLanguageKey, kLanguageValue, c.storedValue));
        chooseLanguageFromLocale(c.lcid);
        loadLanguage();
        EXPECT_EQ(g_bChinese, c.chinese) << c.storedValue;
        EXPECT_EQ(stored(), c.storedValue) << "loading never rewrites the stored value";
    }
}

TEST_F(LanguageTest, KeyWithoutReadableValueKeepsTheLocaleAndWritesNothing) {
    ASSERT_TRUE(UserSettings::createKey(kLanguageKey));
    const fs::path value = fs::path(UserSettings::keyLocation(kLanguageKey)) / kLanguageValue;
    chooseLanguageFromLocale(0x0804);
    loadLanguage();
    EXPECT_EQ(g_bChinese, 1);
    EXPECT_FALSE(fs::exists(value));

    // A value that is not a DWORD counts as missing too, and stays as it was.
    std::ofstream(value) << "sz:English\n";
    loadLanguage();
    EXPECT_EQ(g_bChinese, 1);
    std::string text;
    std::getline(std::ifstream(value), text);
    EXPECT_EQ(text, "sz:English");
}

TEST_F(LanguageTest, ToggleTwiceReturnsAndStoresEachChoice) {
    chooseLanguageFromLocale(0x0409);
    loadLanguage();
    toggleLanguage();
    EXPECT_EQ(g_bChinese, 1);
    EXPECT_EQ(stored(), 1u);
    toggleLanguage();
    EXPECT_EQ(g_bChinese, 0);
    EXPECT_EQ(stored(), 0u);
}

TEST_F(LanguageTest, ToggleWithoutKeyStoresNothing) {
    chooseLanguageFromLocale(0x0409);
    toggleLanguage();
    EXPECT_EQ(g_bChinese, 1);
    EXPECT_FALSE(UserSettings::keyExists(kLanguageKey));
}

} // namespace
} // namespace zel
