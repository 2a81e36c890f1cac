#pragma once
// Where k7r2's results and messages go: results on stdout (text or one JSON object), messages
// and the frame trace on stderr.
#include <nlohmann/json.hpp>

#include <charconv>
#include <ostream>
#include <string>

// A number exactly as the window shows it ("%.1f" text, "-0.0" included) for JSON.
inline double ShownNumber(const std::string& text) {
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

struct CliOutput {
    std::ostream& out;
    std::ostream& err;
    bool json = false;

    // A message line on stderr.
    void Message(const std::string& text) const { err << text << '\n'; }
    // The command's JSON object on stdout.
    void Json(const nlohmann::ordered_json& object) const { out << object.dump() << '\n'; }
    // A failure: the message on stderr and, with --json, {"error": …} on stdout; returns status.
    int Fail(int status, const std::string& text) const {
        Message(text);
        if (json) Json({{"error", text}, {"exitStatus", status}});
        return status;
    }
    // A failure that still has a result to show: with --json the object with "error" and
    // "exitStatus" added, else just the message.
    int Fail(int status, const std::string& text, nlohmann::ordered_json object) const {
        Message(text);
        if (json) {
            object["error"] = text;
            object["exitStatus"] = status;
            Json(object);
        }
        return status;
    }
};
