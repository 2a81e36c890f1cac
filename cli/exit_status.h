#pragma once
// What k7r2's exit status tells a script.
enum ExitStatus : int {
    kExitOk = 0,
    kExitRefused = 1,     // the module answered but refused or failed
    kExitUsage = 2,       // bad command line; nothing was sent
    kExitPortFailed = 3,  // the port could not be opened
    kExitNoReply = 4,     // no reply, a short reply or a failed verification
    kExitOutput = 5,      // a local file or the output could not be read or written
};

// The table above as --help shows it.
inline const char* kExitStatusHelp =
    "退出状态:\n"
    "  0  成功\n"
    "  1  模块应答了, 但拒绝或失败 (注册结果码, 信号数不符, SN 不可注册)\n"
    "  2  命令行错误, 未发送任何帧\n"
    "  3  串口打不开\n"
    "  4  无应答, 应答过短或校验失败; watch: --max-failures 次连续失败, 或从未得到应答\n"
    "  5  本地文件或输出错误 (写标准输出失败, 磁盘已满, 文件已存在)\n";
