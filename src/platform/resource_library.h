#pragma once
// The resource library seam: a file of named data blocks, opened as a module.
// The real library is a ZIP archive whose entry names are the asset names;
// the in-memory one serves tests. Each call stands for one step that can
// fail on its own: open the library, find a resource, size it, load it,
// lock it, free the library.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/zip_archive.h"

namespace platform {

class LibraryModule {
public:
    virtual ~LibraryModule() = default;
};

struct ResourceHandle {
    std::int32_t index = -1;  // -1: not found
    explicit operator bool() const { return index >= 0; }
};

class ResourceLibrary {
public:
    virtual ~ResourceLibrary() = default;
    // LoadLibrary: null when the file cannot be opened as a library.
    virtual LibraryModule* LoadLibrary(const char* fileName) = 0;
    virtual ResourceHandle FindResource(LibraryModule* module, const char* name) = 0;
    virtual std::uint32_t SizeofResource(LibraryModule* module, ResourceHandle res) = 0;
    // LoadResource + LockResource: the bytes stay valid until FreeLibrary.
    virtual bool LoadResource(LibraryModule* module, ResourceHandle res) = 0;
    virtual const std::uint8_t* LockResource(LibraryModule* module, ResourceHandle res) = 0;
    virtual void FreeLibrary(LibraryModule* module) = 0;
    // The file a name opens, for the log (empty when there is no such file).
    virtual std::string FilePath(const char* /*fileName*/) const { return {}; }
};

// The real library: a ZIP file (platform::ZipArchive), open while the
// library is; each resource is extracted when it is loaded. Relative names are
// looked for in the search directories in order (set by the runner: the
// directory of the executable, the installed data directory); an absolute
// path or a --data override is used as it is.
class ZipResourceLibrary final : public ResourceLibrary {
public:
    ZipResourceLibrary() = default;
    ~ZipResourceLibrary() override;
    void SetOverride(const std::string& path) { override_ = path; }
    void AddSearchDirectory(const std::string& dir) { searchDirs_.push_back(dir); }
    // The path a name resolves to (empty when no file is found).
    std::string Resolve(const char* fileName) const;

    LibraryModule* LoadLibrary(const char* fileName) override;
    ResourceHandle FindResource(LibraryModule* module, const char* name) override;
    std::uint32_t SizeofResource(LibraryModule* module, ResourceHandle res) override;
    bool LoadResource(LibraryModule* module, ResourceHandle res) override;
    const std::uint8_t* LockResource(LibraryModule* module, ResourceHandle res) override;
    void FreeLibrary(LibraryModule* module) override;
    std::string FilePath(const char* fileName) const override { return Resolve(fileName); }

private:
    std::string override_;
    std::vector<std::string> searchDirs_;
};

// Named blocks in memory, for tests: every file name opens the same blocks
// unless `failOpen` is set.
class MemoryResourceLibrary final : public ResourceLibrary {
public:
    std::map<std::string, std::vector<std::uint8_t>> blocks;
    bool failOpen = false;
    int openCount = 0;  // libraries currently open
    int loadCalls = 0;  // LoadLibrary calls so far

    LibraryModule* LoadLibrary(const char* fileName) override;
    ResourceHandle FindResource(LibraryModule* module, const char* name) override;
    std::uint32_t SizeofResource(LibraryModule* module, ResourceHandle res) override;
    bool LoadResource(LibraryModule* module, ResourceHandle res) override;
    const std::uint8_t* LockResource(LibraryModule* module, ResourceHandle res) override;
    void FreeLibrary(LibraryModule* module) override;
};

}  // namespace platform
