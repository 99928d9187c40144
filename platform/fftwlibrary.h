// Whether FFTW, which only key detection uses, can be called. On Windows the FFTW module
// is bound on first use from the plug-in module's own folder, and may be missing; key
// detection asks here first and stays off instead of calling into nothing.
#pragma once

namespace cadora::platform {

// Windows: true when libfftw3-3.dll loads by the rule of the delay-load hook (the
// plug-in's folder first, then the default search) and has the functions used; the
// answer of the first call is kept. Linux: true (FFTW is linked like any library).
bool fftwAvailable ();

} // namespace cadora::platform
