/* A stand-in for rename(), preloaded into letterbot-assets by the converter's
 * test: after the N-th rename (LETTERBOT_RENAME_FAULT_AT) it raises the signal
 * LETTERBOT_RENAME_FAULT_SIGNAL, and it makes every rename take
 * LETTERBOT_RENAME_DELAY_MS first, so that two runs meet in the middle. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <signal.h>
#include <stdlib.h>
#include <time.h>

static int renames;

static int setting(const char* name) {
    const char* value = getenv(name);
    return value ? atoi(value) : 0;
}

int rename(const char* from, const char* to) {
    static int (*real)(const char*, const char*);
    if (!real)
        real = (int (*)(const char*, const char*))dlsym(RTLD_NEXT, "rename");
    const int delay = setting("LETTERBOT_RENAME_DELAY_MS");
    if (delay > 0) {
        const struct timespec pause = {delay / 1000, (long)(delay % 1000) * 1000000L};
        nanosleep(&pause, NULL);
    }
    const int result = real(from, to);
    if (++renames == setting("LETTERBOT_RENAME_FAULT_AT"))
        raise(setting("LETTERBOT_RENAME_FAULT_SIGNAL"));
    return result;
}
