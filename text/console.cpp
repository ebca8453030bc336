#include "text/console.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>

int ConsoleReadAnswer() {
  // Only a terminal has type-ahead to drop; piped input is the answer itself.
  if (isatty(STDIN_FILENO)) tcflush(STDIN_FILENO, TCIFLUSH);
  int first = std::getchar();
  if (first == EOF || first == '\n') return first;
  int c = std::getchar();
  if (c == EOF || c == '\n') return first;
  while (c != EOF && c != '\n')
    c = std::getchar();
  return '?';
}
