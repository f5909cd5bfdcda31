/* Stand-ins for rename() and fsync(), preloaded into letterbot-assets by the
 * converter's test. After the N-th rename (LETTERBOT_RENAME_FAULT_AT) or the
 * N-th fsync (LETTERBOT_FSYNC_FAULT_AT, each temporary file being flushed once
 * it is written) it raises the signal LETTERBOT_FAULT_SIGNAL; every rename
 * first takes LETTERBOT_RENAME_DELAY_MS, so that two runs meet in the middle. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <signal.h>
#include <stdlib.h>
#include <time.h>

static int setting(const char* name) {
    const char* value = getenv(name);
    return value ? atoi(value) : 0;
}

static void faultAfter(int* calls, const char* setting_name) {
    if (++*calls == setting(setting_name))
        raise(setting("LETTERBOT_FAULT_SIGNAL"));
}

int rename(const char* from, const char* to) {
    static int (*real)(const char*, const char*);
    static int calls;
    if (!real)
        real = (int (*)(const char*, const char*))dlsym(RTLD_NEXT, "rename");
    const int delay = setting("LETTERBOT_RENAME_DELAY_MS");
    if (delay > 0) {
        const struct timespec pause = {delay / 1000, (long)(delay % 1000) * 1000000L};
        nanosleep(&pause, NULL);
    }
    const int result = real(from, to);
    faultAfter(&calls, "LETTERBOT_RENAME_FAULT_AT");
    return result;
}

int fsync(int fd) {
    static int (*real)(int);
    static int calls;
    if (!real)
        real = (int (*)(int))dlsym(RTLD_NEXT, "fsync");
    const int result = real(fd);
    faultAfter(&calls, "LETTERBOT_FSYNC_FAULT_AT");
    return result;
}
