// The program's start-up sequence: the command line and the data folder checked, then the
// window library, the one host, the signal handlers, the collector, global initialisation,
// the application and the main loop. Kept in a file of its own so programs that link the host
// without vgInit/vgMain (tests) still link.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/glfw2.h"
#include "host/glfw_game.h"
#include "host/platform.h"
#include "runtime/fatal.h"
#include "runtime/gc.h"
#include "runtime/startup.h"

#ifndef VANTORELL_VERSION
#define VANTORELL_VERSION "unknown"
#endif

int VgTarvikGame::argc = 0;
char** VgTarvikGame::argv = nullptr;

namespace {

const char kUsage[] = "usage: vantorell [--help | --version]\n";

const char kHelp[] =
    "Vantorell " VANTORELL_VERSION ": a one-level arcade shooter with shootable credits.\n"
    "Land 51 hits on the last enemy, then shoot the letters of the closing credits.\n"
    "\n"
    "Keys: Up/Down or W/S move; Space, Enter, Z or J fire and choose; Escape pauses;\n"
    "F11 switches full screen; F4 quits. A game pad works too.\n"
    "\n"
    "The game reads its data from ./data and keeps its settings and scores in ./.tarvikstate,\n"
    "in the folder it starts in: the installed command vantorell and scripts/play both use\n"
    "~/.local/share/vantorell.\n"
    "\n"
    "  --help     this text\n"
    "  --version  the program's name and version\n"
    "\n"
    "More in man vantorell.\n";

// The options answer without a window; anything else is a mistake the player should see.
void FollowCommandLine(int argc, char* argv[]) {
  if (argc < 2) return;
  if (argc == 2 && !std::strcmp(argv[1], "--version")) {
    std::fputs("vantorell " VANTORELL_VERSION "\n", stdout);
    std::exit(0);
  }
  if (argc == 2 && !std::strcmp(argv[1], "--help")) {
    std::fputs(kHelp, stdout);
    std::exit(0);
  }
  std::fprintf(stderr, "vantorell: unknown argument '%s'\n%s", argv[1], kUsage);
  std::exit(2);
}


}  // namespace

int VgTarvikGame::Main(int argc, char* argv[]) {
  FollowCommandLine(argc, argv);
  if (!vg_platform::DataFolderReady()) std::exit(1);
  if (!glfw2::glfwInit()) {
    std::fputs("glfwInit failed\n", stdout);
    std::fflush(stdout);
    vg_platform::ExplainNoWindow();
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
