// The mono feed of key detection: a ring of the newest samples that the audio thread
// writes and the worker thread copies from, without a lock on either side. Every slot is
// an atomic float (a plain store and load on x86-64), and the writer announces how far it
// will write before it touches a slot, so that a reader that fell a whole ring behind can
// tell which of the samples it copied were overwritten meanwhile and drop them.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace cadora {

class MonoRing
{
public:
	// Outside processing only: `length` zeroed slots (0 = none), nothing written yet.
	void allocate (size_t length)
	{
		slots.reset (length > 0 ? new std::atomic<float>[length]() : nullptr);
		count = length;
		reserved.store (0, std::memory_order_relaxed);
		writtenCount.store (0, std::memory_order_release);
	}
	void release () { allocate (0); }

	size_t size () const { return count; }
	bool empty () const { return count == 0; }

	// Writer side (the audio thread). A block of writes is bracketed by beginWrite, with
	// the number of the first sample after the block, and endWrite with the same number.
	void beginWrite (uint64_t end)
	{
		reserved.store (end, std::memory_order_relaxed);
		std::atomic_thread_fence (std::memory_order_release);
	}
	void put (uint64_t n, float value)
	{
		if (count > 0)
			slots[n % count].store (value, std::memory_order_relaxed);
	}
	void endWrite (uint64_t end) { writtenCount.store (end, std::memory_order_release); }

	// Reader side (the worker). Samples ever written; those before it are readable.
	uint64_t written () const { return writtenCount.load (std::memory_order_acquire); }
	float at (uint64_t n) const { return slots[n % count].load (std::memory_order_relaxed); }
	// After copying samples, the number of the first one that is surely still the
	// sample of that number: the ones before it may have been overwritten by the writer.
	uint64_t firstIntact () const
	{
		std::atomic_thread_fence (std::memory_order_acquire);
		const uint64_t end = reserved.load (std::memory_order_relaxed);
		return end > count ? end - count : 0;
	}

private:
	std::unique_ptr<std::atomic<float>[]> slots;
	size_t count = 0;
	std::atomic<uint64_t> reserved {0};
	std::atomic<uint64_t> writtenCount {0};
};

} // namespace cadora
