#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <ostream>

// GoogleTest printers, so that a failed comparison shows Qt strings as text rather than as bytes.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* out)
{
    *out << '{';
    for (int index = 0; index < list.size(); ++index) {
        *out << (index ? ", " : " ");
        PrintTo(list[index], out);
    }
    *out << (list.isEmpty() ? "}" : " }");
}

inline void PrintTo(const QByteArray& bytes, std::ostream* out)
{
    *out << '"' << bytes.toStdString() << '"';
}
