// KERNEL global memory: fixed and movable blocks with Win32's lock counts and
// results, plus the thread's last-error value.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <unordered_map>

namespace {

// Requests beyond this are refused rather than handed to the allocator, so a
// wild size fails cleanly (also under the sanitizers' allocators).
constexpr SIZE_T kMaxBlock = SIZE_T{1} << 30;

struct Block {
    void *data = nullptr;  // null for a zero-size (discarded) movable block
    SIZE_T size = 0;
    bool movable = false;
    int locks = 0;
};

// Movable blocks are found by their handle (the Block's address); fixed blocks
// by their data pointer, which is their handle.
// The address itself: the C++ library's pointer hash is a call per lookup,
// and the library locks a block for every text it draws.
struct AddressHash {
    size_t operator()(const void *p) const { return reinterpret_cast<uintptr_t>(p); }
};

std::unordered_map<void *, Block *, AddressHash> &blocks() {
    static std::unordered_map<void *, Block *, AddressHash> map;
    return map;
}

thread_local DWORD g_last_error = NO_ERROR;

Block *find(HGLOBAL h) {
    auto it = blocks().find(h);
    return it == blocks().end() ? nullptr : it->second;
}

}  // namespace

extern "C" {

DWORD WINAPI GetLastError(void) { return g_last_error; }
void WINAPI SetLastError(DWORD code) { g_last_error = code; }

HGLOBAL WINAPI GlobalAlloc(UINT uFlags, SIZE_T dwBytes) {
    if (dwBytes > kMaxBlock) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto *b = new Block;
    b->movable = (uFlags & GMEM_MOVEABLE) != 0;
    b->size = dwBytes;
    if (dwBytes > 0 || !b->movable) {
        b->data = (uFlags & GMEM_ZEROINIT) ? std::calloc(dwBytes ? dwBytes : 1, 1) : std::malloc(dwBytes ? dwBytes : 1);
        if (!b->data) {
            delete b;
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
    }
    void *handle = b->movable ? static_cast<void *>(b) : b->data;
    blocks()[handle] = b;
    return handle;
}

LPVOID WINAPI GlobalLock(HGLOBAL hMem) {
    Block *b = find(hMem);
    if (!b) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!b->movable) return b->data;
    if (!b->data) return nullptr;  // discarded (zero-size) block
    ++b->locks;
    return b->data;
}

BOOL WINAPI GlobalUnlock(HGLOBAL hMem) {
    Block *b = find(hMem);
    if (!b) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!b->movable) return TRUE;
    if (b->locks == 0) {
        SetLastError(ERROR_NOT_LOCKED);
        return FALSE;
    }
    --b->locks;
    if (b->locks > 0) return TRUE;
    SetLastError(NO_ERROR);
    return FALSE;
}

HGLOBAL WINAPI GlobalFree(HGLOBAL hMem) {
    Block *b = find(hMem);
    if (!b) {
        SetLastError(ERROR_INVALID_HANDLE);
        return hMem;
    }
    blocks().erase(hMem);
    std::free(b->data);
    delete b;
    return nullptr;
}

SIZE_T WINAPI GlobalSize(HGLOBAL hMem) {
    Block *b = find(hMem);
    return b ? b->size : 0;
}

}  // extern "C"
