// The site file: what it reads, what it refuses (with the line and key), and what a rewrite keeps.
#include <gtest/gtest.h>

#include <string>

#include "site/site_file.h"

namespace {

const char* const kSite = R"(# 站点文件
name = "一号粮库"   # 站点名称

[alarms]            # 报警的缺省值
high = 35.0

[mqtt]
url = "mqtt://127.0.0.1:1883"

[[bus]]
name = "A区"
port = 3
baud = 19200
period_ms = 2000

  [[bus.module]]
  address = 12
  name = "3号仓"
  [bus.module.channels]
  "温度1" = "3号仓-B缆-2米"   # 离地 2 米
  "PT100温度1" = "进风口"
  [bus.module.alarms]
  high = 30.0
  [bus.module.channel_alarms."温度1"]
  high = 28.0

  [[bus.module]]
  address = 2
  name = "1号仓"

[[bus]]
device = "/dev/ttyUSB0"

  [[bus.module]]
  address = 2
)";

SiteFile Parsed(const std::string& text) {
    SiteFile file;
    std::string error;
    EXPECT_TRUE(file.Parse(text, "site.toml", error)) << error;
    return file;
}

std::string ErrorOf(const std::string& text) {
    SiteFile file;
    std::string error;
    EXPECT_FALSE(file.Parse(text, "site.toml", error)) << text;
    return error;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

}  // namespace

TEST(SiteFile, ReadsBusesModulesAndNamesWithDefaults) {
    const SiteFile file = Parsed(kSite);
    const Site& site = file.GetSite();
    EXPECT_EQ(site.name, "一号粮库");
    ASSERT_EQ(site.buses.size(), 2u);
    const SiteBus& a = site.buses[0];
    EXPECT_EQ(a.Title(1), "总线 1 (A区)");
    EXPECT_EQ(a.port, 3);
    EXPECT_EQ(a.baud, 19200);
    EXPECT_EQ(a.periodMs, 2000);
    EXPECT_EQ(a.timeoutMs, kDefaultTimeoutMs);
    // Ascending addresses, whatever the file's order.
    ASSERT_EQ(a.modules.size(), 2u);
    EXPECT_EQ(a.modules[0].address, 2);
    EXPECT_EQ(a.modules[1].address, 12);
    EXPECT_EQ(a.modules[1].ChannelName(4), "3号仓-B缆-2米");
    EXPECT_EQ(a.modules[1].ChannelName(0), "进风口");
    EXPECT_EQ(a.modules[1].ChannelName(5), "温度2");
    const SiteBus& b = site.buses[1];
    EXPECT_EQ(b.PortText(), "/dev/ttyUSB0");
    EXPECT_EQ(b.baud, kDefaultBaud);
    EXPECT_EQ(b.periodMs, kDefaultPeriodMs);
    // The same address on another bus is another module; an unnamed one gets a name.
    EXPECT_EQ(b.modules[0].name, "模块2");
}

TEST(SiteFile, RewriteKeepsCommentsAndOtherTablesAndReadsBackTheSame) {
    SiteFile file = Parsed(kSite);
    ASSERT_TRUE(file.SetChannelName(0, 12, 5, "3号仓-B缆-4米"));
    ASSERT_TRUE(file.SetChannelName(0, 2, 67, "北墙"));  // a module without channels yet
    ASSERT_TRUE(file.SetChannelName(0, 12, 0, ""));     // removing a name
    EXPECT_FALSE(file.SetChannelName(1, 12, 4, "x"));   // no module 12 on bus 2
    EXPECT_FALSE(file.SetChannelName(0, 12, 68, "x"));
    const std::string text = file.Text();
    // Only the changed lines differ: key order, comments, blank lines and indentation stay.
    std::string expected = Replaced(kSite, "离地 2 米\n", "离地 2 米\n  \"温度2\" = \"3号仓-B缆-4米\"\n");
    expected = Replaced(expected, "  \"PT100温度1\" = \"进风口\"\n", "");
    expected = Replaced(expected, "name = \"1号仓\"\n",
                        "name = \"1号仓\"\n  [bus.module.channels]\n  \"温度64\" = \"北墙\"\n");
    EXPECT_EQ(text, expected);
    for (const char* kept : {"站点名称", "离地 2 米", "报警的缺省值", "mqtt://127.0.0.1:1883",
                             "channel_alarms", "28.0", "30.0", "35.0"}) {
        EXPECT_NE(text.find(kept), std::string::npos) << kept << " lost in:\n" << text;
    }
    const SiteFile again = Parsed(text);
    const SiteModule& module = again.GetSite().buses[0].modules[1];
    EXPECT_EQ(module.ChannelName(4), "3号仓-B缆-2米");
    EXPECT_EQ(module.ChannelName(5), "3号仓-B缆-4米");
    EXPECT_EQ(module.ChannelName(0), "PT100温度1");
    EXPECT_EQ(again.GetSite().buses[0].modules[0].ChannelName(67), "北墙");
    EXPECT_EQ(again.Text(), text);  // a second rewrite changes nothing
    EXPECT_EQ(again.Document().as_table().at("bus").as_array()[0].as_table().at("module")
                  .as_array()[0].as_table().at("channel_alarms").as_table().at("温度1")
                  .as_table().at("high").as_floating(), 28.0);
}

