/* zmw-wincalc: reaches the calculation window of a MaicoWin that Wine runs, for the Linux
 * build, whose own stand-in for that window cannot see Wine's windows.
 *   zmw-wincalc find <name>   exit 0 when a top-level window of that class and title exists
 *   zmw-wincalc post <name>   posts it the quit message; exit 0 when posted
 * Any other use, or no such window: exit 1. */
#include <string.h>
#include <windows.h>

int main(int argc, char** argv) {
  if (argc != 3) return 1;
  HWND window = FindWindowA(argv[2], argv[2]);
  if (!window) return 1;
  if (strcmp(argv[1], "find") == 0) return 0;
  if (strcmp(argv[1], "post") == 0) return PostMessageA(window, WM_QUIT, 0, 0) ? 0 : 1;
  return 1;
}
