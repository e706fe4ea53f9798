// Language: locale default, stored choice and the switch, with silent settings failures.
#include "app/Language.h"

#include "model/Globals.h"
#include "platform/Locale.h"
#include "platform/UserSettings.h"

namespace zel {

void chooseLanguageFromLocale(std::uint32_t lcid) {
    g_systemLcid = lcid;
    g_bChinese = lcid == kLcidChinesePrc ? 1 : 0;
}

void loadLanguage() {
    if (UserSettings::keyExists(kLanguageKey)) {
        if (const auto stored = UserSettings::readDword(kLanguageKey, kLanguageValue))
            g_bChinese = *stored != 0 ? 1 : 0;
        return;
    }
    if (UserSettings::createKey(kLanguageKey))
        UserSettings::writeDword(kLanguageKey, kLanguageValue,
                                 static_cast<std::uint32_t>(g_bChinese));
}

void toggleLanguage() {
    g_bChinese = g_bChinese == 0 ? 1 : 0;
    UserSettings::writeDword(kLanguageKey, kLanguageValue, static_cast<std::uint32_t>(g_bChinese));
}

} // namespace zel
