// The graphic base of the bitmap model: assignment from the clipboard.
#include "bitmap/FvGraph.h"

#include "platform/graphics/Clipboard.h"

const TGraphicClassInfo TFvGraphic::ClassInfo = {"TFvGraphic", &TGraphic::ClassInfo, nullptr};

namespace {

// Closes the clipboard on every path out of a load.
class ClipboardSession {
public:
    explicit ClipboardSession(TClipboard& clipboard) : FClipboard(clipboard) { FClipboard.Open(); }
    ~ClipboardSession() { FClipboard.Close(); }
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;

private:
    TClipboard& FClipboard;
};

} // namespace

void TFvGraphic::Assign(TPersistent* Source)
{
    auto* clipboard = dynamic_cast<TClipboard*>(Source);
    if (!clipboard) {
        TGraphic::Assign(Source);
        return;
    }
    ClipboardSession session(*clipboard);
    HGLOBAL data = clipboard->GetAsHandle(ClipboardFormat());
    // The clipboard layer carries memory blocks only, never palette objects.
    LoadFromClipboardFormat(ClipboardFormat(), data, nullptr);
}
