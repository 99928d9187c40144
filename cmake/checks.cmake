# Build options that check our own code: sanitizer builds, compiler warnings (as errors
# on request) and the libFuzzer targets. ./dev test sets them for its check builds; a
# plain build is unchanged.
#   CADORA_SANITIZE=address  AddressSanitizer and UndefinedBehaviorSanitizer, halting at
#                            the first report
#   CADORA_SANITIZE=thread   ThreadSanitizer
#   CADORA_WERROR=ON         warnings in our own code fail the build
#   CADORA_FUZZ=ON           the fuzz targets in fuzz/ (clang only, with address)

set(CADORA_SANITIZE "" CACHE STRING "Sanitizer build: address or thread (empty: none)")
set_property(CACHE CADORA_SANITIZE PROPERTY STRINGS "" address thread)
option(CADORA_WERROR "Treat warnings in our own code as errors" OFF)
option(CADORA_FUZZ "Build the libFuzzer targets (clang, CADORA_SANITIZE=address)" OFF)

# The sanitizers go on every target of the tree, the SDK's included: ThreadSanitizer only
# sees the synchronisation of code it instruments, and AddressSanitizer's reports are
# only as good as the allocations it watches.
macro(cadora_sanitize_everything)
  if(CADORA_SANITIZE STREQUAL "address")
    set(sanitize_flags -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  elseif(CADORA_SANITIZE STREQUAL "thread")
    set(sanitize_flags -fsanitize=thread -fno-omit-frame-pointer)
  elseif(NOT CADORA_SANITIZE STREQUAL "")
    message(FATAL_ERROR "CADORA_SANITIZE must be address or thread, not ${CADORA_SANITIZE}")
  endif()
  if(CADORA_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang" OR NOT CADORA_SANITIZE STREQUAL "address")
      message(FATAL_ERROR "CADORA_FUZZ needs clang and CADORA_SANITIZE=address")
    endif()
    # Coverage for the fuzzer in all code; the fuzz programs link its driver themselves.
    list(APPEND sanitize_flags -fsanitize=fuzzer-no-link)
  endif()
  if(sanitize_flags)
    # Release, so that programs land where the tests look for them; -g for the reports.
    add_compile_options(${sanitize_flags} -g)
    add_link_options(${sanitize_flags})
  endif()
endmacro()

# Warnings for our own directories, added after the SDK so that its targets keep their
# own settings. Each flag below builds clean today; a new warning is a new fault.
# Not -Wnon-virtual-dtor: the SDK's interfaces are COM-style, released through release ()
# and never deleted through a base pointer, so it fires on every class implementing one.
macro(cadora_warn_own_code)
  add_compile_options(-Wall -Wextra -Woverloaded-virtual -Wpointer-arith)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    add_compile_options(-Wshadow=local)
  endif()
  if(CADORA_WERROR)
    add_compile_options(-Werror)
  endif()
endmacro()
