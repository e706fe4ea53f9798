// TextTables: the texts shared by several windows (channel names, copy names, fixed labels,
// password messages), each in Chinese and English, picked by g_bChinese when shown.
#pragma once

#include <array>
#include <functional>
#include <string_view>

namespace zel {

// Page button names by EqBlockId 0..10.
extern const std::array<std::string_view, 11> ChannelNamesCn;
extern const std::array<std::string_view, 11> ChannelNamesEn;

// A text in both languages.
struct TextPair {
    std::string_view cn;
    std::string_view en;
};

// The copy directions offered by the copy menus, in this order in CopyNames.
enum CopyNameId : int {
    kCopySingingToDance, // main window, item 200
    kCopyDanceToSinging, // main window, item 201
    kCopyMicAToB,        // microphone page, item 132
    kCopyMicBToA,        // microphone page, item 133
    kCopyEchoAToB,       // echo page, item 132
    kCopyEchoBToA,       // echo page, item 133
    kCopyRevAToB,        // reverb page, item 132
    kCopyRevBToA,        // reverb page, item 133
    kCopyNameCount
};
extern const std::array<TextPair, kCopyNameCount> CopyNames;

// Captions that read the same in both languages.
inline constexpr std::string_view LabelPreEq = "PRE-EQ";
inline constexpr std::string_view LabelPostEq = "POST-EQ";
inline constexpr std::string_view LabelMute = "MUTE";

// The entry of the current language.
std::string_view pickText(const TextPair& text);
// Channel name of page 0..10 in the current language.
std::string_view channelName(int page);

// The password messages in the language of the moment.
std::string_view passwordLengthErrorText();
std::string_view passwordErrorText();
std::string_view passwordCorrectText();
std::string_view oldPasswordCorrectText();
std::string_view passwordMismatchText();
std::string_view passwordChangedText();

// Whatever shows a user-facing message: the GUI installs a modal message box (captioned
// with the application's name, OK only) and returns when it is closed; tools print a line.
// The default writes the text to stderr. An empty sink restores the default.
using MessageSink = std::function<void(std::string_view text)>;
void setMessageSink(MessageSink sink);

// Any other user-facing result (UTF-8) through the same sink.
void ShowMessage(std::string_view text);
// Show the password messages through the sink; each returns when the sink returns.
void ShowPasswordLengthError();
void ShowPasswordError();
void ShowPasswordCorrect();
void ShowOldPasswordCorrect();
void ShowPasswordMismatch();
void ShowPasswordChanged();

} // namespace zel
