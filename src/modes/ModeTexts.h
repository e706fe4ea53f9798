// The user-visible texts of the mode library, in both languages.
#pragma once

#include "model/Globals.h"

#include <string>

namespace zel {

struct BiText {
    const char* zh;
    const char* en;
};

// The text in the language on show now.
inline std::string pick(const BiText& t) {
    return g_bChinese ? t.zh : t.en;
}

namespace modetext {
inline constexpr BiText DataFileError{"数据文件 错误，读取失败", "Data file error"};
inline constexpr BiText ReadError{"读数据文件错误", "Data File read Error"};
inline constexpr BiText SaveError{"数据文件保存错误", "Data file save error"};
inline constexpr BiText ReplacePrefix{"是否替换原有的模式", "Whether to replace the original mode"};
inline constexpr BiText SavedPrefix{"存储模式", "Save mode"};
inline constexpr BiText SavedSuffix{"成功", "success"};
inline constexpr BiText UploadedPrefix{"上传", "Load"};
inline constexpr BiText UploadedSuffix{"模式成功", "success"};
inline constexpr BiText BadName{
    "模式名称无效：名称不能为空，也不能含有路径（/ \\ : 或 ..），请换一个名称",
    "Invalid mode name: it must not be empty or contain a path (/ \\ : or ..); choose another "
    "name"};
inline constexpr BiText NameControl{"模式名称不能含有控制字符（如换行或制表符）",
                                    "A mode name must not contain control characters (such "
                                    "as a newline or a tab)"};
inline constexpr BiText NameNotGbk{"模式名称含有设备无法保存的字符（只能使用 GBK 字符）",
                                   "The mode name holds a character the processor cannot store "
                                   "(only GBK characters fit)"};
inline constexpr BiText NameTooLongPrefix{"模式名称最多 20 字节（10 个汉字），现为 ",
                                          "A mode name takes at most 20 bytes (10 Chinese "
                                          "characters), not "};
inline constexpr BiText NameTooLongSuffix{" 字节", ""};
inline constexpr BiText HeaderNumber{"序号", "Number"};
inline constexpr BiText HeaderName{"模式名称", "Mode Name"};
} // namespace modetext

} // namespace zel