// Files laid out otherwise than the program writes them: each edit touches only its value.
TEST(SiteFile, NamesAreEditedWhereverTheFileKeepsThem) {
    struct Case {
        const char* what;
        std::string before;
        int channel;
        std::string name;
        std::string after;
    };
    const std::string head = "name = \"站\"\n[[bus]]\nport = 1\n[[bus.module]]\naddress = 1\n";
    const Case cases[] = {
        {"an inline table", head + "channels = { \"温度1\" = \"a\" }  # 注释\n", 5, "b",
         head + "channels = { \"温度1\" = \"a\", \"温度2\" = \"b\" }  # 注释\n"},
        {"a name taken out of an inline table", head + "channels = { 'PT100温度1' = 'a', \"温度1\" = \"b\" }\n", 0, "",
         head + "channels = { \"温度1\" = \"b\" }\n"},
        {"dotted keys, a name before the first", head + "channels.'温度9' = \"a\"\n", 4, "b",
         head + "channels.\"温度1\" = \"b\"\nchannels.'温度9' = \"a\"\n"},
        {"a value replaced, its comment kept", head + "[bus.module.channels]\n\"温度1\" = 'a'   # 东\n", 4, "say \"hi\"",
         head + "[bus.module.channels]\n\"温度1\" = \"\"\"say \"hi\"\"\"\"   # 东\n"},
        {"an empty table", head + "[bus.module.channels]\n# 以后\n[bus.module.alarms]\nhigh = 1.0\n", 4, "a",
         head + "[bus.module.channels]\n\"温度1\" = \"a\"\n# 以后\n[bus.module.alarms]\nhigh = 1.0\n"},
        {"a new table before the module's other tables",
         head + "name = \"x\" # 名\n\n# 报警\n[bus.module.alarms]\nhigh = 1.0\n", 4, "a",
         head + "name = \"x\" # 名\n[bus.module.channels]\n\"温度1\" = \"a\"\n\n# 报警\n[bus.module.alarms]\nhigh = 1.0\n"},
        {"CR LF and a byte-order mark",
         "\xEF\xBB\xBFname = \"站\"\r\n[[bus]]\r\nport = 1\r\n[[bus.module]]\r\naddress = 1", 4, "a",
         "\xEF\xBB\xBFname = \"站\"\r\n[[bus]]\r\nport = 1\r\n[[bus.module]]\r\naddress = 1\r\n"
         "[bus.module.channels]\r\n\"温度1\" = \"a\"\r\n"},
    };
    for (const Case& c : cases) {
        SiteFile file = Parsed(c.before);
        ASSERT_TRUE(file.SetChannelName(0, 1, c.channel, c.name)) << c.what;
        EXPECT_EQ(file.Text(), c.after) << c.what;
        const SiteFile again = Parsed(file.Text());
        EXPECT_EQ(again.GetSite().buses[0].modules[0].channelNames,
                  file.GetSite().buses[0].modules[0].channelNames)
            << c.what;
    }
}

TEST(SiteFile, ALayoutNoLineEditFollowsIsWrittenAfreshWithItsComments) {
    SiteFile file = Parsed("name = \"站\" # 名\n[[bus]]\nport = 1\nmodule = [{ address = 1 }]\n");
    ASSERT_TRUE(file.SetChannelName(0, 1, 4, "a"));
    const SiteFile again = Parsed(file.Text());
    EXPECT_EQ(again.GetSite().buses[0].modules[0].ChannelName(4), "a");
    EXPECT_NE(file.Text().find("# 名"), std::string::npos) << file.Text();
}

