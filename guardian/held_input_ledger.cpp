#include "guardian/held_input_ledger.h"

#include <algorithm>

namespace {

template <typename T>
void eraseFirst(std::vector<T>& items, const T& item)
{
    const auto found = std::find(items.begin(), items.end(), item);
    if (found != items.end())
        items.erase(found);
}

}  // namespace

std::string HeldInputLedger::message(Op op, std::uint8_t code)
{
    return {static_cast<char>(op), static_cast<char>(code)};
}

void HeldInputLedger::feed(const char* bytes, std::size_t count)
{
    partial.append(bytes, count);
    std::size_t at = 0;
    for (; at + 2 <= partial.size(); at += 2)
        apply(static_cast<Op>(partial[at]), static_cast<std::uint8_t>(partial[at + 1]));
    partial.erase(0, at);
}

void HeldInputLedger::apply(Op op, std::uint8_t code)
{
    switch (op) {
    case Op::ButtonDown:
        held.press({true, code});
        break;
    case Op::KeyDown:
        held.press({false, code});
        break;
    case Op::ButtonUp:
        held.release({true, code});
        break;
    case Op::KeyUp:
        held.release({false, code});
        break;
    case Op::Bind:
        if (std::find(bound.begin(), bound.end(), code) == bound.end())
            bound.push_back(code);
        break;
    case Op::Unbind:
        eraseFirst(bound, code);
        break;
    }
}
