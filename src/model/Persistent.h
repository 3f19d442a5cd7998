#pragma once
// The common base of the data classes that copy themselves with Assign. Assign takes the base so
// that a caller holding any persistent object can copy; a source of another class is refused with
// EConvertError, so a wrong copy never passes silently.
#include <string>

namespace qm {

class TPersistent {
public:
    virtual ~TPersistent();
    virtual void Assign(const TPersistent& source);
    virtual const char* ClassName() const = 0;

protected:
    // Raises EConvertError "<this class> に <source class> を代入できません。".
    [[noreturn]] void AssignError(const TPersistent& source) const;
};

} // namespace qm
