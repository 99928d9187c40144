// MinGW-w64 10's DirectComposition header plus IDCompositionVisual3, which it lacks and
// VSTGUI uses to fade a visual. Overloads are declared in the order GCC lays out the
// table, as the MinGW headers do for the other composition interfaces.
#pragma once
#include_next <dcomp.h>

#ifndef CADORA_DCOMP_VISUAL3
#define CADORA_DCOMP_VISUAL3

#undef INTERFACE
#define INTERFACE IDCompositionVisual3
DECLARE_INTERFACE_IID_(IDCompositionVisual3, IDCompositionVisualDebug, "2775F462-B6C1-4015-B0BE-B3E7D6A4976D")
{
    STDMETHOD(SetDepthMode)(THIS_ enum DCOMPOSITION_DEPTH_MODE) PURE;
    STDMETHOD(SetOffsetZ)(THIS_ IDCompositionAnimation*) PURE;
    STDMETHOD(SetOffsetZ)(THIS_ float) PURE;
    STDMETHOD(SetOpacity)(THIS_ IDCompositionAnimation*) PURE;
    STDMETHOD(SetOpacity)(THIS_ float) PURE;
    STDMETHOD(SetTransform)(THIS_ IDCompositionTransform3D*) PURE;
    STDMETHOD(SetTransform)(THIS_ const D2D_MATRIX_4X4_F&) PURE;
    STDMETHOD(SetVisible)(THIS_ BOOL) PURE;
};
__CRT_UUID_DECL(IDCompositionVisual3,0x2775f462,0xb6c1,0x4015,0xb0,0xbe,0xb3,0xe7,0xd6,0xa4,0x97,0x6d);
#undef INTERFACE

#endif
