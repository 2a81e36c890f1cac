// The file dialog's filter string, as both platforms' dialogs receive it.
#include <gtest/gtest.h>

#include "ui/file_filter.h"

namespace {

std::vector<std::pair<std::string, std::string>> Pairs(const std::string& filter) {
    std::vector<std::pair<std::string, std::string>> out;
    for (const FileFilter& f : ParseFileFilter(filter)) out.emplace_back(f.label, f.patterns);
    return out;
}

using P = std::vector<std::pair<std::string, std::string>>;

TEST(FileFilter, PairsEachLabelWithItsPatternsUntilTheEmptyLabel) {
    EXPECT_EQ(Pairs("帧日志 (*.txt)|*.txt|所有文件 (*.*)|*.*||"),
              (P{{"帧日志 (*.txt)", "*.txt"}, {"所有文件 (*.*)", "*.*"}}));
    // Several patterns stay one string; the platform separates them its own way.
    EXPECT_EQ(Pairs("读数|*.csv;*.txt||"), (P{{"读数", "*.csv;*.txt"}}));
    // Whatever follows the terminating empty label is not offered.
    EXPECT_EQ(Pairs("A|*.a||B|*.b||"), (P{{"A", "*.a"}}));
}

TEST(FileFilter, AStringCutShortKeepsOnlyItsWholePairs) {
    EXPECT_EQ(Pairs("A|*.a"), (P{{"A", "*.a"}}));
    EXPECT_EQ(Pairs("A|*.a|B"), (P{{"A", "*.a"}}));
    EXPECT_EQ(Pairs("A"), P{});
    EXPECT_EQ(Pairs(""), P{});
    EXPECT_EQ(Pairs("||"), P{});
}

}  // namespace
