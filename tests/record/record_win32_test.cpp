// The Windows recording: a readings CSV under a Chinese folder name through the wide API, open
// to readers while it grows, and the local time its records carry.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>

#include "record/local_time.h"
#include "record/readings_csv.h"
#include "record/readings_csv_file.h"

namespace {

namespace fs = std::filesystem;

std::string Utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

// The whole file, read through a second handle while the writer may still hold it.
std::string Contents(const fs::path& path) {
    FILE* in = _wfopen(path.c_str(), L"rb");
    if (in == nullptr) return "<cannot open>";
    std::string bytes;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) bytes.append(buffer, n);
    std::fclose(in);
    return bytes;
}

class ChineseFolder : public testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               fs::path(u8"记录-" + std::u8string(reinterpret_cast<const char8_t*>(
                                       std::to_string(GetCurrentProcessId()).c_str())));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    fs::path dir_;
};

}  // namespace

TEST_F(ChineseFolder, RecordsReachTheFileOneByOneAndReadersMayOpenIt) {
    const fs::path path = dir_ / fs::path(u8"一号仓.csv");
    ReadingsCsvFile csv;
    std::string error;
    ASSERT_TRUE(csv.Create(Utf8(path), error)) << error;
    const std::string head = std::string(kCsvByteOrderMark) + CsvHeaderRecord();
    EXPECT_EQ(Contents(path), head);

    const Reading failed = FailedReading(BlockFault::BadChecksum, std::chrono::system_clock::now());
    ASSERT_TRUE(csv.Append(failed));
    EXPECT_EQ(Contents(path), head + CsvRecord(failed));
    ASSERT_TRUE(csv.Append(failed));
    EXPECT_EQ(csv.Records(), 2);
    csv.Close();
    EXPECT_EQ(Contents(path), head + CsvRecord(failed) + CsvRecord(failed));

    // A second run into the same name starts the file afresh.
    ASSERT_TRUE(csv.Create(Utf8(path), error)) << error;
    csv.Close();
    EXPECT_EQ(Contents(path), head);
}

TEST_F(ChineseFolder, AMissingFolderIsRefusedWithTheSystemsReason) {
    ReadingsCsvFile csv;
    std::string error;
    EXPECT_FALSE(csv.Create(Utf8(dir_ / fs::path(u8"没有/run.csv")), error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(csv.IsOpen());
}

TEST(Win32LocalTime, IsoTimeCarriesMillisecondsAndTheOffsetAndAgreesWithTheCompactForm) {
    const auto time = std::chrono::system_clock::time_point(std::chrono::seconds(1796000000)) +
                      std::chrono::milliseconds(123);
    const std::string iso = IsoLocalTime(time);
    std::smatch parts;
    ASSERT_TRUE(std::regex_match(
        iso, parts,
        std::regex(R"((\d{4})-(\d\d)-(\d\d)T(\d\d):(\d\d):(\d\d)\.123([+-])(\d\d):(\d\d))")))
        << iso;

    // The offset is Windows' own for that moment.
    const ULONGLONG ticks = (1796000000ULL + 11644473600ULL) * 10000000ULL;  // since 1601
    FILETIME utcFile{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    ASSERT_TRUE(FileTimeToSystemTime(&utcFile, &utc));
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local));
    FILETIME localFile{};
    ASSERT_TRUE(SystemTimeToFileTime(&local, &localFile));
    const ULONGLONG localTicks =
        (static_cast<ULONGLONG>(localFile.dwHighDateTime) << 32) | localFile.dwLowDateTime;
    const long expected = static_cast<long>((static_cast<long long>(localTicks) -
                                             static_cast<long long>(ticks)) / 600000000LL);
    const long offset = (parts[7] == "-" ? -1 : 1) *
                        (std::stol(parts[8].str()) * 60 + std::stol(parts[9].str()));
    EXPECT_EQ(offset, expected) << iso;

    EXPECT_EQ(CompactLocalTime(time), parts[1].str() + parts[2].str() + parts[3].str() + "_" +
                                          parts[4].str() + parts[5].str() + parts[6].str());
}
