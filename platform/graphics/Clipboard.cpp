#include "platform/graphics/Clipboard.h"

#include "platform/graphics/Graphic.h"

#include <map>

namespace {

// The clipboard of this process alone, used until the windowing layer installs the desktop's.
class InProcessClipboard : public ClipboardBackend {
public:
    ~InProcessClipboard() override { Clear(); }
    bool HasFormat(unsigned format) override { return FBlocks.count(format) != 0; }
    HGLOBAL GetData(unsigned format) override
    {
        const auto it = FBlocks.find(format);
        if (it == FBlocks.end())
            return nullptr;
        HGLOBAL copy = GlobalAllocCopy(GlobalLock(it->second), GlobalSize(it->second));
        GlobalUnlock(it->second);
        return copy;
    }
    void SetData(unsigned format, HGLOBAL data) override
    {
        auto& slot = FBlocks[format];
        if (slot && slot != data)
            GlobalFree(slot);
        slot = data;
    }
    void Clear() override
    {
        for (auto& entry : FBlocks)
            GlobalFree(entry.second);
        FBlocks.clear();
    }

private:
    std::map<unsigned, HGLOBAL> FBlocks;
};

std::unique_ptr<ClipboardBackend>& Backend()
{
    static std::unique_ptr<ClipboardBackend> backend = std::make_unique<InProcessClipboard>();
    return backend;
}

} // namespace

void SetClipboardBackend(std::unique_ptr<ClipboardBackend> backend)
{
    Backend() = backend ? std::move(backend) : std::make_unique<InProcessClipboard>();
}

TClipboard::~TClipboard()
{
    ReleaseHandedOut();
}

void TClipboard::Open()
{
    if (FOpenRefCount++ == 0)
        FEmptied = false;
}

void TClipboard::Close()
{
    if (FOpenRefCount == 0)
        return;
    if (--FOpenRefCount == 0)
        ReleaseHandedOut();
}

void TClipboard::Clear()
{
    Open();
    ReleaseHandedOut();
    Backend()->Clear();
    FEmptied = true;
    Close();
}

bool TClipboard::HasFormat(unsigned format)
{
    return Backend()->HasFormat(format);
}

HGLOBAL TClipboard::GetAsHandle(unsigned format)
{
    HGLOBAL data = Backend()->GetData(format);
    if (data)
        FHandedOut.push_back(data);
    return data;
}

void TClipboard::SetAsHandle(unsigned format, HGLOBAL data)
{
    if (!data)
        return;
    Open();
    // The first write of a session replaces whatever the clipboard held.
    if (!FEmptied)
        Clear();
    ReleaseHandedOut();
    Backend()->SetData(format, data);
    Close();
}

void TClipboard::Assign(TPersistent* Source)
{
    auto* graphic = dynamic_cast<TGraphic*>(Source);
    if (!graphic) {
        TPersistent::Assign(Source);
        return;
    }
    unsigned format = 0;
    HGLOBAL data = nullptr;
    HPALETTE palette = nullptr;
    graphic->SaveToClipboardFormat(format, data, palette);
    // The colour table travels inside the block; the palette handle is not kept.
    if (palette)
        DeleteObject(palette);
    Open();
    try {
        Clear();
        SetAsHandle(format, data);
    } catch (...) {
        Close();
        throw;
    }
    Close();
}

void TClipboard::ReleaseHandedOut()
{
    for (HGLOBAL block : FHandedOut)
        GlobalFree(block);
    FHandedOut.clear();
}
