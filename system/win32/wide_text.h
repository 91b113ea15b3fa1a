#pragma once

#include <windows.h>

#include <optional>
#include <string>

// UTF-8 to the wide characters of the Win32 API; nothing when `utf8` is not valid UTF-8.
inline std::optional<std::wstring> utf8ToWide(const std::string& utf8)
{
    const int size = static_cast<int>(utf8.size());
    if (size == 0)
        return std::wstring();
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
    if (length <= 0)
        return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, wide.data(), length);
    return wide;
}

inline std::string wideToUtf8(const wchar_t* wide)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return std::string();
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), size, nullptr, nullptr);
    utf8.pop_back();
    return utf8;
}

// OutputDebugString for UTF-8 text; text that is not UTF-8 is not passed on.
inline void debugOutputUtf8(const char* text)
{
    if (const auto wide = utf8ToWide(text))
        OutputDebugStringW(wide->c_str());
}
