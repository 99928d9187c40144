#include "piecedriver.h"

#include "keydetect/offlinefeed.h"
#include "plugin/sharedstatus.h"

#include <sndfile.h>

#include <vector>

namespace cadora {

const char* const kCheckpointNames[kCheckpointCount] = {"5 s", "10 s", "20 s", "end"};

namespace {

// The plug-in's mono feed: the channels summed in order in float, divided by their count.
std::vector<float> mixToMono (const std::vector<float>& frames, int channels)
{
	std::vector<float> mono (frames.size () / channels);
	for (size_t i = 0; i < mono.size (); ++i)
	{
		float m = 0.0f;
		for (int c = 0; c < channels; ++c)
			m += frames[i * channels + c];
		mono[i] = m / static_cast<float> (channels);
	}
	return mono;
}

void recordPass (const SharedStatus& status, double seconds, PieceResult& r)
{
	const int32_t key = status.detectedKey.load ();
	const int32_t tempo = status.tempoBpm.load ();
	if (key >= 0 && r.firstKeySeconds < 0.0)
		r.firstKeySeconds = seconds;
	for (int c = 0; c < kCheckpointCount - 1; ++c)
	{
		if (seconds <= kCheckpointSeconds[c])
		{
			r.key[c] = key;
			r.tempo[c] = tempo;
		}
	}
	// The end of the music: the last pass that heard music, not the silent tail of the file
	// (where the tempo is withdrawn 8 s after the last beat, as it should be).
	if (status.musicPresent.load ())
	{
		r.key[kCheckpointCount - 1] = key;
		r.tempo[kCheckpointCount - 1] = tempo;
	}
}

} // namespace

PieceResult analysePiece (const std::string& wavPath)
{
	PieceResult r;
	r.key.fill (-1);
	r.tempo.fill (0);
	SF_INFO info {};
	SNDFILE* file = sf_open (wavPath.c_str (), SFM_READ, &info);
	if (!file)
	{
		r.error = sf_strerror (nullptr);
		return r;
	}
	std::vector<float> frames (static_cast<size_t> (info.frames) * info.channels);
	sf_readf_float (file, frames.data (), info.frames);
	sf_close (file);

	SharedStatus status;
	OfflineFeed feed (status, info.samplerate, [&] (double seconds) { recordPass (status, seconds, r); });
	const std::vector<float> mono = mixToMono (frames, info.channels);
	feed.pushMono (mono.data (), mono.size ());
	r.seconds = feed.secondsFed ();
	r.ok = true;
	return r;
}

} // namespace cadora
