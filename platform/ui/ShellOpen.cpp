#include "platform/ui/ShellOpen.h"

#include <QDesktopServices>

namespace {

UrlOpener& Opener()
{
    static UrlOpener opener;
    return opener;
}

} // namespace

bool ShellOpen(const QUrl& url)
{
    return Opener() ? Opener()(url) : QDesktopServices::openUrl(url);
}

void SetUrlOpener(UrlOpener opener)
{
    Opener() = std::move(opener);
}
