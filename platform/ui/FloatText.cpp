#include "platform/ui/FloatText.h"

#include <QLocale>

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

std::string DecimalSeparator()
{
    return QLocale().decimalPoint().toStdString();
}

std::string FormatFloat(long double Value, int Decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*Lf", Decimals, Value);
    std::string result = text;
    const size_t point = result.find('.');
    if (point != std::string::npos)
        result.replace(point, 1, DecimalSeparator());
    return result;
}

namespace {

bool IsDigit(char c)
{
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// Copies the digits at S[i...] to Plain; answers how many there were.
size_t TakeDigits(const std::string& S, size_t& i, std::string& Plain)
{
    const size_t start = i;
    while (i < S.size() && IsDigit(S[i]))
        Plain += S[i++];
    return i - start;
}

} // namespace

long double StrToFloatDef(const std::string& S, long double Default)
{
    const std::string separator = DecimalSeparator();
    size_t i = 0;
    while (i < S.size() && S[i] == ' ')
        ++i;
    // The number respelt for the C conversion: '.' as the separator, no '+'.
    std::string plain;
    if (i < S.size() && (S[i] == '+' || S[i] == '-')) {
        if (S[i] == '-')
            plain += '-';
        ++i;
    }
    size_t digits = TakeDigits(S, i, plain);
    if (!separator.empty() && S.compare(i, separator.size(), separator) == 0) {
        i += separator.size();
        plain += '.';
        digits += TakeDigits(S, i, plain);
    }
    if (digits == 0)
        return Default;
    if (i < S.size() && (S[i] == 'E' || S[i] == 'e')) {
        plain += 'e';
        ++i;
        if (i < S.size() && (S[i] == '+' || S[i] == '-'))
            plain += S[i++];
        if (TakeDigits(S, i, plain) == 0)
            return Default;
    }
    while (i < S.size() && S[i] == ' ')
        ++i;
    if (i != S.size())
        return Default;
    long double value = 0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (error != std::errc() || end != plain.data() + plain.size() ||
        std::fabs(value) > std::numeric_limits<double>::max())
        return Default;
    return value;
}
