#include "platform/graphics/Graphic.h"

#include <algorithm>

const TGraphicClassInfo TGraphic::ClassInfo = {"TGraphic", nullptr, nullptr};

bool InheritsFrom(TGraphicClass cls, TGraphicClass base)
{
    for (; cls; cls = cls->Parent)
        if (cls == base)
            return true;
    return false;
}

void TGraphic::SetModified(bool value)
{
    if (value)
        Changed(this);
    else
        FModified = false;
}

void TGraphic::Changed(TPersistent*)
{
    FModified = true;
    if (OnChange)
        OnChange(this);
}

void TGraphic::DrawTransparent(TCanvas& ACanvas, const TRect& Rect, uint8_t)
{
    Draw(ACanvas, Rect);
}

bool TGraphic::Equals(TGraphic* Graphic)
{
    if (!Graphic || Graphic->ClassType() != ClassType())
        return false;
    if (Empty() || Graphic->Empty())
        return Empty() && Graphic->Empty();
    TMemoryStream mine;
    TMemoryStream theirs;
    WriteData(mine);
    Graphic->WriteData(theirs);
    return mine.Size() == theirs.Size()
           && std::equal(mine.Memory(), mine.Memory() + mine.Size(), theirs.Memory());
}

void TGraphic::SetTransparent(bool Value)
{
    if (Value != FTransparent) {
        FTransparent = Value;
        Changed(this);
    }
}

void TGraphic::LoadFromFile(const std::string& FileName)
{
    TFileStream stream(FileName, fmOpenRead);
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& FileName)
{
    TFileStream stream(FileName, fmCreate);
    SaveToStream(stream);
}

void TGraphic::SetSize(int AWidth, int AHeight)
{
    SetWidth(AWidth);
    SetHeight(AHeight);
}

void TGraphic::Progress(TPersistent* Sender, TProgressStage Stage, uint8_t PercentDone, bool RedrawNow,
                        const TRect& R, const std::string& Msg)
{
    if (OnProgress)
        OnProgress(Sender, Stage, PercentDone, RedrawNow, R, Msg);
}
