// The fault log file: record text, code page, line ends and where it may be written.
#include "link/fault_log.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "link/file_append.h"
#include "link/text_codec.h"
#include "tests/link/temp_log_dir.h"

namespace {

TEST(FaultRecord, HasTimeMessageCountAndHexBytes) {
    const std::uint8_t bytes[] = {0x14, 0x3F, 0x0A, 0xFF};
    EXPECT_EQ(FormatFaultRecord("08:15:02", "校验错误，", bytes, 4),
              "\n08:15:02 校验错误， 字节数:4 数据:14 3f 0a ff ");
    EXPECT_EQ(FormatFaultRecord("08:15:02", "读错误，要读7个字节，", bytes, 0),
              "\n08:15:02 读错误，要读7个字节， 字节数:0 数据:");
    EXPECT_EQ(FormatFaultRecord("23:59:59", "温度个数错误，", nullptr, 7),
              "\n23:59:59 温度个数错误， 字节数:7 数据:");
}

TEST(FaultLog, NewFileIsCode936WithCrLfAndALeadingEmptyLine) {
    TempLogDir start;
    const std::uint8_t bytes[] = {0xAB, 0x01};
    AppendFaultLog("校验错误，", bytes, 2);
    AppendFaultLog("读错误，要读7个字节，", nullptr, 0);
    const std::string raw = start.ReadLog();

    // "\r\nHH:MM:SS 校验错误， 字节数:2 数据:ab 01 " in GBK, then the second record.
    const std::string first =
        "\xD0\xA3\xD1\xE9\xB4\xED\xCE\xF3\xA3\xAC \xD7\xD6\xBD\xDA\xCA\xFD:2"
        " \xCA\xFD\xBE\xDD:ab 01 ";
    ASSERT_GE(raw.size(), 11u);
    EXPECT_EQ(raw.substr(0, 2), "\r\n");
    EXPECT_TRUE(std::regex_match(raw.substr(2, 9), std::regex("\\d\\d:\\d\\d:\\d\\d ")));
    EXPECT_EQ(raw.substr(11, first.size()), first);
    EXPECT_EQ(raw.substr(11 + first.size(), 2), "\r\n");
    EXPECT_EQ(raw.find('\n', 0), 1u);
    EXPECT_EQ(raw.back(), ':');  // the last record has no line break after it

    EXPECT_TRUE(FromCrLf(GbkToUtf8(raw)).ends_with(" 读错误，要读7个字节， 字节数:0 数据:"));
}

TEST(FaultLog, FollowsTheStartDirectoryNotTheCurrentOne) {
    TempLogDir start;
    TempLogDir other;
    TempLogDir::UseAsStartDir(start.path());
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(other.path());
    AppendFaultLog("校验错误，", nullptr, 0);
    std::filesystem::current_path(previous);
    EXPECT_TRUE(start.LogExists());
    EXPECT_FALSE(other.LogExists());
    EXPECT_EQ(FaultLogPath(), start.logPath());
}

TEST(FaultLog, RefusesALinkOrAnythingButAPlainFileInItsPlace) {
    TempLogDir start;
    const std::string target = start.path() + "/elsewhere.txt";
    { std::ofstream(target) << "keep"; }
    std::filesystem::create_symlink(target, start.logPath());
    AppendFaultLog("校验错误，", nullptr, 0);
    std::ifstream in(target);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, "keep");
    EXPECT_TRUE(std::filesystem::is_symlink(start.logPath()));
    EXPECT_FALSE(AppendToRegularFile(start.logPath(), "x"));

    // A dangling link must not create its target either.
    std::filesystem::remove(start.logPath());
    std::filesystem::remove(target);
    std::filesystem::create_symlink(target, start.logPath());
    AppendFaultLog("校验错误，", nullptr, 0);
    EXPECT_FALSE(std::filesystem::exists(target));

    // A FIFO would block a plain writer; it is refused without waiting for a reader.
    std::filesystem::remove(start.logPath());
    ASSERT_EQ(mkfifo(start.logPath().c_str(), 0600), 0);
    EXPECT_FALSE(AppendToRegularFile(start.logPath(), "x"));
}

TEST(FaultLog, SilentWhenTheFileCannotBeOpened) {
    TempLogDir start;
    TempLogDir::UseAsStartDir(start.path() + "/missing");
    AppendFaultLog("校验错误，", nullptr, 0);
    EXPECT_FALSE(std::filesystem::exists(start.path() + "/missing"));

    const std::string plainFile = start.path() + "/file";
    { std::ofstream(plainFile) << "x"; }
    TempLogDir::UseAsStartDir(plainFile);  // a file where the directory should be
    AppendFaultLog("校验错误，", nullptr, 0);

    std::filesystem::create_directory(start.logPath());  // a directory where the log should be
    TempLogDir::UseAsStartDir(start.path());
    AppendFaultLog("校验错误，", nullptr, 0);
    EXPECT_TRUE(std::filesystem::is_directory(start.logPath()));
}

}  // namespace
