// Arbitrary bytes as a menu file: see MenuTextChecks.h for what must hold.
#include <cstddef>
#include <cstdint>

#include "../menufile/MenuTextChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  menufile::checks::CheckMenuText(std::string(reinterpret_cast<const char*>(data), size));
  return 0;
}
