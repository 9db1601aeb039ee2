// The assignable object of the class library: Assign copies from a source
// that knows how, or asks the source to copy itself into this object.
#pragma once

#include <functional>
#include <string>

class TPersistent {
public:
    virtual ~TPersistent() = default;
    virtual std::string ClassName() const = 0;

    // The default asks Source->AssignTo(this); a null source raises EConvertError.
    virtual void Assign(TPersistent* Source);

protected:
    // The default raises EConvertError "Cannot assign a <source class> to a <this class>".
    virtual void AssignTo(TPersistent* Dest);
    void AssignError(TPersistent* Source);

    friend class TPersistentAccess;
};

// Lets a class call AssignTo of another object, as the class library's units could.
class TPersistentAccess {
public:
    static void AssignTo(TPersistent& source, TPersistent* dest) { source.AssignTo(dest); }
};

using TNotifyEvent = std::function<void(TPersistent* Sender)>;
