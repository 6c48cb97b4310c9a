#include "engine/SystemError.h"

#include <cerrno>
#include <system_error>

namespace rm {

namespace {

const char* chineseReason(int errorNumber)
{
    switch (errorNumber) {
    case ENOENT: return "文件或文件夹不存在。";
    case ENOTDIR: return "路径中有一级不是文件夹。";
    case EISDIR: return "这是一个文件夹。";
    case EACCES:
    case EPERM: return "没有权限。";
    case EROFS: return "文件系统是只读的。";
    case ENOSPC: return "磁盘空间不足。";
    case EDQUOT: return "超出了磁盘配额。";
    case ENAMETOOLONG: return "路径或文件名太长，系统无法处理。";
    case EEXIST: return "已有同名的文件。";
    case ELOOP: return "符号链接的层数太多。";
    case EMFILE:
    case ENFILE: return "打开的文件太多。";
    case EIO: return "读写设备时出错。";
    case EFBIG: return "文件太大。";
    default: return nullptr;
    }
}

} // namespace

std::string systemReason(int errorNumber)
{
    const std::string system = std::error_code(errorNumber, std::system_category()).message();
    if (const char* reason = chineseReason(errorNumber))
        return reason;
    return "系统错误 " + std::to_string(errorNumber) + "。\n" + system;
}

} // namespace rm
