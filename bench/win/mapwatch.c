/* Host-side watcher of the start-up bench: starts a command and reports when the X server maps
   its first top-level window whose title contains CAPTION.
   Usage: mapwatch TIMEOUT_MS CAPTION LOG COMMAND [ARG...]
   Prints "MS XID PID CHILD": milliseconds from just before the command was started to the
   MapNotify event, the X window, its _NET_WM_PID (the Windows process under Wine) and the pid of
   the started command; exits 1 after TIMEOUT_MS without such a window. The command keeps running.
   Without a window manager every Wine top-level window is a child of the root window, so the
   root's SubstructureNotify events tell the moment it becomes visible, without polling. */
#define _POSIX_C_SOURCE 200809L
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static double NowMs(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

static unsigned char* Property(Display* d, Window w, Atom name, Atom type, unsigned long* n) {
    Atom got;
    int format;
    unsigned long after;
    unsigned char* data = NULL;
    *n = 0;
    if (XGetWindowProperty(d, w, name, 0, 1024, False, type, &got, &format, n, &after, &data) !=
            Success ||
        data == NULL || got != type) {
        if (data) XFree(data);
        *n = 0;
        return NULL;
    }
    return data;
}

static int IgnoreErrors(Display* d, XErrorEvent* e) {
    (void)d;
    (void)e;
    return 0; /* a window may be gone before we read its properties */
}

int main(int argc, char** argv) {
    if (argc < 5) {
        fprintf(stderr, "usage: mapwatch TIMEOUT_MS CAPTION LOG COMMAND [ARG...]\n");
        return 2;
    }
    const double timeout = atof(argv[1]);
    const char* caption = argv[2];
    Display* d = XOpenDisplay(NULL);
    if (d == NULL) {
        fprintf(stderr, "mapwatch: no X display\n");
        return 2;
    }
    XSetErrorHandler(IgnoreErrors);
    const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    const Atom netName = XInternAtom(d, "_NET_WM_NAME", False);
    const Atom netPid = XInternAtom(d, "_NET_WM_PID", False);
    XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
    XSync(d, False);

    const double t0 = NowMs();
    const pid_t child = fork();
    if (child == 0) {
        const int in = open("/dev/null", O_RDONLY);
        const int out = open(argv[3], O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(in, 0);
        dup2(out, 1);
        dup2(out, 2);
        setsid();
        execvp(argv[4], argv + 4);
        _exit(127);
    }
    struct pollfd pfd = {ConnectionNumber(d), POLLIN, 0};
    for (;;) {
        while (XPending(d)) {
            XEvent e;
            XNextEvent(d, &e);
            if (e.type != MapNotify) continue;
            const double seen = NowMs();
            const Window w = e.xmap.window;
            unsigned long n;
            char* title = (char*)Property(d, w, netName, utf8, &n);
            if (title == NULL) title = (char*)Property(d, w, XA_WM_NAME, XA_STRING, &n);
            const int match = title != NULL && strstr(title, caption) != NULL;
            if (title) XFree(title);
            if (!match) continue;
            long pid = 0;
            unsigned long* p = (unsigned long*)Property(d, w, netPid, XA_CARDINAL, &n);
            if (p != NULL) {
                if (n > 0) pid = (long)p[0];
                XFree(p);
            }
            printf("%.1f 0x%lx %ld %ld\n", seen - t0, (unsigned long)w, pid, (long)child);
            return 0;
        }
        const double left = timeout - (NowMs() - t0);
        if (left <= 0) break;
        poll(&pfd, 1, (int)left + 1);
    }
    printf("timeout 0 0 %ld\n", (long)child);
    return 1;
}
