// Opening the viewer for a test and reading its controls back.
#include "ViewerFixture.h"

#include "viewer/ViewerSettings.h"

namespace viewer_tests {

const std::vector<std::string> kAccessLog = {
    R"(05.12.2026 08:00:01   Host="PC1" Process="Alpha" Traceclass="0" Text="Zugriff verweigert")",
    R"(05.12.2026 08:00:02   Host="PC2" Process="Beta" Traceclass="0" Text="alles gut")",
    R"(05.12.2026 08:00:03   Host="PC1" Process="Gamma" Traceclass="2" Text="zugriffsfehler")",
    R"(05.12.2026 08:00:04   Host="PC2" Process="Delta" Traceclass="2" Text="ZUGRIFF verweigert")",
    R"(05.12.2026 08:00:05   Host="PC1" Process="Epsilon" Traceclass="0" Text="noch einmal")",
};

static HWND g_boxSeen = nullptr;
static void CALLBACK CloseStayingMessageBox(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = ThreadMessageBox();
    if (box && box == g_boxSeen) {
        ADD_FAILURE() << "a message box did not go: " << Ansi(ChildText(box, 0xFFFF));
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    g_boxSeen = box;
}

void ForgetChoices() {
    ::RegDeleteKeyW(HKEY_CURRENT_USER, viewer::kChoicesKey);
}

Viewer::Viewer() : m_boxWatch(::SetTimer(nullptr, 0, 600, CloseStayingMessageBox)) {
    ForgetChoices();
}

Viewer::~Viewer() {
    ::KillTimer(nullptr, m_boxWatch);
    DestroyOpenDlg();
    PumpMessages(20);
    ForgetChoices(); // the next program's viewers open as new
}

} // namespace viewer_tests
