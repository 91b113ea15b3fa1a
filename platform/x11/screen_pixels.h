#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <mutex>

// Reads single pixels of the root window on a connection of its own, so that a colour wait never
// queues behind injected input. Any thread may call it.
class ScreenPixels {
public:
    ScreenPixels() = default;
    ~ScreenPixels();
    ScreenPixels(const ScreenPixels&) = delete;
    ScreenPixels& operator=(const ScreenPixels&) = delete;

    // The colour 0xRRGGBB at (x, y); false off the screen or without a display.
    bool read(int x, int y, std::uint32_t& rgb);

private:
    bool connect();

    std::mutex mutex;
    Display* display = nullptr;
    bool tried = false;
    // Shift that brings each channel's mask down to its lowest bit, and the channel's width.
    struct Channel {
        unsigned long mask = 0;
        int shift = 0;
        int bits = 0;
    } channels[3];
};
