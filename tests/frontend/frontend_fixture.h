#pragma once
// The game fixture on the front-end screen, with the user directory (where
// "records.csm" lives) in the fixture's temporary directory.
#include <cstring>
#include <fstream>
#include <string>

#include "../game/game_fixture.h"
#include "platform/input.h"

namespace dw::testing {

class FrontEndFixture : public GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        ctx.currentScreen = Screen::Menu;
    }

    std::string RecordsPath() const { return (dir / "records.csm").string(); }
    std::string ReadRecords() const {
        std::ifstream in(RecordsPath(), std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    void WriteRecords(const std::string& bytes) const {
        std::ofstream out(RecordsPath(), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    // Presses a key for one frame and lets it go the next.
    void Tap(std::uint8_t key) {
        ctx.keys[key] = 0x80;
        Frame();
        ctx.keys[key] = 0;
        Frame();
    }
    void Click() {
        ctx.mouseButtons[0] = 0x80;
        Frame();
        ctx.mouseButtons[0] = 0;
        Frame();
    }
};

}  // namespace dw::testing
