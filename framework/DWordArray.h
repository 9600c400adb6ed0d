// CDWordArray: a growable array of 32-bit unsigned values.
#pragma once

#include "framework/ArrayOf.h"

extern template class CArrayOf<DWORD>;

class CDWordArray : public CArrayOf<DWORD> {};
