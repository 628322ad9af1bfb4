// A test-only allocator shim, loaded into the kesk child with LD_PRELOAD: malloc fails for
// exactly the size named by KESK_FAIL_ALLOCATION_SIZE and behaves normally otherwise. It
// lets the tests reach the out-of-memory messages without touching the product's code.
#include <cerrno>
#include <cstddef>
#include <cstdlib>

extern "C" void* __libc_malloc(size_t size);

extern "C" void* malloc(size_t size) {
  // getenv allocates nothing, so it is safe to call from inside malloc.
  static const char* failing = getenv("KESK_FAIL_ALLOCATION_SIZE");
  if (failing != nullptr && size == strtoul(failing, nullptr, 10)) {
    errno = ENOMEM;
    return nullptr;
  }
  return __libc_malloc(size);
}
