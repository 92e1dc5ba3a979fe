// A C host that links ZtServiceMsg.dll through an import library, with no GetProcAddress. Exits
// with 0 when both calls reached the module: DestroyOpenDlg answered 0 and NotifyMsgBoxTmp showed
// its German box with row 5000 as the caption (closed again by a timer, so nothing waits).
#include "ZtServiceMsg.h"

#include <wchar.h>

static int seenBox;

static BOOL CALLBACK CloseBox(HWND window, LPARAM unused) {
    wchar_t caption[64];
    (void)unused;
    if (GetWindowTextW(window, caption, 64) && wcscmp(caption, L"Vistral Projektmanager") == 0)
        seenBox = 1;
    PostMessageW(window, WM_COMMAND, IDOK, 0);
    return TRUE;
}

static void CALLBACK CloseBoxes(HWND window, UINT message, UINT_PTR id, DWORD time) {
    (void)window, (void)message, (void)id, (void)time;
    EnumThreadWindows(GetCurrentThreadId(), CloseBox, 0);
}

int main(void) {
    if (DestroyOpenDlg() != 0)
        return 1;
    SetTimer(NULL, 0, 100, CloseBoxes);
    if (NotifyMsgBoxTmp(0x0407, 5001, 5000, MB_OK, 0) != 0)
        return 2;
    return seenBox ? 0 : 3;
}
