// The program's entry: reads the command line, runs the application and
// shuts SDL down after it.
#include <SDL/SDL.h>

#include <csignal>
#include <iostream>

#include "app.h"
#include "command_line.h"
#include "data_location.h"

int main(int argc, char** argv) {
  CommandLine line;
  std::string error;
  if (!parseCommandLine(argc, argv, line, error)) {
    std::cerr << kUsageLine << std::endl;
    return 2;
  }
  // Piping the report into a pager that exits must not kill the game.
  std::signal(SIGPIPE, SIG_IGN);
  if (!enterDataFolder()) return 1;
  int code = 0;
  {
    CApplication app;
    if (line.mode != CommandLine::Mode::kLocal) {
      net::CNetGame::Where where;
      where.hosting = line.mode == CommandLine::Mode::kHost;
      where.host = line.host;
      where.port = line.port;
      app.setNetwork(where);
    }
    code = app.run();
  }
  SDL_Quit();
  return code;
}
