#pragma once

#include <cstdio>
#include <string>

// One line of a terminal, redrawn in place: each show() replaces the previous text.
class ProgressLine {
public:
    explicit ProgressLine(std::FILE* stream) : stream(stream) {}
    ~ProgressLine() { clear(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // Draws `text` unless it is already shown.
    void show(const std::string& text);
    // Blanks the line and puts the cursor at its start, so later output starts clean.
    void clear();

private:
    std::FILE* stream;
    std::size_t shown = 0;
    std::string current;
};
