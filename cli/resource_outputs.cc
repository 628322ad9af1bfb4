// The one walk every long-option format shares: resources are read exactly as the
// extractions read them, and each format writes its files from the bytes extraction would
// write.
#include <cstdio>
#include <cstdlib>

#include "cli/outputs.h"
#include "platform/platform.h"
#include "resources/resources.h"

const OutputFormatRow output_formats[kOutputFormatCount] = {
    {"--png",
     {false, true, true, false},
     "draws pictures (-p) and views (-v) only",
     "Drawing %s.%d... ",
     "Drawing %s files... "},
    {"--text",
     {true, false, false, false},
     "writes logics (-l) only",
     "Decoding %s.%d... ",
     "Decoding %s files... "},
    {"--midi",
     {false, false, false, true},
     "converts sounds (-s) only",
     "Converting %s.%d to MIDI... ",
     "Converting %s files to MIDI... "},
    {"--wav",
     {false, false, false, true},
     "converts sounds (-s) only",
     "Converting %s.%d to WAV... ",
     "Converting %s files to WAV... "},
};

namespace {

void write_outputs(int format, int type, const ResourceData& data, int number,
                   const OutputDirectory& directory) {
  switch (format) {
    case kPngFormat:
      write_images(type, data, number, directory);
      break;
    case kTextFormat:
      write_logic_text(data, number, directory);
      break;
    case kMidiFormat:
    case kWavFormat:
      write_sound_file(format, data, number, directory);
      break;
  }
}

}  // namespace

void convert_resource(int format, int type, int number) {
  ResourceData data;
  if (load_resource(type, number, output_formats[format].single_progress, &data)) {
    write_outputs(format, type, data, number, working_directory());
    release_resource(&data);
  }
  printf("Done.\n");
}

void convert_resource_type(int format, int type) {
  ResourceWalk walk;
  start_resource_walk(type, output_formats[format].type_progress, &walk);
  OutputDirectory directory = make_output_directory(resource_types.type_names[type]);
  ResourceData data;
  int number;
  while (next_walk_resource(&walk, &number, &data)) {
    write_outputs(format, type, data, number, directory);
    release_resource(&data);
  }
  printf("Done.\n");
  close_output_directory(&directory);
  finish_resource_walk(&walk);
}

void convert_everything(int format) {
  switch (format) {
    case kPngFormat:
      convert_resource_type(format, kPictureType);
      convert_resource_type(format, kViewType);
      break;
    case kTextFormat:
      convert_resource_type(format, kLogicType);
      write_object_listing();
      break;
    default:
      convert_resource_type(format, kSoundType);
      break;
  }
}

FILE* create_output(const OutputDirectory& directory, const char* name) {
  FILE* file = create_output_file(directory, name);
  if (file == nullptr) {
    fail_to_create_output(directory, name);
  }
  return file;
}

void write_output(FILE* file, const void* bytes, size_t size) {
  if (size > 0 && fwrite(bytes, 1, size, file) != size) {
    fail_to_write_output();
  }
}

void* allocate_work_area(size_t size) {
  void* memory = malloc(size);
  if (memory == nullptr) {
    fail_to_allocate();
  }
  return memory;
}

void finish_output(FILE* file) {
  // Small writes stay buffered until the close, so a full disk may show only there.
  if (close_output_file(file) != 0) {
    fail_to_write_output();
  }
}
