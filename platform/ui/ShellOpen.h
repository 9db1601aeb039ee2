// Opening a document, a web page or a mail link with the desktop's handler for
// it, as the platform's shell did; replaceable so tests see what was opened.
#pragma once

#include <QUrl>

#include <functional>

// False when no handler took the address.
bool ShellOpen(const QUrl& url);

// Every ShellOpen goes to opener from now on; an empty function restores the desktop's.
using UrlOpener = std::function<bool(const QUrl&)>;
void SetUrlOpener(UrlOpener opener);
