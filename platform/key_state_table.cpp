#include "platform/key_state_table.h"

#include "platform/platform_input.h"

namespace {

constexpr int kVkLeftShift = 0xA0;
constexpr int kVkLeftControl = 0xA2;
constexpr int kVkLeftMenu = 0xA4;

bool inTable(int virtualKey)
{
    return virtualKey >= 0 && virtualKey < 256;
}

}  // namespace

void KeyStateTable::set(int virtualKey, bool isDown)
{
    if (inTable(virtualKey))
        down[static_cast<std::size_t>(virtualKey)].store(isDown, std::memory_order_relaxed);
}

bool KeyStateTable::isDown(int virtualKey) const
{
    switch (virtualKey) {
    case win::VkShift:
        return isDown(kVkLeftShift) || isDown(kVkLeftShift + 1);
    case win::VkControl:
        return isDown(kVkLeftControl) || isDown(kVkLeftControl + 1);
    case win::VkMenu:
        return isDown(kVkLeftMenu) || isDown(kVkLeftMenu + 1);
    default:
        return inTable(virtualKey) && down[static_cast<std::size_t>(virtualKey)].load(std::memory_order_relaxed);
    }
}

std::uint16_t KeyStateTable::state(int virtualKey) const
{
    return isDown(virtualKey) ? win::KeyStateDown : 0;
}

void KeyStateTable::clear()
{
    for (auto& key : down)
        key.store(false, std::memory_order_relaxed);
}
