#pragma once

#include "Variant.h"

namespace platform::diadoc {

// An operation that the client runs in the background. IsCompleted turns true when it is done;
// Result then holds a DiadocList (a document list) or a Boolean (a content save), and reading it
// raises the error of a failed operation.
class DiadocAsyncResult : public Object
{
public:
    virtual bool IsCompleted() = 0;
    virtual Variant Result() = 0;
};

} // namespace platform::diadoc
