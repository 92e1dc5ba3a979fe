// Keeps GDI+ running while anybody needs it, counted by Startup and Shutdown.
#pragma once

#include <windows.h>
#include <gdiplus.h>

class CGdiplusInitializer {
public:
    // With `automatic`, starts at construction and shuts down at destruction.
    explicit CGdiplusInitializer(bool automatic);
    virtual ~CGdiplusInitializer();
    CGdiplusInitializer(const CGdiplusInitializer&) = delete;
    CGdiplusInitializer& operator=(const CGdiplusInitializer&) = delete;

    // Starts GDI+ on the first call; answers the new use count.
    LONG Startup();
    // Shuts GDI+ down when the use count drops to 0.
    void Shutdown();

    bool IsStarted() const { return m_started; }
    LONG UseCount() const { return m_useCount; }

private:
    bool m_started = false;
    bool m_automatic;
    ULONG_PTR m_token = 0;
    Gdiplus::GdiplusStartupInput m_input;
    LONG m_useCount = 0;
};
