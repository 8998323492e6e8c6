/* Preloaded into the real game by scripts/soak: counts the OpenAL buffers and GL textures the
 * program holds, by wrapping their generators and deleters, and writes the two counts to the
 * file named by VG_SOAK_COUNTS after every change. A buffer whose deletion OpenAL refused (it
 * was still attached) stays counted: alIsBuffer says whether it really went. */
#define _GNU_SOURCE
#include <AL/al.h>
#include <GL/gl.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>

static long buffers, textures;

static void write_counts(void) {
  const char* path = getenv("VG_SOAK_COUNTS");
  FILE* f = path ? fopen(path, "w") : NULL;
  if (!f) return;
  fprintf(f, "%ld %ld\n", buffers, textures);
  fclose(f);
}

/* The game loads OpenAL itself, outside the global scope, and looks its entry points up here
 * first; the real ones are then in that loaded copy. */
static void* real(const char* name) {
  void* f = dlsym(RTLD_NEXT, name);
  return f ? f : dlsym(dlopen("libopenal.so.1", RTLD_NOW | RTLD_NOLOAD), name);
}
#define REAL(name) ((__typeof__(&name))real(#name))

void alGenBuffers(ALsizei n, ALuint* names) {
  REAL(alGenBuffers)(n, names);
  buffers += n;
  write_counts();
}

void alDeleteBuffers(ALsizei n, const ALuint* names) {
  REAL(alDeleteBuffers)(n, names);
  for (ALsizei i = 0; i < n; ++i) buffers -= names[i] && !REAL(alIsBuffer)(names[i]);
  write_counts();
}

void glGenTextures(GLsizei n, GLuint* names) {
  REAL(glGenTextures)(n, names);
  textures += n;
  write_counts();
}

void glDeleteTextures(GLsizei n, const GLuint* names) {
  REAL(glDeleteTextures)(n, names);
  for (GLsizei i = 0; i < n; ++i) textures -= names[i] != 0;
  write_counts();
}
