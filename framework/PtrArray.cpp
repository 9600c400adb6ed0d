#include "framework/PtrArray.h"

// The one instantiation that every user of CPtrArray links against.
template class CArrayOf<void*>;
