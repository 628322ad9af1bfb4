// Fuzz target: the object file converter (convert_object_file). The input is a leading
// setup byte (fuzz_support.h: the spelling and an obstacle at "object" or "object.new"),
// then the whole "object" file. Every outcome is compared with what the conversion must do:
// it never ends the process; "object.new" has the file's length and holds the cipher of it,
// and converting "object.new" again gives back the file byte for byte; nothing else changes,
// in the game directory or beside it.
#include <cstdint>

#include "fuzz/fuzz_support.h"

namespace {

ExpectedOutcome expected_conversion(const Bytes& object, const SideSetup& setup,
                                    const Scene& scene) {
  ExpectedOutcome expected = unchanged_scene(scene);
  expected.out = expected_side_refusal(setup, "object");
  if (!expected.out.empty()) {
    return expected;
  }
  if (object.empty()) {
    expected.out = "Read error!\n";
  } else {
    const char* label = object.size() > 5 && object[5] != 0 ? "decrypted" : "encrypted";
    expected.out = std::string("Converting ") + label + " object file to object.new... Done.\n";
  }
  expected.tree["object.new"] = object.empty() ? Bytes() : object_cipher(object);
  return expected;
}

// Converts `object` and checks the outcome; returns what "object.new" holds, empty when
// the setup keeps the conversion from writing it.
Bytes convert(const Bytes& object, const SideSetup& setup) {
  Scene scene = side_scene("object", object, "object.new", setup);
  Outcome outcome = run_operation(scene, Operation::kConvertObjectFile, 0, 0);
  expect_outcome(outcome, expected_conversion(object, setup, scene));
  return outcome.tree["object.new"];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SideSetup setup = decode_side_setup(size > 0 ? data[0] : 0);
  Bytes object(data + (size > 0 ? 1 : 0), data + size);
  Bytes converted = convert(object, setup);
  if (object.empty() || !expected_side_refusal(setup, "object").empty()) {
    return 0;
  }
  if (converted.size() != object.size()) {
    fuzz_failure("object.new differs in length from object", Outcome(), "");
  }
  if (convert(converted, SideSetup()) != object) {
    fuzz_failure("converting object.new again does not give back the input", Outcome(), "");
  }
  return 0;
}
