// The program's start-up sequence: the window library, the one host, the signal handlers,
// the collector, global initialisation, the application and the main loop. Kept in a file
// of its own so programs that link the host without vgInit/vgMain (tests) still link.
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "host/glfw2.h"
#include "host/glfw_game.h"
#include "runtime/console.h"
#include "runtime/gc.h"
#include "runtime/startup.h"

int VgTarvikGame::argc = 0;
char** VgTarvikGame::argv = nullptr;

int VgTarvikGame::Main(int argc, char* argv[]) {
  if (!glfw2::glfwInit()) {
    std::fputs("glfwInit failed\n", stdout);
    std::fflush(stdout);
    std::exit(-1);
  }

  VgTarvikGame* game = new VgTarvikGame();

  try {
    VgTarvikGame::argc = argc;
    VgTarvikGame::argv = argv;
    std::signal(SIGSEGV, sighandler);
    std::signal(SIGILL, sighandler);
    std::signal(SIGFPE, sighandler);
    gc_init();
    vgInit();
    gc_mark();
    vgMain();
    if (game->Delegate()) game->Run();
  } catch (ThrowableObject* exception) {
    glfw2::glfwTerminate();
    game->Die(exception);
    return -1;
  }

  glfw2::glfwTerminate();
  return 0;
}
