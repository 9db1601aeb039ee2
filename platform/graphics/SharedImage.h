// Reference-counted image data shared by several graphics of one class.
#pragma once

class TSharedImage {
public:
    virtual ~TSharedImage() = default;
    void Reference() { ++FRefCount; }
    // Drops one reference; the last one deletes the object.
    void Release()
    {
        if (--FRefCount == 0) {
            FreeHandle();
            delete this;
        }
    }
    int RefCount() const { return FRefCount; }

protected:
    virtual void FreeHandle() = 0;

private:
    int FRefCount = 0;
};
