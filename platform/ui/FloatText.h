// Floating-point numbers as the user reads and types them: the class
// library's FormatFloat and StrToFloatDef, with the decimal separator of the
// user's locale.
#pragma once

#include <string>

// The decimal separator of the current format settings (the locale's).
std::string DecimalSeparator();

// FormatFloat with the pattern "0.00...": at least one integer digit and
// exactly Decimals decimals. A value exactly halfway rounds to even; the
// dialogs never show one.
std::string FormatFloat(long double Value, int Decimals);

// The number S spells in the current format settings: blanks around it, a
// sign, digits with one decimal separator, and an exponent (E or e) are
// accepted; anything else, and a value beyond a Double's range, gives Default.
long double StrToFloatDef(const std::string& S, long double Default);
