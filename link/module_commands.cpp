#include "link/module_commands.h"

namespace {

constexpr std::size_t kData = kFrameHeaderSize;  // the first data byte of a reply

// The reply length that holds `dataBytes` data bytes.
constexpr std::size_t Holding(std::size_t dataBytes) {
    return kData + dataBytes;
}

CommandRequest Request(std::uint8_t command, std::initializer_list<std::uint8_t> payload) {
    CommandRequest request;
    request.command = command;
    for (const std::uint8_t byte : payload) request.payload[request.length++] = byte;
    return request;
}

int Word(ReplyBytes reply, std::size_t high) {
    return reply[high] * 256 + reply[high + 1];
}

SnBytes SnAt(ReplyBytes reply) {
    SnBytes sn{};
    for (std::size_t i = 0; i < sn.size(); ++i) sn[i] = reply[kData + i];
    return sn;
}

bool AllBytes(const SnBytes& sn, std::uint8_t value) {
    for (const std::uint8_t byte : sn) {
        if (byte != value) return false;
    }
    return true;
}

}  // namespace

ReplyBytes ReceivedReply(const ReplyBlock& block, int count) {
    if (count <= 0) return {};
    return ReplyBytes(block.data(), static_cast<std::size_t>(count < kReplyBufferSize ? count : kReplyBufferSize));
}

CommandRequest SetSignalCountRequest(std::uint8_t count) {
    return Request(CMD_SET_SIGNAL_COUNT, {count});
}

std::optional<SignalCountReply> DecodeSignalCountReply(ReplyBytes reply) {
    if (reply.size() < Holding(1)) return std::nullopt;
    return SignalCountReply{reply[kData]};
}

CommandRequest RegisterChannelRequest(std::uint8_t channel) {
    return Request(CMD_REGISTER_CHANNEL, {channel});
}

std::optional<RegisterChannelReply> DecodeRegisterChannelReply(ReplyBytes reply) {
    if (reply.size() < Holding(8)) return std::nullopt;
    RegisterChannelReply decoded;
    decoded.sn = SnAt(reply);
    if (AllBytes(decoded.sn, 0xFF)) {
        decoded.outcome = ChannelRegistration::NoValidSn;
    } else if (AllBytes(decoded.sn, 0x00)) {
        decoded.outcome = ChannelRegistration::InvalidChannel;
    }
    return decoded;
}

CommandRequest ReadSnRequest(std::uint8_t entry) {
    return Request(CMD_READ_SN, {entry});
}

std::optional<ReadSnReply> DecodeReadSnReply(ReplyBytes reply) {
    if (reply.size() < Holding(8)) return std::nullopt;
    return ReadSnReply{SnAt(reply)};
}

RegisterSnPayload RegisterSnPayloadOf(std::uint8_t channel, const SnBytes& sn) {
    RegisterSnPayload payload{};
    payload[0] = channel;
    for (std::size_t i = 0; i < sn.size(); ++i) payload[1 + i] = sn[i];
    return payload;
}

std::optional<CommandRequest> RegisterSnRequest(std::uint8_t channel, const SnBytes& sn) {
    if (sn[0] != kSnFamilyByte) return std::nullopt;
    const RegisterSnPayload payload = RegisterSnPayloadOf(channel, sn);
    CommandRequest request;
    request.command = CMD_REGISTER_SN;
    for (const std::uint8_t byte : payload) request.payload[request.length++] = byte;
    return request;
}

std::optional<RegisterSnReply> DecodeRegisterSnReply(ReplyBytes reply) {
    if (reply.size() < Holding(1)) return std::nullopt;
    return RegisterSnReply{reply[kData]};
}

CommandRequest SearchProbesRequest() {
    return Request(CMD_SEARCH_PROBES, {});
}

std::optional<SearchProbesReply> DecodeSearchProbesReply(ReplyBytes reply) {
    if (reply.size() < Holding(1)) return std::nullopt;
    return SearchProbesReply{reply[kData]};
}

CommandRequest Pt100TempsRequest() {
    return Request(CMD_PT100_READ_TEMPS, {});
}

std::optional<Pt100TempsReply> DecodePt100TempsReply(ReplyBytes reply) {
    if (reply.size() < Holding(8)) return std::nullopt;
    Pt100TempsReply decoded;
    for (std::size_t i = 0; i < decoded.words.size(); ++i) {
        decoded.words[i] = static_cast<std::uint16_t>(Word(reply, kData + 2 * i));
    }
    return decoded;
}

CommandRequest Pt100ParamsRequest(std::uint8_t channel) {
    return Request(CMD_PT100_READ_PARAMS, {channel});
}

std::optional<Pt100ParamsReply> DecodePt100ParamsReply(ReplyBytes reply) {
    // Bytes 9 and 14 carry nothing the console uses.
    if (reply.size() < Holding(7)) return std::nullopt;
    Pt100ParamsReply decoded;
    decoded.zeroAd = reply[kData];
    decoded.offset = reply[kData + 1];
    decoded.res1Ad = Word(reply, kData + 3);
    decoded.res2Ad = Word(reply, kData + 5);
    return decoded;
}

CommandRequest Pt100CalibrateRequest(std::uint8_t type, std::uint8_t channel) {
    return Request(CMD_PT100_CALIBRATE, {type, channel});  // the type first
}

std::optional<Pt100CalibrateReply> DecodePt100CalibrateReply(std::uint8_t type, ReplyBytes reply) {
    Pt100CalibrateReply decoded;
    decoded.type = type;
    if (type == PT100_CAL_ZERO) {
        if (reply.size() < Holding(1)) return std::nullopt;
        decoded.zeroAd = reply[kData];
    } else if (type == PT100_CAL_RES1) {
        if (reply.size() < Holding(2)) return std::nullopt;
        decoded.res1Ad = Word(reply, kData);
    } else if (reply.size() < static_cast<std::size_t>(kFrameOverhead)) {
        return std::nullopt;  // no field, but at least a whole empty frame
    }
    return decoded;
}

CommandRequest Pt100SetOffsetRequest(std::uint8_t channel, std::uint8_t offset) {
    return Request(CMD_PT100_SET_OFFSET, {channel, offset});  // the channel first
}

std::optional<Pt100SetOffsetReply> DecodePt100SetOffsetReply(ReplyBytes reply) {
    if (reply.size() < static_cast<std::size_t>(kFrameOverhead)) return std::nullopt;
    return Pt100SetOffsetReply{};
}

CommandRequest TemperatureBlockRequest() {
    return Request(CMD_READ_TEMPERATURES, {});
}

std::optional<TemperatureBlockReply> DecodeTemperatureBlockReply(ReplyBytes reply) {
    if (reply.size() < kData) return std::nullopt;
    const std::size_t announced = static_cast<std::size_t>(Word(reply, 5)) / 2;
    if (reply.size() < Holding(2 * announced)) return std::nullopt;
    TemperatureBlockReply decoded;
    decoded.words.reserve(announced);
    for (std::size_t i = 0; i < announced; ++i) {
        decoded.words.push_back(static_cast<std::uint16_t>(Word(reply, kData + 2 * i)));
    }
    return decoded;
}
