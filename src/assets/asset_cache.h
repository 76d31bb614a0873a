#pragma once
// Loaded assets by the text of their name: one entry per name, in the order
// they were added. The cache holds the values; what releasing one means is
// its owner's business (see the texture, sound and mesh caches).
#include <cstdint>
#include <list>
#include <string>
#include <string_view>

namespace dw {

template <typename T>
class AssetCache {
public:
    struct Slot {
        std::string key;
        T value;
    };

    AssetCache() = default;
    AssetCache(const AssetCache&) = delete;
    AssetCache& operator=(const AssetCache&) = delete;

    // The value cached under the name, or null. No name is the empty name.
    T* Find(const char* key) {
        for (Slot& s : slots_) {
            if (s.key == Text(key)) return &s.value;
        }
        return nullptr;
    }
    const T* Find(const char* key) const { return const_cast<AssetCache*>(this)->Find(key); }

    // Adds an entry for a name that is not cached yet (the callers look first);
    // the value stays where it is until it is removed.
    T& Add(const char* key, T value) {
        slots_.push_back(Slot{std::string(Text(key)), std::move(value)});
        return slots_.back().value;
    }

    // Hands `release` the value cached under the name and forgets it; false
    // when the name is not cached.
    template <typename Release>
    bool Remove(const char* key, Release release) {
        for (auto it = slots_.begin(); it != slots_.end(); ++it) {
            if (it->key != Text(key)) continue;
            release(it->value);
            slots_.erase(it);
            return true;
        }
        return false;
    }

    // Hands `release` every value, oldest first, and forgets them all.
    template <typename Release>
    void Clear(Release release) {
        for (Slot& s : slots_) release(s.value);
        slots_.clear();
    }

    std::uint32_t Count() const { return static_cast<std::uint32_t>(slots_.size()); }
    auto begin() const { return slots_.cbegin(); }
    auto end() const { return slots_.cend(); }

private:
    static std::string_view Text(const char* key) { return key ? std::string_view(key) : std::string_view(); }

    std::list<Slot> slots_;
};

}  // namespace dw
