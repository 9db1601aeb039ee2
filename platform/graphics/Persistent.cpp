#include "platform/graphics/Persistent.h"

#include "platform/core/Exceptions.h"

void TPersistent::Assign(TPersistent* Source)
{
    if (!Source)
        AssignError(nullptr);
    Source->AssignTo(this);
}

void TPersistent::AssignTo(TPersistent* Dest)
{
    if (!Dest)
        throw EConvertError("Cannot assign a " + ClassName() + " to a nil");
    Dest->AssignError(this);
}

void TPersistent::AssignError(TPersistent* Source)
{
    const std::string sourceName = Source ? Source->ClassName() : "nil";
    throw EConvertError("Cannot assign a " + sourceName + " to a " + ClassName());
}
