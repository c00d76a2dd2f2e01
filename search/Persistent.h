#pragma once
// The base of the criteria objects: persistent values owned by their parent
// and copied with Assign. Copying between unrelated classes is refused with
// the framework's conversion error.

#include <string>

namespace dm {

class TPersistent
{
public:
    virtual ~TPersistent() = default;

    // The class name used in the conversion error's message.
    virtual const char *ClassName() const = 0;

    // Copies Source into this object. The default refuses every source with
    // EConvertError "Cannot assign a %s to a %s" (the source's class name or
    // "nil", then this class's name) and leaves this object unchanged.
    virtual void Assign(const TPersistent *Source);

protected:
    TPersistent() = default;
    TPersistent(const TPersistent &) = default;
    TPersistent &operator=(const TPersistent &) = default;
};

} // namespace dm
