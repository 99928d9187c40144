#include "plugin/worker.h"

#include "keydetect/keymodel.h"
#include "plugin/processor.h"
#include "plugin/sharedstatus.h"

#include "platform/clock.h"
#include "platform/fftwlibrary.h"

namespace cadora {

int32_t transposedKey (int32_t k, int semitones)
{
	if (k < 0 || k >= kKeyCount)
		return kNoKey;
	const int32_t root = ((keyIndexToRoot (k) + semitones) % 12 + 12) % 12;
	return keyIndexFromRoot (root, keyIndexIsMinor (k));
}

Worker::Worker () : keyDetector (sharedStatus ()) {}
Worker::~Worker () = default;

void Worker::setClock (SteadyClock& clock)
{
	timeSource = &clock;
}

void Worker::reset (size_t ringLength)
{
	keyDetector.reset (ringLength);
	autoTuneLink = std::make_unique<AutoTuneLink> (*timeSource);
	lastHandedKey = -1;
}

void Worker::clear ()
{
	keyDetector.clear ();
	autoTuneLink.reset ();
}

void Worker::runLinkSteps (VantoProcessor& processor)
{
	auto& status = sharedStatus ();
	AutoTuneLink& link = *autoTuneLink;
	link.tick ();
	status.linkConnected.store (link.isConnected ());
	double hardness = 0.0;
	if (processor.takeHardnessToPush (hardness))
		link.setHardness (hardness);
	if (link.readHardness (hardness))
		status.linkedHardness.store (hardness);
	int32_t root = 0;
	bool minor = false;
	if (link.readKey (root, minor))
		status.linkedKey.store (keyIndexFromRoot (root, minor));
	// The singer hears the music moved by Pitch, so the auto-tune gets the moved key.
	const int32_t key = transposedKey (status.detectedKey.load (), processor.transposeSemitones ());
	if (key >= 0 && key != lastHandedKey)
	{
		link.setKey (keyIndexToRoot (key), keyIndexIsMinor (key));
		lastHandedKey = key;
	}
}

void Worker::runSteps (VantoProcessor& processor)
{
	if (autoTuneLink)
		runLinkSteps (processor);
	// Without FFTW (its module missing beside the plug-in) key detection stays off.
	const uint64_t written = processor.monoSamplesWritten ();
	if (written >= kMinWrittenForPass && platform::fftwAvailable ())
		keyDetector.detectionPass (processor.mono ().data (), processor.mono ().size (), written,
		                           processor.sampleRate (), timeSource->nowNs ());
}

bool Worker::runCycle (VantoProcessor& processor)
{
	try
	{
		runSteps (processor);
		return true;
	}
	catch (...)
	{
		auto& status = sharedStatus ();
		status.tempoBpm.store (0);
		status.detectedKey.store (-1);
		return false;
	}
}

void Worker::loop (VantoProcessor* processor)
{
	Worker& worker = processor->worker ();
	while (processor->workerShouldRun ())
	{
		if (!worker.runCycle (*processor))
			return;
		platform::sleepUntilNs (platform::steadyNowNs () + kCycleNs);
	}
}

} // namespace cadora
