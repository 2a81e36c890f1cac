#include "link/system_error_text.h"

#include <cerrno>

namespace {

struct Known {
    int error;
    const char* name;
    const char* text;
};

const Known kKnown[] = {
    {EPERM, "EPERM", "不允许的操作"},
    {ENOENT, "ENOENT", "文件或目录不存在"},
    {EIO, "EIO", "输入/输出错误"},
    {ENXIO, "ENXIO", "设备不存在"},
    {EBADF, "EBADF", "文件未打开"},
    {ENOMEM, "ENOMEM", "内存不足"},
    {EACCES, "EACCES", "权限不足"},
    {EBUSY, "EBUSY", "设备或资源忙"},
    {EEXIST, "EEXIST", "文件已存在"},
    {ENODEV, "ENODEV", "设备不存在"},
    {ENOTDIR, "ENOTDIR", "路径中有一项不是目录"},
    {EISDIR, "EISDIR", "是一个目录"},
    {EINVAL, "EINVAL", "无效的参数"},
    {ENFILE, "ENFILE", "系统打开的文件过多"},
    {EMFILE, "EMFILE", "打开的文件过多"},
    {EFBIG, "EFBIG", "文件过大"},
    {ENOSPC, "ENOSPC", "磁盘空间不足"},
    {EROFS, "EROFS", "只读文件系统"},
    {EPIPE, "EPIPE", "管道已断开"},
    {ENAMETOOLONG, "ENAMETOOLONG", "文件名过长"},
    {ELOOP, "ELOOP", "符号链接层数过多"},
#ifdef EDQUOT
    {EDQUOT, "EDQUOT", "超出磁盘配额"},
#endif
};

}  // namespace

std::string SystemErrorText(int error) {
    for (const Known& known : kKnown) {
        if (known.error == error) return std::string(known.text) + " (" + known.name + ")";
    }
    return "系统错误 " + std::to_string(error);
}
