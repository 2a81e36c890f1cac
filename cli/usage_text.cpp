#include "cli/usage_text.h"

#include "cli/exit_status.h"

namespace {

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.rfind(prefix, 0) == 0;
}

bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string CommandPath(const CLI::App& app) {
    std::string path = app.get_name();
    for (const CLI::App* parent = app.get_parent(); parent != nullptr; parent = parent->get_parent()) {
        path = parent->get_name() + " " + path;
    }
    return path;
}

// The option called `name` in the command or one of its parents, with its description.
std::string Described(const CLI::App& app, const std::string& name) {
    for (const CLI::App* at = &app; at != nullptr; at = at->get_parent()) {
        for (const CLI::Option* option : at->get_options()) {
            if (option->get_name(true, false) == name || option->check_name(name)) {
                const std::string description = option->get_description();
                return description.empty() ? name : name + " (" + description + ")";
            }
        }
    }
    return name;
}

std::string SubcommandNames(const CLI::App& app) {
    std::string names;
    for (const CLI::App* sub : app.get_subcommands({})) {
        if (!names.empty()) names += ", ";
        names += sub->get_name();
    }
    return names;
}

std::string AfterColon(const std::string& text) {
    const std::size_t colon = text.find(": ");
    return colon == std::string::npos ? text : text.substr(colon + 2);
}

}  // namespace

namespace {

// Columns a UTF-8 text takes in a terminal: Chinese characters take two.
std::size_t DisplayWidth(const std::string& text) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte & 0xC0) == 0x80) continue;  // a continuation byte
        width += byte >= 0xE0 ? 2 : 1;
    }
    return width;
}

// CLI11's layout pads by bytes; this one by columns, so that the descriptions line up.
class ColumnFormatter : public CLI::Formatter {
public:
    std::string make_option(const CLI::Option* option, bool isPositional) const override {
        const std::string name =
            "  " + make_option_name(option, isPositional) + make_option_opts(option);
        const std::size_t width = DisplayWidth(name);
        const std::size_t column = get_column_width();
        std::string line = name;
        if (width + 2 > column) {
            line += "\n" + std::string(column, ' ');
        } else {
            line += std::string(column - width, ' ');
        }
        return line + make_option_desc(option) + "\n";
    }
};

}  // namespace

std::shared_ptr<CLI::Formatter> ChineseHelpFormatter() {
    auto formatter = std::make_shared<ColumnFormatter>();
    formatter->label("Usage", "用法");
    formatter->label("OPTIONS", "选项");
    formatter->label("SUBCOMMAND", "命令");
    formatter->label("SUBCOMMANDS", "命令");
    formatter->label("Positionals", "参数");
    formatter->label("REQUIRED", "(必需)");
    formatter->label("INT", "整数");
    formatter->label("UINT", "整数");
    formatter->label("TEXT", "文本");
    formatter->label("FLOAT", "数");
    formatter->label("Env", "环境变量");
    formatter->label("Needs", "需要");
    formatter->label("Excludes", "不能与之同用");
    formatter->column_width(34);
    return formatter;
}

const CLI::App& DeepestCommand(const CLI::App& app) {
    const CLI::App* at = &app;
    while (!at->get_subcommands().empty()) at = at->get_subcommands().front();
    return *at;
}

std::string HelpText(const CLI::App& asked, const CLI::App& root, const std::string& notes) {
    const CLI::App* parent = asked.get_parent();
    std::string text = asked.help(parent != nullptr ? CommandPath(*parent) : "");
    if (&asked != &root) {
        text += "全局选项 (放在命令之前或之后均可):\n";
        const CLI::Formatter& formatter = static_cast<const CLI::Formatter&>(*root.get_formatter());
        for (const CLI::Option* option : root.get_options()) {
            if (option == root.get_help_ptr() || option == root.get_version_ptr()) continue;
            text += formatter.make_option(option, false);
        }
        text += "\n";
    }
    return text + notes + "\n" + kExitStatusHelp;
}

std::string UsageErrorText(const CLI::ParseError& error, const CLI::App& app) {
    const CLI::App& at = DeepestCommand(app);
    const std::string what = error.what();
    const std::string command = CommandPath(at);
    if (dynamic_cast<const CLI::RequiredError*>(&error) != nullptr) {
        if (StartsWith(what, "A subcommand") || StartsWith(what, "Requires at least")) {
            // An unknown word where a command belongs is left over rather than refused first.
            const std::vector<std::string> left = at.remaining();
            if (!left.empty()) {
                const bool option = left.front().rfind('-', 0) == 0;
                return std::string(option ? "无法识别的选项: '" : "无法识别的命令: '") +
                       left.front() + "' (" + command + " 的命令: " + SubcommandNames(at) + ")";
            }
            return command + " 须跟一个命令: " + SubcommandNames(at);
        }
        if (EndsWith(what, " is required")) {
            return command + " 缺少参数 " + Described(at, what.substr(0, what.size() - 12));
        }
        return command + " 缺少参数";
    }
    if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr) {
        const std::string extras = AfterColon(what);
        if (extras.rfind('-', 0) == 0) return command + " 无法识别的选项: " + extras;
        if (at.get_subcommands({}).empty()) return command + " 不接受参数: " + extras;
        return "无法识别的命令或参数: " + extras + " (" + command + " 的命令: " +
               SubcommandNames(at) + ")";
    }
    if (dynamic_cast<const CLI::ValidationError*>(&error) != nullptr) {
        const std::size_t colon = what.find(": ");
        if (colon == std::string::npos) return what;
        return what.substr(0, colon) + " " + what.substr(colon + 2);
    }
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr) {
        std::string name = what.substr(0, what.find(':'));
        if (const std::size_t to = what.find(" arguments to "); to != std::string::npos) {
            name = what.substr(to + 14, what.find(',', to) - to - 14);
        }
        if (what.find("At Most") != std::string::npos) return name + " 只能给一次";
        return Described(at, name) + " 缺少值";
    }
    if (dynamic_cast<const CLI::ConversionError*>(&error) != nullptr) {
        return "无法转换参数的值: " + AfterColon(what);
    }
    if (dynamic_cast<const CLI::ExcludesError*>(&error) != nullptr) {
        return "这两个选项只能给一个: " + what.substr(0, what.find(' ')) + ", " +
               what.substr(what.rfind(' ') + 1);
    }
    return "无法解析命令行: " + what;
}