TEST(SiteFile, NewFileTextReadsBack) {
    Site site;
    site.name = "二号\"库\"";
    SiteBus bus;
    bus.port = 4;
    bus.baud = 38400;
    bus.modules = {{1, "模块1", {}}, {7, "7号仓", {{4, "南-1"}}}};
    site.buses.push_back(bus);
    const SiteFile file = Parsed(NewSiteFileText(site));
    EXPECT_EQ(file.GetSite().name, site.name);
    ASSERT_EQ(file.GetSite().buses[0].modules.size(), 2u);
    EXPECT_EQ(file.GetSite().buses[0].baud, 38400);
    EXPECT_EQ(file.GetSite().buses[0].modules[1].ChannelName(4), "南-1");
}

TEST(SiteFile, EveryFaultNamesItsLineAndKey) {
    struct Case {
        std::string text;
        std::string expected;  // the start of the message
    };
    const std::string base = kSite;
    const Case cases[] = {
        {Replaced(base, "port = 3", "port = 300"), "site.toml:12: 键 bus[1].port: 应在 1 到 255"},
        {Replaced(base, "port = 3", "port = \"3\""), "site.toml:12: 键 bus[1].port: 应为"},
        {Replaced(base, "baud = 19200", "baud = 4800"), "site.toml:13: 键 bus[1].baud: 波特率"},
        {Replaced(base, "period_ms = 2000", "period_ms = 0"), "site.toml:14: 键 bus[1].period_ms"},
        {Replaced(base, "port = 3", "port = 3\ndevice = \"/dev/ttyS0\""),
         "site.toml:12: 键 bus[1].port: 每条总线要有"},
        {Replaced(base, "address = 2\n  name = \"1号仓\"", "address = 12\n  name = \"1号仓\""),
         "site.toml:28: 键 bus[1].module[2].address: 地址 12 在这条总线上已用于第 17 行"},
        {Replaced(base, "address = 12", "address = 256"),
         "site.toml:17: 键 bus[1].module[1].address: 应在 0 到 255"},
        {Replaced(base, "\"PT100温度1\" =", "\"温度65\" ="),
         "site.toml:21: 键 bus[1].module[1].channels.\"温度65\": 没有这个通道"},
        {Replaced(base, "\"进风口\"", "5"), "site.toml:21: 键 bus[1].module[1].channels.\"PT100温度1\": 应为字符串"},
        {Replaced(base, "period_ms = 2000", "perod_ms = 2000"), "site.toml:14: 键 bus[1].perod_ms: 未知的键"},
        {Replaced(base, "name = \"一号粮库\"", "name = \"\""), "site.toml:2: 键 name: 站点名称不能为空"},
        {Replaced(base, "name = \"一号粮库\"   # 站点名称\n", ""), "site.toml:1: 键 name: 缺少站点名称"},
        {Replaced(base, "name = \"一号粮库\"", "titel = \"x\""), "site.toml:2: 键 titel: 未知的键"},
        {Replaced(base, "high = 35.0", "high = = 35.0"), "site.toml:5: TOML 语法错误"},
        {Replaced(base, "baud = 19200", "baud = 19200\nbaud = 9600"), "site.toml:14: TOML 语法错误"},
        {"name = \"x\"\n", "site.toml:1: 键 bus: 至少要有一条总线"},
    };
    for (const Case& c : cases) {
        const std::string error = ErrorOf(c.text);
        EXPECT_EQ(error.rfind(c.expected, 0), 0u) << "got: " << error << "\nwanted: " << c.expected;
    }
}

TEST(SiteFile, ModuleCsvNamesStayInTheirFolder) {
    EXPECT_EQ(ModuleCsvName({12, "3号仓", {}}), "12-3号仓.csv");
    EXPECT_EQ(ModuleCsvName({1, "../a/b:c", {}}), "1-.._a_b_c.csv");
}

TEST(SiteFile, TheDocumentedExampleIsValid) {
    SiteFile file;
    std::string error;
    ASSERT_TRUE(file.Load(K7R2_SITE_EXAMPLE, error)) << error;
    EXPECT_FALSE(file.GetSite().buses.empty());
}
