// pt100 params, calibrate, offset and temps: the PT100 dialog's commands.
#include <cstdio>

#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/module_session.h"
#include "link/temp_word.h"

namespace {

std::string Fixed(const char* format, double value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

int Params(ModuleSession& session, const Invocation& inv, const CliOutput& output) {
    ReplyBytes reply;
    const auto channel = static_cast<std::uint8_t>(inv.channel - 1);
    if (const int status = session.Command(Pt100ParamsRequest(channel), reply); status != kExitOk) {
        return status;
    }
    const auto decoded = DecodePt100ParamsReply(reply);
    if (const int status = session.Decode(decoded); status != kExitOk) return status;
    const std::string offset = Fixed("%0.2f", OffsetByteToCelsius(decoded->offset));
    if (output.json) {
        output.Json({{"channel", inv.channel},
                     {"zeroAd", decoded->zeroAd},
                     {"offset", OffsetByteToCelsius(decoded->offset)},
                     {"res1Ad", decoded->res1Ad},
                     {"res2Ad", decoded->res2Ad}});
    } else {
        output.out << "电路零位AD值\t" << decoded->zeroAd << "\n温度偏移量(℃)\t" << offset
                   << "\n电阻1的标定AD值\t" << decoded->res1Ad << "\n电阻2的标定AD值\t"
                   << decoded->res2Ad << '\n';
    }
    return kExitOk;
}

int Calibrate(ModuleSession& session, const Invocation& inv, const CliOutput& output) {
    ReplyBytes reply;
    const auto channel = static_cast<std::uint8_t>(inv.channel - 1);
    if (const int status = session.Command(Pt100CalibrateRequest(inv.calibration, channel), reply);
        status != kExitOk) {
        return status;
    }
    const auto decoded = DecodePt100CalibrateReply(inv.calibration, reply);
    if (const int status = session.Decode(decoded); status != kExitOk) return status;
    nlohmann::ordered_json object = {{"channel", inv.channel}, {"type", inv.calibration}};
    if (decoded->zeroAd) {
        object["zeroAd"] = *decoded->zeroAd;
        if (!output.json) output.out << "电路零位AD值\t" << *decoded->zeroAd << '\n';
    }
    if (decoded->res1Ad) {
        object["res1Ad"] = *decoded->res1Ad;
        if (!output.json) output.out << "电阻1的标定AD值\t" << *decoded->res1Ad << '\n';
    }
    // A resistor-2 calibration answers with no value; "pt100 params" reads the new one.
    if (output.json) output.Json(object);
    return kExitOk;
}

int SetOffset(ModuleSession& session, const Invocation& inv, const CliOutput& output) {
    ReplyBytes reply;
    const auto channel = static_cast<std::uint8_t>(inv.channel - 1);
    if (const int status = session.Command(Pt100SetOffsetRequest(channel, inv.offsetByte), reply);
        status != kExitOk) {
        return status;
    }
    if (const int status = session.Decode(DecodePt100SetOffsetReply(reply)); status != kExitOk) {
        return status;
    }
    if (output.json) {
        output.Json({{"channel", inv.channel},
                     {"offset", OffsetByteToCelsius(inv.offsetByte)},
                     {"offsetByte", inv.offsetByte}});
    }
    return kExitOk;
}

int Temps(ModuleSession& session, const CliOutput& output) {
    ReplyBytes reply;
    if (const int status = session.Command(Pt100TempsRequest(), reply); status != kExitOk) {
        return status;
    }
    const auto decoded = DecodePt100TempsReply(reply);
    if (const int status = session.Decode(decoded); status != kExitOk) return status;
    nlohmann::ordered_json temps = nlohmann::ordered_json::array();
    for (std::size_t i = 0; i < decoded->words.size(); ++i) {
        const std::string text = FormatTempWord(decoded->words[i]);
        if (output.json) {
            temps.push_back(ShownNumber(text));
        } else {
            output.out << "温度" << i + 1 << '\t' << text << '\n';
        }
    }
    if (output.json) output.Json({{"pt100", temps}});
    return kExitOk;
}

}  // namespace

int RunPt100(const Invocation& invocation, const CliOutput& output) {
    ModuleSession session(invocation, output);
    if (const int status = session.Open(TimeoutProfile::Interactive); status != kExitOk) {
        return status;
    }
    switch (invocation.command) {
        case CliCommand::Pt100Params: return Params(session, invocation, output);
        case CliCommand::Pt100Calibrate: return Calibrate(session, invocation, output);
        case CliCommand::Pt100Offset: return SetOffset(session, invocation, output);
        default: return Temps(session, output);
    }
}
