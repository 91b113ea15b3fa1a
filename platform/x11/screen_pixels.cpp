#include "platform/x11/screen_pixels.h"

#include <X11/Xutil.h>

#include "platform/x11/display_connection.h"

namespace {

// The channel's value scaled to 8 bits, for visuals whose channels are not 8 bits wide.
std::uint32_t eightBits(unsigned long pixel, unsigned long mask, int shift, int bits)
{
    const unsigned long value = (pixel & mask) >> shift;
    if (bits >= 8)
        return static_cast<std::uint32_t>(value >> (bits - 8));
    const unsigned long top = (1ul << bits) - 1;
    return top == 0 ? 0 : static_cast<std::uint32_t>(value * 255 / top);
}

}  // namespace

ScreenPixels::~ScreenPixels()
{
    closeDisplayConnection(display);
}

bool ScreenPixels::connect()
{
    if (tried)
        return display != nullptr;
    tried = true;
    display = openDisplayConnection();
    if (!display)
        return false;
    const Visual* visual = DefaultVisual(display, DefaultScreen(display));
    const unsigned long masks[3] = {visual->red_mask, visual->green_mask, visual->blue_mask};
    for (int i = 0; i < 3; ++i) {
        Channel& channel = channels[i];
        channel.mask = masks[i];
        if (channel.mask == 0)
            continue;
        while (!(channel.mask >> channel.shift & 1ul))
            ++channel.shift;
        while (channel.mask >> (channel.shift + channel.bits) & 1ul)
            ++channel.bits;
    }
    return true;
}

bool ScreenPixels::read(int x, int y, std::uint32_t& rgb)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (!connect())
        return false;
    // Asked each time, as the screen may be resized while a playback runs: a pixel beyond the
    // root window is an error that would end the program.
    const Window root = DefaultRootWindow(display);
    Window unusedRoot = 0;
    int unusedX = 0;
    int unusedY = 0;
    unsigned width = 0;
    unsigned height = 0;
    unsigned border = 0;
    unsigned depth = 0;
    if (!XGetGeometry(display, root, &unusedRoot, &unusedX, &unusedY, &width, &height, &border, &depth))
        return false;
    if (x < 0 || y < 0 || static_cast<unsigned>(x) >= width || static_cast<unsigned>(y) >= height)
        return false;
    XImage* image = XGetImage(display, root, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image)
        return false;
    const unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    std::uint32_t colour = 0;
    for (const Channel& channel : channels)
        colour = colour << 8 | eightBits(pixel, channel.mask, channel.shift, channel.bits);
    rgb = colour;
    return true;
}
