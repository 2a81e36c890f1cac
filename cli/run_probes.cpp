// sn read, sn dump, register (channel, sn, search, file) and signal-count.
#include <cstdio>

#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/module_session.h"
#include "link/register_result.h"
#include "link/registration_file.h"
#include "link/registration_line.h"

namespace {

std::string Formatted(const char* format, int number) {
    char text[160];
    std::snprintf(text, sizeof text, format, number);
    return text;
}

nlohmann::ordered_json SnObject(int index, const SnBytes& sn) {
    return {{"index", index},
            {"sn", FullSnText(sn)},
            {"line", SnLine(index, sn)},
            {"registerable", sn[0] == kSnFamilyByte}};
}

// Eight 0xFF bytes: erased memory, no SN stored there.
bool IsEmptySlot(const SnBytes& sn) {
    for (const std::uint8_t byte : sn) {
        if (byte != 0xFF) return false;
    }
    return true;
}

// Opens the session's port for commands; kExitOk or the failure's status.
int OpenForCommands(ModuleSession& session) {
    return session.Open(TimeoutProfile::Interactive);
}

}  // namespace

int RunSnRead(const Invocation& invocation, const CliOutput& output) {
    ModuleSession session(invocation, output);
    if (const int status = OpenForCommands(session); status != kExitOk) return status;
    ReplyBytes reply;
    if (const int status = session.Command(ReadSnRequest(static_cast<std::uint8_t>(invocation.index)), reply);
        status != kExitOk) {
        return status;
    }
    const auto decoded = DecodeReadSnReply(reply);
    if (const int status = session.Decode(decoded); status != kExitOk) return status;
    if (!output.json) output.out << SnLine(invocation.index, decoded->sn) << '\n';
    if (decoded->sn[0] != kSnFamilyByte) {
        return output.Fail(kExitRefused,
                           Formatted("索引%d的SN不可注册 (第一个字节不是28)", invocation.index),
                           SnObject(invocation.index, decoded->sn));
    }
    if (output.json) output.Json(SnObject(invocation.index, decoded->sn));
    return kExitOk;
}

int RunSnDump(const Invocation& invocation, const CliOutput& output) {
    ModuleSession session(invocation, output);
    if (const int status = OpenForCommands(session); status != kExitOk) return status;
    nlohmann::ordered_json entries = nlohmann::ordered_json::array();
    int skipped = 0;
    int empty = 0;
    for (int index = invocation.from; index <= invocation.to; ++index) {
        ReplyBytes reply;
        if (const int status = session.Command(ReadSnRequest(static_cast<std::uint8_t>(index)), reply);
            status != kExitOk) {
            return status;
        }
        const auto decoded = DecodeReadSnReply(reply);
        if (const int status = session.Decode(decoded); status != kExitOk) return status;
        // An empty slot is what every module with fewer than 64 probes has: not a fault.
        if (IsEmptySlot(decoded->sn)) {
            ++empty;
            continue;
        }
        if (output.json) entries.push_back(SnObject(index, decoded->sn));
        if (decoded->sn[0] != kSnFamilyByte) {
            ++skipped;
            output.Message(Formatted("索引%d的SN不可注册, 未写出: ", index) +
                           FullSnText(decoded->sn));
            continue;
        }
        // The registration file's layout: ASCII, so code page 936 as it stands, CR LF ends.
        if (!output.json) output.out << SnLine(index, decoded->sn) << "\r\n" << std::flush;
    }
    nlohmann::ordered_json summary = {{"entries", entries}, {"skipped", skipped}, {"empty", empty}};
    if (skipped > 0) {
        return output.Fail(kExitRefused, Formatted("%d个SN不可注册, 未写出", skipped), summary);
    }
    if (output.json) output.Json(summary);
    return kExitOk;
}

int RunRegisterChannel(const Invocation& invocation, const CliOutput& output) {
    ModuleSession session(invocation, output);
    if (const int status = OpenForCommands(session); status != kExitOk) return status;
    ReplyBytes reply;
    const auto channel = static_cast<std::uint8_t>(invocation.channel);
    if (const int status = session.Command(RegisterChannelRequest(channel), reply); status != kExitOk) {
        return status;
    }
    const auto decoded = DecodeRegisterChannelReply(reply);
    if (const int status = session.Decode(decoded); status != kExitOk) return status;
    if (decoded->outcome == ChannelRegistration::NoValidSn) {
        return output.Fail(kExitRefused, "注册错误!SN号无效!");
    }
    if (decoded->outcome == ChannelRegistration::InvalidChannel) {
        return output.Fail(kExitRefused, "注册错误!通道号无效!");
    }
    if (output.json) {
        output.Json({{"channel", invocation.channel}, {"sn", FullSnText(decoded->sn)}});
    } else {
        output.out << "注册成功!\nSN号为:" << CompactSnText(decoded->sn) << '\n';
    }
    return kExitOk;
}

int RunRegisterSn(const Invocation& invocation, const CliOutput& output) {
    ModuleSession session(invocation, output);
    if (const int status = OpenForCommands(session); status != kExitOk) return status;
    // The command line has already refused an SN that is not a probe's.
    const auto request = RegisterSnRequest(static_cast<std::uint8_t>(invocation.channel), invocation.sn);
    ReplyBytes reply;
    if (const int status = session.Command(*request, reply); status != kExitOk) return status;
    const auto decoded = DecodeRegisterSnReply(reply);
    if (const int status = session.Decode(decoded); status != kExitOk) return status;
    const bool ok = decoded->result == REGISTER_OK;
    const std::string text = ok ? "注册成功!" : RegisterFailureText(decoded->result);
    const nlohmann::ordered_json object = {{"channel", invocation.channel},
                                           {"sn", FullSnText(invocation.sn)},
                                           {"result", decoded->result},
                                           {"message", text}};
    if (!ok) return output.Fail(kExitRefused, text, object);
    if (output.json) {
        output.Json(object);
    } else {
        output.out << text << '\n';
    }
    return kExitOk;
}

