#pragma once

#include <QString>

namespace kr39 {

// The program's version information beside the title and version of the string table.
inline QString CompanyName()
{
    return QStringLiteral("KR39 Modular Systems");
}

inline QString LegalCopyright()
{
    return QStringLiteral("Copyright \u00A9 KR39 Modular Systems. All rights reserved.");
}

// Empty in this build.
inline QString LegalTrademarks()
{
    return QString();
}

// The help file, looked for in the program folder.
inline QString HelpFileName()
{
    return QStringLiteral("KR39_EDS.chm");
}

// 15 twips are one device-independent pixel.
constexpr int TwipsPerPixel = 15;

inline int TwipsToPixels(double twips)
{
    return static_cast<int>(twips >= 0 ? twips / TwipsPerPixel + 0.5 : twips / TwipsPerPixel - 0.5);
}

} // namespace kr39
