/* Watches an X screen from outside the program while a key is pressed: it grabs the whole screen
 * every few milliseconds through shared memory, presses the key with xdotool, and prints every
 * different picture the screen showed until it stayed the same for a while. A frame that is
 * neither the picture before the key nor the one at the end is a frame the audience should not
 * have seen; the share of blank grey in each frame is printed too.
 *
 * framewatch KEY [settle_ms] [max_ms] [grey_rgb_hex]
 *   KEY          what xdotool presses (F11, Escape, ...)
 *   settle_ms    the screen counts as still after this long without a change (default 1500)
 *   max_ms       gives up after this long (default 15000)
 *   grey_rgb_hex the blank colour (default f5f5f5)
 * Output: one line per frame, then a summary line starting with "press:". Built by
 * bench/win/f11.sh with the host compiler (cc framewatch.c -lX11 -lXext). */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

enum { kMaxFrames = 48 };

static double now_ms(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

static uint64_t hash_pixels(const uint32_t* p, size_t n) {
    uint64_t h = 1469598103934665603ull;
    for (size_t i = 0; i < n; i++) h = (h ^ (p[i] & 0xFFFFFFu)) * 1099511628211ull;
    return h;
}

struct frame {
    double at;  /* ms after the key was sent */
    uint64_t hash;
    uint32_t* pixels;
};

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: framewatch KEY [settle_ms] [max_ms] [grey_rgb_hex]\n");
        return 2;
    }
    const char* key = argv[1];
    const double settle = argc > 2 ? atof(argv[2]) : 1500;
    const double max_ms = argc > 3 ? atof(argv[3]) : 15000;
    const uint32_t grey = argc > 4 ? (uint32_t)strtoul(argv[4], NULL, 16) : 0xF5F5F5u;

    Display* d = XOpenDisplay(NULL);
    if (d == NULL || !XShmQueryExtension(d)) {
        fprintf(stderr, "framewatch: no display with shared memory images\n");
        return 1;
    }
    const int screen = DefaultScreen(d);
    const Window root = RootWindow(d, screen);
    const int w = DisplayWidth(d, screen), h = DisplayHeight(d, screen);
    XShmSegmentInfo shm;
    XImage* img = XShmCreateImage(d, DefaultVisual(d, screen), DefaultDepth(d, screen), ZPixmap,
                                  NULL, &shm, w, h);
    if (img == NULL || img->bits_per_pixel != 32) {
        fprintf(stderr, "framewatch: needs a 24-bit screen\n");
        return 1;
    }
    shm.shmid = shmget(IPC_PRIVATE, (size_t)img->bytes_per_line * h, IPC_CREAT | 0600);
    shm.shmaddr = img->data = shmat(shm.shmid, NULL, 0);
    shm.readOnly = False;
    XShmAttach(d, &shm);
    shmctl(shm.shmid, IPC_RMID, NULL);
    const size_t n = (size_t)w * h;
    const uint32_t* px = (const uint32_t*)img->data;

    struct frame frames[kMaxFrames];
    int count = 0, dropped = 0;
    /* At most about 400 MB of frames: a dozen of a 4K screen. */
    int maxFrames = (int)(400.0 * 1024 * 1024 / ((double)n * 4));
    if (maxFrames > kMaxFrames) maxFrames = kMaxFrames;
    if (maxFrames < 3) maxFrames = 3;
    XShmGetImage(d, root, img, 0, 0, AllPlanes);
    frames[count].at = 0;
    frames[count].hash = hash_pixels(px, n);
    frames[count].pixels = malloc(n * 4);
    memcpy(frames[count].pixels, px, n * 4);
    count++;

    const double t0 = now_ms();
    const pid_t child = fork();
    if (child == 0) {
        execlp("xdotool", "xdotool", "key", key, (char*)NULL);
        _exit(127);
    }
    double last_change = t0, now = t0;
    long grabs = 0;
    double worst_gap = 0, prev_grab = t0;
    while ((now = now_ms()) - last_change < settle && now - t0 < max_ms) {
        XShmGetImage(d, root, img, 0, 0, AllPlanes);
        now = now_ms();
        grabs++;
        if (now - prev_grab > worst_gap) worst_gap = now - prev_grab;
        prev_grab = now;
        const uint64_t hsh = hash_pixels(px, n);
        if (hsh == frames[count - 1].hash) {
            usleep(1000);
            continue;
        }
        last_change = now;
        if (count == maxFrames) {
            dropped++;
            count--;
            free(frames[count].pixels);
        }
        frames[count].at = now - t0;
        frames[count].hash = hsh;
        frames[count].pixels = malloc(n * 4);
        memcpy(frames[count].pixels, px, n * 4);
        count++;
    }
    waitpid(child, NULL, 0);

    /* Every frame against the last one: how many pixels still differ, and how many are grey. */
    const uint32_t* last = frames[count - 1].pixels;
    int unwanted = 0, blank = 0;
    for (int f = 0; f < count; f++) {
        size_t greys = 0, differ = 0;
        for (size_t i = 0; i < n; i++) {
            const uint32_t p = frames[f].pixels[i] & 0xFFFFFFu;
            greys += p == grey;
            differ += p != (last[i] & 0xFFFFFFu);
        }
        const double greyShare = 100.0 * greys / n;
        const int between = f > 0 && f < count - 1;
        unwanted += between;
        /* A frame mostly of the blank colour that the end does not show as much of. */
        size_t lastGreys = 0;
        for (size_t i = 0; i < n; i++) lastGreys += (last[i] & 0xFFFFFFu) == grey;
        const int isBlank = between && greys > lastGreys + n / 20;
        blank += isBlank;
        printf("  frame %2d at %8.1f ms: %5.1f %% grey, %8zu pixels unlike the end%s\n", f,
               frames[f].at, greyShare, differ,
               f == 0 ? "  (before the key)"
                      : f == count - 1 ? "  (the end)" : isBlank ? "  BLANK" : "  PARTIAL");
    }
    printf("press: %s, %dx%d, last change %.1f ms after the key, %d frame(s) between the first "
           "and the last (%d blank), %ld grabs, longest gap between grabs %.1f ms%s\n",
           key, w, h, count > 1 ? frames[count - 1].at : 0.0, unwanted, blank, grabs, worst_gap,
           dropped ? " (frames dropped)" : "");
    /* FRAMEWATCH_SAVE=DIR keeps every frame as DIR/frame-N.ppm, to look at. */
    const char* save = getenv("FRAMEWATCH_SAVE");
    for (int f = 0; save != NULL && f < count; f++) {
        char path[4096];
        snprintf(path, sizeof path, "%s/frame-%d.ppm", save, f);
        FILE* out = fopen(path, "wb");
        if (out == NULL) continue;
        fprintf(out, "P6\n%d %d\n255\n", w, h);
        for (size_t i = 0; i < n; i++) {
            const uint32_t p = frames[f].pixels[i];
            const unsigned char rgb[3] = {(unsigned char)(p >> 16), (unsigned char)(p >> 8),
                                          (unsigned char)p};
            fwrite(rgb, 1, 3, out);
        }
        fclose(out);
    }
    for (int f = 0; f < count; f++) free(frames[f].pixels);
    XShmDetach(d, &shm);
    shmdt(shm.shmaddr);
    XCloseDisplay(d);
    return 0;
}
