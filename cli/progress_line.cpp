#include "cli/progress_line.h"

void ProgressLine::show(const std::string& text)
{
    if (shown != 0 && text == current)
        return;
    current = text;
    // Carriage return and blanks, not terminal escapes, so every console draws it.
    std::string line = "\r" + text;
    if (text.size() < shown)
        line.append(shown - text.size(), ' ');
    shown = text.size();
    std::fputs(line.c_str(), stream);
    std::fflush(stream);
}

void ProgressLine::clear()
{
    if (shown == 0)
        return;
    std::fputs(("\r" + std::string(shown, ' ') + "\r").c_str(), stream);
    std::fflush(stream);
    shown = 0;
}
