#pragma once
// Where k7r2's results and messages go: results on stdout (text or one JSON object), messages
// and the frame trace on stderr.
#include <nlohmann/json.hpp>

#include <ostream>
#include <string>

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
};
