/* The floor of bench/frame_cost.sh: what any program pays here for a picture filling its
 * window. Clears, draws one opaque textured quad (256 x 256 image, nearest, no blending) over
 * the window and presents, 60 times a second. Usage: frame_floor W H [full] [blend] [none]:
 * full screen on the primary monitor, the quad blended, or no quad at all. */
#include <GLFW/glfw3.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static double now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}

int main(int argc, char** argv) {
  if (argc < 3 || !glfwInit()) return 1;
  int w = atoi(argv[1]), h = atoi(argv[2]), full = 0, blend = 0, quad = 1;
  for (int i = 3; i < argc; ++i) {
    full |= strcmp(argv[i], "full") == 0;
    blend |= strcmp(argv[i], "blend") == 0;
    if (strcmp(argv[i], "none") == 0) quad = 0;
  }
  GLFWmonitor* monitor = full ? glfwGetPrimaryMonitor() : NULL;
  GLFWwindow* win = glfwCreateWindow(w, h, "Frame floor", monitor, NULL);
  if (!win) return 1;
  glfwMakeContextCurrent(win);
  glfwSwapInterval(0);

  static unsigned char pixels[256 * 256 * 4];
  for (int i = 0; i < 256 * 256; ++i) {
    int x = i % 256, y = i / 256;
    unsigned char* p = &pixels[i * 4];
    p[0] = (unsigned char)(x ^ y), p[1] = (unsigned char)(x * 3);
    p[2] = (unsigned char)(y * 5), p[3] = 255;
  }
  GLuint tex;
  glGenTextures(1, &tex);
  glBindTexture(GL_TEXTURE_2D, tex);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 256, 256, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
  if (blend) glEnable(GL_BLEND), glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);

  double next = now();
  while (!glfwWindowShouldClose(win)) {
    glfwPollEvents();
    double t = now();
    if (t < next) {
      struct timespec d = {0, (long)((next - t) * 1e9)};
      nanosleep(&d, NULL);
      continue;
    }
    next = next + 1 / 60.0 < t ? t : next + 1 / 60.0;
    glfwGetFramebufferSize(win, &w, &h);
    glViewport(0, 0, w, h);
    glClearColor(0, 0, 0.3f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    if (quad) {
      glEnable(GL_TEXTURE_2D);
      glBegin(GL_QUADS);
      glTexCoord2f(0, 0), glVertex2f(-1, 1);
      glTexCoord2f(1, 0), glVertex2f(1, 1);
      glTexCoord2f(1, 1), glVertex2f(1, -1);
      glTexCoord2f(0, 1), glVertex2f(-1, -1);
      glEnd();
      glDisable(GL_TEXTURE_2D);
    }
    glfwSwapBuffers(win);
  }
  glfwTerminate();
  return 0;
}
