// CPtrArray: a growable array of untyped pointers; the array never owns what they point to.
#pragma once

#include "framework/ArrayOf.h"

extern template class CArrayOf<void*>;

class CPtrArray : public CArrayOf<void*> {};
