#include "link/register_result.h"

#include "link/commands.h"

const char* RegisterFailureText(std::uint8_t code) {
    switch (code) {
        case REGISTER_CHANNEL_TOO_LARGE:
            return "通道过大!";
        case REGISTER_SN_INVALID:
            return "SN无效!";
        default:
            return "注册是否成功未知!";
    }
}
