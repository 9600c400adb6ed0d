#include "framework/DWordArray.h"

// The one instantiation that every user of CDWordArray links against.
template class CArrayOf<DWORD>;
