/* Preloaded into the game by desktop_sound.sh's hitch mode: writes the time of every buffer
 * swap (CLOCK_BOOTTIME, as /proc/uptime counts, in seconds) to the file VG_SWAP_LOG names, so
 * the script can find the longest gap between renders. Not part of the game. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

typedef void (*swap_fn)(void*);

void glfwSwapBuffers(void* window) {
  static swap_fn real;
  static int fd = -2;
  if (!real) real = (swap_fn)dlsym(RTLD_NEXT, "glfwSwapBuffers");
  if (fd == -2) {
    const char* path = getenv("VG_SWAP_LOG");
    fd = path ? open(path, O_WRONLY | O_CREAT | O_TRUNC | O_APPEND, 0644) : -1;
  }
  real(window);
  if (fd >= 0) {
    struct timespec t;
    char line[32];
    clock_gettime(CLOCK_BOOTTIME, &t);
    int n = snprintf(line, sizeof line, "%ld.%06ld\n", (long)t.tv_sec, t.tv_nsec / 1000);
    if (write(fd, line, (size_t)n) != n) fd = -1;
  }
}
