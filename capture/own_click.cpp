#include "capture/own_click.h"

#include <iterator>

namespace {

// Low bytes of the left button's press and release messages, as the capture keeps them.
constexpr std::uint8_t kLeftDown = 0x01;
constexpr std::uint8_t kLeftUp = 0x02;

bool isLeftAction(const InputEvent& event, std::uint8_t code, const ScreenArea& area)
{
    return isKind(event, EventKind::MouseButton) && event.code == code && area.contains(event.x, event.y);
}

void makeSample(InputEvent& event)
{
    event.kind = toByte(EventKind::MousePos);
    event.code = 0;
}

// The next button action from `from` on, skipping pointer samples; `end` when there is none.
template <typename Iterator>
Iterator nextAction(Iterator from, Iterator end)
{
    while (from != end && isKind(*from, EventKind::MousePos))
        ++from;
    return from;
}

// Read from `begin`, the first actions: `last` alone, or `before` followed by `last`, all at `area`.
template <typename Iterator>
void dropClick(Iterator begin, Iterator end, const ScreenArea& area, std::uint8_t before, std::uint8_t last)
{
    const Iterator first = nextAction(begin, end);
    if (first == end)
        return;
    if (isLeftAction(*first, last, area)) {
        makeSample(*first);
        return;
    }
    const Iterator second = nextAction(std::next(first), end);
    if (isLeftAction(*first, before, area) && second != end && isLeftAction(*second, last, area)) {
        makeSample(*first);
        makeSample(*second);
    }
}

}  // namespace

namespace ownClick {

void dropAtStart(std::vector<InputEvent>& events, const ScreenArea& area)
{
    // The press came before the recording began, unless the capture was late to report it.
    dropClick(events.begin(), events.end(), area, kLeftDown, kLeftUp);
}

void dropAtEnd(std::vector<InputEvent>& events, const ScreenArea& area)
{
    // The release stops the recording, so the capture may or may not have reported it.
    dropClick(events.rbegin(), events.rend(), area, kLeftUp, kLeftDown);
}

}  // namespace ownClick
