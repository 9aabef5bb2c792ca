// The libebur128 functions the loudness measure calls, loaded with the library
// the first time a loudness is measured (see playback/LazyLibrary.h). Without
// the library no measure starts (ebur128_init gives none).
#include "playback/LazyLibrary.h"

#include <ebur128.h>

namespace {

void *ebur128()
{
    static void *const library = lazy_library::open("libebur128.so.1");
    return library;
}

}  // namespace

BRINDLEWAVE_LAZY_FUNCTION(ebur128(), ebur128_state *, ebur128_init,
                          (unsigned int channels, unsigned long samplerate, int mode),
                          (channels, samplerate, mode), nullptr)
BRINDLEWAVE_LAZY_FUNCTION(ebur128(), void, ebur128_destroy, (ebur128_state * *st), (st), void())
BRINDLEWAVE_LAZY_FUNCTION(ebur128(), int, ebur128_add_frames_float,
                          (ebur128_state * st, const float *src, size_t frames), (st, src, frames),
                          EBUR128_ERROR_NOMEM)
BRINDLEWAVE_LAZY_FUNCTION(ebur128(), int, ebur128_loudness_global, (ebur128_state * st, double *out), (st, out),
                          EBUR128_ERROR_NOMEM)
BRINDLEWAVE_LAZY_FUNCTION(ebur128(), int, ebur128_true_peak,
                          (ebur128_state * st, unsigned int channel_number, double *out),
                          (st, channel_number, out), EBUR128_ERROR_NOMEM)
