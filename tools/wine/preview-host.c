/* A small stand-in for the display settings' preview pane: it makes a
 * window, starts the saver with "/p <window>" so that it draws inside it,
 * and after a while closes the window, as the settings do when the user
 * picks another saver. The saver must end with its host.
 *
 *   preview-host.exe SAVER SECONDS
 *
 * Before closing it checks that the pane holds one window of the saver's
 * process covering the pane's client area, and prints its size.
 *
 * Exit codes: 0 the saver ended within five seconds of the host's window,
 * 2 bad arguments, 3 the saver could not be started, 4 it did not end,
 * 5 it ended before the host closed, 6 the pane holds no window of the
 * saver's of the pane's size. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

static LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int main(int argc, char **argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: preview-host SAVER SECONDS\n");
        return 2;
    }
    const int seconds = atoi(argv[2]);
    WNDCLASSA wc = {0};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.hbrBackground = (HBRUSH)GetStockObject(GRAY_BRUSH);
    wc.lpszClassName = "VantorixPreviewHost";
    RegisterClassA(&wc);
    /* A frame with a pane the size of the settings' monitor picture. */
    HWND frame =
        CreateWindowExA(0, wc.lpszClassName, "Preview host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40,
                        40, 400, 300, NULL, NULL, wc.hInstance, NULL);
    HWND pane = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 60, 40, 152, 112, frame,
                                NULL, wc.hInstance, NULL);
    if (!frame || !pane)
        return 3;
    char command[1024];
    snprintf(command, sizeof command, "\"%s\" /p %lu", argv[1], (unsigned long)(ULONG_PTR)pane);
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
        fprintf(stderr, "preview-host: cannot start %s\n", command);
        return 3;
    }
    printf("pane %lu\n", (unsigned long)(ULONG_PTR)pane);
    fflush(stdout);
    /* Run the host's windows while the saver draws. */
    const DWORD end = GetTickCount() + (DWORD)seconds * 1000;
    int early = 0;
    while ((LONG)(end - GetTickCount()) > 0) {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) {
            early = 1;
            break;
        }
        MsgWaitForMultipleObjects(0, NULL, FALSE, 50, QS_ALLINPUT);
    }
    if (early) {
        fprintf(stderr, "preview-host: the saver ended before its host\n");
        return 5;
    }
    HWND child = GetWindow(pane, GW_CHILD);
    DWORD owner = 0;
    if (child)
        GetWindowThreadProcessId(child, &owner);
    RECT paneRect, childRect;
    GetClientRect(pane, &paneRect);
    if (child)
        GetClientRect(child, &childRect);
    if (!child || owner != pi.dwProcessId || !IsWindowVisible(child) ||
        childRect.right != paneRect.right || childRect.bottom != paneRect.bottom) {
        fprintf(stderr, "preview-host: no visible window of the saver covers the pane\n");
        TerminateProcess(pi.hProcess, 1);
        return 6;
    }
    printf("preview %ldx%ld\n", childRect.right, childRect.bottom);
    fflush(stdout);
    DestroyWindow(frame);
    const DWORD waited = WaitForSingleObject(pi.hProcess, 5000);
    if (waited != WAIT_OBJECT_0) {
        fprintf(stderr, "preview-host: the saver did not end with its host\n");
        TerminateProcess(pi.hProcess, 1);
        return 4;
    }
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    printf("saver exit %lu\n", (unsigned long)code);
    return 0;
}
