#include <new>
#include <vector>

#include "d3dx/d3dx_mesh.h"

namespace {

// The plain byte buffer that meshes hand out (a vertex remap, say).

class Buffer final : public ID3DXBuffer {
public:
    explicit Buffer(DWORD size) : data_(size) {}
    DWORD AddRef() override { return ++refs_; }
    DWORD Release() override {
        const DWORD left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    void* GetBufferPointer() override { return data_.empty() ? nullptr : data_.data(); }
    DWORD GetBufferSize() override { return static_cast<DWORD>(data_.size()); }

private:
    DWORD refs_ = 1;
    std::vector<unsigned char> data_;
};

}  // namespace

HRESULT D3DXCreateBuffer(DWORD numBytes, ID3DXBuffer** bufferOut) {
    if (!bufferOut) return D3DERR_INVALIDCALL;
    *bufferOut = new (std::nothrow) Buffer(numBytes);
    return *bufferOut ? S_OK : E_FAIL;
}
