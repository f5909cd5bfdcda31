// The import in a child process on Windows: the program started again as its
// own child ("letterbot-assets import-child MODEL") in a job object that
// limits its committed memory and ends it at the deadline. The outcome comes
// back through a pipe on its standard output; how it ended, from its exit
// code, which for a crash is the exception's code.
#include "import_child.h"

#include "import_child_command.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <vector>
#include <fcntl.h>
#include <io.h>

namespace {

// One argument as the runtime's command-line parser reads it back: in
// quotes, with the backslashes before a quote doubled.
std::string quoted(const std::string& argument) {
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        out += c;
        backslashes = 0;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

std::string exitReason(DWORD code) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08lX", static_cast<unsigned long>(code));
    switch (code) {
    case 3: // what abort() ends a program with
        return "the importer aborted on it";
    case EXCEPTION_ACCESS_VIOLATION:
        return "the importer crashed on it (access violation, " + std::string(hex) + ")";
    case EXCEPTION_STACK_OVERFLOW:
        return "the importer crashed on it (stack overflow, " + std::string(hex) + ")";
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case 0xC0000374: // heap corruption
    case 0xC0000409: // stack buffer overrun, or a fail-fast
        return "the importer crashed on it (exception " + std::string(hex) + ")";
    default:
        return "the importer ended without a result (status " + std::string(hex) + ")";
    }
}

LONG WINAPI endAtOnce(EXCEPTION_POINTERS*) {
    return EXCEPTION_EXECUTE_HANDLER;
}

// The attribute that starts a process inside a job (Windows 10 and later).
#ifndef PROC_THREAD_ATTRIBUTE_JOB_LIST
#define PROC_THREAD_ATTRIBUTE_JOB_LIST 0x0002000D
#endif
struct JobListAttribute {
    std::vector<char> storage;
    LPPROC_THREAD_ATTRIBUTE_LIST list = nullptr;
    HANDLE job = nullptr; // the attribute points here while the list lives
    bool set(HANDLE jobHandle) {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        if (size == 0)
            return false;
        storage.resize(size);
        auto* candidate = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data());
        if (!InitializeProcThreadAttributeList(candidate, 1, 0, &size))
            return false;
        list = candidate;
        job = jobHandle;
        return UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_JOB_LIST, &job, sizeof job,
                                         nullptr, nullptr) != 0;
    }
    ~JobListAttribute() {
        if (list)
            DeleteProcThreadAttributeList(list);
    }
};

// Handles that are closed on every way out.
struct ChildHandles {
    HANDLE job = nullptr, process = nullptr, thread = nullptr, output = nullptr;
    ~ChildHandles() {
        for (HANDLE handle : {thread, process, output, job})
            if (handle)
                CloseHandle(handle);
    }
};

} // namespace

void prepareImportChild() {
    _setmode(_fileno(stdout), _O_BINARY);
    SetUnhandledExceptionFilter(endAtOnce);
}

bool importIsolated(const std::string& path, const ImportLimits& limits, ImportedModel* imported,
                    std::string* reason) {
    char program[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
    if (length == 0 || length >= sizeof program) {
        *reason = "cannot start the importer: the program cannot find itself";
        return false;
    }
    std::string commandLine = quoted(program) + " " + IMPORT_CHILD_COMMAND + " " + quoted(path);

    ChildHandles child;
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE outputEnd = nullptr;
    if (!CreatePipe(&child.output, &outputEnd, &inherited, 1 << 16)) {
        *reason = "cannot start the importer: no pipe";
        return false;
    }
    SetHandleInformation(child.output, HANDLE_FLAG_INHERIT, 0);
    HANDLE nothing =
        CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inherited, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nothing;
    startup.hStdOutput = outputEnd;
    startup.hStdError = nothing;

    // The memory limit, and no dialog or debugger for a crash: the child
    // inherits the error mode, and the job ends it on an unhandled exception.
    child.job = CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION jobLimits = {};
    jobLimits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_PROCESS_MEMORY |
                                                 JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE |
                                                 JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
    jobLimits.ProcessMemoryLimit = SIZE_T(limits.memoryMiB) << 20;
    if (child.job)
        SetInformationJobObject(child.job, JobObjectExtendedLimitInformation, &jobLimits,
                                sizeof jobLimits);
    const UINT errorMode =
        SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    PROCESS_INFORMATION started = {};
    // Started inside the job where the system can, so that a converter killed
    // right after the start leaves no child outside it; else assigned below.
    JobListAttribute inJob;
    BOOL created = FALSE;
    bool assigned = false;
    if (child.job && inJob.set(child.job)) {
        STARTUPINFOEXA extended = {};
        extended.StartupInfo = startup;
        extended.StartupInfo.cb = sizeof extended;
        extended.lpAttributeList = inJob.list;
        created = CreateProcessA(program, &commandLine[0], nullptr, nullptr, TRUE,
                                 CREATE_SUSPENDED | EXTENDED_STARTUPINFO_PRESENT, nullptr, nullptr,
                                 &extended.StartupInfo, &started);
        assigned = created;
    }
    if (!created)
        created = CreateProcessA(program, &commandLine[0], nullptr, nullptr, TRUE, CREATE_SUSPENDED,
                                 nullptr, nullptr, &startup, &started);
    SetErrorMode(errorMode);
    CloseHandle(outputEnd);
    if (nothing != INVALID_HANDLE_VALUE)
        CloseHandle(nothing);
    if (!created) {
        *reason = "cannot start the importer (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    child.process = started.hProcess;
    child.thread = started.hThread;
    // Without the job (a system that cannot nest one) the time limit stays.
    if (child.job && !assigned && !AssignProcessToJobObject(child.job, child.process)) {
        CloseHandle(child.job);
        child.job = nullptr;
    }
    ResumeThread(child.thread);

    const ChildDeadline deadline = deadlineFor(limits);
    ChildRun run;
    char buffer[1 << 16];
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(child.output, nullptr, 0, nullptr, &available, nullptr))
            break; // every byte read, and the child's end closed
        if (available > 0) {
            DWORD got = 0;
            if (!ReadFile(child.output, buffer,
                          available < sizeof buffer ? available : sizeof buffer, &got, nullptr) ||
                !takeChildBytes(&run, buffer, got, limits))
                break;
            continue;
        }
        if (millisecondsLeft(deadline) <= 0) {
            run.timedOut = true;
            break;
        }
        // The job makes the child's allocations fail at the limit, where the
        // system enforces it (Wine does not); the parent watches its commit
        // charge as well.
        PROCESS_MEMORY_COUNTERS memory = {};
        if (GetProcessMemoryInfo(child.process, &memory, sizeof memory) &&
            uint64_t(memory.PagefileUsage) > (limits.memoryMiB << 20)) {
            run.outOfMemory = true;
            break;
        }
        WaitForSingleObject(child.process, 10);
    }
    if (!run.timedOut && !run.tooLarge && !run.outOfMemory) {
        const int64_t left = millisecondsLeft(deadline);
        run.timedOut =
            WaitForSingleObject(child.process, DWORD(left > 0 ? left : 0)) == WAIT_TIMEOUT;
    }
    if (run.timedOut || run.tooLarge || run.outOfMemory) {
        if (child.job)
            TerminateJobObject(child.job, 1);
        else
            TerminateProcess(child.process, 1);
    }
    WaitForSingleObject(child.process, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(child.process, &code);

    bool known = false;
    const bool ok = outcomeOfRun(run, limits, imported, reason, &known);
    if (!known)
        *reason = exitReason(code);
    return ok;
}
