// Button 1027: a registration file, line after line, up to the first line that stops the batch.
#include <fstream>

#include "link/commands.h"
#include "link/fault_log.h"
#include "link/text_codec.h"
#include "tests/probes/probe_window_test.h"

namespace {

using Texts = std::vector<std::string>;

class FileRegistrationTest : public ProbeWindowTest {
protected:
    // Writes the text as the operator's editor would: code page 936, CR LF.
    std::string File(const std::string& text) {
        const std::string path = start.Path() + "/probes.txt";
        std::ofstream(path, std::ios::binary) << Utf8ToGbk(ToCrLf(text));
        return path;
    }
    // Runs the button with the dialog answering `path` (nullopt: cancelled).
    Texts Run(std::optional<std::string> path) {
        uitest::ScopedFileDialogHook hook([this, path](const FileDialogRequest& request) {
            EXPECT_TRUE(request.open);
            EXPECT_EQ(request.filter, "Data Files (*.txt)|*.txt||");
            ++dialogs;
            return path;
        });
        return Press(IDC_FILE_REGISTER);
    }
    int dialogs = 0;
};

TEST_F(FileRegistrationTest, RegistersEveryLineAndCountsTheSuccesses) {
    const std::string path = File(
        "07:28-FF-4A-00-01-02-03-C9\n"
        " \t08:28-00-00-00-00-00-00-01  # 锅炉进水\n"
        "70:28-00-00-00-00-00-00-02\n"  // the module has 64 channels
        "09:28-00-00-00-00-00-00-C");   // last line, one digit, no line end
    EXPECT_EQ(Run(path),
              (Texts{"探头1注册成功!", "探头2注册成功!", "通道过大!", "探头3注册成功!"}));
    ASSERT_EQ(Frames().size(), 4u);
    EXPECT_EQ(Frames()[0], "14 3F 00 00 04 00 09 07 28 FF 4A 00 01 02 03 C9 FD 6C");
    EXPECT_EQ(sim->SnEntry(8), (ProbeSn{0x28, 0, 0, 0, 0, 0, 0, 0x01}));
    EXPECT_EQ(sim->SnEntry(9), (ProbeSn{0x28, 0, 0, 0, 0, 0, 0, 0x0C}));
    EXPECT_EQ(Text(IDC_CHANNEL), "1") << "no member changes";
}

TEST_F(FileRegistrationTest, OtherResultCodesGoOnToTheNextLine) {
    sim->ForceRegisterResults({REGISTER_SN_INVALID, 7});
    EXPECT_EQ(Run(File("01:28-00-00-00-00-00-00-01\n02:28-00-00-00-00-00-00-02\n"
                       "03:28-00-00-00-00-00-00-03\n")),
              (Texts{"SN无效!", "注册是否成功未知!", "探头1注册成功!"}));
}

TEST_F(FileRegistrationTest, FirstBadLineStopsTheBatchWithItsNumber) {
    const std::string good = "01:28-00-00-00-00-00-00-01\n";
    const std::pair<std::string, std::string> stops[] = {
        {"7:28-FF-4A-00-01-02-03-C9\n", "第3行格式错误,该行无注册,程序退出!"},
        {"AB:28-FF-4A-00-01-02-03-C9\n", "第3行格式错误,该行无注册,程序退出!"},
        {"\n", "第3行格式错误,该行无注册,程序退出!"},
        {"07:28-ff-4A-00-01-02-03-C9\n", "第3行SN号格式错误,该行无注册,程序退出!"},
        {"07:28-FF-4A-00-01-02-03-C\n", "第3行SN号格式错误,该行无注册,程序退出!"},
    };
    for (const auto& [bad, message] : stops) {
        const std::size_t sent = sim->Requests().size();
        const Texts shown = Run(File(good + good + bad + good));
        EXPECT_EQ(shown, (Texts{"探头1注册成功!", "探头2注册成功!", message})) << bad;
        EXPECT_EQ(sim->Requests().size(), sent + 2) << "nothing after the bad line: " << bad;
    }
    EXPECT_EQ(Run(File("\xEF\xBB\xBF" + good)), Texts{"第1行格式错误,该行无注册,程序退出!"});
}

TEST_F(FileRegistrationTest, OverlongLineIsOneLineNotTwo) {
    const std::string tail(1100, 'x');
    EXPECT_EQ(Run(File("01:28-00-00-00-00-00-00-01 " + tail + "02:28-00-00-00-00-00-00-02\n" +
                       "03:28-00-00-00-00-00-00-03\n")),
              (Texts{"探头1注册成功!", "探头2注册成功!"}));
    EXPECT_EQ(sim->SnEntry(3)[7], 0x03) << "the line after the long one";
}

TEST_F(FileRegistrationTest, NoReplyStopsAtThatLine) {
    ASSERT_TRUE(Replace(IDC_PORT, "9"));
    EXPECT_EQ(Run(File("01:28-00-00-00-00-00-00-01\n")),
              Texts{"第1行注册失败错误,该行无注册,程序退出!"});
}

TEST_F(FileRegistrationTest, CancelMissingOrEmptyFileDoNothingQuietly) {
    EXPECT_EQ(Run(std::nullopt), Texts{});
    EXPECT_EQ(Run(start.Path() + "/missing.txt"), Texts{});
    EXPECT_EQ(Run(File("")), Texts{});
    EXPECT_EQ(dialogs, 3);
    EXPECT_TRUE(sim->Requests().empty());
    EXPECT_EQ(std::string(g_startDir), start.Path()) << "the fault log stays where it was";
}

}  // namespace
