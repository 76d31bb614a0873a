#include "app/demo.h"

#include <cstdio>
#include <cstring>

#include "platform/stored_file.h"

namespace dw {

namespace {

enum FrameFlags : std::uint8_t { kKeys = 1, kMotion = 2, kButtons = 4, kLost = 8, kKnownFlags = 15 };
constexpr std::uint8_t kTrailer = 0xFF;

class Writer {
public:
    void U8(std::uint8_t v) { bytes.push_back(v); }
    void U16(std::uint16_t v) {
        U8(static_cast<std::uint8_t>(v));
        U8(static_cast<std::uint8_t>(v >> 8));
    }
    void U32(std::uint32_t v) {
        U16(static_cast<std::uint16_t>(v));
        U16(static_cast<std::uint16_t>(v >> 16));
    }
    void Var(std::uint32_t v) {
        while (v >= 0x80) {
            U8(static_cast<std::uint8_t>(v | 0x80));
            v >>= 7;
        }
        U8(static_cast<std::uint8_t>(v));
    }
    void ZigZag(std::int32_t v) { Var((static_cast<std::uint32_t>(v) << 1) ^ static_cast<std::uint32_t>(v >> 31)); }
    std::vector<std::uint8_t> bytes;
};

class Reader {
public:
    Reader(const std::uint8_t* d, std::size_t n) : data_(d), size_(n) {}
    bool U8(std::uint8_t& v) {
        if (pos_ >= size_) return false;
        v = data_[pos_++];
        return true;
    }
    bool U16(std::uint16_t& v) {
        std::uint8_t a, b;
        if (!U8(a) || !U8(b)) return false;
        v = static_cast<std::uint16_t>(a | (b << 8));
        return true;
    }
    bool U32(std::uint32_t& v) {
        std::uint16_t a, b;
        if (!U16(a) || !U16(b)) return false;
        v = static_cast<std::uint32_t>(a) | (static_cast<std::uint32_t>(b) << 16);
        return true;
    }
    // At most five bytes; the fifth may carry only the top four bits.
    bool Var(std::uint32_t& v) {
        v = 0;
        for (int i = 0; i < 5; ++i) {
            std::uint8_t b;
            if (!U8(b)) return false;
            if (i == 4 && (b & 0xF0)) return false;
            if (i > 0 && b == 0) return false;  // only the shortest form is valid
            v |= static_cast<std::uint32_t>(b & 0x7F) << (7 * i);
            if (!(b & 0x80)) return true;
        }
        return false;
    }
    bool ZigZag(std::int32_t& v) {
        std::uint32_t u;
        if (!Var(u)) return false;
        v = static_cast<std::int32_t>((u >> 1) ^ (0u - (u & 1)));
        return true;
    }
    bool Bytes(void* out, std::size_t n) {
        if (size_ - pos_ < n) return false;
        std::memcpy(out, data_ + pos_, n);
        pos_ += n;
        return true;
    }
    std::size_t remaining() const { return size_ - pos_; }
    std::size_t position() const { return pos_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

bool Fail(std::string& error, const std::string& text) {
    error = text;
    return false;
}

}  // namespace

std::vector<std::uint8_t> EncodeDemo(const Demo& demo) {
    Writer w;
    for (char c : kDemoMagic) w.U8(static_cast<std::uint8_t>(c));
    w.U16(kDemoVersion);
    const DemoHeader& h = demo.header;
    w.U32(h.seed);
    w.U32(h.mouseSetting);
    w.U32(h.levelIdSetting);
    w.U8(static_cast<std::uint8_t>(h.startLevel));
    w.U16(h.width);
    w.U16(h.height);
    w.U32(h.startClock);
    w.U8(h.arsenal.given ? 1 : 0);
    w.U8(h.arsenal.laser);
    w.U8(h.arsenal.plasma);
    w.U16(h.arsenal.rockets);
    for (const DemoFrame& f : demo.frames) {
        std::uint8_t flags = 0;
        if (f.keyCount) flags |= kKeys;
        if (f.dx || f.dy) flags |= kMotion;
        if (f.buttons) flags |= kButtons;
        if (f.lost) flags |= kLost;
        w.U8(flags);
        w.Var(f.stepMs);
        if (flags & kKeys) {
            w.Var(f.keyCount);
            for (std::uint32_t i = 0; i < f.keyCount; ++i) {
                const DemoKeyChange& k = demo.keyChanges[f.keyBegin + i];
                w.U8(k.code);
                w.U8(k.down ? 1 : 0);
            }
        }
        if (flags & kMotion) {
            w.ZigZag(f.dx);
            w.ZigZag(f.dy);
        }
        if (flags & kButtons) w.U8(f.buttons);
    }
    w.U8(kTrailer);
    w.U32(static_cast<std::uint32_t>(demo.frames.size()));
    return std::move(w.bytes);
}

namespace {

bool DecodeVersion(Reader& r, std::string& error) {
    char magic[6];
    if (!r.Bytes(magic, sizeof magic) || std::memcmp(magic, kDemoMagic, sizeof magic) != 0)
        return Fail(error, "not a demo file (no DWDEMO mark)");
    std::uint16_t version = 0;
    if (!r.U16(version)) return Fail(error, "demo file cut short in its header");
    if (version == 1 || version == 2)
        return Fail(error,
                    "demo file of version " + std::to_string(version) +
                        ", recorded before the game had its own random generator: it cannot replay"
                        " (record it again)");
    if (version != kDemoVersion)
        return Fail(error,
                    "demo file of version " + std::to_string(version) + ", this program reads version " +
                        std::to_string(kDemoVersion));
    return true;
}

bool DecodeArsenal(Reader& r, Arsenal& a, std::string& error) {
    std::uint8_t given = 0;
    if (!r.U8(given) || !r.U8(a.laser) || !r.U8(a.plasma) || !r.U16(a.rockets))
        return Fail(error, "demo file cut short in its header");
    if (given > 1 || a.laser > 3 || a.plasma > 2 || a.rockets > 999)
        return Fail(error, "demo file damaged: its arsenal is out of range");
    a.given = given == 1;
    if (!a.given && (a.laser || a.plasma || a.rockets))
        return Fail(error, "demo file damaged: weapons without an arsenal");
    return true;
}

bool DecodeHeader(Reader& r, DemoHeader& h, std::string& error) {
    std::uint8_t level = 0;
    if (!r.U32(h.seed) || !r.U32(h.mouseSetting) || !r.U32(h.levelIdSetting) || !r.U8(level) || !r.U16(h.width) ||
        !r.U16(h.height) || !r.U32(h.startClock))
        return Fail(error, "demo file cut short in its header");
    if (!DecodeArsenal(r, h.arsenal, error)) return false;
    h.startLevel = level < 0x80 ? level : level - 0x100;  // the byte is signed
    if (h.arsenal.given && h.startLevel < 0) return Fail(error, "demo file gives an arsenal without a start level");
    if (h.startLevel < -1 || h.startLevel > 9)
        return Fail(error, "demo file names level " + std::to_string(h.startLevel) + " (0 to 9, or -1 for the menu)");
    if (h.width < 100 || h.height < 100) return Fail(error, "demo file has a window size below 100");
    return true;
}

// The end mark: the frame count it repeats must match, and nothing may follow it.
bool DecodeTrailer(Reader& r, const Demo& out, std::string& error) {
    std::uint32_t count = 0;
    if (!r.U32(count)) return Fail(error, "demo file cut short in its end mark");
    if (count != out.frames.size())
        return Fail(error,
                    "demo file damaged: " + std::to_string(out.frames.size()) + " frames where the end mark says " +
                        std::to_string(count));
    if (r.remaining() != 0) return Fail(error, "demo file has bytes after its end mark");
    return true;
}

bool DecodeKeys(Reader& r, DemoFrame& f, Demo& out, const std::string& frameName, std::string& error) {
    std::uint32_t n = 0;
    if (!r.Var(n)) return Fail(error, "demo file cut short in " + frameName);
    if (n == 0 || n > 256) return Fail(error, "demo file damaged: key count in " + frameName);
    if (r.remaining() < 2u * n) return Fail(error, "demo file cut short in " + frameName);
    f.keyBegin = static_cast<std::uint32_t>(out.keyChanges.size());
    f.keyCount = n;
    for (std::uint32_t i = 0; i < n; ++i) {
        DemoKeyChange k{};
        r.U8(k.code);
        r.U8(k.down);
        if (k.down > 1) return Fail(error, "demo file damaged: key state in " + frameName);
        out.keyChanges.push_back(k);
    }
    return true;
}

// One frame after its flags byte; its key changes go to out.keyChanges.
bool DecodeFrame(Reader& r, std::uint8_t flags, DemoFrame& f, Demo& out, std::string& error) {
    const std::string frameName = "frame " + std::to_string(out.frames.size());
    if (flags & ~kKnownFlags) return Fail(error, "demo file damaged: unknown flags in " + frameName);
    if (!r.Var(f.stepMs)) return Fail(error, "demo file cut short in " + frameName);
    if (f.stepMs == 0 || f.stepMs > 60000)
        return Fail(error, "demo file damaged: " + frameName + " steps " + std::to_string(f.stepMs) + " ms");
    if ((flags & kKeys) && !DecodeKeys(r, f, out, frameName, error)) return false;
    if ((flags & kMotion) && !(r.ZigZag(f.dx) && r.ZigZag(f.dy)))
        return Fail(error, "demo file cut short in " + frameName);
    if ((flags & kMotion) && f.dx == 0 && f.dy == 0)
        return Fail(error, "demo file damaged: empty motion in " + frameName);
    if (flags & kButtons) {
        if (!r.U8(f.buttons)) return Fail(error, "demo file cut short in " + frameName);
        if (f.buttons == 0 || (f.buttons & 0xF0)) return Fail(error, "demo file damaged: buttons in " + frameName);
    }
    f.lost = (flags & kLost) ? 1 : 0;
    return true;
}

}  // namespace

bool DecodeDemo(const std::uint8_t* data, std::size_t size, Demo& out, std::string& error) {
    out = Demo{};
    if (!data && size) return Fail(error, "no data");
    Reader r(data, size);
    if (!DecodeVersion(r, error) || !DecodeHeader(r, out.header, error)) return false;
    for (;;) {
        std::uint8_t flags = 0;
        if (!r.U8(flags)) return Fail(error, "demo file cut short (no end mark)");
        if (flags == kTrailer) return DecodeTrailer(r, out, error);
        DemoFrame f;
        if (!DecodeFrame(r, flags, f, out, error)) return false;
        if (out.frames.size() >= kDemoMaxFrames) return Fail(error, "demo file has too many frames");
        out.frames.push_back(f);
    }
}

bool LoadDemoFile(const std::string& path, Demo& out, std::string& error) {
    bool notRegular = false;
    std::FILE* f = platform::OpenRegularFile(path, "rb", &notRegular);
    if (!f && notRegular) return Fail(error, "the demo file " + path + " is not a regular file");
    if (!f) return Fail(error, "cannot open the demo file " + path);
    std::vector<std::uint8_t> bytes;
    std::uint8_t buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
        bytes.insert(bytes.end(), buf, buf + n);
        if (bytes.size() > 256u * 1024 * 1024) {
            std::fclose(f);
            return Fail(error, "demo file " + path + " is too large");
        }
    }
    const bool readError = std::ferror(f) != 0;
    std::fclose(f);
    if (readError) return Fail(error, "cannot read the demo file " + path);
    if (!DecodeDemo(bytes.data(), bytes.size(), out, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

bool SaveDemoFile(const std::string& path, const Demo& demo, std::string& error) {
    return SaveDemoBytes(path, EncodeDemo(demo), error);
}

bool SaveDemoBytes(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error) {
    if (platform::KindOfPath(path) == platform::PathKind::Other)
        return Fail(error, "the demo file " + path + " is not a regular file");
    const std::string text(bytes.begin(), bytes.end());
    if (platform::ReplaceFile(path, text) != platform::StoreResult::Written)
        return Fail(error, "cannot write the demo file " + path);
    return true;
}

// --- recording --------------------------------------------------------------

class DemoRecorder::Device final : public platform::ForwardingInputDevice {
public:
    Device(DemoRecorder* owner, platform::InputDevice* inner, platform::InputDeviceKind kind)
        : ForwardingInputDevice(inner), owner_(owner), kind_(kind) {}
    HRESULT GetDeviceState(DWORD size, void* data) override {
        const HRESULT hr = inner_->GetDeviceState(size, data);
        const DWORD want = kind_ == platform::InputDeviceKind::Keyboard ? 256 : sizeof(DIMOUSESTATE);
        if (size == want) owner_->OnRead(kind_, hr, data);
        return hr;
    }

private:
    DemoRecorder* owner_;
    platform::InputDeviceKind kind_;
};

DemoRecorder::DemoRecorder(platform::InputDevices* inner, DemoHeader header) : InputLayer(inner) {
    demo_.header = header;
}

std::unique_ptr<platform::ForwardingInputDevice> DemoRecorder::Wrap(platform::InputDevice* inner,
                                                                    platform::InputDeviceKind kind) {
    return std::make_unique<Device>(this, inner, kind);
}

void DemoRecorder::BeginFrame(std::uint32_t stepMs) {
    if (full()) {
        if (!toldFull_)
            std::fprintf(stderr,
                         "duskwhirl: the recording holds the most a demo may (%u frames): the rest is not recorded\n",
                         kDemoMaxFrames);
        toldFull_ = true;
        inFrame_ = false;
        return;
    }
    current_ = DemoFrame{};
    current_.stepMs = stepMs == 0 ? 1 : stepMs;
    current_.buttons = buttons_;
    current_.keyBegin = static_cast<std::uint32_t>(demo_.keyChanges.size());
    inFrame_ = true;
}

void DemoRecorder::EndFrame() {
    if (!inFrame_) return;
    current_.keyCount = static_cast<std::uint32_t>(demo_.keyChanges.size()) - current_.keyBegin;
    demo_.frames.push_back(current_);
    inFrame_ = false;
}

void DemoRecorder::OnRead(platform::InputDeviceKind kind, HRESULT hr, const void* data) {
    if (!inFrame_) return;  // reads outside frames (start-up) are not the game's
    if (FAILED(hr)) {
        if (hr == DIERR_INPUTLOST) current_.lost = 1;
        return;
    }
    if (kind == platform::InputDeviceKind::Keyboard) {
        const auto* state = static_cast<const std::uint8_t*>(data);
        for (int k = 0; k < 256; ++k) {
            const std::uint8_t down = (state[k] & 0x80) ? 0x80 : 0;
            if (down != keys_[k]) {
                keys_[k] = down;
                demo_.keyChanges.push_back({static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(down ? 1 : 0)});
            }
        }
        return;
    }
    DIMOUSESTATE m;
    std::memcpy(&m, data, sizeof m);
    current_.dx += m.lX;
    current_.dy += m.lY;
    std::uint8_t b = 0;
    for (int i = 0; i < 4; ++i)
        if (m.rgbButtons[i] & 0x80) b |= static_cast<std::uint8_t>(1u << i);
    buttons_ = b;
    current_.buttons = b;
}

// --- playback ---------------------------------------------------------------

bool DemoPlayer::Feed(platform::ScriptedInput& input, std::uint32_t& stepMs) {
    if (done()) return false;
    const DemoFrame& f = demo_.frames[next_++];
    for (std::uint32_t i = 0; i < f.keyCount; ++i) {
        const DemoKeyChange& k = demo_.keyChanges[f.keyBegin + i];
        input.keys[k.code] = k.down ? 0x80 : 0;
    }
    input.mouseX = f.dx;
    input.mouseY = f.dy;
    input.wheel = 0;
    for (int i = 0; i < 4; ++i) input.buttons[i] = (f.buttons >> i) & 1 ? 0x80 : 0;
    if ((f.lost != 0) != input.lost) input.SetLost(f.lost != 0);
    stepMs = f.stepMs;
    return true;
}

}  // namespace dw
