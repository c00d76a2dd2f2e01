// Start-up to a mapped window, as the X server sees it:
//   dustmote-mapwatch COMMAND [ARG...]
// Starts the command and prints the milliseconds until its first ordinary
// top-level window is mapped (override-redirect windows such as tooltips
// and tray embeddings are not counted), then ends the command (SIGTERM) and
// waits for it. Run it with no window manager, so that the program's own
// window is the root's child; exit 1 when nothing was mapped within 30 s.
// With MAPWATCH_CPU set it prints as well the processor time the command's
// threads had used by then: on a busy machine, what the start-up cost rather
// than how long it waited for a processor.

#include <X11/Xlib.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <poll.h>
#include <sys/wait.h>
#include <string>
#include <unistd.h>

// Processor time of every thread of pid so far, in ms (schedstat's first
// field): what the start-up cost the machine, however busy it is.
static double processorMs(pid_t pid)
{
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR *dir = opendir(tasks.c_str());
    if (!dir)
        return -1;
    double ns = 0;
    while (const dirent *entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        if (FILE *f = std::fopen((tasks + "/" + entry->d_name + "/schedstat").c_str(), "r")) {
            unsigned long long onCpu = 0;
            if (std::fscanf(f, "%llu", &onCpu) == 1)
                ns += double(onCpu);
            std::fclose(f);
        }
    }
    closedir(dir);
    return ns / 1e6;
}

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
    double mappedMs = -1, cpuMs = -1;
    const int fd = ConnectionNumber(display);
    while (mappedMs < 0 && Clock::now() - start < std::chrono::seconds(30)) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && !event.xmap.override_redirect && mappedMs < 0) {
                mappedMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
                cpuMs = processorMs(child);
            }
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
    if (std::getenv("MAPWATCH_CPU"))
        std::printf("%.1f %.1f\n", mappedMs, cpuMs);
    else
        std::printf("%.1f\n", mappedMs);
    return 0;
}
