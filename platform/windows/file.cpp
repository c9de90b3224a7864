// Reading a whole module file with the Win32 file functions.

#include <windows.h>

#include <new>

#include "platform/file.h"

static bool readAll(HANDLE file, std::vector<uint8_t>& bytes)
{
    size_t filled = 0;
    while (filled < bytes.size()) {
        size_t left = bytes.size() - filled;
        DWORD asked = left > 0x10000000 ? 0x10000000 : static_cast<DWORD>(left);
        DWORD got = 0;
        if (!ReadFile(file, bytes.data() + filled, asked, &got, nullptr) || got == 0)
            break;
        filled += got;
    }
    // A file that shrank while being read keeps what it had.
    bytes.resize(filled);
    return filled > 0;
}

bool readWholeFile(const char* fileName, int64_t largest, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    // Without backup semantics a folder does not open; a pipe or a device
    // opens, but is not a disk file and is refused before any read.
    HANDLE file = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    bool fits = GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size) && size.QuadPart > 0 &&
                size.QuadPart <= largest;
    bool loaded = false;
    if (fits) {
        try {
            bytes.resize(static_cast<size_t>(size.QuadPart));
            loaded = readAll(file, bytes);
        } catch (const std::bad_alloc&) {
            loaded = false;
        }
    }
    CloseHandle(file);
    return loaded;
}
