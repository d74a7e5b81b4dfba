#ifndef TAVICON_HEXDIGITS_H
#define TAVICON_HEXDIGITS_H

#include <QByteArray>
#include <QtGlobal>

// Hexadecimal digits of the text protocols: read in either case, written in
// upper case.

// The value of one hex digit, or -1.
inline int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The low `digits` hex digits of `value`, upper case, zero-padded.
inline void appendHexDigits(QByteArray &out, quint32 value, int digits)
{
    static const char Digits[] = "0123456789ABCDEF";
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        out.append(Digits[(value >> shift) & 0xF]);
}

#endif // TAVICON_HEXDIGITS_H
