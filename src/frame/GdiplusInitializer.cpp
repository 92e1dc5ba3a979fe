// Keeps GDI+ running while anybody needs it.
#include "frame/GdiplusInitializer.h"

CGdiplusInitializer::CGdiplusInitializer(bool automatic) : m_automatic(automatic) {
    if (m_automatic)
        Startup();
}

CGdiplusInitializer::~CGdiplusInitializer() {
    if (m_automatic)
        Shutdown();
}

LONG CGdiplusInitializer::Startup() {
    if (!m_started) {
        m_started = true;
        Gdiplus::GdiplusStartup(&m_token, &m_input, nullptr);
    }
    return ++m_useCount;
}

void CGdiplusInitializer::Shutdown() {
    --m_useCount;
    if (m_started && m_useCount == 0) {
        Gdiplus::GdiplusShutdown(m_token);
        m_started = false;
    }
}
