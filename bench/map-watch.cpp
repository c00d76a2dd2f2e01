// Start-up to a mapped window, as the X server sees it:
//   dustmote-mapwatch COMMAND [ARG...]
// Starts the command and prints the milliseconds until its first ordinary
// top-level window is mapped (override-redirect windows such as tooltips
// and tray embeddings are not counted), then ends the command (SIGTERM) and
// waits for it. Run it with no window manager, so that the program's own
// window is the root's child; exit 1 when nothing was mapped within 30 s.

#include <X11/Xlib.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s COMMAND [ARG...]\n", argv[0]);
        return 2;
    }
    // A server just started (xvfb-run) may not take connections yet.
    Display *display = XOpenDisplay(nullptr);
    for (int tries = 0; !display && tries < 50; ++tries) {
        usleep(100 * 1000);
        display = XOpenDisplay(nullptr);
    }
    if (!display) {
        std::fprintf(stderr, "no X display\n");
        return 2;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    double mappedMs = -1;
    const int fd = ConnectionNumber(display);
    while (mappedMs < 0 && Clock::now() - start < std::chrono::seconds(30)) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && !event.xmap.override_redirect && mappedMs < 0)
                mappedMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        }
        if (mappedMs < 0) {
            pollfd p{fd, POLLIN, 0};
            poll(&p, 1, 100);
        }
    }
    kill(child, SIGTERM);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    XCloseDisplay(display);
    if (mappedMs < 0)
        return 1;
    std::printf("%.1f\n", mappedMs);
    return 0;
}
