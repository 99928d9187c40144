// Mixed-case name of a Windows header as some sources spell it; MinGW-w64 ships it in lower case.
#pragma once
#include <d3dcompiler.h>
