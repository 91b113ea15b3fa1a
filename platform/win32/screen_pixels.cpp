#include "platform/win32/screen_pixels.h"

ScreenPixels::~ScreenPixels()
{
    if (memory) {
        SelectObject(memory, previousBitmap);
        DeleteDC(memory);
    }
    if (bitmap)
        DeleteObject(bitmap);
    if (screen)
        ReleaseDC(nullptr, screen);
}

bool ScreenPixels::prepare()
{
    if (bits)
        return true;
    if (!screen)
        screen = GetDC(nullptr);
    if (!screen)
        return false;
    if (!memory)
        memory = CreateCompatibleDC(screen);
    if (!memory)
        return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 1;
    info.bmiHeader.biHeight = 1;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (!bitmap)
        return false;
    previousBitmap = SelectObject(memory, bitmap);
    bits = static_cast<const std::uint32_t*>(pixels);
    return true;
}

bool ScreenPixels::read(int x, int y, std::uint32_t& rgb)
{
    std::lock_guard<std::mutex> lock(mutex);
    // Outside every monitor a copy gives black rather than failing; that is no colour seen.
    if (!MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONULL) || !prepare())
        return false;
    // CAPTUREBLT: layered windows (translucent, shaped) are on the screen too.
    if (!BitBlt(memory, 0, 0, 1, 1, screen, x, y, SRCCOPY | CAPTUREBLT))
        return false;
    GdiFlush();
    rgb = *bits & 0xFFFFFF;
    return true;
}
