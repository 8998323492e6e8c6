/* Preloaded by bench/frame_cost.sh into each program it measures: counts presented frames
 * (at GLFW's, SDL's or GLUT's swap, whichever the program calls) in a 64-bit counter
 * at the start of the file named by VG_FRAME_COUNT, mapped shared so that the script reads it
 * without the program writing a file every frame. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

static volatile uint64_t* counter;

static void count(void) {
  if (!counter) {
    const char* path = getenv("VG_FRAME_COUNT");
    int fd = path ? open(path, O_RDWR | O_CREAT, 0644) : -1;
    if (fd < 0 || ftruncate(fd, 8) != 0) return;
    void* m = mmap(NULL, 8, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    if (m == MAP_FAILED) return;
    counter = m;
  }
  ++*counter;
}

#define WRAP(name, params, args)                            \
  void name params {                                        \
    static void(*real) params;                              \
    if (!real) real = (void(*) params)dlsym(RTLD_NEXT, #name); \
    count();                                                \
    if (real) real args;                                    \
  }

struct GLFWwindow;
struct SDL_Window;
struct SDL_Renderer;

WRAP(glfwSwapBuffers, (struct GLFWwindow * w), (w))
WRAP(SDL_GL_SwapWindow, (struct SDL_Window * w), (w))
WRAP(SDL_RenderPresent, (struct SDL_Renderer * r), (r))
WRAP(glutSwapBuffers, (void), ())
