// Tests of the shared bilingual texts and the password-message delivery.
#include "app/TextTables.h"

#include "model/Globals.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

namespace zel {
namespace {

class TextTablesTest : public ::testing::Test {
protected:
    std::vector<std::string> shown;

    void SetUp() override {
        g_bChinese = 0;
        setMessageSink([this](std::string_view text) { shown.emplace_back(text); });
    }
    void TearDown() override {
        setMessageSink(nullptr);
        g_bChinese = 0;
    }
};

TEST_F(TextTablesTest, PasswordMessageFollowsALanguageSwitchAtTheNextCall) {
    ShowPasswordLengthError();
    g_bChinese = 1;
    ShowPasswordLengthError();
    ShowPasswordMismatch();
    g_bChinese = 0;
    ShowPasswordChanged();
    const std::vector<std::string> want = {"Password length error!", "密码长度错误!",
                                           "两次输入的密码不一致，请重新输入!",
                                           "Change password success!"};
    EXPECT_EQ(shown, want);
}

TEST_F(TextTablesTest, EachMessageDeliversItsOwnText) {
    struct Case {
        void (*show)();
        std::string_view (*text)();
        const char* en;
        const char* cn;
    };
    const Case cases[] = {
        {ShowPasswordLengthError, passwordLengthErrorText, "Password length error!",
         "密码长度错误!"},
        {ShowPasswordError, passwordErrorText, "Password error!", "密码错误!"},
        {ShowPasswordCorrect, passwordCorrectText, "Correct password!", "密码正确!"},
        {ShowOldPasswordCorrect, oldPasswordCorrectText, "The old password is correct!",
         "旧密码正确!"},
        {ShowPasswordMismatch, passwordMismatchText,
         "Two times the password is not consistent, please re-enter!",
         "两次输入的密码不一致，请重新输入!"},
        {ShowPasswordChanged, passwordChangedText, "Change password success!", "修改密码成功!"},
    };
    for (const Case& c : cases) {
        for (int chinese : {0, 1}) {
            g_bChinese = chinese;
            shown.clear();
            c.show();
            const std::string want = chinese ? c.cn : c.en;
            ASSERT_EQ(shown.size(), 1u);
            EXPECT_EQ(shown[0], want);
            EXPECT_EQ(c.text(), want);
        }
    }
}

TEST_F(TextTablesTest, ChannelAndCopyNamesFollowTheLanguage) {
    EXPECT_EQ(channelName(1), "MIC-A");
    EXPECT_EQ(channelName(9), "SUBWOOFER");
    EXPECT_EQ(pickText(CopyNames[kCopyEchoBToA]), "EchoB->EchoA");
    g_bChinese = 1;
    EXPECT_EQ(channelName(1), "话筒A");
    EXPECT_EQ(channelName(10), "后置输出");
    EXPECT_EQ(pickText(CopyNames[kCopySingingToDance]), "唱歌->热舞");
}

TEST(TextTables, NamesKeepTheirHouseForm) {
    for (std::string_view en : ChannelNamesEn)
        for (char ch : en)
            EXPECT_TRUE(std::isupper(static_cast<unsigned char>(ch)) || ch == '-') << en;
    for (std::string_view cn : ChannelNamesCn)
        EXPECT_EQ(cn.find('-'), std::string_view::npos) << cn;
    for (const TextPair& c : CopyNames) {
        for (std::string_view t : {c.cn, c.en}) {
            EXPECT_NE(t.find("->"), std::string_view::npos) << t;
            EXPECT_EQ(t.find(' '), std::string_view::npos) << t;
        }
    }
    EXPECT_EQ(LabelPreEq, "PRE-EQ");
    EXPECT_EQ(LabelPostEq, "POST-EQ");
    EXPECT_EQ(LabelMute, "MUTE");
}

} // namespace
} // namespace zel
