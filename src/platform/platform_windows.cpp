// The Windows side of the platform layer: real message boxes, read-only views
// of the asset files, Ctrl+C and the console's other stop events, and the
// endless main loop.
#include "platform/platform.h"

#include "platform/file_bytes.h"
#include "platform/console_messages.h"

#include <windows.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

namespace {

// What Windows itself reports for a console program stopped by Ctrl+C.
const UINT STATUS_STOPPED_BY_CONSOLE = 0xC000013A;

// No exit handler runs, as with a stop signal's default action on Linux: the
// console calls this on a thread of its own while the main thread may be deep
// inside SDL or GL, and SDL's shutdown from here could wait on that thread.
[[noreturn]] void endNow() {
    TerminateProcess(GetCurrentProcess(), STATUS_STOPPED_BY_CONSOLE);
    for (;;)
        Sleep(INFINITE);
}

BOOL WINAPI endOnConsoleEvent(DWORD) {
    endNow();
}

void endBySignal(int) {
    endNow();
}

// A pipe whose writer has gone reports its end as a broken pipe.
ptrdiff_t readHandle(void* source, uint8_t* buffer, size_t size) {
    const DWORD wanted = size > 0x40000000 ? 0x40000000 : DWORD(size);
    DWORD got = 0;
    if (!ReadFile(*static_cast<HANDLE*>(source), buffer, wanted, &got, nullptr) &&
        GetLastError() != ERROR_BROKEN_PIPE)
        return -1;
    return ptrdiff_t(got);
}

// A view of the whole file, or null.
const uint8_t* mapWhole(HANDLE handle) {
    HANDLE mapping = CreateFileMappingA(handle, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!mapping)
        return nullptr;
    const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    // The view keeps the mapping alive.
    CloseHandle(mapping);
    return static_cast<const uint8_t*>(view);
}

} // namespace

void showMessageBox(MessageBoxOwner owner, const char* caption, const char* text) {
    if (messagesGoToConsole())
        return printMessageLine(caption, text);
    // Whatever the program printed so far is on the console before the box
    // waits for the user.
    std::fflush(stdout);
    const HWND window = owner == MESSAGE_BOX_FOCUS_WINDOW ? GetFocus() : nullptr;
    MessageBoxA(window, text ? text : "", caption ? caption : "", MB_OK);
}

// Windows opens "data\robot.ase" as it is written.
std::string assetPathToLocal(const char* path) {
    return path ? path : "";
}

void preferDirectGLPath() {
    // The window is never resized, so the scaling framebuffer only costs a copy
    // of every frame; a value the user set stays. _putenv changes the C
    // runtime's copy of the environment, which is the one SDL reads.
    if (!std::getenv("SDL12COMPAT_OPENGL_SCALING"))
        _putenv("SDL12COMPAT_OPENGL_SCALING=0");
}

// Large pages on Windows need a privilege that ordinary users lack and memory
// reserved for them from the start; a hint for a block that exists already
// has nothing to ask for.
void preferLargePages(void*, size_t) {}

FileBytesResult readFileBytes(const char* path, FileBytes* file) {
    *file = FileBytes{nullptr, 0, false};
    // Without FILE_FLAG_BACKUP_SEMANTICS a directory does not open.
    HANDLE handle = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return FILE_BYTES_UNOPENABLE;
    BY_HANDLE_FILE_INFORMATION information;
    const bool disk = GetFileType(handle) == FILE_TYPE_DISK;
    if (disk && (!GetFileInformationByHandle(handle, &information) ||
                 (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))) {
        CloseHandle(handle);
        return FILE_BYTES_UNOPENABLE;
    }
    const uint64_t size =
        disk ? uint64_t(information.nFileSizeHigh) << 32 | information.nFileSizeLow : 0;
    // An empty file cannot be mapped; it is read, as nothing.
    const bool mappable = disk && size > 0 && size <= SIZE_MAX;
    if (mappable) {
        if (const uint8_t* view = mapWhole(handle)) {
            CloseHandle(handle);
            *file = FileBytes{view, size_t(size), true};
            return FILE_BYTES_OK;
        }
    }
    const bool read = readToEnd(readHandle, &handle, mappable ? size_t(size) : 0, file);
    CloseHandle(handle);
    return read ? FILE_BYTES_OK : FILE_BYTES_UNREADABLE;
}

void releaseFileBytes(FileBytes* file) {
    if (file->mapped)
        UnmapViewOfFile(file->data);
    else
        std::free(const_cast<uint8_t*>(file->data));
    *file = FileBytes{nullptr, 0, false};
}

void endOnStopRequests() {
    // SDL turns SIGINT and SIGTERM into quit events, which the program drops
    // like the window's close button, but only where it finds the C runtime's
    // default handler; ours goes in first. The runtime raises SIGINT and
    // SIGBREAK for Ctrl+C and Ctrl+Break; closing the console, logging off and
    // shutting down come only to the console handler. Unlike on Linux no signal
    // can have been ignored from the start: a program inherits no C runtime's
    // signal state. What nohup is there, the console's Ctrl+C ignore flag is
    // here, and under it the system calls no handler for Ctrl+C at all.
    for (int signal : {SIGINT, SIGTERM, SIGBREAK})
        std::signal(signal, endBySignal);
    SetConsoleCtrlHandler(endOnConsoleEvent, TRUE);
}

void runMainLoop(void (*pass)()) {
    for (;;)
        pass();
}
