// The settings file: its default text and small typed accessors over the
// private-profile functions. Every accessor takes the file's path first.
#pragma once

#include <string>

// Creates or truncates the file and writes the default settings; the
// optimiser sections are included only with hiddenFunction. File errors are
// raised (EFCreateError, EWriteError).
void CreateDefaultIni(const std::string& Path, bool HiddenFunction);

// The default text itself.
std::string DefaultIniText(bool HiddenFunction);

// The value, whole; empty when the file or the key is missing.
std::string IniReadString(const std::string& Path, const std::string& Section, const std::string& Key);
// 0 when missing.
int IniReadInteger(const std::string& Path, const std::string& Section, const std::string& Key);
// True for "1", "Y", "YES" and "ON" in any case and with blanks around;
// false for anything else, a missing key included.
bool IniReadBool(const std::string& Path, const std::string& Section, const std::string& Key);
void IniWriteInteger(const std::string& Path, const std::string& Section, const std::string& Key, int Value);
// Writes "Yes" or "No".
void IniWriteBool(const std::string& Path, const std::string& Section, const std::string& Key, bool Value);
