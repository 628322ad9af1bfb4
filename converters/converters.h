// Side-file conversion: the object-file cipher and the vocabulary converter.
#ifndef KESK_CONVERTERS_CONVERTERS_H
#define KESK_CONVERTERS_CONVERTERS_H

#include <cstddef>

// The object file's repeating key: the 11 bytes the games encipher "object" with.
constexpr int kObjectKeyLength = 11;
constexpr unsigned char kObjectKey[kObjectKeyLength] = {0x41, 0x76, 0x69, 0x73, 0x20, 0x44,
                                                        0x75, 0x72, 0x67, 0x61, 0x6E};

// Progress labels, chosen by the input's sixth byte: 0 "encrypted", 1 "decrypted".
extern const char object_labels[2][10];

// XORs byte i of the buffer with key byte i mod 11. Its own inverse.
void xor_object_buffer(unsigned char* buffer, size_t length);

// Passes "object" through the cipher into "object.new". Never ends the process.
void convert_object_file();

// Decodes "words.tok" into the listing "words.txt". Never ends the process.
void convert_vocabulary();

#endif  // KESK_CONVERTERS_CONVERTERS_H
