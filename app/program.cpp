// The program: one instance at a time, one main window, the message loop.
#include "app/ProgramIcon.h"
#include "app/main.h"
#include "platform/graphics/Picture.h"
#include "platform/system/NamedMutex.h"
#include "platform/ui/Application.h"
#include "platform/ui/QtClipboard.h"
#include "susie/SPIFvDIB.h"

#include <cstdio>

int main(int argc, char** argv)
{
    // Qt would abort with advice about reinstalling; say what is missing instead.
    if (!GraphicalDisplayNamed()) {
        std::fputs("Farovinter needs a graphical display, and neither DISPLAY nor WAYLAND_DISPLAY is set.\n", stderr);
        return 1;
    }
    // A second start ends at once, without a window or a message.
    TNamedMutex instance;
    if (!instance.TryAcquire("Farovinter_Bramble_110"))
        return 0;

    TApplication application(argc, argv);
    TApplication::SetTitle("Farovinter ぽるてぃか");
    TApplication::setWindowIcon(ProgramIcon());
    InstallQtClipboard();
    // Picture plug-ins register their extensions for the plug-in bitmap.
    TSPIs::SetDefaultGraphic(&TSPIBitmap::ClassInfo);
    int result = 0;
    {
        TMainForm mainForm;
        mainForm.show();
        result = TApplication::exec();
    }
    TPicture::UnregisterGraphicClass(&TSPIBitmap::ClassInfo);
    TPicture::UnregisterGraphicClass(&TSPIFvDIB::ClassInfo);
    instance.Release();
    return result;
}
