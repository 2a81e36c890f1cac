#include "site/site_file_edit.h"

#include <algorithm>
#include <vector>

namespace {

// Offsets into the text by line: where each line starts (toml11 counts lines from 1 and columns
// in bytes from 1).
class Lines {
public:
    explicit Lines(const std::string& text) : text_(text) {
        starts_.push_back(0);
        for (std::size_t at = 0; at < text.size(); ++at) {
            if (text[at] == '\n') starts_.push_back(at + 1);
        }
        newline_ = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    }

    // The value's own text (a string with its quotes, an inline table with its braces).
    std::pair<std::size_t, std::size_t> Span(const SiteToml& value) const {
        const auto& where = value.location();
        const std::size_t line = std::min<std::size_t>(where.line(), starts_.size()) - 1;
        const std::size_t begin = std::min(text_.size(), starts_[line] + where.column() - 1);
        return {begin, std::min(text_.size(), begin + where.region())};
    }
    std::size_t LineStart(std::size_t offset) const {
        const std::size_t newline = text_.rfind('\n', offset == 0 ? 0 : offset - 1);
        return offset == 0 || newline == std::string::npos ? 0 : newline + 1;
    }
    // Just after the line's line feed (or the end of the text).
    std::size_t NextLine(std::size_t offset) const {
        const std::size_t newline = text_.find('\n', offset);
        return newline == std::string::npos ? text_.size() : newline + 1;
    }
    const std::string& Newline() const { return newline_; }

private:
    const std::string& text_;
    std::vector<std::size_t> starts_;
    std::string newline_;
};

std::string Quoted(const std::string& text) { return toml::format(SiteToml(text)); }

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string Trimmed(const std::string& text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && Blank(text[begin])) ++begin;
    while (end > begin && (Blank(text[end - 1]) || text[end - 1] == '\n')) --end;
    return text.substr(begin, end - begin);
}

std::string Indent(const std::string& text, std::size_t lineStart) {
    std::size_t end = lineStart;
    while (end < text.size() && (text[end] == ' ' || text[end] == '\t')) ++end;
    return text.substr(lineStart, end - lineStart);
}

// A key's label as it stands before the `=` of its line, in either kind of quotes.
std::size_t FindQuotedKey(const std::string& prefix, const std::string& label) {
    for (const char quote : {'"', '\''}) {
        const std::size_t at = prefix.rfind(std::string(1, quote) + label + quote);
        if (at != std::string::npos) return at;
    }
    return std::string::npos;
}

// The channel table written inline again, with the names it is to hold.
std::string InlineTable(const std::vector<std::pair<std::string, std::string>>& names) {
    std::string text = "{";
    for (std::size_t i = 0; i < names.size(); ++i) {
        text += (i == 0 ? " " : ", ") + Quoted(names[i].first) + " = " + Quoted(names[i].second);
    }
    return text + (names.empty() ? "}" : " }");
}

// Where the module's own keys end: after its last key line before the next table header.
std::size_t EndOfModuleKeys(const std::string& text, const Lines& lines, std::size_t header) {
    std::size_t end = lines.NextLine(header);
    for (std::size_t at = end; at < text.size(); at = lines.NextLine(at)) {
        const std::string line = Trimmed(text.substr(at, lines.NextLine(at) - at));
        if (!line.empty() && line[0] == '[') break;
        if (!line.empty() && line[0] != '#') end = lines.NextLine(at);
    }
    return end;
}

}  // namespace

std::optional<std::string> TextWithChannelName(const std::string& text, const SiteToml& module,
                                               const std::string& label,
                                               const std::string& name) {
    if (!module.is_table()) return std::nullopt;
    const Lines lines(text);
    const std::string& nl = lines.Newline();
    std::string edited = text;
    const auto& entries = module.as_table();
    const auto channels = entries.find("channels");

    if (channels == entries.end() || !channels->second.is_table()) {
        if (name.empty()) return edited;
        // A table of its own after the module's keys, indented as they are.
        const auto [header, headerEnd] = lines.Span(module);
        if (Trimmed(text.substr(header, headerEnd - header)) != "[[bus.module]]") return std::nullopt;
        const std::size_t at = EndOfModuleKeys(text, lines, header);
        const std::string indent = Indent(text, lines.LineStart(header));
        std::string added = (at > 0 && text[at - 1] != '\n') ? nl : "";
        added += indent + "[bus.module.channels]" + nl + indent + Quoted(label) + " = " +
                 Quoted(name) + nl;
        return edited.insert(at, added);
    }

    const SiteToml& table = channels->second;
    const auto [tableBegin, tableEnd] = lines.Span(table);
    const bool inlineTable = text.compare(tableBegin, 1, "{") == 0;
    const auto named = table.as_table().find(label);

    if (inlineTable) {
        std::vector<std::pair<std::string, std::string>> names;
        for (const auto& [key, value] : table.as_table()) {
            if (key == label || !value.is_string()) continue;
            names.emplace_back(key, value.as_string().str);
        }
        if (!name.empty()) names.emplace_back(label, name);
        return edited.replace(tableBegin, tableEnd - tableBegin, InlineTable(names));
    }

    if (named != table.as_table().end()) {
        const auto [begin, end] = lines.Span(named->second);
        if (!name.empty()) return edited.replace(begin, end - begin, Quoted(name));
        // The key's line goes, with what it says about the name.
        const std::size_t lineStart = lines.LineStart(begin);
        if (FindQuotedKey(text.substr(lineStart, begin - lineStart), label) == std::string::npos) {
            return std::nullopt;
        }
        return edited.erase(lineStart, lines.NextLine(end) - lineStart);
    }
    if (name.empty()) return edited;

    // A new line beside the nearest channel, in channel order, written as that one is.
    const auto order = [](const std::string& key) { return ChannelOfLabel(key); };
    const SiteToml* before = nullptr;
    const SiteToml* after = nullptr;
    std::string beforeKey, afterKey;
    for (const auto& [key, value] : table.as_table()) {
        if (order(key) < order(label) && (before == nullptr || order(key) > order(beforeKey))) {
            before = &value;
            beforeKey = key;
        }
        if (order(key) > order(label) && (after == nullptr || order(key) < order(afterKey))) {
            after = &value;
            afterKey = key;
        }
    }
    const SiteToml* neighbour = before != nullptr ? before : after;
    const std::string& neighbourKey = before != nullptr ? beforeKey : afterKey;
    std::string line;
    std::size_t at = 0;
    if (neighbour != nullptr) {
        const auto [begin, end] = lines.Span(*neighbour);
        const std::size_t lineStart = lines.LineStart(begin);
        std::string prefix = text.substr(lineStart, begin - lineStart);
        const std::size_t key = FindQuotedKey(prefix, neighbourKey);
        if (key == std::string::npos) return std::nullopt;
        prefix.replace(key, neighbourKey.size() + 2, Quoted(label));
        line = prefix + Quoted(name) + nl;
        at = before != nullptr ? lines.NextLine(end) : lineStart;
    } else {
        // An empty [bus.module.channels]: the line goes under its header.
        if (Trimmed(text.substr(tableBegin, tableEnd - tableBegin)) != "[bus.module.channels]") {
            return std::nullopt;
        }
        line = Indent(text, lines.LineStart(tableBegin)) + Quoted(label) + " = " + Quoted(name) + nl;
        at = lines.NextLine(tableBegin);
    }
    if (at > 0 && text[at - 1] != '\n') line = nl + line;
    return edited.insert(at, line);
}
