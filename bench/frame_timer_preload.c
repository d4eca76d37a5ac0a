/* Preloaded into SDL's testsprite2 by bench_sprites: ends every presented
 * frame with glFinish, as our headless frames are, and records the time
 * between finished frames (frame time) and from the end of one frame to the
 * next present (CPU time before the finish). Writes "frame cpu" lines in
 * milliseconds to the file named by NM_FRAME_TIMER_OUT at exit, and ends
 * the program after NM_FRAME_TIMER_FRAMES frames (testsprite2 runs until
 * closed: its --iterations only limits colour cycling). */
#define _GNU_SOURCE
#include <SDL.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#define MAX_FRAMES 100000

static double frames[MAX_FRAMES];
static double cpus[MAX_FRAMES];
static int count;
static double lastEnd;

static double now(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

void SDL_RenderPresent(SDL_Renderer* renderer) {
    static void (*real)(SDL_Renderer*);
    static void (*finish)(void);
    if (!real) real = (void (*)(SDL_Renderer*))dlsym(RTLD_NEXT, "SDL_RenderPresent");
    if (!finish) finish = (void (*)(void))SDL_GL_GetProcAddress("glFinish");
    double before = now();
    real(renderer);
    if (finish) finish();
    double end = now();
    if (lastEnd > 0 && count < MAX_FRAMES) {
        frames[count] = end - lastEnd;
        cpus[count] = before - lastEnd;
        ++count;
    }
    lastEnd = end;
    static long limit = -1;
    if (limit < 0) {
        const char* env = getenv("NM_FRAME_TIMER_FRAMES");
        limit = env ? atol(env) : 0;
    }
    if (limit > 0 && count >= limit) exit(0);
}

__attribute__((destructor)) static void report(void) {
    const char* path = getenv("NM_FRAME_TIMER_OUT");
    /* Programs that never present (a "timeout" wrapper inheriting the preload) write nothing. */
    if (!path || count == 0) return;
    FILE* f = fopen(path, "w");
    if (!f) return;
    for (int i = 0; i < count; ++i) fprintf(f, "%.4f %.4f\n", frames[i], cpus[i]);
    fclose(f);
}
