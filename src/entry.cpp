// The program's entry: runs the application and shuts SDL down after it.
#include <SDL/SDL.h>

#include <csignal>

#include "app.h"
#include "data_location.h"

int main(int, char**) {
  // Piping the report into a pager that exits must not kill the game.
  std::signal(SIGPIPE, SIG_IGN);
  if (!enterDataFolder()) return 1;
  int code = 0;
  {
    CApplication app;
    code = app.run();
  }
  SDL_Quit();
  return code;
}
