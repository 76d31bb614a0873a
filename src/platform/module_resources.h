#pragma once
// The program's own data resources (the ten level scripts), found by name
// without regard to case. The real module serves the files compiled into the
// executable; a test hands in a map of its own.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace platform {

struct ResourceBytes {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

class ModuleResources {
public:
    virtual ~ModuleResources() = default;
    // The resource of that name, or nullptr when there is none. The bytes
    // stay valid as long as the module lives.
    virtual const ResourceBytes* FindResource(const std::string& name) const = 0;
};

// Upper-cased copy of a resource name (the key under which names compare).
std::string ResourceKey(const std::string& name);

// The resources compiled into the program.
class EmbeddedModuleResources final : public ModuleResources {
public:
    EmbeddedModuleResources();
    const ResourceBytes* FindResource(const std::string& name) const override;

private:
    std::map<std::string, ResourceBytes> table_;
};

// Resources held in memory (tests, tools).
class MapModuleResources final : public ModuleResources {
public:
    void Add(const std::string& name, std::vector<std::uint8_t> bytes);
    void Remove(const std::string& name);
    const ResourceBytes* FindResource(const std::string& name) const override;

private:
    struct Entry {
        std::vector<std::uint8_t> bytes;
        ResourceBytes view;
    };
    std::map<std::string, Entry> table_;
};

// One shared instance of the embedded module.
ModuleResources& EmbeddedModule();

}  // namespace platform
