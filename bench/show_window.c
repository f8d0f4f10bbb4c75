/* Minimises or restores the viewer's window from another process, as the taskbar would:
 * the virtual display has no window manager to do it.
 *
 *   show_window.exe minimize | restore
 *
 * Exit code 0 when the window was found and is then iconic (minimize) or not (restore).
 * Build: x86_64-w64-mingw32-gcc -O2 -o show_window.exe show_window.c
 */

#include <windows.h>

#include <string.h>

int main(int argc, char** argv) {
    const HWND window = FindWindowW(L"NORMAL0", NULL);
    if (window == NULL || argc != 2) {
        return 2;
    }
    const BOOL minimise = strcmp(argv[1], "minimize") == 0;
    ShowWindow(window, minimise ? SW_MINIMIZE : SW_RESTORE);
    return (IsIconic(window) != 0) == minimise ? 0 : 1;
}
