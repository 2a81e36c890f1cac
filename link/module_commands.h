#pragma once
// The module's command set as typed calls: for every command a request builder (the payload
// from typed arguments) and a reply decoder (typed fields from the reply as received). A
// decoder reads only the bytes that arrived and gives nothing for a reply too short to hold
// its fields, rather than reading what was never sent.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "link/commands.h"
#include "link/frame.h"
#include "link/sn_text.h"

// A command and its payload, ready for BuildRequest or SendCommand.
struct CommandRequest {
    std::uint8_t command = 0;
    std::array<std::uint8_t, kMaxPayload> payload{};
    int length = 0;

    const std::uint8_t* Data() const { return payload.data(); }
};

// A reply frame as received: byte 0 is the start byte, the data begin at byte 7.
using ReplyBytes = std::span<const std::uint8_t>;
// The bytes of a reply block that arrived; empty for a negative count.
ReplyBytes ReceivedReply(const ReplyBlock& block, int count);

// 1: set the signal count. The module answers with the count it has set.
CommandRequest SetSignalCountRequest(std::uint8_t count);
struct SignalCountReply {
    int reported = 0;
};
std::optional<SignalCountReply> DecodeSignalCountReply(ReplyBytes reply);

// 2: register, at the channel, the probe in the registration socket (semi-automatic).
CommandRequest RegisterChannelRequest(std::uint8_t channel);
enum class ChannelRegistration { Registered, NoValidSn, InvalidChannel };
struct RegisterChannelReply {
    SnBytes sn{};
    ChannelRegistration outcome = ChannelRegistration::Registered;
};
std::optional<RegisterChannelReply> DecodeRegisterChannelReply(ReplyBytes reply);

// 3: the SN stored at a table entry (0 to 64).
CommandRequest ReadSnRequest(std::uint8_t entry);
struct ReadSnReply {
    SnBytes sn{};
};
std::optional<ReadSnReply> DecodeReadSnReply(ReplyBytes reply);

// 4: register an SN at a channel. Only a probe SN (byte 1 0x28) is ever sent: nothing for any
// other. The payload layout on its own serves the registration file's parser.
using RegisterSnPayload = std::array<std::uint8_t, 9>;
RegisterSnPayload RegisterSnPayloadOf(std::uint8_t channel, const SnBytes& sn);
std::optional<CommandRequest> RegisterSnRequest(std::uint8_t channel, const SnBytes& sn);
struct RegisterSnReply {
    std::uint8_t result = 0;  // REGISTER_OK, REGISTER_CHANNEL_TOO_LARGE, REGISTER_SN_INVALID, other
};
std::optional<RegisterSnReply> DecodeRegisterSnReply(ReplyBytes reply);

// 5: search the bus and register the probes found (fully automatic).
CommandRequest SearchProbesRequest();
struct SearchProbesReply {
    int found = 0;
};
std::optional<SearchProbesReply> DecodeSearchProbesReply(ReplyBytes reply);

// 7: the four PT100 temperatures.
CommandRequest Pt100TempsRequest();
struct Pt100TempsReply {
    std::array<std::uint16_t, 4> words{};  // TempWords of inputs 1 to 4
};
std::optional<Pt100TempsReply> DecodePt100TempsReply(ReplyBytes reply);

// 8: one PT100 input's parameters; channel index 0 to 3 (0xFF: none selected).
CommandRequest Pt100ParamsRequest(std::uint8_t channel);
struct Pt100ParamsReply {
    int zeroAd = 0;              // circuit zero AD value
    std::uint8_t offset = 0;     // temperature offset, an OffsetByte
    int res1Ad = 0;              // reference resistor 1 calibration AD value
    int res2Ad = 0;              // reference resistor 2 calibration AD value
};
std::optional<Pt100ParamsReply> DecodePt100ParamsReply(ReplyBytes reply);

// 9: calibrate one PT100 input; type PT100_CAL_ZERO, PT100_CAL_RES1 or PT100_CAL_RES2.
CommandRequest Pt100CalibrateRequest(std::uint8_t type, std::uint8_t channel);
struct Pt100CalibrateReply {
    std::uint8_t type = 0;
    std::optional<int> zeroAd;  // the new circuit zero AD value (PT100_CAL_ZERO)
    std::optional<int> res1Ad;  // the new resistor 1 AD value (PT100_CAL_RES1)
};
// The fields of the type's reply; a resistor-2 reply carries none.
std::optional<Pt100CalibrateReply> DecodePt100CalibrateReply(std::uint8_t type, ReplyBytes reply);

// 10: set one PT100 input's temperature offset (an OffsetByte). Only the reply's arrival counts.
CommandRequest Pt100SetOffsetRequest(std::uint8_t channel, std::uint8_t offset);
struct Pt100SetOffsetReply {};
std::optional<Pt100SetOffsetReply> DecodePt100SetOffsetReply(ReplyBytes reply);

// 11: the temperature block (exchanged by ExchangeTemperatureBlock, which also verifies it).
CommandRequest TemperatureBlockRequest();
struct TemperatureBlockReply {
    std::vector<std::uint16_t> words;  // 4 PT100 inputs, then the probes
};
// The words the block's length field announces, as far as they arrived.
std::optional<TemperatureBlockReply> DecodeTemperatureBlockReply(ReplyBytes reply);
