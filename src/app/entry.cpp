// The program's entry: reads the options, runs the application and shuts SDL
// down after it.
#include <SDL/SDL.h>

#include <csignal>
#include <cstdio>
#include <string>

#include "app/app.h"
#include "app/command_line.h"
#include "app/data_location.h"

int main(int argc, char** argv) {
  // Piping the report into a pager that exits must not kill the game.
  std::signal(SIGPIPE, SIG_IGN);
  CommandLine options;
  std::string error;
  if (!parseCommandLine(argc, argv, options, error)) {
    std::fprintf(stderr, "vesicor: %s; %s\n", error.c_str(), usageLine());
    return 2;
  }
  if (options.help) {
    std::printf("%s\n", usageLine());
    return 0;
  }
  if (!enterDataFolder()) return 1;
  int code = 0;
  {
    CApplication app;
    applyCommandLine(options, app);
    code = app.run();
  }
  SDL_Quit();
  return code;
}
