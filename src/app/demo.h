#pragma once
// Demo files: a recorded session that plays back exactly.
//
// File layout (little endian):
//   "DWDEMO" u16 version
//   u32 seed, u32 mouse setting (thousandths), u32 level id setting,
//   i8 start level (-1: the menu), u16 width, u16 height, u32 clock at start,
//   u8 arsenal given (0/1), u8 laser, u8 plasma, u16 rockets
//   frames, each: u8 flags (never 0xFF), varint step ms, then what the flags
//   announce:
//     kKeys:    varint count (1..256), count x (u8 scan code, u8 down)
//     kMotion:  zigzag varint dx, zigzag varint dy
//     kButtons: u8 bit mask of the four mouse buttons
//     kLost:    the devices reported "input lost" this frame
//   trailer: u8 0xFF, u32 frame count
// Numbers take their shortest form and a frame announces only what is not
// zero, so that a demo has exactly one spelling. A file without its trailer
// (a crashed recording, a cut download) is refused. Files of versions 1 and
// 2 are refused with their reason: they were recorded with the C library's
// random generator, so they would not replay.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/arsenal.h"
#include "platform/input.h"

namespace dw {

inline constexpr char kDemoMagic[6] = {'D', 'W', 'D', 'E', 'M', 'O'};
inline constexpr std::uint16_t kDemoVersion = 3;
// A demo longer than this (about 10 hours at 16 ms) is taken for garbage.
inline constexpr std::uint32_t kDemoMaxFrames = 2'500'000;

struct DemoHeader {
    std::uint32_t seed = 0;
    std::uint32_t mouseSetting = 1000;  // mouse speed x 1000
    std::uint32_t levelIdSetting = 0;   // the level reached (its id; 0: none)
    int startLevel = -1;                // -1: from the menu (one signed byte in the file)
    std::uint16_t width = 800, height = 600;
    std::uint32_t startClock = 1000;
    Arsenal arsenal;  // handed to the ship when it enters the start level
};

struct DemoKeyChange {
    std::uint8_t code;
    std::uint8_t down;
};

struct DemoFrame {
    std::uint32_t stepMs = 16;
    std::int32_t dx = 0, dy = 0;
    std::uint8_t buttons = 0;  // bit i: button i held
    std::uint8_t lost = 0;
    std::uint32_t keyBegin = 0, keyCount = 0;  // into Demo::keyChanges
};

struct Demo {
    DemoHeader header;
    std::vector<DemoFrame> frames;
    std::vector<DemoKeyChange> keyChanges;
};

// The bytes of a demo file.
std::vector<std::uint8_t> EncodeDemo(const Demo& demo);
// Reads a demo from bytes; on any fault (wrong magic, other version,
// truncation, values out of range, bytes after the trailer) returns false
// with a one-line reason in `error`. Never reads outside [data, data+size).
bool DecodeDemo(const std::uint8_t* data, std::size_t size, Demo& out, std::string& error);

bool LoadDemoFile(const std::string& path, Demo& out, std::string& error);
// Writes a new file through a temporary one and a rename: whatever was in
// its place (a link, a FIFO) is replaced, never followed or opened.
bool SaveDemoFile(const std::string& path, const Demo& demo, std::string& error);
bool SaveDemoBytes(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error);

// Records what the game's input objects read: sits between the game and the
// real input devices (SDL in a window, the scripted input headless).
class DemoRecorder final : public platform::InputLayer {
public:
    DemoRecorder(platform::InputDevices* inner, DemoHeader header);

    // Around each frame: the step the clock made before it, then the close.
    // Recording stops at kDemoMaxFrames, the most a demo file may hold (said
    // once on stderr): what was recorded stays a demo the game plays back.
    void BeginFrame(std::uint32_t stepMs);
    void EndFrame();
    // Forgets the frame begun (the pass ran no frame: minimised, inactive).
    void CancelFrame() {
        if (inFrame_) demo_.keyChanges.resize(current_.keyBegin);
        inFrame_ = false;
    }
    bool full() const { return demo_.frames.size() >= kDemoMaxFrames; }

    const Demo& demo() const { return demo_; }
    Demo& demo() { return demo_; }

    class Device;

private:
    friend class Device;
    std::unique_ptr<platform::ForwardingInputDevice> Wrap(platform::InputDevice* inner,
                                                          platform::InputDeviceKind kind) override;
    void OnRead(platform::InputDeviceKind kind, HRESULT hr, const void* data);

    Demo demo_;
    DemoFrame current_;
    std::uint8_t keys_[256] = {};  // the keyboard as last read
    std::uint8_t buttons_ = 0;
    bool inFrame_ = false;
    bool toldFull_ = false;
};

// Feeds a demo into the scripted input, frame by frame.
class DemoPlayer {
public:
    explicit DemoPlayer(const Demo& demo) : demo_(demo) {}
    bool done() const { return next_ >= demo_.frames.size(); }
    std::size_t position() const { return next_; }
    // Sets the input for the next frame and returns the step its clock
    // makes; false when the demo is over.
    bool Feed(platform::ScriptedInput& input, std::uint32_t& stepMs);

private:
    const Demo& demo_;
    std::size_t next_ = 0;
};

}  // namespace dw
