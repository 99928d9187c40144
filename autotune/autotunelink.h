// AutoTuneLink: finds a supported auto-tune's live edit controller inside the host
// process and writes key, scale and retune into it, reading them back. Used by the
// processor's worker thread alone.
#pragma once

#include "autotune/hostprocess.h"
#include "autotune/knownautotunes.h"
#include "keydetect/steadyclock.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <cstdint>
#include <vector>

namespace cadora {

class AutoTuneLink
{
public:
	explicit AutoTuneLink (SteadyClock& clock, HostProcess& process = currentProcess ());

	// The discovery schedule, then the pending writes.
	void tick ();
	void setHardness (double value);
	void setKey (int32_t root, bool minor);
	bool readHardness (double& value);
	bool readKey (int32_t& root, bool& minor);
	bool isConnected () const { return connected; }

	// Brings the connection up to date: revalidation, else a full search.
	void discover ();
	// Fingerprint of the process's module list (base and size of every module).
	uint64_t moduleFingerprint () const;

	// For tests and the command-line tool.
	Steinberg::Vst::IEditController* linkedController () const { return controller; }
	int32_t linkedRow () const { return row; }
	double pendingHardnessValue () const { return pendingHardness; }
	int32_t pendingRootValue () const { return pendingRoot; }

private:
	struct Candidate
	{
		platform::ModuleInfo module;
		int32_t row;
	};
	struct ThrowAway
	{
		uintptr_t maskedWord; // interface-table word, masked (see hidden ())
		int32_t row;
		Steinberg::Vst::IEditController* instance;
	};

	void runSchedule (int64_t now);
	void apply ();
	bool answering ();
	void resetLink ();
	std::vector<Candidate> findCandidates ();
	void createThrowAways (const Candidate& candidate, std::vector<ThrowAway>& out);
	bool scanForController (const std::vector<Candidate>& candidates,
	                        const std::vector<ThrowAway>& throwAways);
	bool scanRegion (uintptr_t base, size_t size, const std::vector<ThrowAway>& throwAways);
	bool acceptHit (uintptr_t slot, const std::vector<ThrowAway>& throwAways);

	SteadyClock& clock;
	HostProcess& process;

	// Connection.
	Steinberg::Vst::IEditController* controller = nullptr; // borrowed, never counted
	uintptr_t controllerMaskedWord = 0;
	int32_t row = -1;
	bool connected = false;
	int64_t nextValidateTime = 0;
	int64_t nextModuleCheckTime = 0;
	int64_t nextForcedRescanTime = 0;
	uint64_t lastFingerprint = 0;
	bool forceRescan = true;

	// Pending values and throttles.
	double pendingHardness = -0.1;
	int32_t pendingRoot = -1;
	bool pendingMinor = false;
	int64_t lastHardnessWrite = 0;
	int64_t lastKeyWrite = 0;
	int64_t lastHardnessRead = 0;
};

// getParameterCount of an object that must still begin with the interface-table word
// `maskedWord` (masked); -1 when the memory cannot be read, the word differs, or the
// call faults.
int32_t probeParameterCount (Steinberg::Vst::IEditController* object, uintptr_t maskedWord);

} // namespace cadora
