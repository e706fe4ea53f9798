/* Preloaded into wine for the COM-port check only. A Linux pseudo-terminal has no modem
 * lines: TIOCMGET fails on it with ENOTTY, and wine's WaitCommEvent then fails whenever the
 * event mask watches a line (EV_CTS). Where the real call fails that way on a terminal, this
 * answers with CTS and DSR held asserted, as a cable to a powered device would; every other
 * call, and every other kind of file, goes to the real ioctl untouched. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdarg.h>
#include <sys/ioctl.h>
#include <termios.h>

typedef int (*ioctl_fn)(int, unsigned long, ...);

int ioctl(int fd, unsigned long request, ...) {
    static ioctl_fn real;
    if (!real)
        real = (ioctl_fn)dlsym(RTLD_NEXT, "ioctl");
    va_list args;
    va_start(args, request);
    void* arg = va_arg(args, void*);
    va_end(args);
    const int saved = errno;
    const int result = real(fd, request, arg);
    struct termios t;
    if (result == -1 && errno == ENOTTY && request == TIOCMGET && arg && tcgetattr(fd, &t) == 0) {
        *(int*)arg = TIOCM_CTS | TIOCM_DSR;
        errno = saved;
        return 0;
    }
    return result;
}
