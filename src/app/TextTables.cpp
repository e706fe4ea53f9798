// TextTables: the shared bilingual texts and the delivery of the password messages.
#include "app/TextTables.h"

#include "model/Globals.h"

#include <cassert>
#include <iostream>
#include <utility>

namespace zel {

const std::array<std::string_view, 11> ChannelNamesCn = {
    "音乐",  "话筒A",  "回声A",    "混响A",      "话筒B",    "回声B",
    "混响B", "主输出", "中置输出", "超低音输出", "后置输出",
};

const std::array<std::string_view, 11> ChannelNamesEn = {
    "MUSIC", "MIC-A", "ECHO-A", "REV-A",     "MIC-B", "ECHO-B",
    "REV-B", "MAIN",  "CENTER", "SUBWOOFER", "REAR",
};

const std::array<TextPair, kCopyNameCount> CopyNames = {{
    {"唱歌->热舞", "Singing->Dance"},
    {"热舞->唱歌", "Dance->Singing"},
    {"话筒A->话筒B", "MicA->MicB"},
    {"话筒B->话筒A", "MicB->MicA"},
    {"回声A->回声B", "EchoA->EchoB"},
    {"回声B->回声A", "EchoB->EchoA"},
    {"混响A->混响B", "RevA->RevB"},
    {"混响B->混响A", "RevB->RevA"},
}};

namespace {

constexpr TextPair kPasswordLengthError{"密码长度错误!", "Password length error!"};
constexpr TextPair kPasswordError{"密码错误!", "Password error!"};
constexpr TextPair kPasswordCorrect{"密码正确!", "Correct password!"};
constexpr TextPair kOldPasswordCorrect{"旧密码正确!", "The old password is correct!"};
constexpr TextPair kPasswordMismatch{"两次输入的密码不一致，请重新输入!",
                                     "Two times the password is not consistent, please re-enter!"};
constexpr TextPair kPasswordChanged{"修改密码成功!", "Change password success!"};

void toStderr(std::string_view text) {
    std::cerr << text << '\n';
}

MessageSink& sink() {
    static MessageSink s = toStderr;
    return s;
}

void show(const TextPair& text) {
    sink()(pickText(text));
}

} // namespace

std::string_view pickText(const TextPair& text) {
    return g_bChinese != 0 ? text.cn : text.en;
}

std::string_view channelName(int page) {
    assert(page >= 0 && page < 11);
    const auto i = static_cast<std::size_t>(page);
    return g_bChinese != 0 ? ChannelNamesCn[i] : ChannelNamesEn[i];
}

std::string_view passwordLengthErrorText() {
    return pickText(kPasswordLengthError);
}
std::string_view passwordErrorText() {
    return pickText(kPasswordError);
}
std::string_view passwordCorrectText() {
    return pickText(kPasswordCorrect);
}
std::string_view oldPasswordCorrectText() {
    return pickText(kOldPasswordCorrect);
}
std::string_view passwordMismatchText() {
    return pickText(kPasswordMismatch);
}
std::string_view passwordChangedText() {
    return pickText(kPasswordChanged);
}

void setMessageSink(MessageSink s) {
    sink() = s ? std::move(s) : MessageSink(toStderr);
}

void ShowMessage(std::string_view text) {
    sink()(text);
}

void ShowPasswordLengthError() {
    show(kPasswordLengthError);
}
void ShowPasswordError() {
    show(kPasswordError);
}
void ShowPasswordCorrect() {
    show(kPasswordCorrect);
}
void ShowOldPasswordCorrect() {
    show(kOldPasswordCorrect);
}
void ShowPasswordMismatch() {
    show(kPasswordMismatch);
}
void ShowPasswordChanged() {
    show(kPasswordChanged);
}

} // namespace zel
