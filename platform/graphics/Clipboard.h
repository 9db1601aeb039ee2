// The system clipboard, reached through a replaceable backend: an in-process
// one by default, the desktop's once the windowing layer installs its own.
#pragma once

#include "platform/core/GlobalMemory.h"
#include "platform/gdi/Gdi.h"
#include "platform/graphics/Persistent.h"

#include <memory>
#include <vector>

class ClipboardBackend {
public:
    virtual ~ClipboardBackend() = default;
    virtual bool HasFormat(unsigned format) = 0;
    // A block the caller owns with the data in format, or null.
    virtual HGLOBAL GetData(unsigned format) = 0;
    // Takes ownership of data.
    virtual void SetData(unsigned format, HGLOBAL data) = 0;
    virtual void Clear() = 0;
};

// Installs the backend every TClipboard uses from now on; null restores the in-process one.
void SetClipboardBackend(std::unique_ptr<ClipboardBackend> backend);

class TClipboard : public TPersistent {
public:
    TClipboard() = default;
    ~TClipboard() override;
    std::string ClassName() const override { return "TClipboard"; }

    // Opens nest; Close after the last one ends the session.
    void Open();
    void Close();
    void Clear();
    bool HasFormat(unsigned format);
    // The clipboard's block for format, owned by the clipboard and valid until
    // it is closed or changed; null when the format is not there.
    HGLOBAL GetAsHandle(unsigned format);
    // The clipboard takes ownership of data.
    void SetAsHandle(unsigned format, HGLOBAL data);
    // A graphic puts itself on the clipboard through SaveToClipboardFormat.
    void Assign(TPersistent* Source) override;

private:
    int FOpenRefCount = 0;
    bool FEmptied = false;
    std::vector<HGLOBAL> FHandedOut;
    void ReleaseHandedOut();
};
