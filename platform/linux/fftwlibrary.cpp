// On Linux the dynamic linker binds FFTW with the module (from the module's folder
// first, by its run path): a module that loaded has FFTW.
#include "platform/fftwlibrary.h"

namespace cadora::platform {

bool fftwAvailable ()
{
	return true;
}

} // namespace cadora::platform
