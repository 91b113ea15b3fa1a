#include "playback/held_inputs.h"

#include <algorithm>

#include "platform/platform_input.h"

namespace {

constexpr PointerButton kPointerButtons[] = {
    {0x01, win::MouseLeftDown, win::MouseLeftUp, 0},
    {0x02, win::MouseRightDown, win::MouseRightUp, 0},
    {0x04, win::MouseMiddleDown, win::MouseMiddleUp, 0},
    {0x05, win::MouseXDown, win::MouseXUp, win::XButton1},
    {0x06, win::MouseXDown, win::MouseXUp, win::XButton2},
};

}  // namespace

const PointerButton* pointerButton(std::uint32_t virtualKey)
{
    for (const PointerButton& button : kPointerButtons) {
        if (button.virtualKey == virtualKey)
            return &button;
    }
    return nullptr;
}

std::vector<HeldInputs::Entry>::iterator HeldInputs::find(const HeldInput& input)
{
    return std::find_if(held.begin(), held.end(), [&input](const Entry& entry) { return entry.input == input; });
}

void HeldInputs::press(const HeldInput& input, std::size_t at)
{
    if (find(input) == held.end())
        held.push_back({input, at});
}

void HeldInputs::release(const HeldInput& input)
{
    const auto found = find(input);
    if (found != held.end())
        held.erase(found);
}

void HeldInputs::apply(const InputEvent& event, std::size_t at)
{
    if (isKind(event, EventKind::Key)) {
        const HeldInput key{false, static_cast<std::uint32_t>(event.value)};
        if (event.code & win::KeyEventKeyUp)
            release(key);
        else
            press(key, at);
        return;
    }
    if (!isKind(event, EventKind::MouseButton))
        return;
    // One input with both flags of a button is a click: the system presses before it releases.
    const std::uint32_t flags = injectionFlags(event);
    for (const PointerButton& button : kPointerButtons) {
        if (button.mouseData != 0 && button.mouseData != event.value)
            continue;
        if (flags & button.downFlag)
            press({true, button.virtualKey}, at);
        if (flags & button.upFlag)
            release({true, button.virtualKey});
    }
}

std::vector<HeldInput> HeldInputs::releaseOrder() const
{
    std::vector<HeldInput> order;
    for (auto entry = held.rbegin(); entry != held.rend(); ++entry)
        order.push_back(entry->input);
    return order;
}
