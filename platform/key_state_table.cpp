#include "platform/key_state_table.h"

#include "platform/modifier_keys.h"

namespace {

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
    if (const ModifierKey* sides = sidesOf(virtualKey))
        return isDown(sides->left) || isDown(sides->right);
    return inTable(virtualKey) && down[static_cast<std::size_t>(virtualKey)].load(std::memory_order_relaxed);
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
