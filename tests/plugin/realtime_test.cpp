// The process callback must not allocate or lock. This program replaces the global
// allocation functions (and, on Linux, interposes malloc and pthread_mutex_lock) to
// count what the test thread does while it is inside process().
#include "plugin/parameters.h"
#include "testhost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <dlfcn.h>
#include <pthread.h>
#endif

namespace {
thread_local bool counting = false;
std::atomic<int> allocations {0};
std::atomic<int> locks {0};

void noteAllocation ()
{
	if (counting)
		++allocations;
}
} // namespace

void* operator new (size_t size)
{
	noteAllocation ();
	if (void* p = std::malloc (size ? size : 1))
		return p;
	throw std::bad_alloc ();
}
void* operator new[] (size_t size)
{
	return operator new (size);
}
void* operator new (size_t size, const std::nothrow_t&) noexcept
{
	noteAllocation ();
	return std::malloc (size ? size : 1);
}
void* operator new[] (size_t size, const std::nothrow_t& tag) noexcept
{
	return operator new (size, tag);
}
void operator delete (void* p) noexcept
{
	std::free (p);
}
void operator delete[] (void* p) noexcept
{
	std::free (p);
}
void operator delete (void* p, size_t) noexcept
{
	std::free (p);
}
void operator delete[] (void* p, size_t) noexcept
{
	std::free (p);
}

#if defined(__linux__)
extern "C" {
void* __libc_malloc (size_t);
void* __libc_calloc (size_t, size_t);
void* __libc_realloc (void*, size_t);

void* malloc (size_t size)
{
	noteAllocation ();
	return __libc_malloc (size);
}
void* calloc (size_t n, size_t size)
{
	noteAllocation ();
	return __libc_calloc (n, size);
}
void* realloc (void* p, size_t size)
{
	noteAllocation ();
	return __libc_realloc (p, size);
}

using MutexLock = int (*) (pthread_mutex_t*);
MutexLock realMutexLock = nullptr;

int pthread_mutex_lock (pthread_mutex_t* mutex)
{
	if (counting)
		++locks;
	return realMutexLock (mutex);
}
}

namespace {
struct ResolveMutexLock
{
	ResolveMutexLock ()
	{
		realMutexLock = reinterpret_cast<MutexLock> (dlsym (RTLD_NEXT, "pthread_mutex_lock"));
	}
} resolveMutexLock;
} // namespace
#endif

namespace cadora {
namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

TEST (RealTime, ProcessNeitherAllocatesNorLocks)
{
	test::ProcessorUnderTest p (48000.0, 512);
	ASSERT_EQ (kResultOk, p->setActive (true));
	test::Bus in (2, 512), out (2, 512);
	for (int j = 0; j < 512; ++j)
	{
		in.channels[0][j] = 0.4f * std::sin (0.05f * j);
		in.channels[1][j] = 0.3f * std::sin (0.07f * j);
	}
	// Every path: transposed and not, vocal remover on, band analysis inside the blocks,
	// parameter changes arriving, odd block sizes.
	auto transpose =
	    test::makeChanges ({{kParamPitch, {0.8}}, {kParamMuteStrength, {0.7}}, {kParamHardness, {0.2}}});
	auto plain = test::makeChanges ({{kParamPitch, {0.5}}});
	const int sizes[] = {512, 100, 1, 333, 512, 64};
	allocations = 0;
	locks = 0;
	for (int round = 0; round < 40; ++round)
	{
		IParameterChanges* changes = round == 0 ? transpose.get () : round == 20 ? plain.get () : nullptr;
		counting = true;
		const tresult result = test::runBlock (*p.processor, in, out, sizes[round % 6], changes);
		counting = false;
		ASSERT_EQ (kResultOk, result);
	}
	EXPECT_EQ (0, allocations.load ());
	EXPECT_EQ (0, locks.load ());
}

TEST (RealTime, CountersSeeAllocationsAndLocks)
{
	// The instruments themselves work: an allocation and a lock on this thread are seen.
	allocations = 0;
	locks = 0;
	counting = true;
	void* p = ::operator new (16); // a direct call, which the compiler may not elide
#if defined(__linux__)
	pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
	pthread_mutex_lock (&mutex);
	pthread_mutex_unlock (&mutex);
#endif
	counting = false;
	::operator delete (p);
	EXPECT_GE (allocations.load (), 1);
#if defined(__linux__)
	EXPECT_EQ (1, locks.load ());
#endif
}

} // namespace
} // namespace cadora
