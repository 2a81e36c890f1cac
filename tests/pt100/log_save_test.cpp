// Clearing and saving the frame log: the file dialog asked, the bytes written.
#include <fstream>
#include <iterator>

#include "ui/testing/ui_driver.h"
#if UITEST_BACKEND_QT
#include <QListWidget>
#endif

#include "tests/pt100/pt100_fixture.h"

namespace {

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class LogSaveTest : public Pt100DialogTest {
protected:
    // Saves the log, answering the file dialog with `answer` (none: Cancel).
    void Save(CPt100Dlg& d, std::optional<std::string> answer) {
        uitest::ScopedFileDialogHook hook([&](const FileDialogRequest& request) {
            requests.push_back(request);
            return answer;
        });
        ASSERT_TRUE(uitest::Click(d, IDC_PT100_SAVE_LOG));
    }
    std::string PathOf(const std::string& name) const { return start.Path() + "/" + name; }

    std::vector<FileDialogRequest> requests;
};

TEST_F(LogSaveTest, SavedLogIsCodePage936WithCrLfAndAnEmptyLineBetweenEntries) {
    const std::string path = PathOf("log.txt");
    ASSERT_TRUE(WithDialog([&](CPt100Dlg& d) {
        ASSERT_TRUE(uitest::Click(d, IDC_PT100_READ_TEMPS));
        Save(d, path);
    }));
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_FALSE(requests[0].open) << "the save variant, which asks before replacing a file";
    EXPECT_EQ(requests[0].filter, "");
    EXPECT_EQ(requests[0].defaultExt, "");
    EXPECT_EQ(requests[0].fileName, "");

    const std::string bytes = FileBytes(path);
    const std::string write = "\r\n\xD0\xB4 14 3f 00 01 07 00 00 ff b8 \r\n";
    const std::string readStart = "\r\n\xB6\xC1 14 3f 00 01 07 00 08 ";
    ASSERT_EQ(bytes.substr(0, write.size()), write);
    EXPECT_EQ(bytes.substr(write.size(), readStart.size()), readStart);
    EXPECT_EQ(bytes.size(), write.size() + 2 + 2 + 1 + 17 * 3 + 2) << "a 17-byte reply line";
    EXPECT_EQ(bytes.substr(bytes.size() - 3), " \r\n");
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(LogSaveTest, ClearedLogEmptiesAnExistingFileAndCancelWritesNothing) {
    const std::string existing = PathOf("old.txt");
    const std::string untouched = PathOf("untouched.txt");
    WriteFile(existing, "old content\r\n");
    ASSERT_TRUE(WithDialog([&](CPt100Dlg& d) {
        ASSERT_TRUE(uitest::Click(d, IDC_PT100_READ_TEMPS));
        ASSERT_TRUE(uitest::Click(d, IDC_PT100_CLEAR_LOG));
        EXPECT_TRUE(Log(d).empty());
        Save(d, existing);
        ASSERT_TRUE(uitest::Click(d, IDC_PT100_READ_TEMPS));
        Save(d, std::nullopt);
    }));
    EXPECT_EQ(FileBytes(existing), "");
    EXPECT_FALSE(std::ifstream(untouched).good());
    EXPECT_EQ(requests.size(), 2u);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(LogSaveTest, APathThatCannotBeWrittenIsReported) {
    ASSERT_TRUE(WithDialog([&](CPt100Dlg& d) {
        ASSERT_TRUE(uitest::Click(d, IDC_PT100_READ_TEMPS));
        Save(d, PathOf("missing-dir/log.txt"));
        Save(d, start.Path());  // a directory
    }));
    ASSERT_EQ(boxes.Count(), 2u);
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"保存日志失败!", "保存日志失败!"}));
}

}  // namespace

namespace {

// Each frame is one row of the log, while the line keeps the line feed it begins with.
TEST_F(LogSaveTest, EachFrameTakesOneRowAndKeepsItsLeadingLineFeed) {
#if UITEST_BACKEND_QT
    ASSERT_TRUE(WithDialog([&](CPt100Dlg& d) {
        ASSERT_TRUE(uitest::Click(d, IDC_PT100_READ_TEMPS));
        auto* log = uitest::ControlAs<QListWidget>(d, IDC_PT100_LOG);
        ASSERT_NE(log, nullptr);
        ASSERT_EQ(log->count(), 2);
        EXPECT_EQ(log->item(0)->text().front(), u'\n');
        // A row of one line of text, in the log's face.
        QListWidget reference;
        reference.setFont(log->font());
        reference.resize(log->size());
        reference.addItem("one line");
        reference.doItemsLayout();
        const int oneLine = reference.visualItemRect(reference.item(0)).height();
        EXPECT_GT(oneLine, 0);
        log->doItemsLayout();
        EXPECT_EQ(log->visualItemRect(log->item(0)).height(), oneLine);
        EXPECT_EQ(log->visualItemRect(log->item(1)).top(), log->visualItemRect(log->item(0)).bottom() + 1);
    }));
#else
    GTEST_SKIP() << "Row heights are Qt's item layout; the native list box draws its own rows";
#endif
}

}  // namespace
