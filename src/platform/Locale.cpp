// Locale: the table from POSIX locale names to Windows locale ids.
#include "platform/Locale.h"

#include <array>

namespace zel {

namespace {

struct LocaleLcid {
    std::string_view name; // language_TERRITORY, or a bare language for its primary locale
    std::uint32_t lcid;
};

constexpr std::array<LocaleLcid, 24> kLocales = {{
    {"zh_CN", 0x0804}, {"zh_SG", 0x1004}, {"zh_TW", 0x0404}, {"zh_HK", 0x0C04}, {"zh_MO", 0x1404},
    {"zh", 0x0804},    {"en_US", 0x0409}, {"en_GB", 0x0809}, {"en_AU", 0x0C09}, {"en_CA", 0x1009},
    {"en_NZ", 0x1409}, {"en_IE", 0x1809}, {"en", 0x0409},    {"ja_JP", 0x0411}, {"ko_KR", 0x0412},
    {"de_DE", 0x0407}, {"fr_FR", 0x040C}, {"es_ES", 0x0C0A}, {"it_IT", 0x0410}, {"ru_RU", 0x0419},
    {"pt_BR", 0x0416}, {"nl_NL", 0x0413}, {"th_TH", 0x041E}, {"vi_VN", 0x042A},
}};

} // namespace

std::uint32_t lcidFromLocaleName(std::string_view name) {
    // Drop the codeset and the modifier: "zh_CN.UTF-8@pinyin" -> "zh_CN".
    name = name.substr(0, name.find_first_of(".@"));
    for (const LocaleLcid& l : kLocales)
        if (l.name == name)
            return l.lcid;
    const std::string_view language = name.substr(0, name.find('_'));
    for (const LocaleLcid& l : kLocales)
        if (l.name == language)
            return l.lcid;
    return kLcidEnglishUs;
}

} // namespace zel
