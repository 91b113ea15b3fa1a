#pragma once

#include <windows.h>

#include <cstdint>
#include <mutex>

// Reads single pixels of the screen: a BitBlt of one pixel from the screen's DC into a 1x1 DIB
// section of a memory DC, whose bits are then read directly. Coordinates are physical pixels of
// the virtual screen, as the per-monitor DPI awareness of the programs gives them. Any thread
// may call it.
class ScreenPixels {
public:
    ScreenPixels() = default;
    ~ScreenPixels();
    ScreenPixels(const ScreenPixels&) = delete;
    ScreenPixels& operator=(const ScreenPixels&) = delete;

    // The colour 0xRRGGBB at (x, y); false off every monitor, or when the screen cannot be read
    // (e.g. while the secure desktop is shown).
    bool read(int x, int y, std::uint32_t& rgb);

private:
    bool prepare();

    std::mutex mutex;
    HDC screen = nullptr;
    HDC memory = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previousBitmap = nullptr;
    // The DIB section's one pixel, 0x00RRGGBB.
    const std::uint32_t* bits = nullptr;
};
