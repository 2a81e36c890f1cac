#pragma once
// The main window against the simulated module, with the frames the module received as text.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/console/module_fixture.h"

class ProbeWindowTest : public ModuleWindowTest {
protected:
    // "14 3F 00 …", upper-case hexadecimal.
    static std::string Hex(const std::vector<std::uint8_t>& bytes) {
        std::string text;
        for (const std::uint8_t b : bytes) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%02X ", b);
            text += hex;
        }
        if (!text.empty()) text.pop_back();
        return text;
    }
    std::vector<std::string> Frames() const {
        std::vector<std::string> frames;
        for (const auto& request : sim->Requests()) frames.push_back(Hex(request));
        return frames;
    }
    std::string LastFrame() const {
        const auto frames = Frames();
        return frames.empty() ? std::string() : frames.back();
    }
    // Clicks a command button; the boxes it showed.
    std::vector<std::string> Press(int id) {
        boxes.Clear();
        EXPECT_TRUE(Click(id));
        return boxes.Texts();
    }
};

inline const ProbeSn kTestSn = {0x28, 0xFF, 0x4A, 0x00, 0x01, 0x02, 0x03, 0xC9};
