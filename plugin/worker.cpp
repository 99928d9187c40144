#include "plugin/worker.h"

#include "keydetect/keymodel.h"
#include "plugin/sharedstatus.h"

#include "platform/fftwlibrary.h"

namespace cadora {

int32_t transposedKey (int32_t k, int semitones)
{
	if (k < 0 || k >= kKeyCount)
		return kNoKey;
	const int32_t root = ((keyIndexToRoot (k) + semitones) % 12 + 12) % 12;
	return keyIndexFromRoot (root, keyIndexIsMinor (k));
}

Worker::Worker () = default;
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

void Worker::runLinkSteps (WorkerChannel& channel)
{
	auto& status = sharedStatus ();
	AutoTuneLink& link = *autoTuneLink;
	link.tick ();
	status.linkConnected.store (link.isConnected ());
	double hardness = 0.0;
	if (channel.takeHardness (hardness))
		link.setHardness (hardness);
	if (link.readHardness (hardness))
		status.linkedHardness.store (hardness);
	int32_t root = 0;
	bool minor = false;
	if (link.readKey (root, minor))
		status.linkedKey.store (keyIndexFromRoot (root, minor));
	// The singer hears the music moved by Pitch, so the auto-tune gets the moved key.
	const int32_t key = transposedKey (status.detectedKey.load (), channel.semitones ());
	if (key >= 0 && key != lastHandedKey)
	{
		link.setKey (keyIndexToRoot (key), keyIndexIsMinor (key));
		lastHandedKey = key;
	}
}

void Worker::runSteps (WorkerChannel& channel)
{
	if (autoTuneLink)
		runLinkSteps (channel);
	// Without FFTW (its module missing beside the plug-in) key detection stays off.
	if (channel.ring.written () < kMinWrittenForPass || !platform::fftwAvailable ())
		return;
	auto& status = sharedStatus ();
	const bool redetect = status.redetectRequested.exchange (false);
	status.publish (
	    keyDetector.detectionPass (channel.ring, channel.sampleRate (), timeSource->nowNs (), redetect));
}

bool Worker::runCycle (WorkerChannel& channel)
{
	try
	{
		runSteps (channel);
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

void Worker::run (WorkerChannel& channel)
{
	while (channel.running ())
	{
		if (!runCycle (channel))
			return;
		channel.waitFor (kCycleNs);
	}
}

} // namespace cadora
