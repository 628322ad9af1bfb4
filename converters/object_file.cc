#include <cstdio>
#include <cstdlib>

#include "converters/converters.h"
#include "platform/platform.h"

const char object_labels[2][10] = {"encrypted", "decrypted"};

void xor_object_buffer(unsigned char* buffer, size_t length) {
  // Sixteen copies of the key make a block whose inner loop the compiler can vectorise.
  constexpr size_t kBlock = size_t{kObjectKeyLength} * 16;
  unsigned char key_block[kBlock];
  for (size_t i = 0; i < kBlock; ++i) {
    key_block[i] = kObjectKey[i % kObjectKeyLength];
  }
  size_t whole = length - length % kBlock;
  for (size_t start = 0; start < whole; start += kBlock) {
    for (size_t i = 0; i < kBlock; ++i) {
      buffer[start + i] ^= key_block[i];
    }
  }
  for (size_t i = whole; i < length; ++i) {
    buffer[i] ^= key_block[i - whole];
  }
}

// A file shorter than six bytes has no sixth byte and is taken as enciphered.
static const char* object_label(const unsigned char* data, size_t length) {
  return object_labels[length > 5 && data[5] != 0 ? 1 : 0];
}

void convert_object_file() {
  FILE* input = open_input_file("object");
  if (input == nullptr) {
    printf("Couldn't open file: object\n");
    return;
  }
  int64_t length = measure_file(input);
  FILE* output = create_output_file(working_directory(), "object.new");
  if (output == nullptr) {
    printf("Couldn't create outfile!\n");
    fclose(input);
    return;
  }
  size_t size = static_cast<size_t>(length);
  unsigned char* buffer = nullptr;
  // An empty file needs no buffer; a size the stream could not measure cannot be held.
  if (length < 0 ||
      (length > 0 && (buffer = static_cast<unsigned char*>(malloc(size))) == nullptr)) {
    printf("Couldn't allocate %ld bytes of memory!\n", static_cast<long>(length));
    fclose(input);
    fclose(output);
    return;
  }
  // A block of length 0 is never delivered, so an empty file ends here too.
  if (length == 0 || fread(buffer, size, 1, input) != 1) {
    printf("Read error!\n");
    fclose(input);
    fclose(output);
    free(buffer);
    return;
  }
  printf("Converting %s object file to object.new... ", object_label(buffer, size));
  xor_object_buffer(buffer, size);
  bool written = fwrite(buffer, size, 1, output) == 1;
  // Small writes stay buffered until the close, so a full disk may show only there.
  written = close_output_file(output) == 0 && written;
  fclose(input);
  free(buffer);
  printf(written ? "Done.\n" : "Error!\nWrite error!\n");
}
