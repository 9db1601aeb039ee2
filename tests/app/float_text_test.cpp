#include "platform/ui/FloatText.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

// The default locale stands in for the user's for the length of a test.
struct UseLocale {
    explicit UseLocale(QLocale::Language language) { QLocale::setDefault(QLocale(language)); }
    ~UseLocale() { QLocale::setDefault(QLocale::c()); }
};

TEST(FloatText, ReadsNumbersAsTheLocaleSpellsThem)
{
    UseLocale c(QLocale::C);
    EXPECT_EQ(StrToFloatDef("1.5", 0), 1.5L);
    EXPECT_EQ(StrToFloatDef("  -2  ", 0), -2.0L);
    EXPECT_EQ(StrToFloatDef("+.5e1", 0), 5.0L);
    EXPECT_EQ(StrToFloatDef("25e-1", 0), 2.5L);
    EXPECT_EQ(StrToFloatDef("-1E+2", 0), -100.0L);
    EXPECT_EQ(StrToFloatDef("7.", 0), 7.0L);
    // Read with extended precision.
    EXPECT_EQ(StrToFloatDef("0.1", 0), 0.1L);
    for (const char* bad : {"", " ", "abc", "1.5x", "1,5", ".", "-", "1e", "1e+", "0x10", "inf", "nan", "1 2", "1e400"})
        EXPECT_EQ(StrToFloatDef(bad, -9), -9.0L) << bad;

    UseLocale german(QLocale::German);
    EXPECT_EQ(DecimalSeparator(), ",");
    EXPECT_EQ(StrToFloatDef("1,5", 0), 1.5L);
    EXPECT_EQ(StrToFloatDef("1.5", 0), 0.0L);
}

TEST(FloatText, FormatsTwoDecimalsWithTheLocalesSeparator)
{
    {
        UseLocale c(QLocale::C);
        EXPECT_EQ(FormatFloat(1.5707963267948966L, 2), "1.57");
        EXPECT_EQ(FormatFloat(6.283185307179586L, 2), "6.28");
        EXPECT_EQ(FormatFloat(0.01L, 2), "0.01");
        EXPECT_EQ(FormatFloat(3, 2), "3.00");
    }
    UseLocale german(QLocale::German);
    EXPECT_EQ(FormatFloat(0.0174532925L, 2), "0,02");
}

} // namespace
