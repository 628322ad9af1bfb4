// Fuzz target: the object file converter (convert_object_file). The input is the whole
// "object" file. The converter must never end the process; "object.new" must have the
// input's length and hold the cipher of it; and converting "object.new" again must give
// back the input byte for byte.
#include <cstdint>

#include "fuzz/fuzz_support.h"

namespace {

std::string expected_output(const Bytes& object) {
  if (object.empty()) {
    return "Read error!\n";
  }
  const char* label = object.size() > 5 && object[5] != 0 ? "decrypted" : "encrypted";
  return std::string("Converting ") + label + " object file to object.new... Done.\n";
}

// Converts `object` and checks the outcome; returns what "object.new" holds.
Bytes convert(const Bytes& object) {
  FileTree files = {{"object", object}};
  Outcome outcome = run_operation(files, Operation::kConvertObjectFile, 0, 0);
  FileTree expected = files;
  expected["object.new"] = object.empty() ? Bytes() : object_cipher(object);
  expect_outcome(outcome, false, expected_output(object), expected);
  return outcome.tree["object.new"];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Bytes object(data, data + size);
  Bytes converted = convert(object);
  if (converted.size() != object.size()) {
    fuzz_failure("object.new differs in length from object", Outcome(), "");
  }
  if (!object.empty() && convert(converted) != object) {
    fuzz_failure("converting object.new again does not give back the input", Outcome(), "");
  }
  return 0;
}
