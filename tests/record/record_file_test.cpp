// The file a recording appends to: whole records, refusals, and a file removed underneath.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "record/readings_csv.h"
#include "record/readings_csv_file.h"

namespace {

class RecordDir : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/k7r2-record-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    static std::string Contents(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    std::string dir_;
};

TEST_F(RecordDir, CreatedFileStartsWithMarkAndHeaderAndGrowsByWholeRecords) {
    ReadingsCsvFile csv;
    std::string error;
    ASSERT_TRUE(csv.Create(Path("run.csv"), error)) << error;
    const Reading failed = FailedReading(BlockFault::BadChecksum, std::chrono::system_clock::now());
    ASSERT_TRUE(csv.Append(failed));
    ASSERT_TRUE(csv.Append(failed));
    EXPECT_EQ(csv.Records(), 2);
    // Each record is in the file before Close: a killed process keeps it.
    EXPECT_EQ(Contents(Path("run.csv")),
              std::string(kCsvByteOrderMark) + CsvHeaderRecord() + CsvRecord(failed) + CsvRecord(failed));
    csv.Close();
}

TEST_F(RecordDir, ALinkInTheFilesPlaceOrAMissingFolderIsRefusedWithAReason) {
    ASSERT_EQ(symlink(Path("elsewhere").c_str(), Path("link.csv").c_str()), 0);
    ReadingsCsvFile csv;
    std::string error;
    EXPECT_FALSE(csv.Create(Path("link.csv"), error));
    EXPECT_FALSE(error.empty());
    struct stat info {};
    EXPECT_NE(lstat(Path("elsewhere").c_str(), &info), 0);
    error.clear();
    EXPECT_FALSE(csv.Create(Path("no/such/dir.csv"), error));
    EXPECT_FALSE(error.empty());
}

TEST_F(RecordDir, AFileRemovedWhileRecordingFailsTheNextAppend) {
    ReadingsCsvFile csv;
    std::string error;
    ASSERT_TRUE(csv.Create(Path("gone.csv"), error));
    ASSERT_EQ(unlink(Path("gone.csv").c_str()), 0);
    EXPECT_FALSE(csv.Append(FailedReading(BlockFault::ShortHeader, std::chrono::system_clock::now())));
}

}  // namespace