int RunRegisterSearch(const Invocation& invocation, const CliOutput& output) {
    ModuleSession session(invocation, output);
    if (const int status = OpenForCommands(session); status != kExitOk) return status;
    ReplyBytes reply;
    if (const int status = session.Command(SearchProbesRequest(), reply); status != kExitOk) {
        return status;
    }
    const auto decoded = DecodeSearchProbesReply(reply);
    if (const int status = session.Decode(decoded); status != kExitOk) return status;
    if (output.json) {
        output.Json({{"found", decoded->found}});
    } else {
        output.out << Formatted("共搜索到的探头数为%d", decoded->found) << '\n';
    }
    return kExitOk;
}

int RunRegisterFile(const Invocation& invocation, const CliOutput& output) {
    RegistrationFile file;
    file.RecogniseUtf8ByteOrderMark();
    if (std::string error; !file.Open(invocation.file, error)) {
        return output.Fail(kExitOutput, "无法读取注册文件 " + invocation.file + ": " + error);
    }
    // The session only says its failures on stderr: the run's one JSON object comes at its end.
    const CliOutput messagesOnly{output.out, output.err, false};
    ModuleSession session(invocation, messagesOnly);
    nlohmann::ordered_json lines = nlohmann::ordered_json::array();
    // `stop` is said on stderr; `summary` only gives a failure's "error" in JSON, its lines
    // having been said already.
    const auto finish = [&](int status, const std::string& stop, const std::string& summary = {}) {
        if (!stop.empty()) output.Message(stop);
        if (output.json) {
            nlohmann::ordered_json object = {{"lines", lines}};
            if (status != kExitOk) object["error"] = stop.empty() ? summary : stop;
            object["exitStatus"] = status;
            output.Json(object);
        }
        return status;
    };
    if (!invocation.dryRun) {
        if (const int status = OpenForCommands(session); status != kExitOk) {
            return finish(status, {}, session.LastFailure());
        }
    }
    int lineNumber = 1;
    int registered = 0;
    int refused = 0;
    int malformed = 0;
    std::string line;
    for (; file.NextLine(line); ++lineNumber) {
        const RegistrationLine parsed = ParseRegistrationLine(line);
        if (parsed.verdict != LineVerdict::Ok) {
            const bool layout = parsed.verdict == LineVerdict::LayoutError;
            if (!invocation.dryRun) {
                return finish(kExitUsage,
                              Formatted(layout ? "第%d行格式错误,该行无注册,程序退出!"
                                               : "第%d行SN号格式错误,该行无注册,程序退出!",
                                        lineNumber));
            }
            ++malformed;
            const std::string text =
                Formatted(layout ? "第%d行格式错误" : "第%d行SN号格式错误", lineNumber);
            output.Message(text);
            if (output.json) lines.push_back({{"line", lineNumber}, {"message", text}});
            continue;
        }
        nlohmann::ordered_json entry = {
            {"line", lineNumber}, {"channel", parsed.channel}, {"sn", FullSnText(parsed.sn)}};
        std::string text;
        if (invocation.dryRun) {
            text = Formatted("第%d行: 通道", lineNumber) + std::to_string(parsed.channel) +
                   " SN " + FullSnText(parsed.sn) + " 格式正确";
        } else {
            ReplyBytes reply;
            // The transaction's own message gives the detail; the stop message follows it.
            const int status = session.Command(*RegisterSnRequest(parsed.channel, parsed.sn), reply);
            const auto decoded = status == kExitOk ? DecodeRegisterSnReply(reply) : std::nullopt;
            if (!decoded) {
                return finish(kExitNoReply,
                              Formatted("第%d行注册失败错误,该行无注册,程序退出!", lineNumber));
            }
            entry["result"] = decoded->result;
            if (decoded->result == REGISTER_OK) {
                text = Formatted("探头%d注册成功!", ++registered);
            } else {
                ++refused;
                text = RegisterFailureText(decoded->result);
            }
            text = Formatted("第%d行: ", lineNumber) + text;
        }
        entry["message"] = text;
        if (output.json) {
            lines.push_back(entry);
        } else {
            output.out << text << '\n' << std::flush;
        }
    }
    if (malformed > 0) return finish(kExitUsage, {}, Formatted("%d行格式错误", malformed));
    if (refused > 0) return finish(kExitRefused, {}, Formatted("%d行注册未成功", refused));
    return finish(kExitOk, {});
}

int RunSignalCount(const Invocation& invocation, const CliOutput& output) {
    ModuleSession session(invocation, output);
    if (const int status = OpenForCommands(session); status != kExitOk) return status;
    ReplyBytes reply;
    const auto count = static_cast<std::uint8_t>(invocation.signalCount);
    if (const int status = session.Command(SetSignalCountRequest(count), reply); status != kExitOk) {
        return status;
    }
    const auto decoded = DecodeSignalCountReply(reply);
    if (const int status = session.Decode(decoded); status != kExitOk) return status;
    const bool ok = decoded->reported == invocation.signalCount;
    const std::string text =
        Formatted(ok ? "设置的信号数为%d成功!" : "设置的信号数为%d失败!", decoded->reported);
    const nlohmann::ordered_json object = {
        {"requested", invocation.signalCount}, {"reported", decoded->reported}, {"ok", ok}};
    if (!ok) return output.Fail(kExitRefused, text, object);
    if (output.json) {
        output.Json(object);
    } else {
        output.out << text << '\n';
    }
    return kExitOk;
}
