#include "platform/module_resources.h"

#include <cctype>

#include "platform/embedded_resources.h"

namespace platform {

std::string ResourceKey(const std::string& name) {
    std::string key = name;
    for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return key;
}

EmbeddedModuleResources::EmbeddedModuleResources() {
    for (std::size_t i = 0; i < dw::kEmbeddedLevelCount; ++i) {
        const dw::EmbeddedResource& r = dw::kEmbeddedLevels[i];
        if (!r.name) continue;
        table_[ResourceKey(r.name)] = ResourceBytes{r.data, r.size};
    }
}

const ResourceBytes* EmbeddedModuleResources::FindResource(const std::string& name) const {
    auto it = table_.find(ResourceKey(name));
    return it == table_.end() ? nullptr : &it->second;
}

void MapModuleResources::Add(const std::string& name, std::vector<std::uint8_t> bytes) {
    Entry& e = table_[ResourceKey(name)];
    e.bytes = std::move(bytes);
    e.view = ResourceBytes{e.bytes.empty() ? nullptr : e.bytes.data(), e.bytes.size()};
}

void MapModuleResources::Remove(const std::string& name) { table_.erase(ResourceKey(name)); }

const ResourceBytes* MapModuleResources::FindResource(const std::string& name) const {
    auto it = table_.find(ResourceKey(name));
    return it == table_.end() ? nullptr : &it->second.view;
}

ModuleResources& EmbeddedModule() {
    static EmbeddedModuleResources module;
    return module;
}

}  // namespace platform
